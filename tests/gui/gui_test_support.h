// Shared by the window library's tests: the start-up they all need and the wait helpers.
#pragma once

#include <gtest/gtest.h>

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

// What one wait_window_event returned, with the event fields right after it.
struct WaitOutcome {
  INT_PTR result;
  INT_PTR control;
  INT_PTR type;
  ObjectNumber window;
  LPARAM lParam;
};

inline constexpr UINT SENTINEL_MESSAGE = WM_APP + 77;

// Dispatches what is pending and forgets any event it made outside a wait.
inline void settle() {
  pump_messages();
  current_event.code = EVENT_NONE;
}

// Waits until the sentinel posted after the test's own messages comes back; posted
// messages arrive in order, so everything the test posted has been dispatched by then.
inline std::vector<WaitOutcome> wait_through_sentinel(HWND window) {
  PostMessageA(window, SENTINEL_MESSAGE, 0, 0);
  std::vector<WaitOutcome> outcomes;
  for (int guard = 0; guard < 500; ++guard) {
    const INT_PTR result = wait_window_event();
    if (result == SENTINEL_MESSAGE) break;
    outcomes.push_back({result, event_control(), current_event.type, event_window(), current_event.lParam});
  }
  return outcomes;
}

inline bool is_event_code(INT_PTR result) {
  return result == EVENT_SIZE_WINDOW || result == EVENT_CLOSE_WINDOW || result == EVENT_CONTROL ||
         result == EVENT_MENU || result == EVENT_MOUSE_NOTIFY;
}
