#include <string>
#include <tuple>

#include "tests/gui/gui_test_support.h"

using WindowsTest = GuiTest;

// A window's class lives from its open to its close; opening a number in use closes the old window
// first; an open that fails (a child without a parent, a number whose table cannot be had) keeps
// nothing. A window wider than the screen, centred, starts at the screen's left edge.
TEST_F(WindowsTest, ClassesAndRecordsLiveAsLongAsTheirWindows) {
  const ObjectNumber dynamic = open_window(ANY_NUMBER, 10, 10, 100, 80, 0, "dynamic", nullptr);
  const HWND first = as_hwnd(open_window(5, 10, 10, 100, 80, 0, "first", nullptr));
  open_window(5, 10, 10, 2000, 80, WINDOW_CENTRE_SCREEN, "second", nullptr);
  EXPECT_FALSE(IsWindow(first)) << "reopening a number closes the old window first";
  const HWND old_dynamic = window_handle(dynamic);
  const HWND reopened = as_hwnd(open_window(dynamic, 10, 10, 100, 80, 0, "dynamic", nullptr));
  EXPECT_EQ(window_handle(dynamic), reopened);
  EXPECT_FALSE(IsWindow(old_dynamic)) << "a dynamic number handed back names its window";
  RECT wide;
  GetWindowRect(window_handle(5), &wide);
  EXPECT_EQ(wide.left, 0);
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

// Windows destroyed with their parent or owner give up their numbers, and the teardown's walk does
// not step onto an older window that went with a newer one it owns. A slot reused by a window whose
// accelerators cannot be made keeps none of the last window's.
TEST_F(WindowsTest, NumbersGoWithTheirWindows) {
  const HWND parent = as_hwnd(open_window(1, 0, 0, 200, 100, 0, "parent", nullptr));
  open_window(2, 0, 0, 50, 50, WS_CHILD, "child", parent);
  const ObjectNumber owned = open_window(ANY_NUMBER, 0, 0, 50, 50, 0, "owned", parent);
  close_window(1);
  EXPECT_EQ(std::tuple(window_handle(2), window_handle(owned)), std::tuple(nullptr, nullptr));
  const ObjectNumber older = open_window(ANY_NUMBER, 0, 0, 50, 50, 0, "older", nullptr);
  const ObjectNumber newer = open_window(ANY_NUMBER, 0, 0, 50, 50, 0, "newer", nullptr);
  SetWindowLongPtrA(window_handle(older), GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(window_handle(newer)));
  close_all_windows();
  EXPECT_EQ(window_registry.core.dynamic.head, nullptr);
  const HANDLE heap = main_heap;
  main_heap = HeapCreate(0, 0, 65536);
  while (HeapAlloc(main_heap, 0, 16)) continue;
  const HWND reused = as_hwnd(open_window(1, 0, 0, 50, 50, 0, "reused", nullptr));
  HeapDestroy(main_heap);
  main_heap = heap;
  EXPECT_EQ(std::tuple(window_accelerators(reused), read_record(window_registry, 1).accelerator_count),
            std::tuple(nullptr, 0));
}

static HWND others[2];
static bool others_enabled[2];

static void CALLBACK look_and_answer(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  for (int i = 0; i < 2; ++i) others_enabled[i] = IsWindowEnabled(others[i]);
  PostMessageA(FindWindowA("#32770", "Error"), WM_COMMAND, IDOK, 0);
}

// While the box is open every visible, enabled window of the thread is disabled, not just its
// owner, and a hidden one is left alone; afterwards all are enabled again.
TEST_F(WindowsTest, TheMessageBoxIsModalOverTheThreadsWindows) {
  const HWND owner = as_hwnd(open_window(1, 0, 0, 200, 100, 0, "owner", nullptr));
  others[0] = as_hwnd(open_window(2, 0, 150, 200, 100, 0, "other", nullptr));
  others[1] = as_hwnd(open_window(3, 0, 300, 200, 100, WINDOW_HIDDEN, "hidden", nullptr));
  SetForegroundWindow(owner);
  SetTimer(nullptr, 0, 200, look_and_answer);
  EXPECT_EQ(show_message("Error", "Cannot find quar.exe in this folder"), IDOK);
  EXPECT_EQ(std::tuple(others_enabled[0], others_enabled[1]), std::tuple(false, true));
  EXPECT_TRUE(IsWindowEnabled(owner) && IsWindowEnabled(others[0]) && IsWindowEnabled(others[1]));
}
