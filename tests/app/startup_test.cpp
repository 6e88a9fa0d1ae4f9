#include <gtest/gtest.h>

#include "app/app.h"
#include "tests/support/test_support.h"

namespace {

// Fault: a start-up allocation that fails (a heap, the scratch area) leaves a null pointer that the first
// key or text builder writes through, instead of ending the program with exit code 1.
TEST(StartUp, AFailedAllocationEndsTheProgramWithExitCode1) {
  // A maximum no heap can be reserved with, and one too small for the scratch area. 64-bit Wine cuts the
  // first to 4 GB and makes the heap all the same; then that case shows nothing.
  const SIZE_T unreservable = ~SIZE_T{0xFFFF};
  HANDLE made_anyway = HeapCreate(0, 4000, unreservable);
  for (const SIZE_T maximum : {unreservable, SIZE_T{32768}}) {
    if (maximum == unreservable && made_anyway) continue;
    EXPECT_EXIT(
        {
          main_heap_maximum = maximum;
          startup(GetModuleHandleA(nullptr));
        },
        testing::ExitedWithCode(1), "")
        << maximum;
  }
  main_heap_maximum = 32768;
  ASSERT_TRUE(create_main_heap());
  EXPECT_FALSE(init_scratch());
  EXPECT_STREQ(number_to_text(1024, scratch_cursor), "") << "without an area a builder writes nothing";
}

int callback_calls;

// Fault: the program ends with the hook still installed after main_heap is gone, so a message sent then is
// intercepted into freed memory.
TEST(StartUp, StoppingTheServicesRemovesTheHookBeforeTheHeapGoes) {
  ASSERT_TRUE(start_services(GetModuleHandleA(nullptr)));
  HWND window = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 1, 1, HWND_MESSAGE, nullptr, nullptr, nullptr);
  SetPropA(window, PROP_FORM_CALLBACK, reinterpret_cast<HANDLE>(+[](HWND, UINT, WPARAM, LPARAM) -> LRESULT {
             ++callback_calls;
             return 0;
           }));
  stop_services();
  SendMessageA(window, WM_APP, 0, 0);
  EXPECT_EQ(callback_calls, 0);
  DestroyWindow(window);
}

}  // namespace
