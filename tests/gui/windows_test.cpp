#include <algorithm>
#include <string>
#include <tuple>

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
  const HWND first = as_hwnd(open_window(5, 10, 10, 100, 80, 0, "first", nullptr));
  const HWND second = as_hwnd(open_window(5, 10, 10, 100, 80, 0, "second", nullptr));
  EXPECT_FALSE(IsWindow(first)) << "reopening a number closes the old window first";
  EXPECT_EQ(window_handle(5), second);
  // Fault: a dynamic number handed back is taken as a table index; its window stays open and unreachable.
  const HWND old_dynamic = window_handle(dynamic);
  const HWND reopened = as_hwnd(open_window(dynamic, 10, 10, 100, 80, 0, "dynamic", nullptr));
  EXPECT_FALSE(IsWindow(old_dynamic));
  EXPECT_EQ(window_handle(dynamic), reopened);
  // The 32-bit release names a dynamic window exactly as "WindowClass_%ld" does; the 64-bit
  // build writes the whole address.
  char dynamic_name[40];
  if constexpr (sizeof(ObjectNumber) == 4) {
    wsprintfA(dynamic_name, "WindowClass_%ld", static_cast<long>(dynamic));
  } else {
    lstrcpyA(dynamic_name, ("WindowClass_" + std::to_string(static_cast<long long>(dynamic))).c_str());
  }
  const std::pair<ObjectNumber, std::string> cases[] = {{5, "WindowClass_5"}, {dynamic, dynamic_name}};
  for (const auto& [number, name] : cases) {
    EXPECT_EQ(class_of(window_handle(number)), name);
    close_window(number);
    EXPECT_FALSE(class_registered(name)) << name;
    EXPECT_EQ(window_handle(number), nullptr);
  }
}

// Style and client size from the flags. A centred window is centred on the active window (or
// the screen without one) but never off its top-left edge, and one wider than the screen starts
// at its left edge; without a centring flag it is where it was asked to be.
TEST_F(WindowsTest, FlagsGiveStyleSizeAndPlace) {
  ASSERT_EQ(GetSystemMetrics(SM_CXSCREEN), 1280);
  ASSERT_EQ(GetSystemMetrics(SM_CYSCREEN), 1024);
  const RECT NONE{-1, 0, 0, 0}, ACTIVE{600, 500, 800, 600}, SMALL_NEAR_EDGE{5, 5, 45, 45};
  const LONG_PTR PLAIN = WS_VISIBLE | WS_CAPTION, POPUP = WS_POPUP | WS_VISIBLE;
  const DWORD SCREEN = WINDOW_CENTRE_SCREEN, ON_ACTIVE = WINDOW_CENTRE_ACTIVE;
  // The active window (left -1: none), the flags, the client size and the style.
  const std::tuple<RECT, DWORD, LONG, LONG, LONG_PTR> cases[] = {
      {NONE, 0, 300, 200, PLAIN},
      {NONE, SCREEN, 200, 100, PLAIN},
      {NONE, WINDOW_HIDDEN | SCREEN, 300, 200, WS_CAPTION},
      {NONE, 0xCE0001, 300, 200, 0x10CE0000},
      {NONE, ON_ACTIVE, 200, 100, PLAIN},
      {NONE, WS_POPUP | SCREEN, 1400, 300, POPUP},
      {ACTIVE, WS_POPUP | ON_ACTIVE, 300, 200, POPUP},
      {ACTIVE, SCREEN | ON_ACTIVE, 300, 200, PLAIN},
      {SMALL_NEAR_EDGE, ON_ACTIVE, 400, 300, PLAIN},
  };
  for (const auto& [a, flags, client_width, client_height, style] : cases) {
    SCOPED_TRACE(testing::Message() << std::hex << flags << ", active at " << std::dec << a.left);
    RECT around{0, 0, 1280, 1024}, placed;
    if (a.left >= 0) {
      const HWND active =
          as_hwnd(open_window(2, a.left, a.top, a.right - a.left, a.bottom - a.top, WS_POPUP, "", 0));
      SetActiveWindow(active);
      ASSERT_EQ(GetActiveWindow(), active);
      GetWindowRect(active, &around);
    }
    const HWND window =
        as_hwnd(open_window(1, 20, 30, client_width, client_height, flags, "placed", nullptr));
    // The system adds WS_CLIPSIBLINGS to every top-level window.
    EXPECT_EQ(GetWindowLongPtrA(window, GWL_STYLE) & ~WS_CLIPSIBLINGS, style);
    EXPECT_EQ(client_size(window), std::pair(client_width, client_height));
    GetWindowRect(window, &placed);
    const LONG width = std::min(placed.right - placed.left, 1280L), height = placed.bottom - placed.top;
    const bool centred = flags & (SCREEN | ON_ACTIVE);
    EXPECT_EQ(placed.left,
              centred ? std::max(0L, around.left + (around.right - around.left) / 2 - width / 2) : 20);
    EXPECT_EQ(placed.top,
              centred ? std::max(0L, around.top + (around.bottom - around.top) / 2 - height / 2) : 30);
    close_all_windows();
  }
}

TEST_F(WindowsTest, RegistryGrowsPastTheRequestedNumberAndFailuresLeaveNothingBehind) {
  // A child window without a parent cannot be created.
  EXPECT_EQ(open_window(ANY_NUMBER, 0, 0, 50, 50, WS_CHILD, "orphan", nullptr), 0);
  EXPECT_EQ(window_registry.core.dynamic.head, nullptr);
  EXPECT_EQ(open_window(3, 0, 0, 50, 50, WS_CHILD, "orphan", nullptr), 0);
  EXPECT_EQ(window_handle(3), nullptr);
  EXPECT_EQ(open_window(0x7FFFFFFF, 0, 0, 50, 50, 0, "too far", nullptr), 0);
  EXPECT_EQ(window_registry.core.capacity, 10);
  ASSERT_NE(open_window(10, 0, 0, 50, 50, 0, "grown", nullptr), 0);
  EXPECT_EQ(window_registry.core.capacity, 40);
  EXPECT_EQ(find_window_number(nullptr), -1);
  EXPECT_EQ(window_accelerators(nullptr), nullptr);
}

TEST_F(WindowsTest, TabAcceleratorsAreMadeForEveryWindow) {
  const ObjectNumber number = open_window(ANY_NUMBER, 0, 0, 50, 50, 0, "keys", nullptr);
  ACCEL entries[3] = {};
  ASSERT_EQ(CopyAcceleratorTableA(window_accelerators(window_handle(number)), entries, 3), 2);
  const auto fields = [](const ACCEL& entry) { return std::tuple(entry.fVirt, entry.key, entry.cmd); };
  EXPECT_EQ(fields(entries[0]), std::tuple(FVIRTKEY | FNOINVERT, VK_TAB, 1212));
  EXPECT_EQ(fields(entries[1]), std::tuple(FVIRTKEY | FNOINVERT | FSHIFT, VK_TAB, 1213));
}

// Fault: closing a window leaves its accelerator fields on the slot, and a reopening whose accelerators
// cannot be made hands on (and frees again) the old window's.
TEST_F(WindowsTest, AReusedSlotKeepsNoAcceleratorsOfTheLastWindow) {
  open_window(1, 0, 0, 50, 50, 0, "first", nullptr);
  close_window(1);
  const HANDLE heap = main_heap;
  main_heap = HeapCreate(0, 0, 65536);
  int blocks = 0;
  while (HeapAlloc(main_heap, 0, 16) && ++blocks < 100000) continue;
  const HWND second = as_hwnd(open_window(1, 0, 0, 50, 50, 0, "second", nullptr));
  HeapDestroy(main_heap);
  main_heap = heap;
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(window_accelerators(second), nullptr);
  EXPECT_EQ(read_record(window_registry, 1).accelerator_count, 0);
}

// Fault: a window destroyed with its parent or owner keeps its record, so its number names a dead handle.
TEST_F(WindowsTest, WindowsDestroyedWithTheirParentOrOwnerGiveUpTheirNumbers) {
  const HWND parent = as_hwnd(open_window(1, 0, 0, 200, 100, 0, "parent", nullptr));
  open_window(2, 0, 0, 50, 50, WS_CHILD, "child", parent);
  const ObjectNumber owned = open_window(ANY_NUMBER, 0, 0, 50, 50, 0, "owned", parent);
  close_window(1);
  for (ObjectNumber number : {ObjectNumber{2}, owned}) EXPECT_EQ(window_handle(number), nullptr) << number;
  EXPECT_EQ(window_registry.core.dynamic.head, nullptr);
  // The teardown's walk must not step onto an older window that went with the newer one it owns.
  const ObjectNumber older = open_window(ANY_NUMBER, 0, 0, 50, 50, 0, "older", nullptr);
  const ObjectNumber newer = open_window(ANY_NUMBER, 0, 0, 50, 50, 0, "newer", nullptr);
  SetWindowLongPtrA(window_handle(older), GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(window_handle(newer)));
  close_all_windows();
  EXPECT_EQ(window_registry.core.dynamic.head, nullptr);
}

// Logs the destruction of each of the library's windows under its title.
static LRESULT CALLBACK log_destroy(int code, WPARAM wParam, LPARAM lParam) {
  const auto* sent = reinterpret_cast<const CWPSTRUCT*>(lParam);
  char title[32] = "";
  GetWindowTextA(sent->hwnd, title, sizeof title);
  if (code == HC_ACTION && sent->message == WM_DESTROY && class_of(sent->hwnd).starts_with("WindowClass_"))
    log_message(WM_DESTROY, title, 0, 0);
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST_F(WindowsTest, TeardownClosesDynamicWindowsNewestFirstThenSlotsDownward) {
  for (const auto& [number, title] : {std::pair<ObjectNumber, const char*>{3, "slot 3"},
                                      {ANY_NUMBER, "older dynamic"},
                                      {12, "slot 12"},
                                      {ANY_NUMBER, "newer dynamic"},
                                      {7, "slot 7"}})
    open_window(number, 0, 0, 50, 50, 0, title, nullptr);
  static const std::vector<ExpectedMessage> CLOSE_ORDER = {
      {WM_DESTROY, "newer dynamic", CHECK_MESSAGE, 0, 0}, {WM_DESTROY, "older dynamic", CHECK_MESSAGE, 0, 0},
      {WM_DESTROY, "slot 12", CHECK_MESSAGE, 0, 0},       {WM_DESTROY, "slot 7", CHECK_MESSAGE, 0, 0},
      {WM_DESTROY, "slot 3", CHECK_MESSAGE, 0, 0},
  };
  pump_messages();
  clear_message_log();
  HHOOK hook = SetWindowsHookExA(WH_CALLWNDPROC, log_destroy, nullptr, GetCurrentThreadId());
  runtime_teardown();
  UnhookWindowsHookEx(hook);
  EXPECT_TRUE(log_matches(CLOSE_ORDER));
  EXPECT_EQ(window_registry.core.dynamic.head, nullptr);
}
