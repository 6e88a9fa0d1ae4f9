#include <concepts>

#include "tests/formlayer/formlayer_fixture.h"

template <UINT Message, typename Handler>
concept BindableAs = requires(HWND window, Handler handler) {
  bind_handler<Message>(window, 0, handler);
};

static_assert(BindableAs<WM_COMMAND, CommandHandler> && BindableAs<WM_NOTIFY, NotifyHandler>);
static_assert(BindableAs<WM_KILLFOCUS, FocusHandler> && BindableAs<WM_VSCROLL, ScrollHandler>);
static_assert(!BindableAs<WM_COMMAND, NotifyHandler> && !BindableAs<WM_SETFOCUS, CommandHandler>);
static_assert(!BindableAs<WM_HSCROLL, FocusHandler>);
static_assert(!BindableAs<WM_ERASEBKGND, CommandHandler>);  // nothing is dispatched for it

using Bindings = FormLayerTest;

TEST_F(Bindings, KeysAreSignedPointerSizedNumbersAfterTheirPrefix) {
  const INT_PTR wide = sizeof(void*) == 8 ? static_cast<INT_PTR>(0x123456789ABLL) : INT_MAX;
  const std::pair<INT_PTR, std::string> ids[] = {
      {100, "KVQ_ID100"}, {-5, "KVQ_ID-5"}, {0, "KVQ_ID0"}, {wide, "KVQ_ID" + std::to_string(wide)}};
  HWND form = make_window();
  for (const auto& [id, key] : ids) {
    HWND control = make_window(form);
    EXPECT_EQ(bind_control_id(form, control, id, COLOUR_NONE, COLOUR_NONE), 0);
    EXPECT_EQ(GetPropA(form, key.c_str()), control) << key;
    EXPECT_EQ(get_control_id(control), id);
  }
  const std::tuple<int, int, const char*> events[] = {{WM_COMMAND, 0, "KVQ_EVT_273_0"},
                                                      {WM_SETFOCUS, 0, "KVQ_EVT_7_0"},
                                                      {WM_NOTIFY, -2, "KVQ_EVT_78_-2"},
                                                      {INT_MIN, INT_MIN, "KVQ_EVT_-2147483648_-2147483648"}};
  auto *first = reinterpret_cast<void*>(log_command), *second = reinterpret_cast<void*>(log_focus);
  for (const auto& [message, code, key] : events) {
    SCOPED_TRACE(key);
    EXPECT_EQ(bind_event_handler(form, message, code, first), 1);
    EXPECT_EQ(find_event_handler(form, message, code), first);
    EXPECT_EQ(bind_event_handler(form, message, code, second), 1);
    EXPECT_EQ(GetPropA(form, key), second) << "replaced";
    EXPECT_EQ(bind_event_handler(form, message, code, nullptr), 1);
    EXPECT_FALSE(has_property(form, key)) << "removed";
    EXPECT_EQ(bind_event_handler(form, message, code, nullptr), 1);
  }
  EXPECT_EQ(scratch_cursor, string_scratch) << "every key was released";
  HWND gone = make_window();
  DestroyWindow(gone);
  EXPECT_EQ(bind_event_handler(gone, WM_COMMAND, 0, first), 0);
}

// The cut key would name the property under "KVQ_EVT_", which is not the binding asked for.
TEST_F(Bindings, KeyThatWouldBeCutIsRefused) {
  HWND window = make_window();
  bind_handler<WM_COMMAND>(window, 0, log_command);
  SetPropA(window, PROP_EVENT_PREFIX, reinterpret_cast<HANDLE>(log_focus));
  scratch_cursor = scratch_last_byte() - 8;  // room for "KVQ_EVT_" and nothing more
  EXPECT_EQ(find_event_handler(window, WM_COMMAND, 0), nullptr);
  EXPECT_EQ(scratch_cursor, scratch_last_byte() - 8);
  // Fault: binding reports success although nothing was stored.
  EXPECT_EQ(bind_handler<WM_COMMAND>(window, 0, nullptr), 0);
  scratch_release(string_scratch);
  EXPECT_EQ(find_event_handler(window, WM_COMMAND, 0), reinterpret_cast<void*>(log_command));
}

// On Windows the sweep is given atom names as atoms; Wine gives every name as text, so
// only a direct call shows the atom rule there.
TEST_F(Bindings, SweepRemovesTextNamesBeginningExactlyWithThePrefix) {
  HWND window = make_window();
  const ATOM atom = GlobalAddAtomA("KVQ_ATOM");
  const auto value = reinterpret_cast<HANDLE>(7);
  SetPropA(window, MAKEINTATOM(atom), value);
  EXPECT_TRUE(cleanup_property_proc(window, MAKEINTATOM(atom), value));
  EXPECT_EQ(GetPropA(window, MAKEINTATOM(atom)), value);
  for (const auto& [name, kept] :
       {std::pair{"KVQ_", false}, {"KVQ_ID", false}, {"kvq_x", true}, {"KVQ", true}}) {
    SetPropA(window, name, value);
    EXPECT_TRUE(cleanup_property_proc(window, name, value));
    EXPECT_EQ(has_property(window, name), kept) << name;
  }
  RemovePropA(window, MAKEINTATOM(atom));
  GlobalDeleteAtom(atom);
}
