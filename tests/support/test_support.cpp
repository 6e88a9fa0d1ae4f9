#include "tests/support/test_support.h"

#include <atomic>
#include <fstream>
#include <iterator>
#include <thread>

void init_runtime_for_tests() {
  program_module = GetModuleHandleA(nullptr);
  create_main_heap();
  create_object_heap();
  init_files();
  init_scratch();
}

std::string test_program_folder() {
  char path[MAX_PATH];
  const std::string program(path, GetModuleFileNameA(nullptr, path, MAX_PATH));
  return program.substr(0, program.find_last_of('\\') + 1);
}

TempFolder::TempFolder() {
  static int serial = 0;
  std::filesystem::path folder;
  do {
    folder = std::filesystem::temp_directory_path() /
             ("qrc_" + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(++serial));
  } while (!std::filesystem::create_directory(folder));
  path = folder.string() + "\\";
  std::filesystem::current_path(folder);
}

TempFolder::~TempFolder() {
  std::filesystem::current_path(previous);
  std::error_code ignored;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(path, ignored))
    std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::add, ignored);
  std::filesystem::remove_all(path, ignored);
}

const Bytes SAMPLE_CONFIG = {0x51, 0x55, 0x41, 0x52, 0x01, 0x02, 0x03, 0x04, 0x00,
                             0x05, 0xD0, 0x02, 0xAA, 0xBB, 0xCC, 0xDD, 0xEE, 0xFF};

Bytes with_resolution(Bytes bytes, int width, int height) {
  bytes.resize(std::max<size_t>(bytes.size(), 12));
  for (int i = 0; i < 2; ++i) {
    bytes[8 + i] = static_cast<unsigned char>(width >> 8 * i);
    bytes[10 + i] = static_cast<unsigned char>(height >> 8 * i);
  }
  return bytes;
}

bool write_file_bytes(const std::string& path, const Bytes& bytes) {
  std::ofstream file(path, std::ios::binary);
  file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return file.good();
}

Bytes read_file_bytes(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

bool can_open(const char* name, DWORD access, DWORD share) {
  HANDLE other = CreateFileA(name, access, share, nullptr, OPEN_EXISTING, 0, nullptr);
  return other != INVALID_HANDLE_VALUE && CloseHandle(other);
}

bool wait_until(const std::function<bool()>& condition, DWORD milliseconds) {
  // After a failure the checks that follow wait only briefly, so that a caught fault fails in seconds.
  if (testing::Test::HasFailure() && milliseconds > 500) milliseconds = 500;
  for (const DWORD until = GetTickCount() + milliseconds;; Sleep(20)) {
    if (condition()) return true;
    if (static_cast<LONG>(until - GetTickCount()) <= 0) return false;
  }
}

bool bring_to_front(HWND window) {
  const DWORD front = GetWindowThreadProcessId(GetForegroundWindow(), nullptr);
  const bool own = GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId();
  const DWORD from = own ? front : GetCurrentThreadId(), to = own ? GetCurrentThreadId() : front;
  const bool attached = front && front != GetCurrentThreadId() && AttachThreadInput(from, to, TRUE);
  SetForegroundWindow(window);
  if (attached) AttachThreadInput(from, to, FALSE);
  return wait_until([&] { return GetForegroundWindow() == window; }, 5000);
}

void pump_messages(DWORD settle_milliseconds) {
  const DWORD until = GetTickCount() + settle_milliseconds;
  MSG message;
  do {
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
  } while (static_cast<LONG>(until - GetTickCount()) > 0);
}

bool run_on_another_thread(const std::function<void()>& work) {
  std::atomic<bool> done = false;
  std::thread thread([&] {
    work();
    done = true;
  });
  const bool ended = wait_until([&] {
    pump_messages(0);
    return done.load();
  });
  thread.join();
  return ended;
}
