#include "gui/gui.h"

#include <commctrl.h>

NumberedRegistry<ControlRecord> control_registry;
HFONT default_gui_font;

static LRESULT button_get_state(HWND handle) { return SendMessageA(handle, BM_GETCHECK, 0, 0); }

static LRESULT button_set_state(HWND handle, WPARAM state) {
  return SendMessageA(handle, BM_SETCHECK, state, 0);
}

static constexpr ControlOps EDIT_OPERATIONS{};
static constexpr ControlOps BUTTON_OPERATIONS{nullptr, button_get_state, button_set_state, nullptr, nullptr};
static constexpr ControlOps TEXT_OPERATIONS{};

struct ControlKind {
  const char* class_name;
  DWORD base_style;
  DWORD extended_style;            // without CONTROL_FLAG_EDGE
  DWORD extended_style_with_edge;  // with it
  const ControlOps* operations;
};

// CONTROL_FLAG_EDGE is WS_GROUP, which every base style has already: it only swaps the edge.
static constexpr ControlKind EDIT_KIND{"EDIT", WS_CHILD | WS_VISIBLE | WS_GROUP | WS_TABSTOP | ES_AUTOHSCROLL,
                                       WS_EX_CLIENTEDGE, 0, &EDIT_OPERATIONS};
static constexpr ControlKind BUTTON_KIND{"BUTTON", WS_CHILD | WS_VISIBLE | WS_GROUP | WS_TABSTOP, 0, 0,
                                         &BUTTON_OPERATIONS};
static constexpr ControlKind TEXT_KIND{"STATIC", WS_CHILD | WS_VISIBLE | WS_GROUP, 0, WS_EX_CLIENTEDGE,
                                       &TEXT_OPERATIONS};
static_assert(EDIT_KIND.base_style == 0x50030080 && TEXT_KIND.base_style == 0x50020000);

bool init_controls() {
  const bool table = registry_init(control_registry, CONTROL_REGISTRY_SETTINGS);
  default_gui_font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  InitCommonControls();
  return table;
}

static INT_PTR create_control(const ControlKind& kind, ObjectNumber number, int x, int y, int width,
                              int height, const char* text, DWORD flags) {
  const DWORD style = flags | kind.base_style;
  const DWORD extended = (flags & CONTROL_FLAG_EDGE) ? kind.extended_style_with_edge : kind.extended_style;
  const bool dynamic = number == ANY_NUMBER;
  ControlRecord* record = claim_for_open(control_registry, number, free_control);
  if (!record) return 0;

  // The number is the control's id, so that notifications name it in full.
  HWND handle = CreateWindowExA(extended, kind.class_name, text, style, x, y, width, height, control_parent,
                                reinterpret_cast<HMENU>(number), program_module, nullptr);
  // Destroying the old control and creating the new one run handlers that may move the table.
  if (!dynamic) record = claim_record(control_registry, number);
  if (!handle) {
    // A table record is free already; a dynamic one, new or kept for a reopening, goes.
    release_record(control_registry, number);
    return 0;
  }
  record->handle = handle;
  record->operations = kind.operations;
  record->reserved = 0;
  record->previous_procedure = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(handle, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(control_subclass_proc)));
  SendMessageA(handle, WM_SETFONT, reinterpret_cast<WPARAM>(default_gui_font), TRUE);
  return dynamic ? number : reinterpret_cast<INT_PTR>(handle);
}

INT_PTR create_edit_control(ObjectNumber number, int x, int y, int width, int height, const char* text,
                            DWORD flags) {
  return create_control(EDIT_KIND, number, x, y, width, height, text, flags);
}

INT_PTR create_button_control(ObjectNumber number, int x, int y, int width, int height, const char* text,
                              DWORD flags) {
  return create_control(BUTTON_KIND, number, x, y, width, height, text, flags);
}

INT_PTR create_text_control(ObjectNumber number, int x, int y, int width, int height, const char* text,
                            DWORD flags) {
  return create_control(TEXT_KIND, number, x, y, width, height, text, flags);
}

void free_control(ObjectNumber number) {
  const ControlRecord* record = find_record(control_registry, number);
  if (!record) return;
  destroy_library_window(record->handle, record->operations ? record->operations->free : nullptr);
}

LRESULT CALLBACK control_subclass_proc(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
  const ObjectNumber number = GetWindowLongPtrA(handle, GWLP_ID);
  const ControlRecord* record = find_record(control_registry, number);
  if (!record || record->handle != handle || !record->previous_procedure)
    return DefWindowProcA(handle, message, wParam, lParam);
  const WNDPROC previous = record->previous_procedure;
  // Passed on, another's would make an edit box free its text and take no more.
  if (is_foreign_destruction(handle, message, wParam, lParam)) return 0;
  if (message == WM_NCDESTROY) release_record(control_registry, number);
  return CallWindowProcA(previous, handle, message, wParam, lParam);
}

void set_control_text(ObjectNumber number, const char* text) {
  const ControlRecord* record = find_record(control_registry, number);
  if (!record) return;
  if (record->operations && record->operations->set_text) {
    record->operations->set_text(record->handle, text);
  } else {
    SetWindowTextA(record->handle, text);
  }
}

// At most CONTROL_TEXT_MAX characters, and never past the last byte of the scratch area.
static char* read_window_text(HWND handle) {
  char* start = scratch_append("");
  const INT_PTR room = scratch_last_byte() - start + 1;
  const int size = room < CONTROL_TEXT_MAX + 1 ? static_cast<int>(room) : CONTROL_TEXT_MAX + 1;
  int copied = GetWindowTextA(handle, start, size);
  if (copied < 0) copied = 0;
  if (copied > size - 1) copied = size - 1;
  scratch_cursor = start + copied;
  *scratch_cursor = 0;
  return start;
}

char* get_control_text(ObjectNumber number) {
  const ControlRecord* record = find_record(control_registry, number);
  if (!record) return scratch_append("");
  if (record->operations && record->operations->get_text) return record->operations->get_text(record->handle);
  return read_window_text(record->handle);
}
