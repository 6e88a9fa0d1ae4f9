#include <map>

#include "tests/formlayer/formlayer_fixture.h"

#include <commctrl.h>

using Hook = FormLayerTest;

static WPARAM as_wparam(HWND window) { return reinterpret_cast<WPARAM>(window); }
static LPARAM as_lparam(HWND window) { return reinterpret_cast<LPARAM>(window); }
static LONG_PTR procedure_of(HWND window) { return GetWindowLongPtrA(window, GWLP_WNDPROC); }
static const LONG_PTR original_procedure = reinterpret_cast<LONG_PTR>(test_procedure());

static HWND make_form(HWND form, FormCallback callback = log_form_callback) {
  SetPropA(form, PROP_FORM_CALLBACK, reinterpret_cast<HANDLE>(callback));
  return form;
}

static HWND bound_child(HWND form, HWND child, INT_PTR id) {
  bind_control_id(form, child, id, COLOUR_NONE, COLOUR_NONE);
  return child;
}

template <typename Handler>
static void* untyped(Handler handler) {
  return reinterpret_cast<void*>(handler);
}

TEST_F(Hook, EachMessageReachesItsHandlerCallbackAndWindowInOrder) {
  HWND form = make_form(make_window());
  SetPropA(form, PROP_ID, reinterpret_cast<HANDLE>(9));
  HWND button = bound_child(form, make_window(form, 102), 102);
  HWND bad = bound_child(form, make_window(form, 107), 107);
  SetPropA(bad, PROP_BAD_CONTROL, reinterpret_cast<HANDLE>(1));
  HWND exempt = make_form(make_window());
  HWND exempt_button = bound_child(exempt, make_window(exempt, 102), 102);
  SetPropA(exempt, PROP_HOOK_EXEMPT, reinterpret_cast<HANDLE>(1));
  NMHDR header{button, 102, NM_CLICK}, bad_header{bad, 107, NM_CLICK};
  const WPARAM click = MAKEWPARAM(102, BN_CLICKED), thumb = MAKEWPARAM(SB_THUMBTRACK, 77),
               f = as_wparam(form);
  const LPARAM from_button = as_lparam(button), notice = reinterpret_cast<LPARAM>(&header),
               bad_notice = reinterpret_cast<LPARAM>(&bad_header), from_exempt = as_lparam(exempt_button);
  const auto callback_then_window = [](UINT message, WPARAM wParam, LPARAM lParam) {
    return std::vector<ExpectedMessage>{exactly(message, "callback", wParam, lParam),
                                        exactly(message, "proc", wParam, lParam)};
  };
  struct Case {
    const char* name;
    HWND receiver;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    HWND carrier;  // of the binding, made for (message, code) for this case only
    UINT code;
    void* handler;
    LRESULT result;
    std::vector<ExpectedMessage> expected;
  };
  const Case cases[] = {
      {"bound click", form, WM_COMMAND, click, from_button, button, BN_CLICKED, untyped(log_command), 0,
       rows(exactly(102, "command", f, 0))},
      {"click bound for another code", form, WM_COMMAND, click, from_button, button, BN_DBLCLK,
       untyped(log_command), PROC_RESULT, callback_then_window(WM_COMMAND, click, from_button)},
      {"menu command", form, WM_COMMAND, click, 0, button, BN_CLICKED, untyped(log_command), PROC_RESULT,
       callback_then_window(WM_COMMAND, click, 0)},
      {"notification consumed", form, WM_NOTIFY, 102, notice, button, NM_CLICK, untyped(notify_consumes), 0,
       rows(exactly(102, "notify", f, notice))},
      {"notification passed on", form, WM_NOTIFY, 102, notice, button, NM_CLICK, untyped(notify_passes),
       PROC_RESULT, rows(exactly(102, "notify", f, notice), exactly(WM_NOTIFY, "proc", 102, notice))},
      {"notification of another code", form, WM_NOTIFY, 102, notice, button, NM_DBLCLK,
       untyped(notify_consumes), PROC_RESULT, callback_then_window(WM_NOTIFY, 102, notice)},
      {"notification from a bad control", form, WM_NOTIFY, 107, bad_notice, bad, NM_CLICK,
       untyped(notify_consumes), PROC_RESULT, callback_then_window(WM_NOTIFY, 107, bad_notice)},
      {"set focus", form, WM_SETFOCUS, as_wparam(button), 0, form, 0, untyped(log_focus), PROC_RESULT,
       rows(exactly(WM_SETFOCUS, "proc", as_wparam(button), 0), exactly(9, "focus", f, from_button))},
      {"kill focus", form, WM_KILLFOCUS, 0, 0, form, 0, untyped(log_focus), PROC_RESULT,
       rows(exactly(WM_KILLFOCUS, "proc", 0, 0), exactly(9, "focus", f, 0))},
      {"focus, bound elsewhere", button, WM_SETFOCUS, 0, 0, form, 0, untyped(log_focus), PROC_RESULT,
       rows(exactly(WM_SETFOCUS, "proc", 0, 0))},
      {"scroll-bar control", form, WM_HSCROLL, thumb, from_button, button, 0, untyped(log_scroll),
       PROC_RESULT,
       rows(exactly(WM_HSCROLL, "proc", thumb, from_button), exactly(102, "scroll", f, 0),
            exactly(SB_THUMBTRACK, "position", 77, from_button))},
      {"window's own scroll bar", button, WM_VSCROLL, thumb, 0, button, 0, untyped(log_scroll), PROC_RESULT,
       rows(exactly(WM_VSCROLL, "proc", thumb, 0), exactly(102, "scroll", f, 0),
            exactly(SB_THUMBTRACK, "position", 77, from_button))},
      {"click on an exempt window", exempt, WM_COMMAND, click, from_exempt, exempt_button, BN_CLICKED,
       untyped(log_command), PROC_RESULT, rows(exactly(WM_COMMAND, "proc", click, from_exempt))},
      {"other message to an exempt window", exempt, WM_APP, 0, 0, exempt, 0, nullptr, PROC_RESULT,
       rows(exactly(WM_APP, "proc", 0, 0))},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    bind_event_handler(c.carrier, static_cast<int>(c.message), static_cast<int>(c.code), c.handler);
    clear_message_log();
    EXPECT_EQ(SendMessageA(c.receiver, c.message, c.wParam, c.lParam), c.result);
    EXPECT_TRUE(log_matches(c.expected));
    EXPECT_EQ(procedure_of(c.receiver), original_procedure);
    bind_event_handler(c.carrier, static_cast<int>(c.message), static_cast<int>(c.code), nullptr);
  }
  EXPECT_FALSE(has_property(exempt, PROP_SAVED_PROCEDURE));
}

static HWND second_button;

static LRESULT send_second_click(HWND window, INT_PTR id) {
  log_command(window, id);
  EXPECT_EQ(procedure_of(window), original_procedure);
  SendMessageA(window, WM_COMMAND, MAKEWPARAM(103, BN_CLICKED), as_lparam(second_button));
  return 0;
}

static HHOOK other_hook;

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
  struct Case {
    const char* name;
    bool from_other_hook;
    CommandHandler first_handler;
    INT_PTR first_logged, second_logged;
  };
  const Case cases[] = {{"from the handler", false, send_second_click, 102, 103},
                        {"from another hook", true, log_command, 103, 102}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.from_other_hook) {
      // The other hook must come after ours in the chain, so it is installed first.
      UnhookWindowsHookEx(hook_handle);
      hook_handle = nullptr;
      other_hook = SetWindowsHookExA(WH_CALLWNDPROC, other_hook_procedure, nullptr, GetCurrentThreadId());
      install_interception_hook();
    }
    HWND form = make_window();
    HWND first = bound_child(form, make_window(form, 102), 102);
    second_button = bound_child(form, make_window(form, 103), 103);
    bind_handler<WM_COMMAND>(first, BN_CLICKED, c.first_handler);
    bind_handler<WM_COMMAND>(second_button, BN_CLICKED, log_command);
    clear_message_log();
    EXPECT_EQ(SendMessageA(form, WM_COMMAND, MAKEWPARAM(102, BN_CLICKED), as_lparam(first)), 0);
    if (c.from_other_hook) UnhookWindowsHookEx(other_hook);
    EXPECT_TRUE(log_matches({exactly(static_cast<UINT>(c.first_logged), "command", as_wparam(form), 0),
                             exactly(static_cast<UINT>(c.second_logged), "command", as_wparam(form), 0)}));
    EXPECT_EQ(procedure_of(form), original_procedure);
    EXPECT_TRUE(has_property(form, PROP_SAVED_PROCEDURE));
    EXPECT_EQ(GetPropA(form, PROP_SAVED_PROCEDURE), nullptr);
  }
}

TEST_F(Hook, ExactlyTheInterceptedMessagesSwapTheProcedureForOneMessage) {
  struct Case {
    UINT message;
    bool intercepted;
  };
  const Case cases[] = {
      {WM_SETFOCUS, true},
      {WM_KILLFOCUS, true},
      {WM_ERASEBKGND, true},
      {WM_NOTIFY, true},
      {WM_COMMAND, true},
      {WM_HSCROLL, true},
      {WM_VSCROLL, true},
      {WM_CTLCOLORMSGBOX, true},
      {WM_CTLCOLOREDIT, true},
      {WM_CTLCOLORLISTBOX, true},
      {WM_CTLCOLORBTN, true},
      {WM_CTLCOLORDLG, true},
      {WM_CTLCOLORSCROLLBAR, true},
      {WM_CTLCOLORSTATIC, true},
      {9, false},
      {WM_SYSCOLORCHANGE, false},
      {79, false},
      {WM_INITDIALOG, false},
      {WM_TIMER, false},
      {305, false},
      {313, false},
      {WM_APP, false},
  };
  for (const Case& c : cases) {
    HWND window = make_window();
    SendMessageA(window, c.message, 0, 0);
    EXPECT_EQ(has_property(window, PROP_SAVED_PROCEDURE), c.intercepted) << c.message;
    EXPECT_EQ(procedure_of(window), original_procedure) << c.message;
  }
}

static std::map<HWND, std::vector<std::string>> names_at_ncdestroy;
static std::vector<std::string> names_seen_by_callback;

static LRESULT recording_callback(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) names_seen_by_callback = property_names(window);
  return log_form_callback(window, message, wParam, lParam);
}

// The child is exempt from the hook, and is swept all the same.
TEST_F(Hook, DestroyedWindowsLoseTheLayersPropertiesAfterTheCallbackSawThem) {
  HWND form = make_form(make_window(), recording_callback);
  HWND edit = make_window(form, 100);
  bind_control_id(form, edit, 100, 0, 255);
  bind_handler<WM_COMMAND>(edit, EN_CHANGE, log_command);
  for (const char* marker : {PROP_BAD_CONTROL, PROP_HOOK_EXEMPT})
    SetPropA(edit, marker, reinterpret_cast<HANDLE>(1));
  set_control_colours(form, 0, RGB(1, 2, 3), RGB(4, 5, 6));
  const ATOM atom = GlobalAddAtomA("KVQ_ATOM");
  const std::string atom_name = "#" + std::to_string(atom);
  for (LPCSTR name : std::initializer_list<LPCSTR>{MAKEINTATOM(atom), "kvq_x", "KVQ_"})
    SetPropA(form, name, reinterpret_cast<HANDLE>(1));
  SendMessageA(form, WM_CTLCOLOREDIT, 0, as_lparam(edit));
  const HANDLE brush = GetPropA(edit, PROP_BRUSH);
  ASSERT_NE(brush, nullptr);
  // Windows reports an atom-named property as its atom; Wine reports every name as text,
  // and then the sweep cannot tell it from a text name.
  const bool atom_reported_as_atom = has_property(form, atom_name);
  names_at_ncdestroy.clear();
  at_ncdestroy = [](HWND window) { names_at_ncdestroy[window] = property_names(window); };
  clear_message_log();

  DestroyWindow(form);
  EXPECT_TRUE(log_matches({only(WM_DESTROY, "callback"), only(WM_DESTROY, "proc"), only(WM_DESTROY, "proc"),
                           only(WM_NCDESTROY, "proc"), only(WM_NCDESTROY, "proc")}));
  for (const char* name : {"KVQ_ID100", "KVQ_BCEB", PROP_FORM_CALLBACK}) {
    EXPECT_NE(std::find(names_seen_by_callback.begin(), names_seen_by_callback.end(), name),
              names_seen_by_callback.end())
        << name;
  }
  for (HWND window : {form, edit}) {
    for (const char* prefix : {"KVQ_", "GXT_"})
      EXPECT_FALSE(any_starts_with(names_at_ncdestroy[window], prefix)) << prefix;
  }
  EXPECT_TRUE(any_starts_with(names_at_ncdestroy[form], "kvq_x"));
  EXPECT_TRUE(any_starts_with(names_at_ncdestroy[edit], PROP_HOOK_EXEMPT));
  EXPECT_EQ(any_starts_with(names_at_ncdestroy[form], atom_name), atom_reported_as_atom);
  EXPECT_EQ(GetObjectType(brush), 0u);
  GlobalDeleteAtom(atom);
}

TEST_F(Hook, RemovalWaitsForTheNextNcDestroyOfAnyWindow) {
  HWND form = make_window();
  HWND button = bound_child(form, make_window(form, 102), 102);
  bind_handler<WM_COMMAND>(button, BN_CLICKED, log_command);
  const auto click = [&] {
    return SendMessageA(form, WM_COMMAND, MAKEWPARAM(102, BN_CLICKED), as_lparam(button));
  };
  request_hook_removal();
  EXPECT_TRUE(hook_removal_requested);
  EXPECT_EQ(click(), 0);
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
