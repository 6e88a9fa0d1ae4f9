#include "gui/gui.h"

SizingState sizing_state;

// Left alone until the sizing mode arrives.
LRESULT sizing_handler(HWND, UINT, WPARAM, LPARAM) { return UNHANDLED_RESULT; }
