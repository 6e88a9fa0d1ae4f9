#include <gtest/gtest.h>

#include <random>

#include "app/app.h"
#include "tests/support/test_support.h"

namespace {

class Config : public testing::Test {
 protected:
  void SetUp() override {
    init_runtime_for_tests();
    CreateDirectoryA("Data", nullptr);
  }
  TempFolder folder;
};

INT32 as_stored(INT32 value) { return static_cast<SHORT>(value); }

// Whatever the file held and whatever is saved, only bytes 8 to 11 change, and a
// shorter file grows to exactly 12 bytes.
TEST_F(Config, WritingChangesOnlyTheTwoWords) {
  std::mt19937 random(20261206);
  std::uniform_int_distribution<int> byte(0, 255);
  std::uniform_int_distribution<INT32> value(INT32_MIN, INT32_MAX);
  for (int round = 0; round < 300; ++round) {
    const size_t size = round <= 16 ? static_cast<size_t>(round) : std::uniform_int_distribution<size_t>(0, 4096)(random);
    Bytes before(size);
    for (auto& b : before) b = static_cast<unsigned char>(byte(random));
    ASSERT_TRUE(write_file_bytes(CONFIG_FILE_NAME, before));
    const INT32 width = round % 3 ? value(random) : std::uniform_int_distribution<INT32>(-70000, 70000)(random);
    const INT32 height = value(random);

    ASSERT_EQ(write_resolution(width, height), 1);

    const Bytes after = read_file_bytes(CONFIG_FILE_NAME);
    ASSERT_EQ(after.size(), std::max<size_t>(size, 12)) << "round " << round;
    for (size_t i = 0; i < after.size(); ++i) {
      if (i >= 8 && i < 12) continue;
      if (i < size) {
        ASSERT_EQ(after[i], before[i]) << "round " << round << ", byte " << i;
      } else {
        ASSERT_EQ(after[i], 0) << "the gap of a short file reads as zeros";
      }
    }
    ASSERT_EQ(after[8] | after[9] << 8, width & 0xFFFF);
    ASSERT_EQ(after[10] | after[11] << 8, height & 0xFFFF);
    ASSERT_EQ(read_width(), as_stored(width));
    ASSERT_EQ(read_height(), as_stored(height));
  }
}

TEST_F(Config, ReadsSignedWordsAndShortFilesAsFarAsTheyGo) {
  struct Case {
    Bytes file;
    INT32 width;
    INT32 height;
  };
  const Bytes head(8, 0xEE);
  auto with = [&](Bytes tail) {
    Bytes bytes = head;
    bytes.insert(bytes.end(), tail.begin(), tail.end());
    return bytes;
  };
  const Case cases[] = {
      {with({0x00, 0x04, 0x00, 0x03}), 1024, 768},
      {with({0x40, 0x9C, 0xFF, 0xFF}), -25536, -1},
      {with({0x00, 0x05, 0x00, 0x04, 0x99}), 1280, 1024},
      {with({0x2A}), 42, 0},
      {with({0x00, 0x05}), 1280, 0},
      {with({0x00, 0x05, 0x07}), 1280, 7},
      {head, 0, 0},
      {{}, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file.size());
    write_file_bytes(CONFIG_FILE_NAME, c.file);
    EXPECT_EQ(read_width(), c.width);
    EXPECT_EQ(read_height(), c.height);
    EXPECT_EQ(read_file_bytes(CONFIG_FILE_NAME), c.file) << "reading changes nothing";
  }
}

TEST_F(Config, ReadingNeverCreatesAndFailedWritesAreReported) {
  EXPECT_EQ(read_width(), 0);
  EXPECT_EQ(read_height(), 0);
  EXPECT_FALSE(file_exists(CONFIG_FILE_NAME)) << "a missing file stays missing";

  // With the folder there, saving creates the file.
  EXPECT_EQ(write_resolution(1280, 1024), 1);
  EXPECT_EQ(read_file_bytes(CONFIG_FILE_NAME), (Bytes{0, 0, 0, 0, 0, 0, 0, 0, 0x00, 0x05, 0x00, 0x04}));

  // Held open without write sharing, as the running game would.
  HANDLE held = CreateFileA(CONFIG_FILE_NAME, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                            nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  EXPECT_EQ(write_resolution(800, 600), 0);
  EXPECT_EQ(read_width(), 0) << "a file that cannot be opened reads as 0";
  CloseHandle(held);
  EXPECT_EQ(read_width(), 1280) << "nothing was lost";

  DeleteFileA(CONFIG_FILE_NAME);
  RemoveDirectoryA("Data");
  EXPECT_EQ(write_resolution(800, 600), 0) << "without the folder nothing can be written";
  EXPECT_FALSE(file_exists("Data"));
  EXPECT_EQ(find_record(file_registry, CONFIG_FILE_NUMBER), nullptr) << "no operation leaves the file open";
}

}  // namespace
