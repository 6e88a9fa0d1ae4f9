// The check kit's runner, started by run-checks.cmd: runs every test of the test programs the kit was
// packed with (kit-programs.txt, beside it), each test in a process of its own as ctest does, and writes
// checks-report.txt beside itself: the machine, then each test's result with the failure text of each
// that fails, then the counts. "check_runner --time-limit <seconds>" gives each test less than ctest's
// 5 minutes (the kit's own tests use it; run-checks.cmd never does).
//
// Paths are held as UTF-16 and given to the wide calls only: the kit may be unpacked under any user's
// folder. The test programs use the ANSI calls, as the changer does, so a folder whose name the ANSI
// code page cannot hold is refused before anything runs. All text kept for the report is UTF-8.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// As long as ctest gives a test; a test that takes longer is stopped and counts as failed.
DWORD test_time_limit = 300000;
constexpr DWORD LISTING_LIMIT = 60000;
// A program that prints without end is stopped at the limit; of what it printed, the end is kept,
// where it failed.
constexpr size_t KEPT_OUTPUT = 64 * 1024;
constexpr wchar_t PROGRAM_LIST[] = L"kit-programs.txt";
constexpr char UNPACK_AGAIN[] = "unpack the whole zip; an antivirus may have removed it";

std::wstring kit;  // the runner's folder, without a trailing backslash

struct Result {
  std::string name;
  std::string outcome;  // "passed", "failed" or "skipped"
  std::string output;   // what the test printed, kept for a failure or a skip
};

// How a program ended: its exit code, or stopped at the time limit; what it printed, in the ANSI code page.
struct Ending {
  DWORD code = STILL_ACTIVE;
  bool stopped = false;
  DWORD process_id = 0;
  std::string output;
};

std::wstring wide(const std::string& text, UINT code_page) {
  // No code page takes fewer than one byte for a UTF-16 unit.
  std::wstring result(text.size(), L'\0');
  result.resize(MultiByteToWideChar(code_page, 0, text.data(), static_cast<int>(text.size()), result.data(),
                                    static_cast<int>(result.size())));
  return result;
}

std::string utf8(const std::wstring& text) {
  std::string result(text.size() * 3, '\0');
  result.resize(WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), result.data(),
                                    static_cast<int>(result.size()), nullptr, nullptr));
  return result;
}

// Whether the ANSI code page has a place for every letter of the text. A UTF-8 code page has for all,
// and takes no question about it.
bool ansi_can_hold(const std::wstring& text) {
  BOOL lost = FALSE;
  return GetACP() == CP_UTF8 ||
         (WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.c_str(), -1, nullptr, 0, nullptr, &lost) &&
          !lost);
}

std::string from_ansi(const std::string& text) { return utf8(wide(text, CP_ACP)); }

std::string with_crlf(const std::string& text) {
  std::string result;
  for (char c : text) {
    if (c == '\n') result += '\r';
    result += c;
  }
  return result;
}

// To a console as UTF-16, so that every letter of a folder's name shows as it is; redirected, as the
// report's bytes (UTF-8, Windows' line ends).
void say(const std::string& text) {
  const HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  DWORD mode = 0, written = 0;
  if (!GetConsoleMode(out, &mode)) {
    const std::string bytes = with_crlf(text);
    WriteFile(out, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    return;
  }
  // In pieces: Windows 7's console takes no more than 64 KiB in one call.
  const std::wstring letters = wide(text, CP_UTF8);
  for (size_t at = 0; at < letters.size(); at += 8192)
    WriteConsoleW(out, letters.data() + at, static_cast<DWORD>(std::min<size_t>(8192, letters.size() - at)),
                  &written, nullptr);
}

std::string system_message(DWORD error) {
  wchar_t text[512];
  std::wstring message(text, FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                            nullptr, error, 0, text, 512, nullptr));
  while (!message.empty() && (message.back() <= L' ' || message.back() == L'.')) message.pop_back();
  return utf8(message) + " (error " + std::to_string(error) + ")";
}

// Keeps the end of a long output, from the start of a line where it has one.
void keep_end(std::string& output, size_t& dropped) {
  if (output.size() <= KEPT_OUTPUT) return;
  const size_t cut = output.size() - KEPT_OUTPUT, line = output.find('\n', cut);
  const size_t at = line == std::string::npos ? cut : line + 1;
  dropped += at;
  output.erase(0, at);
}

// Runs the program with the arguments in the kit's folder, each test in a job of its own where Windows
// allows one: what the test starts ends with it, and a crash anywhere in it ends that process at once.
// Windows 7 refuses a job to a process already in one (the runner may be), and the test then runs without.
Ending run(const std::wstring& program, const std::string& arguments, DWORD limit) {
  Ending ending;
  SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
  HANDLE read_end = nullptr, write_end = nullptr;
  std::wstring line = L"\"" + program + L"\" " + wide(arguments, CP_UTF8);
  if (!CreatePipe(&read_end, &write_end, &inherited, 0)) {
    ending.output = "could not make a pipe: " + system_message(GetLastError()) + "\n";
    return ending;
  }
  SetHandleInformation(read_end, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = startup.hStdError = write_end;
  PROCESS_INFORMATION process{};
  const BOOL started = CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, CREATE_SUSPENDED, nullptr,
                                      kit.c_str(), &startup, &process);
  const DWORD start_error = GetLastError();
  CloseHandle(write_end);
  if (!started) {
    CloseHandle(read_end);
    ending.output = "could not start " + utf8(program) + ": " + system_message(start_error) + "\n";
    return ending;
  }
  ending.process_id = process.dwProcessId;
  const HANDLE job = CreateJobObjectW(nullptr, nullptr);
  JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
  limits.BasicLimitInformation.LimitFlags =
      JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE | JOB_OBJECT_LIMIT_DIE_ON_UNHANDLED_EXCEPTION;
  if (job) SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits);
  if (job) AssignProcessToJobObject(job, process.hProcess);
  ResumeThread(process.hThread);

  // The output is read while the test runs, so that a full pipe never stops it, and the time is looked at
  // after every read. A program the test started may hold the pipe open after the test has ended.
  const DWORD started_at = GetTickCount();
  size_t dropped = 0;
  char buffer[4096];
  for (bool ended = false;;) {
    DWORD available = 0, got = 0;
    if (PeekNamedPipe(read_end, nullptr, 0, nullptr, &available, nullptr) && available &&
        ReadFile(read_end, buffer, sizeof buffer, &got, nullptr)) {
      ending.output.append(buffer, got);
      if (ending.output.size() > 2 * KEPT_OUTPUT) keep_end(ending.output, dropped);
    } else if (ended) {
      break;
    } else {
      ended = WaitForSingleObject(process.hProcess, 50) == WAIT_OBJECT_0;
    }
    if (GetTickCount() - started_at >= limit) {
      ending.stopped = !ended;
      TerminateProcess(process.hProcess, STILL_ACTIVE);
      break;
    }
  }
  keep_end(ending.output, dropped);
  if (dropped) ending.output.insert(0, "[the first " + std::to_string(dropped) + " bytes are left out]\n");
  WaitForSingleObject(process.hProcess, 5000);
  GetExitCodeProcess(process.hProcess, &ending.code);
  if (job) CloseHandle(job);
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  CloseHandle(read_end);
  return ending;
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

// What a program printed, as UTF-8, and how it ended unless it passed: an exit code from 0xC0000000 on is
// the exception that ended it (0xC0000005: an access violation).
std::string told(const Ending& ending, DWORD limit) {
  std::string text = from_ansi(ending.output);
  if (!text.empty() && text.back() != '\n') text += '\n';
  const unsigned long code = ending.code;
  char end[64] = "";
  if (ending.stopped) {
    std::snprintf(end, sizeof end, "stopped after %lu s\n", static_cast<unsigned long>(limit / 1000));
  } else if (code >= 0xC0000000) {
    std::snprintf(end, sizeof end, "it ended with exception 0x%08lX\n", code);
  } else if (code) {
    std::snprintf(end, sizeof end, "it ended with exit code %lu\n", code);
  }
  return text + end;
}

// The test names a program lists: "Suite." lines, each followed by its tests, indented. When it lists
// none, why not.
std::vector<std::string> list_tests(const std::wstring& program, std::string& failure) {
  const Ending listing = run(program, "--gtest_list_tests", LISTING_LIMIT);
  std::vector<std::string> names;
  std::string suite;
  for (const std::string& line : lines_of(from_ansi(listing.output))) {
    const std::string name = line.substr(0, line.find("  #"));
    if (name.empty() || name.starts_with("Running main()")) continue;
    if (name[0] != ' ') {
      suite = name;
    } else {
      names.push_back(suite + name.substr(name.find_first_not_of(' ')));
    }
  }
  if (listing.code) names.clear();
  if (names.empty()) failure = "it listed no tests\n" + told(listing, LISTING_LIMIT);
  return names;
}

// The game folders a test left under the temporary folder when it failed, named by its process id.
void remove_left_folders(DWORD process_id) {
  const std::wstring prefix = L"qrc_" + std::to_wstring(process_id) + L"_";
  std::error_code ignored;
  for (const auto& entry : fs::directory_iterator(fs::temp_directory_path(ignored), ignored)) {
    if (!entry.path().filename().native().starts_with(prefix)) continue;
    for (const auto& inner : fs::recursive_directory_iterator(entry.path(), ignored))
      fs::permissions(inner.path(), fs::perms::owner_write, fs::perm_options::add, ignored);
    fs::remove_all(entry.path(), ignored);
  }
}

// The names in kit-programs.txt, one a line.
std::vector<std::string> listed_programs() {
  std::vector<std::string> names;
  std::ifstream list(fs::path(kit) / PROGRAM_LIST, std::ios::binary);
  std::stringstream text;
  text << list.rdbuf();
  for (const std::string& line : lines_of(text.str()))
    if (!line.empty()) names.push_back(line);
  return names;
}

void record(std::vector<Result>& results, const Result& result) {
  std::string line = result.name;
  if (line.size() < 90) line.resize(90, ' ');
  say(line + " " + result.outcome + "\n");
  results.push_back(result);
}

std::vector<Result> run_checks() {
  std::vector<Result> results;
  if (!ansi_can_hold(kit)) {
    record(results,
           {"the checks cannot run in this folder: its path has a letter that Windows' ANSI code page (" +
                std::to_string(GetACP()) +
                "), which the checks use, cannot hold; move the kit to a folder such as "
                "C:\\QuarveltonChecks and run run-checks.cmd there",
            "failed", ""});
    return results;
  }
  // Files unpacked from a download carry its zone, and the shell would ask before each start of the
  // stand-in game (copies carry it too); running the kit is the user's yes.
  std::error_code ignored;
  for (const auto& entry : fs::directory_iterator(kit, ignored))
    DeleteFileW((entry.path().native() + L":Zone.Identifier").c_str());

  const std::vector<std::string> programs = listed_programs();
  if (programs.empty())
    record(results, {utf8(PROGRAM_LIST) + ": missing or empty; " + UNPACK_AGAIN, "failed", ""});
  for (const std::string& program : programs) {
    const std::wstring path = kit + L"\\" + wide(program, CP_UTF8);
    if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
      record(results, {program + ": missing; " + UNPACK_AGAIN, "failed", ""});
      continue;
    }
    std::string failure;
    const std::vector<std::string> names = list_tests(path, failure);
    if (names.empty()) record(results, {program, "failed", failure});
    for (const std::string& name : names) {
      Result result{name, "passed", ""};
      const Ending ending = run(path, "--gtest_filter=" + name, test_time_limit);
      if (ending.code != 0) {
        result.outcome = "failed";
      } else if (ending.output.find("[  SKIPPED ]") != std::string::npos) {
        result.outcome = "skipped";
      }
      if (result.outcome != "passed") result.output = told(ending, test_time_limit);
      remove_left_folders(ending.process_id);
      record(results, result);
    }
  }
  return results;
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
  return text + ", ANSI code page " + std::to_string(GetACP());
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

// UTF-8 with a byte order mark: it holds any folder's name, and Notepad reads it right from Windows 7 on,
// whatever the ANSI code page. Windows' line ends, for Notepad. Nothing when written, or why not.
std::string write_report(const std::wstring& path, const std::string& text) {
  const std::string bytes = "\xEF\xBB\xBF" + with_crlf(text);
  const HANDLE file =
      CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return system_message(GetLastError());
  DWORD written = 0, error = 0;
  bool wrote = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  if (!wrote) error = GetLastError();
  if (!CloseHandle(file) && wrote) {
    wrote = false;
    error = GetLastError();
  }
  return wrote ? "" : system_message(error);
}

}  // namespace

int main(int argc, char** argv) {
  // Inherited by every program the runner starts (a test's own children too): a crash ends the test at
  // once with its exception code, without Windows Error Reporting's dialog, and a missing DLL or an empty
  // drive is told in the test's result, not in a message box that holds the run.
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
  if (argc == 3 && std::strcmp(argv[1], "--time-limit") == 0 && std::atoi(argv[2]) > 0) {
    test_time_limit = static_cast<DWORD>(std::atoi(argv[2])) * 1000;
  } else if (argc != 1) {
    say("Usage: check_runner [--time-limit <seconds for each test, 1 or more>]\n");
    return 2;
  }
  std::wstring path(32768, L'\0');
  path.resize(GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size())));
  kit = path.substr(0, path.find_last_of(L'\\'));

  const std::vector<Result> results = run_checks();
  std::ostringstream report;
  report << "Quarvelton Resolution Changer: checks\n"
         << windows_version() << "\n"
         << "Screen: " << screen_dpi() << " dots per inch\n"
         << "Run as administrator: " << (runs_as_administrator() ? "yes" : "no") << "\n"
         << "Folder: " << utf8(kit) << "\n\n";
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

  const std::wstring report_path = kit + L"\\checks-report.txt";
  const std::string not_written = write_report(report_path, report.str());
  say("\n" + report.str() + "\n");
  if (not_written.empty()) {
    say("The report is " + utf8(report_path) + "\n");
  } else {
    say("The report could not be written to " + utf8(report_path) + ": " + not_written +
        ". Unpack the kit into a folder you can write, such as Documents, and run run-checks.cmd there.\n");
  }
  if (console_is_our_own()) {
    say("Press Enter to close this window.\n");
    std::getchar();
  }
  return failed || !not_written.empty() ? 1 : 0;
}
