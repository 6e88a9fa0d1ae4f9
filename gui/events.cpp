#include "gui/gui.h"

#include <commctrl.h>

EventState current_event;

static MSG waiting_message;
static char class_name[50];
// GetMessageA answers the messages other threads send while it waits, and goes on waiting after them: an
// event one of them makes ends the wait at once, and the message the wait then retrieves is held for the
// next.
static bool waiting;
static bool event_while_waiting;
static bool message_held;

static void wake_waiting_thread() {
  if (!waiting || event_while_waiting) return;
  event_while_waiting = true;
  PostThreadMessageA(GetCurrentThreadId(), WM_NULL, 0, 0);
}

static bool is_wake_up(const MSG& message) { return !message.hwnd && message.message == WM_NULL; }

static INT_PTR take_event() {
  const INT_PTR code = current_event.code;
  current_event.code = EVENT_NONE;
  return code;
}

INT_PTR wait_window_event() {
  current_event.type = EVENT_TYPE_NONE;
  if (!message_held) {
    const bool outer = waiting;
    waiting = true;
    GetMessageA(&waiting_message, nullptr, 0, 0);
    waiting = outer;
    if (event_while_waiting) {
      event_while_waiting = false;
      message_held = !is_wake_up(waiting_message);
      return take_event();
    }
  }
  message_held = false;
  // Keys go to the window being sized, as in the platform's own sizing loop, not to the
  // control that has the focus.
  if (sizing_state.active && waiting_message.message >= WM_KEYFIRST && waiting_message.message <= WM_KEYLAST)
    waiting_message.hwnd = sizing_state.window;
  HWND active = GetActiveWindow();
  HACCEL table = window_accelerators(active);
  if (!table || !TranslateAcceleratorA(active, table, &waiting_message)) {
    TranslateMessage(&waiting_message);
    DispatchMessageA(&waiting_message);
  }
  if (current_event.code != EVENT_NONE) return take_event();
  current_event.wParam = waiting_message.wParam;
  current_event.lParam = waiting_message.lParam;
  return waiting_message.message;
}

ObjectNumber event_window() { return find_window_number(current_event.window); }

INT_PTR event_control() { return current_event.control; }

HWND root_window(HWND handle) {
  for (HWND parent = GetParent(handle); parent; parent = GetParent(handle)) handle = parent;
  return handle;
}

LRESULT CALLBACK window_procedure(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
  // Passed on, another's would free the window's title as the real one does.
  if (is_foreign_destruction(handle, message, wParam, lParam)) return 0;
  if (message == WM_NCDESTROY) release_destroyed_window(handle);
  const LRESULT result = translate_event(handle, message, wParam, lParam);
  if (current_event.code != EVENT_NONE) wake_waiting_thread();
  return result == UNHANDLED_RESULT ? DefWindowProcA(handle, message, wParam, lParam) : result;
}

static void read_class_name(HWND handle) {
  class_name[0] = 0;
  GetClassNameA(handle, class_name, sizeof class_name);
}

static bool class_begins_with(const char (&prefix)[5]) {
  for (int i = 0; i < 4; ++i)
    if (class_name[i] != prefix[i]) return false;
  return true;
}

static void control_event(HWND window, INT_PTR control) {
  current_event.code = EVENT_CONTROL;
  current_event.control = control;
  current_event.window = root_window(window);
}

static INT_PTR control_number(LPARAM control) {
  return GetWindowLongPtrA(reinterpret_cast<HWND>(control), GWLP_ID);
}

// Only a selection change and a double click of a list box are events.
static void apply_list_box_rule(LPARAM control) {
  read_class_name(reinterpret_cast<HWND>(control));
  if (!class_begins_with("List")) return;
  if (current_event.type == LBN_SELCHANGE) {
    current_event.type = EVENT_TYPE_LEFT_CLICK;
  } else if (current_event.type != LBN_DBLCLK) {
    current_event.code = EVENT_NONE;
  }
}

static void translate_control_command(WPARAM wParam, LPARAM lParam) {
  current_event.code = EVENT_CONTROL;
  current_event.type = HIWORD(wParam);
  current_event.control = control_number(lParam);
  if (current_event.control == MENU_SOURCE_ID) {
    current_event.code = EVENT_MENU;
    current_event.control = LOWORD(wParam);
  }
  apply_list_box_rule(lParam);
}

static LRESULT translate_command(WPARAM wParam, LPARAM lParam) {
  if (lParam) {
    translate_control_command(wParam, lParam);
    return 0;
  }
  // Without a control: a menu command (high word 0) or an accelerator command.
  if (HIWORD(wParam) == 0) {
    current_event.code = EVENT_MENU;
    current_event.control = static_cast<INT_PTR>(wParam);
    return 0;
  }
  if (LOWORD(wParam) == CMD_NEXT_CONTROL) {
    focus_next_control();
    return 0;
  }
  if (LOWORD(wParam) == CMD_PREVIOUS_CONTROL) {
    focus_previous_control();
    return 0;
  }
  current_event.code = EVENT_MENU;
  current_event.control = LOWORD(wParam);
  return static_cast<LRESULT>(wParam & ~static_cast<WPARAM>(0xFFFF));
}

static INT_PTR click_type(UINT code) {
  switch (code) {
    case NM_CLICK:
      return EVENT_TYPE_LEFT_CLICK;
    case NM_DBLCLK:
      return EVENT_TYPE_LEFT_DOUBLE_CLICK;
    case NM_RCLICK:
      return EVENT_TYPE_RIGHT_CLICK;
    case NM_RDBLCLK:
      return EVENT_TYPE_RIGHT_DOUBLE_CLICK;
    case LVN_ITEMACTIVATE:
      return EVENT_TYPE_LEFT_DOUBLE_CLICK;
    default:
      return current_event.type;
  }
}

// Tree views, tab controls, list views and links: clicks, selection and item changes.
static bool item_control_event(const NMHDR& header) {
  if (!class_begins_with("SysT") && !class_begins_with("SysL")) return false;
  current_event.type = click_type(header.code);
  return current_event.type != EVENT_TYPE_NONE || header.code == TVN_SELCHANGEDA ||
         header.code == LVN_ITEMCHANGED;
}

static bool notification_is_event(LPARAM lParam) {
  const auto& header = *reinterpret_cast<const NMHDR*>(lParam);
  read_class_name(header.hwndFrom);
  if (item_control_event(header)) return true;
  if (header.code == DTN_DATETIMECHANGE && class_begins_with("SysD")) return true;
  if (header.code == MCN_SELCHANGE && class_begins_with("SysM")) return true;
  if (header.code == UDN_DELTAPOS) {
    current_event.type = reinterpret_cast<const NMUPDOWN*>(lParam)->iDelta;
    return true;
  }
  return false;
}

// Posted, or sent from another process, lParam may point anywhere.
static void translate_notify(HWND window, WPARAM wParam, LPARAM lParam) {
  const auto* header = reinterpret_cast<const NMHDR*>(lParam);
  if (!header || !take_own_send(window, WM_NOTIFY, wParam, lParam)) return;
  if (notification_is_event(lParam)) control_event(window, static_cast<INT_PTR>(header->idFrom));
}

// The system would give the window itself the focus.
static LRESULT translate_activation(HWND window, WPARAM state) {
  if (LOWORD(state) == WA_INACTIVE) {
    remember_focus(window);
  } else if (!HIWORD(state) && restore_focus(window)) {
    return 0;
  }
  return UNHANDLED_RESULT;
}

static void translate_mouse_notify(WPARAM control, LPARAM mouse_message) {
  current_event.code = EVENT_NONE;
  current_event.control = static_cast<INT_PTR>(control);
  INT_PTR type = EVENT_TYPE_NONE;
  switch (mouse_message) {
    case WM_LBUTTONDBLCLK:
      type = EVENT_TYPE_LEFT_DOUBLE_CLICK;
      break;
    case WM_RBUTTONDBLCLK:
      type = EVENT_TYPE_RIGHT_DOUBLE_CLICK;
      break;
    case WM_LBUTTONUP:
      type = EVENT_TYPE_LEFT_CLICK;
      break;
    case WM_RBUTTONUP:
      type = EVENT_TYPE_RIGHT_CLICK;
      break;
    default:
      return;
  }
  current_event.code = EVENT_MOUSE_NOTIFY;
  current_event.type = type;
}

LRESULT translate_event(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
  current_event.window = handle;
  current_event.message = message;
  current_event.wParam = wParam;
  current_event.lParam = lParam;
  // What the sizing mode took over goes no further: DefWindowProcA would start the platform's
  // own sizing loop on the Size command, which takes the mode's keys and mouse away from it.
  if (sizing_handler(handle, message, wParam, lParam) == 0) return 0;

  switch (message) {
    case WM_NOTIFY:
      translate_notify(handle, wParam, lParam);
      return 0;
    case WM_HSCROLL:
    case WM_VSCROLL:
      control_event(handle, control_number(lParam));
      return 0;
    case WM_COMMAND:
      return translate_command(wParam, lParam);
    case MSG_MOUSE_NOTIFY_QUEUED:
      translate_mouse_notify(wParam, lParam);
      return 0;
    case MSG_SIZE_QUEUED:
      current_event.code = EVENT_SIZE_WINDOW;
      return 0;
    case WM_SIZE:
      // Reported by a later wait, once the size has settled.
      PostMessageA(handle, MSG_SIZE_QUEUED, wParam, lParam);
      return 0;
    case MSG_MOUSE_NOTIFY:
      PostMessageA(handle, MSG_MOUSE_NOTIFY_QUEUED, wParam, lParam);
      return 0;
    case WM_CLOSE:
      current_event.code = EVENT_CLOSE_WINDOW;
      return 0;
    case WM_ACTIVATE:
      return translate_activation(handle, wParam);
    default:
      return UNHANDLED_RESULT;
  }
}
