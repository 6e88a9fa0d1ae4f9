#include "tests/e2e/changer_driver.h"

// The visible top-level window of the process with this class and title (null: any).
static HWND find_top_level(DWORD process_id, const char* class_name, const char* title) {
  for (HWND window = nullptr; (window = FindWindowExA(nullptr, window, class_name, title));) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == process_id && IsWindowVisible(window)) return window;
  }
  return nullptr;
}

// A program that stops answering fails the test instead of hanging it.
static LRESULT send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  DWORD_PTR result = 0;
  SendMessageTimeoutA(window, message, wParam, lParam, SMTO_ABORTIFHUNG, 5000, &result);
  return static_cast<LRESULT>(result);
}

// The whole text, however long: a box may hold tens of thousands of characters.
static std::string window_text(HWND window) {
  std::string text(send(window, WM_GETTEXTLENGTH, 0, 0) + 1, '\0');
  text.resize(send(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data())));
  return text;
}

ChangerDriver::~ChangerDriver() {
  if (running()) TerminateProcess(process.hProcess, 99);
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
}

bool ChangerDriver::start(const std::string& folder, const std::string& arguments) {
  std::string command_line = "\"" QRC_PROGRAM_PATH "\" " + arguments;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  return CreateProcessA(QRC_PROGRAM_PATH, command_line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.c_str(), &startup, &process) &&
         wait_until([&] {
           return (form = find_top_level(process.dwProcessId, nullptr, FORM_TITLE)) || !running();
         }) &&
         form;
}

std::string ChangerDriver::text(int id) const { return window_text(control(id)); }

bool ChangerDriver::shows(const std::string& width, const std::string& height) const {
  return wait_until([&] { return text(ID_WIDTH_BOX) == width && text(ID_HEIGHT_BOX) == height; });
}

void ChangerDriver::type(int id, const std::string& characters) const {
  set_text(id, "");
  for (char c : characters) send(control(id), WM_CHAR, static_cast<unsigned char>(c), 1);
}

void ChangerDriver::set_text(int id, const std::string& text) const {
  send(control(id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

MessageBoxSeen ChangerDriver::message_box(DWORD milliseconds) const {
  MessageBoxSeen seen;
  if (wait_until([&] { return (seen.box = find_top_level(process.dwProcessId, "#32770", nullptr)); },
                 milliseconds))
    seen.text = window_text(seen.box) + ": " + window_text(GetDlgItem(seen.box, 0xFFFF));
  return seen;
}

void ChangerDriver::press_ok(const MessageBoxSeen& box) const {
  PostMessageA(GetDlgItem(box.box, IDOK), BM_CLICK, 0, 0);
  wait_until([&] { return !IsWindow(box.box); });
}

bool ChangerDriver::press_keys(std::initializer_list<std::pair<WORD, bool>> keys) const {
  std::vector<INPUT> inputs;
  for (const auto& [key, down] : keys)
    inputs.push_back({INPUT_KEYBOARD, {.ki = {key, 0, down ? 0u : KEYEVENTF_KEYUP, 0, 0}}});
  SetForegroundWindow(form);
  return wait_until([&] { return GetForegroundWindow() == form; }) &&
         SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)) == inputs.size();
}

HWND ChangerDriver::focused_control() const {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  GetGUIThreadInfo(process.dwThreadId, &info);
  return info.hwndFocus;
}

DWORD ChangerDriver::wait_for_exit() const {
  DWORD code = STILL_ACTIVE;
  WaitForSingleObject(process.hProcess, 10000);
  GetExitCodeProcess(process.hProcess, &code);
  return code;
}
