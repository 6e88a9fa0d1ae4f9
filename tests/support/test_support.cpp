#include "tests/support/test_support.h"

void init_runtime_for_tests() {
  program_module = GetModuleHandleA(nullptr);
  create_main_heap();
  create_object_heap();
  init_files();
  init_scratch();
}

std::string test_program_folder() {
  char path[MAX_PATH];
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string folder(path, length);
  return folder.substr(0, folder.find_last_of('\\') + 1);
}

TempFolder::TempFolder() {
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  static int serial = 0;
  for (;;) {
    path = std::string(temp) + "qrc_test_" + std::to_string(GetCurrentProcessId()) + "_" +
           std::to_string(++serial) + "\\";
    if (CreateDirectoryA(path.c_str(), nullptr)) break;
  }
  char current[MAX_PATH];
  GetCurrentDirectoryA(MAX_PATH, current);
  previous = current;
  SetCurrentDirectoryA(path.c_str());
}

TempFolder::~TempFolder() {
  SetCurrentDirectoryA(previous.c_str());
  remove_tree(path);
}

void remove_tree(const std::string& path) {
  std::string folder = path;
  if (!folder.empty() && folder.back() != '\\') folder += '\\';
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + "*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const std::string name = found.cFileName;
      if (name == "." || name == "..") continue;
      const std::string child = folder + name;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        remove_tree(child);
      } else {
        SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(child.c_str());
      }
    } while (FindNextFileA(search, &found));
    FindClose(search);
  }
  RemoveDirectoryA(folder.c_str());
}

const Bytes SAMPLE_CONFIG = {0x51, 0x55, 0x41, 0x52, 0x01, 0x02, 0x03, 0x04, 0x00,
                             0x04, 0x00, 0x03, 0xAA, 0xBB, 0xCC, 0xDD, 0xEE, 0xFF};

Bytes with_resolution(Bytes bytes, int width, int height) {
  bytes[8] = static_cast<unsigned char>(width);
  bytes[9] = static_cast<unsigned char>(width >> 8);
  bytes[10] = static_cast<unsigned char>(height);
  bytes[11] = static_cast<unsigned char>(height >> 8);
  return bytes;
}

bool write_file_bytes(const std::string& path, const Bytes& bytes) {
  HANDLE file =
      CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const BOOL ok =
      bytes.empty() || WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
  return ok && written == bytes.size();
}

Bytes read_file_bytes(const std::string& path) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return {};
  Bytes bytes(GetFileSize(file, nullptr));
  DWORD read = 0;
  if (!bytes.empty()) ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
  CloseHandle(file);
  bytes.resize(read);
  return bytes;
}

bool file_exists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool can_open(const char* name, DWORD access, DWORD share) {
  HANDLE other = CreateFileA(name, access, share, nullptr, OPEN_EXISTING, 0, nullptr);
  if (other == INVALID_HANDLE_VALUE) return false;
  CloseHandle(other);
  return true;
}

void pump_messages(DWORD settle_milliseconds) {
  const DWORD until = GetTickCount() + settle_milliseconds;
  MSG message;
  do {
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
    if (settle_milliseconds) MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
  } while (static_cast<LONG>(until - GetTickCount()) > 0);
}

static BOOL CALLBACK close_own_message_box(HWND window, LPARAM closer) {
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  char class_name[16] = "";
  GetClassNameA(window, class_name, sizeof class_name);
  if (process == GetCurrentProcessId() && lstrcmpA(class_name, "#32770") == 0 && IsWindowVisible(window)) {
    PostMessageA(window, WM_COMMAND, IDOK, 0);
    InterlockedIncrement(&reinterpret_cast<MessageBoxCloser*>(closer)->count);
  }
  return TRUE;
}

static DWORD WINAPI close_message_boxes(void* parameter) {
  auto* closer = static_cast<MessageBoxCloser*>(parameter);
  while (WaitForSingleObject(closer->stop, 50) == WAIT_TIMEOUT)
    EnumWindows(close_own_message_box, reinterpret_cast<LPARAM>(closer));
  return 0;
}

MessageBoxCloser::MessageBoxCloser() : count(0) {
  stop = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  thread = CreateThread(nullptr, 0, close_message_boxes, this, 0, nullptr);
}

MessageBoxCloser::~MessageBoxCloser() {
  SetEvent(stop);
  WaitForSingleObject(thread, INFINITE);
  CloseHandle(thread);
  CloseHandle(stop);
}

int MessageBoxCloser::closed() const { return count; }
