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
  for (int code : {NM_CLICK, NM_DBLCLK}) bind_handler<WM_NOTIFY>(button, code, notify_consumes);
  bind_handler<WM_NOTIFY>(bad, NM_CLICK, notify_consumes);
  bind_handler<WM_SETFOCUS>(form, 0, log_focus);
  bind_handler<WM_HSCROLL>(button, 0, log_scroll);
  NMHDR consumed{button, 102, NM_CLICK}, passed{button, 102, NM_DBLCLK}, refused{bad, 107, NM_CLICK};
  const WPARAM click = MAKEWPARAM(102, BN_CLICKED), other = MAKEWPARAM(102, BN_DBLCLK), f = as_wparam(form);
  const LPARAM from_button = as_lparam(button), c = as_lparam(&consumed), p = as_lparam(&passed),
               r = as_lparam(&refused);
  // Sent to, message, wParam, lParam; the result and the log.
  const std::tuple<HWND, UINT, WPARAM, LPARAM, LRESULT, Log> cases[] = {
      {form, WM_COMMAND, click, from_button, 0, {logged(102, "command", f)}},
      {form,
       WM_COMMAND,
       other,
       from_button,
       PROC_RESULT,
       {logged(WM_COMMAND, "callback", other, from_button), logged(WM_COMMAND, "proc", other, from_button)}},
      {form,
       WM_COMMAND,
       click,
       0,
       PROC_RESULT,
       {logged(WM_COMMAND, "callback", click), logged(WM_COMMAND, "proc", click)}},
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
      {button, WM_SETFOCUS, 0, 0, PROC_RESULT, {logged(WM_SETFOCUS, "proc")}},
      {form,
       WM_HSCROLL,
       MAKEWPARAM(SB_THUMBTRACK, 77),
       from_button,
       PROC_RESULT,
       {logged(WM_HSCROLL, "proc", MAKEWPARAM(SB_THUMBTRACK, 77), from_button),
        logged(102, "scroll", f, from_button), logged(SB_THUMBTRACK, "position", 77)}},
      {exempt,
       WM_COMMAND,
       click,
       as_lparam(exempt_button),
       PROC_RESULT,
       {logged(WM_COMMAND, "proc", click, as_lparam(exempt_button))}},
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
  // Exactly the intercepted messages swap the procedure; the one-shot procedure puts it back.
  const std::pair<UINT, bool> swaps[] = {{WM_KILLFOCUS, true},      {WM_ERASEBKGND, true},
                                         {WM_CTLCOLORMSGBOX, true}, {WM_CTLCOLORBTN, true},
                                         {WM_CTLCOLORSTATIC, true}, {WM_SIZE, false},
                                         {WM_INITDIALOG, false},    {WM_CTLCOLORSTATIC + 1, false}};
  for (const auto& [message, swapped] : swaps) {
    RemovePropA(bad, PROP_SAVED_PROCEDURE);
    SendMessageA(bad, message, 0, 0);
    EXPECT_EQ(property_names(bad).count(PROP_SAVED_PROCEDURE), swapped ? 1u : 0u) << message;
  }
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

static std::set<std::string> seen_by_callback, left_on_form, left_on_edit;

static LRESULT CALLBACK note_names_at_ncdestroy(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCDESTROY) (GetParent(window) ? left_on_edit : left_on_form) = property_names(window);
  return test_procedure(window, message, wParam, lParam);
}

// At WM_DESTROY, once the form callback has seen them, the layer's properties go (a child's too,
// though it is exempt from the hook) and the brush is deleted; other names stay.
TEST_F(Hook, DestroyedWindowsLoseTheLayersPropertiesAfterTheCallbackSawThem) {
  HWND form = make_form([](HWND window, UINT message, WPARAM, LPARAM) {
    if (message == WM_DESTROY) seen_by_callback = property_names(window);
    return LRESULT{0};
  });
  HWND edit = bound_child(form, 100);
  bind_handler<WM_COMMAND>(edit, EN_CHANGE, log_command);
  set_control_colours(form, 100, RGB(1, 2, 3), RGB(4, 5, 6));
  SetPropA(edit, PROP_HOOK_EXEMPT, reinterpret_cast<HANDLE>(1));
  SetPropA(form, "kvq_x", reinterpret_cast<HANDLE>(1));
  SendMessageA(form, WM_CTLCOLOREDIT, 0, as_lparam(edit));
  const HANDLE brush = GetPropA(edit, PROP_BRUSH);
  for (HWND window : {form, edit})
    SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(note_names_at_ncdestroy));
  DestroyWindow(form);
  EXPECT_EQ(seen_by_callback.count("KVQ_ID100") + seen_by_callback.count(PROP_FORM_CALLBACK), 2u);
  for (const auto& names : {left_on_form, left_on_edit})
    for (const std::string& name : names)
      EXPECT_FALSE(name.starts_with("KVQ_") || name.starts_with("GXT_")) << name;
  EXPECT_EQ(left_on_form.count("kvq_x") + left_on_edit.count(PROP_HOOK_EXEMPT), 2u);
  EXPECT_EQ(GetObjectType(brush), 0u) << "the brush is deleted";
}
