#include "tests/e2e/changer_driver.h"

#include <vector>

std::string program_path() { return QRC_PROGRAM_PATH; }

bool wait_until(const std::function<bool()>& condition, DWORD milliseconds) {
  const DWORD until = GetTickCount() + milliseconds;
  for (;;) {
    if (condition()) return true;
    if (static_cast<LONG>(until - GetTickCount()) <= 0) return false;
    Sleep(20);
  }
}

namespace {

struct WindowSearch {
  DWORD process_id;
  const char* class_name;  // null: any class
  const char* title;       // null: any title
  HWND found;
};

BOOL CALLBACK match_window(HWND window, LPARAM parameter) {
  auto& search = *reinterpret_cast<WindowSearch*>(parameter);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (process != search.process_id || !IsWindowVisible(window)) return TRUE;
  char text[256] = "";
  if (search.class_name) {
    GetClassNameA(window, text, sizeof text);
    if (lstrcmpA(text, search.class_name) != 0) return TRUE;
  }
  if (search.title) {
    GetWindowTextA(window, text, sizeof text);
    if (lstrcmpA(text, search.title) != 0) return TRUE;
  }
  search.found = window;
  return FALSE;
}

HWND find_top_level(DWORD process_id, const char* class_name, const char* title) {
  WindowSearch search{process_id, class_name, title, nullptr};
  EnumWindows(match_window, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// The whole text, however long: a box may hold a paste of tens of thousands of characters.
std::string window_text(HWND window) {
  DWORD_PTR length = 0;
  SendMessageTimeoutA(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length);
  std::string text(length + 1, '\0');
  DWORD_PTR copied = 0;
  SendMessageTimeoutA(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                      SMTO_ABORTIFHUNG, 5000, &copied);
  text.resize(copied);
  return text;
}

}  // namespace

ChangerDriver::~ChangerDriver() {
  if (!process.hProcess) return;
  if (WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(process.hProcess, 99);
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
}

bool ChangerDriver::start(const std::string& folder, const std::string& arguments) {
  std::string command_line = "\"" + program_path() + "\"" + (arguments.empty() ? "" : " " + arguments);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  if (!CreateProcessA(program_path().c_str(), command_line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      folder.c_str(), &startup, &process))
    return false;
  wait_until([&] {
    form = find_top_level(process.dwProcessId, nullptr, FORM_TITLE);
    return form != nullptr || WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0;
  });
  // The boxes are filled after the form appears; the program is ready once it waits for input.
  if (form) WaitForInputIdle(process.hProcess, 10000);
  return form != nullptr;
}

std::string ChangerDriver::text(int id) const { return window_text(control(id)); }

// A program that stops answering fails the test instead of hanging it.
static void send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  SendMessageTimeoutA(window, message, wParam, lParam, SMTO_ABORTIFHUNG, 5000, nullptr);
}

void ChangerDriver::type(int id, const std::string& characters) const {
  HWND box = control(id);
  send(box, EM_SETSEL, 0, -1);
  send(box, WM_CHAR, VK_BACK, 1);
  for (char c : characters) send(box, WM_CHAR, static_cast<unsigned char>(c), 1);
}

void ChangerDriver::paste(int id, const std::string& clipboard_text) const {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, clipboard_text.size() + 1);
  CopyMemory(GlobalLock(block), clipboard_text.c_str(), clipboard_text.size() + 1);
  GlobalUnlock(block);
  wait_until([] { return OpenClipboard(nullptr) != FALSE; });
  EmptyClipboard();
  SetClipboardData(CF_TEXT, block);
  CloseClipboard();
  HWND box = control(id);
  send(box, EM_SETSEL, 0, -1);
  send(box, WM_PASTE, 0, 0);
}

// Posted, as a mouse click is queued: a handler that shows a box does not block the driver.
void ChangerDriver::click(int id) const { PostMessageA(control(id), BM_CLICK, 0, 0); }

MessageBoxSeen ChangerDriver::wait_for_message_box(DWORD milliseconds) const {
  MessageBoxSeen seen;
  wait_until([&] { return (seen.box = find_top_level(process.dwProcessId, "#32770", nullptr)) != nullptr; },
             milliseconds);
  if (!seen.box) return seen;
  seen.caption = window_text(seen.box);
  // The box's message text is its static control with the id 0xFFFF.
  seen.text = window_text(GetDlgItem(seen.box, 0xFFFF));
  return seen;
}

void ChangerDriver::press_ok(const MessageBoxSeen& box) const {
  PostMessageA(GetDlgItem(box.box, IDOK), BM_CLICK, 0, 0);
  wait_until([&] { return !IsWindow(box.box); });
}

bool ChangerDriver::press_keys(std::initializer_list<std::pair<WORD, bool>> keys) const {
  SetForegroundWindow(form);
  if (!wait_until([&] { return GetForegroundWindow() == form; }, 5000)) return false;
  std::vector<INPUT> inputs;
  for (const auto& [key, down] : keys) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
    inputs.push_back(input);
  }
  return SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)) == inputs.size();
}

HWND ChangerDriver::focused_control() const {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  GetGUIThreadInfo(process.dwThreadId, &info);
  return info.hwndFocus;
}

DWORD ChangerDriver::wait_for_exit(DWORD milliseconds) const {
  WaitForSingleObject(process.hProcess, milliseconds);
  DWORD code = STILL_ACTIVE;
  GetExitCodeProcess(process.hProcess, &code);
  return code;
}
