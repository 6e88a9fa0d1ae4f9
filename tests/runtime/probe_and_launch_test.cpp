#include <gtest/gtest.h>

#include <string>

#include "tests/support/test_support.h"

namespace {

class Probe : public testing::Test {
 protected:
  void SetUp() override { init_runtime_for_tests(); }
  TempFolder folder;
};

std::string letter_without_drive() {
  const DWORD drives = GetLogicalDrives();
  for (char letter = 'Q'; letter <= 'Y'; ++letter)
    if (!(drives & (1u << (letter - 'A')))) return std::string(1, letter);
  return "";
}

TEST_F(Probe, FileSizeTellsFilesFoldersDrivesAndNothing) {
  CreateDirectoryA("Data", nullptr);
  write_file_bytes("empty.txt", {});
  write_file_bytes("five.txt", {1, 2, 3, 4, 5});
  const std::string none = letter_without_drive();
  ASSERT_FALSE(none.empty());
  const std::string long_name(1024, 'n');
  const std::string longest_name(1023, 'n');

  struct Case {
    std::string name;
    INT32 size;
  };
  EXPECT_EQ(file_size(nullptr), -1);
  const Case cases[] = {
      {"", -1},     {"C:", -2},      {"C:\\", -2},       {none + ":", -1}, {none + ":\\", -1},  {"C:x", -1},
      {"Data", -2}, {"Data\\", -2},  {"empty.txt", 0},   {"five.txt", 5},  {"missing.txt", -1}, {"f*.txt", 5},
      {"Dat?", -2}, {long_name, -1}, {longest_name, -1},
  };
  for (const Case& c : cases) EXPECT_EQ(file_size(c.name.c_str()), c.size) << c.name.substr(0, 20);
}

TEST_F(Probe, FileSizeIsTheLow32BitsOfALargeFile) {
  HANDLE file =
      CreateFileA("big.bin", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  LARGE_INTEGER size;
  size.QuadPart = 0x100000005LL;
  ASSERT_TRUE(SetFilePointerEx(file, size, nullptr, FILE_BEGIN));
  ASSERT_TRUE(SetEndOfFile(file));
  CloseHandle(file);
  EXPECT_EQ(file_size("big.bin"), 5);
  DeleteFileA("big.bin");
}

TEST(LaunchFolder, IsTheTextUpToTheLastBackslash) {
  struct Case {
    std::string file;
    INT32 length;
    std::string folder;
  };
  const std::string deep_folder = "C:\\" + std::string(507, 'd') + "\\";  // 511 bytes with its backslash
  const Case cases[] = {
      {"C:\\Games\\x.exe", 9, "C:\\Games\\"},
      {"Games\\x.exe", 6, "Games\\"},
      {"\\x.exe", 0, ""},
      {"x.exe", 0, ""},
      {"C:/Games/x.exe", 0, ""},
      {"a/b\\c.exe", 4, "a/b\\"},
      {"", 0, ""},
      {deep_folder + "x.exe", 511, deep_folder},
      {"C:\\" + std::string(508, 'd') + "\\x.exe", -1, ""},
      {std::string(5000, 'e') + "\\x.exe", -1, ""},
  };
  for (const Case& c : cases) {
    char buffer[LAUNCH_FOLDER_MAX + 2] = "unchanged";
    EXPECT_EQ(launch_folder(c.file.c_str(), buffer), c.length) << c.file.substr(0, 40);
    if (c.length > 0) {
      EXPECT_EQ(std::string(buffer), c.folder);
    }
  }
}

class Launch : public Probe {};

std::string first_line(const std::string& path) {
  const Bytes bytes = read_file_bytes(path);
  std::string text(bytes.begin(), bytes.end());
  return text.substr(0, text.find_first_of("\r\n"));
}

TEST_F(Launch, StartsInTheFilesFolderOrTheGivenOneAndWaitsWhenAsked) {
  CreateDirectoryA("Games", nullptr);
  CreateDirectoryA("Work", nullptr);
  ASSERT_TRUE(CopyFileA((test_program_folder() + "launch_probe.exe").c_str(), "Games\\probe.exe", FALSE));

  struct Case {
    std::string directory;
    std::string started_in;
  };
  const Case cases[] = {{"", "Games"}, {folder.path + "Work", "Work"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.directory);
    const auto process =
        reinterpret_cast<HANDLE>(run_program("Games\\probe.exe", "300", c.directory.c_str(), RUN_WAIT));
    ASSERT_NE(process, nullptr);
    EXPECT_EQ(WaitForSingleObject(process, 0), WAIT_OBJECT_0) << "returned only after the program ended";
    DWORD exit_code = 0;
    GetExitCodeProcess(process, &exit_code);
    EXPECT_EQ(exit_code, 7u);
    CloseHandle(process);
    const std::string log = c.started_in + "\\launched.txt";
    ASSERT_TRUE(file_exists(log));
    const std::string started_in = first_line(log);
    const std::string expected_folder = folder.path + c.started_in;
    EXPECT_EQ(lstrcmpiA(started_in.c_str(), expected_folder.c_str()), 0)
        << started_in << " vs " << expected_folder;
  }
}

TEST_F(Launch, ReturnsZeroWhenNothingCanBeStarted) {
  const std::string deep = std::string(600, 'd') + "\\x.exe";
  // The shell reports a file it cannot start in a box of its own.
  MessageBoxCloser closer;
  EXPECT_EQ(run_program("no_such_program.exe"), 0);
  EXPECT_EQ(run_program(nullptr), 0);
  EXPECT_EQ(run_program(deep.c_str(), "", "", 0), 0);
}

}  // namespace
