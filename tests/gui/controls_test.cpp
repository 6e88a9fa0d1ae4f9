#include <cstring>
#include <string>
#include <tuple>

#include "tests/gui/gui_test_support.h"

class ControlsTest : public GuiTest {
 protected:
  void SetUp() override {
    GuiTest::SetUp();
    set_control_parent(as_hwnd(open_window(1, 0, 0, 400, 300, 0, "controls", nullptr)));
  }
};

using Creator = INT_PTR (*)(ObjectNumber, int, int, int, int, const char*, DWORD);
static const Creator edit = create_edit_control, button = create_button_control, text = create_text_control;

static HWND control_handle(ObjectNumber number) { return read_record(control_registry, number).handle; }

TEST_F(ControlsTest, StylesEdgesAndFontByKind) {
  const DWORD EDGE = CONTROL_FLAG_EDGE, CLIENT_EDGE = WS_EX_CLIENTEDGE;
  const std::tuple<Creator, DWORD, LONG_PTR, LONG_PTR> cases[] = {
      {edit, 0, 0x50030080, CLIENT_EDGE},    {edit, ES_NUMBER, 0x50032080, CLIENT_EDGE},
      {edit, EDGE, 0x50030080, 0},           {button, BS_MULTILINE, 0x50032000, 0},
      {button, EDGE, 0x50030000, 0},         {text, SS_CENTER, 0x50020001, 0},
      {text, EDGE, 0x50020000, CLIENT_EDGE},
  };
  for (const auto& [create, flags, style, extended_style] : cases) {
    const HWND control = as_hwnd(create(100, 5, 5, 120, 24, "text", flags));
    EXPECT_EQ(GetWindowLongPtrA(control, GWL_STYLE), style);
    EXPECT_EQ(GetWindowLongPtrA(control, GWL_EXSTYLE), extended_style) << std::hex << style;
    EXPECT_EQ(GetWindowLongPtrA(control, GWLP_ID), 100);
    EXPECT_EQ(SendMessageA(control, WM_GETFONT, 0, 0), reinterpret_cast<LRESULT>(default_gui_font));
    EXPECT_EQ(GetParent(control), window_handle(1));
  }
}

TEST_F(ControlsTest, TextsGoInAndComeOut) {
  const std::string long_text(40000, 'w');
  const std::tuple<Creator, std::string, std::string> cases[] = {
      {edit, "", ""},
      {edit, "1024", "1024"},
      {button, "Save", "Save"},
      {text, " x ", " x "},
      {text, long_text, std::string(CONTROL_TEXT_MAX, 'w')}};
  for (const auto& [create, written, expected] : cases) {
    create(7, 0, 0, 80, 20, "before", 0);
    set_control_text(7, written.c_str());
    EXPECT_EQ(get_control_text(7), string_scratch);
    EXPECT_EQ(std::string(string_scratch), expected);
    EXPECT_EQ(scratch_cursor, string_scratch + expected.size());
    scratch_release(string_scratch);
  }
  set_control_text(999, "lost");  // no control: nothing is set and the text reads empty
  EXPECT_STREQ(get_control_text(999), "");
  EXPECT_EQ(scratch_cursor, string_scratch);
  free_control(999);
}

TEST_F(ControlsTest, ReadingNearTheEndOfTheScratchAreaStopsAtItsLastByte) {
  // A stand-in area with guard bytes behind it shows any write past the end.
  static char area[SCRATCH_SIZE + 16];
  std::memset(area, '#', sizeof area);
  string_scratch = area;
  scratch_cursor = scratch_last_byte() - 9;
  create_edit_control(3, 0, 0, 80, 20, "0123456789abcdef", 0);
  EXPECT_EQ(get_control_text(3), scratch_last_byte() - 9);
  EXPECT_EQ(std::string(scratch_last_byte() - 9), "012345678");
  EXPECT_EQ(scratch_cursor, scratch_last_byte());
  EXPECT_EQ(std::string(area + SCRATCH_SIZE, 16), std::string(16, '#'));
  init_scratch();
}

// A number names one control at a time; the records go with their windows, and a creation
// that fails (here: under a parent that is gone, or a number too large) keeps none.
TEST_F(ControlsTest, RecordsLiveAndDieWithTheirControls) {
  const HWND first = as_hwnd(create_edit_control(100, 0, 0, 80, 20, "first", 0));
  const HWND second = as_hwnd(create_button_control(100, 0, 30, 80, 20, "second", 0));
  EXPECT_FALSE(IsWindow(first));
  EXPECT_EQ(control_handle(100), second);
  EXPECT_STREQ(get_control_text(100), "second");
  create_text_control(45, 0, 60, 80, 20, "", 0);
  const ObjectNumber dynamic = create_button_control(ANY_NUMBER, 0, 90, 80, 20, "dynamic", 0);
  EXPECT_EQ(GetWindowLongPtrA(control_handle(dynamic), GWLP_ID), dynamic);
  set_control_text(dynamic, "renamed");
  EXPECT_STREQ(get_control_text(dynamic), "renamed");
  // Fault: a dynamic number handed back is taken as a table index; its control stays and is unreachable.
  const HWND old_dynamic = control_handle(dynamic);
  const HWND recreated = as_hwnd(create_text_control(dynamic, 0, 90, 80, 20, "again", 0));
  EXPECT_FALSE(IsWindow(old_dynamic));
  EXPECT_EQ(control_handle(dynamic), recreated);
  close_window(1);
  for (ObjectNumber number : {ObjectNumber{100}, ObjectNumber{45}, dynamic})
    EXPECT_EQ(find_record(control_registry, number), nullptr) << number;
  EXPECT_EQ(control_registry.core.dynamic.head, nullptr);
  EXPECT_EQ(create_edit_control(5, 0, 0, 80, 20, "", 0), 0);
  EXPECT_EQ(create_button_control(ANY_NUMBER, 0, 0, 80, 20, "", 0), 0);
  EXPECT_EQ(find_record(control_registry, 5), nullptr);
  EXPECT_EQ(control_registry.core.dynamic.head, nullptr);
  set_control_parent(as_hwnd(open_window(2, 0, 0, 200, 100, 0, "again", nullptr)));
  EXPECT_EQ(create_edit_control(0x7FFFFFFF, 0, 0, 80, 20, "", 0), 0);
  EXPECT_EQ(control_registry.core.capacity, 130);
}
