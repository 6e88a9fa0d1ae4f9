#include "tests/gui/gui_test_support.h"

#include <commctrl.h>

enum SceneId : int { LIST_BOX_ID = 55, LIST_VIEW_ID = 66, UP_DOWN_ID = 88 };

// One window with the library's controls and the system's list box, list view and up-down.
struct Scene {
  HWND window;
  HWND edit, button, dynamic_button, menu_source, list_box, list_view, up_down;
  ObjectNumber dynamic_number;
};
static Scene scene;

static HWND child(const char* class_name, DWORD style, INT_PTR id, int y) {
  return CreateWindowExA(0, class_name, "", WS_CHILD | WS_VISIBLE | style, 10, y, 200, 60, scene.window,
                         reinterpret_cast<HMENU>(id), program_module, nullptr);
}

static POINT list_view_item_point(int item) {
  RECT rect{LVIR_LABEL, 0, 0, 0};
  SendMessageA(scene.list_view, LVM_GETITEMRECT, item, reinterpret_cast<LPARAM>(&rect));
  return {rect.left + 2, (rect.top + rect.bottom) / 2};
}

class EventsTest : public GuiTest {
 protected:
  void SetUp() override {
    GuiTest::SetUp();
    scene.window = reinterpret_cast<HWND>(open_window(1, 0, 0, 500, 460, 0, "events", nullptr));
    set_control_parent(scene.window);
    scene.edit = reinterpret_cast<HWND>(create_edit_control(100, 220, 10, 100, 22, "", 0));
    scene.button = reinterpret_cast<HWND>(create_button_control(102, 220, 40, 100, 22, "Save", 0));
    scene.dynamic_number = create_button_control(ANY_NUMBER, 220, 70, 100, 22, "dynamic", 0);
    scene.dynamic_button = read_record(control_registry, scene.dynamic_number).handle;
    scene.menu_source = child("BUTTON", 0, MENU_SOURCE_ID, 100);
    scene.list_box = child("LISTBOX", LBS_NOTIFY, LIST_BOX_ID, 170);
    for (const char* item : {"one", "two", "three"})
      SendMessageA(scene.list_box, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
    scene.list_view = child(WC_LISTVIEWA, LVS_REPORT, LIST_VIEW_ID, 240);
    LVCOLUMNA column{};
    column.mask = LVCF_WIDTH;
    column.cx = 150;
    SendMessageA(scene.list_view, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));
    for (int i = 0; i < 2; ++i) {
      LVITEMA item{};
      item.mask = LVIF_TEXT;
      item.iItem = i;
      item.pszText = const_cast<char*>("item");
      SendMessageA(scene.list_view, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    }
    scene.up_down = child(UPDOWN_CLASSA, UDS_ARROWKEYS, UP_DOWN_ID, 320);
    SendMessageA(scene.up_down, UDM_SETRANGE32, 0, 100);
    SendMessageA(scene.up_down, UDM_SETPOS32, 0, 50);
    settle();
  }
};

static void post(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  PostMessageA(window, message, wParam, lParam);
}

static LVITEMA selection_change;

inline constexpr INT_PTR ANY = 0x7EADBEEF;      // the field is not checked
inline constexpr INT_PTR DYNAMIC = 0x7EADBEEE;  // the dynamic button's number

TEST_F(EventsTest, MessagesBecomeEvents) {
  const struct {
    const char* name;
    void (*trigger)();
    INT_PTR result;  // an event code, or the raw message number when no event is made
    INT_PTR control;
    INT_PTR type;
  } cases[] = {
      {"close box", [] { post(scene.window, WM_SYSCOMMAND, SC_CLOSE, 0); }, EVENT_CLOSE_WINDOW, ANY, ANY},
      {"WM_CLOSE", [] { post(scene.window, WM_CLOSE, 0, 0); }, EVENT_CLOSE_WINDOW, ANY, ANY},
      {"button click", [] { post(scene.button, BM_CLICK, 0, 0); }, EVENT_CONTROL, 102, BN_CLICKED},
      {"edit change", [] { post(scene.edit, WM_CHAR, 'a', 1); }, EVENT_CONTROL, 100, EN_CHANGE},
      {"dynamic button", [] { post(scene.dynamic_button, BM_CLICK, 0, 0); }, EVENT_CONTROL, DYNAMIC, 0},
      {"menu source control", [] { post(scene.menu_source, BM_CLICK, 0, 0); }, EVENT_MENU, 0xD8F0, 0},
      {"menu command", [] { post(scene.window, WM_COMMAND, 7, 0); }, EVENT_MENU, 7, EVENT_TYPE_NONE},
      {"accelerator command", [] { post(scene.window, WM_COMMAND, MAKEWPARAM(42, 1), 0); }, EVENT_MENU, 42,
       ANY},
      {"mouse move", [] { post(scene.button, WM_MOUSEMOVE, 0, MAKELPARAM(3, 4)); }, WM_MOUSEMOVE, ANY, ANY},
      {"list box selection", [] { post(scene.list_box, WM_KEYDOWN, VK_DOWN, 0); }, EVENT_CONTROL, LIST_BOX_ID,
       0},
      {"list box double click", [] { post(scene.list_box, WM_LBUTTONDBLCLK, 0, MAKELPARAM(5, 5)); },
       EVENT_CONTROL, LIST_BOX_ID, 2},
      {"list box focus", [] { post(scene.list_box, WM_SETFOCUS, 0, 0); }, WM_SETFOCUS, ANY, ANY},
      {"list view item change",
       [] {
         selection_change = {};
         selection_change.stateMask = selection_change.state = LVIS_SELECTED;
         // Before any click, so that item 1 is not selected yet.
         post(scene.list_view, LVM_SETITEMSTATE, 1, reinterpret_cast<LPARAM>(&selection_change));
       },
       EVENT_CONTROL, LIST_VIEW_ID, EVENT_TYPE_NONE},
      {"list view double click",
       [] {
         const POINT at = list_view_item_point(0);
         post(scene.list_view, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(at.x, at.y));
       },
       EVENT_CONTROL, LIST_VIEW_ID, 2},
      {"list view right click",
       [] {
         const POINT at = list_view_item_point(1);
         post(scene.list_view, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(at.x, at.y));
         post(scene.list_view, WM_RBUTTONUP, 0, MAKELPARAM(at.x, at.y));
       },
       EVENT_CONTROL, LIST_VIEW_ID, 1},
      {"up-down step up", [] { post(scene.up_down, WM_KEYDOWN, VK_UP, 0); }, EVENT_CONTROL, UP_DOWN_ID, 1},
      {"up-down step down", [] { post(scene.up_down, WM_KEYDOWN, VK_DOWN, 0); }, EVENT_CONTROL, UP_DOWN_ID,
       -1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    c.trigger();
    const std::vector<WaitOutcome> outcomes = wait_through_sentinel(scene.window);
    int events = 0;
    for (const WaitOutcome& o : outcomes) events += is_event_code(o.result);
    EXPECT_EQ(events, is_event_code(c.result) ? 1 : 0);
    bool seen = false;
    for (const WaitOutcome& o : outcomes) {
      if (o.result != c.result) continue;
      seen = true;
      if (c.control != ANY) {
        EXPECT_EQ(o.control, c.control == DYNAMIC ? scene.dynamic_number : c.control);
      }
      if (c.type != ANY) {
        EXPECT_EQ(o.type, c.type);
      }
      if (is_event_code(c.result)) {
        EXPECT_EQ(o.window, 1);
      }
    }
    EXPECT_TRUE(seen);
    EXPECT_TRUE(IsWindow(scene.window));
    settle();
  }
}

TEST_F(EventsTest, MouseNotificationsArePostedAgainAndTyped) {
  const struct {
    LPARAM mouse_message;
    INT_PTR result;
    INT_PTR type;
  } cases[] = {
      {WM_LBUTTONDBLCLK, EVENT_MOUSE_NOTIFY, 2},   {WM_RBUTTONDBLCLK, EVENT_MOUSE_NOTIFY, 3},
      {WM_LBUTTONUP, EVENT_MOUSE_NOTIFY, 0},       {WM_RBUTTONUP, EVENT_MOUSE_NOTIFY, 1},
      {WM_MOUSEMOVE, MSG_MOUSE_NOTIFY_QUEUED, -1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.mouse_message);
    EXPECT_EQ(SendMessageA(scene.window, MSG_MOUSE_NOTIFY, 9, c.mouse_message), 0);
    EXPECT_EQ(current_event.code, EVENT_NONE);
    EXPECT_EQ(wait_window_event(), c.result);
    EXPECT_EQ(event_control(), 9);
    EXPECT_EQ(current_event.type, c.type);
  }
}

TEST_F(EventsTest, SizeIsReportedByALaterWait) {
  SetWindowPos(scene.window, nullptr, 0, 0, 600, 500, SWP_NOMOVE | SWP_NOZORDER);
  EXPECT_EQ(current_event.code, EVENT_NONE);
  RECT client;
  GetClientRect(scene.window, &client);
  int reported = 0;
  for (const WaitOutcome& o : wait_through_sentinel(scene.window)) {
    if (o.result != EVENT_SIZE_WINDOW) continue;
    ++reported;
    EXPECT_EQ(o.window, 1);
    EXPECT_EQ(o.lParam, MAKELPARAM(client.right, client.bottom));
  }
  EXPECT_EQ(reported, 1);
}

TEST_F(EventsTest, RawResultsCarryTheirParameters) {
  post(scene.button, WM_MOUSEMOVE, MK_SHIFT, MAKELPARAM(3, 4));
  EXPECT_EQ(wait_window_event(), WM_MOUSEMOVE);
  EXPECT_EQ(current_event.wParam, static_cast<WPARAM>(MK_SHIFT));
  EXPECT_EQ(current_event.lParam, MAKELPARAM(3, 4));
}

TEST_F(EventsTest, AcceleratorCommandAnswersWithItsHighWord) {
  EXPECT_EQ(SendMessageA(scene.window, WM_COMMAND, MAKEWPARAM(42, 1), 0), 0x10000);
  EXPECT_EQ(SendMessageA(scene.window, WM_COMMAND, 7, 0), 0);
  EXPECT_EQ(translate_event(scene.window, WM_PAINT, 0, 0), UNHANDLED_RESULT);
}

TEST_F(EventsTest, RootWindowAndEventWindow) {
  EXPECT_EQ(root_window(scene.edit), scene.window);
  EXPECT_EQ(root_window(scene.window), scene.window);
  current_event.window = scene.edit;
  EXPECT_EQ(event_window(), -1);
  current_event.window = scene.window;
  EXPECT_EQ(event_window(), 1);
}
