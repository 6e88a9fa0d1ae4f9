#include <thread>
#include <tuple>
#include <vector>

#include "tests/gui/gui_test_support.h"

// What a second thread saw of an open message box before it pressed one of its buttons.
struct BoxSeen {
  bool found = false;
  std::vector<bool> enabled;  // of the watched windows, while the box was open
  HWND owner = nullptr;
};

// Waits for the box, notes what it sees, presses the button and waits until the box is
// gone, so that a second press goes to the box that is left.
static BoxSeen press_when_open(const char* caption, int button, const std::vector<HWND>& watched) {
  BoxSeen seen;
  HWND box = nullptr;
  for (int tries = 0; tries < 4000 && !(box = FindWindowA("#32770", caption)); ++tries) Sleep(5);
  if (!(seen.found = box != nullptr)) return seen;
  for (HWND window : watched) seen.enabled.push_back(IsWindowEnabled(window) != 0);
  seen.owner = GetWindow(box, GW_OWNER);
  PostMessageA(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
  for (int tries = 0; tries < 4000 && IsWindow(box); ++tries) Sleep(5);
  return seen;
}

using MessageBoxTest = GuiTest;

TEST_F(MessageBoxTest, ModalOverTheThreadsVisibleEnabledWindows) {
  const HWND shown = as_hwnd(open_window(1, 0, 0, 200, 100, 0, "shown", nullptr));
  const HWND disabled = as_hwnd(open_window(2, 0, 150, 200, 100, 0, "disabled", nullptr));
  const HWND hidden = as_hwnd(open_window(3, 0, 300, 200, 100, WINDOW_HIDDEN, "hidden", nullptr));
  EnableWindow(disabled, FALSE);
  SetForegroundWindow(shown);
  settle();
  ASSERT_EQ(GetForegroundWindow(), shown);
  const std::tuple<const char*, UINT, int> cases[] = {
      {"Error", MB_OK, IDOK}, {"Question", MB_YESNO, IDNO}, {"Retry", MB_RETRYCANCEL, IDRETRY}};
  for (const auto& [caption, type, button] : cases) {
    SCOPED_TRACE(caption);
    BoxSeen seen;
    std::thread presser([&] { seen = press_when_open(caption, button, {shown, disabled, hidden}); });
    const int result = type == MB_OK ? show_message(caption, "Cannot find quar.exe in this folder")
                                     : show_message_box(caption, "", type);
    presser.join();
    ASSERT_TRUE(seen.found);
    EXPECT_EQ(result, button);
    EXPECT_EQ(seen.enabled, (std::vector<bool>{false, false, true}));
    EXPECT_EQ(seen.owner, shown);
    EXPECT_TRUE(IsWindowEnabled(shown));
    EXPECT_FALSE(IsWindowEnabled(disabled));
    EXPECT_TRUE(IsWindowEnabled(hidden));
    EXPECT_FALSE(IsWindowVisible(hidden));
    EXPECT_EQ(disabled_windows.head, nullptr);
  }
}

static HWND nested_shown;
static std::vector<bool> after_inner;

// Opens the inner box while the outer one is open.
static void CALLBACK open_inner_box(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  HWND outer_box = FindWindowA("#32770", "Outer");
  show_message_box("Inner", "inner", MB_OK);
  after_inner = {IsWindowEnabled(nested_shown) != 0, IsWindowEnabled(outer_box) != 0};
}

TEST_F(MessageBoxTest, NestedBoxesReenableEverythingOfTheThread) {
  nested_shown = as_hwnd(open_window(1, 0, 0, 200, 100, 0, "shown", nullptr));
  settle();
  BoxSeen inner, outer;
  std::thread presser([&] {
    inner = press_when_open("Inner", IDOK, {nested_shown});
    outer = press_when_open("Outer", IDCANCEL, {nested_shown});
  });
  SetTimer(nullptr, 0, 1, open_inner_box);
  const int result = show_message_box("Outer", "outer", MB_OKCANCEL);
  presser.join();
  ASSERT_TRUE(inner.found && outer.found);
  EXPECT_EQ(result, IDCANCEL);
  EXPECT_EQ(inner.enabled, std::vector<bool>{false});
  // The inner box enables every record of the thread, the outer call's included.
  EXPECT_EQ(after_inner, (std::vector<bool>{true, true}));
  EXPECT_EQ(outer.enabled, std::vector<bool>{true});
  EXPECT_TRUE(IsWindowEnabled(nested_shown));
  EXPECT_EQ(disabled_windows.head, nullptr);
}
