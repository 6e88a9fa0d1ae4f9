#include <cstdint>
#include <tuple>

#include "tests/support/test_support.h"

namespace {

HANDLE in_use(INT_PTR value) { return reinterpret_cast<HANDLE>(value); }

using Registry = RuntimeTest;

// A number at or past the capacity grows it to number + step; the slot at the capacity is never
// found, the records already there survive the move, and a claim that cannot be met (negative, past
// the signed 32-bit range, or a table too large to allocate) fails and changes nothing.
TEST_F(Registry, GrowsToNumberPlusStepOrFailsChangingNothing) {
  const auto too_large = static_cast<ObjectNumber>(static_cast<int64_t>(INT32_MAX) + 1);
  const ObjectNumber no_table = INT32_MAX - 29;  // its capacity still fits 32 bits
  const RegistrySettings FILES = FILE_REGISTRY_SETTINGS, WINDOWS = WINDOW_REGISTRY_SETTINGS,
                         CONTROLS = CONTROL_REGISTRY_SETTINGS;
  const std::tuple<RegistrySettings, ObjectNumber, INT32> cases[] = {
      {FILES, 333, 343},        {FILES, 5, 10},     {WINDOWS, 10, 40},
      {CONTROLS, 100, 130},     {CONTROLS, -2, 30}, {CONTROLS, too_large, 30},
      {CONTROLS, no_table, 30},
  };
  for (const auto& [settings, number, capacity] : cases) {
    NumberedRegistry<FileRecord> registry{};
    ASSERT_TRUE(registry_init(registry, settings));
    claim_record(registry, 1)->handle = in_use(1);
    FileRecord* record = claim_record(registry, number);
    EXPECT_EQ(record && !record->handle, capacity != 30) << number;
    if (record) record->handle = in_use(2);
    EXPECT_EQ(registry.core.capacity, capacity) << number;
    EXPECT_EQ(find_record(registry, capacity), nullptr);
    EXPECT_EQ(read_record(registry, 1).handle, in_use(1)) << "records survive growth";
  }
  // A table within the number limit that cannot be had: its heap has a maximum.
  main_heap = HeapCreate(0, 0, 65536);
  NumberedRegistry<FileRecord> capped{};
  ASSERT_TRUE(registry_init(capped, FILE_REGISTRY_SETTINGS));
  EXPECT_EQ(std::tuple(claim_record(capped, 60000), capped.core.capacity), std::tuple(nullptr, 10));
}

// Dynamic numbers are the records' addresses: never an index, walked newest first, and only a
// live record is found under one.
TEST_F(Registry, DynamicNumbersNameOnlyLiveRecordsNewestFirst) {
  NumberedRegistry<FileRecord> registry{};
  registry_init(registry, CONTROL_REGISTRY_SETTINGS);
  std::vector<ObjectNumber> numbers;  // newest first
  for (int i = 0; i < 4; ++i) {
    FileRecord* record = claim_record(registry, ANY_NUMBER);
    record->handle = in_use(10 + i);
    numbers.insert(numbers.begin(), dynamic_number(record));
  }
  // Two records from the middle go, one after the other.
  const ObjectNumber gone = numbers[1];
  release_record(registry, gone);
  release_record(registry, numbers[2]);
  numbers.erase(numbers.begin() + 1, numbers.begin() + 3);
  claim_record(registry, 3)->handle = in_use(7);
  release_record(registry, 3);
  FileRecord elsewhere{in_use(8)};
  for (ObjectNumber number :
       {ObjectNumber{3}, ObjectNumber{31}, gone, numbers[0] + 1, dynamic_number(&elsewhere)})
    EXPECT_EQ(find_record(registry, number), nullptr) << number;
  // A live dynamic number handed back names its record; a stale one is no index either.
  EXPECT_EQ(claim_record(registry, numbers[0]), reinterpret_cast<FileRecord*>(numbers[0]));
  EXPECT_EQ(std::tuple(claim_record(registry, gone), registry.core.capacity), std::tuple(nullptr, 30));
  std::vector<ObjectNumber> closed;
  close_dynamic_records(registry, [&](ObjectNumber number) {
    EXPECT_TRUE(find_record(registry, number) && (number < 0 || number > 30)) << number;
    closed.push_back(number);
    release_record(registry, number);
  });
  EXPECT_EQ(closed, numbers);
  EXPECT_EQ(registry.core.dynamic.head, nullptr);
}

}  // namespace
