#include <concepts>
#include <tuple>

#include "tests/formlayer/formlayer_fixture.h"

template <UINT Message, typename Handler>
concept BindableAs = requires(HWND window, Handler handler) {
  bind_handler<Message>(window, 0, handler);
};

static_assert(BindableAs<WM_COMMAND, CommandHandler> && BindableAs<WM_NOTIFY, NotifyHandler>);
static_assert(!BindableAs<WM_COMMAND, NotifyHandler> && !BindableAs<WM_HSCROLL, FocusHandler>);

using Bindings = FormLayerTest;

// Ids and (message, code) pairs are written signed and pointer-wide after their prefixes; a
// binding is replaced and removed under its key, and a window that is gone takes none. A key that
// would be cut at the scratch area's end is refused: the cut key could name another binding.
TEST_F(Bindings, KeysAreSignedPointerSizedNumbersAfterTheirPrefix) {
  const INT_PTR wide = sizeof(void*) == 8 ? static_cast<INT_PTR>(0x123456789ABLL) : INT_MAX;
  HWND form = make_window(), control = make_window(form), gone = make_window();
  bind_control_id(form, control, wide, COLOUR_NONE, COLOUR_NONE);
  EXPECT_EQ(std::tuple(GetPropA(form, ("KVQ_ID" + std::to_string(wide)).c_str()), get_control_id(control)),
            std::tuple(control, wide));
  EXPECT_EQ(bind_event_handler(form, INT_MIN, -2, reinterpret_cast<void*>(log_command)), 1);
  EXPECT_EQ(GetPropA(form, "KVQ_EVT_-2147483648_-2"), reinterpret_cast<void*>(log_command));
  DestroyWindow(gone);
  EXPECT_EQ(bind_event_handler(gone, WM_COMMAND, 0, reinterpret_cast<void*>(log_command)), 0);
  SetPropA(form, PROP_EVENT_PREFIX, form);
  scratch_cursor = scratch_last_byte() - 8;  // room for "KVQ_EVT_" and nothing more
  EXPECT_EQ(bind_handler<WM_COMMAND>(form, 0, log_command), 0) << "nothing was stored";
  EXPECT_EQ(std::tuple(find_event_handler(form, INT_MIN, -2), scratch_cursor),
            std::tuple(nullptr, scratch_last_byte() - 8));
  scratch_release(string_scratch);
}

// Only text names beginning exactly with "KVQ_" are swept. On Windows the sweep is given atom
// names as atoms; Wine gives every name as text, so only a direct call shows the atom rule there.
TEST_F(Bindings, SweepRemovesTextNamesBeginningExactlyWithThePrefix) {
  HWND window = make_window();
  const ATOM atom = GlobalAddAtomA("KVQ_ATOM");
  for (LPCSTR name : std::initializer_list<LPCSTR>{MAKEINTATOM(atom), "KVQ_", "kvq_x", "KVQ"}) {
    SetPropA(window, name, reinterpret_cast<HANDLE>(7));
    cleanup_property_proc(window, name, nullptr);
  }
  EXPECT_EQ(GetPropA(window, MAKEINTATOM(atom)), reinterpret_cast<HANDLE>(7));
  const std::set<std::string> names = property_names(window);
  EXPECT_EQ(std::tuple(names.count("KVQ_"), names.count("kvq_x"), names.count("KVQ")),
            std::tuple(0u, 1u, 1u));
  RemovePropA(window, MAKEINTATOM(atom));
  GlobalDeleteAtom(atom);
}
