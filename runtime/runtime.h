// Runtime services: private heaps, object lists, numbered registries, scratch-area
// strings, numbered files, the file probe and the program launch.
#pragma once

#include <windows.h>

// Object numbers are chosen by the caller (0 or more) or, with ANY_NUMBER, made from the
// address of the object's record; they are pointer-sized so that a 64-bit address fits.
using ObjectNumber = INT_PTR;
inline constexpr ObjectNumber ANY_NUMBER = -1;

// Said by the event translator and the sizing handler when they leave a message alone.
inline constexpr LRESULT UNHANDLED_RESULT = static_cast<LRESULT>(0xD0D0D0D1u);

// ---- Heaps and the program's module -------------------------------------------------

extern HINSTANCE program_module;
extern HANDLE main_heap;
extern HANDLE object_heap;
// 0 in the program: main_heap grows as needed. Tests set a maximum to make allocations from it fail.
extern SIZE_T main_heap_maximum;

// Each returns whether its heap was made.
bool create_main_heap();
bool create_object_heap();

// The window library hands its close-all here, so that this layer never depends on it.
void set_teardown_windows_step(void (*close_all_windows)());
// Windows, then files, then object_heap; main_heap outlives it.
void runtime_teardown();

// ---- ObjectList ---------------------------------------------------------------------

struct ObjectListNode {
  ObjectListNode* next;  // added before this one
  ObjectListNode* prev;  // added after this one; never read for the head
};

struct ObjectList {
  ObjectListNode* head;
};

inline void* object_list_payload(ObjectListNode* node) { return node + 1; }
inline ObjectListNode* object_list_node(void* payload) { return static_cast<ObjectListNode*>(payload) - 1; }

// node_size includes the two header words; returns the zero-filled payload, or null.
void* object_list_add(ObjectList& list, SIZE_T node_size);
void object_list_remove(ObjectList& list, void* payload);
bool object_list_contains(const ObjectList& list, const void* payload);

// ---- NumberedRegistry ---------------------------------------------------------------

struct RegistrySettings {
  INT32 initial_capacity;
  INT32 growth_step;
  INT32 spare_records;  // the table has room for capacity + spare_records records
};

inline constexpr RegistrySettings WINDOW_REGISTRY_SETTINGS{10, 30, 2};
inline constexpr RegistrySettings CONTROL_REGISTRY_SETTINGS{30, 30, 2};
inline constexpr RegistrySettings FILE_REGISTRY_SETTINGS{10, 10, 1};

// Nothing is ever allocated below 64 KiB, so a table kept below it never holds an index that is
// also a dynamic number (an address); a number whose table would reach it is refused.
inline constexpr ObjectNumber TABLE_NUMBER_LIMIT = 0x10000;

// The untyped core; the first pointer-sized word of every record is the object's OS
// handle, and a record whose first word is 0 is free.
struct RegistryCore {
  RegistrySettings settings;
  INT32 capacity;
  BYTE* table;
  ObjectList dynamic;
  ObjectNumber reopening;  // a dynamic number whose record its release clears and keeps
};

bool registry_core_init(RegistryCore& core, const RegistrySettings& settings, SIZE_T record_size);
void* registry_core_claim(RegistryCore& core, ObjectNumber number, SIZE_T record_size);
void* registry_core_find(RegistryCore& core, ObjectNumber number, SIZE_T record_size);
void registry_core_release(RegistryCore& core, ObjectNumber number, SIZE_T record_size);

template <typename Record>
struct NumberedRegistry {
  RegistryCore core;
};

template <typename Record>
bool registry_init(NumberedRegistry<Record>& registry, const RegistrySettings& settings) {
  return registry_core_init(registry.core, settings, sizeof(Record));
}

// The record that is to hold the object with this number (a new dynamic record for
// ANY_NUMBER, the dynamic record itself for a dynamic number), or null when the claim cannot
// be met; a failed claim changes nothing, and GetLastError says why: ERROR_INVALID_PARAMETER for
// a number no table takes, ERROR_NOT_ENOUGH_MEMORY when memory ran out.
template <typename Record>
Record* claim_record(NumberedRegistry<Record>& registry, ObjectNumber number) {
  return static_cast<Record*>(registry_core_claim(registry.core, number, sizeof(Record)));
}

// The record of the object in use under this number, or null.
template <typename Record>
Record* find_record(NumberedRegistry<Record>& registry, ObjectNumber number) {
  return static_cast<Record*>(registry_core_find(registry.core, number, sizeof(Record)));
}

// The found record, or an all-zero record when the number names nothing.
template <typename Record>
const Record& read_record(NumberedRegistry<Record>& registry, ObjectNumber number) {
  static constexpr Record default_record{};
  const Record* found = find_record(registry, number);
  return found ? *found : default_record;
}

// Claims the record for an object about to be opened under number and makes the number
// final: the new record's address for ANY_NUMBER, otherwise the number itself, after
// close(number) has closed whatever held it. Null when the claim cannot be met. A dynamic
// record outlives that close, so that its number names the new object as a table number does;
// when the open then fails, the opener releases it.
template <typename Record, typename Close>
Record* claim_for_open(NumberedRegistry<Record>& registry, ObjectNumber& number, Close close) {
  Record* record = claim_record(registry, number);
  if (!record) return nullptr;
  if (number == ANY_NUMBER) {
    number = reinterpret_cast<ObjectNumber>(record);
  } else {
    const ObjectNumber outer = registry.core.reopening;
    registry.core.reopening = number;
    close(number);
    registry.core.reopening = outer;
  }
  return record;
}

template <typename Record>
void release_record(NumberedRegistry<Record>& registry, ObjectNumber number) {
  registry_core_release(registry.core, number, sizeof(Record));
}

template <typename Record>
ObjectNumber dynamic_number(const Record* record) {
  return reinterpret_cast<ObjectNumber>(record);
}

// Calls close(number) for every dynamic record, newest first. The successor is taken before
// each call because closing releases the node; closing may release others too (a window
// destroyed with its owner), and a successor gone meanwhile starts the walk again.
template <typename Record, typename Close>
void close_dynamic_records(NumberedRegistry<Record>& registry, Close close) {
  ObjectList& list = registry.core.dynamic;
  for (ObjectListNode* node = list.head; node;) {
    ObjectListNode* next = node->next;
    close(reinterpret_cast<ObjectNumber>(object_list_payload(node)));
    if (next && !object_list_contains(list, object_list_payload(next))) next = list.head;
    node = next;
  }
}

// ---- Strings and the scratch area ---------------------------------------------------

inline constexpr SIZE_T SCRATCH_SIZE = 64000;

extern char* string_scratch;
extern char* scratch_cursor;

// Allocates the area from main_heap and puts the cursor at its start; returns whether the area was had.
// Without it the area is a single byte, so that builders still write nowhere else.
bool init_scratch();
// The last byte of the area; nothing is ever written past it.
char* scratch_last_byte();
// Releases every temporary built since start.
inline void scratch_release(char* start) { scratch_cursor = start; }
// Moves the cursor one byte past a finished temporary's zero, so that code run while
// the temporary is in use builds its own temporaries after it.
void scratch_keep(const char* temporary);

// Builders: write at destination, end with a zero, leave the cursor on that zero and
// return destination. What does not fit in the area is cut.
char* number_to_text(INT_PTR value, char* destination);
char* text_trim(const char* text, char* destination);
char* text_upper(const char* text, char* destination);
char* text_left(const char* text, INT32 count, char* destination);
char* text_spaces(INT32 count, char* destination);

// Copies text at the cursor and leaves the cursor on the copy's zero.
char* scratch_append(const char* text);

INT32 text_to_number(const char* text);
INT32 text_length(const char* text);
int strings_equal(const char* a, const char* b);

// A string variable owns a copy of its text in main_heap, or holds null (empty).
using StringVariable = char*;

void assign_string(StringVariable& variable, const char* text);
void init_string(StringVariable& variable, const char* text);
// Copies the temporary that begins at start into the variable and releases it.
void assign_scratch(StringVariable& variable, char* start);
void free_string(StringVariable& variable);

// ---- Numbered files ------------------------------------------------------------------

struct FileRecord {
  HANDLE handle;
};

enum FileMode : int {
  FILE_MODE_READ = 1,        // existing file, read
  FILE_MODE_READ_WRITE = 2,  // read and write, created when missing
  FILE_MODE_CREATE = 3,      // created or truncated, write
  FILE_MODE_EXCLUSIVE = 4,   // existing file, read and write, not shared
};

extern NumberedRegistry<FileRecord> file_registry;
// The file most recently opened with success; null when the last open failed or that file was closed.
extern HANDLE current_file;
// Why the last open, seek or write failed, as GetLastError gave it (NO_ERROR after an open that
// succeeded), so that a caller can tell the user what to do; the runtime shows nothing itself.
extern DWORD file_error;

// Each init returns whether its registry's table was had.
bool init_files();
// The file handle for a number of the caller's, the new number for ANY_NUMBER, 0 on failure.
INT_PTR open_file(ObjectNumber number, const char* name, int mode);
void close_file(ObjectNumber number);
void close_all_files();
LONG file_seek(LONG position);
INT32 read_word();
// Returns the number of bytes written: 2, or 0.
INT32 write_word(INT32 value);
// The low 16 bits of each, first then second, in one write, so that both change or neither does.
// Returns the number of bytes written: 4, or 0.
INT32 write_word_pair(INT32 first, INT32 second);

// ---- File probe and program launch ---------------------------------------------------

inline constexpr INT32 FILE_SIZE_NOT_FOUND = -1;
inline constexpr INT32 FILE_SIZE_FOLDER = -2;
inline constexpr SIZE_T FILE_NAME_BUFFER_SIZE = 1024;

INT32 file_size(const char* name);

enum RunProgramFlags : INT32 {
  RUN_WAIT = 1,
  RUN_HIDDEN = 2,
};

// The largest folder part of a file name that run_program takes, in characters.
inline constexpr SIZE_T LAUNCH_FOLDER_MAX = 510;

// Copies the folder part of file (up to and with its last backslash) into buffer and
// returns its length: 0 when the file has no folder part, -1 when it is too long.
INT32 launch_folder(const char* file, char (&buffer)[LAUNCH_FOLDER_MAX + 2]);

INT_PTR run_program(const char* file, const char* parameters, const char* directory, INT32 flags);
INT_PTR run_program(const char* file, const char* parameters, const char* directory);
INT_PTR run_program(const char* file);
