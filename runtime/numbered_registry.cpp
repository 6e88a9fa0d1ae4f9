#include <cstdint>

#include "runtime/runtime.h"

static BYTE* table_record(RegistryCore& core, ObjectNumber number, SIZE_T record_size) {
  return core.table + static_cast<SIZE_T>(number) * record_size;
}

static bool in_table(const RegistryCore& core, ObjectNumber number) {
  return number >= 0 && number <= core.capacity;
}

static bool record_in_use(const void* record) { return *static_cast<const HANDLE*>(record) != nullptr; }

static bool is_dynamic(const RegistryCore& core, ObjectNumber number) {
  return object_list_contains(core.dynamic, reinterpret_cast<void*>(number));
}

// Byte size of a table with room for capacity + spare records, or 0 when it cannot be had.
static SIZE_T table_bytes(INT32 capacity, const RegistrySettings& settings, SIZE_T record_size) {
  const uint64_t records = static_cast<uint64_t>(capacity) + static_cast<uint64_t>(settings.spare_records);
  const uint64_t bytes = records * record_size;
  if (bytes > SIZE_MAX) return 0;
  return static_cast<SIZE_T>(bytes);
}

bool registry_core_init(RegistryCore& core, const RegistrySettings& settings, SIZE_T record_size) {
  core = {};
  core.settings = settings;
  core.table = static_cast<BYTE*>(
      HeapAlloc(main_heap, HEAP_ZERO_MEMORY, table_bytes(settings.initial_capacity, settings, record_size)));
  if (!core.table) return false;
  core.capacity = settings.initial_capacity;
  return true;
}

// Says why a claim is refused, as a Win32 call would.
static bool refuse(DWORD error) {
  SetLastError(error);
  return false;
}

// Grows the table so that number becomes an index below the capacity; leaves everything as
// it was when the new capacity would reach TABLE_NUMBER_LIMIT or memory runs out.
static bool grow_table(RegistryCore& core, ObjectNumber number, SIZE_T record_size) {
  if (!core.table) return refuse(ERROR_NOT_ENOUGH_MEMORY);
  if (number >= TABLE_NUMBER_LIMIT - core.settings.growth_step) return refuse(ERROR_INVALID_PARAMETER);
  const auto capacity = static_cast<INT32>(number + core.settings.growth_step);
  const SIZE_T bytes = table_bytes(capacity, core.settings, record_size);
  if (bytes == 0) return refuse(ERROR_INVALID_PARAMETER);
  void* table = HeapReAlloc(main_heap, HEAP_ZERO_MEMORY, core.table, bytes);
  if (!table) return refuse(ERROR_NOT_ENOUGH_MEMORY);
  core.table = static_cast<BYTE*>(table);
  core.capacity = capacity;
  return true;
}

void* registry_core_claim(RegistryCore& core, ObjectNumber number, SIZE_T record_size) {
  if (number == ANY_NUMBER) {
    void* record = object_list_add(core.dynamic, sizeof(ObjectListNode) + record_size);
    if (!record) refuse(ERROR_NOT_ENOUGH_MEMORY);
    return record;
  }
  if (is_dynamic(core, number)) return reinterpret_cast<void*>(number);
  if (number < 0) {
    refuse(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  if (number >= core.capacity && !grow_table(core, number, record_size)) return nullptr;
  return table_record(core, number, record_size);
}

void* registry_core_find(RegistryCore& core, ObjectNumber number, SIZE_T record_size) {
  void* record = nullptr;
  if (in_table(core, number)) {
    if (core.table) record = table_record(core, number, record_size);
  } else if (is_dynamic(core, number)) {
    record = reinterpret_cast<void*>(number);
  }
  return record && record_in_use(record) ? record : nullptr;
}

// A released record is all zero, so that nothing of the object it held is handed on to the next one.
void registry_core_release(RegistryCore& core, ObjectNumber number, SIZE_T record_size) {
  if (in_table(core, number)) {
    if (core.table) ZeroMemory(table_record(core, number, record_size), record_size);
  } else if (is_dynamic(core, number)) {
    if (number == core.reopening) {
      ZeroMemory(reinterpret_cast<void*>(number), record_size);
    } else {
      object_list_remove(core.dynamic, reinterpret_cast<void*>(number));
    }
  }
}
