#include <string>

#include "app/app.h"
#include "tests/support/test_support.h"

namespace {

// Handle values are handed out lowest free first, so the first 16384 hold them all here;
// Wine reports 0 for GetProcessHandleCount.
int probe_handles() {
  int count = 0;
  DWORD flags = 0;
  for (UINT_PTR value = 4; value < 4 * 16384; value += 4)
    count += GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags) ? 1 : 0;
  return count;
}

// The game the last Run started shows the saved resolution in its title; it is closed.
bool close_game(const std::string& resolution) {
  HWND window = nullptr;
  wait_until([&] { return (window = FindWindowA("QuarveltonGame", ("Quarvelton " + resolution).c_str())); });
  PostMessageA(window, WM_CLOSE, 0, 0);
  return window && wait_until([&] { return !IsWindow(window); });
}

// The program's own start-up and main form in this process; two thousand saves and twenty
// runs later, every save landed, the scratch area is back at its start after each click and
// the process holds what it held after the first save and run.
TEST(Endurance, TwoThousandSavesAndTwentyRunsLeaveNothingBehind) {
  TempFolder game;
  ASSERT_TRUE(CopyFileA((test_program_folder() + GAME_EXECUTABLE).c_str(), GAME_EXECUTABLE, FALSE));
  CreateDirectoryA("Data", nullptr);
  ASSERT_TRUE(write_file_bytes(CONFIG_FILE_NAME, SAMPLE_CONFIG));
  start_services(GetModuleHandleA(nullptr));
  HWND form = load_form("FORM1", form_callback);
  ASSERT_NE(form, nullptr);
  fill_resolution_fields();
  int width = 0, height = 0;
  const auto save = [&](int round) {
    width = 320 + round * 37 % 1600;
    height = 200 + round * 53 % 1000;
    set_control_text(ID_WIDTH_BOX, std::to_string(width).c_str());
    set_control_text(ID_HEIGHT_BOX, std::to_string(height).c_str());
    SendMessageA(GetDlgItem(form, ID_SAVE_BUTTON), BM_CLICK, 0, 0);
    return scratch_cursor == string_scratch &&
           read_file_bytes(CONFIG_FILE_NAME) == with_resolution(SAMPLE_CONFIG, width, height);
  };
  const auto run = [&] {
    SendMessageA(GetDlgItem(form, ID_RUN_BUTTON), BM_CLICK, 0, 0);
    EXPECT_EQ(scratch_cursor, string_scratch);
    EXPECT_TRUE(close_game(std::to_string(width) + "x" + std::to_string(height)));
    pump_messages(0);
  };
  ASSERT_TRUE(save(0));
  run();
  const DWORD gdi = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  const DWORD user = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
  const int handles = probe_handles();
  for (int round = 1; round <= 2000; ++round) {
    ASSERT_TRUE(save(round)) << "save " << round;
    if (round % 100 == 0) run();
  }
  EXPECT_EQ(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS), gdi);
  EXPECT_EQ(GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS), user);
  EXPECT_EQ(probe_handles(), handles) << "a Run leaves a handle behind";
  request_hook_removal();
  close_window(get_control_id(form));
}

}  // namespace
