#include <tuple>

#include "tests/gui/gui_test_support.h"

using FocusTest = GuiTest;

// Tab and Shift+Tab as real key presses, through the accelerators and wait_window_event, over
// an edit box (100), a label, a disabled button, a hidden edit box and a button (103).
TEST_F(FocusTest, TabAndShiftTabSkipIneligibleControlsAndWrap) {
  const HWND window = as_hwnd(open_window(1, 100, 100, 400, 200, 0, "focus", nullptr));
  set_control_parent(window);
  create_edit_control(100, 10, 10, 100, 22, "", 0);
  create_text_control(104, 10, 40, 100, 22, "label", 0);
  EnableWindow(as_hwnd(create_button_control(102, 10, 70, 100, 22, "disabled", 0)), FALSE);
  ShowWindow(as_hwnd(create_edit_control(101, 10, 100, 100, 22, "hidden", 0)), SW_HIDE);
  const HWND last = as_hwnd(create_button_control(103, 10, 130, 100, 22, "last", 0));
  // The control with the focus first (0: the window itself), the key held with Tab, the control
  // with the focus after, and whether the last button is enabled.
  const std::tuple<int, WORD, int, BOOL> cases[] = {
      {100, 0, 103, TRUE}, {103, 0, 100, TRUE},      {100, VK_SHIFT, 103, TRUE}, {103, VK_SHIFT, 100, TRUE},
      {0, 0, 100, TRUE},   {0, VK_SHIFT, 103, TRUE}, {100, 0, 100, FALSE},       {100, VK_SHIFT, 100, FALSE},
  };
  for (const auto& [start, held, expected, last_enabled] : cases) {
    SCOPED_TRACE(testing::Message() << start << (held ? " Shift+Tab" : " Tab")
                                    << (last_enabled ? "" : ", alone"));
    EnableWindow(last, last_enabled);
    // Under Wine without a window manager the window must be made foreground by hand.
    SetForegroundWindow(window);
    SetActiveWindow(window);
    SetFocus(start ? GetDlgItem(window, start) : window);
    settle();
    ASSERT_EQ(GetFocus(), start ? GetDlgItem(window, start) : window);
    press_keys({VK_TAB}, held);
    wait_for_key_up(held ? held : VK_TAB);
    EXPECT_EQ(GetDlgCtrlID(GetFocus()), expected);
    // The accelerator took the key: the edit box never saw a tab character.
    EXPECT_STREQ(get_control_text(100), "");
  }
}
