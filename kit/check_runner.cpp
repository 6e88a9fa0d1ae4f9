// The check kit's runner, started by run-checks.cmd: runs every test of every test program in its own
// folder, each test in a process of its own as ctest does, and writes checks-report.txt beside itself:
// the machine, then each test's result with the failure text of each that fails, then the counts.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// As long as ctest gives a test; a test that takes longer is stopped and counts as failed.
constexpr DWORD TEST_TIME_LIMIT = 300000;

struct Result {
  std::string name;
  std::string outcome;  // "passed", "failed" or "skipped"
  std::string output;   // what the test printed, kept for a failure or a skip
};

fs::path kit_folder() {
  char path[MAX_PATH];
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  return fs::path(path).parent_path();
}

// Runs the command line in the kit's folder; its output (both streams), process id and exit code. A
// process that outlives the limit is ended, with exit code STILL_ACTIVE.
DWORD run(const std::string& command_line, std::string& output, DWORD& process_id, DWORD limit) {
  SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
  HANDLE read_end = nullptr, write_end = nullptr;
  CreatePipe(&read_end, &write_end, &inherited, 0);
  SetHandleInformation(read_end, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = startup.hStdError = write_end;
  PROCESS_INFORMATION process{};
  std::string line = command_line;
  const std::string folder = kit_folder().string();
  const BOOL started = CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                      folder.c_str(), &startup, &process);
  CloseHandle(write_end);
  DWORD code = STILL_ACTIVE;
  if (!started) {
    output = "could not start: " + command_line + "\n";
    CloseHandle(read_end);
    return code;
  }
  process_id = process.dwProcessId;
  // The output is read on while the test runs, so that a full pipe never stops it; a program the test
  // started may hold the pipe open after the test has ended.
  const DWORD until = GetTickCount() + limit;
  char buffer[4096];
  for (bool ended = false;;) {
    DWORD available = 0, got = 0;
    if (PeekNamedPipe(read_end, nullptr, 0, nullptr, &available, nullptr) && available &&
        ReadFile(read_end, buffer, sizeof buffer, &got, nullptr)) {
      output.append(buffer, got);
      continue;
    }
    if (ended) break;
    ended = WaitForSingleObject(process.hProcess, 50) == WAIT_OBJECT_0;
    if (!ended && static_cast<LONG>(until - GetTickCount()) <= 0) {
      TerminateProcess(process.hProcess, STILL_ACTIVE);
      output += "\nstopped after " + std::to_string(limit / 1000) + " s\n";
      ended = true;
    }
  }
  WaitForSingleObject(process.hProcess, 5000);
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  CloseHandle(read_end);
  return code;
}

// The text's lines, without the carriage returns of Windows' line ends.
std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream stream(text);
  for (std::string line; std::getline(stream, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

// The test names a program lists: "Suite." lines, each followed by its tests, indented.
std::vector<std::string> list_tests(const fs::path& program) {
  std::string listing;
  DWORD process_id = 0;
  run("\"" + program.string() + "\" --gtest_list_tests", listing, process_id, 60000);
  std::vector<std::string> names;
  std::string suite;
  for (const std::string& line : lines_of(listing)) {
    const std::string name = line.substr(0, line.find("  #"));
    if (name.empty() || name.starts_with("Running main()")) continue;
    if (name[0] != ' ') {
      suite = name;
    } else {
      names.push_back(suite + name.substr(name.find_first_not_of(' ')));
    }
  }
  return names;
}

// The game folders a test left under the temporary folder when it failed, named by its process id.
void remove_left_folders(DWORD process_id) {
  const std::string prefix = "qrc_" + std::to_string(process_id) + "_";
  std::error_code ignored;
  for (const auto& entry : fs::directory_iterator(fs::temp_directory_path(ignored), ignored)) {
    if (!entry.path().filename().string().starts_with(prefix)) continue;
    for (const auto& inner : fs::recursive_directory_iterator(entry.path(), ignored))
      fs::permissions(inner.path(), fs::perms::owner_write, fs::perm_options::add, ignored);
    fs::remove_all(entry.path(), ignored);
  }
}

// Through void*, as the compiler will not cast one function type to another.
template <typename Function>
Function ntdll_function(const char* name) {
  return reinterpret_cast<Function>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), name)));
}

std::string windows_version() {
  using GetVersion = LONG(WINAPI*)(OSVERSIONINFOW*);
  using WineVersion = const char*(__cdecl*)();
  OSVERSIONINFOW version{};
  version.dwOSVersionInfoSize = sizeof version;
  if (auto get = ntdll_function<GetVersion>("RtlGetVersion")) get(&version);
  std::string text = "Windows " + std::to_string(version.dwMajorVersion) + "." +
                     std::to_string(version.dwMinorVersion) + ", build " +
                     std::to_string(version.dwBuildNumber);
  DWORD revision = 0, size = sizeof revision;
  if (RegGetValueA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", "UBR",
                   RRF_RT_REG_DWORD, nullptr, &revision, &size) == ERROR_SUCCESS)
    text += "." + std::to_string(revision);
  if (auto wine = ntdll_function<WineVersion>("wine_get_version"))
    text += std::string(" (Wine ") + wine() + ")";
  return text;
}

int screen_dpi() {
  SetProcessDPIAware();
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
  ReleaseDC(nullptr, screen);
  return dpi;
}

bool runs_as_administrator() {
  BYTE group[SECURITY_MAX_SID_SIZE];
  DWORD size = sizeof group;
  BOOL member = FALSE;
  return CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, group, &size) &&
         CheckTokenMembership(nullptr, group, &member) && member;
}

// Double-clicked, the console is the kit's own and closes when it ends: it holds this process and the
// cmd.exe of run-checks.cmd alone.
bool console_is_our_own() {
  DWORD processes[3];
  DWORD mode = 0;
  return GetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), &mode) && GetConsoleProcessList(processes, 3) <= 2;
}

}  // namespace

int main() {
  const fs::path folder = kit_folder();
  std::vector<fs::path> programs;
  for (const auto& entry : fs::directory_iterator(folder)) {
    // Files unpacked from a download carry its zone, and the shell would ask before each start of the
    // stand-in game (copies carry it too); running the kit is the user's yes.
    DeleteFileA((entry.path().string() + ":Zone.Identifier").c_str());
    if (entry.path().filename().string().ends_with("_tests.exe")) programs.push_back(entry.path());
  }
  std::sort(programs.begin(), programs.end());

  std::vector<Result> results;
  for (const fs::path& program : programs) {
    const std::vector<std::string> names = list_tests(program);
    for (const std::string& name : names) {
      std::printf("%-90s", name.c_str());
      std::fflush(stdout);
      Result result{name, "passed", ""};
      DWORD process_id = 0;
      const DWORD code = run("\"" + program.string() + "\" --gtest_filter=" + name, result.output, process_id,
                             TEST_TIME_LIMIT);
      if (code != 0) {
        result.outcome = "failed";
      } else if (result.output.find("[  SKIPPED ]") != std::string::npos) {
        result.outcome = "skipped";
      } else {
        result.output.clear();
      }
      remove_left_folders(process_id);
      std::printf(" %s\n", result.outcome.c_str());
      results.push_back(result);
    }
    if (names.empty()) results.push_back({program.filename().string(), "failed", "it listed no tests\n"});
  }

  std::ostringstream report;
  report << "Quarvelton Resolution Changer: checks\n"
         << windows_version() << "\n"
         << "Screen: " << screen_dpi() << " dots per inch\n"
         << "Run as administrator: " << (runs_as_administrator() ? "yes" : "no") << "\n\n";
  int passed = 0, failed = 0, skipped = 0;
  for (const Result& result : results) {
    report << result.outcome << "  " << result.name << "\n";
    passed += result.outcome == "passed";
    failed += result.outcome == "failed";
    skipped += result.outcome == "skipped";
  }
  for (const Result& result : results) {
    if (result.output.empty()) continue;
    report << "\n---- " << result.outcome << ": " << result.name << "\n";
    for (const std::string& line : lines_of(result.output)) report << line << "\n";
  }
  report << "\n" << passed << " passed, " << failed << " failed";
  if (skipped) report << ", " << skipped << " skipped";
  report << "\n";
  // Text mode: Notepad's line ends.
  std::ofstream(folder / "checks-report.txt") << report.str();

  std::printf("\n%s\nThe report is %s\n", report.str().c_str(),
              (folder / "checks-report.txt").string().c_str());
  if (console_is_our_own()) {
    std::printf("Press Enter to close this window.\n");
    std::getchar();
  }
  return failed ? 1 : 0;
}
