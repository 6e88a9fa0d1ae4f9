#include <map>
#include <string>

#include "tests/gui/gui_test_support.h"

using WindowsTest = GuiTest;

static std::string class_of(HWND window) {
  char name[64] = "";
  GetClassNameA(window, name, sizeof name);
  return name;
}

static bool class_registered(const std::string& name) {
  WNDCLASSA found;
  return GetClassInfoA(program_module, name.c_str(), &found) != 0;
}

TEST_F(WindowsTest, ClassPerWindowIsRegisteredUntilClose) {
  EXPECT_TRUE(class_registered("TemplateClass"));
  const ObjectNumber dynamic = open_window(ANY_NUMBER, 10, 10, 100, 80, 0, "dynamic", nullptr);
  ASSERT_NE(dynamic, 0);
  const HWND numbered = reinterpret_cast<HWND>(open_window(5, 10, 10, 100, 80, 0, "five", nullptr));
  ASSERT_EQ(window_handle(5), numbered);

  const struct {
    ObjectNumber number;
    std::string name;
  } cases[] = {{5, "WindowClass_5"},
               {dynamic, "WindowClass_" + std::to_string(static_cast<long long>(dynamic))}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(class_of(window_handle(c.number)), c.name);
    EXPECT_TRUE(class_registered(c.name));
    close_window(c.number);
    EXPECT_FALSE(class_registered(c.name));
    EXPECT_EQ(window_handle(c.number), nullptr);
  }
}

TEST_F(WindowsTest, FlagsGiveStyleAndClientSize) {
  const struct {
    DWORD flags;
    LONG_PTR style;
  } cases[] = {
      {0, WS_VISIBLE | WS_CAPTION},
      {WINDOW_CENTRE_SCREEN, WS_VISIBLE | WS_CAPTION},
      {WINDOW_HIDDEN | WINDOW_CENTRE_SCREEN, WS_CAPTION},
      {WINDOW_HIDDEN, WS_CAPTION},
      {0xCE0001, 0x10CE0000},
      {WS_POPUP | WINDOW_CENTRE_ACTIVE, WS_POPUP | WS_VISIBLE},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << std::hex << c.flags);
    const HWND window = reinterpret_cast<HWND>(open_window(1, 20, 30, 300, 200, c.flags, "style", nullptr));
    ASSERT_NE(window, nullptr);
    // The system adds WS_CLIPSIBLINGS to every top-level window.
    EXPECT_EQ(GetWindowLongPtrA(window, GWL_STYLE) & ~WS_CLIPSIBLINGS, c.style);
    RECT client;
    GetClientRect(window, &client);
    EXPECT_EQ(client.right, 300);
    EXPECT_EQ(client.bottom, 200);
    close_window(1);
  }
}

TEST_F(WindowsTest, Placement) {
  ASSERT_EQ(GetSystemMetrics(SM_CXSCREEN), 1280);
  ASSERT_EQ(GetSystemMetrics(SM_CYSCREEN), 1024);
  const RECT NO_ACTIVE{-1, -1, -1, -1};
  const struct {
    const char* name;
    RECT active;  // the window to centre on, or NO_ACTIVE
    DWORD flags;
    int width, height;
    bool at_origin;  // else centred on the screen or on the active window
  } cases[] = {
      {"screen", NO_ACTIVE, WINDOW_CENTRE_SCREEN, 200, 100, false},
      {"active without one", NO_ACTIVE, WINDOW_CENTRE_ACTIVE, 200, 100, false},
      {"wider than the screen", NO_ACTIVE, WS_POPUP | WINDOW_CENTRE_SCREEN, 1400, 300, false},
      {"active", {600, 500, 800, 600}, WINDOW_CENTRE_ACTIVE, 300, 200, false},
      {"small active near the edge", {5, 5, 45, 45}, WINDOW_CENTRE_ACTIVE, 400, 300, true},
      {"both bits: active wins",
       {600, 500, 800, 600},
       WINDOW_CENTRE_SCREEN | WINDOW_CENTRE_ACTIVE,
       300,
       200,
       false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    RECT around{0, 0, 1280, 1024};
    if (c.active.left >= 0) {
      const HWND active =
          reinterpret_cast<HWND>(open_window(2, c.active.left, c.active.top, c.active.right - c.active.left,
                                             c.active.bottom - c.active.top, WS_POPUP, "active", nullptr));
      SetActiveWindow(active);
      ASSERT_EQ(GetActiveWindow(), active);
      GetWindowRect(active, &around);
    }
    ASSERT_EQ(c.active.left < 0, GetActiveWindow() == nullptr);
    const HWND window =
        reinterpret_cast<HWND>(open_window(1, 0, 0, c.width, c.height, c.flags, "placed", nullptr));
    RECT placed;
    GetWindowRect(window, &placed);
    const int width = placed.right - placed.left, height = placed.bottom - placed.top;
    EXPECT_GE(width, c.width);
    if (c.at_origin) {
      EXPECT_EQ(placed.left, 0);
      EXPECT_EQ(placed.top, 0);
    } else if (width > 1280) {
      EXPECT_EQ(placed.left, 0);
    } else {
      EXPECT_EQ(placed.left, around.left + (around.right - around.left) / 2 - width / 2);
      EXPECT_EQ(placed.top, around.top + (around.bottom - around.top) / 2 - height / 2);
    }
    close_all_windows();
  }
}

TEST_F(WindowsTest, ReopeningANumberClosesTheOldWindowFirst) {
  const HWND first = reinterpret_cast<HWND>(open_window(5, 0, 0, 100, 100, 0, "first", nullptr));
  const HWND second = reinterpret_cast<HWND>(open_window(5, 0, 0, 100, 100, 0, "second", nullptr));
  ASSERT_NE(second, nullptr);
  EXPECT_FALSE(IsWindow(first));
  EXPECT_EQ(window_handle(5), second);
  EXPECT_EQ(class_of(second), "WindowClass_5");
}

TEST_F(WindowsTest, RegistryGrowsPastTheRequestedNumber) {
  const struct {
    ObjectNumber number;
    INT32 capacity;
  } cases[] = {{9, 10}, {10, 40}, {25, 55}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.number);
    init_windows();
    ASSERT_NE(open_window(c.number, 0, 0, 50, 50, 0, "grow", nullptr), 0);
    EXPECT_EQ(window_registry.core.capacity, c.capacity);
    EXPECT_NE(window_handle(c.number), nullptr);
    close_all_windows();
  }
}

TEST_F(WindowsTest, FailuresLeaveNothingBehind) {
  // A child window without a parent cannot be created.
  EXPECT_EQ(open_window(ANY_NUMBER, 0, 0, 50, 50, WS_CHILD, "orphan", nullptr), 0);
  EXPECT_EQ(window_registry.core.dynamic.head, nullptr);
  EXPECT_EQ(open_window(3, 0, 0, 50, 50, WS_CHILD, "orphan", nullptr), 0);
  EXPECT_EQ(window_handle(3), nullptr);
  EXPECT_EQ(open_window(0x7FFFFFFF, 0, 0, 50, 50, 0, "too far", nullptr), 0);
  EXPECT_EQ(window_registry.core.capacity, 10);
  EXPECT_EQ(find_window_number(nullptr), -1);
  EXPECT_EQ(window_accelerators(nullptr), nullptr);
}

TEST_F(WindowsTest, TabAcceleratorsAreMadeForEveryWindow) {
  const ObjectNumber number = open_window(ANY_NUMBER, 0, 0, 50, 50, 0, "keys", nullptr);
  const HACCEL table = window_accelerators(window_handle(number));
  ASSERT_NE(table, nullptr);
  ACCEL entries[3] = {};
  ASSERT_EQ(CopyAcceleratorTableA(table, entries, 3), 2);
  EXPECT_EQ(entries[0].fVirt, FVIRTKEY | FNOINVERT);
  EXPECT_EQ(entries[0].key, VK_TAB);
  EXPECT_EQ(entries[0].cmd, 1212);
  EXPECT_EQ(entries[1].fVirt, FVIRTKEY | FNOINVERT | FSHIFT);
  EXPECT_EQ(entries[1].key, VK_TAB);
  EXPECT_EQ(entries[1].cmd, 1213);
}

static std::map<HWND, const char*> window_names;

static LRESULT CALLBACK log_destroy(int code, WPARAM wParam, LPARAM lParam) {
  const auto* sent = reinterpret_cast<const CWPSTRUCT*>(lParam);
  if (code == HC_ACTION && sent->message == WM_DESTROY && window_names.count(sent->hwnd))
    log_message(WM_DESTROY, window_names[sent->hwnd], 0, 0);
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST_F(WindowsTest, CloseAllClosesDynamicNewestFirstThenSlotsDownward) {
  const struct {
    ObjectNumber number;
    const char* name;
  } opened[] = {{3, "slot 3"},
                {ANY_NUMBER, "older dynamic"},
                {12, "slot 12"},
                {ANY_NUMBER, "newer dynamic"},
                {7, "slot 7"}};
  for (const auto& w : opened) {
    const INT_PTR result = open_window(w.number, 0, 0, 50, 50, 0, w.name, nullptr);
    window_names[w.number == ANY_NUMBER ? window_handle(result) : reinterpret_cast<HWND>(result)] = w.name;
  }
  static const std::vector<ExpectedMessage> CLOSE_ORDER = {
      {WM_DESTROY, "newer dynamic", CHECK_MESSAGE, 0, 0}, {WM_DESTROY, "older dynamic", CHECK_MESSAGE, 0, 0},
      {WM_DESTROY, "slot 12", CHECK_MESSAGE, 0, 0},       {WM_DESTROY, "slot 7", CHECK_MESSAGE, 0, 0},
      {WM_DESTROY, "slot 3", CHECK_MESSAGE, 0, 0},
  };
  pump_messages();
  clear_message_log();
  HHOOK hook = SetWindowsHookExA(WH_CALLWNDPROC, log_destroy, nullptr, GetCurrentThreadId());
  close_all_windows();
  UnhookWindowsHookEx(hook);
  EXPECT_TRUE(log_matches(CLOSE_ORDER));
  EXPECT_EQ(window_registry.core.dynamic.head, nullptr);
}

TEST_F(WindowsTest, RuntimeTeardownClosesTheWindows) {
  const HWND numbered = reinterpret_cast<HWND>(open_window(4, 0, 0, 50, 50, 0, "numbered", nullptr));
  const HWND dynamic = window_handle(open_window(ANY_NUMBER, 0, 0, 50, 50, 0, "dynamic", nullptr));
  runtime_teardown();
  EXPECT_FALSE(IsWindow(numbered));
  EXPECT_FALSE(IsWindow(dynamic));
  EXPECT_EQ(window_registry.core.dynamic.head, nullptr);
}
