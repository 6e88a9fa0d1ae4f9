#include <cstring>
#include <string>
#include <tuple>

#include "tests/gui/gui_test_support.h"

using ControlsTest = GuiTest;
using Creator = INT_PTR (*)(ObjectNumber, int, int, int, int, const char*, DWORD);

// Each kind's styles with the caller's flags and the edge swapped by CONTROL_FLAG_EDGE, and its
// text in and out: at most CONTROL_TEXT_MAX characters, and never past the scratch area's last
// byte (a stand-in area with guard bytes behind it shows any write past the end). A number names
// one control at a time, a record goes with its window, and a creation that fails keeps none.
TEST_F(ControlsTest, ControlsLiveUnderTheirNumbersWithTheirStylesAndTexts) {
  set_control_parent(as_hwnd(open_window(1, 0, 0, 400, 300, 0, "controls", nullptr)));
  const Creator edit = create_edit_control, button = create_button_control, text = create_text_control;
  const std::string long_text(40000, 'w');
  const std::tuple<Creator, DWORD, LONG_PTR, LONG_PTR, std::string> cases[] = {
      {edit, ES_NUMBER, 0x50032080, WS_EX_CLIENTEDGE, "1024"},
      {button, BS_MULTILINE, 0x50032000, 0, "Save"},
      {text, CONTROL_FLAG_EDGE, 0x50020000, WS_EX_CLIENTEDGE, long_text}};
  for (const auto& [create, flags, style, extended_style, written] : cases) {
    const HWND control = as_hwnd(create(100, 5, 5, 120, 24, "before", flags));
    EXPECT_EQ(std::tuple(GetWindowLongPtrA(control, GWL_STYLE), GetWindowLongPtrA(control, GWL_EXSTYLE),
                         GetDlgItem(GetParent(control), 100)),
              std::tuple(style, extended_style, control));
    set_control_text(100, written.c_str());
    EXPECT_EQ(std::string(get_control_text(100)), written.substr(0, CONTROL_TEXT_MAX));
    scratch_release(string_scratch);
  }
  static char area[SCRATCH_SIZE + 16];
  std::memset(area, '#', sizeof area);
  string_scratch = area;
  scratch_cursor = scratch_last_byte() - 9;
  set_control_text(100, "0123456789abcdef");
  EXPECT_EQ(get_control_text(100) + std::string(area + SCRATCH_SIZE, 16), "012345678" + std::string(16, '#'));
  init_scratch();
  const ObjectNumber dynamic = create_button_control(ANY_NUMBER, 0, 0, 80, 20, "", 0);
  const HWND old_dynamic = read_record(control_registry, dynamic).handle;
  const HWND recreated = as_hwnd(create_text_control(dynamic, 0, 0, 80, 20, "", 0));
  EXPECT_EQ(read_record(control_registry, dynamic).handle, recreated);
  EXPECT_FALSE(IsWindow(old_dynamic)) << "a dynamic number handed back names its control";
  DestroyWindow(read_record(control_registry, 100).handle);
  EXPECT_EQ(std::tuple(find_record(control_registry, 100), std::string(get_control_text(100))),
            std::tuple(nullptr, std::string()));
  // The Tab and Shift+Tab commands move round the controls that take the focus, never to a label.
  const HWND first = as_hwnd(create_edit_control(101, 0, 0, 80, 20, "", 0));
  create_text_control(102, 0, 0, 80, 20, "", 0);
  const HWND middle = as_hwnd(create_edit_control(103, 0, 0, 80, 20, "", 0));
  const HWND last = as_hwnd(create_button_control(104, 0, 0, 80, 20, "", 0));
  SetActiveWindow(GetParent(last));
  for (const auto& [command, from, to] : {std::tuple<WORD, HWND, HWND>{CMD_NEXT_CONTROL, last, first},
                                          {CMD_PREVIOUS_CONTROL, first, last},
                                          {CMD_NEXT_CONTROL, first, middle}}) {
    SetFocus(from);
    SendMessageA(GetParent(last), WM_COMMAND, MAKEWPARAM(command, 1), 0);
    EXPECT_EQ(GetFocus(), to) << command;
  }
  close_window(1);
  EXPECT_EQ(create_edit_control(5, 0, 0, 80, 20, "", 0), 0) << "the parent is gone";
  EXPECT_EQ(create_button_control(ANY_NUMBER, 0, 0, 80, 20, "", 0), 0);
  EXPECT_EQ(std::tuple(find_record(control_registry, 5), control_registry.core.dynamic.head),
            std::tuple(nullptr, nullptr));
}
