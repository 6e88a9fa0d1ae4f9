#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "tests/support/test_support.h"

namespace {

class Probe : public RuntimeTest {
 protected:
  TempFolder folder;
};

std::string letter_without_drive() {
  for (char letter = 'Q'; letter <= 'Y'; ++letter)
    if (!(GetLogicalDrives() & (1u << (letter - 'A')))) return std::string(1, letter);
  return "";
}

TEST_F(Probe, FileSizeTellsFilesFoldersDrivesAndNothing) {
  CreateDirectoryA("Data", nullptr);
  write_file_bytes("empty.txt", {});
  write_file_bytes("five.txt", {1, 2, 3, 4, 5});
  // Sparse, 4 GiB and 5 bytes: the size is the low 32 bits.
  HANDLE big =
      CreateFileA("big.bin", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_TRUE(SetFilePointerEx(big, LARGE_INTEGER{.QuadPart = 0x100000005LL}, nullptr, FILE_BEGIN));
  ASSERT_TRUE(SetEndOfFile(big));
  CloseHandle(big);
  const std::string none = letter_without_drive(), longest(1023, 'n'), too_long(1024, 'n');
  ASSERT_FALSE(none.empty());
  EXPECT_EQ(file_size(nullptr), -1);
  const std::pair<std::string, INT32> cases[] = {
      {"", -1},     {"C:", -2},     {"C:\\", -2},     {none + ":", -1}, {none + ":\\", -1}, {"C:x", -1},
      {"Data", -2}, {"Data\\", -2}, {"empty.txt", 0}, {"five.txt", 5},  {"missing", -1},    {"f*.txt", 5},
      {"Dat?", -2}, {longest, -1},  {too_long, -1},   {"big.bin", 5},
  };
  for (const auto& [name, size] : cases) EXPECT_EQ(file_size(name.c_str()), size) << name.substr(0, 20);
}

TEST(LaunchFolder, IsTheTextUpToTheLastBackslash) {
  const std::string deep = "C:\\" + std::string(507, 'd') + "\\x.exe";  // a folder of 511 bytes
  const std::string deeper = "C:\\" + std::string(508, 'd') + "\\x.exe",
                    endless = std::string(5000, 'e') + "\\x";
  const std::pair<std::string, INT32> cases[] = {
      {"C:\\G\\x", 5}, {"G\\x", 2},   {"a/b\\c", 4}, {deep, 511},  {"\\x", 0},
      {"x", 0},        {"C:/G/x", 0}, {"", 0},       {deeper, -1}, {endless, -1},
  };
  for (const auto& [file, length] : cases) {
    char buffer[LAUNCH_FOLDER_MAX + 2] = "";
    EXPECT_EQ(launch_folder(file.c_str(), buffer), length) << file.substr(0, 40);
    EXPECT_EQ(length > 0 ? std::string(buffer) : "", file.substr(0, std::max(length, 0)));
  }
}

using Launch = Probe;

TEST_F(Launch, StartsInTheFilesFolderOrTheGivenOneAndWaitsWhenAsked) {
  CreateDirectoryA("Games", nullptr);
  CreateDirectoryA("Work", nullptr);
  ASSERT_TRUE(CopyFileA((test_program_folder() + "launch_probe.exe").c_str(), "Games\\probe.exe", FALSE));
  const std::pair<std::string, std::string> cases[] = {
      {"", "Games"},
      {folder.path + "Work", "Work"},
  };
  for (const auto& [directory, started_in] : cases) {
    SCOPED_TRACE(directory);
    const auto process =
        reinterpret_cast<HANDLE>(run_program("Games\\probe.exe", "300", directory.c_str(), RUN_WAIT));
    ASSERT_NE(process, nullptr);
    EXPECT_EQ(WaitForSingleObject(process, 0), WAIT_OBJECT_0) << "returned only after the program ended";
    DWORD exit_code = 0;
    GetExitCodeProcess(process, &exit_code);
    EXPECT_EQ(exit_code, 7u);
    CloseHandle(process);
    // The probe writes its current folder as the first line of launched.txt there.
    const Bytes log = read_file_bytes(started_in + "\\launched.txt");
    const std::string first_line(log.begin(), std::find(log.begin(), log.end(), '\r'));
    EXPECT_EQ(lstrcmpiA(first_line.c_str(), (folder.path + started_in).c_str()), 0) << first_line;
  }
}

TEST_F(Launch, ReturnsZeroWhenNothingCanBeStarted) {
  // The shell reports a file it cannot start in a box of its own.
  MessageBoxCloser closer;
  EXPECT_EQ(run_program("no_such_program.exe"), 0);
  EXPECT_EQ(run_program(nullptr), 0);
  EXPECT_EQ(run_program((std::string(600, 'd') + "\\x.exe").c_str(), "", "", 0), 0);
}

}  // namespace
