#include <gtest/gtest.h>

#include <tuple>

#include "tests/support/test_support.h"

namespace {

class Files : public RuntimeTest {
 protected:
  void TearDown() override { close_all_files(); }
  TempFolder folder;
};

TEST_F(Files, ModesOpenCreateAndShareAsDeclared) {
  // Mode (1 read, 2 read and write, 3 create, 4 exclusive), whether the file exists, its size
  // once open (-1: the open fails), whether others may read it meanwhile, whether it can be
  // written.
  const std::tuple<int, bool, int, bool, bool> cases[] = {
      {1, true, 3, true, false},   {1, false, -1, false, false}, {2, true, 3, true, true},
      {2, false, 0, true, true},   {3, true, 0, true, true},     {3, false, 0, true, true},
      {4, true, 3, false, true},   {4, false, -1, false, false}, {0, true, -1, false, false},
      {5, true, -1, false, false},
  };
  for (const auto& [mode, exists, size, others_may_read, can_write] : cases) {
    SCOPED_TRACE(testing::Message() << "mode " << mode << (exists ? " existing" : " missing"));
    DeleteFileA("f.bin");
    if (exists) write_file_bytes("f.bin", {1, 2, 3});
    const INT_PTR opened = open_file(7, "f.bin", mode);
    EXPECT_EQ(opened != 0, size >= 0);
    EXPECT_EQ(reinterpret_cast<HANDLE>(opened), current_file);
    if (opened) {
      EXPECT_EQ(can_open("f.bin", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE), others_may_read);
      EXPECT_EQ(read_file_bytes("f.bin").size(), others_may_read ? static_cast<size_t>(size) : 0u);
      EXPECT_FALSE(can_open("f.bin", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE))
          << "no mode shares writing";
      EXPECT_EQ(write_word(0x4241) == 2, can_write);
    } else {
      EXPECT_EQ(file_exists("f.bin"), exists) << "a failed open creates nothing";
    }
    close_file(7);
    EXPECT_EQ(find_record(file_registry, 7), nullptr);
  }
}

TEST_F(Files, WithoutACurrentFileNothingIsReadOrWritten) {
  EXPECT_EQ(open_file(333, "Missing\\GAME.CFG", FILE_MODE_READ_WRITE), 0);
  EXPECT_EQ(current_file, nullptr);
  EXPECT_EQ(file_seek(8), -1);
  EXPECT_EQ(read_word(), 0);
  EXPECT_EQ(write_word(5), 0);
  EXPECT_EQ(file_registry.core.capacity, 10) << "a failed open does not grow the registry";
  EXPECT_FALSE(file_exists("Missing"));
  // Fault: a closed file stays current, and writing goes to whatever now has its handle value.
  ASSERT_NE(open_file(1, "closed.bin", FILE_MODE_READ_WRITE), 0);
  close_file(1);
  HANDLE other = CreateFileA("other.bin", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  EXPECT_EQ(write_word(5), 0);
  CloseHandle(other);
  EXPECT_EQ(read_file_bytes("other.bin"), Bytes{});
}

TEST_F(Files, ReopeningAnOpenNumberFailsWithASharingViolation) {
  const INT_PTR first = open_file(333, "GAME.CFG", FILE_MODE_READ_WRITE);
  ASSERT_NE(first, 0);
  EXPECT_EQ(open_file(333, "GAME.CFG", FILE_MODE_READ_WRITE), 0);
  EXPECT_EQ(current_file, nullptr);
  EXPECT_EQ(reinterpret_cast<INT_PTR>(read_record(file_registry, 333).handle), first)
      << "the first file stays";
  // A file that can be shared replaces the one under the number, which is closed.
  ASSERT_NE(open_file(333, "OTHER.CFG", FILE_MODE_READ_WRITE), 0);
  EXPECT_TRUE(can_open("GAME.CFG", GENERIC_READ | GENERIC_WRITE, 0));
}

TEST_F(Files, WordsAreLittleEndianAndSignExtended) {
  const std::pair<Bytes, INT32> reads[] = {
      {{0x40, 0x9C}, -25536}, {{0xFF, 0x7F}, 32767}, {{0xFF, 0xFF}, -1}, {{0x2A}, 42}, {{}, 0},
  };
  for (const auto& [stored, value] : reads) {
    write_file_bytes("w.bin", stored);
    ASSERT_NE(open_file(1, "w.bin", FILE_MODE_READ), 0);
    EXPECT_EQ(read_word(), value);
    close_file(1);
  }
  const std::pair<INT32, Bytes> writes[] = {{-1, {0xFF, 0xFF}}, {65536, {0x00, 0x00}}, {70000, {0x70, 0x11}}};
  for (const auto& [value, bytes] : writes) {
    DeleteFileA("w.bin");
    ASSERT_NE(open_file(1, "w.bin", FILE_MODE_READ_WRITE), 0);
    EXPECT_EQ(write_word(value), 2);
    close_file(1);
    EXPECT_EQ(read_file_bytes("w.bin"), bytes) << value;
  }
}

TEST_F(Files, SeekingPastTheEndAndWritingExtendsTheFile) {
  ASSERT_NE(open_file(2, "grow.bin", FILE_MODE_READ_WRITE), 0);
  EXPECT_EQ(file_seek(10), 10);
  EXPECT_EQ(write_word(0x0102), 2);
  EXPECT_EQ(file_seek(-1), -1) << "a negative position fails";
  close_file(2);
  EXPECT_EQ(read_file_bytes("grow.bin"), (Bytes{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x02, 0x01}));
}

TEST_F(Files, DynamicNumbersAndCloseAll) {
  const ObjectNumber a = open_file(ANY_NUMBER, "a.bin", FILE_MODE_READ_WRITE);
  const ObjectNumber b = open_file(ANY_NUMBER, "b.bin", FILE_MODE_READ_WRITE);
  EXPECT_TRUE(a != 0 && b != 0 && a != b) << a << " " << b;
  ASSERT_NE(open_file(0, "c.bin", FILE_MODE_READ_WRITE), 0);
  ASSERT_NE(open_file(9, "d.bin", FILE_MODE_READ_WRITE), 0);
  close_file(a);
  EXPECT_EQ(find_record(file_registry, a), nullptr);
  EXPECT_TRUE(can_open("a.bin", GENERIC_WRITE, 0));
  close_file(ANY_NUMBER);
  // Fault: a dynamic number handed back to open_file leaves its file open and unreachable.
  const INT_PTR reopened = open_file(b, "e.bin", FILE_MODE_READ_WRITE);
  EXPECT_TRUE(reopened != 0 && can_open("b.bin", GENERIC_WRITE, 0));
  EXPECT_EQ(reinterpret_cast<INT_PTR>(read_record(file_registry, b).handle), reopened);
  close_all_files();
  for (const char* name : {"e.bin", "c.bin", "d.bin"}) EXPECT_TRUE(can_open(name, GENERIC_WRITE, 0)) << name;
  EXPECT_EQ(file_registry.core.dynamic.head, nullptr);
}

}  // namespace
