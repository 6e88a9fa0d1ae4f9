#include <gtest/gtest.h>

#include <string>

#include "app/app.h"
#include "tests/support/test_support.h"

namespace {

// What the process holds: GDI and USER objects and kernel handles as the system reports
// them, and the handle table probed value by value, because Wine reports 0 for all three.
struct Holdings {
  DWORD gdi_objects;
  DWORD user_objects;
  DWORD reported_handles;
  int probed_handles;
};

// Handle values are handed out lowest free first, so the first 16384 hold them all here.
int probe_handles() {
  int count = 0;
  DWORD flags = 0;
  for (UINT_PTR value = 4; value < 4 * 16384; value += 4) {
    if (GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags)) ++count;
  }
  return count;
}

Holdings measure_holdings() {
  Holdings holdings{GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS),
                    GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS), 0, probe_handles()};
  GetProcessHandleCount(GetCurrentProcess(), &holdings.reported_handles);
  return holdings;
}

class Endurance : public testing::Test {
 protected:
  TempFolder game;
  MessageBoxCloser boxes;
  HWND form = nullptr;

  // The program's own start-up, up to the main procedure, and the main procedure's first
  // steps: the form and the boxes filled from the file.
  void SetUp() override {
    ASSERT_TRUE(CopyFileA((test_program_folder() + GAME_EXECUTABLE).c_str(), GAME_EXECUTABLE, FALSE));
    CreateDirectoryA("Data", nullptr);
    ASSERT_TRUE(write_file_bytes(CONFIG_FILE_NAME, SAMPLE_CONFIG));
    start_services(GetModuleHandleA(nullptr));
    form = load_form("FORM1", form_callback);
    ASSERT_NE(form, nullptr);
    fill_resolution_fields();
    pump_messages();
  }

  // The hook goes with the form, so that nothing of the program outlives the test.
  void TearDown() override {
    request_hook_removal();
    if (form) close_window(get_control_id(form));
    pump_messages();
  }

  std::string box_text(int id) const {
    char text[64] = "";
    GetWindowTextA(GetDlgItem(form, id), text, sizeof text);
    return text;
  }

  void click(int id) const { SendMessageA(GetDlgItem(form, id), BM_CLICK, 0, 0); }
};

// The game the last Run started shows the saved resolution in its title; closing it
// waits for its process to end.
testing::AssertionResult close_game(int width, int height) {
  const std::string title = "Quarvelton " + std::to_string(width) + "x" + std::to_string(height);
  HWND window = nullptr;
  for (int tries = 0; tries < 500 && !window; ++tries) {
    window = FindWindowA("QuarveltonGame", title.c_str());
    if (!window) Sleep(20);
  }
  if (!window) return testing::AssertionFailure() << "no game window \"" << title << "\"";
  DWORD process_id = 0;
  GetWindowThreadProcessId(window, &process_id);
  HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, process_id);
  PostMessageA(window, WM_CLOSE, 0, 0);
  const DWORD waited = process ? WaitForSingleObject(process, 10000) : WAIT_FAILED;
  if (process) CloseHandle(process);
  if (waited != WAIT_OBJECT_0) return testing::AssertionFailure() << "the game did not end";
  return testing::AssertionSuccess();
}

TEST_F(Endurance, TwoThousandSavesAndTwentyRunsLeaveNothingBehind) {
  ASSERT_EQ(box_text(ID_WIDTH_BOX), "1024");
  ASSERT_EQ(box_text(ID_HEIGHT_BOX), "768");
  constexpr int SAVES = 2000;
  constexpr int RUNS = 20;
  constexpr int WARM_UP_SAVES = 5;
  int width = 0;
  int height = 0;
  auto save = [&](int round) -> testing::AssertionResult {
    width = 320 + round * 37 % 1600;
    height = 200 + round * 53 % 1000;
    set_control_text(ID_WIDTH_BOX, std::to_string(width).c_str());
    set_control_text(ID_HEIGHT_BOX, std::to_string(height).c_str());
    click(ID_SAVE_BUTTON);
    pump_messages(0);
    if (scratch_cursor != string_scratch)
      return testing::AssertionFailure()
             << "the scratch cursor is " << scratch_cursor - string_scratch << " bytes into the area";
    if (read_file_bytes(CONFIG_FILE_NAME) != with_resolution(SAMPLE_CONFIG, width, height))
      return testing::AssertionFailure() << "the file does not hold " << width << " x " << height;
    return testing::AssertionSuccess();
  };
  auto run = [&] {
    click(ID_RUN_BUTTON);
    EXPECT_EQ(scratch_cursor, string_scratch) << "after Run";
    EXPECT_TRUE(close_game(width, height));
    pump_messages(0);
  };

  // The first clicks load what the shell and the file system keep for the process.
  for (int round = 0; round < WARM_UP_SAVES; ++round) ASSERT_TRUE(save(round)) << "warm-up save " << round;
  run();
  const Holdings before = measure_holdings();

  for (int round = 1; round <= SAVES; ++round) {
    ASSERT_TRUE(save(WARM_UP_SAVES + round)) << "save " << round;
    if (round % (SAVES / RUNS) == 0) run();
  }
  const Holdings after = measure_holdings();

  EXPECT_EQ(read_file_bytes(CONFIG_FILE_NAME), with_resolution(SAMPLE_CONFIG, width, height));
  EXPECT_EQ(box_text(ID_WIDTH_BOX), std::to_string(width));
  EXPECT_EQ(boxes.closed(), 0) << "no save showed an error";
  EXPECT_EQ(after.gdi_objects, before.gdi_objects);
  EXPECT_EQ(after.user_objects, before.user_objects);
  // Fault: every Run leaks the game's process handle.
  EXPECT_EQ(after.reported_handles, before.reported_handles);
  EXPECT_EQ(after.probed_handles, before.probed_handles);
}

}  // namespace
