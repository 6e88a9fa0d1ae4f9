#include "tests/formlayer/formlayer_fixture.h"

#include <algorithm>

void (*at_ncdestroy)(HWND window);
std::vector<UINT> callback_messages;

static bool watched(UINT message) {
  switch (message) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_CTLCOLOREDIT:
    case WM_ERASEBKGND:
    case WM_APP:
    case WM_DESTROY:
    case WM_NCDESTROY:
      return true;
  }
  return false;
}

static LRESULT CALLBACK logging_procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (!watched(message)) return DefWindowProcA(window, message, wParam, lParam);
  log_message(message, "proc", wParam, lParam);
  if (message == WM_NCDESTROY && at_ncdestroy) at_ncdestroy(window);
  if (message == WM_DESTROY || message == WM_NCDESTROY)
    return DefWindowProcA(window, message, wParam, lParam);
  return PROC_RESULT;
}

WNDPROC test_procedure() { return logging_procedure; }

LRESULT log_form_callback(HWND, UINT message, WPARAM wParam, LPARAM lParam) {
  callback_messages.push_back(message);
  if (watched(message)) log_message(message, "callback", wParam, lParam);
  return 0;
}

static void log_handler(INT_PTR id, const char* kind, HWND window, LPARAM third) {
  log_message(static_cast<UINT>(id), kind, reinterpret_cast<WPARAM>(window), third);
}

LRESULT log_command(HWND window, INT_PTR id) {
  log_handler(id, "command", window, 0);
  return 1;
}

LRESULT notify_consumes(HWND window, INT_PTR id, NMHDR* header) {
  log_handler(id, "notify", window, reinterpret_cast<LPARAM>(header));
  return 1;
}

LRESULT notify_passes(HWND window, INT_PTR id, NMHDR* header) {
  notify_consumes(window, id, header);
  return 0;
}

LRESULT log_focus(HWND window, INT_PTR id, WPARAM other_window) {
  log_handler(id, "focus", window, static_cast<LPARAM>(other_window));
  return 1;
}

LRESULT log_scroll(HWND parent, INT_PTR id, int code, int position, HWND control) {
  log_handler(id, "scroll", parent, 0);
  log_message(code, "position", position, reinterpret_cast<LPARAM>(control));
  return 1;
}

static BOOL CALLBACK collect_name(HWND, LPSTR name, HANDLE, ULONG_PTR names) {
  reinterpret_cast<std::vector<std::string>*>(names)->push_back(
      IS_INTRESOURCE(name) ? "#" + std::to_string(reinterpret_cast<UINT_PTR>(name)) : name);
  return TRUE;
}

std::vector<std::string> property_names(HWND window) {
  std::vector<std::string> names;
  EnumPropsExA(window, collect_name, reinterpret_cast<LPARAM>(&names));
  return names;
}

bool has_property(HWND window, const std::string& name) {
  const std::vector<std::string> names = property_names(window);
  return std::find(names.begin(), names.end(), name) != names.end();
}

bool any_starts_with(const std::vector<std::string>& names, const std::string& prefix) {
  return std::any_of(names.begin(), names.end(),
                     [&](const std::string& name) { return name.starts_with(prefix); });
}

static constexpr char TEST_CLASS[] = "FormLayerTestWindow";

void FormLayerTest::SetUp() {
  static bool ready = false;
  if (!ready) {
    init_runtime_for_tests();
    init_windows();
    init_controls();
    WNDCLASSA window_class{};
    window_class.lpfnWndProc = logging_procedure;
    window_class.hInstance = program_module;
    window_class.lpszClassName = TEST_CLASS;
    RegisterClassA(&window_class);
    ready = true;
  }
  install_interception_hook();
  pump_messages();
  clear_message_log();
  callback_messages.clear();
}

void FormLayerTest::TearDown() {
  at_ncdestroy = nullptr;
  for (auto it = windows.rbegin(); it != windows.rend(); ++it)
    if (IsWindow(*it)) DestroyWindow(*it);
}

HWND FormLayerTest::make_window(HWND parent, INT_PTR id) {
  windows.push_back(CreateWindowExA(0, TEST_CLASS, "", parent ? WS_CHILD : WS_OVERLAPPED, 0, 0, 40, 40,
                                    parent, reinterpret_cast<HMENU>(id), program_module, nullptr));
  return windows.back();
}
