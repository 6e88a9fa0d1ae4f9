#include "tests/support/test_support.h"

namespace {

using Files = RuntimeTest;

// A closed file is no longer current, so nothing is written to whatever gets its handle value
// next; a dynamic number handed back to open_file names its file, which is closed first.
TEST_F(Files, ClosedFilesAreNeitherCurrentNorReachable) {
  TempFolder folder;
  ASSERT_NE(open_file(1, "closed.bin", FILE_MODE_READ_WRITE), 0);
  close_file(1);
  HANDLE other = CreateFileA("other.bin", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  EXPECT_EQ(write_word(5), 0);
  CloseHandle(other);
  EXPECT_EQ(read_file_bytes("other.bin"), Bytes{});
  const ObjectNumber dynamic = open_file(ANY_NUMBER, "first.bin", FILE_MODE_READ_WRITE);
  const INT_PTR reopened = open_file(dynamic, "second.bin", FILE_MODE_READ_WRITE);
  EXPECT_TRUE(reopened && can_open("first.bin", GENERIC_WRITE, 0));
  EXPECT_EQ(reinterpret_cast<INT_PTR>(read_record(file_registry, dynamic).handle), reopened);
  close_all_files();
}

}  // namespace
