#include <gtest/gtest.h>

#include <cstdint>
#include <tuple>
#include <vector>

#include "tests/support/test_support.h"

namespace {

HANDLE in_use(INT_PTR value) { return reinterpret_cast<HANDLE>(value); }

std::vector<ObjectNumber> walk(const ObjectList& list) {
  std::vector<ObjectNumber> payloads;
  for (ObjectListNode* node = list.head; node; node = node->next)
    payloads.push_back(reinterpret_cast<ObjectNumber>(object_list_payload(node)));
  return payloads;
}

using Registry = RuntimeTest;

TEST_F(Registry, GrowsToNumberPlusStepAndNeverFindsTheCapacitySlot) {
  const std::tuple<RegistrySettings, ObjectNumber, INT32> cases[] = {
      {FILE_REGISTRY_SETTINGS, 333, 343},    {FILE_REGISTRY_SETTINGS, 5, 10},
      {FILE_REGISTRY_SETTINGS, 10, 20},      {WINDOW_REGISTRY_SETTINGS, 10, 40},
      {WINDOW_REGISTRY_SETTINGS, 25, 55},    {WINDOW_REGISTRY_SETTINGS, 9, 10},
      {CONTROL_REGISTRY_SETTINGS, 100, 130},
  };
  for (const auto& [settings, number, capacity] : cases) {
    SCOPED_TRACE(number);
    NumberedRegistry<FileRecord> registry{};
    ASSERT_TRUE(registry_init(registry, settings));
    claim_record(registry, 1)->handle = in_use(1);
    FileRecord* record = claim_record(registry, number);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->handle, nullptr) << "a newly claimed record starts free";
    record->handle = in_use(2);
    EXPECT_EQ(registry.core.capacity, capacity);
    EXPECT_EQ(find_record(registry, capacity), nullptr);
    EXPECT_EQ(read_record(registry, 1).handle, in_use(1)) << "records survive growth";
    EXPECT_EQ(read_record(registry, number).handle, in_use(2));
  }
}

TEST_F(Registry, DynamicNumbersAreDistinctFromEveryIndexWalkNewestFirstAndNameOnlyLiveRecords) {
  NumberedRegistry<FileRecord> registry{};
  registry_init(registry, CONTROL_REGISTRY_SETTINGS);
  std::vector<ObjectNumber> numbers;  // newest first
  for (int i = 0; i < 4; ++i) {
    FileRecord* record = claim_record(registry, ANY_NUMBER);
    record->handle = in_use(10 + i);
    numbers.insert(numbers.begin(), dynamic_number(record));
  }
  const ObjectNumber gone = numbers[0], next_to_live = numbers[1] + 1;
  release_record(registry, gone);
  numbers.erase(numbers.begin());
  claim_record(registry, 3)->handle = in_use(7);
  release_record(registry, 3);
  FileRecord on_stack{in_use(8)};
  const ObjectNumber elsewhere = dynamic_number(&on_stack);
  const ObjectNumber not_found[] = {-1,   -2,   INTPTR_MIN,   3,          29,       30, 31,
                                    1000, gone, next_to_live, 0x12345678, elsewhere};
  for (ObjectNumber number : not_found) EXPECT_EQ(find_record(registry, number), nullptr) << number;
  for (ObjectNumber number : numbers) {
    EXPECT_TRUE(number != ANY_NUMBER && (number < 0 || number > registry.core.capacity)) << number;
    EXPECT_EQ(find_record(registry, number), reinterpret_cast<FileRecord*>(number));
  }
  EXPECT_EQ(walk(registry.core.dynamic), numbers);
  std::vector<ObjectNumber> closed;
  close_dynamic_records(registry, [&](ObjectNumber number) {
    closed.push_back(number);
    release_record(registry, number);
  });
  EXPECT_EQ(closed, numbers);
  EXPECT_EQ(registry.core.dynamic.head, nullptr);
}

TEST_F(Registry, RemovingAnyNodeOfThreeKeepsTheOthersInOrder) {
  for (int removed = 0; removed < 3; ++removed) {
    ObjectList list{};
    std::vector<void*> added;
    for (int i = 0; i < 3; ++i) added.push_back(object_list_add(list, sizeof(ObjectListNode) + 8));
    object_list_remove(list, added[removed]);
    std::vector<ObjectNumber> expected;
    for (int i = 2; i >= 0; --i)
      if (i != removed) expected.push_back(reinterpret_cast<ObjectNumber>(added[i]));
    EXPECT_EQ(walk(list), expected) << removed;
    // The survivors must still unlink cleanly from either position.
    object_list_remove(list, reinterpret_cast<void*>(expected.back()));
    object_list_remove(list, reinterpret_cast<void*>(expected.front()));
    EXPECT_EQ(list.head, nullptr);
  }
}

TEST_F(Registry, ClaimsThatCannotBeMetFailAndChangeNothing) {
  // Past the signed 32-bit range where numbers are pointer-sized; the lowest number otherwise.
  const ObjectNumber too_large = static_cast<ObjectNumber>(static_cast<int64_t>(INT32_MAX) + 1);
  for (ObjectNumber number :
       {ObjectNumber{-2}, ObjectNumber{-10000}, ObjectNumber{INT32_MAX - 29}, too_large}) {
    SCOPED_TRACE(number);
    NumberedRegistry<FileRecord> registry{};
    registry_init(registry, CONTROL_REGISTRY_SETTINGS);
    claim_record(registry, 7)->handle = in_use(77);
    BYTE* table = registry.core.table;
    EXPECT_EQ(claim_record(registry, number), nullptr);
    EXPECT_EQ(registry.core.capacity, 30);
    EXPECT_EQ(registry.core.table, table);
    EXPECT_EQ(find_record(registry, 7)->handle, in_use(77));
    EXPECT_EQ(registry.core.dynamic.head, nullptr);
  }
  // A table within the number limit that cannot be had: its heap has a maximum.
  main_heap = HeapCreate(0, 0, 65536);
  NumberedRegistry<FileRecord> capped{};
  ASSERT_TRUE(registry_init(capped, FILE_REGISTRY_SETTINGS));
  EXPECT_EQ(claim_record(capped, 60000), nullptr);
  EXPECT_EQ(capped.core.capacity, 10);
  EXPECT_NE(claim_record(capped, 3), nullptr);
}

// Fault: a dynamic number handed back is taken as a table index: the table grows to the address (tens of
// megabytes on i686) and the object under the number can no longer be reached.
TEST_F(Registry, ADynamicNumberHandedBackNamesItsRecordOrIsRefused) {
  NumberedRegistry<FileRecord> registry{};
  registry_init(registry, FILE_REGISTRY_SETTINGS);
  FileRecord* live = claim_record(registry, ANY_NUMBER);
  live->handle = in_use(1);
  const ObjectNumber stale = dynamic_number(claim_record(registry, ANY_NUMBER));
  release_record(registry, stale);
  EXPECT_EQ(claim_record(registry, dynamic_number(live)), live);
  EXPECT_EQ(claim_record(registry, stale), nullptr);
  EXPECT_EQ(registry.core.capacity, 10);
}

bool file_open_when_windows_closed;

TEST_F(Registry, TeardownClosesWindowsThenFilesThenDestroysTheObjectHeap) {
  TempFolder folder;
  set_teardown_windows_step([] { file_open_when_windows_closed = find_record(file_registry, 4) != nullptr; });
  ASSERT_NE(open_file(4, "numbered.bin", FILE_MODE_READ_WRITE), 0);
  ASSERT_NE(open_file(ANY_NUMBER, "dynamic.bin", FILE_MODE_READ_WRITE), 0);
  runtime_teardown();
  set_teardown_windows_step(nullptr);
  EXPECT_TRUE(file_open_when_windows_closed);
  EXPECT_EQ(object_heap, nullptr);
  for (const char* name : {"numbered.bin", "dynamic.bin"})
    EXPECT_TRUE(can_open(name, GENERIC_WRITE, 0)) << name;
}

}  // namespace
