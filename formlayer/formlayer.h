// Form event layer: forms opened by name with twips geometry, handlers and colours bound
// to windows as window properties, and the thread hook that dispatches to them.
#pragma once

#include <type_traits>

#include "gui/gui.h"

// ---- Handler kinds -------------------------------------------------------------------

using CommandHandler = LRESULT (*)(HWND window, INT_PTR control_id);
using NotifyHandler = LRESULT (*)(HWND window, INT_PTR control_id, NMHDR* header);
using FocusHandler = LRESULT (*)(HWND window, INT_PTR id, WPARAM other_window);
using ScrollHandler = LRESULT (*)(HWND parent, INT_PTR control_id, int scroll_code, int position,
                                  HWND control);
using FormCallback = LRESULT (*)(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The handler kind each dispatched message calls; void (nothing can be bound) for any
// other message.
template <UINT Message>
using HandlerKind = std::conditional_t<
    Message == WM_COMMAND, CommandHandler,
    std::conditional_t<Message == WM_NOTIFY, NotifyHandler,
                       std::conditional_t<Message == WM_SETFOCUS || Message == WM_KILLFOCUS, FocusHandler,
                                          std::conditional_t<Message == WM_HSCROLL || Message == WM_VSCROLL,
                                                             ScrollHandler, void>>>>;

// ---- Property bindings ---------------------------------------------------------------

inline constexpr int COLOUR_NONE = -1;

// Window-property names of the layer. Names beginning with SWEPT_PREFIX die with their
// window; the hook removes its own two by name; the exemption marker is only ever read.
inline constexpr char SWEPT_PREFIX[] = "KVQ_";
inline constexpr char PROP_ID[] = "KVQ_ID";
inline constexpr char PROP_EVENT_PREFIX[] = "KVQ_EVT_";
inline constexpr char PROP_BACKGROUND[] = "KVQ_BC";
inline constexpr char PROP_TEXT_COLOUR[] = "KVQ_FC";
inline constexpr char PROP_BRUSH[] = "KVQ_BRSH";
inline constexpr char PROP_ERASE_BACKGROUND[] = "KVQ_BCEB";
inline constexpr char PROP_BAD_CONTROL[] = "KVQ_BADCTRL";
inline constexpr char PROP_FORM_CALLBACK[] = "GXT_TSKHKN";
inline constexpr char PROP_SAVED_PROCEDURE[] = "GXT_TSKHKO";
inline constexpr char PROP_HOOK_EXEMPT[] = "WJ_TASKHOOKWND";

// Keys are built at the scratch cursor and released by the caller with scratch_release;
// null (and nothing to release) when the area had no room for the whole key.
char* compose_control_key(INT_PTR id);
char* compose_event_key(INT_PTR message, INT_PTR code);
// The handler bound on carrier for (message, code), or null; leaves the scratch area as it was.
HANDLE find_event_handler(HWND carrier, INT_PTR message, INT_PTR code);

INT_PTR bind_control_id(HWND window, HWND control, INT_PTR id, int background, int text_colour);
// Stores (or, for a null handler, removes) the handler for (message, code) on window.
// Returns 1 when that was done, 0 when window does not exist or the scratch area had no room
// for the key. Use bind_handler to have the kind checked.
int bind_event_handler(HWND window, int message, int code, void* handler);

template <UINT Message>
int bind_handler(HWND window, int code, HandlerKind<Message> handler) {
  return bind_event_handler(window, static_cast<int>(Message), code, reinterpret_cast<void*>(handler));
}

INT_PTR get_control_id(HWND window);
BOOL CALLBACK cleanup_property_proc(HWND window, LPCSTR name, HANDLE data);

// ---- Interception hook ---------------------------------------------------------------

extern HHOOK hook_handle;
extern bool hook_removal_requested;

void install_interception_hook();
// At once, unlike request_hook_removal, which waits for the next WM_NCDESTROY.
void remove_interception_hook();
void request_hook_removal();
LRESULT CALLBACK interception_hook(int code, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK one_shot_subclass_proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// ---- Colours -------------------------------------------------------------------------

inline constexpr int COLOUR_WHITE = 0xFFFFFF;

int set_control_colours(HWND window, INT_PTR id, int background, int text_colour);
// The control's brush for a WM_CTLCOLOR* message, after setting the DC's colours; null
// when the control has no background colour (or no brush could be made).
HBRUSH control_colour_step(HWND control, HDC dc);
// Fills the DC's clipping box with the window's erase-background colour; false when the
// window has none (or no brush could be made).
bool erase_background_step(HWND window, HDC dc);

// ---- Forms ---------------------------------------------------------------------------

inline constexpr int TWIPS_PER_INCH = 1440;

inline constexpr char FORM_NAME[] = "FORM1";
inline constexpr char FORM_TITLE[] = "Quarvelton Resolution Changer";
inline constexpr DWORD FORM_FLAGS_TOP_LEVEL =
    WINDOW_CENTRE_SCREEN | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX;
inline constexpr DWORD FORM_FLAGS_CHILD = WS_CHILD | 0x400;

// Upper case, then spaces trimmed at both ends: "form1" and " FORM1 " name FORM1.
void normalise_form_name(StringVariable& name);
HWND load_form(const char* name, FormCallback callback);
HWND open_form_window(const char* name, HWND parent, int as_child, FormCallback callback);
// Twips to pixels at the given dots per inch, with the rounding of the screen conversions.
int twips_to_pixels(int twips, int dots_per_inch);
int twips_to_pixels_x(int twips);
int twips_to_pixels_y(int twips);

// Creates a form's controls once its window exists; the application supplies it.
INT_PTR create_form_controls(HWND window, const char* form_name);
