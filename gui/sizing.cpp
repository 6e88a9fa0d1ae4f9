#include <array>

#include "gui/gui.h"

SizingState sizing_state;

// System cursor numbers (IDC_SIZENWSE .. IDC_SIZEALL).
enum SizingShape : int {
  SHAPE_NWSE = 32642,
  SHAPE_NESW = 32643,
  SHAPE_WE = 32644,
  SHAPE_NS = 32645,
  SHAPE_ALL = 32646,
};

enum Side : unsigned {
  SIDE_LEFT = 1,
  SIDE_RIGHT = 2,
  SIDE_TOP = 4,
  SIDE_BOTTOM = 8,
};

// The sides of the rectangle that follow the cursor, by edge.
constexpr std::array<unsigned, 9> EDGE_SIDES{
    0,
    SIDE_LEFT,
    SIDE_RIGHT,
    SIDE_TOP,
    SIDE_TOP | SIDE_LEFT,
    SIDE_TOP | SIDE_RIGHT,
    SIDE_BOTTOM,
    SIDE_BOTTOM | SIDE_LEFT,
    SIDE_BOTTOM | SIDE_RIGHT,
};

// Where a newly chosen edge puts the cursor on one axis: where it is, on the near side of the
// rectangle (left or top), just inside the near side, or just inside the far side.
enum Anchor : unsigned char { AT_CURSOR, AT_NEAR, INSIDE_NEAR, INSIDE_FAR };

struct ArrowMove {
  int edge;  // the edge the key chooses; 0 means a step of the current edge
  int shape;
  Anchor x;
  Anchor y;
};

constexpr ArrowMove STEP{0, 0, AT_CURSOR, AT_CURSOR};
constexpr ArrowMove TO_LEFT{WMSZ_LEFT, SHAPE_WE, AT_NEAR, AT_CURSOR};
constexpr ArrowMove TO_RIGHT{WMSZ_RIGHT, SHAPE_WE, INSIDE_FAR, AT_CURSOR};
constexpr ArrowMove TO_TOP{WMSZ_TOP, SHAPE_NS, AT_CURSOR, AT_NEAR};
constexpr ArrowMove TO_BOTTOM{WMSZ_BOTTOM, SHAPE_NS, AT_CURSOR, INSIDE_FAR};
constexpr ArrowMove TO_TOP_LEFT{WMSZ_TOPLEFT, SHAPE_NWSE, INSIDE_NEAR, INSIDE_NEAR};
constexpr ArrowMove TO_TOP_RIGHT{WMSZ_TOPRIGHT, SHAPE_NESW, INSIDE_FAR, AT_NEAR};
constexpr ArrowMove TO_BOTTOM_LEFT{WMSZ_BOTTOMLEFT, SHAPE_NESW, AT_NEAR, INSIDE_FAR};
constexpr ArrowMove TO_BOTTOM_RIGHT{WMSZ_BOTTOMRIGHT, SHAPE_NWSE, INSIDE_FAR, INSIDE_FAR};

// Rows by edge; columns in virtual-key order: VK_LEFT, VK_UP, VK_RIGHT, VK_DOWN.
constexpr std::array<std::array<ArrowMove, 4>, 9> ARROW_MOVES{{
    {TO_LEFT, TO_TOP, TO_RIGHT, TO_BOTTOM},
    {STEP, TO_TOP_LEFT, STEP, TO_BOTTOM_LEFT},
    {STEP, TO_TOP_RIGHT, STEP, TO_BOTTOM_RIGHT},
    {TO_TOP_LEFT, STEP, TO_TOP_RIGHT, STEP},
    {STEP, STEP, STEP, STEP},
    {STEP, STEP, STEP, STEP},
    {TO_BOTTOM_LEFT, STEP, TO_BOTTOM_RIGHT, STEP},
    {STEP, STEP, STEP, STEP},
    {STEP, STEP, STEP, STEP},
}};

constexpr std::array<POINT, 4> ARROW_STEPS{{
    {-SIZING_STEP, 0},
    {0, -SIZING_STEP},
    {SIZING_STEP, 0},
    {0, SIZING_STEP},
}};

static HCURSOR shared_cursor(int shape) {
  return static_cast<HCURSOR>(
      LoadImageA(nullptr, MAKEINTRESOURCEA(shape), IMAGE_CURSOR, 0, 0, LR_SHARED | LR_DEFAULTSIZE));
}

void set_sizing_cursor(int shape, int x, int y) {
  SetCursorPos(x, y);
  SetCursor(shared_cursor(shape));
}

void move_window_to_rectangle(HWND window, const RECT& rectangle) {
  RECT placed = rectangle;
  if (GetWindowLongA(window, GWL_STYLE) & WS_CHILD)
    MapWindowPoints(nullptr, GetParent(window), reinterpret_cast<POINT*>(&placed), 2);
  MoveWindow(window, placed.left, placed.top, placed.right - placed.left, placed.bottom - placed.top, TRUE);
}

// The side that follows the cursor gives way when the span leaves the limits, so the
// opposite side never moves.
static LONG limit_near_side(LONG near_side, LONG far_side, LONG minimum, LONG maximum) {
  if (far_side - near_side < minimum) return far_side - minimum;
  if (far_side - near_side > maximum) return far_side - maximum;
  return near_side;
}

static LONG limit_far_side(LONG near_side, LONG far_side, LONG minimum, LONG maximum) {
  if (far_side - near_side < minimum) return near_side + minimum;
  if (far_side - near_side > maximum) return near_side + maximum;
  return far_side;
}

void update_sizing_rectangle(int x, int y) {
  RECT& r = sizing_state.tracking;
  const POINT minimum = sizing_state.limits.ptMinTrackSize;
  const POINT maximum = sizing_state.limits.ptMaxTrackSize;
  const unsigned sides = EDGE_SIDES[sizing_state.edge];
  // Only the top-left grip sits inside its near sides; the others sit on them.
  const int near_grip = sizing_state.edge == WMSZ_TOPLEFT ? SIZING_GRIP_OFFSET : 0;
  if (sides & SIDE_LEFT) r.left = limit_near_side(x - near_grip, r.right, minimum.x, maximum.x);
  if (sides & SIDE_RIGHT) r.right = limit_far_side(r.left, x + SIZING_GRIP_OFFSET, minimum.x, maximum.x);
  if (sides & SIDE_TOP) r.top = limit_near_side(y - near_grip, r.bottom, minimum.y, maximum.y);
  if (sides & SIDE_BOTTOM) r.bottom = limit_far_side(r.top, y + SIZING_GRIP_OFFSET, minimum.y, maximum.y);
}

void track_sizing_to(HWND window, int x, int y) {
  SetCursorPos(x, y);
  update_sizing_rectangle(x, y);
  SendMessageA(window, WM_SIZING, static_cast<WPARAM>(sizing_state.edge),
               reinterpret_cast<LPARAM>(&sizing_state.tracking));
  move_window_to_rectangle(window, sizing_state.tracking);
}

static void fill_sizing_limits(HWND window) {
  MINMAXINFO& limits = sizing_state.limits;
  limits.ptReserved = {0, 0};
  limits.ptMaxSize = {GetSystemMetrics(SM_CXMAXIMIZED), GetSystemMetrics(SM_CYMAXIMIZED)};
  if (GetWindowLongA(window, GWL_STYLE) & WS_BORDER)
    limits.ptMaxPosition = {GetSystemMetrics(SM_CXBORDER), GetSystemMetrics(SM_CYBORDER)};
  else if (GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_WINDOWEDGE)
    limits.ptMaxPosition = {GetSystemMetrics(SM_CXEDGE), GetSystemMetrics(SM_CYEDGE)};
  else
    limits.ptMaxPosition = {0, 0};
  limits.ptMinTrackSize = {GetSystemMetrics(SM_CXMINTRACK), GetSystemMetrics(SM_CYMINTRACK)};
  limits.ptMaxTrackSize = {GetSystemMetrics(SM_CXMAXTRACK), GetSystemMetrics(SM_CYMAXTRACK)};
  SendMessageA(window, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
}

static bool full_window_dragging() {
  BOOL full = FALSE;
  SystemParametersInfoA(SPI_GETDRAGFULLWINDOWS, 0, &full, 0);
  return full != FALSE;
}

static void announce_end(HWND window) {
  PostMessageA(window, WM_EXITSIZEMOVE, 0, 0);
  if (sizing_state.restore_cursor) SetCursorPos(sizing_state.start_cursor.x, sizing_state.start_cursor.y);
}

// The mode goes off before the capture does, so the WM_CAPTURECHANGED that ReleaseCapture
// sends finds nothing left to end.
static LRESULT end_sizing(HWND window) {
  sizing_state.active = 0;
  ReleaseCapture();
  announce_end(window);
  return 0;
}

static LRESULT cancel_sizing(HWND window) {
  sizing_state.active = 0;
  ReleaseCapture();
  move_window_to_rectangle(window, sizing_state.start);
  announce_end(window);
  return 0;
}

static LRESULT start_sizing(HWND window, WPARAM command) {
  // Only the eight edges and "none yet" index the tables; other low bits are no edge at all.
  const int edge = static_cast<int>(command & 0xF);
  if (edge > WMSZ_BOTTOMRIGHT || !full_window_dragging()) return UNHANDLED_RESULT;

  sizing_state.active = 1;
  sizing_state.edge = edge;
  sizing_state.window = window;
  GetWindowRect(window, &sizing_state.tracking);
  sizing_state.start = sizing_state.tracking;
  fill_sizing_limits(window);
  if (GetKeyState(VK_LBUTTON) == 0) SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, 0);
  SetCapture(window);
  PostMessageA(window, WM_ENTERSIZEMOVE, 0, 0);
  sizing_state.restore_cursor = edge == 0;
  if (edge == 0) {
    GetCursorPos(&sizing_state.start_cursor);
    SetCursor(shared_cursor(SHAPE_ALL));
  } else if (GetKeyState(VK_LBUTTON) >= 0) {
    // A drag on the border whose button went up before the mode began: no release will come.
    return end_sizing(window);
  }
  return 0;
}

// Another window took the mouse: without the capture the mode would never see the button go up and would
// stay on for good. Any program can send or post WM_CAPTURECHANGED, so the capture itself is asked.
static LRESULT lose_capture(HWND window) {
  if (GetCapture() == window) return UNHANDLED_RESULT;
  sizing_state.active = 0;
  announce_end(window);
  return UNHANDLED_RESULT;
}

// The mode ends with its window, and lets go of the mouse: Wine sends no WM_CAPTURECHANGED while a window
// goes away.
static LRESULT lose_window(HWND window) {
  sizing_state.active = 0;
  if (GetCapture() == window) ReleaseCapture();
  announce_end(window);
  return UNHANDLED_RESULT;
}

static LRESULT follow_mouse(HWND window, LPARAM position) {
  sizing_state.restore_cursor = 0;
  POINT point{static_cast<SHORT>(LOWORD(position)), static_cast<SHORT>(HIWORD(position))};
  MapWindowPoints(window, nullptr, &point, 1);
  update_sizing_rectangle(point.x, point.y);
  SendMessageA(window, WM_SIZING, static_cast<WPARAM>(sizing_state.edge),
               reinterpret_cast<LPARAM>(&sizing_state.tracking));
  move_window_to_rectangle(window, sizing_state.tracking);
  return 0;
}

static int anchor_coordinate(Anchor anchor, LONG cursor, LONG near_side, LONG far_side) {
  switch (anchor) {
    case AT_NEAR:
      return near_side;
    case INSIDE_NEAR:
      return near_side + SIZING_GRIP_OFFSET;
    case INSIDE_FAR:
      return far_side - SIZING_GRIP_OFFSET;
    case AT_CURSOR:
      break;
  }
  return cursor;
}

// Arrow keys pass on to the window even when they acted.
static LRESULT arrow_key(HWND window, WPARAM key) {
  POINT cursor;
  GetCursorPos(&cursor);
  const size_t column = key - VK_LEFT;
  const ArrowMove& move = ARROW_MOVES[sizing_state.edge][column];
  if (move.edge == 0) {
    const POINT step = ARROW_STEPS[column];
    track_sizing_to(window, cursor.x + step.x, cursor.y + step.y);
  } else {
    sizing_state.edge = move.edge;
    const RECT& r = sizing_state.tracking;
    set_sizing_cursor(move.shape, anchor_coordinate(move.x, cursor.x, r.left, r.right),
                      anchor_coordinate(move.y, cursor.y, r.top, r.bottom));
  }
  return UNHANDLED_RESULT;
}

static LRESULT sizing_key(HWND window, WPARAM key) {
  switch (key) {
    case VK_RETURN:
      return end_sizing(window);
    case VK_ESCAPE:
      return cancel_sizing(window);
    case VK_LEFT:
    case VK_UP:
    case VK_RIGHT:
    case VK_DOWN:
      return arrow_key(window, key);
  }
  return UNHANDLED_RESULT;
}

LRESULT sizing_handler(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (!sizing_state.active) {
    if (message == WM_SYSCOMMAND && (wParam & 0xFFF0) == SC_SIZE) return start_sizing(window, wParam);
    return UNHANDLED_RESULT;
  }
  if (window != sizing_state.window) return UNHANDLED_RESULT;
  switch (message) {
    case WM_MOUSEMOVE:
      return follow_mouse(window, lParam);
    case WM_KEYDOWN:
      return sizing_key(window, wParam);
    case WM_LBUTTONUP:
    // A quick click on the border can queue its release before the mode takes the mouse; Windows
    // then delivers it as a non-client message.
    case WM_NCLBUTTONUP:
      return end_sizing(window);
    case WM_CAPTURECHANGED:
      return lose_capture(window);
    case WM_DESTROY:
      return lose_window(window);
  }
  return UNHANDLED_RESULT;
}
