#include <array>
#include <tuple>
#include <vector>

#include "tests/gui/gui_test_support.h"

namespace {

// Rectangles and points as values that compare and print.
using Box = std::array<LONG, 4>;
using Point = std::array<LONG, 2>;

Box box(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }
Box window_box(HWND window) {
  RECT r;
  GetWindowRect(window, &r);
  return box(r);
}
Point cursor() {
  POINT p;
  GetCursorPos(&p);
  return {p.x, p.y};
}
HCURSOR shared_cursor(LPCSTR shape) {
  return static_cast<HCURSOR>(LoadImageA(nullptr, shape, IMAGE_CURSOR, 0, 0, LR_SHARED | LR_DEFAULTSIZE));
}

WNDPROC library_procedure;
// A window with a will of its own: the limits it sets (0 keeps the system's) and a width it
// insists on while being sized (0: none).
POINT own_min, own_max;
LONG own_width;

// In front of the library's window procedure: logs what the mode and the queue deliver, and
// plays a window that sets limits or a rectangle of its own.
LRESULT CALLBACK test_subclass(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* limits = reinterpret_cast<MINMAXINFO*>(lParam);
  switch (message) {
    case WM_GETMINMAXINFO:
      // SetWindowPos asks for the limits too; only the mode's question counts.
      if (limits != &sizing_state.limits) break;
      if (own_min.x) limits->ptMinTrackSize.x = own_min.x;
      if (own_max.x) limits->ptMaxTrackSize.x = own_max.x;
      if (own_max.y) limits->ptMaxTrackSize.y = own_max.y;
      log_message(message, "window", wParam, lParam);
      break;
    case WM_SIZING:
      if (own_width)
        reinterpret_cast<RECT*>(lParam)->right = reinterpret_cast<RECT*>(lParam)->left + own_width;
      [[fallthrough]];
    case WM_SYSCOMMAND:
    case WM_KEYDOWN:
    case WM_LBUTTONDOWN:
    case WM_ENTERSIZEMOVE:
    case WM_EXITSIZEMOVE:
    case WM_CAPTURECHANGED:
      log_message(message, "window", wParam, lParam);
  }
  return CallWindowProcA(library_procedure, window, message, wParam, lParam);
}

void place(HWND window, const RECT& r) {
  MoveWindow(window, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
}

ExpectedMessage seen(UINT message, WPARAM wParam = 0, unsigned check = CHECK_WPARAM, LPARAM lParam = 0) {
  return {message, "window", check, wParam, lParam};
}

const RECT PLAIN{200, 150, 520, 390};
const POINT INSIDE{360, 270};

class Sizing : public GuiTest {
 protected:
  // Full-window dragging as the tests need it, and the user's own setting back afterwards.
  BOOL user_setting = FALSE;
  void SetUp() override {
    GuiTest::SetUp();
    SystemParametersInfoA(SPI_GETDRAGFULLWINDOWS, 0, &user_setting, 0);
    SystemParametersInfoA(SPI_SETDRAGFULLWINDOWS, TRUE, nullptr, 0);
  }
  void TearDown() override {
    GuiTest::TearDown();  // destroying the sized window ends the mode
    pump_messages();
    own_min = own_max = {};
    own_width = 0;
    EXPECT_EQ(sizing_state.active, 0);
    SystemParametersInfoA(SPI_SETDRAGFULLWINDOWS, user_setting, nullptr, 0);
  }

  HWND open(ObjectNumber number, const RECT& r, DWORD style = WS_CAPTION | WS_SYSMENU | WS_THICKFRAME,
            HWND parent = nullptr) {
    HWND window = as_hwnd(open_window(number, 0, 0, 100, 100, style, "sized", parent));
    library_procedure = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(test_subclass)));
    place(window, r);
    if (!parent) SetForegroundWindow(window);
    pump_messages();
    return window;
  }

  // Called directly: sent through window_procedure, the command would also reach the
  // platform's own sizing loop, which would wait for keys. The cursor's own mouse message is
  // let through first, so that it does not reach the mode.
  void start(HWND window, int edge, POINT at) {
    SetCursorPos(at.x, at.y);
    pump_messages(50);
    clear_message_log();
    EXPECT_EQ(sizing_handler(window, WM_SYSCOMMAND, SC_SIZE | static_cast<WPARAM>(edge), 0), 0);
  }

  static void key(HWND window, WPARAM key) { SendMessageA(window, WM_KEYDOWN, key, 0); }
};

// From the menu the cursor shows all ways, and Enter puts it back where it started unless the
// mouse moved.
TEST_F(Sizing, FromTheMenuTheCursorShowsAllWaysAndComesBackUnlessTheMouseMoved) {
  HWND window = open(1, PLAIN);
  for (bool mouse_moved : {false, true}) {
    SCOPED_TRACE(mouse_moved ? "mouse moved" : "keys only");
    start(window, 0, INSIDE);
    EXPECT_EQ(GetCursor(), shared_cursor(IDC_SIZEALL));
    EXPECT_EQ(GetCapture(), window);
    pump_messages();
    if (mouse_moved) SendMessageA(window, WM_MOUSEMOVE, 0, MAKELPARAM(20, 20));
    // Moved behind the mode's back: Enter comes before the cursor's own mouse message.
    SetCursorPos(400, 300);
    key(window, VK_RETURN);
    EXPECT_EQ(cursor(), mouse_moved ? (Point{400, 300}) : (Point{INSIDE.x, INSIDE.y}));
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(window_box(window), box(PLAIN));
    pump_messages();
    // Before an edge is chosen the mouse still asks the window, about the same rectangle.
    std::vector<ExpectedMessage> expected{seen(WM_GETMINMAXINFO, 0, CHECK_MESSAGE),
                                          seen(WM_LBUTTONDOWN, MK_LBUTTON, CHECK_BOTH),
                                          seen(WM_ENTERSIZEMOVE)};
    if (mouse_moved) expected.push_back(seen(WM_SIZING, 0));
    for (ExpectedMessage end :
         {seen(WM_KEYDOWN, VK_RETURN), seen(WM_CAPTURECHANGED, 0, CHECK_LPARAM), seen(WM_EXITSIZEMOVE)})
      expected.push_back(end);
    EXPECT_TRUE(log_matches(expected));
  }
}

// Every arrow key from every edge: a key that chooses another edge puts the cursor on it with
// its shape and leaves the window; any other steps, moving the edge's side on the key's axis
// by SIZING_STEP and telling the window with WM_SIZING. Escape then puts the window back.
TEST_F(Sizing, ArrowKeysChooseEdgesAndCornersAndThenStep) {
  // Where the mode puts the cursor on each edge of PLAIN (from INSIDE), and its shape.
  const std::pair<Point, LPCSTR> PLACED[9] = {
      {{360, 270}, IDC_SIZEALL}, {{200, 270}, IDC_SIZEWE},   {{518, 270}, IDC_SIZEWE},
      {{360, 150}, IDC_SIZENS},  {{202, 152}, IDC_SIZENWSE}, {{518, 150}, IDC_SIZENESW},
      {{360, 388}, IDC_SIZENS},  {{200, 388}, IDC_SIZENESW}, {{518, 388}, IDC_SIZENWSE},
  };
  // The edge each key leads to, by edge; columns VK_LEFT, VK_UP, VK_RIGHT, VK_DOWN.
  const int NEXT[9][4] = {{1, 3, 2, 6}, {1, 4, 1, 7}, {2, 5, 2, 8}, {4, 3, 5, 3}, {4, 4, 4, 4},
                          {5, 5, 5, 5}, {7, 6, 8, 6}, {7, 7, 7, 7}, {8, 8, 8, 8}};
  HWND window = open(1, PLAIN);
  for (int edge = 0; edge <= 8; ++edge) {
    for (int column = 0; column < 4; ++column) {
      const int next = NEXT[edge][column];
      const WPARAM arrow = VK_LEFT + column;
      SCOPED_TRACE(testing::Message() << "edge " << edge << ", key " << arrow);
      const Point from = PLACED[edge].first;
      start(window, edge, {from[0], from[1]});
      clear_message_log();
      key(window, arrow);
      EXPECT_EQ(sizing_state.edge, next);
      std::vector<ExpectedMessage> expected{seen(WM_KEYDOWN, arrow)};
      Box moved = box(PLAIN);
      Point cursor_after = PLACED[next].first;
      if (next == edge) {
        const bool across = column % 2 == 0;  // left or right
        // Edges 1, 4, 7 hold the left side; 3, 4, 5 the top.
        const bool near_side = across ? edge % 3 == 1 : edge >= 3 && edge <= 5;
        const LONG step = column < 2 ? -SIZING_STEP : SIZING_STEP;
        moved[(across ? 0 : 1) + (near_side ? 0 : 2)] += step;
        cursor_after = from;
        cursor_after[across ? 0 : 1] += step;
        expected.push_back(
            seen(WM_SIZING, edge, CHECK_BOTH, reinterpret_cast<LPARAM>(&sizing_state.tracking)));
      } else {
        EXPECT_EQ(GetCursor(), shared_cursor(PLACED[next].second));
      }
      EXPECT_EQ(cursor(), cursor_after);
      EXPECT_EQ(window_box(window), moved);
      EXPECT_TRUE(log_matches(expected));
      // The cursor's own mouse message then finds the window where it is: no jump.
      pump_messages(50);
      EXPECT_EQ(window_box(window), moved);
      key(window, VK_ESCAPE);
      EXPECT_EQ(window_box(window), box(PLAIN)) << "Escape puts the window back";
    }
  }
}

// The side that follows the cursor stops at the limits, exactly, and the opposite side stays;
// what the window answers to WM_GETMINMAXINFO and WM_SIZING is obeyed.
TEST_F(Sizing, TheWindowStaysWithinItsLimitsAndHasTheLastWord) {
  const LONG mx = GetSystemMetrics(SM_CXMINTRACK), my = GetSystemMetrics(SM_CYMINTRACK);
  // The window, the edge, the cursor, the key; the window's own minimum and maximum track sizes
  // and width while sized (0: none); the window after the key.
  const std::tuple<RECT, int, POINT, WPARAM, POINT, POINT, LONG, Box> cases[] = {
      {{200, 150, 204 + mx, 390}, 2, {202 + mx, 270}, VK_LEFT, {}, {}, 0, {200, 150, 200 + mx, 390}},
      {{200, 150, 520, 154 + my}, 3, {360, 150}, VK_DOWN, {}, {}, 0, {200, 154, 520, 154 + my}},
      {PLAIN, 1, {200, 270}, VK_RIGHT, {314, 0}, {}, 0, {206, 150, 520, 390}},
      {PLAIN, 2, {518, 270}, VK_LEFT, {314, 0}, {}, 0, {200, 150, 514, 390}},
      {PLAIN, 6, {360, 388}, VK_DOWN, {}, {0, 243}, 0, {200, 150, 520, 393}},
      {PLAIN, 4, {202, 152}, VK_LEFT, {}, {325, 0}, 0, {195, 150, 520, 390}},
      {PLAIN, 2, {518, 270}, VK_RIGHT, {}, {}, 250, {200, 150, 450, 390}},
  };
  HWND window = open(1, PLAIN);
  for (const auto& [rectangle, edge, at, arrow, min, max, width, expected] : cases) {
    SCOPED_TRACE(testing::Message() << "edge " << edge << ", key " << arrow);
    place(window, rectangle);
    std::tie(own_min, own_max, own_width) = std::tie(min, max, width);
    start(window, edge, at);
    key(window, arrow);
    EXPECT_EQ(window_box(window), expected);
    key(window, VK_RETURN);
  }
}

TEST_F(Sizing, TheMouseDragsTheEdgeUntilTheButtonComesUp) {
  HWND window = open(1, PLAIN);
  start(window, WMSZ_BOTTOMRIGHT, {518, 388});
  POINT point{550, 405};
  ScreenToClient(window, &point);
  EXPECT_EQ(SendMessageA(window, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(point.x, point.y)), 0);
  EXPECT_EQ(window_box(window), (Box{200, 150, 552, 407}));
  SendMessageA(window, WM_LBUTTONUP, 0, MAKELPARAM(point.x, point.y));
  EXPECT_EQ(sizing_state.active, 0);
  EXPECT_EQ(window_box(window), (Box{200, 150, 552, 407}));
}

TEST_F(Sizing, AChildWindowMovesInItsParentsClientCoordinates) {
  HWND parent = open(1, {100, 100, 700, 600});
  HWND child = open(2, {40, 30, 240, 180}, WS_CHILD | WS_THICKFRAME, parent);
  const Box before = window_box(child);
  start(child, WMSZ_RIGHT, {before[2] - 2, before[1] + 50});
  key(child, VK_RIGHT);
  EXPECT_EQ(window_box(child), (Box{before[0], before[1], before[2] + 10, before[3]}));
  key(child, VK_ESCAPE);
  EXPECT_EQ(window_box(child), before);
}

// The mode belongs to the window it started on, and it ends when that window loses the
// mouse or goes away rather than staying on with nothing left to end it.
TEST_F(Sizing, OnlyTheSizedWindowMovesOrEndsTheMode) {
  HWND sized = open(1, PLAIN);
  HWND other = open(2, {600, 150, 900, 400});
  start(sized, WMSZ_RIGHT, {518, 270});
  EXPECT_EQ(sizing_handler(other, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5)), UNHANDLED_RESULT);
  EXPECT_EQ(sizing_handler(other, WM_KEYDOWN, VK_ESCAPE, 0), UNHANDLED_RESULT);
  EXPECT_EQ(sizing_handler(other, WM_LBUTTONUP, 0, 0), UNHANDLED_RESULT);
  EXPECT_EQ(window_box(other), (Box{600, 150, 900, 400}));
  EXPECT_EQ(sizing_state.active, 1);
  SetCapture(other);
  EXPECT_EQ(sizing_state.active, 0);
  ReleaseCapture();
  start(sized, 0, INSIDE);
  close_window(1);
  EXPECT_EQ(sizing_state.active, 0);
  start(other, 0, {700, 250});
  EXPECT_EQ(sizing_state.active, 1);
  key(other, VK_RETURN);
}

// What the handler answers (UNHANDLED_RESULT: it left the message alone) and whether the mode
// is on afterwards: first the commands that may start it, then the messages while it is on.
TEST_F(Sizing, ResultsSayWhichMessagesTheModeTookOver) {
  const LRESULT ALONE = UNHANDLED_RESULT;
  const std::pair<WPARAM, LRESULT> commands[] = {
      {SC_SIZE, 0},         {SC_SIZE | WMSZ_BOTTOMRIGHT, 0}, {SC_SIZE | 9, ALONE}, {SC_MOVE, ALONE},
      {SC_MINIMIZE, ALONE},
  };
  const std::tuple<UINT, WPARAM, LRESULT, int> while_on[] = {
      {WM_KEYDOWN, VK_LEFT, ALONE, 1}, {WM_KEYDOWN, VK_UP, ALONE, 1}, {WM_KEYDOWN, VK_RIGHT, ALONE, 1},
      {WM_KEYDOWN, VK_DOWN, ALONE, 1}, {WM_KEYDOWN, 'A', ALONE, 1},   {WM_SYSCOMMAND, SC_SIZE, ALONE, 1},
      {WM_MOUSEMOVE, 0, 0, 1},         {WM_KEYDOWN, VK_RETURN, 0, 0}, {WM_KEYDOWN, VK_ESCAPE, 0, 0},
      {WM_LBUTTONUP, 0, 0, 0},
  };
  HWND window = open(1, PLAIN);
  const auto answers = [&](UINT message, WPARAM wParam, LRESULT result, int active) {
    SCOPED_TRACE(testing::Message() << message << ", " << std::hex << wParam);
    EXPECT_EQ(sizing_handler(window, message, wParam, MAKELPARAM(10, 10)), result);
    EXPECT_EQ(sizing_state.active, active);
    EXPECT_EQ(GetCapture(), active ? window : nullptr);
    sizing_handler(window, WM_KEYDOWN, VK_ESCAPE, 0);
  };
  SystemParametersInfoA(SPI_SETDRAGFULLWINDOWS, FALSE, nullptr, 0);
  answers(WM_SYSCOMMAND, SC_SIZE, ALONE, 0);  // without full-window dragging
  SystemParametersInfoA(SPI_SETDRAGFULLWINDOWS, TRUE, nullptr, 0);
  for (const auto& [command, result] : commands) answers(WM_SYSCOMMAND, command, result, result == 0);
  for (const auto& [message, wParam, result, active] : while_on) {
    start(window, 0, INSIDE);
    answers(message, wParam, result, active);
  }
  EXPECT_EQ(sizing_handler(window, WM_KEYDOWN, VK_RETURN, 0), UNHANDLED_RESULT);
}

// The window menu's Size command through the real window procedure and message loop, while a
// control has the keyboard focus: real key presses still size the window, none of them reaches
// the control, and the focus stays where it was. The keys are queued before anything runs, so
// that a platform sizing loop, were it to run, would find them instead of waiting for ever.
TEST_F(Sizing, TheWindowMenusSizeCommandSizesWithKeysWhileAControlHasTheFocus) {
  // The posted command and the mode's own notice come before the keys; the first key of each
  // pair chooses the edge, the second steps it.
  static const std::vector<ExpectedMessage> MENU_SIZING = {
      seen(WM_SYSCOMMAND, SC_SIZE),
      seen(WM_GETMINMAXINFO, 0, CHECK_MESSAGE),
      seen(WM_LBUTTONDOWN, MK_LBUTTON, CHECK_BOTH),
      seen(WM_ENTERSIZEMOVE, 0, CHECK_BOTH),
      seen(WM_KEYDOWN, VK_RIGHT),
      seen(WM_KEYDOWN, VK_RIGHT),
      seen(WM_SIZING, WMSZ_RIGHT),
      seen(WM_KEYDOWN, VK_DOWN),
      seen(WM_KEYDOWN, VK_DOWN),
      seen(WM_SIZING, WMSZ_BOTTOMRIGHT),
      seen(WM_KEYDOWN, VK_RETURN),
      seen(WM_CAPTURECHANGED, 0, CHECK_BOTH),
      seen(WM_EXITSIZEMOVE, 0, CHECK_BOTH),
  };
  HWND window = open(1, PLAIN);
  set_control_parent(window);
  HWND edit = as_hwnd(create_edit_control(100, 10, 10, 100, 22, "", 0));
  SetFocus(edit);
  SetCursorPos(INSIDE.x, INSIDE.y);
  pump_messages(50);
  ASSERT_EQ(GetFocus(), edit);
  clear_message_log();
  PostMessageA(window, WM_SYSCOMMAND, SC_SIZE, 0);
  press_keys({VK_RIGHT, VK_RIGHT, VK_DOWN, VK_DOWN, VK_RETURN});
  wait_for_key_up(VK_RETURN);
  pump_messages();
  EXPECT_EQ(window_box(window), (Box{200, 150, 530, 400}));
  EXPECT_EQ(sizing_state.active, 0);
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_TRUE(log_matches(MENU_SIZING));
  EXPECT_EQ(GetFocus(), edit);
  EXPECT_STREQ(get_control_text(100), "");
}

}  // namespace
