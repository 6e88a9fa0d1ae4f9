#include <concepts>

#include "tests/formlayer/formlayer_fixture.h"

template <UINT Message, typename Handler>
concept BindableAs = requires(HWND window, Handler handler) {
  bind_handler<Message>(window, 0, handler);
};

static_assert(BindableAs<WM_COMMAND, CommandHandler>);
static_assert(BindableAs<WM_NOTIFY, NotifyHandler>);
static_assert(BindableAs<WM_KILLFOCUS, FocusHandler>);
static_assert(BindableAs<WM_VSCROLL, ScrollHandler>);
static_assert(!BindableAs<WM_COMMAND, NotifyHandler>);
static_assert(!BindableAs<WM_SETFOCUS, CommandHandler>);
static_assert(!BindableAs<WM_HSCROLL, FocusHandler>);
static_assert(!BindableAs<WM_ERASEBKGND, CommandHandler>);  // nothing is dispatched for it

using Bindings = FormLayerTest;

TEST_F(Bindings, KeysAreSignedPointerSizedNumbersAfterTheirPrefix) {
  struct Case {
    INT_PTR first, second;  // the control id; or the message and the code of an event
    bool event;
    const char* key;
  };
  const Case cases[] = {
      {100, 0, false, "KVQ_ID100"},
      {-5, 0, false, "KVQ_ID-5"},
      {0, 0, false, "KVQ_ID0"},
      {sizeof(void*) == 8 ? static_cast<INT_PTR>(0x123456789ABLL) : INT_MAX, 0, false,
       sizeof(void*) == 8 ? "KVQ_ID1250999896491" : "KVQ_ID2147483647"},
      {WM_COMMAND, 0, true, "KVQ_EVT_273_0"},
      {WM_SETFOCUS, 0, true, "KVQ_EVT_7_0"},
      {WM_NOTIFY, -2, true, "KVQ_EVT_78_-2"},
      {INT_MIN, INT_MIN, true, "KVQ_EVT_-2147483648_-2147483648"},
  };
  HWND form = make_window();
  auto* first = reinterpret_cast<void*>(log_command);
  auto* second = reinterpret_cast<void*>(log_focus);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.key);
    char* cursor = scratch_cursor;
    if (!c.event) {
      HWND control = make_window(form);
      EXPECT_EQ(bind_control_id(form, control, c.first, COLOUR_NONE, COLOUR_NONE), 0);
      EXPECT_EQ(GetPropA(form, c.key), control);
      EXPECT_EQ(get_control_id(control), c.first);
    } else {
      const int message = static_cast<int>(c.first), code = static_cast<int>(c.second);
      EXPECT_EQ(bind_event_handler(form, message, code, first), 1);
      EXPECT_EQ(find_event_handler(form, message, code), first);
      EXPECT_EQ(bind_event_handler(form, message, code, second), 1);
      EXPECT_EQ(GetPropA(form, c.key), second);
      EXPECT_EQ(bind_event_handler(form, message, code, nullptr), 1);
      EXPECT_FALSE(has_property(form, c.key));
      EXPECT_EQ(bind_event_handler(form, message, code, nullptr), 1);
    }
    EXPECT_EQ(scratch_cursor, cursor);
  }
  HWND gone = make_window();
  DestroyWindow(gone);
  EXPECT_EQ(bind_event_handler(gone, WM_COMMAND, 0, first), 0);
}

TEST_F(Bindings, KeyThatWouldBeCutIsRefused) {
  HWND window = make_window();
  bind_handler<WM_COMMAND>(window, 0, log_command);
  char* cursor = scratch_cursor;
  scratch_cursor = scratch_last_byte() - 8;  // room for "KVQ_EVT_" and nothing more
  EXPECT_EQ(find_event_handler(window, WM_COMMAND, 0), nullptr);
  EXPECT_EQ(scratch_cursor, scratch_last_byte() - 8);
  scratch_release(cursor);
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
  struct Case {
    const char* name;
    bool kept;
  };
  for (const Case& c :
       {Case{"KVQ_", false}, {"KVQ_ID", false}, {"kvq_x", true}, {"KVQ", true}, {"GXT_TSKHKN", true}}) {
    SetPropA(window, c.name, value);
    EXPECT_TRUE(cleanup_property_proc(window, c.name, value));
    EXPECT_EQ(has_property(window, c.name), c.kept) << c.name;
  }
  RemovePropA(window, MAKEINTATOM(atom));
  GlobalDeleteAtom(atom);
}
