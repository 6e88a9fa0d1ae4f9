#include <algorithm>
#include <string>

#include "tests/support/test_support.h"

namespace {

class Probe : public RuntimeTest {
 protected:
  TempFolder folder;
};

TEST_F(Probe, FileSizeTellsFilesFoldersDrivesAndNothing) {
  CreateDirectoryA("Data", nullptr);
  write_file_bytes("empty.txt", {});
  write_file_bytes("five.txt", {1, 2, 3, 4, 5});
  std::string none = "Q";
  while (GetLogicalDrives() & (1u << (none[0] - 'A'))) ++none[0];
  const std::string longest(1023, 'n'), too_long(5000, 'n');
  const std::pair<std::string, INT32> cases[] = {
      {"", -1},        {"C:", -2},    {"C:\\", -2},   {none + ":", -1}, {none + ":\\", -1},
      {"C:x", -1},     {"Data", -2},  {"Data\\", -2}, {"empty.txt", 0}, {"five.txt", 5},
      {"missing", -1}, {"f*.txt", 5}, {"Dat?", -2},   {longest, -1},    {too_long, -1}};
  EXPECT_EQ(file_size(nullptr), -1);
  for (const auto& [name, size] : cases) EXPECT_EQ(file_size(name.c_str()), size) << name.substr(0, 20);
}

TEST(LaunchFolder, IsTheTextUpToTheLastBackslash) {
  const std::string deep = "C:\\" + std::string(507, 'd') + "\\x.exe";  // a folder of 511 bytes
  const std::string deeper = "C:\\" + std::string(508, 'd') + "\\x.exe",
                    endless = std::string(5000, 'e') + "\\x";
  const std::pair<std::string, INT32> cases[] = {{"C:\\G\\x", 5}, {"G\\x", 2},  {"a/b\\c", 4},
                                                 {deep, 511},     {"\\x", 0},   {"x", 0},
                                                 {"C:/G/x", 0},   {deeper, -1}, {endless, -1}};
  for (const auto& [file, length] : cases) {
    char buffer[LAUNCH_FOLDER_MAX + 2] = "";
    EXPECT_EQ(launch_folder(file.c_str(), buffer), length) << file.substr(0, 40);
    EXPECT_EQ(std::string(buffer), file.substr(0, std::max(length, 0)));
  }
}

using Launch = Probe;

// The stand-in game logs the folder it was started in; with RUN_WAIT the call returns once it
// has ended.
TEST_F(Launch, StartsInTheFilesFolderOrTheGivenOneAndWaitsWhenAsked) {
  CreateDirectoryA("Games", nullptr);
  CreateDirectoryA("Work", nullptr);
  ASSERT_TRUE(CopyFileA((test_program_folder() + "quar.exe").c_str(), "Games\\game.exe", FALSE));
  for (const std::string started_in : {"Games", "Work"}) {
    const std::string given = started_in == "Work" ? folder.path + "Work" : "";
    const auto process =
        reinterpret_cast<HANDLE>(run_program("Games\\game.exe", "exit", given.c_str(), RUN_WAIT));
    ASSERT_NE(process, nullptr);
    EXPECT_EQ(WaitForSingleObject(process, 0), WAIT_OBJECT_0) << "returned only after the program ended";
    CloseHandle(process);
    const Bytes log = read_file_bytes(started_in + "\\quar.log");
    EXPECT_EQ(std::string(log.begin(), log.end()), "0x0 " + folder.path + started_in + "\r\n");
  }
  EXPECT_EQ(run_program(nullptr), 0);
  EXPECT_EQ(run_program((std::string(600, 'd') + "\\x.exe").c_str(), "", "", 0), 0);
}

}  // namespace
