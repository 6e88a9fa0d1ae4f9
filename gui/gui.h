// Window and control library: numbered windows and controls, the event loop, the sizing
// mode and the message box that is modal over all of the thread's windows.
#pragma once

#include <array>

#include "runtime/runtime.h"

// ---- Windows -------------------------------------------------------------------------

struct WindowRecord {
  HWND handle;  // null: the record is free
  INT_PTR accelerator_count;
  ACCEL* accelerator_entries;  // from main_heap
  HACCEL accelerator_table;
  HWND focus;  // the control that had the focus when the window was last deactivated
};

enum WindowFlags : DWORD {
  WINDOW_CENTRE_SCREEN = 0x00000001,
  WINDOW_CENTRE_ACTIVE = 0x00000002,
  WINDOW_HIDDEN = 0x10000000,  // WS_VISIBLE, inverted
};

enum AcceleratorCommand : WORD {
  CMD_NEXT_CONTROL = 1212,
  CMD_PREVIOUS_CONTROL = 1213,
};

extern NumberedRegistry<WindowRecord> window_registry;
// The parent of the controls created from now on (set_control_parent).
extern HWND control_parent;

// Returns whether the registry's table was had.
bool init_windows();
// The handle for a number of the caller's, the dynamic number for ANY_NUMBER, 0 on failure.
// width and height are those of the client area.
INT_PTR open_window(ObjectNumber number, int x, int y, int width, int height, DWORD flags, const char* title,
                    HWND parent);
void close_window(ObjectNumber number);
// Frees the window's accelerators and releases its record; window_procedure runs it at WM_NCDESTROY,
// so that a window destroyed by its parent or owner gives up its number as a control does. Its class
// goes at the next open or close, once the window is gone.
void release_destroyed_window(HWND handle);
// Any program can send or post WM_DESTROY and WM_NCDESTROY. Only those of a destruction the thread
// carries out may go on to the window's class and release what the library holds; every other one is
// foreign, and is answered with 0. Each arrival is asked about once.
bool is_foreign_destruction(HWND handle, UINT message, WPARAM wParam, LPARAM lParam);
// Destroys a library window or control with free (null: DestroyWindow). Its destruction, and that of
// every window that goes with it, is the thread's own even when no hook announces the sends.
void destroy_library_window(HWND handle, void (*free)(HWND handle));
// Dynamic windows first, newest first, then table slots from the top down.
void close_all_windows();
HWND window_handle(ObjectNumber number);
// Sets the parent of the controls created from now on; returns it.
HWND set_control_parent(HWND handle);
HACCEL window_accelerators(HWND handle);
// Dynamic windows newest first, then slots from 0 upward; -1 when no record has the handle.
ObjectNumber find_window_number(HWND handle);

// ---- Controls ------------------------------------------------------------------------

struct ControlOps {
  void (*free)(HWND handle);
  LRESULT (*get_state)(HWND handle);
  LRESULT (*set_state)(HWND handle, WPARAM state);
  char* (*get_text)(HWND handle);
  void (*set_text)(HWND handle, const char* text);
};

struct ControlRecord {
  HWND handle;  // null: the record is free
  const ControlOps* operations;
  INT_PTR reserved;
  WNDPROC previous_procedure;
};

inline constexpr DWORD CONTROL_FLAG_EDGE = 0x20000;
// The most characters get_control_text reads.
inline constexpr int CONTROL_TEXT_MAX = 31999;

extern NumberedRegistry<ControlRecord> control_registry;
extern HFONT default_gui_font;

// Returns whether the registry's table was had.
bool init_controls();
// The handle for a number of the caller's, the dynamic number for ANY_NUMBER, 0 on failure.
INT_PTR create_edit_control(ObjectNumber number, int x, int y, int width, int height, const char* text,
                            DWORD flags);
INT_PTR create_button_control(ObjectNumber number, int x, int y, int width, int height, const char* text,
                              DWORD flags);
INT_PTR create_text_control(ObjectNumber number, int x, int y, int width, int height, const char* text,
                            DWORD flags);
void free_control(ObjectNumber number);
void set_control_text(ObjectNumber number, const char* text);
// Appends the text at the scratch cursor and leaves the cursor on its zero; returns where
// it begins. A number that names no control reads as the empty text.
char* get_control_text(ObjectNumber number);
LRESULT CALLBACK control_subclass_proc(HWND handle, UINT message, WPARAM wParam, LPARAM lParam);

// ---- Events --------------------------------------------------------------------------

enum EventCode : INT_PTR {
  EVENT_NONE = 0,
  EVENT_SIZE_WINDOW = 5,
  EVENT_CLOSE_WINDOW = 16,
  EVENT_CONTROL = 13100,
  EVENT_MENU = 13101,
  EVENT_MOUSE_NOTIFY = 13102,
};

enum EventType : INT_PTR {
  EVENT_TYPE_NONE = -1,
  EVENT_TYPE_LEFT_CLICK = 0,
  EVENT_TYPE_RIGHT_CLICK = 1,
  EVENT_TYPE_LEFT_DOUBLE_CLICK = 2,
  EVENT_TYPE_RIGHT_DOUBLE_CLICK = 3,
};

enum LibraryMessage : UINT {
  MSG_MOUSE_NOTIFY = 12501,
  MSG_MOUSE_NOTIFY_QUEUED = 12502,
  MSG_SIZE_QUEUED = 12504,
};

inline constexpr INT_PTR MENU_SOURCE_ID = -10000;

struct EventState {
  INT_PTR code;
  INT_PTR type;
  HWND window;
  INT_PTR control;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};

extern EventState current_event;

// Blocks for the next message, dispatches it and returns the event it produced, or the
// raw message number.
INT_PTR wait_window_event();
ObjectNumber event_window();
INT_PTR event_control();
LRESULT CALLBACK window_procedure(HWND handle, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT translate_event(HWND handle, UINT message, WPARAM wParam, LPARAM lParam);
HWND root_window(HWND handle);
void focus_next_control();
void focus_previous_control();
// As the dialog manager does: a library window that loses activation remembers which of its controls had
// the focus, and gives it back when it is activated again, or to its first control that takes the focus when
// that one is gone or cannot take it. Restoring says whether a control of the window has the focus now.
void remember_focus(HWND window);
bool restore_focus(HWND window);

// ---- Where a message came from ------------------------------------------------------

// Messages on their way to their windows, newest last. More than this many at once is no real
// program's; the oldest, most likely one that never came, makes room.
struct PendingMessage {
  HWND window;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};

struct PendingMessages {
  std::array<PendingMessage, 16> entries;
  std::size_t count;
};

void push_pending(PendingMessages& pending, const PendingMessage& message);
// The newest message on its way to the window, or null.
PendingMessage* newest_pending(PendingMessages& pending, HWND window);
void forget_pending(PendingMessages& pending, PendingMessage* message);
bool is_pending_message(const PendingMessage* entry, HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Only the thread's own sends may do what these messages can: a WM_NOTIFY's lParam is read as a
// header, and WM_DESTROY and WM_NCDESTROY free what the library holds. A posted message, or one sent
// by another thread or process, may point into another process and destroys nothing. A thread hook
// sees every sent message and no posted one: it announces each of the thread's own sends just
// before it arrives. Without such a hook nothing is the thread's own but the destructions the
// library carries out itself.
void announce_own_send(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Whether the thread sent this message, which has arrived; an announcement answers once.
bool take_own_send(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// ---- Sizing mode ---------------------------------------------------------------------

inline constexpr int SIZING_STEP = 10;
inline constexpr int SIZING_GRIP_OFFSET = 2;

struct SizingState {
  int active;
  int edge;  // 0 (none yet) or WMSZ_LEFT .. WMSZ_BOTTOMRIGHT
  RECT tracking;
  RECT start;
  MINMAXINFO limits;
  POINT start_cursor;
  int restore_cursor;
  // The window being sized; messages of other windows never move it or end the mode.
  HWND window;
};

extern SizingState sizing_state;

// UNHANDLED_RESULT when it left the message alone, 0 when it acted on it.
LRESULT sizing_handler(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
void set_sizing_cursor(int shape, int x, int y);
void track_sizing_to(HWND window, int x, int y);
void update_sizing_rectangle(int x, int y);
void move_window_to_rectangle(HWND window, const RECT& rectangle);

// ---- Message box ---------------------------------------------------------------------

struct DisabledWindowRecord {
  DWORD thread_id;
  HWND window;
};

extern ObjectList disabled_windows;

// Modal over every visible, enabled top-level window of the calling thread.
int show_message_box(const char* caption, const char* text, UINT type);
int show_message(const char* caption, const char* text);
void disable_thread_windows();
void enable_thread_windows();
HWND message_box_owner();
