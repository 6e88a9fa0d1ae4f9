#include <array>
#include <cstdint>

#include "formlayer/formlayer.h"

HHOOK hook_handle;
bool hook_removal_requested;

namespace {

// One intercepted message on its way through the one-shot procedure.
struct Dispatch {
  HWND window;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  WNDPROC previous;
  HANDLE found;  // the command or notification handler, which keeps the form callback out
  bool consumed;
  bool from_this_thread;
};

// Intercepted messages between the hook, which swapped their windows for them, and their arrival. A
// hook installed after this one runs after the swap and may send the window other messages first.
PendingMessages awaited;

// Answers the message (true, with result) or leaves it to the common end.
using DispatchStep = bool (*)(Dispatch& dispatch, LRESULT& result);

struct InterceptedMessage {
  UINT message;
  DispatchStep step;  // null: the common end alone
};

// The window's own procedure, the library's among them, asks again whether the thread sent the
// message; one that does not ask leaves nothing behind.
LRESULT call_previous(const Dispatch& d) {
  if (!d.from_this_thread) return CallWindowProcA(d.previous, d.window, d.message, d.wParam, d.lParam);
  announce_own_send(d.window, d.message, d.wParam, d.lParam);
  const LRESULT result = CallWindowProcA(d.previous, d.window, d.message, d.wParam, d.lParam);
  take_own_send(d.window, d.message, d.wParam, d.lParam);
  return result;
}

// A window of another thread or process may carry an event property of its own making, so handlers are
// only ever read from this thread's windows.
bool is_own_window(HWND window) { return GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId(); }

bool dispatch_command(Dispatch& d, LRESULT&) {
  const auto control = reinterpret_cast<HWND>(d.lParam);
  if (!is_own_window(control)) return false;
  d.found = find_event_handler(control, WM_COMMAND, HIWORD(d.wParam));
  if (!d.found) return false;
  reinterpret_cast<CommandHandler>(d.found)(d.window, get_control_id(control));
  d.consumed = true;
  return false;
}

// WM_NOTIFY is not marshalled: posted, or sent from another thread, its lParam need not point at
// anything here.
bool dispatch_notify(Dispatch& d, LRESULT&) {
  auto* header = reinterpret_cast<NMHDR*>(d.lParam);
  if (!header || !d.from_this_thread) return false;
  HWND sender = header->hwndFrom;
  if (!is_own_window(sender) || GetPropA(sender, PROP_BAD_CONTROL)) return false;
  d.found = find_event_handler(sender, WM_NOTIFY, static_cast<int>(header->code));
  if (!d.found) return false;
  d.consumed = reinterpret_cast<NotifyHandler>(d.found)(d.window, get_control_id(sender), header) != 0;
  return false;
}

// Focus and scroll handlers hear of the message after the window has dealt with it.
bool dispatch_focus(Dispatch& d, LRESULT& result) {
  HANDLE handler = find_event_handler(d.window, d.message, 0);
  if (!handler) return false;
  result = call_previous(d);
  reinterpret_cast<FocusHandler>(handler)(d.window, get_control_id(d.window), d.wParam);
  return true;
}

// Without a scroll-bar control in lParam the window's own scroll bar moved.
bool dispatch_scroll(Dispatch& d, LRESULT& result) {
  const auto scroll_bar = reinterpret_cast<HWND>(d.lParam);
  HWND control = scroll_bar ? scroll_bar : d.window;
  if (!is_own_window(control)) return false;
  HANDLE handler = find_event_handler(control, d.message, 0);
  if (!handler) return false;
  result = call_previous(d);
  HWND parent = scroll_bar ? d.window : GetParent(d.window);
  reinterpret_cast<ScrollHandler>(handler)(parent, get_control_id(control), LOWORD(d.wParam),
                                           HIWORD(d.wParam), control);
  return true;
}

bool dispatch_erase(Dispatch& d, LRESULT& result) {
  if (!erase_background_step(d.window, reinterpret_cast<HDC>(d.wParam))) return false;
  result = 1;
  return true;
}

constexpr std::array<InterceptedMessage, 14> INTERCEPTED_MESSAGES{{
    {WM_SETFOCUS, dispatch_focus},
    {WM_KILLFOCUS, dispatch_focus},
    {WM_ERASEBKGND, dispatch_erase},
    {WM_NOTIFY, dispatch_notify},
    {WM_COMMAND, dispatch_command},
    {WM_HSCROLL, dispatch_scroll},
    {WM_VSCROLL, dispatch_scroll},
    {WM_CTLCOLORMSGBOX, nullptr},
    {WM_CTLCOLOREDIT, nullptr},
    {WM_CTLCOLORLISTBOX, nullptr},
    {WM_CTLCOLORBTN, nullptr},
    {WM_CTLCOLORDLG, nullptr},
    {WM_CTLCOLORSCROLLBAR, nullptr},
    {WM_CTLCOLORSTATIC, nullptr},
}};

constexpr UINT HIGHEST_INTERCEPTED = [] {
  UINT highest = 0;
  for (const InterceptedMessage& entry : INTERCEPTED_MESSAGES)
    highest = entry.message > highest ? entry.message : highest;
  return highest;
}();

// Message number to table row + 1 (0: not intercepted), so that every message the hook
// sees is classified by one load.
constexpr auto INTERCEPTED_ROW = [] {
  std::array<std::uint8_t, HIGHEST_INTERCEPTED + 1> rows{};
  for (std::size_t i = 0; i < INTERCEPTED_MESSAGES.size(); ++i) {
    rows[INTERCEPTED_MESSAGES[i].message] = static_cast<std::uint8_t>(i + 1);
  }
  return rows;
}();

unsigned intercepted_row(UINT message) {
  return message <= HIGHEST_INTERCEPTED ? INTERCEPTED_ROW[message] : 0;
}

bool is_control_colour(UINT message) { return message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC; }

void call_form_callback(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (auto callback = reinterpret_cast<FormCallback>(GetPropA(window, PROP_FORM_CALLBACK))) {
    callback(window, message, wParam, lParam);
  }
}

LRESULT common_end(const Dispatch& d) {
  if (!d.found) call_form_callback(d.window, d.message, d.wParam, d.lParam);
  // Another thread's window would have a brush made (and stored on it) at every such message.
  const auto control = reinterpret_cast<HWND>(d.lParam);
  if (is_control_colour(d.message) && is_own_window(control)) {
    if (HBRUSH brush = control_colour_step(control, reinterpret_cast<HDC>(d.wParam))) {
      return reinterpret_cast<LRESULT>(brush);
    }
  }
  if (d.consumed) return 0;
  return call_previous(d);
}

// Puts the window's own procedure back before anything else runs, so that every message
// sent from here on, to this window too, is intercepted afresh.
WNDPROC undo_subclass(HWND window) {
  HANDLE previous = GetPropA(window, PROP_SAVED_PROCEDURE);
  SetPropA(window, PROP_SAVED_PROCEDURE, nullptr);
  SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
  return reinterpret_cast<WNDPROC>(previous);
}

void swap_in(HWND window) {
  const auto one_shot = reinterpret_cast<LONG_PTR>(one_shot_subclass_proc);
  const LONG_PTR previous = SetWindowLongPtrA(window, GWLP_WNDPROC, one_shot);
  // Still swapped for an outer message: the saved procedure stays the window's own.
  if (previous != one_shot) SetPropA(window, PROP_SAVED_PROCEDURE, reinterpret_cast<HANDLE>(previous));
}

LRESULT call_next_hook(int code, WPARAM wParam, LPARAM lParam) {
  return hook_handle ? CallNextHookEx(hook_handle, code, wParam, lParam) : 0;
}

// The platform fetches the window procedure once the hooks have returned. The hooks older than
// this one run before the swap; the newer ones, after it, may send the window other messages,
// which the one-shot procedure tells from the one it waits for.
LRESULT subclass_for_one_message(const CWPSTRUCT& record, int code, WPARAM wParam, LPARAM lParam) {
  const LRESULT result = call_next_hook(code, wParam, lParam);
  if (GetPropA(record.hwnd, PROP_HOOK_EXEMPT)) return result;
  push_pending(awaited, {record.hwnd, record.message, record.wParam, record.lParam});
  swap_in(record.hwnd);
  return result;
}

void offer_to_form_callback(const CWPSTRUCT& record) {
  auto callback = reinterpret_cast<FormCallback>(GetPropA(record.hwnd, PROP_FORM_CALLBACK));
  if (!callback || GetPropA(record.hwnd, PROP_HOOK_EXEMPT)) return;
  callback(record.hwnd, record.message, record.wParam, record.lParam);
}

// A window still swapped for a message that never came gets its own procedure back before the
// saved one goes, so that WM_DESTROY and WM_NCDESTROY reach it.
void clean_destroyed_window(HWND window) {
  while (PendingMessage* message = newest_pending(awaited, window)) forget_pending(awaited, message);
  if (GetWindowLongPtrA(window, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(one_shot_subclass_proc))
    undo_subclass(window);
  RemovePropA(window, PROP_FORM_CALLBACK);
  RemovePropA(window, PROP_SAVED_PROCEDURE);
  set_control_colours(window, 0, COLOUR_NONE, COLOUR_NONE);
  EnumPropsA(window, cleanup_property_proc);
}

LRESULT remove_hook(int code, WPARAM wParam, LPARAM lParam) {
  const LRESULT result = call_next_hook(code, wParam, lParam);
  remove_interception_hook();
  return result;
}

LRESULT dispatch_intercepted(Dispatch& d) {
  LRESULT result = 0;
  DispatchStep step = INTERCEPTED_MESSAGES[intercepted_row(d.message) - 1].step;
  if (step && step(d, result)) return result;
  return common_end(d);
}

// Only the window's own thread destroys it: WM_DESTROY and WM_NCDESTROY that another thread or
// process sends change nothing of the layer's.
LRESULT pass_through_layer(const CWPSTRUCT& record, bool from_this_thread, int code, WPARAM wParam,
                           LPARAM lParam) {
  if (intercepted_row(record.message)) return subclass_for_one_message(record, code, wParam, lParam);
  offer_to_form_callback(record);
  if (!from_this_thread) return call_next_hook(code, wParam, lParam);
  if (record.message == WM_DESTROY) clean_destroyed_window(record.hwnd);
  if (record.message == WM_NCDESTROY && hook_removal_requested) return remove_hook(code, wParam, lParam);
  return call_next_hook(code, wParam, lParam);
}

}  // namespace

// The hook's wParam tells whether this thread sent the message, which the library is told last, so
// that what later hooks send the window first is not taken for it.
LRESULT CALLBACK interception_hook(int code, WPARAM wParam, LPARAM lParam) {
  if (code < 0 || !lParam) return call_next_hook(code, wParam, lParam);
  const CWPSTRUCT record = *reinterpret_cast<const CWPSTRUCT*>(lParam);
  const bool from_this_thread = wParam != 0;
  const LRESULT result = pass_through_layer(record, from_this_thread, code, wParam, lParam);
  if (from_this_thread) announce_own_send(record.hwnd, record.message, record.wParam, record.lParam);
  return result;
}

void install_interception_hook() {
  if (hook_handle) return;
  hook_handle = SetWindowsHookExA(WH_CALLWNDPROC, interception_hook, program_module, GetCurrentThreadId());
}

void remove_interception_hook() {
  hook_removal_requested = false;
  if (hook_handle) UnhookWindowsHookEx(hook_handle);
  hook_handle = nullptr;
}

void request_hook_removal() {
  if (hook_handle) hook_removal_requested = true;
}

// The message the window was swapped for is dispatched; any other that reaches the window first
// passes to its own procedure untouched. Either way the window is swapped again while an outer
// message is still on its way, and has its own procedure back once none is.
LRESULT CALLBACK one_shot_subclass_proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  PendingMessage* expected = newest_pending(awaited, window);
  const bool arrived = is_pending_message(expected, window, message, wParam, lParam);
  if (arrived) forget_pending(awaited, expected);
  const bool from_this_thread = arrived && take_own_send(window, message, wParam, lParam);
  Dispatch dispatch{window, message, wParam, lParam, undo_subclass(window), nullptr, false, from_this_thread};
  const LRESULT result = arrived ? dispatch_intercepted(dispatch) : call_previous(dispatch);
  if (newest_pending(awaited, window)) swap_in(window);
  return result;
}
