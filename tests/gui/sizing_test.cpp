#include <array>
#include <tuple>

#include "tests/gui/gui_test_support.h"

namespace {

// Rectangles and points as values that compare and print.
using Box = std::array<LONG, 4>;
using Point = std::array<LONG, 2>;

Box window_box(HWND window) {
  RECT r;
  GetWindowRect(window, &r);
  return {r.left, r.top, r.right, r.bottom};
}
Point cursor() {
  POINT p;
  GetCursorPos(&p);
  return {p.x, p.y};
}

WNDPROC library_procedure;
// A window with a will of its own: the smallest width it allows, and a width it insists on while
// being sized (0: none); it counts the keys that reach it.
LONG own_min_width, own_width;
int keys_seen;

LRESULT CALLBACK test_subclass(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_GETMINMAXINFO && own_min_width)
    reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize.x = own_min_width;
  if (message == WM_SIZING && own_width)
    reinterpret_cast<RECT*>(lParam)->right = reinterpret_cast<RECT*>(lParam)->left + own_width;
  keys_seen += message == WM_KEYDOWN;
  return CallWindowProcA(library_procedure, window, message, wParam, lParam);
}

const Box PLAIN{200, 150, 520, 390};

class Sizing : public GuiTest {
 protected:
  void SetUp() override {
    GuiTest::SetUp();
    SystemParametersInfoA(SPI_SETDRAGFULLWINDOWS, TRUE, nullptr, 0);
  }
  HWND open(ObjectNumber number, const Box& r) {
    HWND window = as_hwnd(open_window(number, 0, 0, 100, 100, WS_CAPTION | WS_THICKFRAME, "sized", nullptr));
    library_procedure = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(test_subclass)));
    place(window, r);
    SetForegroundWindow(window);
    pump_messages();
    return window;
  }
  static void place(HWND window, const Box& r) {
    MoveWindow(window, r[0], r[1], r[2] - r[0], r[3] - r[1], TRUE);
  }
  // Called directly: sent through window_procedure, the command would also reach the platform's own
  // sizing loop, which would wait for keys. The cursor's own mouse message is let through first, so
  // that it does not reach the mode.
  static void start(HWND window, int edge, Point at) {
    SetCursorPos(at[0], at[1]);
    pump_messages(50);
    EXPECT_EQ(sizing_handler(window, WM_SYSCOMMAND, SC_SIZE | static_cast<WPARAM>(edge), 0), 0);
  }
  static void key(HWND window, WPARAM key) { SendMessageA(window, WM_KEYDOWN, key, 0); }
};

// A key that chooses another edge puts the cursor on it and leaves the window; any other steps the
// edge's side by SIZING_STEP; the side that follows the cursor stops at the limits (the system's,
// or the window's own) and the window has the last word on the rectangle. Escape puts the window
// back, Enter keeps it.
TEST_F(Sizing, KeysChooseEdgesAndStepWithinTheLimits) {
  const LONG mx = GetSystemMetrics(SM_CXMINTRACK);
  const Box narrow{200, 150, 204 + mx, 390};
  // The window, the edge and the cursor, the key; the window's own minimum width and width while
  // sized (0: none); the edge, the window and the cursor after the key.
  const std::tuple<Box, int, Point, WPARAM, LONG, LONG, int, Box, Point> cases[] = {
      {PLAIN, 0, {360, 270}, VK_LEFT, 0, 0, WMSZ_LEFT, PLAIN, {200, 270}},
      {PLAIN, 1, {200, 270}, VK_UP, 0, 0, WMSZ_TOPLEFT, PLAIN, {202, 152}},
      {PLAIN, 5, {518, 150}, VK_LEFT, 0, 0, 5, {200, 150, 510, 390}, {508, 150}},
      {PLAIN, 6, {360, 388}, VK_DOWN, 0, 0, 6, {200, 150, 520, 400}, {360, 398}},
      {narrow, 2, {202 + mx, 270}, VK_LEFT, 0, 0, 2, {200, 150, 200 + mx, 390}, {192 + mx, 270}},
      {PLAIN, 1, {200, 270}, VK_RIGHT, 314, 0, 1, {206, 150, 520, 390}, {210, 270}},
      {PLAIN, 2, {518, 270}, VK_RIGHT, 0, 250, 2, {200, 150, 450, 390}, {528, 270}},
  };
  HWND window = open(1, PLAIN);
  for (const auto& [rectangle, edge, at, arrow, min_width, width, next, after, cursor_after] : cases) {
    SCOPED_TRACE(testing::Message() << "edge " << edge << ", key " << arrow);
    place(window, rectangle);
    std::tie(own_min_width, own_width) = std::tie(min_width, width);
    start(window, edge, at);
    key(window, arrow);
    EXPECT_EQ(std::tuple(sizing_state.edge, window_box(window), cursor()),
              std::tuple(next, after, cursor_after));
    key(window, VK_ESCAPE);
    EXPECT_EQ(window_box(window), rectangle) << "Escape puts the window back";
  }
  own_width = 0;
  start(window, 2, {518, 270});
  key(window, VK_RIGHT);
  key(window, VK_RETURN);
  EXPECT_EQ(std::tuple(window_box(window), sizing_state.active), std::tuple(Box{200, 150, 530, 390}, 0));
}

// The mode starts only on the Size command (with full-window dragging on), belongs to its window,
// follows the mouse until the button comes up, and ends when its window loses the mouse or goes
// away rather than staying on with nothing left to end it.
TEST_F(Sizing, TheModeBelongsToItsWindowAndAlwaysEnds) {
  HWND sized = open(1, PLAIN), other = open(2, {600, 150, 900, 400});
  EXPECT_EQ(sizing_handler(sized, WM_SYSCOMMAND, SC_SIZE | 9, 0), UNHANDLED_RESULT) << "no edge";
  EXPECT_EQ(sizing_handler(sized, WM_SYSCOMMAND, SC_SIZE | WMSZ_BOTTOMRIGHT, 0), 0);
  for (UINT message : {WM_MOUSEMOVE, WM_KEYDOWN, WM_LBUTTONUP})
    EXPECT_EQ(sizing_handler(other, message, VK_ESCAPE, MAKELPARAM(5, 5)), UNHANDLED_RESULT) << message;
  EXPECT_EQ(window_box(other), (Box{600, 150, 900, 400}));
  POINT point{550, 405};
  ScreenToClient(sized, &point);
  SendMessageA(sized, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(point.x, point.y));
  SendMessageA(sized, WM_LBUTTONUP, 0, MAKELPARAM(point.x, point.y));
  EXPECT_EQ(std::tuple(sizing_state.active, window_box(sized)), std::tuple(0, Box{200, 150, 552, 407}));
  start(sized, 0, {360, 270});
  SetCapture(other);
  EXPECT_EQ(sizing_state.active, 0) << "another window took the mouse";
  ReleaseCapture();
  SystemParametersInfoA(SPI_SETDRAGFULLWINDOWS, FALSE, nullptr, 0);
  EXPECT_EQ(sizing_handler(sized, WM_SYSCOMMAND, SC_SIZE, 0), UNHANDLED_RESULT)
      << "without full-window dragging";
  SystemParametersInfoA(SPI_SETDRAGFULLWINDOWS, TRUE, nullptr, 0);
  start(sized, 0, {360, 270});
  close_window(1);
  EXPECT_EQ(sizing_state.active, 0) << "the window went away";
}

// The window menu's Size command through the real window procedure and message loop, while a
// control has the keyboard focus: real key presses size the window, none reaches the control, the
// focus stays, and Enter puts the cursor back where it started, since the mouse did not move.
TEST_F(Sizing, TheWindowMenusSizeCommandSizesWithKeysWhileAControlHasTheFocus) {
  HWND window = open(1, PLAIN);
  set_control_parent(window);
  HWND edit = as_hwnd(create_edit_control(100, 10, 10, 100, 22, "", 0));
  SetFocus(edit);
  SetCursorPos(360, 270);
  pump_messages(50);
  keys_seen = 0;
  PostMessageA(window, WM_SYSCOMMAND, SC_SIZE, 0);
  press_keys({VK_RIGHT, VK_RIGHT, VK_DOWN, VK_DOWN, VK_RETURN});
  EXPECT_EQ(
      std::tuple(window_box(window), sizing_state.active, GetCapture(), GetFocus(), cursor(), keys_seen),
      std::tuple(Box{200, 150, 530, 400}, 0, nullptr, edit, Point{360, 270}, 5));
  EXPECT_STREQ(get_control_text(100), "");
}

}  // namespace
