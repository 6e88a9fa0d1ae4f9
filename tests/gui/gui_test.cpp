#include <array>
#include <cstring>
#include <string>
#include <tuple>

#include "gui/gui.h"

#include <commctrl.h>
#include "tests/support/test_support.h"

namespace {

class GuiTest : public testing::Test {
 protected:
  void SetUp() override {
    init_runtime_for_tests();
    init_windows();
    init_controls();
  }
  void TearDown() override { close_all_windows(); }
};

HWND as_hwnd(INT_PTR value) { return reinterpret_cast<HWND>(value); }
LPARAM as_lparam(HWND window) { return reinterpret_cast<LPARAM>(window); }

using Box = std::array<LONG, 4>;

Box window_box(HWND window) {
  RECT r;
  GetWindowRect(window, &r);
  return {r.left, r.top, r.right, r.bottom};
}

POINT cursor_position() {
  POINT at;
  GetCursorPos(&at);
  return at;
}

// The colour the window's background is erased with.
COLORREF erase_colour(HWND window) {
  HDC screen = GetDC(nullptr), dc = CreateCompatibleDC(screen);
  HBITMAP pixel = CreateCompatibleBitmap(screen, 1, 1);
  ReleaseDC(nullptr, screen);
  const HGDIOBJ previous = SelectObject(dc, pixel);
  SetPixel(dc, 0, 0, RGB(1, 2, 3));
  SendMessageA(window, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
  const COLORREF colour = GetPixel(dc, 0, 0);
  SelectObject(dc, previous);
  DeleteObject(pixel);
  DeleteDC(dc);
  return colour;
}

using WindowsTest = GuiTest;
using ControlsTest = GuiTest;

// A window gets the style its flags say (WS_VISIBLE inverted, a caption for bare flags), its client area the
// size asked for, and the place given, or centred. A window's class lives from its open to its close, and
// closing it leaves every other window's background as it was; opening a number in use closes the old window
// first; an open that fails (a child without a parent, a number whose table cannot be had) keeps nothing. A
// window wider than the screen, centred, starts at the screen's left edge; one centred on the active window
// (which wins over the screen) never starts above or left of the screen.
TEST_F(WindowsTest, ClassesAndRecordsLiveAsLongAsTheirWindows) {
  // The flags; the style bits the window has and has not.
  const std::tuple<DWORD, LONG_PTR, LONG_PTR> styles[] = {{0, WS_VISIBLE | WS_CAPTION, 0},
                                                          {WINDOW_HIDDEN, WS_CAPTION, WS_VISIBLE},
                                                          {WS_POPUP, WS_VISIBLE | WS_POPUP, WS_CAPTION},
                                                          {WINDOW_HIDDEN | WS_POPUP, WS_POPUP, WS_VISIBLE}};
  // Aware of the dots per inch, as the changer is: Wine sizes an unaware program's frame at 96 but draws it
  // at the screen's.
  SetProcessDPIAware();
  init_windows();
  for (const auto& [flags, has, has_not] : styles) {
    const HWND window = as_hwnd(open_window(8, 30, 40, 200, 80, flags, "", nullptr));
    RECT client;
    GetClientRect(window, &client);
    const Box box = window_box(window);
    EXPECT_EQ(std::tuple(GetWindowLongPtrA(window, GWL_STYLE) & (has | has_not), box[0], box[1], client.right,
                         client.bottom),
              std::tuple(has, 30, 40, 200, 80))
        << flags;
  }
  const ObjectNumber dynamic = open_window(ANY_NUMBER, 10, 10, 100, 80, 0, "dynamic", nullptr);
  const HWND first = as_hwnd(open_window(5, 10, 10, 100, 80, 0, "first", nullptr));
  open_window(5, 10, 10, 2000, 80, WINDOW_CENTRE_SCREEN, "second", nullptr);
  EXPECT_FALSE(IsWindow(first)) << "reopening a number closes the old window first";
  EXPECT_EQ(std::tuple(erase_colour(window_handle(dynamic)), erase_colour(window_handle(5))),
            std::tuple(GetSysColor(COLOR_BTNFACE), GetSysColor(COLOR_BTNFACE)));
  RECT wide;
  GetWindowRect(window_handle(5), &wide);
  EXPECT_EQ(wide.left, 0);
  // The active window's place and size, where a 100 x 80 window centred on it goes.
  for (const auto& [active, centred] :
       {std::pair{Box{0, 0, 40, 30}, POINT{0, 0}}, {{300, 200, 400, 300}, {450, 310}}}) {
    SetActiveWindow(
        as_hwnd(open_window(6, active[0], active[1], active[2], active[3], WS_POPUP, "", nullptr)));
    RECT placed;
    GetWindowRect(as_hwnd(open_window(7, 0, 0, 100, 80,
                                      WINDOW_CENTRE_SCREEN | WINDOW_CENTRE_ACTIVE | WS_POPUP, "", nullptr)),
                  &placed);
    EXPECT_EQ(std::pair(placed.left, placed.top), std::pair(centred.x, centred.y)) << active[0];
  }
  // Tab and Shift+Tab, as the loop translates them for the active window.
  std::array<ACCEL, 3> keys{};
  EXPECT_EQ(CopyAcceleratorTableA(window_accelerators(window_handle(5)), keys.data(), 3), 2);
  EXPECT_EQ(std::tuple(keys[0].fVirt, keys[0].key, keys[0].cmd, keys[1].fVirt, keys[1].key, keys[1].cmd),
            std::tuple(FVIRTKEY | FNOINVERT, VK_TAB, 1212, FVIRTKEY | FNOINVERT | FSHIFT, VK_TAB, 1213));
  // A dynamic window's class is named after its number, as wsprintfA's "%ld" writes it at 32 bits; every
  // class takes double clicks and shows the arrow.
  for (const ObjectNumber number : {ObjectNumber{5}, dynamic}) {
    const std::string class_name = "WindowClass_" + std::to_string(number);
    const HWND window = window_handle(number);
    char registered[40] = "";
    GetClassNameA(window, registered, sizeof registered);
    EXPECT_EQ(std::tuple(registered, find_window_number(window), GetClassLongPtrA(window, GCL_STYLE),
                         GetClassLongPtrA(window, GCLP_HCURSOR)),
              std::tuple(class_name, number, CS_DBLCLKS,
                         reinterpret_cast<ULONG_PTR>(LoadCursorA(nullptr, IDC_ARROW))));
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

HWND refusing_focus;
std::vector<HWND> destroyed_in_order;

// Stands for whatever makes SetFocus fail: a thread hook that refuses one window the focus. It also notes
// the library's windows destroyed, in order.
LRESULT CALLBACK cbt_hook(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_SETFOCUS && reinterpret_cast<HWND>(wParam) == refusing_focus) return 1;
  const auto window = reinterpret_cast<HWND>(wParam);
  if (code == HCBT_DESTROYWND && find_window_number(window) != -1) destroyed_in_order.push_back(window);
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

// Windows destroyed with their parent or owner give up their numbers and classes, and the teardown's walk
// does not step onto an older window that went with a newer one it owns; it closes dynamic windows newest
// first, then numbered ones from the last slot down to 0. Closing an owned window activates its owner. A
// slot reused by a window whose accelerators cannot be made keeps none of the last window's.
TEST_F(WindowsTest, NumbersGoWithTheirWindows) {
  const HWND parent = as_hwnd(open_window(1, 0, 0, 200, 100, 0, "parent", nullptr));
  open_window(2, 0, 0, 50, 50, WS_CHILD, "child", parent);
  const ObjectNumber owned = open_window(ANY_NUMBER, 0, 0, 50, 50, 0, "owned", parent);
  close_window(1);
  EXPECT_EQ(std::tuple(window_handle(2), window_handle(owned)), std::tuple(nullptr, nullptr));
  WNDCLASSA found;
  for (const ObjectNumber gone : {ObjectNumber{2}, owned})
    EXPECT_FALSE(GetClassInfoA(program_module, ("WindowClass_" + std::to_string(gone)).c_str(), &found))
        << gone;
  open_window(ANY_NUMBER, 0, 0, 50, 50, 0, "oldest", nullptr);
  const ObjectNumber older = open_window(ANY_NUMBER, 0, 0, 50, 50, 0, "older", nullptr);
  const ObjectNumber newer = open_window(ANY_NUMBER, 0, 0, 50, 50, 0, "newer", nullptr);
  SetWindowLongPtrA(window_handle(older), GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(window_handle(newer)));
  close_all_windows();
  EXPECT_EQ(window_registry.core.dynamic.head, nullptr);
  const HWND owner = as_hwnd(open_window(0, 0, 0, 50, 50, 0, "owner", nullptr));
  const HWND last_slot = as_hwnd(open_window(9, 0, 0, 50, 50, 0, "last slot", nullptr));
  const ObjectNumber first = open_window(ANY_NUMBER, 0, 0, 50, 50, 0, "first", owner);
  const HWND second = window_handle(open_window(ANY_NUMBER, 0, 0, 50, 50, 0, "second", nullptr));
  SetActiveWindow(second);
  close_window(first);
  EXPECT_EQ(GetActiveWindow(), owner);
  const HWND third = window_handle(open_window(ANY_NUMBER, 0, 0, 50, 50, 0, "third", nullptr));
  const HHOOK hook = SetWindowsHookExA(WH_CBT, cbt_hook, nullptr, GetCurrentThreadId());
  destroyed_in_order.clear();
  close_all_windows();
  UnhookWindowsHookEx(hook);
  EXPECT_EQ(destroyed_in_order, (std::vector{third, second, last_slot, owner}));
  const HANDLE heap = main_heap;
  main_heap = HeapCreate(0, 0, 65536);
  while (HeapAlloc(main_heap, 0, 16)) continue;
  const HWND reused = as_hwnd(open_window(1, 0, 0, 50, 50, 0, "reused", nullptr));
  HeapDestroy(main_heap);
  main_heap = heap;
  EXPECT_EQ(std::tuple(window_accelerators(reused), read_record(window_registry, 1).accelerator_count),
            std::tuple(nullptr, 0));
}

// Every window shows icon resource 1 at the sizes the system asks for at the screen's dots per inch
// (scripts/test.sh runs this at 96, 120 and 144), in a program aware of them as the changer is: the
// large one for Alt+Tab and the taskbar, the small one for the caption.
TEST_F(WindowsTest, EveryWindowHasTheIconAtTheSystemsSizes) {
  SetProcessDPIAware();
  init_windows();
  const HWND window = as_hwnd(open_window(1, 0, 0, 100, 80, 0, "icon", nullptr));
  for (const auto& [index, metric] : {std::pair{GCLP_HICON, SM_CXICON}, {GCLP_HICONSM, SM_CXSMICON}}) {
    ICONINFO icon{};
    BITMAP image{};
    ASSERT_TRUE(GetIconInfo(reinterpret_cast<HICON>(GetClassLongPtrA(window, index)), &icon)) << metric;
    GetObjectA(icon.hbmColor, sizeof image, &image);
    DeleteObject(icon.hbmColor);
    DeleteObject(icon.hbmMask);
    const LONG size = GetSystemMetrics(metric);
    EXPECT_EQ(std::pair(image.bmWidth, image.bmHeight), std::pair(size, size)) << metric;
  }
}

HWND others[2];
bool others_enabled[2];
HWND box_owner;
bool box_asks_yes_or_no;
WPARAM box_answer = IDOK;

void CALLBACK look_and_answer(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  for (int i = 0; i < 2; ++i) others_enabled[i] = IsWindowEnabled(others[i]);
  const HWND box = FindWindowA("#32770", "Error");
  box_owner = GetWindow(box, GW_OWNER);
  box_asks_yes_or_no = GetDlgItem(box, IDNO) != nullptr;
  PostMessageA(box, WM_COMMAND, box_answer, 0);
}

// While the box is open every visible, enabled window of the thread is disabled, not just its
// owner, and a hidden one is left alone; afterwards they are enabled again, and one that was
// disabled before stays disabled. The box has the buttons asked for, is owned by the window in front
// and returns the one pressed.
TEST_F(WindowsTest, TheMessageBoxIsModalOverTheThreadsWindows) {
  const HWND owner = as_hwnd(open_window(1, 0, 0, 200, 100, 0, "owner", nullptr));
  others[0] = as_hwnd(open_window(2, 0, 150, 200, 100, 0, "other", nullptr));
  others[1] = as_hwnd(open_window(3, 0, 300, 200, 100, WINDOW_HIDDEN, "hidden", nullptr));
  const HWND disabled = as_hwnd(open_window(4, 300, 0, 200, 100, 0, "disabled", nullptr));
  EnableWindow(disabled, FALSE);
  SetForegroundWindow(owner);
  SetTimer(nullptr, 0, 200, look_and_answer);
  box_answer = IDNO;
  EXPECT_EQ(show_message_box("Error", "Cannot find quar.exe in this folder", MB_YESNO), IDNO);
  box_answer = IDOK;
  EXPECT_EQ(std::tuple(others_enabled[0], others_enabled[1], box_owner, box_asks_yes_or_no),
            std::tuple(false, true, owner, true));
  EXPECT_TRUE(IsWindowEnabled(owner) && IsWindowEnabled(others[0]) && IsWindowEnabled(others[1]));
  EXPECT_FALSE(IsWindowEnabled(disabled));
}

LRESULT CALLBACK close_at_wm_app(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_APP) close_window(find_window_number(window));
  return window_procedure(window, message, wParam, lParam);
}

// Only the thread's own destruction frees what the library holds, and only its own notification is
// read: a WM_NCDESTROY that another thread sends to a hidden window or control, or that this thread
// posts, and a notification sent from another thread, or posted with a pointer that means nothing,
// free nothing and make no event. close_window then closes the window with its control, also while the
// thread answers another thread's message.
TEST_F(WindowsTest, OnlyTheThreadsOwnDestructionFreesAndOnlyItsOwnNotificationIsRead) {
  const HWND window = as_hwnd(open_window(2, 0, 0, 50, 50, WINDOW_HIDDEN, "kept", nullptr));
  set_control_parent(window);
  const HWND edit = as_hwnd(create_edit_control(100, 0, 0, 20, 20, "kept", 0));
  NMUPDOWN change{{window, 5, static_cast<UINT>(UDN_DELTAPOS)}, 0, 7};
  const LPARAM header = reinterpret_cast<LPARAM>(&change), nothing = 0x10;
  // Whether another thread sends it (else this thread posts it), to whom, what.
  const std::tuple<bool, HWND, UINT, LPARAM> cases[] = {
      {true, window, WM_NCDESTROY, 0},   {true, edit, WM_NCDESTROY, 0},
      {false, window, WM_NCDESTROY, 0},  {false, edit, WM_NCDESTROY, 0},
      {true, window, WM_NOTIFY, header}, {false, window, WM_NOTIFY, nothing}};
  current_event.control = 0;
  for (const auto& [sent, receiver, message, lParam] : cases) {
    if (sent) {
      EXPECT_TRUE(run_on_another_thread([&] { SendMessageA(receiver, message, 0, lParam); }));
    } else {
      PostMessageA(receiver, message, 0, lParam);
      pump_messages();
    }
    char title[8] = "";
    GetWindowTextA(window, title, sizeof title);
    EXPECT_EQ(std::tuple(window_handle(2), read_record(control_registry, 100).handle, std::string(title),
                         std::string(get_control_text(100)), current_event.control),
              std::tuple(window, edit, std::string("kept"), std::string("kept"), 0))
        << message << (sent ? " sent from another thread" : " posted") << " to " << (receiver == edit);
    scratch_release(string_scratch);
  }
  SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(close_at_wm_app));
  EXPECT_TRUE(run_on_another_thread([&] { SendMessageA(window, WM_APP, 0, 0); }));
  EXPECT_EQ(
      std::tuple(IsWindow(window), IsWindow(edit), find_record(control_registry, 100), window_handle(2)),
      std::tuple(FALSE, FALSE, nullptr, nullptr));
  // Sixteen messages can be on their way at once; one more pushes the oldest out.
  PendingMessages pending{};
  for (UINT message = 0; message < 17; ++message) push_pending(pending, {window, message, 0, 0});
  EXPECT_EQ(std::tuple(pending.count, pending.entries[0].message, newest_pending(pending, window)->message),
            std::tuple(16u, 1u, 16u));
}

using Creator = INT_PTR (*)(ObjectNumber, int, int, int, int, const char*, DWORD);

// Each kind's styles with the caller's flags and the edge swapped by CONTROL_FLAG_EDGE, its font
// the default GUI font, and its text in and out: at most 31999 characters, and never past the
// scratch area's last byte (a stand-in area with guard bytes behind it shows any write past the end). A
// record goes with its window, and a creation that fails keeps none.
TEST_F(ControlsTest, ControlsLiveUnderTheirNumbersWithTheirStylesAndTexts) {
  set_control_parent(as_hwnd(open_window(1, 0, 0, 400, 300, 0, "controls", nullptr)));
  const Creator edit = create_edit_control, button = create_button_control, text = create_text_control;
  const std::string long_text(40000, 'w');
  const HGDIOBJ default_font = GetStockObject(DEFAULT_GUI_FONT);
  const std::tuple<Creator, DWORD, LONG_PTR, LONG_PTR, std::string> cases[] = {
      {edit, ES_NUMBER, 0x50032080, WS_EX_CLIENTEDGE, "1024"},
      {edit, CONTROL_FLAG_EDGE, 0x50030080, 0, ""},
      {button, BS_MULTILINE, 0x50032000, 0, "Save"},
      {text, CONTROL_FLAG_EDGE, 0x50020000, WS_EX_CLIENTEDGE, long_text}};
  for (const auto& [create, flags, style, extended_style, written] : cases) {
    const HWND control = as_hwnd(create(100, 5, 5, 120, 24, "before", flags));
    EXPECT_EQ(std::tuple(GetWindowLongPtrA(control, GWL_STYLE), GetWindowLongPtrA(control, GWL_EXSTYLE),
                         GetDlgItem(GetParent(control), 100), SendMessageA(control, WM_GETFONT, 0, 0)),
              std::tuple(style, extended_style, control, reinterpret_cast<LRESULT>(default_font)));
    set_control_text(100, written.c_str());
    EXPECT_EQ(std::string(get_control_text(100)), written.substr(0, 31999));
    scratch_release(string_scratch);
  }
  static char area[SCRATCH_SIZE + 16];
  std::memset(area, '#', sizeof area);
  string_scratch = area;
  scratch_cursor = scratch_last_byte() - 9;
  set_control_text(100, "0123456789abcdef");
  EXPECT_EQ(get_control_text(100) + std::string(area + SCRATCH_SIZE, 16), "012345678" + std::string(16, '#'));
  init_scratch();
  free_control(100);
  EXPECT_EQ(std::tuple(find_record(control_registry, 100), std::string(get_control_text(100))),
            std::tuple(nullptr, std::string()));
  // The Tab and Shift+Tab commands move round the controls that take the focus, from the window itself
  // too: never to a label, a hidden or disabled tab stop, or one in a disabled window, and past one that
  // refuses the focus. An edit box they reach has its whole text selected; a click leaves the caret.
  const HWND parent = window_handle(1);
  const HWND first = as_hwnd(create_edit_control(101, 0, 0, 80, 20, "1280", 0));
  create_text_control(102, 0, 0, 80, 20, "", 0);
  const HWND middle = as_hwnd(create_edit_control(103, 0, 0, 80, 20, "720", 0));
  set_control_parent(as_hwnd(open_window(2, 0, 0, 80, 20, WS_CHILD, "", parent)));
  EnableWindow(GetParent(as_hwnd(create_edit_control(107, 0, 0, 80, 20, "", 0))), FALSE);
  set_control_parent(parent);
  refusing_focus = as_hwnd(create_edit_control(108, 0, 0, 80, 20, "", 0));
  const HWND last = as_hwnd(create_button_control(104, 0, 0, 80, 20, "", 0));
  ShowWindow(as_hwnd(create_edit_control(105, 0, 0, 80, 20, "", 0)), SW_HIDE);
  EnableWindow(as_hwnd(create_button_control(106, 0, 0, 80, 20, "", 0)), FALSE);
  SetActiveWindow(parent);
  const HHOOK refusal = SetWindowsHookExA(WH_CBT, cbt_hook, nullptr, GetCurrentThreadId());
  for (const auto& [command, from, to] : {std::tuple<WORD, HWND, HWND>{CMD_NEXT_CONTROL, parent, first},
                                          {CMD_NEXT_CONTROL, last, first},
                                          {CMD_PREVIOUS_CONTROL, first, last},
                                          {CMD_NEXT_CONTROL, first, middle},
                                          {CMD_NEXT_CONTROL, middle, last},
                                          {CMD_PREVIOUS_CONTROL, last, middle}}) {
    SetFocus(from);
    SendMessageA(to, EM_SETSEL, 0, 0);
    SendMessageA(parent, WM_COMMAND, MAKEWPARAM(command, 1), 0);
    const auto selection = static_cast<DWORD>(SendMessageA(to, EM_GETSEL, 0, 0));
    EXPECT_EQ(std::tuple(GetFocus(), LOWORD(selection), HIWORD(selection)),
              std::tuple(to, 0, GetWindowTextLengthA(to)))
        << command << " from " << GetDlgCtrlID(from);
  }
  UnhookWindowsHookEx(refusal);
  for (const UINT mouse : {WM_LBUTTONDOWN, WM_LBUTTONUP}) SendMessageA(first, mouse, 0, MAKELPARAM(1, 5));
  EXPECT_EQ(std::tuple(GetFocus(), SendMessageA(first, EM_GETSEL, 0, 0)), std::tuple(first, 0));
  // Activated again, the window gives the focus back to the control that had it, as a dialog does, after
  // another window of the thread or the message box was active; to the first control that takes the focus
  // when that one was hidden, disabled or destroyed meanwhile; to the window itself when the window had it.
  const HWND other = as_hwnd(open_window(3, 300, 0, 200, 100, 0, "other", nullptr));
  enum Away { STAYS, HIDDEN, DISABLED, DESTROYED, ITSELF, MESSAGE_BOX };
  for (const auto& [away, focus] :
       {std::pair{STAYS, 1}, {HIDDEN, 0}, {DISABLED, 0}, {DESTROYED, 0}, {ITSELF, 2}, {MESSAGE_BOX, 1}}) {
    const HWND again = as_hwnd(create_edit_control(109, 0, 0, 80, 20, "", 0));
    SetForegroundWindow(parent);
    SetFocus(away == ITSELF ? parent : again);
    if (away == MESSAGE_BOX) {
      SetTimer(nullptr, 0, 200, look_and_answer);
      show_message("Error", "Cannot find quar.exe in this folder");
    } else {
      SetActiveWindow(other);
      if (away == HIDDEN) ShowWindow(again, SW_HIDE);
      if (away == DISABLED) EnableWindow(again, FALSE);
      if (away == DESTROYED) free_control(109);
      SetActiveWindow(parent);
    }
    EXPECT_EQ(GetFocus(), (std::array{first, again, parent}[focus])) << away;
  }
  close_window(1);
  EXPECT_EQ(create_edit_control(5, 0, 0, 80, 20, "", 0), 0) << "the parent is gone";
  EXPECT_EQ(create_button_control(ANY_NUMBER, 0, 0, 80, 20, "", 0), 0);
  EXPECT_EQ(std::tuple(find_record(control_registry, 5), control_registry.core.dynamic.head),
            std::tuple(nullptr, nullptr));
}

using EventsTest = GuiTest;

// What the wait returns for each message a window's procedure gets, as the loop retrieves it: the event, the
// number of the window it is reported for (the top-level one for a scroll bar inside a child window), the
// control and the type; a message that makes no event comes back as itself with its parameters. What is
// posted on to a queued form makes its event at the next wait. An accelerator's command is answered with its
// high word, and the close box leaves the window open.
TEST_F(EventsTest, EachMessageMakesItsEventAtTheWait) {
  const HWND window = as_hwnd(open_window(1, 0, 0, 300, 200, 0, "events", nullptr));
  const HWND inner = as_hwnd(open_window(2, 0, 0, 200, 100, WS_CHILD, "", window));
  const auto child = [&](const char* class_name, INT_PTR id) {
    return as_lparam(CreateWindowExA(0, class_name, "", WS_CHILD, 0, 0, 20, 20, inner,
                                     reinterpret_cast<HMENU>(id), nullptr, nullptr));
  };
  const LPARAM button = child("BUTTON", 5), edit = child("EDIT", 6),
               menu_source = child("BUTTON", MENU_SOURCE_ID), list = child("LISTBOX", 7),
               bar = child("SCROLLBAR", 8);
  pump_messages();
  // To whom, the message, wParam, lParam; what the wait returns, for which window, control and type.
  // clang-format off
  const std::tuple<HWND, UINT, WPARAM, LPARAM, INT_PTR, ObjectNumber, INT_PTR, INT_PTR> cases[] = {
      {inner, WM_COMMAND, MAKEWPARAM(5, BN_CLICKED), button, EVENT_CONTROL, 2, 5, 0}, {inner, WM_HSCROLL, SB_LINEDOWN, bar, EVENT_CONTROL, 1, 8, -1},
      {inner, WM_COMMAND, MAKEWPARAM(6, EN_CHANGE), edit, EVENT_CONTROL, 2, 6, EN_CHANGE}, {inner, WM_VSCROLL, SB_LINEUP, bar, EVENT_CONTROL, 1, 8, -1},
      {inner, WM_COMMAND, MAKEWPARAM(77, 0), menu_source, EVENT_MENU, 2, 77, 0}, {window, WM_COMMAND, 7, 0, EVENT_MENU, 1, 7, -1},
      {inner, WM_COMMAND, MAKEWPARAM(7, LBN_SELCHANGE), list, EVENT_CONTROL, 2, 7, 0}, {window, WM_COMMAND, MAKEWPARAM(9, 1), 0, EVENT_MENU, 1, 9, -1},
      {inner, WM_COMMAND, MAKEWPARAM(7, LBN_DBLCLK), list, EVENT_CONTROL, 2, 7, 2}, {window, WM_SIZE, SIZE_RESTORED, MAKELPARAM(3, 4), EVENT_SIZE_WINDOW, 1, -9, -1},
      {inner, WM_COMMAND, MAKEWPARAM(7, LBN_SETFOCUS), list, WM_COMMAND, 2, 7, LBN_SETFOCUS}, {window, WM_CLOSE, 0, 0, EVENT_CLOSE_WINDOW, 1, -9, -1},
      {window, MSG_MOUSE_NOTIFY, 4, WM_LBUTTONDBLCLK, EVENT_MOUSE_NOTIFY, 1, 4, 2}, {window, MSG_MOUSE_NOTIFY, 4, WM_RBUTTONDBLCLK, EVENT_MOUSE_NOTIFY, 1, 4, 3},
      {window, MSG_MOUSE_NOTIFY, 4, WM_LBUTTONUP, EVENT_MOUSE_NOTIFY, 1, 4, 0}, {window, MSG_MOUSE_NOTIFY, 4, WM_RBUTTONUP, EVENT_MOUSE_NOTIFY, 1, 4, 1},
      {window, MSG_MOUSE_NOTIFY, 4, WM_MOUSEMOVE, MSG_MOUSE_NOTIFY_QUEUED, 1, 4, -1}, {window, WM_APP, 3, 4, WM_APP, 1, -9, -1}};
  // clang-format on
  for (const auto& [receiver, message, wParam, lParam, result, number, control, type] : cases) {
    current_event.control = -9;
    PostMessageA(receiver, message, wParam, lParam);
    INT_PTR returned = wait_window_event();
    while (HIWORD(GetQueueStatus(QS_POSTMESSAGE))) returned = wait_window_event();
    EXPECT_EQ(std::tuple(returned, event_window(), event_control(), current_event.type),
              std::tuple(result, number, control, type))
        << message << ", " << wParam;
  }
  EXPECT_EQ(std::tuple(current_event.wParam, current_event.lParam, IsWindow(window)), std::tuple(3, 4, TRUE));
  EXPECT_EQ(SendMessageA(window, WM_COMMAND, MAKEWPARAM(9, 1), 0), 0x10000);
}

WNDPROC library_procedure;
// A window with a will of its own: a width it insists on while being sized (0: none); it counts
// the keys that reach it.
LONG own_width;
int keys_seen;

LRESULT CALLBACK test_subclass(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_SIZING && own_width)
    reinterpret_cast<RECT*>(lParam)->right = reinterpret_cast<RECT*>(lParam)->left + own_width;
  keys_seen += message == WM_KEYDOWN;
  return CallWindowProcA(library_procedure, window, message, wParam, lParam);
}

class Sizing : public GuiTest {
 protected:
  // The setting is the user's, for the whole session: it is put back.
  BOOL dragging_full_windows = FALSE;
  void SetUp() override {
    GuiTest::SetUp();
    SystemParametersInfoA(SPI_GETDRAGFULLWINDOWS, 0, &dragging_full_windows, 0);
    SystemParametersInfoA(SPI_SETDRAGFULLWINDOWS, TRUE, nullptr, 0);
  }
  void TearDown() override {
    SystemParametersInfoA(SPI_SETDRAGFULLWINDOWS, dragging_full_windows, nullptr, 0);
    GuiTest::TearDown();
  }
  HWND open(ObjectNumber number, int x) {
    HWND window = as_hwnd(open_window(number, 0, 0, 100, 100, WS_CAPTION | WS_THICKFRAME, "sized", nullptr));
    library_procedure = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(test_subclass)));
    MoveWindow(window, x, 150, 320, 240, TRUE);
    bring_to_front(window);
    pump_messages();
    return window;
  }
  // Called directly: sent through window_procedure, the command would also reach the platform's own
  // sizing loop, which would wait for keys. The cursor's own mouse message is let through first; then
  // the left button is down, as for a drag on the border, or up.
  static void start(HWND window, int edge, int x, int y, bool button_down = false) {
    SetCursorPos(x, y);
    pump_messages(50);
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[VK_LBUTTON] = button_down ? 0x80 : 0;
    SetKeyboardState(keys);
    EXPECT_EQ(sizing_handler(window, WM_SYSCOMMAND, SC_SIZE | static_cast<WPARAM>(edge), 0), 0);
  }
  static void key(HWND window, WPARAM key) { SendMessageA(window, WM_KEYDOWN, key, 0); }
};

// Each arrow key from each edge, on the window at (200, 150, 520, 390) with the cursor at (360, 270): a key
// across an edge chooses the edge or corner it leads to, puts the cursor on it (inside the right and bottom
// sides, and the top-left grip inside both its sides) with its shape, and leaves the window; a key along the
// chosen edge, or any from a corner, steps the cursor and the sides that follow it. Another window's Escape
// changes nothing; Escape puts the window back, and the cursor too when the mode began with no edge and the
// mouse has not moved since. A side stops at the smallest width and height, and the window has the last
// word; Enter keeps the size. From the border the side follows the mouse. Every way the mode ends lets go of
// the mouse: the release of a quick click on the border, queued before the mode took the mouse, comes as
// WM_NCLBUTTONUP; a mode started from the border once the button is up ends at once; the mode also ends when
// its window loses the mouse or goes away, but not at a WM_CAPTURECHANGED that says so falsely.
TEST_F(Sizing, KeysAndTheMouseSizeTheWindowUntilTheModeEnds) {
  HWND sized = open(1, 200), other = open(2, 600);
  EXPECT_EQ(sizing_handler(sized, WM_SYSCOMMAND, SC_SIZE | 9, 0), UNHANDLED_RESULT) << "no edge";
  const Box start_box{200, 150, 520, 390};
  // The edge the mode starts with, the key; the edge then, the cursor (and its shape, 0: not asked), the
  // window.
  // clang-format off
  const std::tuple<int, WPARAM, int, POINT, int, Box> cases[] = {
      {0, VK_LEFT, 1, {200, 270}, 32644, start_box}, {0, VK_UP, 3, {360, 150}, 32645, start_box},
      {0, VK_RIGHT, 2, {518, 270}, 32644, start_box}, {0, VK_DOWN, 6, {360, 388}, 32645, start_box},
      {1, VK_UP, 4, {202, 152}, 32642, start_box}, {1, VK_DOWN, 7, {200, 388}, 32643, start_box},
      {2, VK_UP, 5, {518, 150}, 32643, start_box}, {2, VK_DOWN, 8, {518, 388}, 32642, start_box},
      {3, VK_LEFT, 4, {202, 152}, 32642, start_box}, {3, VK_RIGHT, 5, {518, 150}, 32643, start_box},
      {6, VK_LEFT, 7, {200, 388}, 32643, start_box}, {6, VK_RIGHT, 8, {518, 388}, 32642, start_box},
      {1, VK_LEFT, 1, {350, 270}, 0, {350, 150, 520, 390}}, {2, VK_RIGHT, 2, {370, 270}, 0, {200, 150, 372, 390}},
      {3, VK_UP, 3, {360, 260}, 0, {200, 260, 520, 390}}, {6, VK_DOWN, 6, {360, 280}, 0, {200, 150, 520, 282}},
      {4, VK_RIGHT, 4, {370, 270}, 0, {368, 268, 520, 390}}, {5, VK_DOWN, 5, {360, 280}, 0, {200, 280, 362, 390}},
      {7, VK_LEFT, 7, {350, 270}, 0, {350, 150, 520, 272}}, {8, VK_UP, 8, {360, 260}, 0, {200, 150, 362, 262}}};
  // clang-format on
  for (const auto& [edge, arrow, chosen, cursor, cursor_shape, box] : cases) {
    start(sized, edge, 360, 270, edge != 0);
    key(sized, arrow);
    key(other, VK_ESCAPE);
    POINT at = cursor_position();
    EXPECT_EQ(std::tuple(sizing_state.active, sizing_state.edge, at.x, at.y, window_box(sized)),
              std::tuple(1, chosen, cursor.x, cursor.y, box))
        << edge << ", " << arrow;
    EXPECT_TRUE(!cursor_shape || GetCursor() == LoadCursorA(nullptr, MAKEINTRESOURCEA(cursor_shape)))
        << arrow;
    key(sized, VK_ESCAPE);
    at = cursor_position();
    const POINT back = edge ? cursor : POINT{360, 270};
    EXPECT_EQ(std::tuple(sizing_state.active, GetCapture(), at.x, at.y, window_box(sized)),
              std::tuple(0, nullptr, back.x, back.y, start_box))
        << edge << ", " << arrow;
  }
  for (const auto& [edge, arrow, least] :
       {std::tuple{WMSZ_RIGHT, VK_LEFT, Box{200, 150, 200 + GetSystemMetrics(SM_CXMINTRACK), 390}},
        {WMSZ_BOTTOM, VK_UP, Box{200, 150, 520, 150 + GetSystemMetrics(SM_CYMINTRACK)}}}) {
    start(sized, edge, 360, 270, true);
    for (int i = 0; i < 40; ++i) key(sized, arrow);
    EXPECT_EQ(window_box(sized), least) << "the opposite side stays";
    key(sized, VK_ESCAPE);
  }
  start(sized, 0, 360, 270);
  SetCursorPos(300, 300);
  SendMessageA(sized, WM_MOUSEMOVE, 0, 0);
  key(sized, VK_RETURN);
  EXPECT_EQ(std::pair(cursor_position().x, cursor_position().y), std::pair(300L, 300L)) << "moved, it stays";
  own_width = 250;
  start(sized, WMSZ_RIGHT, 518, 270, true);
  key(sized, VK_RIGHT);
  key(sized, VK_RETURN);
  EXPECT_EQ(std::tuple(sizing_state.active, GetCapture(), window_box(sized)),
            std::tuple(0, nullptr, Box{200, 150, 450, 390}));
  start(sized, WMSZ_BOTTOM, 360, 270, true);
  POINT to{10, 300};
  SendMessageA(sized, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(to.x, to.y));
  MapWindowPoints(sized, nullptr, &to, 1);
  SendMessageA(sized, WM_LBUTTONUP, 0, 0);
  EXPECT_EQ(std::tuple(GetCapture(), window_box(sized)), std::tuple(nullptr, Box{200, 150, 450, to.y + 2}))
      << "the bottom follows the mouse";
  start(sized, WMSZ_BOTTOM, 360, 270, true);
  SendMessageA(sized, WM_NCLBUTTONUP, HTBOTTOM, 0);
  EXPECT_EQ(std::tuple(sizing_state.active, GetCapture()), std::tuple(0, nullptr))
      << "released on the border";
  start(sized, WMSZ_RIGHT, 360, 270, false);
  EXPECT_EQ(std::tuple(sizing_state.active, GetCapture()), std::tuple(0, nullptr)) << "released already";
  start(sized, 0, 360, 270);
  SendMessageA(sized, WM_CAPTURECHANGED, 0, 0);
  PostMessageA(sized, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(other));
  pump_messages();
  EXPECT_EQ(std::tuple(sizing_state.active, GetCapture()), std::tuple(1, sized))
      << "the capture did not change";
  SetCapture(other);
  EXPECT_EQ(sizing_state.active, 0) << "another window took the mouse";
  ReleaseCapture();
  start(sized, 0, 360, 270);
  close_window(1);
  EXPECT_EQ(std::tuple(sizing_state.active, GetCapture()), std::tuple(0, nullptr)) << "the window went away";
}

// The window menu's Size command through the real window procedure and message loop, while a
// control has the keyboard focus: real key presses size the window, none reaches the control, and
// the focus stays.
TEST_F(Sizing, TheWindowMenusSizeCommandSizesWithKeysWhileAControlHasTheFocus) {
  HWND window = open(1, 200);
  set_control_parent(window);
  HWND edit = as_hwnd(create_edit_control(100, 10, 10, 100, 22, "", 0));
  SetFocus(edit);
  SetCursorPos(360, 270);
  pump_messages(50);
  PostMessageA(window, WM_SYSCOMMAND, SC_SIZE, 0);
  std::vector<INPUT> inputs;
  for (WORD key : std::initializer_list<WORD>{VK_RIGHT, VK_RIGHT, VK_DOWN, VK_DOWN, VK_RETURN})
    for (DWORD flags : {0ul, DWORD{KEYEVENTF_KEYUP}})
      inputs.push_back({INPUT_KEYBOARD, {.ki = {key, 0, flags, 0, 0}}});
  keys_seen = 0;
  ASSERT_EQ(SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)), inputs.size());
  // The timer only guards against input that never arrives.
  SetTimer(nullptr, 0, 10000, nullptr);
  for (INT_PTR result = 0; !(result == WM_KEYUP && current_event.wParam == VK_RETURN) && result != WM_TIMER;)
    result = wait_window_event();
  EXPECT_EQ(std::tuple(window_box(window), sizing_state.active, GetFocus(), keys_seen),
            std::tuple(Box{200, 150, 530, 400}, 0, edit, 5));
  EXPECT_STREQ(get_control_text(100), "");
}

}  // namespace
