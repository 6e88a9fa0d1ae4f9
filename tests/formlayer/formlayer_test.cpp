#include <concepts>
#include <cstdio>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "app/app.h"
#include "formlayer/formlayer.h"

#include <commctrl.h>
#include "tests/support/test_support.h"

namespace {

// One log of the messages seen by every place under test (a hook, a window procedure, a
// handler), each entry "message where wParam lParam", compared whole with the expected sequence.
std::string logged(UINT message, const char* where, WPARAM wParam = 0, LPARAM lParam = 0) {
  char entry[96];
  std::snprintf(entry, sizeof entry, "%u %s %llx %llx", message, where,
                static_cast<unsigned long long>(wParam), static_cast<unsigned long long>(lParam));
  return entry;
}

std::vector<std::string> message_log;

void log_message(UINT message, const char* where, WPARAM wParam, LPARAM lParam) {
  message_log.push_back(logged(message, where, wParam, lParam));
}

// The test procedure's answer to the messages a test sends, told apart from the layer's.
constexpr LRESULT FROM_PROC = 4242;

WPARAM as_wparam(const void* handle) { return reinterpret_cast<WPARAM>(handle); }
LPARAM as_lparam(const void* pointer) { return reinterpret_cast<LPARAM>(pointer); }

bool watched(UINT message) {
  return message == WM_COMMAND || message == WM_NOTIFY || message == WM_SETFOCUS || message == WM_KILLFOCUS ||
         message == WM_HSCROLL || message == WM_VSCROLL || message == WM_CTLCOLOREDIT || message == WM_APP;
}

// What a window does when another thread sends it WM_APP + 2.
std::function<void()> relay;

LRESULT CALLBACK test_procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  // The end of a window is logged as WM_APP + 1.
  if (message == WM_NCDESTROY) log_message(WM_APP + 1, "proc", 0, 0);
  if (message == WM_APP + 2) relay();
  if (!watched(message)) return DefWindowProcA(window, message, wParam, lParam);
  log_message(message, "proc", wParam, lParam);
  return FROM_PROC;
}

LRESULT log_form_callback(HWND, UINT message, WPARAM wParam, LPARAM lParam) {
  if (watched(message)) log_message(message, "callback", wParam, lParam);
  return 0;
}

// Handlers log {id, kind, window, their last argument}.
LRESULT log_command(HWND window, INT_PTR id) {
  log_message(static_cast<UINT>(id), "command", as_wparam(window), 0);
  return 1;
}
LRESULT notify_consumes(HWND window, INT_PTR id, NMHDR* header) {
  log_message(static_cast<UINT>(id), "notify", as_wparam(window), as_lparam(header));
  return header->code == NM_CLICK;
}
LRESULT log_focus(HWND window, INT_PTR id, WPARAM other_window) {
  log_message(static_cast<UINT>(id), "focus", as_wparam(window), static_cast<LPARAM>(other_window));
  return 1;
}
// {id, "scroll", parent, control}, then the code and the position.
std::string scrolled(INT_PTR id, HWND parent, HWND control, int code, int position) {
  return logged(static_cast<UINT>(id), "scroll", as_wparam(parent), as_lparam(control)) + " " +
         std::to_string(code) + " " + std::to_string(position);
}
LRESULT log_scroll(HWND parent, INT_PTR id, int code, int position, HWND control) {
  message_log.push_back(scrolled(id, parent, control, code, position));
  return 1;
}

class FormLayerTest : public testing::Test {
 protected:
  void SetUp() override {
    static const bool ready = [] {
      init_runtime_for_tests();
      init_windows();
      init_controls();
      const WNDCLASSA window_class{0,       test_procedure, 0,       0,       program_module,
                                   nullptr, nullptr,        nullptr, nullptr, "FormLayerTestWindow"};
      return RegisterClassA(&window_class) != 0;
    }();
    ASSERT_TRUE(ready);
    install_interception_hook();
    pump_messages();
    message_log.clear();
  }
  // Hidden, so that no focus or paint message of the system's own gets in the log.
  HWND make_window(HWND parent = nullptr, INT_PTR id = 0) {
    return CreateWindowExA(0, "FormLayerTestWindow", "", parent ? WS_CHILD : WS_OVERLAPPED, 0, 0, 40, 40,
                           parent, reinterpret_cast<HMENU>(id), program_module, nullptr);
  }
  // A window whose form callback is set, as load_form leaves it, or a child bound on a form under
  // id, as the form's control list binds its controls.
  HWND make_form(FormCallback callback = log_form_callback) {
    HWND form = make_window();
    SetPropA(form, PROP_FORM_CALLBACK, reinterpret_cast<HANDLE>(callback));
    return form;
  }
  HWND bound_child(HWND form, INT_PTR id) {
    HWND child = make_window(form, id);
    bind_control_id(form, child, id, COLOUR_NONE, COLOUR_NONE);
    return child;
  }
};

using Hook = FormLayerTest;
using Bindings = FormLayerTest;
using Colours = FormLayerTest;
using FormLoader = FormLayerTest;
using Log = std::vector<std::string>;

// A message no handler took: the form's callback sees it, then the window's own procedure.
Log passed_on(UINT message, WPARAM wParam, LPARAM lParam) {
  return {logged(message, "callback", wParam, lParam), logged(message, "proc", wParam, lParam)};
}

LONG_PTR procedure_of(HWND window) { return GetWindowLongPtrA(window, GWLP_WNDPROC); }

// How a message is sent: by this thread; by this thread while it answers a message another thread
// sent; or while another thread hook, older or newer than the layer's, sends the window a message of
// its own (a second click, or a plain message) once the first has passed it.
enum Sending {
  DIRECTLY,
  WHILE_ANSWERING_ANOTHER_THREAD,
  OLDER_HOOK_CLICKS_TOO,
  NEWER_HOOK_CLICKS_FIRST,
  NEWER_HOOK_SENDS_FIRST
};

HHOOK other_hook;
// What the other hook sends, and to which window, when that window's message first passes it.
CWPSTRUCT other_hook_sends;
UINT other_hook_waits_for;

LRESULT CALLBACK other_hook_procedure(int code, WPARAM wParam, LPARAM lParam) {
  const auto* record = reinterpret_cast<const CWPSTRUCT*>(lParam);
  const bool now = code >= 0 && other_hook_waits_for && record->hwnd == other_hook_sends.hwnd &&
                   record->message == other_hook_waits_for;
  if (now) other_hook_waits_for = 0;
  const LRESULT result = CallNextHookEx(other_hook, code, wParam, lParam);
  if (now)
    SendMessageA(other_hook_sends.hwnd, other_hook_sends.message, other_hook_sends.wParam,
                 other_hook_sends.lParam);
  return result;
}

LRESULT send_as(Sending sending, HWND receiver, UINT message, WPARAM wParam, LPARAM lParam, HWND relay_window,
                const CWPSTRUCT& nested) {
  LRESULT result = 0;
  relay = [&] { result = SendMessageA(receiver, message, wParam, lParam); };
  if (sending == WHILE_ANSWERING_ANOTHER_THREAD) {
    EXPECT_TRUE(run_on_another_thread([&] { SendMessageA(relay_window, WM_APP + 2, 0, 0); }));
    return result;
  }
  if (sending == DIRECTLY) return SendMessageA(receiver, message, wParam, lParam);
  // A hook installed later runs earlier: the older one is installed before the layer's.
  if (sending == OLDER_HOOK_CLICKS_TOO) remove_interception_hook();
  other_hook = SetWindowsHookExA(WH_CALLWNDPROC, other_hook_procedure, nullptr, GetCurrentThreadId());
  install_interception_hook();
  other_hook_sends = nested;
  other_hook_waits_for = message;
  result = SendMessageA(receiver, message, wParam, lParam);
  UnhookWindowsHookEx(other_hook);
  return result;
}

// One form with every kind of binding; each message is sent to it (or to one of its children, or
// to a window exempt from the hook), the places it reached are logged, and every window has its
// own procedure back afterwards. The decisions are made per message: the thread's own notification
// is dispatched while it answers another thread, and a click is dispatched when other messages
// reach its window first.
TEST_F(Hook, EachMessageReachesItsHandlerCallbackAndWindowInOrder) {
  HWND form = make_form(), exempt = make_form(), relay_window = make_window();
  SetPropA(form, PROP_ID, reinterpret_cast<HANDLE>(9));
  HWND button = bound_child(form, 102), bad = bound_child(form, 107), second = bound_child(form, 103),
       exempt_button = bound_child(exempt, 102);
  SetPropA(bad, PROP_BAD_CONTROL, reinterpret_cast<HANDLE>(1));
  SetPropA(exempt, PROP_HOOK_EXEMPT, reinterpret_cast<HANDLE>(1));
  for (HWND control : {button, second, exempt_button})
    bind_handler<WM_COMMAND>(control, BN_CLICKED, log_command);
  for (HWND control : {button, bad}) bind_handler<WM_NOTIFY>(control, NM_CLICK, notify_consumes);
  bind_handler<WM_NOTIFY>(button, NM_DBLCLK, notify_consumes);
  bind_handler<WM_SETFOCUS>(form, 0, log_focus);
  bind_handler<WM_KILLFOCUS>(form, 0, log_focus);
  bind_handler<WM_HSCROLL>(button, 0, log_scroll);
  bind_handler<WM_VSCROLL>(second, 0, log_scroll);
  NMHDR consumed{button, 102, NM_CLICK}, passed{button, 102, NM_DBLCLK}, refused{bad, 107, NM_CLICK};
  const WPARAM click = MAKEWPARAM(102, BN_CLICKED), other = MAKEWPARAM(102, BN_DBLCLK), f = as_wparam(form);
  const LPARAM b = as_lparam(button), c = as_lparam(&consumed), p = as_lparam(&passed),
               r = as_lparam(&refused);
  const CWPSTRUCT second_click{as_lparam(second), MAKEWPARAM(103, BN_CLICKED), WM_COMMAND, form},
      plain{0, 0, WM_APP, form};
  const Log both_clicks{logged(103, "command", f), logged(102, "command", f)},
      plain_first{logged(WM_APP, "callback"), logged(WM_APP, "proc"), logged(102, "command", f)};
  // Sent to, message, wParam, lParam, how; the result and the log.
  // clang-format off
  const std::tuple<HWND, UINT, WPARAM, LPARAM, Sending, LRESULT, Log> cases[] = {
      {form, WM_COMMAND, click, b, DIRECTLY, 0, {logged(102, "command", f)}},
      {form, WM_COMMAND, other, b, DIRECTLY, FROM_PROC, passed_on(WM_COMMAND, other, b)},
      {form, WM_NOTIFY, 102, c, DIRECTLY, 0, {logged(102, "notify", f, c)}},
      {form, WM_NOTIFY, 102, p, DIRECTLY, FROM_PROC, {logged(102, "notify", f, p), logged(WM_NOTIFY, "proc", 102, p)}},
      {form, WM_NOTIFY, 107, r, DIRECTLY, FROM_PROC, passed_on(WM_NOTIFY, 107, r)},
      {form, WM_SETFOCUS, 5, 0, DIRECTLY, FROM_PROC, {logged(WM_SETFOCUS, "proc", 5), logged(9, "focus", f, 5)}},
      {form, WM_KILLFOCUS, 6, 0, DIRECTLY, FROM_PROC, {logged(WM_KILLFOCUS, "proc", 6), logged(9, "focus", f, 6)}},
      {form, WM_HSCROLL, MAKEWPARAM(5, 77), b, DIRECTLY, FROM_PROC, {logged(WM_HSCROLL, "proc", MAKEWPARAM(5, 77), b), scrolled(102, form, button, 5, 77)}},
      {second, WM_VSCROLL, MAKEWPARAM(1, 3), 0, DIRECTLY, FROM_PROC, {logged(WM_VSCROLL, "proc", MAKEWPARAM(1, 3)), scrolled(103, form, second, 1, 3)}},
      {form, WM_VSCROLL, 1, 0, DIRECTLY, FROM_PROC, passed_on(WM_VSCROLL, 1, 0)},
      {exempt, WM_COMMAND, click, 0, DIRECTLY, FROM_PROC, {logged(WM_COMMAND, "proc", click)}},
      {exempt, WM_APP, 0, 0, DIRECTLY, FROM_PROC, {logged(WM_APP, "proc")}},
      {form, WM_NOTIFY, 102, c, WHILE_ANSWERING_ANOTHER_THREAD, 0, {logged(102, "notify", f, c)}},
      {form, WM_COMMAND, click, b, OLDER_HOOK_CLICKS_TOO, 0, both_clicks},
      {form, WM_COMMAND, click, b, NEWER_HOOK_CLICKS_FIRST, 0, both_clicks},
      {form, WM_COMMAND, click, b, NEWER_HOOK_SENDS_FIRST, 0, plain_first}};
  // clang-format on
  for (const auto& [receiver, message, wParam, lParam, sending, result, expected] : cases) {
    SCOPED_TRACE(testing::Message() << message << ", " << wParam << ", sent " << sending);
    message_log.clear();
    const CWPSTRUCT& nested = sending == NEWER_HOOK_SENDS_FIRST ? plain : second_click;
    EXPECT_EQ(send_as(sending, receiver, message, wParam, lParam, relay_window, nested), result);
    EXPECT_EQ(message_log, expected);
    EXPECT_EQ(procedure_of(receiver), reinterpret_cast<LONG_PTR>(test_procedure));
  }
  EXPECT_EQ(GetPropA(exempt, PROP_SAVED_PROCEDURE), nullptr) << "never swapped";
  // The event translation reads the thread's own notification too.
  const HWND library = window_handle(open_window(ANY_NUMBER, 0, 0, 10, 10, WINDOW_HIDDEN, "", nullptr));
  NMUPDOWN change{{library, 5, static_cast<UINT>(UDN_DELTAPOS)}, 0, 7};
  pump_messages();
  current_event.control = 0;
  send_as(WHILE_ANSWERING_ANOTHER_THREAD, library, WM_NOTIFY, 5, as_lparam(&change), relay_window, plain);
  EXPECT_EQ(std::tuple(current_event.control, current_event.type), std::tuple(5, 7));
  // Once: the same notification posted afterwards is not the thread's own send.
  current_event.control = 0;
  PostMessageA(library, WM_NOTIFY, 5, as_lparam(&change));
  pump_messages();
  EXPECT_EQ(current_event.control, 0);
  // A second install adds no second hook; asked to go, the hook goes at the next window's end.
  install_interception_hook();
  request_hook_removal();
  message_log.clear();
  SendMessageA(form, WM_COMMAND, click, b);
  DestroyWindow(relay_window);
  SendMessageA(form, WM_COMMAND, click, b);
  EXPECT_EQ(std::tuple(message_log, hook_handle),
            std::tuple(Log{logged(102, "command", f), logged(WM_APP + 1, "proc"),
                           logged(WM_COMMAND, "proc", click, b)},
                       nullptr));
}

// A window of a class of its own, named as the controls whose notifications the event translation reads.
HWND window_of_class(const char* name) {
  const WNDCLASSA window_class{0,       DefWindowProcA, 0,       0,       program_module,
                               nullptr, nullptr,        nullptr, nullptr, name};
  RegisterClassA(&window_class);
  return CreateWindowExA(0, name, "", 0, 0, 0, 1, 1, HWND_MESSAGE, nullptr, program_module, nullptr);
}

// The thread's own notification to a library window makes an event by its sender's class (the first four
// letters) and code: clicks of list and tree views with their types, their item changes and selection, a date
// or a month chosen, and an up-down step of any control with the step as its type; anything else makes none.
TEST_F(Hook, NotificationsMakeEventsByTheSendersClassAndCode) {
  const HWND library = window_handle(open_window(ANY_NUMBER, 0, 0, 10, 10, WINDOW_HIDDEN, "", nullptr));
  const HWND list = window_of_class("SysListView32"), tree = window_of_class("SysTreeView32"),
             date = window_of_class("SysDateTimePick32"), month = window_of_class("SysMonthCal32"),
             plain = window_of_class("Plain");
  // The sender, its code; the event, its type.
  // clang-format off
  const std::tuple<HWND, int, INT_PTR, INT_PTR> cases[] = {
      {list, NM_CLICK, EVENT_CONTROL, 0}, {tree, NM_DBLCLK, EVENT_CONTROL, 2}, {list, NM_RCLICK, EVENT_CONTROL, 1},
      {tree, NM_RDBLCLK, EVENT_CONTROL, 3}, {list, LVN_ITEMACTIVATE, EVENT_CONTROL, 2},
      {list, LVN_ITEMCHANGED, EVENT_CONTROL, -1}, {tree, TVN_SELCHANGEDA, EVENT_CONTROL, -1},
      {list, NM_SETFOCUS, 0, -1}, {date, DTN_DATETIMECHANGE, EVENT_CONTROL, -1}, {list, DTN_DATETIMECHANGE, 0, -1},
      {month, MCN_SELCHANGE, EVENT_CONTROL, -1}, {plain, NM_CLICK, 0, -1}, {plain, UDN_DELTAPOS, EVENT_CONTROL, -3}};
  // clang-format on
  for (const auto& [sender, code, event, type] : cases) {
    current_event = {EVENT_NONE, EVENT_TYPE_NONE, nullptr, -9, 0, 0, 0};
    NMUPDOWN header{{sender, 40, static_cast<UINT>(code)}, 0, -3};
    SendMessageA(library, WM_NOTIFY, 40, as_lparam(&header));
    EXPECT_EQ(std::tuple(current_event.code, current_event.control, current_event.type),
              std::tuple(event, event ? 40 : -9, type))
        << code;
  }
}

// A message sent from another thread reaches no handler: none read from that thread's window in a
// WM_COMMAND, no brush made for its coloured window in a WM_CTLCOLOREDIT, and a WM_NOTIFY's lParam
// is not read at all. A window still swapped from a message that never arrived is destroyed through
// its own procedure.
TEST_F(Hook, MessagesFromAnotherThreadReachNoHandler) {
  HWND form = make_form(), button = bound_child(form, 102);
  bind_handler<WM_NOTIFY>(button, NM_CLICK, notify_consumes);
  NMHDR header{button, 102, NM_CLICK};
  bool destroyed = false;
  HANDLE brush = nullptr;
  const auto send_from_own_window = [&] {
    HWND own = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 1, 1, HWND_MESSAGE, nullptr, nullptr, nullptr);
    SetPropA(own, "KVQ_EVT_273_0", reinterpret_cast<HANDLE>(log_command));
    SetPropA(own, "KVQ_BC", reinterpret_cast<HANDLE>(RGB(1, 2, 3) + 1));
    SendMessageA(form, WM_COMMAND, MAKEWPARAM(5, BN_CLICKED), as_lparam(own));
    SendMessageA(form, WM_CTLCOLOREDIT, 0, as_lparam(own));
    SendMessageA(form, WM_NOTIFY, 102, as_lparam(&header));
    brush = GetPropA(own, "KVQ_BRSH");
    destroyed = DestroyWindow(own);
  };
  EXPECT_TRUE(run_on_another_thread(send_from_own_window) && destroyed);
  EXPECT_EQ(brush, nullptr) << "a brush was made for another thread's window";
  EXPECT_EQ(message_log.size(), 6u) << "only the callback and the window, three times";
  SetPropA(form, PROP_SAVED_PROCEDURE, reinterpret_cast<HANDLE>(test_procedure));
  SetWindowLongPtrA(form, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(one_shot_subclass_proc));
  DestroyWindow(form);
  EXPECT_EQ(std::tuple(message_log.size(), message_log.back()), std::tuple(8u, logged(WM_APP + 1, "proc")));
}

template <UINT Message, typename Handler>
concept BindableAs = requires(HWND window, Handler handler) {
  bind_handler<Message>(window, 0, handler);
};

static_assert(BindableAs<WM_COMMAND, CommandHandler> && BindableAs<WM_NOTIFY, NotifyHandler>);
static_assert(!BindableAs<WM_COMMAND, NotifyHandler> && !BindableAs<WM_HSCROLL, FocusHandler>);

// Ids and (message, code) pairs are written signed and pointer-wide after their prefixes; a
// binding is replaced and removed under its key, and a window that is gone takes none. A key that
// would be cut at the scratch area's end is refused: the cut key could name another binding. Only text
// names beginning exactly with "KVQ_" are swept; on Windows the sweep is given atom names as atoms, and
// Wine gives every name as text, so only a direct call shows the atom rule there.
TEST_F(Bindings, KeysAreSignedPointerSizedNumbersAfterTheirPrefix) {
  const INT_PTR wide = sizeof(void*) == 8 ? static_cast<INT_PTR>(0x123456789ABLL) : INT_MAX;
  HWND form = make_window(), control = make_window(form), gone = make_window();
  bind_control_id(form, control, wide, COLOUR_NONE, COLOUR_NONE);
  EXPECT_EQ(std::tuple(GetPropA(form, ("KVQ_ID" + std::to_string(wide)).c_str()), get_control_id(control)),
            std::tuple(control, wide));
  EXPECT_EQ(bind_event_handler(form, INT_MIN, -2, reinterpret_cast<void*>(log_command)), 1);
  EXPECT_EQ(GetPropA(form, "KVQ_EVT_-2147483648_-2"), reinterpret_cast<void*>(log_command));
  for (int bound = 1; bound >= 0; --bound)
    EXPECT_EQ(bind_event_handler(form, INT_MIN, -2, nullptr), 1)
        << "a null handler unbinds, bound: " << bound;
  EXPECT_EQ(GetPropA(form, "KVQ_EVT_-2147483648_-2"), nullptr);
  DestroyWindow(gone);
  EXPECT_EQ(bind_event_handler(gone, WM_COMMAND, 0, reinterpret_cast<void*>(log_command)), 0);
  SetPropA(form, PROP_EVENT_PREFIX, form);
  scratch_cursor = scratch_last_byte() - 8;  // room for "KVQ_EVT_" and nothing more
  EXPECT_EQ(bind_handler<WM_COMMAND>(form, 0, log_command), 0) << "nothing was stored";
  EXPECT_EQ(std::tuple(find_event_handler(form, INT_MIN, -2), scratch_cursor),
            std::tuple(nullptr, scratch_last_byte() - 8));
  scratch_release(string_scratch);
  const HWND window = make_window();
  const ATOM atom = GlobalAddAtomA("KVQ_ATOM");
  for (LPCSTR name : std::initializer_list<LPCSTR>{MAKEINTATOM(atom), "KVQ_", "kvq_x", "KVQ"}) {
    SetPropA(window, name, reinterpret_cast<HANDLE>(7));
    cleanup_property_proc(window, name, nullptr);
  }
  EXPECT_EQ(GetPropA(window, MAKEINTATOM(atom)), reinterpret_cast<HANDLE>(7));
  const auto kept = reinterpret_cast<HANDLE>(7);
  EXPECT_EQ(std::tuple(GetPropA(window, "KVQ_"), GetPropA(window, "kvq_x"), GetPropA(window, "KVQ")),
            std::tuple(nullptr, kept, kept));
  RemovePropA(window, MAKEINTATOM(atom));
  GlobalDeleteAtom(atom);
}

// A bound control's colours paint it through its parent's WM_CTLCOLOR* answer, with one brush kept
// for it until it goes: the DC gets the text colour (not while the control is disabled) and the
// background, black and white as any other; without a background, or one out of range, the window
// answers. The window's own background colour erases it.
TEST_F(Colours, ControlColoursPaintTheBoundControl) {
  HWND form = make_form(), edit = bound_child(form, 100);
  HDC dc = CreateCompatibleDC(nullptr);
  const COLORREF text = RGB(1, 2, 3), back = RGB(4, 5, 6), red = RGB(255, 0, 0), blue = RGB(0, 0, 255);
  const int too_big = COLOUR_WHITE + 1;
  // Background and text colour, whether the control is enabled; the DC's colours after.
  // clang-format off
  const std::tuple<int, int, BOOL, COLORREF, COLORREF> cases[] = {
      {COLOUR_NONE, red, TRUE, text, back}, {0, red, TRUE, red, 0}, {too_big, red, TRUE, text, back},
      {blue, red, FALSE, text, blue}, {COLOUR_WHITE, COLOUR_WHITE, TRUE, COLOUR_WHITE, COLOUR_WHITE}};
  // clang-format on
  for (const auto& [background, text_colour, enabled, text_seen, back_seen] : cases) {
    EnableWindow(edit, enabled);
    SetTextColor(dc, text);
    SetBkColor(dc, back);
    set_control_colours(form, 100, background, text_colour);
    const LRESULT result = SendMessageA(form, WM_CTLCOLOREDIT, as_wparam(dc), as_lparam(edit));
    EXPECT_EQ(std::tuple(GetTextColor(dc), GetBkColor(dc)), std::tuple(text_seen, back_seen)) << background;
    EXPECT_EQ(result,
              back_seen != back ? SendMessageA(form, WM_CTLCOLOREDIT, 0, as_lparam(edit)) : FROM_PROC);
  }
  set_control_colours(form, 0, blue, COLOUR_NONE);
  EXPECT_EQ(SendMessageA(form, WM_ERASEBKGND, as_wparam(dc), 0), 1) << "colours for id 0 erase the window";
  const auto brush = reinterpret_cast<HGDIOBJ>(GetPropA(edit, PROP_BRUSH));
  EXPECT_EQ(GetObjectType(brush), static_cast<DWORD>(OBJ_BRUSH));
  DestroyWindow(edit);
  EXPECT_EQ(GetObjectType(brush), 0u) << "the brush goes with the control";
  DeleteDC(dc);
}

// A name is upper-cased and trimmed of spaces before it is looked up; the form opens with its
// callback, its controls and their bindings, and its number read back from it; as a child it needs
// a parent, and opens inside it without a caption (and without a callback when none is given). A control
// destroyed by the thread, however, gives up its number.
TEST_F(FormLoader, NamesAreNormalisedBeforeTheyAreLookedUp) {
  const std::pair<const char*, bool> cases[] = {{"form1", true},   {" FORM1 ", true},  {"FORM 1", false},
                                                {"FORM1X", false}, {"\tFORM1", false}, {nullptr, false}};
  for (const auto& [name, opens] : cases) {
    HWND form = load_form(name, log_form_callback);
    EXPECT_EQ(std::tuple(form != nullptr, scratch_cursor), std::tuple(opens, string_scratch))
        << (name ? name : "-");
    if (!form) continue;
    EXPECT_EQ(std::tuple(window_handle(get_control_id(form)), GetPropA(form, PROP_FORM_CALLBACK)),
              std::tuple(form, reinterpret_cast<HANDLE>(log_form_callback)));
    EXPECT_NE(find_event_handler(GetDlgItem(form, ID_SAVE_BUTTON), WM_COMMAND, BN_CLICKED), nullptr);
    DestroyWindow(GetDlgItem(form, ID_RUN_BUTTON));
    EXPECT_EQ(find_record(control_registry, ID_RUN_BUTTON), nullptr);
    close_window(get_control_id(form));
  }
  EXPECT_EQ(open_form_window("FORM1", nullptr, 1, nullptr), nullptr) << "a child needs a parent";
  const HWND parent = make_window(), child = open_form_window("form1", parent, 1, nullptr);
  EXPECT_EQ(std::tuple(GetParent(child), GetWindowLongPtrA(child, GWL_STYLE) & (WS_CHILD | WS_CAPTION),
                       GetPropA(child, PROP_FORM_CALLBACK), window_handle(get_control_id(child)),
                       GetDlgItem(child, ID_RUN_BUTTON) != nullptr),
            std::tuple(parent, WS_CHILD, nullptr, child, true));
}

// The factor is a 32-bit float and halves go to the even neighbour.
TEST(Twips, ConvertWithA32BitFactorAndHalvesToEven) {
  const std::tuple<int, int, int> cases[] = {{630, 120, 52},   {375, 120, 31}, {735, 144, 74}, {840, 150, 87},
                                             {-735, 144, -74}, {100, 0, 0},    {1440, 96, 96}};
  for (const auto& [twips, dots_per_inch, pixels] : cases)
    EXPECT_EQ(twips_to_pixels(twips, dots_per_inch), pixels) << twips << " twips at " << dots_per_inch;
}

}  // namespace
