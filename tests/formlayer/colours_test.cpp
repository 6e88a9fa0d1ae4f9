#include <tuple>

#include "tests/formlayer/formlayer_fixture.h"

using Colours = FormLayerTest;

// A bound control's colours paint it through its parent's WM_CTLCOLOR* answer, with one brush kept
// for it until it goes: the DC gets the text colour (not while the control is disabled) and the
// background, black as any other; without a background, or one out of range, the window answers.
TEST_F(Colours, ControlColoursPaintTheBoundControl) {
  HWND form = make_form(), edit = bound_child(form, 100);
  HDC dc = CreateCompatibleDC(nullptr);
  const COLORREF text = RGB(1, 2, 3), back = RGB(4, 5, 6), red = RGB(255, 0, 0), blue = RGB(0, 0, 255);
  const int too_big = COLOUR_WHITE + 1;
  // Background and text colour, whether the control is enabled; the DC's colours after.
  const std::tuple<int, int, BOOL, COLORREF, COLORREF> cases[] = {{COLOUR_NONE, red, TRUE, text, back},
                                                                  {0, red, TRUE, red, 0},
                                                                  {too_big, red, TRUE, text, back},
                                                                  {blue, COLOUR_NONE, FALSE, text, blue}};
  for (const auto& [background, text_colour, enabled, text_seen, back_seen] : cases) {
    EnableWindow(edit, enabled);
    SetTextColor(dc, text);
    SetBkColor(dc, back);
    set_control_colours(form, 100, background, text_colour);
    const LRESULT result = SendMessageA(form, WM_CTLCOLOREDIT, as_wparam(dc), as_lparam(edit));
    EXPECT_EQ(std::tuple(GetTextColor(dc), GetBkColor(dc)), std::tuple(text_seen, back_seen)) << background;
    EXPECT_EQ(result,
              back_seen != back ? SendMessageA(form, WM_CTLCOLOREDIT, 0, as_lparam(edit)) : PROC_RESULT);
  }
  const auto brush = reinterpret_cast<HGDIOBJ>(GetPropA(edit, PROP_BRUSH));
  EXPECT_EQ(GetObjectType(brush), static_cast<DWORD>(OBJ_BRUSH));
  DestroyWindow(edit);
  EXPECT_EQ(GetObjectType(brush), 0u) << "the brush goes with the control";
  DeleteDC(dc);
}
