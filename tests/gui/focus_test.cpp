#include <vector>

#include "tests/gui/gui_test_support.h"

// Tab and Shift+Tab as real key presses, through the accelerators and wait_window_event.
class FocusTest : public GuiTest {
 public:
  HWND window, first, last;

 protected:
  void SetUp() override {
    GuiTest::SetUp();
    window = reinterpret_cast<HWND>(open_window(1, 100, 100, 400, 200, 0, "focus", nullptr));
    set_control_parent(window);
    first = reinterpret_cast<HWND>(create_edit_control(100, 10, 10, 100, 22, "", 0));
    create_text_control(104, 10, 40, 100, 22, "label", 0);
    EnableWindow(reinterpret_cast<HWND>(create_button_control(102, 10, 70, 100, 22, "disabled", 0)), FALSE);
    ShowWindow(reinterpret_cast<HWND>(create_edit_control(101, 10, 100, 100, 22, "hidden", 0)), SW_HIDE);
    last = reinterpret_cast<HWND>(create_button_control(103, 10, 130, 100, 22, "last", 0));
  }

  // Under Wine without a window manager the window must be made foreground by hand.
  void bring_forward(HWND focus) {
    SetForegroundWindow(window);
    SetActiveWindow(window);
    SetFocus(focus);
    settle();
    ASSERT_EQ(GetForegroundWindow(), window);
    ASSERT_EQ(GetFocus(), focus);
  }

  // Presses Tab (with Shift when asked) and waits until the last key is released.
  void press_tab(bool shift) {
    std::vector<INPUT> inputs;
    const auto key = [&](WORD code, DWORD flags) {
      INPUT input{};
      input.type = INPUT_KEYBOARD;
      input.ki.wVk = code;
      input.ki.dwFlags = flags;
      inputs.push_back(input);
    };
    if (shift) key(VK_SHIFT, 0);
    key(VK_TAB, 0);
    key(VK_TAB, KEYEVENTF_KEYUP);
    if (shift) key(VK_SHIFT, KEYEVENTF_KEYUP);
    ASSERT_EQ(SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)), inputs.size());
    // Only a guard against hanging when the input never arrives.
    const UINT_PTR timer = SetTimer(nullptr, 0, 10000, nullptr);
    const WPARAM last_key = shift ? VK_SHIFT : VK_TAB;
    for (;;) {
      const INT_PTR result = wait_window_event();
      ASSERT_NE(result, WM_TIMER) << "the key presses never arrived";
      if (result == WM_KEYUP && current_event.wParam == last_key) break;
    }
    KillTimer(nullptr, timer);
  }
};

TEST_F(FocusTest, TabAndShiftTabSkipIneligibleControlsAndWrap) {
  const struct {
    const char* name;
    HWND FocusTest::*start;  // null: the focus is on the window itself
    bool shift;
    HWND FocusTest::*expected;
  } cases[] = {
      {"Tab skips label, disabled and hidden", &FocusTest::first, false, &FocusTest::last},
      {"Tab wraps to the first", &FocusTest::last, false, &FocusTest::first},
      {"Shift+Tab wraps to the last", &FocusTest::first, true, &FocusTest::last},
      {"Shift+Tab goes back", &FocusTest::last, true, &FocusTest::first},
      {"Tab from outside the controls", nullptr, false, &FocusTest::first},
      {"Shift+Tab from outside the controls", nullptr, true, &FocusTest::last},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    bring_forward(c.start ? this->*c.start : window);
    press_tab(c.shift);
    EXPECT_EQ(GetFocus(), this->*c.expected);
    // The accelerator took the key: the edit box never saw a tab character.
    EXPECT_STREQ(get_control_text(100), "");
  }
}

TEST_F(FocusTest, SingleTabStopKeepsTheFocus) {
  EnableWindow(last, FALSE);
  for (bool shift : {false, true}) {
    bring_forward(first);
    press_tab(shift);
    EXPECT_EQ(GetFocus(), first) << shift;
  }
}
