#include <tuple>

#include "tests/formlayer/formlayer_fixture.h"

using Colours = FormLayerTest;

// A bound control's colours paint it through its parent's WM_CTLCOLOR* answer, with one brush kept
// for it: the DC gets the text colour (not while the control is disabled) and the background, black
// as any other; without a background, or one out of range, the window's procedure answers.
TEST_F(Colours, ControlColoursPaintTheBoundControl) {
  HWND form = make_form(), edit = bound_child(form, 100);
  HDC dc = CreateCompatibleDC(nullptr);
  const COLORREF text = RGB(1, 2, 3), back = RGB(4, 5, 6), red = RGB(255, 0, 0), blue = RGB(0, 0, 255);
  // Background and text colour, whether the control is enabled; the DC's colours after.
  const std::tuple<int, int, BOOL, COLORREF, COLORREF> cases[] = {{0, red, TRUE, red, 0},
                                                                  {blue, COLOUR_NONE, FALSE, text, blue},
                                                                  {COLOUR_NONE, red, TRUE, text, back},
                                                                  {COLOUR_WHITE + 1, red, TRUE, text, back}};
  for (const auto& [background, text_colour, enabled, text_seen, back_seen] : cases) {
    EnableWindow(edit, enabled);
    const HANDLE previous_brush = GetPropA(edit, PROP_BRUSH);
    set_control_colours(form, 100, background, text_colour);
    EXPECT_EQ(GetObjectType(previous_brush), 0u) << "the old brush is deleted";
    SetTextColor(dc, text);
    SetBkColor(dc, back);
    const LRESULT result = SendMessageA(form, WM_CTLCOLOREDIT, as_wparam(dc), as_lparam(edit));
    EXPECT_EQ(std::tuple(GetTextColor(dc), GetBkColor(dc)), std::tuple(text_seen, back_seen)) << background;
    const bool painted = back_seen != back;
    EXPECT_EQ(result, painted ? SendMessageA(form, WM_CTLCOLOREDIT, 0, as_lparam(edit)) : PROC_RESULT)
        << background;
    EXPECT_EQ(GetObjectType(reinterpret_cast<HGDIOBJ>(result)), painted ? OBJ_BRUSH : 0u);
  }
  DeleteDC(dc);
}
