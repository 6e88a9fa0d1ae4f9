#include <gtest/gtest.h>

#include "tests/support/test_support.h"

namespace {

class Files : public testing::Test {
 protected:
  void SetUp() override { init_runtime_for_tests(); }
  TempFolder folder;
};

bool can_open(const char* name, DWORD access, DWORD share) {
  HANDLE other = CreateFileA(name, access, share, nullptr, OPEN_EXISTING, 0, nullptr);
  if (other == INVALID_HANDLE_VALUE) return false;
  CloseHandle(other);
  return true;
}

TEST_F(Files, ModesOpenCreateAndShareAsDeclared) {
  struct Case {
    int mode;
    bool exists_before;
    bool opens;
    size_t size_after_open;
    bool others_may_read;
    bool can_write;
  };
  const Case cases[] = {
      {FILE_MODE_READ, true, true, 3, true, false},
      {FILE_MODE_READ, false, false, 0, false, false},
      {FILE_MODE_READ_WRITE, true, true, 3, true, true},
      {FILE_MODE_READ_WRITE, false, true, 0, true, true},
      {FILE_MODE_CREATE, true, true, 0, true, true},
      {FILE_MODE_CREATE, false, true, 0, true, true},
      {FILE_MODE_EXCLUSIVE, true, true, 3, false, true},
      {FILE_MODE_EXCLUSIVE, false, false, 0, false, false},
      {0, true, false, 3, false, false},
      {5, true, false, 3, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "mode " << c.mode << (c.exists_before ? " existing" : " missing"));
    DeleteFileA("f.bin");
    if (c.exists_before) write_file_bytes("f.bin", {1, 2, 3});
    const INT_PTR opened = open_file(7, "f.bin", c.mode);
    EXPECT_EQ(opened != 0, c.opens);
    EXPECT_EQ(current_file != nullptr, c.opens);
    if (c.opens) {
      EXPECT_EQ(reinterpret_cast<HANDLE>(opened), current_file);
      EXPECT_EQ(can_open("f.bin", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE), c.others_may_read);
      if (c.others_may_read) {
        EXPECT_EQ(read_file_bytes("f.bin").size(), c.size_after_open);
      }
      EXPECT_FALSE(can_open("f.bin", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE)) << "no mode shares writing";
      EXPECT_EQ(write_word(0x4241) == 2, c.can_write);
    } else {
      EXPECT_EQ(file_exists("f.bin"), c.exists_before) << "a failed open creates nothing";
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
  close_file(333);
  EXPECT_EQ(file_registry.core.capacity, 10) << "a failed open does not grow the registry";
  EXPECT_FALSE(file_exists("Missing"));
}

TEST_F(Files, ReopeningAnOpenNumberFailsWithASharingViolation) {
  const INT_PTR first = open_file(333, "GAME.CFG", FILE_MODE_READ_WRITE);
  ASSERT_NE(first, 0);
  EXPECT_EQ(file_registry.core.capacity, 343);
  EXPECT_EQ(open_file(333, "GAME.CFG", FILE_MODE_READ_WRITE), 0);
  EXPECT_EQ(current_file, nullptr);
  ASSERT_NE(find_record(file_registry, 333), nullptr);
  EXPECT_EQ(reinterpret_cast<INT_PTR>(find_record(file_registry, 333)->handle), first) << "the first file stays";
  // A file that can be shared replaces the one under the number, which is closed.
  ASSERT_NE(open_file(333, "OTHER.CFG", FILE_MODE_READ_WRITE), 0);
  EXPECT_TRUE(can_open("GAME.CFG", GENERIC_READ | GENERIC_WRITE, 0));
  close_all_files();
}

TEST_F(Files, WordsAreLittleEndianAndSignExtended) {
  struct Case {
    Bytes stored;
    INT32 read;
  };
  const Case reads[] = {{{0x00, 0x04}, 1024}, {{0x40, 0x9C}, -25536}, {{0xFF, 0xFF}, -1},
                        {{0xFF, 0x7F}, 32767}, {{0x2A}, 42},           {{}, 0}};
  for (const Case& c : reads) {
    write_file_bytes("w.bin", c.stored);
    ASSERT_NE(open_file(1, "w.bin", FILE_MODE_READ), 0);
    EXPECT_EQ(read_word(), c.read);
    close_file(1);
  }

  struct Write {
    INT32 value;
    Bytes bytes;
  };
  const Write writes[] = {{1024, {0x00, 0x04}}, {-1, {0xFF, 0xFF}}, {65536, {0x00, 0x00}}, {70000, {0x70, 0x11}}};
  for (const Write& w : writes) {
    DeleteFileA("w.bin");
    ASSERT_NE(open_file(1, "w.bin", FILE_MODE_READ_WRITE), 0);
    EXPECT_EQ(write_word(w.value), 2);
    close_file(1);
    EXPECT_EQ(read_file_bytes("w.bin"), w.bytes) << w.value;
  }
}

TEST_F(Files, SeekingPastTheEndAndWritingExtendsTheFile) {
  ASSERT_NE(open_file(2, "grow.bin", FILE_MODE_READ_WRITE), 0);
  EXPECT_EQ(file_seek(10), 10);
  EXPECT_EQ(write_word(0x0102), 2);
  EXPECT_EQ(file_seek(-1), -1) << "a negative position fails";
  close_file(2);
  const Bytes bytes = read_file_bytes("grow.bin");
  ASSERT_EQ(bytes.size(), 12u);
  EXPECT_EQ(bytes[10], 0x02);
  EXPECT_EQ(bytes[11], 0x01);
}

TEST_F(Files, DynamicNumbersAndCloseAll) {
  const ObjectNumber a = open_file(ANY_NUMBER, "a.bin", FILE_MODE_READ_WRITE);
  const ObjectNumber b = open_file(ANY_NUMBER, "b.bin", FILE_MODE_READ_WRITE);
  ASSERT_NE(a, 0);
  ASSERT_NE(b, 0);
  EXPECT_NE(a, b);
  ASSERT_NE(open_file(0, "c.bin", FILE_MODE_READ_WRITE), 0);
  ASSERT_NE(open_file(9, "d.bin", FILE_MODE_READ_WRITE), 0);
  close_file(a);
  EXPECT_EQ(find_record(file_registry, a), nullptr);
  EXPECT_TRUE(can_open("a.bin", GENERIC_WRITE, 0));
  close_file(ANY_NUMBER);
  close_all_files();
  for (const char* name : {"b.bin", "c.bin", "d.bin"}) EXPECT_TRUE(can_open(name, GENERIC_WRITE, 0)) << name;
  EXPECT_EQ(file_registry.core.dynamic.head, nullptr);
  close_all_files();
}

}  // namespace
