#include <algorithm>
#include <string>
#include <tuple>

#include "tests/gui/gui_test_support.h"

using WindowsTest = GuiTest;

// A window's class lives from its open to its close; opening a number in use closes the old window
// first, and an open that fails (a child without a parent, a number whose table cannot be had)
// keeps nothing.
TEST_F(WindowsTest, ClassesAndRecordsLiveAsLongAsTheirWindows) {
  const ObjectNumber dynamic = open_window(ANY_NUMBER, 10, 10, 100, 80, 0, "dynamic", nullptr);
  const HWND first = as_hwnd(open_window(5, 10, 10, 100, 80, 0, "first", nullptr));
  open_window(5, 10, 10, 100, 80, 0, "second", nullptr);
  EXPECT_FALSE(IsWindow(first)) << "reopening a number closes the old window first";
  // The 32-bit release names a dynamic window exactly as "WindowClass_%ld" does; the 64-bit build
  // writes the whole address.
  char name[40];
  if constexpr (sizeof(ObjectNumber) == 4) {
    wsprintfA(name, "WindowClass_%ld", dynamic);
  } else {
    wsprintfA(name, "WindowClass_%s", std::to_string(dynamic).c_str());
  }
  for (const auto& [number, class_name] :
       {std::pair<ObjectNumber, std::string>{5, "WindowClass_5"}, {dynamic, name}}) {
    const HWND window = window_handle(number);
    char registered[40] = "";
    GetClassNameA(window, registered, sizeof registered);
    EXPECT_EQ(std::tuple(registered, find_window_number(window)), std::tuple(class_name, number));
    close_window(number);
    WNDCLASSA found;
    EXPECT_FALSE(GetClassInfoA(program_module, class_name.c_str(), &found) || window_handle(number) ||
                 IsWindow(window));
  }
  EXPECT_EQ(open_window(ANY_NUMBER, 0, 0, 50, 50, WS_CHILD, "orphan", nullptr), 0);
  EXPECT_EQ(open_window(3, 0, 0, 50, 50, WS_CHILD, "orphan", nullptr), 0);
  EXPECT_EQ(open_window(0x7FFFFFFF, 0, 0, 50, 50, 0, "too far", nullptr), 0);
  EXPECT_EQ(std::tuple(window_registry.core.dynamic.head, window_handle(3), window_registry.core.capacity),
            std::tuple(nullptr, nullptr, 10));
}

// Style and client size from the flags. A centred window is centred on the active window (or the
// screen without one) but never off its top-left edge, and one wider than the screen starts at its
// left edge; without a centring flag it is where it was asked to be.
TEST_F(WindowsTest, FlagsGiveStyleSizeAndPlace) {
  const RECT NONE{}, ACTIVE{600, 500, 800, 600}, NEAR_EDGE{5, 5, 45, 45};
  const LONG_PTR PLAIN = WS_VISIBLE | WS_CAPTION, POPUP = WS_POPUP | WS_VISIBLE;
  const DWORD SCREEN = WINDOW_CENTRE_SCREEN, ON_ACTIVE = WINDOW_CENTRE_ACTIVE, HIDDEN = WINDOW_HIDDEN;
  // The active window (none when empty), the flags, the client width and the style.
  const std::tuple<RECT, DWORD, LONG, LONG_PTR> cases[] = {{NONE, 0, 300, PLAIN},
                                                           {NONE, HIDDEN | SCREEN, 300, WS_CAPTION},
                                                           {NONE, 0xCE0001, 300, 0x10CE0000},
                                                           {NONE, ON_ACTIVE, 200, PLAIN},
                                                           {NONE, WS_POPUP | SCREEN, 1400, POPUP},
                                                           {ACTIVE, SCREEN | ON_ACTIVE, 300, PLAIN},
                                                           {NEAR_EDGE, ON_ACTIVE, 400, PLAIN}};
  for (const auto& [a, flags, client_width, style] : cases) {
    SCOPED_TRACE(testing::Message() << std::hex << flags << ", active at " << std::dec << a.left);
    RECT around{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}, placed, client;
    if (a.right)
      SetActiveWindow(as_hwnd(open_window(2, a.left, a.top, a.right - a.left, 40, WS_POPUP, "", 0)));
    if (a.right) GetWindowRect(GetActiveWindow(), &around);
    const HWND window = as_hwnd(open_window(1, 20, 30, client_width, 200, flags, "placed", nullptr));
    // The system adds WS_CLIPSIBLINGS to every top-level window.
    EXPECT_EQ(GetWindowLongPtrA(window, GWL_STYLE) & ~WS_CLIPSIBLINGS, style);
    GetClientRect(window, &client);
    GetWindowRect(window, &placed);
    EXPECT_EQ(std::pair(client.right, client.bottom), std::pair(client_width, 200L));
    const LONG width = std::min(placed.right - placed.left, LONG{GetSystemMetrics(SM_CXSCREEN)}),
               height = placed.bottom - placed.top;
    const bool centred = flags & (SCREEN | ON_ACTIVE);
    EXPECT_EQ(placed.left,
              centred ? std::max(0L, around.left + (around.right - around.left) / 2 - width / 2) : 20);
    EXPECT_EQ(placed.top,
              centred ? std::max(0L, around.top + (around.bottom - around.top) / 2 - height / 2) : 30);
    close_all_windows();
  }
}
