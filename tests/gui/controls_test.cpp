#include <cstring>
#include <string>

#include "tests/gui/gui_test_support.h"

class ControlsTest : public GuiTest {
 protected:
  void SetUp() override {
    GuiTest::SetUp();
    set_control_parent(reinterpret_cast<HWND>(open_window(1, 0, 0, 400, 300, 0, "controls", nullptr)));
  }
};

using Creator = INT_PTR (*)(ObjectNumber, int, int, int, int, const char*, DWORD);

static HWND control_handle(ObjectNumber number) { return read_record(control_registry, number).handle; }

TEST_F(ControlsTest, StylesEdgesAndFontByKind) {
  const struct {
    const char* name;
    Creator create;
    DWORD flags;
    LONG_PTR style;
    LONG_PTR extended_style;
  } cases[] = {
      {"edit", create_edit_control, 0, 0x50030080, WS_EX_CLIENTEDGE},
      {"numeric edit", create_edit_control, ES_NUMBER, 0x50032080, WS_EX_CLIENTEDGE},
      {"flat edit", create_edit_control, CONTROL_FLAG_EDGE, 0x50030080, 0},
      {"multiline button", create_button_control, BS_MULTILINE, 0x50032000, 0},
      {"button with the edge flag", create_button_control, CONTROL_FLAG_EDGE, 0x50030000, 0},
      {"centred text", create_text_control, SS_CENTER, 0x50020001, 0},
      {"sunken text", create_text_control, CONTROL_FLAG_EDGE, 0x50020000, WS_EX_CLIENTEDGE},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const HWND control = reinterpret_cast<HWND>(c.create(100, 5, 5, 120, 24, "text", c.flags));
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(GetWindowLongPtrA(control, GWL_STYLE), c.style);
    EXPECT_EQ(GetWindowLongPtrA(control, GWL_EXSTYLE), c.extended_style);
    EXPECT_EQ(GetWindowLongPtrA(control, GWLP_ID), 100);
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)), default_gui_font);
    EXPECT_EQ(GetParent(control), window_handle(1));
  }
}

TEST_F(ControlsTest, TextsGoInAndComeOut) {
  const std::string long_text(40000, 'w');
  const struct {
    const char* name;
    Creator create;
    std::string text;
    std::string expected;
  } cases[] = {
      {"edit, empty", create_edit_control, "", ""},
      {"edit, number", create_edit_control, "1024", "1024"},
      {"button", create_button_control, "Save", "Save"},
      {"text, spaces kept", create_text_control, " x ", " x "},
      {"text longer than the limit", create_text_control, long_text, std::string(CONTROL_TEXT_MAX, 'w')},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    c.create(7, 0, 0, 80, 20, "before", 0);
    set_control_text(7, c.text.c_str());
    char* start = scratch_cursor;
    const char* text = get_control_text(7);
    EXPECT_EQ(text, start);
    EXPECT_EQ(std::string(text), c.expected);
    EXPECT_EQ(scratch_cursor, start + c.expected.size());
    scratch_release(start);
  }
}

TEST_F(ControlsTest, NumbersThatNameNoControlSetNothingAndReadEmpty) {
  set_control_text(999, "lost");
  char* start = scratch_cursor;
  EXPECT_STREQ(get_control_text(999), "");
  EXPECT_EQ(scratch_cursor, start);
  free_control(999);
}

TEST_F(ControlsTest, ReadingNearTheEndOfTheScratchAreaStopsAtItsLastByte) {
  // A stand-in area with guard bytes behind it shows any write past the end.
  static char area[SCRATCH_SIZE + 16];
  std::memset(area, '#', sizeof area);
  char* const saved_area = string_scratch;
  char* const saved_cursor = scratch_cursor;
  string_scratch = area;
  scratch_cursor = scratch_last_byte() - 9;

  create_edit_control(3, 0, 0, 80, 20, "0123456789abcdef", 0);
  char* start = scratch_cursor;
  const std::string text = get_control_text(3);
  EXPECT_EQ(text, "012345678");
  EXPECT_EQ(scratch_cursor, scratch_last_byte());
  EXPECT_EQ(*scratch_last_byte(), 0);
  EXPECT_EQ(std::string(area + SCRATCH_SIZE, 16), std::string(16, '#'));
  EXPECT_EQ(start, scratch_last_byte() - 9);

  string_scratch = saved_area;
  scratch_cursor = saved_cursor;
}

TEST_F(ControlsTest, RecreatingANumberDestroysTheOldControl) {
  const HWND first = reinterpret_cast<HWND>(create_edit_control(100, 0, 0, 80, 20, "first", 0));
  const HWND second = reinterpret_cast<HWND>(create_button_control(100, 0, 30, 80, 20, "second", 0));
  EXPECT_FALSE(IsWindow(first));
  EXPECT_EQ(control_handle(100), second);
  const char* text = get_control_text(100);
  EXPECT_STREQ(text, "second");
}

TEST_F(ControlsTest, DynamicControlsUseTheirNumberAsId) {
  const ObjectNumber number = create_button_control(ANY_NUMBER, 0, 0, 80, 20, "dynamic", 0);
  ASSERT_NE(number, 0);
  EXPECT_EQ(GetWindowLongPtrA(control_handle(number), GWLP_ID), number);
  set_control_text(number, "renamed");
  EXPECT_STREQ(get_control_text(number), "renamed");
}

TEST_F(ControlsTest, ClosingTheParentFreesEveryRecord) {
  create_edit_control(100, 0, 0, 80, 20, "", 0);
  create_text_control(45, 0, 30, 80, 20, "", 0);
  const ObjectNumber dynamic = create_button_control(ANY_NUMBER, 0, 60, 80, 20, "", 0);
  EXPECT_EQ(control_registry.core.capacity, 130);
  close_window(1);
  for (ObjectNumber number : {ObjectNumber{100}, ObjectNumber{45}, dynamic})
    EXPECT_EQ(find_record(control_registry, number), nullptr) << number;
  EXPECT_EQ(control_registry.core.dynamic.head, nullptr);

  set_control_parent(reinterpret_cast<HWND>(open_window(2, 0, 0, 200, 100, 0, "again", nullptr)));
  const HWND fresh = reinterpret_cast<HWND>(create_edit_control(100, 0, 0, 80, 20, "fresh", 0));
  ASSERT_NE(fresh, nullptr);
  EXPECT_EQ(GetParent(fresh), window_handle(2));
}

TEST_F(ControlsTest, FailedCreationsReturnZeroAndKeepNoRecord) {
  set_control_parent(nullptr);  // a child control needs a parent
  EXPECT_EQ(create_edit_control(5, 0, 0, 80, 20, "", 0), 0);
  EXPECT_EQ(create_button_control(ANY_NUMBER, 0, 0, 80, 20, "", 0), 0);
  EXPECT_EQ(find_record(control_registry, 5), nullptr);
  EXPECT_EQ(control_registry.core.dynamic.head, nullptr);
  set_control_parent(window_handle(1));
  EXPECT_EQ(create_edit_control(0x7FFFFFFF, 0, 0, 80, 20, "", 0), 0);
  EXPECT_EQ(control_registry.core.capacity, 30);
}
