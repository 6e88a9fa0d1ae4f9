#include "gui/gui.h"

ObjectList disabled_windows;

static BOOL CALLBACK disable_if_ours(HWND window, LPARAM) {
  if (GetWindowThreadProcessId(window, nullptr) != GetCurrentThreadId()) return TRUE;
  if (!IsWindowVisible(window) || !IsWindowEnabled(window)) return TRUE;
  // Recorded first: a window that could not be recorded would never be enabled again.
  auto* record = static_cast<DisabledWindowRecord*>(
      object_list_add(disabled_windows, sizeof(ObjectListNode) + sizeof(DisabledWindowRecord)));
  if (!record) return TRUE;
  record->thread_id = GetCurrentThreadId();
  record->window = window;
  EnableWindow(window, FALSE);
  return TRUE;
}

void disable_thread_windows() { EnumWindows(disable_if_ours, 0); }

// Every record of this thread, those of an outer box included.
void enable_thread_windows() {
  const DWORD thread = GetCurrentThreadId();
  for (ObjectListNode* node = disabled_windows.head; node;) {
    ObjectListNode* next = node->next;
    auto* record = static_cast<DisabledWindowRecord*>(object_list_payload(node));
    if (record->thread_id == thread) {
      EnableWindow(record->window, TRUE);
      object_list_remove(disabled_windows, record);
    }
    node = next;
  }
}

HWND message_box_owner() {
  HWND foreground = GetForegroundWindow();
  if (!foreground) return nullptr;
  DWORD process = 0;
  GetWindowThreadProcessId(foreground, &process);
  return process == GetCurrentProcessId() ? foreground : nullptr;
}

int show_message_box(const char* caption, const char* text, UINT type) {
  disable_thread_windows();
  HWND owner = message_box_owner();
  const int result = MessageBoxA(owner, text, caption, type);
  enable_thread_windows();
  // The box gives the activation back to its owner while the owner is still disabled, which no control can
  // take the focus in: it is given back now.
  if (owner && GetActiveWindow() == owner && !IsChild(owner, GetFocus()) && !restore_focus(owner))
    SetFocus(owner);
  return result;
}

int show_message(const char* caption, const char* text) { return show_message_box(caption, text, MB_OK); }
