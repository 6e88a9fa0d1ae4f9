#include "tests/gui/gui_test_support.h"

#include <commctrl.h>

#include <tuple>

enum SceneId : int { LIST_BOX_ID = 55, LIST_VIEW_ID = 66, UP_DOWN_ID = 88 };

// What one wait_window_event returned, with the event fields right after it.
struct WaitOutcome {
  INT_PTR result, control, type;
  ObjectNumber window;
  LPARAM lParam;
};

inline constexpr UINT SENTINEL_MESSAGE = WM_APP + 77;

// Waits until the sentinel posted after the test's own messages comes back; posted
// messages arrive in order, so everything the test posted has been dispatched by then.
static std::vector<WaitOutcome> wait_through_sentinel(HWND window) {
  PostMessageA(window, SENTINEL_MESSAGE, 0, 0);
  std::vector<WaitOutcome> outcomes;
  for (INT_PTR result = wait_window_event(); result != SENTINEL_MESSAGE; result = wait_window_event())
    outcomes.push_back({result, event_control(), current_event.type, event_window(), current_event.lParam});
  return outcomes;
}

// One window with the library's controls and the system's list box, list view and up-down.
class EventsTest : public GuiTest {
 protected:
  HWND window, edit, button, dynamic_button, menu_source, list_box, list_view, up_down;
  ObjectNumber dynamic_number;

  HWND child(const char* class_name, DWORD style, INT_PTR id, int y) {
    return CreateWindowExA(0, class_name, "", WS_CHILD | WS_VISIBLE | style, 10, y, 200, 60, window,
                           reinterpret_cast<HMENU>(id), program_module, nullptr);
  }

  void SetUp() override {
    GuiTest::SetUp();
    window = as_hwnd(open_window(1, 0, 0, 500, 460, 0, "events", nullptr));
    set_control_parent(window);
    edit = as_hwnd(create_edit_control(100, 220, 10, 100, 22, "", 0));
    button = as_hwnd(create_button_control(102, 220, 40, 100, 22, "Save", 0));
    dynamic_number = create_button_control(ANY_NUMBER, 220, 70, 100, 22, "dynamic", 0);
    dynamic_button = read_record(control_registry, dynamic_number).handle;
    menu_source = child("BUTTON", 0, MENU_SOURCE_ID, 100);
    list_box = child("LISTBOX", LBS_NOTIFY, LIST_BOX_ID, 170);
    for (const char* item : {"one", "two", "three"})
      SendMessageA(list_box, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
    list_view = child(WC_LISTVIEWA, LVS_LIST, LIST_VIEW_ID, 240);
    LVITEMA item{};
    item.mask = LVIF_TEXT;
    item.pszText = const_cast<char*>("item");
    for (; item.iItem < 2; ++item.iItem)
      SendMessageA(list_view, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    up_down = child(UPDOWN_CLASSA, UDS_ARROWKEYS, UP_DOWN_ID, 320);
    SendMessageA(up_down, UDM_SETRANGE32, 0, 100);
    SendMessageA(up_down, UDM_SETPOS32, 0, 50);
    settle();
  }

  LPARAM list_view_item_point(int item) {
    RECT rect{LVIR_LABEL, 0, 0, 0};
    SendMessageA(list_view, LVM_GETITEMRECT, item, reinterpret_cast<LPARAM>(&rect));
    return MAKELPARAM(rect.left + 2, (rect.top + rect.bottom) / 2);
  }
};

inline constexpr INT_PTR ANY = 0x7EADBEEF;  // the field is not checked

static bool is_event(INT_PTR result) {
  for (INT_PTR code : {EVENT_SIZE_WINDOW, EVENT_CLOSE_WINDOW, EVENT_CONTROL, EVENT_MENU, EVENT_MOUSE_NOTIFY})
    if (result == code) return true;
  return false;
}

TEST_F(EventsTest, MessagesBecomeEvents) {
  LVITEMA selected{};
  selected.state = selected.stateMask = LVIS_SELECTED;
  // Posted to, message, wParam, lParam; the result (an event code, or the raw message number
  // when no event is made), the event's control and its type.
  const std::tuple<HWND, UINT, WPARAM, LPARAM, INT_PTR, INT_PTR, INT_PTR> cases[] = {
      {window, WM_SYSCOMMAND, SC_CLOSE, 0, EVENT_CLOSE_WINDOW, ANY, ANY},
      {button, BM_CLICK, 0, 0, EVENT_CONTROL, 102, BN_CLICKED},
      {edit, WM_CHAR, 'a', 1, EVENT_CONTROL, 100, EN_CHANGE},
      {dynamic_button, BM_CLICK, 0, 0, EVENT_CONTROL, dynamic_number, BN_CLICKED},
      {menu_source, BM_CLICK, 0, 0, EVENT_MENU, 0xD8F0, 0},
      {window, WM_COMMAND, 7, 0, EVENT_MENU, 7, EVENT_TYPE_NONE},
      {window, WM_COMMAND, MAKEWPARAM(42, 1), 0, EVENT_MENU, 42, ANY},
      {list_box, WM_KEYDOWN, VK_DOWN, 0, EVENT_CONTROL, LIST_BOX_ID, 0},
      {list_box, WM_LBUTTONDBLCLK, 0, MAKELPARAM(5, 5), EVENT_CONTROL, LIST_BOX_ID, 2},
      {list_box, WM_SETFOCUS, 0, 0, WM_SETFOCUS, ANY, ANY},
      // Before any click, so that item 1 is not selected yet.
      {list_view, LVM_SETITEMSTATE, 1, reinterpret_cast<LPARAM>(&selected), EVENT_CONTROL, LIST_VIEW_ID, -1},
      {list_view, WM_LBUTTONDBLCLK, MK_LBUTTON, list_view_item_point(0), EVENT_CONTROL, LIST_VIEW_ID, 2},
      {list_view, WM_RBUTTONDOWN, MK_RBUTTON, list_view_item_point(1), EVENT_CONTROL, LIST_VIEW_ID, 1},
      {up_down, WM_KEYDOWN, VK_UP, 0, EVENT_CONTROL, UP_DOWN_ID, 1},
      {up_down, WM_KEYDOWN, VK_DOWN, 0, EVENT_CONTROL, UP_DOWN_ID, -1},
  };
  for (const auto& [to, message, wParam, lParam, result, control, type] : cases) {
    SCOPED_TRACE(testing::Message() << message << " to " << to);
    PostMessageA(to, message, wParam, lParam);
    // A right click is the press and the release.
    if (message == WM_RBUTTONDOWN) PostMessageA(to, WM_RBUTTONUP, 0, lParam);
    int events = 0, seen = 0;
    for (const WaitOutcome& o : wait_through_sentinel(window)) {
      events += is_event(o.result);
      if (o.result != result) continue;
      ++seen;
      EXPECT_TRUE(control == ANY || o.control == control) << o.control;
      EXPECT_TRUE(type == ANY || o.type == type) << o.type;
      EXPECT_TRUE(!is_event(result) || o.window == 1) << o.window;
    }
    EXPECT_EQ(events, is_event(result) ? 1 : 0);
    EXPECT_GE(seen, 1);
    settle();
  }
}

TEST_F(EventsTest, MouseNotificationsArePostedAgainAndTyped) {
  const std::pair<LPARAM, INT_PTR> cases[] = {
      {WM_LBUTTONDBLCLK, 2}, {WM_RBUTTONDBLCLK, 3}, {WM_LBUTTONUP, 0}, {WM_RBUTTONUP, 1}, {WM_MOUSEMOVE, -1}};
  for (const auto& [mouse_message, type] : cases) {
    EXPECT_EQ(SendMessageA(window, MSG_MOUSE_NOTIFY, 9, mouse_message), 0);
    EXPECT_EQ(current_event.code, EVENT_NONE);
    EXPECT_EQ(wait_window_event(), type == -1 ? INT_PTR{MSG_MOUSE_NOTIFY_QUEUED} : EVENT_MOUSE_NOTIFY)
        << mouse_message;
    EXPECT_EQ(event_control(), 9);
    EXPECT_EQ(current_event.type, type);
  }
}

TEST_F(EventsTest, SizeIsReportedByALaterWait) {
  SetWindowPos(window, nullptr, 0, 0, 600, 500, SWP_NOMOVE | SWP_NOZORDER);
  EXPECT_EQ(current_event.code, EVENT_NONE);
  const auto [width, height] = client_size(window);
  int reported = 0;
  for (const WaitOutcome& o : wait_through_sentinel(window)) {
    if (o.result != EVENT_SIZE_WINDOW) continue;
    ++reported;
    EXPECT_EQ(o.window, 1);
    EXPECT_EQ(o.lParam, MAKELPARAM(width, height));
  }
  EXPECT_EQ(reported, 1);
}

TEST_F(EventsTest, RawResultsAndDirectAnswers) {
  PostMessageA(button, WM_MOUSEMOVE, MK_SHIFT, MAKELPARAM(3, 4));
  EXPECT_EQ(wait_window_event(), WM_MOUSEMOVE);
  EXPECT_EQ(current_event.wParam, static_cast<WPARAM>(MK_SHIFT));
  EXPECT_EQ(current_event.lParam, MAKELPARAM(3, 4));
  // An accelerator command answers with its high word.
  EXPECT_EQ(SendMessageA(window, WM_COMMAND, MAKEWPARAM(42, 1), 0), 0x10000);
  EXPECT_EQ(translate_event(window, WM_PAINT, 0, 0), UNHANDLED_RESULT);
  EXPECT_EQ(root_window(edit), window);
}
