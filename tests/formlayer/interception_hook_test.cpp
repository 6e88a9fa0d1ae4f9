#include "tests/formlayer/formlayer_fixture.h"

#include <commctrl.h>

#include <atomic>
#include <thread>

using Hook = FormLayerTest;

static LONG_PTR procedure_of(HWND window) { return GetWindowLongPtrA(window, GWLP_WNDPROC); }
static const LONG_PTR original_procedure = reinterpret_cast<LONG_PTR>(test_procedure);

// One form with every kind of binding; each message is sent to it (or to one of its
// children, or to a window exempt from the hook) and the places it reached are logged.
TEST_F(Hook, EachMessageReachesItsHandlerCallbackAndWindowInOrder) {
  HWND form = make_form(), exempt = make_form();
  SetPropA(form, PROP_ID, reinterpret_cast<HANDLE>(9));
  HWND button = bound_child(form, 102), passing = bound_child(form, 103), bad = bound_child(form, 107);
  HWND exempt_button = bound_child(exempt, 102);
  SetPropA(bad, PROP_BAD_CONTROL, reinterpret_cast<HANDLE>(1));
  SetPropA(exempt, PROP_HOOK_EXEMPT, reinterpret_cast<HANDLE>(1));
  for (HWND control : {button, exempt_button}) bind_handler<WM_COMMAND>(control, BN_CLICKED, log_command);
  for (HWND control : {button, bad}) bind_handler<WM_NOTIFY>(control, NM_CLICK, notify_consumes);
  bind_handler<WM_NOTIFY>(passing, NM_CLICK, notify_passes);
  bind_handler<WM_SETFOCUS>(form, 0, log_focus);
  bind_handler<WM_HSCROLL>(button, 0, log_scroll);
  bind_handler<WM_VSCROLL>(button, 0, log_scroll);
  NMHDR consumed{button, 102, NM_CLICK}, passed{passing, 103, NM_CLICK}, refused{bad, 107, NM_CLICK};
  const WPARAM click = MAKEWPARAM(102, BN_CLICKED), double_click = MAKEWPARAM(102, BN_DBLCLK),
               thumb = MAKEWPARAM(SB_THUMBTRACK, 77), f = as_wparam(form);
  const LPARAM from_button = as_lparam(button), from_exempt = as_lparam(exempt_button);
  const std::vector<ExpectedMessage> CLICK_HANDLED{exactly(102, "command", f, 0)},
      OTHER_CODE{exactly(WM_COMMAND, "callback", double_click, from_button),
                 exactly(WM_COMMAND, "proc", double_click, from_button)},
      MENU_COMMAND{exactly(WM_COMMAND, "callback", click, 0), exactly(WM_COMMAND, "proc", click, 0)},
      NOTIFY_CONSUMED{exactly(102, "notify", f, as_lparam(&consumed))},
      NOTIFY_PASSED{exactly(103, "notify", f, as_lparam(&passed)),
                    exactly(WM_NOTIFY, "proc", 103, as_lparam(&passed))},
      BAD_CONTROL{exactly(WM_NOTIFY, "callback", 107, as_lparam(&refused)),
                  exactly(WM_NOTIFY, "proc", 107, as_lparam(&refused))},
      FOCUS_AFTER_WINDOW{exactly(WM_SETFOCUS, "proc", as_wparam(button), 0),
                         exactly(9, "focus", f, from_button)},
      FOCUS_BOUND_ELSEWHERE{exactly(WM_SETFOCUS, "proc", 0, 0)},
      SCROLL_BAR_CONTROL{exactly(WM_HSCROLL, "proc", thumb, from_button), exactly(102, "scroll", f, 0),
                         exactly(SB_THUMBTRACK, "position", 77, from_button)},
      OWN_SCROLL_BAR{exactly(WM_VSCROLL, "proc", thumb, 0), exactly(102, "scroll", f, 0),
                     exactly(SB_THUMBTRACK, "position", 77, from_button)},
      EXEMPT_CLICK{exactly(WM_COMMAND, "proc", click, from_exempt)},
      EXEMPT_OTHER{exactly(WM_APP, "proc", 0, 0)};
  const std::tuple<HWND, UINT, WPARAM, LPARAM, LRESULT, std::vector<ExpectedMessage>> cases[] = {
      {form, WM_COMMAND, click, from_button, 0, CLICK_HANDLED},
      {form, WM_COMMAND, double_click, from_button, PROC_RESULT, OTHER_CODE},
      {form, WM_COMMAND, click, 0, PROC_RESULT, MENU_COMMAND},
      {form, WM_NOTIFY, 102, as_lparam(&consumed), 0, NOTIFY_CONSUMED},
      {form, WM_NOTIFY, 103, as_lparam(&passed), PROC_RESULT, NOTIFY_PASSED},
      {form, WM_NOTIFY, 107, as_lparam(&refused), PROC_RESULT, BAD_CONTROL},
      {form, WM_SETFOCUS, as_wparam(button), 0, PROC_RESULT, FOCUS_AFTER_WINDOW},
      {button, WM_SETFOCUS, 0, 0, PROC_RESULT, FOCUS_BOUND_ELSEWHERE},
      {form, WM_HSCROLL, thumb, from_button, PROC_RESULT, SCROLL_BAR_CONTROL},
      {button, WM_VSCROLL, thumb, 0, PROC_RESULT, OWN_SCROLL_BAR},
      {exempt, WM_COMMAND, click, from_exempt, PROC_RESULT, EXEMPT_CLICK},
      {exempt, WM_APP, 0, 0, PROC_RESULT, EXEMPT_OTHER},
  };
  for (const auto& [receiver, message, wParam, lParam, result, expected] : cases) {
    SCOPED_TRACE(testing::Message() << message << ", " << wParam);
    clear_message_log();
    EXPECT_EQ(SendMessageA(receiver, message, wParam, lParam), result);
    EXPECT_TRUE(log_matches(expected));
    EXPECT_EQ(procedure_of(receiver), original_procedure);
  }
  EXPECT_FALSE(has_property(exempt, PROP_SAVED_PROCEDURE));
}

// Fault: a message sent from another thread runs a handler read from a window that thread owns (WM_COMMAND,
// WM_HSCROLL), or reads its lParam as a structure of this thread's (WM_NOTIFY).
TEST_F(Hook, MessagesFromAnotherThreadReachNoHandlerAndTheFormWorksAfterwards) {
  HWND form = make_form(), button = bound_child(form, 102);
  bind_handler<WM_COMMAND>(button, BN_CLICKED, log_command);
  bind_handler<WM_NOTIFY>(button, NM_CLICK, notify_consumes);
  NMHDR header{button, 102, NM_CLICK};
  std::atomic<bool> done = false;
  std::thread sender([&] {
    HWND own = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 1, 1, HWND_MESSAGE, nullptr, nullptr, nullptr);
    SetPropA(own, "KVQ_EVT_273_0", reinterpret_cast<HANDLE>(log_command));
    SetPropA(own, "KVQ_EVT_276_0", reinterpret_cast<HANDLE>(log_scroll));
    SendMessageA(form, WM_COMMAND, MAKEWPARAM(5, BN_CLICKED), as_lparam(own));
    SendMessageA(form, WM_HSCROLL, 0, as_lparam(own));
    SendMessageA(form, WM_NOTIFY, 102, as_lparam(&header));
    DestroyWindow(own);
    done = true;
  });
  for (const DWORD until = GetTickCount() + 10000; !done && static_cast<LONG>(until - GetTickCount()) > 0;) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_SENDMESSAGE);
    pump_messages(0);
  }
  sender.join();
  EXPECT_TRUE(
      log_matches({only(WM_COMMAND, "callback"), only(WM_COMMAND, "proc"), only(WM_HSCROLL, "callback"),
                   only(WM_HSCROLL, "proc"), only(WM_NOTIFY, "callback"), only(WM_NOTIFY, "proc")}));
  clear_message_log();
  SendMessageA(form, WM_COMMAND, MAKEWPARAM(102, BN_CLICKED), as_lparam(button));
  EXPECT_TRUE(log_matches({exactly(102, "command", as_wparam(form), 0)}));
}

// Fault: a window still swapped from an intercepted message that never arrived gets a null procedure at
// WM_DESTROY, so neither it nor the library's release at WM_NCDESTROY hears of its end.
TEST_F(Hook, AWindowStillSwappedIsDestroyedThroughItsOwnProcedure) {
  HWND window = make_window();
  SetPropA(window, PROP_SAVED_PROCEDURE, reinterpret_cast<HANDLE>(original_procedure));
  SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(one_shot_subclass_proc));
  clear_message_log();
  DestroyWindow(window);
  EXPECT_TRUE(log_matches({only(WM_DESTROY, "proc"), only(WM_NCDESTROY, "proc")}));
}

static HWND second_button;
static HHOOK other_hook;

static LRESULT send_second_click(HWND window, INT_PTR id) {
  log_command(window, id);
  EXPECT_EQ(procedure_of(window), original_procedure);
  SendMessageA(window, WM_COMMAND, MAKEWPARAM(103, BN_CLICKED), as_lparam(second_button));
  return 0;
}

// Sends the second click while the first one passes the hooks.
static LRESULT CALLBACK other_hook_procedure(int code, WPARAM wParam, LPARAM lParam) {
  const auto* record = reinterpret_cast<const CWPSTRUCT*>(lParam);
  if (code >= 0 && record->message == WM_COMMAND && LOWORD(record->wParam) == 102)
    SendMessageA(record->hwnd, WM_COMMAND, MAKEWPARAM(103, BN_CLICKED), as_lparam(second_button));
  return CallNextHookEx(other_hook, code, wParam, lParam);
}

// The second click is sent by the first click's handler, or by another hook further down
// the chain while the first click is on its way; either way both are dispatched and the
// window keeps its procedure.
TEST_F(Hook, InterceptedMessageSentDuringAnotherIsDispatchedAfresh) {
  for (bool from_other_hook : {false, true}) {
    SCOPED_TRACE(from_other_hook);
    if (from_other_hook) {
      // The other hook must come after ours in the chain, so it is installed first.
      UnhookWindowsHookEx(hook_handle);
      hook_handle = nullptr;
      other_hook = SetWindowsHookExA(WH_CALLWNDPROC, other_hook_procedure, nullptr, GetCurrentThreadId());
      install_interception_hook();
    }
    HWND form = make_window();
    HWND first = bound_child(form, 102);
    second_button = bound_child(form, 103);
    bind_handler<WM_COMMAND>(first, BN_CLICKED, from_other_hook ? log_command : send_second_click);
    bind_handler<WM_COMMAND>(second_button, BN_CLICKED, log_command);
    clear_message_log();
    EXPECT_EQ(SendMessageA(form, WM_COMMAND, MAKEWPARAM(102, BN_CLICKED), as_lparam(first)), 0);
    if (from_other_hook) UnhookWindowsHookEx(other_hook);
    const UINT first_logged = from_other_hook ? 103 : 102, second_logged = from_other_hook ? 102 : 103;
    EXPECT_TRUE(log_matches({exactly(first_logged, "command", as_wparam(form), 0),
                             exactly(second_logged, "command", as_wparam(form), 0)}));
    EXPECT_EQ(procedure_of(form), original_procedure);
    EXPECT_TRUE(has_property(form, PROP_SAVED_PROCEDURE));
    EXPECT_EQ(GetPropA(form, PROP_SAVED_PROCEDURE), nullptr);
  }
}

TEST_F(Hook, ExactlyTheInterceptedMessagesSwapTheProcedureForOneMessage) {
  const UINT intercepted[] = {WM_SETFOCUS,          WM_KILLFOCUS,       WM_ERASEBKGND,  WM_NOTIFY,
                              WM_COMMAND,           WM_HSCROLL,         WM_VSCROLL,     WM_CTLCOLORMSGBOX,
                              WM_CTLCOLOREDIT,      WM_CTLCOLORLISTBOX, WM_CTLCOLORBTN, WM_CTLCOLORDLG,
                              WM_CTLCOLORSCROLLBAR, WM_CTLCOLORSTATIC};
  const UINT others[] = {9, WM_SYSCOLORCHANGE, 79, WM_INITDIALOG, WM_TIMER, 305, 313, WM_APP};
  const auto swaps = [&](UINT message) {
    HWND window = make_window();
    SendMessageA(window, message, 0, 0);
    EXPECT_EQ(procedure_of(window), original_procedure) << message;
    return has_property(window, PROP_SAVED_PROCEDURE);
  };
  for (UINT message : intercepted) EXPECT_TRUE(swaps(message)) << message;
  for (UINT message : others) EXPECT_FALSE(swaps(message)) << message;
}

static std::set<std::string> names_seen_by_callback, form_names_at_ncdestroy, edit_names_at_ncdestroy;

// The child is exempt from the hook, and is swept all the same.
TEST_F(Hook, DestroyedWindowsLoseTheLayersPropertiesAfterTheCallbackSawThem) {
  HWND form = make_form([](HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) names_seen_by_callback = property_names(window);
    return log_form_callback(window, message, wParam, lParam);
  });
  HWND edit = make_window(form, 100);
  bind_control_id(form, edit, 100, 0, 255);
  bind_handler<WM_COMMAND>(edit, EN_CHANGE, log_command);
  SetPropA(edit, PROP_BAD_CONTROL, reinterpret_cast<HANDLE>(1));
  SetPropA(edit, PROP_HOOK_EXEMPT, reinterpret_cast<HANDLE>(1));
  set_control_colours(form, 0, RGB(1, 2, 3), RGB(4, 5, 6));
  const ATOM atom = GlobalAddAtomA("KVQ_ATOM");
  for (LPCSTR name : std::initializer_list<LPCSTR>{MAKEINTATOM(atom), "kvq_x", "KVQ_"})
    SetPropA(form, name, reinterpret_cast<HANDLE>(1));
  SendMessageA(form, WM_CTLCOLOREDIT, 0, as_lparam(edit));
  const HANDLE brush = GetPropA(edit, PROP_BRUSH);
  ASSERT_NE(brush, nullptr);
  // Windows reports an atom-named property as its atom; Wine reports every name as text,
  // and then the sweep cannot tell it from a text name.
  const std::string atom_name = "#" + std::to_string(atom);
  const bool atom_reported_as_atom = has_property(form, atom_name);
  at_ncdestroy = [](HWND window) {
    (GetParent(window) ? edit_names_at_ncdestroy : form_names_at_ncdestroy) = property_names(window);
  };
  clear_message_log();
  DestroyWindow(form);
  EXPECT_TRUE(log_matches({only(WM_DESTROY, "callback"), only(WM_DESTROY, "proc"), only(WM_DESTROY, "proc"),
                           only(WM_NCDESTROY, "proc"), only(WM_NCDESTROY, "proc")}));
  for (const char* name : {"KVQ_ID100", "KVQ_BCEB", PROP_FORM_CALLBACK})
    EXPECT_EQ(names_seen_by_callback.count(name), 1u) << name;
  for (const auto& names : {form_names_at_ncdestroy, edit_names_at_ncdestroy})
    for (const std::string& name : names)
      EXPECT_FALSE(name.starts_with("KVQ_") || name.starts_with("GXT_")) << name;
  EXPECT_EQ(form_names_at_ncdestroy.count("kvq_x"), 1u);
  EXPECT_EQ(form_names_at_ncdestroy.count(atom_name), atom_reported_as_atom ? 1u : 0u);
  EXPECT_EQ(edit_names_at_ncdestroy.count(PROP_HOOK_EXEMPT), 1u);
  EXPECT_EQ(GetObjectType(brush), 0u);
  GlobalDeleteAtom(atom);
}

TEST_F(Hook, RemovalWaitsForTheNextNcDestroyOfAnyWindow) {
  HWND form = make_window();
  HWND button = bound_child(form, 102);
  bind_handler<WM_COMMAND>(button, BN_CLICKED, log_command);
  const auto click = [&] {
    return SendMessageA(form, WM_COMMAND, MAKEWPARAM(102, BN_CLICKED), as_lparam(button));
  };
  request_hook_removal();
  EXPECT_EQ(click(), 0);
  SendMessageA(form, WM_APP, 0, 0);
  EXPECT_TRUE(hook_removal_requested) << "other messages leave the request pending";
  DestroyWindow(make_window());
  EXPECT_FALSE(hook_removal_requested);
  EXPECT_EQ(hook_handle, nullptr);
  EXPECT_EQ(click(), PROC_RESULT);
  request_hook_removal();
  EXPECT_FALSE(hook_removal_requested);
  install_interception_hook();
  const HHOOK installed = hook_handle;
  install_interception_hook();
  EXPECT_EQ(hook_handle, installed);
  EXPECT_EQ(click(), 0);
}
