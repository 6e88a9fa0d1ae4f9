// The check kit's runner and run-checks.cmd, started in a fresh folder with chosen contents: stand-in test
// programs (copies of this program, see main), the kit's list of programs, a report another program holds
// open, a name with a letter the ANSI code page holds or lacks.
#include <cstdio>
#include <fstream>
#include <sstream>
#include <tuple>

#include "tests/support/test_support.h"

namespace {

namespace fs = std::filesystem;
using Texts = std::vector<std::string>;

fs::path own_path() {
  std::wstring path(32768, L'\0');
  return path.substr(0, GetModuleFileNameW(nullptr, path.data(), 32768));
}

std::string utf8(const fs::path& path) { return reinterpret_cast<const char*>(path.u8string().c_str()); }

// Whatever the kit's folder holds and whatever its name, the runner tells what ran and what did not, and
// its exit code is 0 only when every test passed and the report was written. Each is started as the shell
// starts it, without this program's error mode, and given a minute.
TEST(Kit, TellsWhatIsMissingCrashedOrStoppedWhateverTheFolder) {
  const std::string pass = "pass_tests.exe\r\n", gone = "gone_tests.exe: missing; unpack the whole zip; an";
  // Letters that the ANSI code page holds, and that it lacks (a UTF-8 code page lacks none).
  std::wstring letters[2];
  for (const wchar_t* letter : {L"\u00e9", L"\u0416", L"\u03a9"}) {
    BOOL lost = FALSE;
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, letter, -1, nullptr, 0, nullptr, &lost);
    letters[lost ? 1 : 0] += letter;
  }
  const std::wstring e = letters[0].substr(0, 1), lost = letters[1].substr(0, 1),
                     held = L"T" + e + L"l" + e + L"chargements\\Quarvelton checks (1)";
  // The folder, under a fresh temporary folder; the runner's limit for each test (0: run-checks.cmd is there
  // alone; below 0: run-checks.cmd starts the runner, with no limit); kit-programs.txt (none when empty); the
  // stand-ins beside it, by what their test does; the exit code; what it prints, and writes in its report
  // unless another program holds that open (in the row named so).
  // clang-format off
  std::vector<std::tuple<std::wstring, int, std::string, std::vector<std::wstring>, DWORD, Texts>> rows = {
      {L"nothing", 30, "", {}, 1, {"kit-programs.txt: missing or empty; unpack the whole zip"}},
      {L"one missing", -1, pass + "skip_tests.exe\r\ngone_tests.exe", {L"pass", L"skip"}, 1,
       {"passed  Standin.pass", "skipped  Standin.skip", gone, "1 passed, 1 failed, 1 skipped"}},
      {L"crash", 30, "crash_tests.exe", {L"crash"}, 1, {"failed  Standin.crash", "exception 0xC0000005"}},
      {L"flood", 3, "flood_tests.exe", {L"flood"}, 1, {"failed  Standin.flood", "after 3 s", "left out"}},
      {L"report held", 30, pass, {L"pass"}, 1, {"checks-report.txt: ", "such as Documents"}},
      {L"cmd alone", 0, "", {}, 1, {"Unpack the whole zip into a folder first, and run"}},
      {held, 30, pass, {L"pass"}, 0, {"1 passed, 0 failed", utf8(held)}},
      {L"Checks " + lost, 30, pass, {L"pass"}, 1, {"1 failed", "such as C:\\QuarveltonChecks"}}};
  // clang-format on
  if (lost.empty()) rows.pop_back();

  const fs::path self = own_path();
  for (const auto& [name, seconds, list, programs, code_wanted, said] : rows) {
    SCOPED_TRACE(utf8(name));
    TempFolder temp;
    const fs::path folder = fs::current_path() / name, console = fs::current_path() / "console.txt";
    fs::create_directories(folder);
    for (const wchar_t* file : {L"check_runner.exe", L"run-checks.cmd"})
      if (seconds || file[0] == L'r')
        CopyFileW((self.parent_path() / file).c_str(), (folder / file).c_str(), FALSE);
    for (const std::wstring& program : programs)
      CopyFileW(self.c_str(), (folder / (program + L"_tests.exe")).c_str(), FALSE);
    if (!list.empty()) std::ofstream(folder / "kit-programs.txt", std::ios::binary) << list;
    // Held open, sharing nothing, where the row says; elsewhere there is no report to open yet.
    const HANDLE holder = CreateFileW((folder / "checks-report.txt").c_str(), GENERIC_WRITE, 0, nullptr,
                                      name == L"report held" ? CREATE_ALWAYS : OPEN_EXISTING, 0, nullptr);
    SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = startup.hStdError =
        CreateFileW(console.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherited, CREATE_ALWAYS, 0, nullptr);
    PROCESS_INFORMATION process{};
    std::wstring line = seconds > 0 ? L"\"" + (folder / "check_runner.exe").native() + L"\" --time-limit " +
                                          std::to_wstring(seconds)
                                    : L"cmd /c run-checks.cmd";
    CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, CREATE_DEFAULT_ERROR_MODE, nullptr,
                   folder.c_str(), &startup, &process);
    DWORD code = 0;
    WaitForSingleObject(process.hProcess, 60000);
    GetExitCodeProcess(process.hProcess, &code);  // STILL_ACTIVE when it did not end
    TerminateProcess(process.hProcess, 1);
    for (HANDLE handle : {process.hProcess, process.hThread, startup.hStdOutput, holder}) CloseHandle(handle);

    std::stringstream output, report;
    output << std::ifstream(console, std::ios::binary).rdbuf();
    report << std::ifstream(folder / "checks-report.txt", std::ios::binary).rdbuf();
    // Shown with the skipped stand-in's marker broken: ctest would take it for a skip of this test.
    std::string shown = output.str();
    for (std::size_t at; (at = shown.find("[  SKIPPED ]")) != std::string::npos;) shown[at + 1] = '_';
    EXPECT_EQ(code, code_wanted) << shown;
    EXPECT_EQ(report.str().substr(0, 3), report.str().empty() ? "" : "\xEF\xBB\xBF")
        << "Notepad reads it as UTF-8";
    for (const std::string& text : said) {
      EXPECT_NE(output.str().find(text), std::string::npos) << text << "\n" << shown;
      EXPECT_TRUE(holder != INVALID_HANDLE_VALUE || !seconds || report.str().find(text) != std::string::npos)
          << text;
    }
    EXPECT_LT(output.str().size() + report.str().size(), 3 * 64 * 1024u) << "the output kept is bounded";
  }
}

}  // namespace

// Copied as <what>_tests.exe, this program stands in for a test program of the kit: it lists one test,
// Standin.<what>, which passes, skips itself, crashes, or prints until it is stopped.
int main(int argc, char** argv) {
  const std::wstring name = own_path().filename(), what = name.substr(0, name.find(L'_'));
  if (name == L"kit_tests.exe") {
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
  }
  if (std::string(argv[argc - 1]) == "--gtest_list_tests")
    return std::printf("Standin.\n  %ls\n", what.c_str()) < 0;
  // Raised, not caused: under an emulated CPU, Wine tells a fault as another exception.
  if (what == L"crash") RaiseException(EXCEPTION_ACCESS_VIOLATION, EXCEPTION_NONCONTINUABLE, 0, nullptr);
  if (what == L"skip") std::puts("[  SKIPPED ] Standin.skip");
  while (what == L"flood" && std::puts("printing") >= 0) {
  }
  return 0;
}
