#include "gui/gui.h"

// One walk over the active window's descendants, in the order EnumChildWindows gives, around one
// of them.
struct FocusWalk {
  HWND active;
  HWND from;   // null: the focus is outside the active window
  HWND first;  // the first and last eligible controls
  HWND last;
  HWND before;  // the eligible controls next to from, when it is one
  HWND after;
  bool passed;  // from is eligible and has been passed
};

// SetFocus refuses a window with a disabled ancestor, so the whole chain up to the active window counts.
static bool takes_focus(HWND active, HWND window) {
  if (!IsWindowVisible(window)) return false;
  for (HWND link = window; link && link != active; link = GetParent(link))
    if (!IsWindowEnabled(link)) return false;
  return true;
}

static bool eligible(HWND active, HWND window) {
  return (GetWindowLongPtrA(window, GWL_STYLE) & WS_TABSTOP) && takes_focus(active, window);
}

static BOOL CALLBACK walk_step(HWND window, LPARAM data) {
  auto& walk = *reinterpret_cast<FocusWalk*>(data);
  if (!eligible(walk.active, window)) return TRUE;
  if (!walk.first) walk.first = window;
  if (walk.passed && !walk.after) walk.after = window;
  if (window == walk.from) {
    walk.passed = true;
    walk.before = walk.last;
  }
  walk.last = window;
  return TRUE;
}

static FocusWalk walk_around(HWND active, HWND from) {
  FocusWalk walk{active, from, nullptr, nullptr, nullptr, nullptr, false};
  EnumChildWindows(active, walk_step, reinterpret_cast<LPARAM>(&walk));
  return walk;
}

// Tab: the control after from, the first after the last, the first when the focus is outside the
// active window; none when the focus is on a control that is not eligible.
static HWND control_after(HWND active, HWND from) {
  const FocusWalk walk = walk_around(active, from);
  if (!from) return walk.first;
  if (!walk.passed) return nullptr;
  return walk.after ? walk.after : walk.first;
}

// Shift+Tab: the control before from, the last before the first, and the last when the focus is not
// on an eligible control.
static HWND control_before(HWND active, HWND from) {
  const FocusWalk walk = walk_around(active, from);
  return walk.before ? walk.before : walk.last;
}

// As in a dialog, an edit box the focus moves into has its whole text selected.
static bool focus_control(HWND control) {
  SetFocus(control);
  if (GetFocus() != control) return false;
  if (SendMessageA(control, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL) SendMessageA(control, EM_SETSEL, 0, -1);
  return true;
}

// A control that refuses the focus is passed over for the one beyond it, once round at most. Without
// an active window EnumChildWindows would walk every top-level window instead.
static void move_focus(HWND (*neighbour)(HWND active, HWND from)) {
  HWND active = GetActiveWindow();
  if (!active) return;
  HWND focus = GetFocus();
  const HWND first = neighbour(active, IsChild(active, focus) ? focus : nullptr);
  for (HWND control = first; control && !focus_control(control);) {
    control = neighbour(active, control);
    if (control == first) return;
  }
}

void focus_next_control() { move_focus(control_after); }

void focus_previous_control() { move_focus(control_before); }

static WindowRecord* library_window_record(HWND window) {
  const ObjectNumber number = find_window_number(window);
  return number == -1 ? nullptr : find_record(window_registry, number);
}

void remember_focus(HWND window) {
  WindowRecord* record = library_window_record(window);
  const HWND focus = GetFocus();
  if (record) record->focus = IsChild(window, focus) ? focus : nullptr;
}

// Nothing remembered (the window had the focus itself, or was never deactivated) is left to the system, which
// gives the window the focus.
bool restore_focus(HWND window) {
  const WindowRecord* record = library_window_record(window);
  if (!record || !record->focus) return false;
  HWND control = record->focus;
  if (!IsChild(window, control) || !takes_focus(window, control))
    control = walk_around(window, nullptr).first;
  if (!control) return false;
  SetFocus(control);
  return GetFocus() == control;
}
