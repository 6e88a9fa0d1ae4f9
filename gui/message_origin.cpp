#include <algorithm>

#include "gui/gui.h"

void push_pending(PendingMessages& pending, const PendingMessage& message) {
  if (pending.count == pending.entries.size()) forget_pending(pending, &pending.entries[0]);
  pending.entries[pending.count++] = message;
}

PendingMessage* newest_pending(PendingMessages& pending, HWND window) {
  for (std::size_t i = pending.count; i-- > 0;)
    if (pending.entries[i].window == window) return &pending.entries[i];
  return nullptr;
}

void forget_pending(PendingMessages& pending, PendingMessage* message) {
  std::copy(message + 1, pending.entries.data() + pending.count, message);
  --pending.count;
}

bool is_pending_message(const PendingMessage* entry, HWND window, UINT message, WPARAM wParam,
                        LPARAM lParam) {
  return entry && entry->window == window && entry->message == message && entry->wParam == wParam &&
         entry->lParam == lParam;
}

namespace {

// The thread's own sends that a hook announced and that have not arrived yet.
PendingMessages own_sends;

bool is_asked_about(UINT message) {
  return message == WM_NOTIFY || message == WM_DESTROY || message == WM_NCDESTROY;
}

}  // namespace

void announce_own_send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (!is_asked_about(message)) return;
  // A window is destroyed once: a second hook's announcement of the same destruction adds nothing.
  if (message != WM_NOTIFY &&
      is_pending_message(newest_pending(own_sends, window), window, message, wParam, lParam))
    return;
  // Sends to windows that are gone, which no procedure of the library took, make room first.
  for (std::size_t i = own_sends.count; i-- > 0;)
    if (!IsWindow(own_sends.entries[i].window)) forget_pending(own_sends, &own_sends.entries[i]);
  push_pending(own_sends, {window, message, wParam, lParam});
}

bool take_own_send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  for (std::size_t i = own_sends.count; i-- > 0;) {
    PendingMessage* entry = &own_sends.entries[i];
    if (!is_pending_message(entry, window, message, wParam, lParam)) continue;
    forget_pending(own_sends, entry);
    return true;
  }
  return false;
}
