// Windows of a test class whose procedure logs as "proc", a form callback that logs as
// "callback", handlers that log their arguments, and the hook installed for each test.
#pragma once

#include <string>
#include <vector>

#include "formlayer/formlayer.h"
#include "tests/support/message_log.h"
#include "tests/support/test_support.h"

// The test procedure's answer to the messages a test sends, told apart from the layer's.
inline constexpr LRESULT PROC_RESULT = 4242;

inline ExpectedMessage only(UINT message, const char* where) { return {message, where, CHECK_MESSAGE, 0, 0}; }
inline ExpectedMessage exactly(UINT message, const char* where, WPARAM wParam, LPARAM lParam) {
  return {message, where, CHECK_BOTH, wParam, lParam};
}
template <typename... Row>
std::vector<ExpectedMessage> rows(Row... row) {
  return {row...};
}

// Handlers log {id, kind, window, third argument}; the scroll handler adds
// {code, "position", position, control}.
LRESULT log_command(HWND window, INT_PTR id);
LRESULT notify_consumes(HWND window, INT_PTR id, NMHDR* header);
LRESULT notify_passes(HWND window, INT_PTR id, NMHDR* header);
LRESULT log_focus(HWND window, INT_PTR id, WPARAM other_window);
LRESULT log_scroll(HWND parent, INT_PTR id, int code, int position, HWND control);
LRESULT log_form_callback(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Run by the test procedure at WM_NCDESTROY, when set.
extern void (*at_ncdestroy)(HWND window);
// Every message the form callback was given, logged or not.
extern std::vector<UINT> callback_messages;

WNDPROC test_procedure();
// As EnumPropsA reports them; a name given as an atom reads "#atom".
std::vector<std::string> property_names(HWND window);
bool has_property(HWND window, const std::string& name);
bool any_starts_with(const std::vector<std::string>& names, const std::string& prefix);

class FormLayerTest : public testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  // Hidden, so that no focus or paint message of the system's own gets in the log.
  HWND make_window(HWND parent = nullptr, INT_PTR id = 0);
  std::vector<HWND> windows;
};
