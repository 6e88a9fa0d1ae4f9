#include <array>
#include <tuple>

#include "tests/gui/gui_test_support.h"

namespace {

using Box = std::array<LONG, 4>;

Box window_box(HWND window) {
  RECT r;
  GetWindowRect(window, &r);
  return {r.left, r.top, r.right, r.bottom};
}

WNDPROC library_procedure;
// A window with a will of its own: a width it insists on while being sized (0: none); it counts
// the keys that reach it.
LONG own_width;
int keys_seen;

LRESULT CALLBACK test_subclass(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_SIZING && own_width)
    reinterpret_cast<RECT*>(lParam)->right = reinterpret_cast<RECT*>(lParam)->left + own_width;
  keys_seen += message == WM_KEYDOWN;
  return CallWindowProcA(library_procedure, window, message, wParam, lParam);
}

class Sizing : public GuiTest {
 protected:
  void SetUp() override {
    GuiTest::SetUp();
    SystemParametersInfoA(SPI_SETDRAGFULLWINDOWS, TRUE, nullptr, 0);
  }
  HWND open(ObjectNumber number, int x) {
    HWND window = as_hwnd(open_window(number, 0, 0, 100, 100, WS_CAPTION | WS_THICKFRAME, "sized", nullptr));
    library_procedure = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(test_subclass)));
    MoveWindow(window, x, 150, 320, 240, TRUE);
    SetForegroundWindow(window);
    pump_messages();
    return window;
  }
  // Called directly: sent through window_procedure, the command would also reach the platform's own
  // sizing loop, which would wait for keys. The cursor's own mouse message is let through first.
  static void start(HWND window, int edge, int x, int y) {
    SetCursorPos(x, y);
    pump_messages(50);
    EXPECT_EQ(sizing_handler(window, WM_SYSCOMMAND, SC_SIZE | static_cast<WPARAM>(edge), 0), 0);
  }
  static void key(HWND window, WPARAM key) { SendMessageA(window, WM_KEYDOWN, key, 0); }
};

// From the menu a key chooses an edge and leaves the window; then the keys step that side, which
// stops at the smallest width, and the window has the last word. Escape puts the window back, Enter
// keeps it. The mode belongs to its window, and ends when that window loses the mouse or goes away.
TEST_F(Sizing, KeysSizeTheWindowUntilTheModeEnds) {
  HWND sized = open(1, 200), other = open(2, 600);
  const LONG least = GetSystemMetrics(SM_CXMINTRACK);
  EXPECT_EQ(sizing_handler(sized, WM_SYSCOMMAND, SC_SIZE | 9, 0), UNHANDLED_RESULT) << "no edge";
  start(sized, 0, 360, 270);
  key(sized, VK_RIGHT);
  EXPECT_EQ(std::tuple(sizing_state.edge, window_box(sized)),
            std::tuple(WMSZ_RIGHT, Box{200, 150, 520, 390}));
  key(sized, VK_RIGHT);
  key(other, VK_ESCAPE);
  EXPECT_EQ(std::tuple(sizing_state.active, window_box(sized)), std::tuple(1, Box{200, 150, 530, 390}));
  for (int i = 0; i < 40; ++i) key(sized, VK_LEFT);
  EXPECT_EQ(window_box(sized), (Box{200, 150, 200 + least, 390})) << "the left side stays";
  key(sized, VK_ESCAPE);
  EXPECT_EQ(std::tuple(sizing_state.active, window_box(sized)), std::tuple(0, Box{200, 150, 520, 390}));
  own_width = 250;
  start(sized, WMSZ_RIGHT, 518, 270);
  key(sized, VK_RIGHT);
  key(sized, VK_RETURN);
  EXPECT_EQ(std::tuple(sizing_state.active, window_box(sized)), std::tuple(0, Box{200, 150, 450, 390}));
  start(sized, 0, 360, 270);
  SetCapture(other);
  EXPECT_EQ(sizing_state.active, 0) << "another window took the mouse";
  ReleaseCapture();
  start(sized, 0, 360, 270);
  close_window(1);
  EXPECT_EQ(sizing_state.active, 0) << "the window went away";
}

// The window menu's Size command through the real window procedure and message loop, while a
// control has the keyboard focus: real key presses size the window, none reaches the control, and
// the focus stays.
TEST_F(Sizing, TheWindowMenusSizeCommandSizesWithKeysWhileAControlHasTheFocus) {
  HWND window = open(1, 200);
  set_control_parent(window);
  HWND edit = as_hwnd(create_edit_control(100, 10, 10, 100, 22, "", 0));
  SetFocus(edit);
  SetCursorPos(360, 270);
  pump_messages(50);
  PostMessageA(window, WM_SYSCOMMAND, SC_SIZE, 0);
  std::vector<INPUT> inputs;
  for (WORD key : std::initializer_list<WORD>{VK_RIGHT, VK_RIGHT, VK_DOWN, VK_DOWN, VK_RETURN})
    for (DWORD flags : {0ul, DWORD{KEYEVENTF_KEYUP}})
      inputs.push_back({INPUT_KEYBOARD, {.ki = {key, 0, flags, 0, 0}}});
  keys_seen = 0;
  ASSERT_EQ(SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)), inputs.size());
  // The timer only guards against input that never arrives.
  SetTimer(nullptr, 0, 10000, nullptr);
  for (INT_PTR result = 0; !(result == WM_KEYUP && current_event.wParam == VK_RETURN) && result != WM_TIMER;)
    result = wait_window_event();
  EXPECT_EQ(std::tuple(window_box(window), sizing_state.active, GetFocus(), keys_seen),
            std::tuple(Box{200, 150, 530, 400}, 0, edit, 5));
  EXPECT_STREQ(get_control_text(100), "");
}

}  // namespace
