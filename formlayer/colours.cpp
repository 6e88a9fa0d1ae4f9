#include "formlayer/formlayer.h"

static bool is_colour(int colour) { return colour >= 0 && colour <= COLOUR_WHITE; }

// Colours are stored plus one so that black differs from an absent property.
static HANDLE stored_colour(int colour) { return reinterpret_cast<HANDLE>(static_cast<INT_PTR>(colour) + 1); }

static int read_stored_colour(HWND window, const char* name) {
  return static_cast<int>(reinterpret_cast<INT_PTR>(GetPropA(window, name)));
}

static HWND bound_control(HWND window, INT_PTR id) {
  char* key = compose_control_key(id);
  if (!key) return nullptr;
  auto control = static_cast<HWND>(GetPropA(window, key));
  scratch_release(key);
  return control;
}

static void repaint_now(HWND target) {
  RECT client;
  GetClientRect(target, &client);
  InvalidateRect(target, &client, TRUE);
  UpdateWindow(target);
}

int set_control_colours(HWND window, INT_PTR id, int background, int text_colour) {
  if (!window) return 0;
  HWND target = id ? bound_control(window, id) : window;
  if (!target) return 0;
  RemovePropA(target, PROP_BACKGROUND);
  RemovePropA(target, PROP_TEXT_COLOUR);
  if (HANDLE brush = RemovePropA(target, PROP_BRUSH)) DeleteObject(brush);
  if (is_colour(background)) {
    SetPropA(target, id ? PROP_BACKGROUND : PROP_ERASE_BACKGROUND, stored_colour(background));
  }
  if (is_colour(text_colour)) SetPropA(target, PROP_TEXT_COLOUR, stored_colour(text_colour));
  if (IsWindowVisible(target)) repaint_now(target);
  return 0;
}

HBRUSH control_colour_step(HWND control, HDC dc) {
  const int background = read_stored_colour(control, PROP_BACKGROUND);
  if (background <= 0) return nullptr;
  const auto colour = static_cast<COLORREF>(background - 1);
  if (dc) {
    const int text = read_stored_colour(control, PROP_TEXT_COLOUR);
    // A disabled control keeps the platform's grey text.
    if (text > 0 && IsWindowEnabled(control)) SetTextColor(dc, static_cast<COLORREF>(text - 1));
    SetBkColor(dc, colour);
  }
  auto brush = static_cast<HBRUSH>(GetPropA(control, PROP_BRUSH));
  if (!brush) {
    brush = CreateSolidBrush(colour);
    SetPropA(control, PROP_BRUSH, brush);
  }
  return brush;
}

bool erase_background_step(HWND window, HDC dc) {
  const int background = read_stored_colour(window, PROP_ERASE_BACKGROUND);
  if (background <= 0) return false;
  HBRUSH brush = CreateSolidBrush(static_cast<COLORREF>(background - 1));
  if (!brush) return false;
  RECT box{};
  GetClipBox(dc, &box);
  FillRect(dc, &box, brush);
  DeleteObject(brush);
  return true;
}
