#include <string_view>

#include "formlayer/formlayer.h"

// A key that reaches the area's last byte may have been cut short, and a cut key could
// name another binding, so it is refused.
static char* finished_key(char* start) {
  if (scratch_cursor < scratch_last_byte()) return start;
  scratch_release(start);
  return nullptr;
}

char* compose_control_key(INT_PTR id) {
  char* start = scratch_append(PROP_ID);
  number_to_text(id, scratch_cursor);
  return finished_key(start);
}

char* compose_event_key(INT_PTR message, INT_PTR code) {
  char* start = scratch_append(PROP_EVENT_PREFIX);
  number_to_text(message, scratch_cursor);
  scratch_append("_");
  number_to_text(code, scratch_cursor);
  return finished_key(start);
}

HANDLE find_event_handler(HWND carrier, INT_PTR message, INT_PTR code) {
  char* key = compose_event_key(message, code);
  if (!key) return nullptr;
  HANDLE handler = GetPropA(carrier, key);
  scratch_release(key);
  return handler;
}

INT_PTR bind_control_id(HWND window, HWND control, INT_PTR id, int background, int text_colour) {
  if (char* key = compose_control_key(id)) {
    SetPropA(window, key, control);
    scratch_release(key);
  }
  SetPropA(control, PROP_ID, reinterpret_cast<HANDLE>(id));
  set_control_colours(window, id, background, text_colour);
  return 0;
}

int bind_event_handler(HWND window, int message, int code, void* handler) {
  if (!IsWindow(window)) return 0;
  char* key = compose_event_key(message, code);
  if (!key) return 0;
  int done = 1;
  if (handler) {
    done = SetPropA(window, key, handler) ? 1 : 0;
  } else {
    RemovePropA(window, key);
  }
  scratch_release(key);
  return done;
}

INT_PTR get_control_id(HWND window) { return reinterpret_cast<INT_PTR>(GetPropA(window, PROP_ID)); }

// A name below 0x10000 is an atom, not text, and is never the layer's. The name needs no
// copy: RemovePropA reads it before the property it may belong to goes.
BOOL CALLBACK cleanup_property_proc(HWND window, LPCSTR name, HANDLE) {
  if (IS_INTRESOURCE(name)) return TRUE;
  if (std::string_view(name).starts_with(SWEPT_PREFIX)) RemovePropA(window, name);
  return TRUE;
}
