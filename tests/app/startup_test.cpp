#include <string>
#include <tuple>

#include "app/app.h"
#include "tests/support/test_support.h"

namespace {

// A start-up allocation that fails (no heap can be had, or too small a one for the scratch area)
// ends the program with exit code 1; without an area a builder writes nothing. 64-bit Wine cuts an
// impossible heap maximum to 4 GB and makes the heap all the same; then that case shows nothing.
TEST(StartUp, AFailedAllocationEndsTheProgramWithExitCode1) {
  const SIZE_T impossible = ~SIZE_T{0xFFFF};
  const bool impossible_refused = !HeapCreate(0, 4000, impossible);
  for (const SIZE_T maximum : {impossible, SIZE_T{32768}}) {
    if (maximum != impossible || impossible_refused) {
      EXPECT_EXIT((main_heap_maximum = maximum, startup(GetModuleHandleA(nullptr))),
                  testing::ExitedWithCode(1), "");
    }
  }
  main_heap_maximum = 32768;
  ASSERT_TRUE(create_main_heap());
  EXPECT_FALSE(init_scratch());
  EXPECT_STREQ(number_to_text(1024, scratch_cursor), "");
}

int callback_calls;

// Once the services stop, no message reaches the hook, which would build its keys in the freed heap.
TEST(StartUp, StoppingTheServicesRemovesTheHookBeforeTheHeapGoes) {
  ASSERT_TRUE(start_services(GetModuleHandleA(nullptr)));
  HWND window = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 1, 1, HWND_MESSAGE, nullptr, nullptr, nullptr);
  SetPropA(window, PROP_FORM_CALLBACK,
           reinterpret_cast<HANDLE>(+[](HWND, UINT, WPARAM, LPARAM) -> LRESULT { return ++callback_calls; }));
  stop_services();
  SendMessageA(window, WM_APP, 0, 0);
  EXPECT_EQ(callback_calls, 0);
}

// Save names why Windows refused the file and what the player can do, from the error and the file's
// attributes; Wine run as root writes a read-only file, so only this table shows that choice there.
TEST(Save, TheFailureTextNamesTheCauseFromTheErrorAndTheAttributes) {
  const std::tuple<DWORD, DWORD, std::string> cases[] = {
      {ERROR_ACCESS_DENIED, FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE, "is read-only. Right-click"},
      {ERROR_ACCESS_DENIED, FILE_ATTRIBUTE_NORMAL, "denied access"},
      {ERROR_ACCESS_DENIED, INVALID_FILE_ATTRIBUTES, "denied access"},
      {ERROR_ACCESS_DENIED, FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY, "denied access"},
      {ERROR_SHARING_VIOLATION, FILE_ATTRIBUTE_READONLY, "another program is using it"},
      {ERROR_LOCK_VIOLATION, FILE_ATTRIBUTE_NORMAL, "another program is using it"},
      {ERROR_PATH_NOT_FOUND, INVALID_FILE_ATTRIBUTES,
       "the game's Data folder is missing. Reinstall the game"},
      {ERROR_DISK_FULL, FILE_ATTRIBUTE_NORMAL, "GAME.CFG."}};
  for (const auto& [error, attributes, cause] : cases) {
    const std::string text = write_failure_text(error, attributes);
    EXPECT_NE(text.find(cause), std::string::npos) << error << ", " << attributes << ": " << text;
    EXPECT_EQ(text.find("administrator"), std::string::npos) << text;
  }
}

}  // namespace
