#include "runtime/runtime.h"

NumberedRegistry<FileRecord> file_registry;
HANDLE current_file;
DWORD file_error;

struct FileModeParameters {
  DWORD access;
  DWORD share;
  DWORD disposition;
};

// Indexed by mode; slot 0 is not a mode.
static constexpr FileModeParameters FILE_MODES[] = {
    {0, 0, 0},
    // Reading shares writing too: the file may be open in a program that writes it.
    {GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING},
    {GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, OPEN_ALWAYS},
    {GENERIC_WRITE, FILE_SHARE_READ, CREATE_ALWAYS},
    {GENERIC_READ | GENERIC_WRITE, 0, OPEN_EXISTING},
};

bool init_files() {
  const bool table = registry_init(file_registry, FILE_REGISTRY_SETTINGS);
  current_file = nullptr;
  return table;
}

// The number is had before the file is opened, so that a number refused leaves the file system as it
// was: no file created, none emptied. The file it held goes only once the new one is open.
INT_PTR open_file(ObjectNumber number, const char* name, int mode) {
  current_file = nullptr;
  file_error = ERROR_INVALID_PARAMETER;
  if (mode < FILE_MODE_READ || mode > FILE_MODE_EXCLUSIVE || !name) return 0;
  const bool dynamic = number == ANY_NUMBER;
  const FileRecord* claimed = claim_record(file_registry, number);
  if (!claimed) {
    file_error = GetLastError();
    return 0;
  }
  if (dynamic) number = dynamic_number(claimed);
  const FileModeParameters& parameters = FILE_MODES[mode];
  HANDLE handle = CreateFileA(name, parameters.access, parameters.share, nullptr, parameters.disposition,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    file_error = GetLastError();
    if (dynamic) release_record(file_registry, number);
    return 0;
  }
  // The record claimed above, found again; the file the number held is closed.
  claim_for_open(file_registry, number, close_file)->handle = handle;
  current_file = handle;
  file_error = NO_ERROR;
  return dynamic ? number : reinterpret_cast<INT_PTR>(handle);
}

void close_file(ObjectNumber number) {
  if (number == ANY_NUMBER) return;
  FileRecord* record = find_record(file_registry, number);
  if (!record) return;
  // Windows may hand the closed handle's value to the next object it makes.
  if (record->handle == current_file) current_file = nullptr;
  CloseHandle(record->handle);
  release_record(file_registry, number);
}

void close_all_files() {
  close_dynamic_records(file_registry, close_file);
  for (INT32 number = 0; number < file_registry.core.capacity; ++number) close_file(number);
}

LONG file_seek(LONG position) {
  if (!current_file) return -1;
  const DWORD moved = SetFilePointer(current_file, position, nullptr, FILE_BEGIN);
  if (moved == INVALID_SET_FILE_POINTER) file_error = GetLastError();
  return static_cast<LONG>(moved);
}

INT32 read_word() {
  if (!current_file) return 0;
  SHORT word = 0;
  DWORD bytes_read = 0;
  ReadFile(current_file, &word, sizeof word, &bytes_read, nullptr);
  return word;
}

static INT32 write_current(const void* bytes, DWORD size) {
  if (!current_file) return 0;
  DWORD bytes_written = 0;
  if (!WriteFile(current_file, bytes, size, &bytes_written, nullptr)) {
    file_error = GetLastError();
    return 0;
  }
  return static_cast<INT32>(bytes_written);
}

INT32 write_word(INT32 value) {
  const auto word = static_cast<WORD>(value);
  return write_current(&word, sizeof word);
}

INT32 write_word_pair(INT32 first, INT32 second) {
  const WORD words[] = {static_cast<WORD>(first), static_cast<WORD>(second)};
  return write_current(words, sizeof words);
}
