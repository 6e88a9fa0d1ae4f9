#include <tuple>

#include "tests/formlayer/formlayer_fixture.h"

using Colours = FormLayerTest;

static INT_PTR stored(HWND window, const char* name) {
  return reinterpret_cast<INT_PTR>(GetPropA(window, name));
}

TEST_F(Colours, ControlColoursPaintTheBoundControl) {
  HWND form = make_form();
  HWND edit = bound_child(form, 100);
  HDC dc = CreateCompatibleDC(nullptr);
  const int red = RGB(255, 0, 0), blue = RGB(0, 0, 255);
  const COLORREF text = RGB(1, 2, 3), back = RGB(4, 5, 6);  // the DC's own colours
  // Background and text colour, whether the control is enabled, the DC it is painted with; the
  // DC's text and background colour after (background 1: nothing painted).
  const std::tuple<int, int, BOOL, HDC, COLORREF, COLORREF> cases[] = {
      {0, red, TRUE, dc, RGB(255, 0, 0), 0},
      {0, red, FALSE, dc, text, 0},  // a disabled control keeps the system's text colour
      {blue, red, TRUE, nullptr, text, back},
      {COLOUR_NONE, red, TRUE, dc, text, 1},
      {COLOUR_NONE, COLOUR_NONE, TRUE, dc, text, 1},
      {COLOUR_WHITE + 1, -2, TRUE, dc, text, 1},
  };
  HANDLE previous_brush = nullptr;
  for (const auto& [background, text_colour, enabled, painted_dc, text_seen, back_seen] : cases) {
    SCOPED_TRACE(testing::Message() << std::hex << background << " " << text_colour << " " << enabled);
    EnableWindow(edit, enabled);
    clear_message_log();
    set_control_colours(form, 100, background, text_colour);
    EXPECT_TRUE(log_matches({})) << "a hidden control is not repainted";
    EXPECT_EQ(GetObjectType(previous_brush), 0u) << "the old brush is deleted";
    EXPECT_EQ(stored(edit, PROP_BACKGROUND),
              background >= 0 && background <= COLOUR_WHITE ? background + 1 : 0);
    EXPECT_EQ(stored(edit, PROP_TEXT_COLOUR), text_colour >= 0 ? text_colour + 1 : 0);
    SetTextColor(dc, text);
    SetBkColor(dc, back);
    const LRESULT result = SendMessageA(form, WM_CTLCOLOREDIT, as_wparam(painted_dc), as_lparam(edit));
    if (back_seen != 1) {
      EXPECT_TRUE(log_matches({only(WM_CTLCOLOREDIT, "callback")}));
      EXPECT_EQ(result, stored(edit, PROP_BRUSH));
      EXPECT_EQ(GetObjectType(reinterpret_cast<HGDIOBJ>(result)), static_cast<DWORD>(OBJ_BRUSH));
      EXPECT_EQ(SendMessageA(form, WM_CTLCOLOREDIT, 0, as_lparam(edit)), result) << "one brush, kept";
    } else {
      EXPECT_TRUE(log_matches({only(WM_CTLCOLOREDIT, "callback"), only(WM_CTLCOLOREDIT, "proc")}));
      EXPECT_EQ(result, PROC_RESULT);
    }
    EXPECT_EQ(GetTextColor(dc), text_seen);
    EXPECT_EQ(GetBkColor(dc), back_seen == 1 ? back : back_seen);
    previous_brush = GetPropA(edit, PROP_BRUSH);
  }
  DeleteDC(dc);
}

TEST_F(Colours, WindowBackgroundIsPaintedOnEraseBackground) {
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, 8, 8);
  ReleaseDC(nullptr, screen);
  HGDIOBJ old_bitmap = SelectObject(dc, bitmap);
  for (const int background : {static_cast<int>(RGB(10, 200, 30)), 0, COLOUR_NONE}) {
    HWND window = make_form();
    set_control_colours(window, 0, background, COLOUR_NONE);
    PatBlt(dc, 0, 0, 8, 8, WHITENESS);
    clear_message_log();
    const LRESULT result = SendMessageA(window, WM_ERASEBKGND, as_wparam(dc), 0);
    if (background != COLOUR_NONE) {
      EXPECT_EQ(result, 1);
      EXPECT_EQ(GetPixel(dc, 4, 4), static_cast<COLORREF>(background));
      EXPECT_TRUE(log_matches({}));
    } else {
      EXPECT_EQ(result, PROC_RESULT);
      EXPECT_EQ(GetPixel(dc, 4, 4), RGB(255, 255, 255));
      EXPECT_TRUE(log_matches({only(WM_ERASEBKGND, "callback"), only(WM_ERASEBKGND, "proc")}));
    }
  }
  SelectObject(dc, old_bitmap);
  DeleteObject(bitmap);
  DeleteDC(dc);
}

// New colours show at once on a visible control (a hidden one is sent nothing, above).
TEST_F(Colours, AVisibleControlIsRepaintedAtOnce) {
  HWND form = make_form();
  HWND edit = bound_child(form, 100);
  ShowWindow(form, SW_SHOWNA);
  ShowWindow(edit, SW_SHOWNA);
  pump_messages();
  clear_message_log();
  set_control_colours(form, 100, 0, COLOUR_NONE);
  EXPECT_TRUE(log_matches({only(WM_ERASEBKGND, "proc")}));
}
