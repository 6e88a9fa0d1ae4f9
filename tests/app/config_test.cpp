#include <gtest/gtest.h>

#include <random>
#include <tuple>

#include "app/app.h"
#include "tests/support/test_support.h"

namespace {

class Config : public RuntimeTest {
 protected:
  void SetUp() override {
    RuntimeTest::SetUp();
    CreateDirectoryA("Data", nullptr);
  }
  TempFolder folder;
};

// Whatever the file held and whatever is saved, only bytes 8 to 11 change, and a
// shorter file grows to exactly 12 bytes.
TEST_F(Config, WritingChangesOnlyTheTwoWords) {
  std::mt19937 random(20261206);
  std::uniform_int_distribution<INT32> value(INT32_MIN, INT32_MAX), small(-70000, 70000);
  for (size_t round = 0; round < 300; ++round) {
    Bytes before(round <= 16 ? round : random() % 4097);
    for (auto& b : before) b = static_cast<unsigned char>(random());
    ASSERT_TRUE(write_file_bytes(CONFIG_FILE_NAME, before));
    const INT32 width = round % 3 ? value(random) : small(random), height = value(random);
    ASSERT_EQ(write_resolution(width, height), 1);
    Bytes expected = before;
    expected.resize(std::max<size_t>(before.size(), 12));
    for (int i = 0; i < 2; ++i) {
      expected[8 + i] = static_cast<unsigned char>(width >> 8 * i);
      expected[10 + i] = static_cast<unsigned char>(height >> 8 * i);
    }
    ASSERT_EQ(read_file_bytes(CONFIG_FILE_NAME), expected) << "round " << round;
    ASSERT_EQ(read_width(), static_cast<SHORT>(width));
    ASSERT_EQ(read_height(), static_cast<SHORT>(height));
  }
}

// After eight bytes of something else; 9, 10 and 11 bytes read as far as they go.
TEST_F(Config, ReadsSignedWordsAndShortFilesAsFarAsTheyGo) {
  const std::tuple<Bytes, INT32, INT32> cases[] = {
      {{0x00, 0x04, 0x00, 0x03}, 1024, 768},
      {{0x40, 0x9C, 0xFF, 0xFF}, -25536, -1},
      {{0x00, 0x05, 0x00, 0x04, 0x99}, 1280, 1024},
      {{0x2A}, 42, 0},
      {{0x00, 0x05}, 1280, 0},
      {{0x00, 0x05, 0x07}, 1280, 7},
      {{}, 0, 0},
  };
  for (const auto& [tail, width, height] : cases) {
    Bytes file(8, 0xEE);
    file.insert(file.end(), tail.begin(), tail.end());
    write_file_bytes(CONFIG_FILE_NAME, file);
    EXPECT_EQ(read_width(), width) << file.size();
    EXPECT_EQ(read_height(), height) << file.size();
    EXPECT_EQ(read_file_bytes(CONFIG_FILE_NAME), file) << "reading changes nothing";
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
  HANDLE held = CreateFileA(CONFIG_FILE_NAME, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                            OPEN_EXISTING, 0, nullptr);
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
