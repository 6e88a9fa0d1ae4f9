#include "gui/gui.h"

// One walk over the active window's descendants, in the order EnumChildWindows gives.
struct FocusWalk {
  HWND current;   // the focused control, or null when the focus is outside the active window
  bool found;     // Tab: the current control has been passed
  bool done;      // Shift+Tab: the focus has moved
  HWND previous;  // Shift+Tab: the last eligible control before this one
};

static bool eligible(HWND window) {
  return IsWindowEnabled(window) && IsWindowVisible(window) &&
         (GetWindowLongPtrA(window, GWL_STYLE) & WS_TABSTOP);
}

static HWND focus_inside(HWND active) {
  HWND focus = GetFocus();
  return IsChild(active, focus) ? focus : nullptr;
}

static BOOL CALLBACK next_step(HWND window, LPARAM data) {
  auto& walk = *reinterpret_cast<FocusWalk*>(data);
  if (!eligible(window)) return TRUE;
  if (walk.found || !walk.current) {
    SetFocus(window);
    walk.found = false;
    return FALSE;
  }
  if (window == walk.current) walk.found = true;
  return TRUE;
}

static BOOL CALLBACK previous_step(HWND window, LPARAM data) {
  auto& walk = *reinterpret_cast<FocusWalk*>(data);
  if (!eligible(window)) return TRUE;
  if (window == walk.current && walk.previous) {
    SetFocus(walk.previous);
    walk.done = true;
    return FALSE;
  }
  walk.previous = window;
  return TRUE;
}

// Without an active window, EnumChildWindows would walk every top-level window instead.
void focus_next_control() {
  HWND active = GetActiveWindow();
  if (!active) return;
  FocusWalk walk{focus_inside(active), false, false, nullptr};
  EnumChildWindows(active, next_step, reinterpret_cast<LPARAM>(&walk));
  // The focus was on the last eligible control: wrap to the first.
  if (walk.found) EnumChildWindows(active, next_step, reinterpret_cast<LPARAM>(&walk));
}

void focus_previous_control() {
  HWND active = GetActiveWindow();
  if (!active) return;
  FocusWalk walk{focus_inside(active), false, false, nullptr};
  EnumChildWindows(active, previous_step, reinterpret_cast<LPARAM>(&walk));
  if (!walk.done && walk.previous) SetFocus(walk.previous);
}
