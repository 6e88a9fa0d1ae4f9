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

}  // namespace
