#include "tests/formlayer/formlayer_fixture.h"

using Colours = FormLayerTest;

static INT_PTR stored(HWND window, const char* name) {
  return reinterpret_cast<INT_PTR>(GetPropA(window, name));
}

TEST_F(Colours, ControlColoursPaintTheBoundControl) {
  HWND form = make_window();
  HWND edit = make_window(form, 100);
  SetPropA(form, PROP_FORM_CALLBACK, reinterpret_cast<HANDLE>(log_form_callback));
  bind_control_id(form, edit, 100, COLOUR_NONE, COLOUR_NONE);
  HDC dc = CreateCompatibleDC(nullptr);
  const COLORREF red = RGB(255, 0, 0), blue = RGB(0, 0, 255), preset_text = RGB(1, 2, 3),
                 preset_back = RGB(4, 5, 6);
  struct Case {
    const char* name;
    int background, text;
    bool enabled, with_dc, painted;
    COLORREF text_seen, back_seen;
  };
  const Case cases[] = {
      {"red on black", 0, static_cast<int>(red), true, true, true, red, 0},
      {"disabled keeps its text colour", 0, static_cast<int>(red), false, true, true, preset_text, 0},
      {"no device context", static_cast<int>(blue), static_cast<int>(red), true, false, true, preset_text,
       preset_back},
      {"text colour alone", COLOUR_NONE, static_cast<int>(red), true, true, false, preset_text, preset_back},
      {"colours removed", COLOUR_NONE, COLOUR_NONE, true, true, false, preset_text, preset_back},
      {"white, then out of range", COLOUR_WHITE + 1, -2, true, true, false, preset_text, preset_back},
  };
  HANDLE previous_brush = nullptr;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EnableWindow(edit, c.enabled);
    set_control_colours(form, 100, c.background, c.text);
    if (previous_brush) {
      EXPECT_EQ(GetObjectType(previous_brush), 0u);
    }
    EXPECT_EQ(stored(edit, PROP_BACKGROUND),
              c.background >= 0 && c.background <= COLOUR_WHITE ? c.background + 1 : 0);
    EXPECT_EQ(stored(edit, PROP_TEXT_COLOUR), c.text >= 0 ? c.text + 1 : 0);
    SetTextColor(dc, preset_text);
    SetBkColor(dc, preset_back);
    clear_message_log();
    const LRESULT result = SendMessageA(form, WM_CTLCOLOREDIT, c.with_dc ? reinterpret_cast<WPARAM>(dc) : 0,
                                        reinterpret_cast<LPARAM>(edit));
    if (c.painted) {
      EXPECT_TRUE(log_matches({only(WM_CTLCOLOREDIT, "callback")}));
      EXPECT_EQ(result, stored(edit, PROP_BRUSH));
      EXPECT_EQ(GetObjectType(reinterpret_cast<HGDIOBJ>(result)), static_cast<DWORD>(OBJ_BRUSH));
      EXPECT_EQ(SendMessageA(form, WM_CTLCOLOREDIT, 0, reinterpret_cast<LPARAM>(edit)), result);
    } else {
      EXPECT_TRUE(log_matches({only(WM_CTLCOLOREDIT, "callback"), only(WM_CTLCOLOREDIT, "proc")}));
      EXPECT_EQ(result, PROC_RESULT);
    }
    EXPECT_EQ(GetTextColor(dc), c.text_seen);
    EXPECT_EQ(GetBkColor(dc), c.back_seen);
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
  struct Case {
    const char* name;
    int background;
    LRESULT result;
    COLORREF pixel;
  };
  const Case cases[] = {
      {"green", static_cast<int>(RGB(10, 200, 30)), 1, RGB(10, 200, 30)},
      {"black", 0, 1, RGB(0, 0, 0)},
      {"none", COLOUR_NONE, PROC_RESULT, RGB(255, 255, 255)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    HWND window = make_window();
    SetPropA(window, PROP_FORM_CALLBACK, reinterpret_cast<HANDLE>(log_form_callback));
    set_control_colours(window, 0, c.background, COLOUR_NONE);
    PatBlt(dc, 0, 0, 8, 8, WHITENESS);
    clear_message_log();
    EXPECT_EQ(SendMessageA(window, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0), c.result);
    EXPECT_EQ(GetPixel(dc, 4, 4), c.pixel);
    if (c.result == 1) {
      EXPECT_TRUE(log_matches({}));
    } else {
      EXPECT_TRUE(log_matches({only(WM_ERASEBKGND, "callback"), only(WM_ERASEBKGND, "proc")}));
    }
  }
  SelectObject(dc, old_bitmap);
  DeleteObject(bitmap);
  DeleteDC(dc);
}
