// Shared by the window library's tests: the start-up they all need and real key presses.
#pragma once

#include <vector>

#include "gui/gui.h"
#include "tests/support/message_log.h"
#include "tests/support/test_support.h"

class GuiTest : public testing::Test {
 protected:
  void SetUp() override {
    init_runtime_for_tests();
    init_windows();
    init_controls();
  }
  void TearDown() override { close_all_windows(); }
};

inline HWND as_hwnd(INT_PTR value) { return reinterpret_cast<HWND>(value); }

// Each key down and up in turn, with held (if any) down around them all; then the loop runs
// until the last key comes up, the timer only guarding against input that never arrives.
inline void press_keys(std::initializer_list<WORD> keys, WORD held = 0) {
  std::vector<INPUT> inputs;
  const auto add = [&](WORD key, DWORD flags) {
    INPUT& input = inputs.emplace_back();
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.dwFlags = flags;
  };
  if (held) add(held, 0);
  for (WORD key : keys) add(key, 0), add(key, KEYEVENTF_KEYUP);
  if (held) add(held, KEYEVENTF_KEYUP);
  ASSERT_EQ(SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)), inputs.size());
  const UINT_PTR guard = SetTimer(nullptr, 0, 10000, nullptr);
  for (INT_PTR result = 0;
       !(result == WM_KEYUP && current_event.wParam == (held ? held : *std::rbegin(keys)));) {
    result = wait_window_event();
    ASSERT_NE(result, WM_TIMER) << "the key presses never arrived";
  }
  KillTimer(nullptr, guard);
}
