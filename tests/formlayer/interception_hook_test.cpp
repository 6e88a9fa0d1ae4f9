#include <atomic>
#include <thread>
#include <tuple>

#include "tests/formlayer/formlayer_fixture.h"

using Hook = FormLayerTest;
using Log = std::vector<std::string>;

static LONG_PTR procedure_of(HWND window) { return GetWindowLongPtrA(window, GWLP_WNDPROC); }

// One form with every kind of binding; each message is sent to it (or to one of its children, or
// to a window exempt from the hook), the places it reached are logged, and every window has its
// own procedure back afterwards.
TEST_F(Hook, EachMessageReachesItsHandlerCallbackAndWindowInOrder) {
  HWND form = make_form(), exempt = make_form();
  SetPropA(form, PROP_ID, reinterpret_cast<HANDLE>(9));
  HWND button = bound_child(form, 102), bad = bound_child(form, 107),
       exempt_button = bound_child(exempt, 102);
  SetPropA(bad, PROP_BAD_CONTROL, reinterpret_cast<HANDLE>(1));
  SetPropA(exempt, PROP_HOOK_EXEMPT, reinterpret_cast<HANDLE>(1));
  for (HWND control : {button, exempt_button}) bind_handler<WM_COMMAND>(control, BN_CLICKED, log_command);
  for (HWND control : {button, bad}) bind_handler<WM_NOTIFY>(control, NM_CLICK, notify_consumes);
  bind_handler<WM_NOTIFY>(button, NM_DBLCLK, notify_consumes);
  bind_handler<WM_SETFOCUS>(form, 0, log_focus);
  NMHDR consumed{button, 102, NM_CLICK}, passed{button, 102, NM_DBLCLK}, refused{bad, 107, NM_CLICK};
  const WPARAM click = MAKEWPARAM(102, BN_CLICKED), other = MAKEWPARAM(102, BN_DBLCLK), f = as_wparam(form);
  const LPARAM b = as_lparam(button), c = as_lparam(&consumed), p = as_lparam(&passed),
               r = as_lparam(&refused);
  // Sent to, message, wParam, lParam; the result and the log.
  const std::tuple<HWND, UINT, WPARAM, LPARAM, LRESULT, Log> cases[] = {
      {form, WM_COMMAND, click, b, 0, {logged(102, "command", f)}},
      {form,
       WM_COMMAND,
       other,
       b,
       PROC_RESULT,
       {logged(WM_COMMAND, "callback", other, b), logged(WM_COMMAND, "proc", other, b)}},
      {form, WM_NOTIFY, 102, c, 0, {logged(102, "notify", f, c)}},
      {form,
       WM_NOTIFY,
       102,
       p,
       PROC_RESULT,
       {logged(102, "notify", f, p), logged(WM_NOTIFY, "proc", 102, p)}},
      {form,
       WM_NOTIFY,
       107,
       r,
       PROC_RESULT,
       {logged(WM_NOTIFY, "callback", 107, r), logged(WM_NOTIFY, "proc", 107, r)}},
      {form, WM_SETFOCUS, 5, 0, PROC_RESULT, {logged(WM_SETFOCUS, "proc", 5), logged(9, "focus", f, 5)}},
      {exempt, WM_COMMAND, click, 0, PROC_RESULT, {logged(WM_COMMAND, "proc", click)}},
      {exempt, WM_APP, 0, 0, PROC_RESULT, {logged(WM_APP, "proc")}},
  };
  for (const auto& [receiver, message, wParam, lParam, result, expected] : cases) {
    SCOPED_TRACE(testing::Message() << message << ", " << wParam);
    message_log.clear();
    EXPECT_EQ(SendMessageA(receiver, message, wParam, lParam), result);
    EXPECT_EQ(message_log, expected);
    EXPECT_EQ(procedure_of(receiver), reinterpret_cast<LONG_PTR>(test_procedure));
  }
  EXPECT_EQ(property_names(exempt).count(PROP_SAVED_PROCEDURE), 0u) << "never swapped";
}

static HWND second_button;
static HHOOK other_hook;

// Sends the second click while the first one passes the hooks.
static LRESULT CALLBACK other_hook_procedure(int code, WPARAM wParam, LPARAM lParam) {
  const auto* record = reinterpret_cast<const CWPSTRUCT*>(lParam);
  if (code >= 0 && record->message == WM_COMMAND && LOWORD(record->wParam) == 102)
    SendMessageA(record->hwnd, WM_COMMAND, MAKEWPARAM(103, BN_CLICKED), as_lparam(second_button));
  return CallNextHookEx(other_hook, code, wParam, lParam);
}

// Another hook further down the chain sends a second click while the first is on its way: both
// are dispatched, each to its handler, and the window keeps its procedure.
TEST_F(Hook, AClickSentByAnotherHookDuringAClickIsDispatchedAfresh) {
  // The other hook must come after ours in the chain, so it is installed first.
  UnhookWindowsHookEx(hook_handle);
  hook_handle = nullptr;
  other_hook = SetWindowsHookExA(WH_CALLWNDPROC, other_hook_procedure, nullptr, GetCurrentThreadId());
  install_interception_hook();
  HWND form = make_window(), first = bound_child(form, 102);
  second_button = bound_child(form, 103);
  for (HWND button : {first, second_button}) bind_handler<WM_COMMAND>(button, BN_CLICKED, log_command);
  EXPECT_EQ(SendMessageA(form, WM_COMMAND, MAKEWPARAM(102, BN_CLICKED), as_lparam(first)), 0);
  UnhookWindowsHookEx(other_hook);
  EXPECT_EQ(message_log,
            (Log{logged(103, "command", as_wparam(form)), logged(102, "command", as_wparam(form))}));
  EXPECT_EQ(procedure_of(form), reinterpret_cast<LONG_PTR>(test_procedure));
}

// A message sent from another thread reaches no handler: none read from that thread's window in a
// WM_COMMAND, and a WM_NOTIFY's lParam is not read at all. A window still swapped from a message
// that never arrived is destroyed through its own procedure.
TEST_F(Hook, MessagesFromAnotherThreadReachNoHandler) {
  HWND form = make_form(), button = bound_child(form, 102);
  bind_handler<WM_NOTIFY>(button, NM_CLICK, notify_consumes);
  NMHDR header{button, 102, NM_CLICK};
  std::atomic<bool> sent = false;
  std::thread sender([&] {
    HWND own = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 1, 1, HWND_MESSAGE, nullptr, nullptr, nullptr);
    SetPropA(own, "KVQ_EVT_273_0", reinterpret_cast<HANDLE>(log_command));
    SendMessageA(form, WM_COMMAND, MAKEWPARAM(5, BN_CLICKED), as_lparam(own));
    SendMessageA(form, WM_NOTIFY, 102, as_lparam(&header));
    sent = DestroyWindow(own);
  });
  EXPECT_TRUE(wait_until([&] {
    pump_messages(0);
    return sent.load();
  }));
  sender.join();
  EXPECT_EQ(message_log.size(), 4u) << "only the callback and the window, twice";
  SetPropA(form, PROP_SAVED_PROCEDURE, reinterpret_cast<HANDLE>(test_procedure));
  SetWindowLongPtrA(form, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(one_shot_subclass_proc));
  DestroyWindow(form);
  EXPECT_EQ(std::tuple(message_log.size(), message_log.back()), std::tuple(6u, logged(WM_APP + 1, "proc")));
}
