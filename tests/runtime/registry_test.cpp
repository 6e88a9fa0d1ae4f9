#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "tests/support/test_support.h"

namespace {

struct TestRecord {
  HANDLE handle;
  INT_PTR payload;
};

HANDLE in_use(INT_PTR value) { return reinterpret_cast<HANDLE>(value); }

std::vector<void*> walk(const ObjectList& list) {
  std::vector<void*> payloads;
  for (ObjectListNode* node = list.head; node; node = node->next) payloads.push_back(object_list_payload(node));
  return payloads;
}

class Registry : public testing::Test {
 protected:
  void SetUp() override { init_runtime_for_tests(); }
};

TEST_F(Registry, GrowsToNumberPlusStepAndNeverFindsTheCapacitySlot) {
  struct Case {
    const char* name;
    RegistrySettings settings;
    std::vector<ObjectNumber> claims;
    INT32 capacity;
  };
  const Case cases[] = {
      {"files 333", FILE_REGISTRY_SETTINGS, {333}, 343},
      {"files 5 fits", FILE_REGISTRY_SETTINGS, {5}, 10},
      {"files at capacity", FILE_REGISTRY_SETTINGS, {10}, 20},
      {"windows 10", WINDOW_REGISTRY_SETTINGS, {10}, 40},
      {"windows 25", WINDOW_REGISTRY_SETTINGS, {25}, 55},
      {"windows 9 fits", WINDOW_REGISTRY_SETTINGS, {9}, 10},
      {"controls 100 then 101..104", CONTROL_REGISTRY_SETTINGS, {100, 101, 102, 103, 104}, 130},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    NumberedRegistry<TestRecord> registry{};
    ASSERT_TRUE(registry_init(registry, c.settings));
    EXPECT_EQ(find_record(registry, registry.core.capacity), nullptr);
    for (ObjectNumber number : c.claims) {
      TestRecord* record = claim_record(registry, number);
      ASSERT_NE(record, nullptr);
      EXPECT_EQ(record->handle, nullptr) << "a newly claimed record starts free";
      record->handle = in_use(number + 1);
    }
    EXPECT_EQ(registry.core.capacity, c.capacity);
    EXPECT_EQ(find_record(registry, registry.core.capacity), nullptr);
    for (ObjectNumber number : c.claims) {
      ASSERT_NE(find_record(registry, number), nullptr);
      EXPECT_EQ(find_record(registry, number)->handle, in_use(number + 1)) << "records survive growth";
    }
  }
}

TEST_F(Registry, DynamicNumbersAreDistinctFromEveryIndexAndWalkNewestFirst) {
  NumberedRegistry<TestRecord> registry{};
  registry_init(registry, WINDOW_REGISTRY_SETTINGS);
  claim_record(registry, 100)->handle = in_use(1);  // a capacity well above the initial one
  std::vector<ObjectNumber> numbers;
  for (int i = 0; i < 3; ++i) {
    TestRecord* record = claim_record(registry, ANY_NUMBER);
    ASSERT_NE(record, nullptr);
    record->handle = in_use(10 + i);
    numbers.push_back(dynamic_number(record));
  }
  for (size_t i = 0; i < numbers.size(); ++i) {
    EXPECT_NE(numbers[i], ANY_NUMBER);
    EXPECT_TRUE(numbers[i] < 0 || numbers[i] > registry.core.capacity) << numbers[i];
    EXPECT_EQ(find_record(registry, numbers[i])->handle, in_use(10 + static_cast<INT_PTR>(i)));
  }
  std::vector<void*> expected_walk{reinterpret_cast<void*>(numbers[2]), reinterpret_cast<void*>(numbers[1]),
                                   reinterpret_cast<void*>(numbers[0])};
  EXPECT_EQ(walk(registry.core.dynamic), expected_walk);

  std::vector<ObjectNumber> closed;
  close_dynamic_records(registry, [&](ObjectNumber number) {
    closed.push_back(number);
    release_record(registry, number);
  });
  EXPECT_EQ(closed, (std::vector<ObjectNumber>{numbers[2], numbers[1], numbers[0]}));
  EXPECT_EQ(registry.core.dynamic.head, nullptr);
}

TEST_F(Registry, RemovingAnyNodeOfThreeKeepsTheOthersInOrder) {
  for (int removed = 0; removed < 3; ++removed) {
    SCOPED_TRACE(removed);
    ObjectList list{};
    std::vector<void*> added;
    for (int i = 0; i < 3; ++i) added.push_back(object_list_add(list, sizeof(ObjectListNode) + sizeof(TestRecord)));
    object_list_remove(list, added[removed]);
    std::vector<void*> expected;
    for (int i = 2; i >= 0; --i)
      if (i != removed) expected.push_back(added[i]);
    EXPECT_EQ(walk(list), expected);
    // The survivors must still unlink cleanly from either position.
    object_list_remove(list, expected.back());
    object_list_remove(list, expected.front());
    EXPECT_EQ(list.head, nullptr);
  }
}

TEST_F(Registry, NumbersThatNameNoLiveObjectAreNotFound) {
  NumberedRegistry<TestRecord> registry{};
  registry_init(registry, CONTROL_REGISTRY_SETTINGS);
  TestRecord* dynamic = claim_record(registry, ANY_NUMBER);
  dynamic->handle = in_use(5);
  const ObjectNumber live = dynamic_number(dynamic);
  TestRecord* released = claim_record(registry, ANY_NUMBER);
  released->handle = in_use(6);
  const ObjectNumber gone = dynamic_number(released);
  release_record(registry, gone);
  claim_record(registry, 3)->handle = in_use(7);
  release_record(registry, 3);

  TestRecord on_stack{in_use(8), 0};
  const ObjectNumber not_found[] = {-1,   -2, INTPTR_MIN, 3, 29, 30, 31, 1000, gone, live + 1,
                                    0x12345678, dynamic_number(&on_stack)};
  for (ObjectNumber number : not_found) EXPECT_EQ(find_record(registry, number), nullptr) << number;
  EXPECT_EQ(find_record(registry, live), dynamic);
  EXPECT_EQ(read_record(registry, 1000).handle, nullptr) << "the default record reads as free";
}

TEST_F(Registry, ClaimsThatCannotBeMetFailAndChangeNothing) {
  const ObjectNumber refused[] = {-2, -10000, INT32_MAX, INT32_MAX - 29, static_cast<ObjectNumber>(INT32_MAX) + 1};
  for (ObjectNumber number : refused) {
    SCOPED_TRACE(number);
    NumberedRegistry<TestRecord> registry{};
    registry_init(registry, CONTROL_REGISTRY_SETTINGS);
    claim_record(registry, 7)->handle = in_use(77);
    BYTE* table = registry.core.table;
    EXPECT_EQ(claim_record(registry, number), nullptr);
    EXPECT_EQ(registry.core.capacity, 30);
    EXPECT_EQ(registry.core.table, table);
    EXPECT_EQ(find_record(registry, 7)->handle, in_use(77));
    EXPECT_EQ(registry.core.dynamic.head, nullptr);
  }

  // A capacity within the signed range whose table cannot be had.
  struct HugeRecord {
    HANDLE handle;
    char rest[1 << 20];
  };
  NumberedRegistry<HugeRecord> huge{};
  ASSERT_TRUE(registry_init(huge, FILE_REGISTRY_SETTINGS));
  EXPECT_EQ(claim_record(huge, INT32_MAX - 100), nullptr);
  EXPECT_EQ(huge.core.capacity, 10);
  EXPECT_NE(claim_record(huge, 3), nullptr);
}

int windows_step_calls;
bool file_was_open_when_windows_closed;

void record_windows_step() {
  ++windows_step_calls;
  file_was_open_when_windows_closed = find_record(file_registry, 4) != nullptr;
}

TEST_F(Registry, TeardownClosesWindowsThenFilesThenDestroysTheObjectHeap) {
  TempFolder folder;
  set_teardown_windows_step(record_windows_step);
  const auto numbered = reinterpret_cast<HANDLE>(open_file(4, "numbered.bin", FILE_MODE_READ_WRITE));
  const ObjectNumber dynamic = open_file(ANY_NUMBER, "dynamic.bin", FILE_MODE_READ_WRITE);
  ASSERT_NE(numbered, nullptr);
  ASSERT_NE(dynamic, 0);
  runtime_teardown();
  EXPECT_EQ(windows_step_calls, 1);
  EXPECT_TRUE(file_was_open_when_windows_closed);
  EXPECT_EQ(object_heap, nullptr);
  EXPECT_EQ(find_record(file_registry, 4), nullptr);
  // Both files were closed: they can now be opened exclusively.
  for (const char* name : {"numbered.bin", "dynamic.bin"}) {
    HANDLE again = CreateFileA(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(again, INVALID_HANDLE_VALUE) << name;
    CloseHandle(again);
  }
  set_teardown_windows_step(nullptr);
}

}  // namespace
