#include <string>
#include <vector>

#include "tests/gui/gui_test_support.h"

namespace {

// Full-window dragging as the test needs it, and the user's own setting back afterwards,
// whatever the outcome.
struct DragFullWindows {
  BOOL previous = FALSE;
  explicit DragFullWindows(BOOL on) {
    SystemParametersInfoA(SPI_GETDRAGFULLWINDOWS, 0, &previous, 0);
    SystemParametersInfoA(SPI_SETDRAGFULLWINDOWS, on, nullptr, 0);
  }
  ~DragFullWindows() { SystemParametersInfoA(SPI_SETDRAGFULLWINDOWS, previous, nullptr, 0); }
};

WNDPROC library_procedure;
// A window with a will of its own: the limits it sets (0 keeps the system's) and a width it
// insists on while being sized (0: none).
POINT own_min, own_max;
LONG own_width;

// In front of the library's window procedure: logs what the mode and the queue deliver, and
// plays a window that sets limits or a rectangle of its own.
LRESULT CALLBACK test_subclass(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_GETMINMAXINFO:
      // SetWindowPos asks for the limits too; only the mode's question counts.
      if (lParam != reinterpret_cast<LPARAM>(&sizing_state.limits)) break;
      if (own_min.x) reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize.x = own_min.x;
      if (own_max.x) reinterpret_cast<MINMAXINFO*>(lParam)->ptMaxTrackSize.x = own_max.x;
      if (own_max.y) reinterpret_cast<MINMAXINFO*>(lParam)->ptMaxTrackSize.y = own_max.y;
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

RECT window_rect(HWND window) {
  RECT r;
  GetWindowRect(window, &r);
  return r;
}

POINT cursor_pos() {
  POINT p;
  GetCursorPos(&p);
  return p;
}

std::string text(const RECT& r) {
  return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
         std::to_string(r.bottom);
}
std::string text(POINT p) { return std::to_string(p.x) + "," + std::to_string(p.y); }

HCURSOR shared_cursor(LPCSTR shape) {
  return static_cast<HCURSOR>(LoadImageA(nullptr, shape, IMAGE_CURSOR, 0, 0, LR_SHARED | LR_DEFAULTSIZE));
}

ExpectedMessage seen(UINT message, WPARAM wParam = 0, unsigned check = CHECK_WPARAM, LPARAM lParam = 0) {
  return {message, "window", check, wParam, lParam};
}

const RECT PLAIN{200, 150, 520, 390};
const POINT INSIDE{360, 270};
constexpr DWORD SIZABLE = WS_CAPTION | WS_SYSMENU | WS_THICKFRAME;

class Sizing : public GuiTest {
 protected:
  DragFullWindows dragging{TRUE};

  void TearDown() override {
    GuiTest::TearDown();  // destroying the sized window ends the mode
    pump_messages();
    own_min = own_max = {};
    own_width = 0;
    EXPECT_EQ(sizing_state.active, 0);
  }

  HWND open(ObjectNumber number, const RECT& r, DWORD style = SIZABLE, HWND parent = nullptr) {
    HWND window = reinterpret_cast<HWND>(open_window(number, 0, 0, 100, 100, style, "sized", parent));
    library_procedure = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(test_subclass)));
    MoveWindow(window, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
    if (!parent) SetForegroundWindow(window);
    pump_messages();
    return window;
  }

  // Called directly: sent through window_procedure, the command would also reach the
  // platform's own sizing loop, which would wait for keys. The cursor's own mouse message is
  // let through first, so that it does not reach the mode.
  void start(HWND window, int edge, POINT cursor) {
    SetCursorPos(cursor.x, cursor.y);
    pump_messages(50);
    clear_message_log();
    EXPECT_EQ(sizing_handler(window, WM_SYSCOMMAND, SC_SIZE | static_cast<WPARAM>(edge), 0), 0);
  }
};

TEST_F(Sizing, OnlyTheSizeCommandWithFullWindowDraggingAndAnEdgeStartsTheMode) {
  struct Case {
    const char* name;
    BOOL dragging;
    WPARAM command;
    LRESULT result;
  };
  const Case cases[] = {
      {"dragging off", FALSE, SC_SIZE, UNHANDLED_RESULT},
      {"from the menu", TRUE, SC_SIZE, 0},
      {"bottom-right border", TRUE, SC_SIZE | WMSZ_BOTTOMRIGHT, 0},
      {"no such edge", TRUE, SC_SIZE | 9, UNHANDLED_RESULT},
      {"move", TRUE, SC_MOVE, UNHANDLED_RESULT},
      {"minimize", TRUE, SC_MINIMIZE, UNHANDLED_RESULT},
  };
  HWND window = open(1, PLAIN);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DragFullWindows setting(c.dragging);
    EXPECT_EQ(sizing_handler(window, WM_SYSCOMMAND, c.command, 0), c.result);
    EXPECT_EQ(sizing_state.active, c.result == 0 ? 1 : 0);
    EXPECT_EQ(GetCapture(), c.result == 0 ? window : nullptr);
    EXPECT_EQ(sizing_state.edge, c.result == 0 ? static_cast<int>(c.command & 0xF) : sizing_state.edge);
    SendMessageA(window, WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_EQ(sizing_state.active, 0);
  }
}

TEST_F(Sizing, FromTheMenuTheCursorShowsAllWaysAndComesBackUnlessTheMouseMoved) {
  HWND window = open(1, PLAIN);
  for (bool mouse_moved : {false, true}) {
    SCOPED_TRACE(mouse_moved ? "mouse moved" : "keys only");
    start(window, 0, INSIDE);
    EXPECT_EQ(GetCursor(), shared_cursor(IDC_SIZEALL));
    EXPECT_EQ(text(cursor_pos()), text(INSIDE));
    EXPECT_EQ(GetCapture(), window);
    pump_messages();
    if (mouse_moved) SendMessageA(window, WM_MOUSEMOVE, 0, MAKELPARAM(20, 20));
    // Moved behind the mode's back: Enter comes before the cursor's own mouse message.
    SetCursorPos(INSIDE.x + 40, INSIDE.y + 30);
    SendMessageA(window, WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_EQ(text(cursor_pos()), text(mouse_moved ? POINT{INSIDE.x + 40, INSIDE.y + 30} : INSIDE));
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(text(window_rect(window)), text(PLAIN));
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

TEST_F(Sizing, ArrowKeysChooseEdgesAndCornersAndThenStep) {
  // A placement (shape given) moves the cursor only; a step moves it, sends WM_SIZING and
  // moves the window.
  struct Arrow {
    WPARAM key;
    int edge;
    POINT cursor;
    RECT window;
    LPCSTR shape;
  };
  struct Case {
    const char* name;
    int edge;
    POINT cursor;
    std::vector<Arrow> keys;
  };
  const Case cases[] = {
      {"menu, right, down",
       0,
       INSIDE,
       {{VK_RIGHT, 2, {518, 270}, PLAIN, IDC_SIZEWE},
        {VK_DOWN, 8, {518, 388}, PLAIN, IDC_SIZENWSE},
        {VK_DOWN, 8, {518, 398}, {200, 150, 520, 400}, nullptr},
        {VK_LEFT, 8, {508, 398}, {200, 150, 510, 400}, nullptr}}},
      {"menu, right, up",
       0,
       INSIDE,
       {{VK_RIGHT, 2, {518, 270}, PLAIN, IDC_SIZEWE},
        {VK_UP, 5, {518, 150}, PLAIN, IDC_SIZENESW},
        {VK_UP, 5, {518, 140}, {200, 140, 520, 390}, nullptr},
        {VK_RIGHT, 5, {528, 140}, {200, 140, 530, 390}, nullptr}}},
      {"menu, left, up",
       0,
       INSIDE,
       {{VK_LEFT, 1, {200, 270}, PLAIN, IDC_SIZEWE},
        {VK_UP, 4, {202, 152}, PLAIN, IDC_SIZENWSE},
        {VK_LEFT, 4, {192, 152}, {190, 150, 520, 390}, nullptr},
        {VK_UP, 4, {192, 142}, {190, 140, 520, 390}, nullptr}}},
      {"menu, left, down",
       0,
       INSIDE,
       {{VK_LEFT, 1, {200, 270}, PLAIN, IDC_SIZEWE},
        {VK_DOWN, 7, {200, 388}, PLAIN, IDC_SIZENESW},
        {VK_RIGHT, 7, {210, 388}, {210, 150, 520, 390}, nullptr}}},
      {"menu, up, left",
       0,
       INSIDE,
       {{VK_UP, 3, {360, 150}, PLAIN, IDC_SIZENS}, {VK_LEFT, 4, {202, 152}, PLAIN, IDC_SIZENWSE}}},
      {"menu, up, right",
       0,
       INSIDE,
       {{VK_UP, 3, {360, 150}, PLAIN, IDC_SIZENS}, {VK_RIGHT, 5, {518, 150}, PLAIN, IDC_SIZENESW}}},
      {"menu, down, left",
       0,
       INSIDE,
       {{VK_DOWN, 6, {360, 388}, PLAIN, IDC_SIZENS}, {VK_LEFT, 7, {200, 388}, PLAIN, IDC_SIZENESW}}},
      {"menu, down, right",
       0,
       INSIDE,
       {{VK_DOWN, 6, {360, 388}, PLAIN, IDC_SIZENS}, {VK_RIGHT, 8, {518, 388}, PLAIN, IDC_SIZENWSE}}},
      {"right border",
       2,
       {518, 270},
       {{VK_RIGHT, 2, {528, 270}, {200, 150, 530, 390}, nullptr},
        {VK_RIGHT, 2, {538, 270}, {200, 150, 540, 390}, nullptr},
        {VK_LEFT, 2, {528, 270}, {200, 150, 530, 390}, nullptr}}},
  };
  HWND window = open(1, PLAIN);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    MoveWindow(window, PLAIN.left, PLAIN.top, PLAIN.right - PLAIN.left, PLAIN.bottom - PLAIN.top, TRUE);
    start(window, c.edge, c.cursor);
    for (const Arrow& arrow : c.keys) {
      SCOPED_TRACE("key " + std::to_string(arrow.key) + ", edge " + std::to_string(arrow.edge));
      clear_message_log();
      SendMessageA(window, WM_KEYDOWN, arrow.key, 0);
      EXPECT_EQ(sizing_state.edge, arrow.edge);
      EXPECT_EQ(text(cursor_pos()), text(arrow.cursor));
      EXPECT_EQ(text(window_rect(window)), text(arrow.window));
      EXPECT_EQ(GetCursor(), arrow.shape ? shared_cursor(arrow.shape) : GetCursor());
      std::vector<ExpectedMessage> expected{seen(WM_KEYDOWN, arrow.key)};
      if (!arrow.shape)
        expected.push_back(
            seen(WM_SIZING, arrow.edge, CHECK_BOTH, reinterpret_cast<LPARAM>(&sizing_state.tracking)));
      EXPECT_TRUE(log_matches(expected));
      // The cursor's own mouse message then finds the window where it is: no jump.
      pump_messages(50);
      EXPECT_EQ(text(window_rect(window)), text(arrow.window));
    }
    SendMessageA(window, WM_KEYDOWN, VK_RETURN, 0);
  }
}

TEST_F(Sizing, TheWindowStaysWithinItsLimitsAndHasTheLastWord) {
  const LONG mx = GetSystemMetrics(SM_CXMINTRACK), my = GetSystemMetrics(SM_CYMINTRACK);
  struct Case {
    const char* name;
    RECT window;
    int edge;
    POINT cursor;
    WPARAM key;
    POINT min, max;
    LONG width;
    RECT expected;
  };
  const Case cases[] = {
      {"system minimum width",
       {200, 150, 204 + mx, 390},
       2,
       {202 + mx, 270},
       VK_LEFT,
       {},
       {},
       0,
       {200, 150, 200 + mx, 390}},
      {"system minimum height",
       {200, 150, 520, 154 + my},
       3,
       {360, 150},
       VK_DOWN,
       {},
       {},
       0,
       {200, 154, 520, 154 + my}},
      {"window's minimum width", PLAIN, 1, {200, 270}, VK_RIGHT, {314, 0}, {}, 0, {206, 150, 520, 390}},
      {"window's maximum height", PLAIN, 6, {360, 388}, VK_DOWN, {}, {0, 243}, 0, {200, 150, 520, 393}},
      {"window's maximum width, corner",
       PLAIN,
       4,
       {202, 152},
       VK_LEFT,
       {},
       {325, 0},
       0,
       {195, 150, 520, 390}},
      {"window's own rectangle", PLAIN, 2, {518, 270}, VK_RIGHT, {}, {}, 250, {200, 150, 450, 390}},
  };
  HWND window = open(1, PLAIN);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const RECT& r = c.window;
    MoveWindow(window, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
    own_min = c.min;
    own_max = c.max;
    own_width = c.width;
    start(window, c.edge, c.cursor);
    SendMessageA(window, WM_KEYDOWN, c.key, 0);
    EXPECT_EQ(text(window_rect(window)), text(c.expected));
    SendMessageA(window, WM_KEYDOWN, VK_RETURN, 0);
  }
}

TEST_F(Sizing, EscapePutsTheWindowBackAndTheMouseDragsTheEdgeUntilTheButtonComesUp) {
  HWND window = open(1, PLAIN);
  start(window, 0, INSIDE);
  for (WPARAM key : {VK_DOWN, VK_RIGHT, VK_DOWN, VK_DOWN, VK_RIGHT, VK_RIGHT, VK_LEFT})
    SendMessageA(window, WM_KEYDOWN, key, 0);
  EXPECT_EQ(text(window_rect(window)), text(RECT{200, 150, 530, 410}));
  SendMessageA(window, WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_EQ(text(window_rect(window)), text(PLAIN));
  EXPECT_EQ(sizing_state.active, 0);
  EXPECT_EQ(GetCapture(), nullptr);

  start(window, WMSZ_BOTTOMRIGHT, {518, 388});
  POINT point{550, 405};
  ScreenToClient(window, &point);
  EXPECT_EQ(SendMessageA(window, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(point.x, point.y)), 0);
  EXPECT_EQ(text(window_rect(window)), text(RECT{200, 150, 552, 407}));
  SendMessageA(window, WM_LBUTTONUP, 0, MAKELPARAM(point.x, point.y));
  EXPECT_EQ(sizing_state.active, 0);
  EXPECT_EQ(text(window_rect(window)), text(RECT{200, 150, 552, 407}));
}

TEST_F(Sizing, AChildWindowMovesInItsParentsClientCoordinates) {
  HWND parent = open(1, {100, 100, 700, 600});
  HWND child = open(2, {40, 30, 240, 180}, WS_CHILD | WS_THICKFRAME, parent);
  const RECT before = window_rect(child);
  start(child, WMSZ_RIGHT, {before.right - 2, before.top + 50});
  SendMessageA(child, WM_KEYDOWN, VK_RIGHT, 0);
  EXPECT_EQ(text(window_rect(child)), text(RECT{before.left, before.top, before.right + 10, before.bottom}));
  SendMessageA(child, WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_EQ(text(window_rect(child)), text(before));
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
  EXPECT_EQ(text(window_rect(other)), text(RECT{600, 150, 900, 400}));
  EXPECT_EQ(sizing_state.active, 1);

  SetCapture(other);
  EXPECT_EQ(sizing_state.active, 0);
  ReleaseCapture();

  start(sized, 0, INSIDE);
  close_window(1);
  EXPECT_EQ(sizing_state.active, 0);
  start(other, 0, {700, 250});
  EXPECT_EQ(sizing_state.active, 1);
  SendMessageA(other, WM_KEYDOWN, VK_RETURN, 0);
}

TEST_F(Sizing, ResultsSayWhichMessagesTheModeTookOver) {
  struct Case {
    const char* name;
    UINT message;
    WPARAM wParam;
    LRESULT result;
    int active_after;
  };
  const Case cases[] = {
      {"left", WM_KEYDOWN, VK_LEFT, UNHANDLED_RESULT, 1},
      {"up", WM_KEYDOWN, VK_UP, UNHANDLED_RESULT, 1},
      {"right", WM_KEYDOWN, VK_RIGHT, UNHANDLED_RESULT, 1},
      {"down", WM_KEYDOWN, VK_DOWN, UNHANDLED_RESULT, 1},
      {"another key", WM_KEYDOWN, 'A', UNHANDLED_RESULT, 1},
      {"a second size command", WM_SYSCOMMAND, SC_SIZE, UNHANDLED_RESULT, 1},
      {"mouse move", WM_MOUSEMOVE, 0, 0, 1},
      {"enter", WM_KEYDOWN, VK_RETURN, 0, 0},
      {"escape", WM_KEYDOWN, VK_ESCAPE, 0, 0},
      {"button up", WM_LBUTTONUP, 0, 0, 0},
  };
  HWND window = open(1, PLAIN);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    start(window, 0, INSIDE);
    EXPECT_EQ(sizing_handler(window, c.message, c.wParam, MAKELPARAM(10, 10)), c.result);
    EXPECT_EQ(sizing_state.active, c.active_after);
    sizing_handler(window, WM_KEYDOWN, VK_ESCAPE, 0);
  }
  EXPECT_EQ(sizing_handler(window, WM_KEYDOWN, VK_RETURN, 0), UNHANDLED_RESULT);
}

// The window menu posts the Size command; the keys follow through the message loop. All of
// it is queued first, so that a platform sizing loop, were it to run, would find the keys and
// the final Enter or Escape instead of waiting for ever.
TEST_F(Sizing, TheWindowMenusSizeCommandSizesWithArrowsAndEnterAndEscapePutsItBack) {
  struct Case {
    const char* name;
    WPARAM command;
    POINT cursor;
    std::vector<WPARAM> keys;
    RECT window;
    std::vector<ExpectedMessage> log;
  };
  const Case cases[] = {
      {"menu, Enter",
       SC_SIZE,
       INSIDE,
       {VK_RIGHT, VK_RIGHT, VK_DOWN, VK_DOWN, VK_RETURN},
       {200, 150, 530, 400},
       {seen(WM_KEYDOWN, VK_RIGHT), seen(WM_KEYDOWN, VK_RIGHT), seen(WM_SIZING, WMSZ_RIGHT),
        seen(WM_KEYDOWN, VK_DOWN), seen(WM_KEYDOWN, VK_DOWN), seen(WM_SIZING, WMSZ_BOTTOMRIGHT),
        seen(WM_KEYDOWN, VK_RETURN)}},
      {"menu, Escape",
       SC_SIZE,
       INSIDE,
       {VK_DOWN, VK_DOWN, VK_LEFT, VK_LEFT, VK_ESCAPE},
       PLAIN,
       {seen(WM_KEYDOWN, VK_DOWN), seen(WM_KEYDOWN, VK_DOWN), seen(WM_SIZING, WMSZ_BOTTOM),
        seen(WM_KEYDOWN, VK_LEFT), seen(WM_KEYDOWN, VK_LEFT), seen(WM_SIZING, WMSZ_BOTTOMLEFT),
        seen(WM_KEYDOWN, VK_ESCAPE)}},
      {"right border, Enter",
       SC_SIZE | WMSZ_RIGHT,
       {518, 270},
       {VK_RIGHT, VK_RETURN},
       {200, 150, 530, 390},
       {seen(WM_KEYDOWN, VK_RIGHT), seen(WM_SIZING, WMSZ_RIGHT), seen(WM_KEYDOWN, VK_RETURN)}},
  };
  HWND window = open(1, PLAIN);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    MoveWindow(window, PLAIN.left, PLAIN.top, PLAIN.right - PLAIN.left, PLAIN.bottom - PLAIN.top, TRUE);
    SetCursorPos(c.cursor.x, c.cursor.y);
    settle();
    pump_messages(50);
    clear_message_log();
    PostMessageA(window, WM_SYSCOMMAND, c.command, 0);
    for (WPARAM key : c.keys) PostMessageA(window, WM_KEYDOWN, key, 0);
    pump_messages(50);
    EXPECT_EQ(text(window_rect(window)), text(c.window));
    EXPECT_EQ(sizing_state.active, 0);
    EXPECT_EQ(GetCapture(), nullptr);
    std::vector<ExpectedMessage> log{seen(WM_SYSCOMMAND, c.command), seen(WM_GETMINMAXINFO, 0, CHECK_MESSAGE),
                                     seen(WM_LBUTTONDOWN, MK_LBUTTON, CHECK_BOTH)};
    log.insert(log.end(), c.log.begin(), c.log.end());
    for (UINT ending : {WM_CAPTURECHANGED, WM_ENTERSIZEMOVE, WM_EXITSIZEMOVE})
      log.push_back(seen(ending, 0, CHECK_BOTH));
    EXPECT_TRUE(log_matches(log));
  }
}

}  // namespace

namespace {

void press_keys(std::initializer_list<WORD> keys) {
  std::vector<INPUT> inputs;
  for (WORD key : keys) {
    for (DWORD flags : {0ul, static_cast<unsigned long>(KEYEVENTF_KEYUP)}) {
      INPUT input{};
      input.type = INPUT_KEYBOARD;
      input.ki.wVk = key;
      input.ki.dwFlags = flags;
      inputs.push_back(input);
    }
  }
  SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

// In a form the keyboard focus sits on a control; while the mode is on, real key presses
// still size the window, and none of them reaches the control.
TEST_F(Sizing, KeysSizeTheWindowWhileAControlHasTheFocus) {
  HWND window = open(1, PLAIN);
  set_control_parent(window);
  HWND edit = reinterpret_cast<HWND>(create_edit_control(100, 10, 10, 100, 22, "", 0));
  SetFocus(edit);
  SetCursorPos(INSIDE.x, INSIDE.y);
  pump_messages(50);
  ASSERT_EQ(GetFocus(), edit);

  PostMessageA(window, WM_SYSCOMMAND, SC_SIZE, 0);
  press_keys({VK_RIGHT, VK_RIGHT, VK_RETURN});
  const UINT_PTR guard = SetTimer(nullptr, 0, 10000, nullptr);
  for (;;) {
    const INT_PTR result = wait_window_event();
    ASSERT_NE(result, WM_TIMER) << "the keys never arrived";
    if (result == WM_KEYUP && current_event.wParam == VK_RETURN) break;
  }
  KillTimer(nullptr, guard);

  EXPECT_EQ(sizing_state.active, 0);
  EXPECT_EQ(text(window_rect(window)), text(RECT{200, 150, 530, 390}));
  EXPECT_EQ(GetFocus(), edit);
  EXPECT_STREQ(get_control_text(100), "");
}

}  // namespace
