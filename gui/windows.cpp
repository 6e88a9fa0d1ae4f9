#include <array>

#include "gui/gui.h"

NumberedRegistry<WindowRecord> window_registry;
HWND control_parent;

// Every window class is a clone of this one; only the name differs.
static WNDCLASSA class_template;
// "WindowClass_" and the number in decimal, sign included.
static char class_name[40];

enum PlacementMode { PLACE_AS_GIVEN, PLACE_SCREEN_CENTRE, PLACE_ACTIVE_CENTRE };

static constexpr DWORD CAPTION_FOR_BARE_FLAGS = WS_CAPTION;

static constexpr ACCEL TAB_ACCELERATORS[] = {
    {FVIRTKEY | FNOINVERT, VK_TAB, CMD_NEXT_CONTROL},
    {FVIRTKEY | FNOINVERT | FSHIFT, VK_TAB, CMD_PREVIOUS_CONTROL},
};
static constexpr int TAB_ACCELERATOR_COUNT = sizeof TAB_ACCELERATORS / sizeof TAB_ACCELERATORS[0];

// The window the library destroys now, null when none.
static HWND window_being_destroyed;

// Numbers of windows destroyed with their parent or owner, whose classes are unregistered once the
// windows are gone; beyond this many at once a class stays registered until the program ends.
static std::array<ObjectNumber, 16> orphaned_classes;
static std::size_t orphaned_class_count;

// The number is formatted pointer-wide, so two dynamic windows never share a class name.
static const char* format_class_name(ObjectNumber number) {
  char* digits = scratch_cursor;
  number_to_text(number, digits);
  wsprintfA(class_name, "WindowClass_%s", digits);
  scratch_release(digits);
  return class_name;
}

bool init_windows() {
  const bool table = registry_init(window_registry, WINDOW_REGISTRY_SETTINGS);
  current_event = {};
  control_parent = nullptr;

  class_template = {};
  class_template.style = CS_DBLCLKS;
  class_template.lpfnWndProc = window_procedure;
  class_template.hInstance = program_module;
  class_template.hIcon = LoadIconA(program_module, MAKEINTRESOURCEA(1));
  class_template.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  // Unregistering a class deletes its brush, and every class shares this one: a system colour brush
  // is never deleted.
  class_template.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  class_template.lpszClassName = "TemplateClass";
  RegisterClassA(&class_template);
  class_template.lpszClassName = class_name;

  set_teardown_windows_step(close_all_windows);
  return table;
}

static DWORD decode_flags(DWORD flags, PlacementMode& mode) {
  mode = PLACE_AS_GIVEN;
  if (flags & WINDOW_CENTRE_SCREEN) {
    flags &= ~WINDOW_CENTRE_SCREEN;
    mode = PLACE_SCREEN_CENTRE;
  }
  if (flags & WINDOW_CENTRE_ACTIVE) {
    flags &= ~WINDOW_CENTRE_ACTIVE;
    mode = PLACE_ACTIVE_CENTRE;
  }
  if (flags == 0 || flags == WINDOW_HIDDEN) flags |= CAPTION_FOR_BARE_FLAGS;
  return flags ^ WINDOW_HIDDEN;
}

static int centre_on_screen(int metric, int outer) {
  const int screen = GetSystemMetrics(metric);
  // The clamp only keeps a window wider than the screen at the edge; its size stays.
  const int size = outer < screen ? outer : screen;
  return (screen >> 1) - (size >> 1);
}

static POINT place_window(PlacementMode mode, int x, int y, int outer_width, int outer_height) {
  HWND active = mode == PLACE_ACTIVE_CENTRE ? GetActiveWindow() : nullptr;
  if (mode == PLACE_ACTIVE_CENTRE && !active) mode = PLACE_SCREEN_CENTRE;
  if (mode == PLACE_SCREEN_CENTRE)
    return {centre_on_screen(SM_CXSCREEN, outer_width), centre_on_screen(SM_CYSCREEN, outer_height)};
  if (mode == PLACE_ACTIVE_CENTRE) {
    RECT around;
    GetWindowRect(active, &around);
    const int left = around.left - (outer_width >> 1) + ((around.right - around.left) >> 1);
    const int top = around.top - (outer_height >> 1) + ((around.bottom - around.top) >> 1);
    return {left < 0 ? 0 : left, top < 0 ? 0 : top};
  }
  return {x, y};
}

static void create_tab_accelerators(ObjectNumber number) {
  WindowRecord* record = find_record(window_registry, number);
  if (!record) return;
  auto* entries = static_cast<ACCEL*>(HeapAlloc(main_heap, 0, sizeof TAB_ACCELERATORS));
  if (!entries) return;
  for (int i = 0; i < TAB_ACCELERATOR_COUNT; ++i) entries[i] = TAB_ACCELERATORS[i];
  record->accelerator_count = TAB_ACCELERATOR_COUNT;
  record->accelerator_entries = entries;
  record->accelerator_table = CreateAcceleratorTableA(entries, TAB_ACCELERATOR_COUNT);
}

static void unregister_orphaned_classes() {
  for (std::size_t i = 0; i < orphaned_class_count; ++i)
    UnregisterClassA(format_class_name(orphaned_classes[i]), program_module);
  orphaned_class_count = 0;
}

INT_PTR open_window(ObjectNumber number, int x, int y, int width, int height, DWORD flags, const char* title,
                    HWND parent) {
  unregister_orphaned_classes();
  const bool dynamic = number == ANY_NUMBER;
  WindowRecord* record = claim_for_open(window_registry, number, close_window);
  if (!record) return 0;

  // Kept apart from the shared buffer: creation may open or close other windows.
  char own_class[sizeof class_name];
  lstrcpyA(own_class, format_class_name(number));
  RegisterClassA(&class_template);

  PlacementMode mode;
  const DWORD style = decode_flags(flags, mode);
  RECT outer{x, y, x + width, y + height};
  AdjustWindowRect(&outer, style, FALSE);
  const int outer_width = outer.right - outer.left;
  const int outer_height = outer.bottom - outer.top;
  const POINT at = place_window(mode, x, y, outer_width, outer_height);

  HWND handle = CreateWindowExA(0, own_class, title, style, at.x, at.y, outer_width, outer_height, parent,
                                nullptr, program_module, nullptr);
  // Creation sends messages whose handlers may move the table; the slot is looked up anew.
  record = dynamic ? record : claim_record(window_registry, number);
  if (!handle) {
    UnregisterClassA(own_class, program_module);
    // A table record is free already; a dynamic one, new or kept for a reopening, goes.
    release_record(window_registry, number);
    return 0;
  }
  record->handle = handle;
  create_tab_accelerators(number);
  return dynamic ? number : reinterpret_cast<INT_PTR>(handle);
}

static void release_window(ObjectNumber number) {
  const WindowRecord* record = find_record(window_registry, number);
  if (!record) return;
  if (record->accelerator_count != 0) {
    HeapFree(main_heap, 0, record->accelerator_entries);
    DestroyAcceleratorTable(record->accelerator_table);
  }
  release_record(window_registry, number);
}

void release_destroyed_window(HWND handle) {
  const ObjectNumber number = find_window_number(handle);
  if (number == -1) return;
  // close_window unregisters the class of the window it closes itself.
  if (handle != window_being_destroyed && orphaned_class_count < orphaned_classes.size())
    orphaned_classes[orphaned_class_count++] = number;
  release_window(number);
}

bool is_foreign_destruction(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
  return (message == WM_DESTROY || message == WM_NCDESTROY) &&
         !take_own_send(handle, message, wParam, lParam);
}

// While the library destroys a window, it announces the thread's own destruction messages itself, for a
// caller without a hook that does; a message another thread sends meanwhile is still another's.
static LRESULT CALLBACK destruction_hook(int code, WPARAM wParam, LPARAM lParam) {
  const LRESULT result = CallNextHookEx(nullptr, code, wParam, lParam);
  const auto* sent = reinterpret_cast<const CWPSTRUCT*>(lParam);
  if (code >= 0 && wParam && sent && (sent->message == WM_DESTROY || sent->message == WM_NCDESTROY))
    announce_own_send(sent->hwnd, sent->message, sent->wParam, sent->lParam);
  return result;
}

void destroy_library_window(HWND handle, void (*free)(HWND handle)) {
  const HWND outer = window_being_destroyed;
  window_being_destroyed = handle;
  const HHOOK hook = SetWindowsHookExA(WH_CALLWNDPROC, destruction_hook, nullptr, GetCurrentThreadId());
  if (free) {
    free(handle);
  } else {
    DestroyWindow(handle);
  }
  if (hook) UnhookWindowsHookEx(hook);
  window_being_destroyed = outer;
}

void close_window(ObjectNumber number) {
  const WindowRecord* record = find_record(window_registry, number);
  if (!record) return;
  const HWND closing = record->handle;

  HWND owner = GetWindow(closing, GW_OWNER);
  if (owner) SetActiveWindow(owner);
  destroy_library_window(closing, nullptr);
  UnregisterClassA(format_class_name(number), program_module);

  // The window's procedure released the record at WM_NCDESTROY, unless the window was not destroyed or
  // its procedure was replaced; a handler run by the destruction may have opened another under the number.
  record = find_record(window_registry, number);
  if (record && record->handle == closing) release_window(number);
  unregister_orphaned_classes();
}

void close_all_windows() {
  close_dynamic_records(window_registry, close_window);
  for (ObjectNumber slot = window_registry.core.capacity - 1; slot >= 0; --slot) close_window(slot);
}

HWND window_handle(ObjectNumber number) { return read_record(window_registry, number).handle; }

HWND set_control_parent(HWND handle) {
  control_parent = handle;
  return handle;
}

ObjectNumber find_window_number(HWND handle) {
  if (!handle) return -1;
  for (ObjectListNode* node = window_registry.core.dynamic.head; node; node = node->next) {
    auto* record = static_cast<WindowRecord*>(object_list_payload(node));
    if (record->handle == handle) return dynamic_number(record);
  }
  const auto* table = reinterpret_cast<const WindowRecord*>(window_registry.core.table);
  for (ObjectNumber slot = 0; table && slot < window_registry.core.capacity; ++slot)
    if (table[slot].handle == handle) return slot;
  return -1;
}

HACCEL window_accelerators(HWND handle) {
  const ObjectNumber number = find_window_number(handle);
  if (number == -1) return nullptr;
  return read_record(window_registry, number).accelerator_table;
}
