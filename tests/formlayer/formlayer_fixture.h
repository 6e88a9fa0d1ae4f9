// Windows of a test class whose procedure logs as "proc", a form callback that logs as
// "callback", handlers that log their arguments, and the hook installed for each test.
#pragma once

#include <set>
#include <string>
#include <vector>

#include "formlayer/formlayer.h"

#include <commctrl.h>
#include "tests/support/message_log.h"
#include "tests/support/test_support.h"

// The test procedure's answer to the messages a test sends, told apart from the layer's.
inline constexpr LRESULT PROC_RESULT = 4242;

inline WPARAM as_wparam(const void* handle) { return reinterpret_cast<WPARAM>(handle); }
inline LPARAM as_lparam(const void* pointer) { return reinterpret_cast<LPARAM>(pointer); }

inline bool watched(UINT message) {
  return message == WM_COMMAND || message == WM_NOTIFY || message == WM_SETFOCUS ||
         message == WM_CTLCOLOREDIT || message == WM_APP;
}

inline LRESULT CALLBACK test_procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  // The end of a window is logged as WM_APP + 1.
  if (message == WM_NCDESTROY) log_message(WM_APP + 1, "proc", 0, 0);
  if (!watched(message)) return DefWindowProcA(window, message, wParam, lParam);
  log_message(message, "proc", wParam, lParam);
  return PROC_RESULT;
}

inline LRESULT log_form_callback(HWND, UINT message, WPARAM wParam, LPARAM lParam) {
  if (watched(message)) log_message(message, "callback", wParam, lParam);
  return 0;
}

// Handlers log {id, kind, window, their last argument}.
inline LRESULT log_command(HWND window, INT_PTR id) {
  log_message(static_cast<UINT>(id), "command", as_wparam(window), 0);
  return 1;
}
inline LRESULT notify_consumes(HWND window, INT_PTR id, NMHDR* header) {
  log_message(static_cast<UINT>(id), "notify", as_wparam(window), as_lparam(header));
  return header->code == NM_CLICK;
}
inline LRESULT log_focus(HWND window, INT_PTR id, WPARAM other_window) {
  log_message(static_cast<UINT>(id), "focus", as_wparam(window), static_cast<LPARAM>(other_window));
  return 1;
}
inline BOOL CALLBACK collect_property_name(HWND, LPSTR name, HANDLE, ULONG_PTR names) {
  if (!IS_INTRESOURCE(name)) reinterpret_cast<std::set<std::string>*>(names)->insert(name);
  return TRUE;
}
inline std::set<std::string> property_names(HWND window) {
  std::set<std::string> names;
  EnumPropsExA(window, collect_property_name, as_lparam(&names));
  return names;
}

class FormLayerTest : public testing::Test {
 protected:
  void SetUp() override {
    static const bool ready = [] {
      init_runtime_for_tests();
      init_windows();
      init_controls();
      WNDCLASSA window_class{};
      window_class.lpfnWndProc = test_procedure;
      window_class.hInstance = program_module;
      window_class.lpszClassName = "FormLayerTestWindow";
      return RegisterClassA(&window_class) != 0;
    }();
    ASSERT_TRUE(ready);
    install_interception_hook();
    pump_messages();
    message_log.clear();
  }
  // Hidden, so that no focus or paint message of the system's own gets in the log.
  HWND make_window(HWND parent = nullptr, INT_PTR id = 0) {
    return CreateWindowExA(0, "FormLayerTestWindow", "", parent ? WS_CHILD : WS_OVERLAPPED, 0, 0, 40, 40,
                           parent, reinterpret_cast<HMENU>(id), program_module, nullptr);
  }
  // A window whose form callback is set, as load_form leaves it, or a child bound on a form under
  // id, as the form's control list binds its controls.
  HWND make_form(FormCallback callback = log_form_callback) {
    HWND form = make_window();
    SetPropA(form, PROP_FORM_CALLBACK, reinterpret_cast<HANDLE>(callback));
    return form;
  }
  HWND bound_child(HWND form, INT_PTR id) {
    HWND child = make_window(form, id);
    bind_control_id(form, child, id, COLOUR_NONE, COLOUR_NONE);
    return child;
  }
};
