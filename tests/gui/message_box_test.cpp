#include <thread>
#include <utility>
#include <vector>

#include "tests/gui/gui_test_support.h"

// Finds a message box from a second thread, notes what it sees while the box is open, and
// presses one of its buttons.
struct BoxPress {
  BoxPress(const char* box_caption, int box_button, std::vector<HWND> windows)
      : caption(box_caption), button(box_button), watched(std::move(windows)) {}
  const char* caption;
  int button;
  std::vector<HWND> watched;
  // Filled by the pressing thread.
  std::vector<bool> enabled_while_open;
  HWND owner = nullptr;
  bool found = false;
};

static HWND find_box(const char* caption) {
  for (int tries = 0; tries < 4000; ++tries) {
    if (HWND box = FindWindowA("#32770", caption)) return box;
    Sleep(5);
  }
  return nullptr;
}

static void press_when_open(BoxPress& press) {
  HWND box = find_box(press.caption);
  press.found = box != nullptr;
  if (!box) return;
  for (HWND window : press.watched) press.enabled_while_open.push_back(IsWindowEnabled(window) != 0);
  press.owner = GetWindow(box, GW_OWNER);
  PostMessageA(box, WM_COMMAND, MAKEWPARAM(press.button, BN_CLICKED), 0);
  // Wait until the box is gone, so that a second press goes to the box that is left.
  for (int tries = 0; tries < 4000 && IsWindow(box); ++tries) Sleep(5);
}

using MessageBoxTest = GuiTest;

TEST_F(MessageBoxTest, ModalOverTheThreadsVisibleEnabledWindows) {
  const HWND shown = reinterpret_cast<HWND>(open_window(1, 0, 0, 200, 100, 0, "shown", nullptr));
  const HWND disabled = reinterpret_cast<HWND>(open_window(2, 0, 150, 200, 100, 0, "disabled", nullptr));
  const HWND hidden =
      reinterpret_cast<HWND>(open_window(3, 0, 300, 200, 100, WINDOW_HIDDEN, "hidden", nullptr));
  EnableWindow(disabled, FALSE);
  SetForegroundWindow(shown);
  settle();
  ASSERT_EQ(GetForegroundWindow(), shown);

  const struct {
    const char* caption;
    UINT type;
    int button;
  } cases[] = {{"Error", MB_OK, IDOK}, {"Question", MB_YESNO, IDNO}, {"Retry", MB_RETRYCANCEL, IDRETRY}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.caption);
    BoxPress press{c.caption, c.button, {shown, disabled, hidden}};
    std::thread presser(press_when_open, std::ref(press));
    const int result = c.type == MB_OK ? show_message(c.caption, "Cannot find quar.exe in this folder")
                                       : show_message_box(c.caption, "text", c.type);
    presser.join();
    ASSERT_TRUE(press.found);
    EXPECT_EQ(result, c.button);
    EXPECT_EQ(press.enabled_while_open, (std::vector<bool>{false, false, true}));
    EXPECT_EQ(press.owner, shown);
    EXPECT_TRUE(IsWindowEnabled(shown));
    EXPECT_FALSE(IsWindowEnabled(disabled));
    EXPECT_TRUE(IsWindowEnabled(hidden));
    EXPECT_FALSE(IsWindowVisible(hidden));
    EXPECT_EQ(disabled_windows.head, nullptr);
  }
}

static HWND outer_box;
static std::vector<bool> after_inner;
static HWND nested_shown;

static void CALLBACK open_inner_box(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  outer_box = FindWindowA("#32770", "Outer");
  show_message_box("Inner", "inner", MB_OK);
  after_inner = {IsWindowEnabled(nested_shown) != 0, IsWindowEnabled(outer_box) != 0};
}

TEST_F(MessageBoxTest, NestedBoxesReenableEverythingOfTheThread) {
  nested_shown = reinterpret_cast<HWND>(open_window(1, 0, 0, 200, 100, 0, "shown", nullptr));
  settle();
  BoxPress inner{"Inner", IDOK, {nested_shown}};
  BoxPress outer{"Outer", IDCANCEL, {nested_shown}};
  std::thread presser([&] {
    press_when_open(inner);
    press_when_open(outer);
  });
  SetTimer(nullptr, 0, 1, open_inner_box);
  const int result = show_message_box("Outer", "outer", MB_OKCANCEL);
  presser.join();
  ASSERT_TRUE(inner.found);
  ASSERT_TRUE(outer.found);
  EXPECT_EQ(result, IDCANCEL);
  EXPECT_EQ(inner.enabled_while_open, std::vector<bool>{false});
  // The inner box enables every record of the thread, the outer call's included.
  EXPECT_EQ(after_inner, (std::vector<bool>{true, true}));
  EXPECT_EQ(outer.enabled_while_open, std::vector<bool>{true});
  EXPECT_TRUE(IsWindowEnabled(nested_shown));
  EXPECT_EQ(disabled_windows.head, nullptr);
}
