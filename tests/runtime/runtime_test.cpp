#include <cstdint>
#include <cstring>
#include <string>
#include <tuple>

#include "tests/support/test_support.h"

namespace {

HANDLE in_use(INT_PTR value) { return reinterpret_cast<HANDLE>(value); }

using Registry = RuntimeTest;
using Strings = RuntimeTest;
using Files = RuntimeTest;
using Probe = RuntimeTest;
using Launch = RuntimeTest;
// A number at or past the capacity grows it to number + step; the slot at the capacity is never
// found, the records already there survive the move, and a claim that cannot be met (negative, past
// the signed 32-bit range, a table that would reach 64 KiB records, where addresses begin, or one too large
// to allocate) fails and changes nothing.
TEST_F(Registry, GrowsToNumberPlusStepOrFailsChangingNothing) {
  const auto too_large = static_cast<ObjectNumber>(static_cast<int64_t>(INT32_MAX) + 1);
  const ObjectNumber no_table = INT32_MAX - 29;  // its capacity still fits 32 bits
  const RegistrySettings FILES = FILE_REGISTRY_SETTINGS, WINDOWS = WINDOW_REGISTRY_SETTINGS,
                         CONTROLS = CONTROL_REGISTRY_SETTINGS;
  const std::tuple<RegistrySettings, ObjectNumber, INT32> cases[] = {
      {FILES, 333, 343},        {FILES, 5, 10},           {WINDOWS, 10, 40},
      {CONTROLS, 100, 130},     {CONTROLS, -2, 30},       {CONTROLS, too_large, 30},
      {CONTROLS, no_table, 30}, {CONTROLS, 65505, 65535}, {CONTROLS, 65506, 30},
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
  for (int i = 0; i < 5; ++i) {
    FileRecord* record = claim_record(registry, ANY_NUMBER);
    record->handle = in_use(10 + i);
    numbers.insert(numbers.begin(), dynamic_number(record));
  }
  // Two records from the middle go, one after the other, then the oldest.
  const ObjectNumber gone = numbers[1];
  for (const ObjectNumber number : {gone, numbers[2], numbers[4]}) release_record(registry, number);
  numbers = {numbers[0], numbers[3]};
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

// Builders in one shape, so that one table drives them all.
using Builder = char* (*)(const char* text, INT32 count, char* destination);
char* trim(const char* text, INT32, char* destination) { return text_trim(text, destination); }
char* upper(const char* text, INT32, char* destination) { return text_upper(text, destination); }
char* spaces(const char*, INT32 count, char* destination) { return text_spaces(count, destination); }
char* append(const char* text, INT32, char*) { return scratch_append(text); }
char* number(const char*, INT32 count, char* destination) { return number_to_text(count, destination); }
char* left(const char* text, INT32 count, char* destination) { return text_left(text, count, destination); }

// Every builder stops at the area's last byte: a guard right after the area stays untouched
// however long the input, and the result is still zero-terminated.
TEST_F(Strings, NothingIsWrittenPastTheScratchArea) {
  std::vector<char> area(SCRATCH_SIZE + 4096, 0x5A);
  string_scratch = area.data();
  const std::string long_text(100000, 'q');
  // clang-format off
  const std::pair<Builder, size_t> cases[] = {{append, 0}, {upper, 0}, {trim, 0}, {left, 0}, {spaces, 0},
                                              {append, SCRATCH_SIZE - 1}, {number, SCRATCH_SIZE - 4}};
  // clang-format on
  for (const auto& [build, offset] : cases) {
    scratch_cursor = string_scratch + offset;
    char* result = build(long_text.c_str(), offset ? -2147483647 : 100000, scratch_cursor);
    EXPECT_EQ(scratch_cursor, scratch_last_byte()) << offset;
    EXPECT_EQ(std::strlen(result), static_cast<size_t>(scratch_last_byte() - result));
  }
  // Keeping a temporary that ends on the last byte leaves the cursor inside the area.
  scratch_keep(string_scratch + 10);
  EXPECT_EQ(scratch_cursor, scratch_last_byte());
  EXPECT_EQ(std::string(area.data() + SCRATCH_SIZE, 4096), std::string(4096, 0x5A));
  init_scratch();
}

// Each text function on what callers give it: a builder's result starts at its destination and leaves the
// cursor on its zero; numbers keep their sign, leading spaces and digits alone count and overflow wraps;
// only the space byte is trimmed; the letters a to z and the bytes from 0xE0 up are upper-cased; null is the
// empty text. A kept temporary survives the ones built after it; a variable owns its copy.
TEST_F(Strings, TextFunctionsKeepTheirContracts) {
  // clang-format off
  const std::tuple<Builder, const char*, INT32, std::string> built[] = {
      {number, nullptr, 0, "0"}, {number, nullptr, INT32_MIN, "-2147483648"}, {trim, "  a b  ", 0, "a b"},
      {trim, "   ", 0, ""}, {trim, "\ta ", 0, "\ta"}, {trim, nullptr, 0, ""}, {upper, nullptr, 0, ""},
      {upper, "az{\x7F\xDF\xE0\xF7\xFF", 0, "AZ{\x7F\xDF\xC0\xD7\xDF"}, {left, "KVQ_ID", 4, "KVQ_"}, {left, "ab", 5, "ab"},
      {left, "ab", 0, ""}, {left, nullptr, 3, ""}, {spaces, nullptr, 3, "   "}, {append, "x", 0, "x"}};
  // clang-format on
  for (const auto& [build, text, count, expected] : built) {
    char* start = scratch_cursor;
    const std::string result = build(text, count, start);
    EXPECT_EQ(std::tuple(result, scratch_cursor), std::tuple(expected, start + expected.size()))
        << (text ? text : "null") << ", " << count;
    scratch_release(start);
  }
  // clang-format off
  const std::pair<const char*, INT32> numbers[] = {
      {"  42ab", 42}, {"-42", -42}, {"+7", 7}, {"- 5", 0}, {"", 0}, {nullptr, 0}, {"\t5", 0}, {"007", 7}, {"1e3", 1},
      {"0x10", 0}, {"--5", 0}, {"2147483648", INT32_MIN}, {"4294967295", -1}, {"4294967296", 0},
      {"99999999999", 1215752191}};
  // clang-format on
  for (const auto& [text, value] : numbers) EXPECT_EQ(text_to_number(text), value) << (text ? text : "null");
  EXPECT_EQ(
      std::tuple(strings_equal(nullptr, ""), strings_equal("FORM1", "form1"), strings_equal("ab", "abc"),
                 strings_equal("abc", "ab"), text_length(nullptr), text_length("abc")),
      std::tuple(1, 0, 0, 0, 0, 3));
  char* outer = number_to_text(-1024, scratch_cursor);
  scratch_keep(outer);
  char* inner = upper(" form1 ", 0, scratch_cursor);
  EXPECT_EQ(inner, outer + 6) << "the next temporary starts past the first one's zero";
  StringVariable name = nullptr;
  assign_scratch(name, trim(inner, 0, inner));
  EXPECT_EQ(std::tuple(scratch_cursor, std::string(name), std::string(outer)),
            std::tuple(inner, "FORM1", "-1024"));
  assign_string(name, "second");
  EXPECT_STREQ(name, "second");
  assign_string(name, nullptr);
  EXPECT_EQ(name, nullptr);
}

enum FileCall { OPEN, CLOSE, SEEK, READ, WRITE, PAIR, SHARES, ANOTHER_FILE };
// Stands for the number the last open with ANY_NUMBER returned.
constexpr ObjectNumber LAST_DYNAMIC = -7;
bool files_open_at_window_step;

// A caller's calls in turn and what each returns. Reading and the exclusive mode need the file, the
// read-write mode creates it and the create mode empties it; a failed open leaves no current file, and a
// failed reopen leaves the number's file open. What a second opener may do while each mode holds a file (1:
// read, 2: write): write only while it is open for reading alone, so that the changer reads the game's file
// while the game has it, and nothing else writes it while it saves. Words are read signed and short at the
// end, written low byte first, where the last good seek put the position; a closed file is no longer current,
// so nothing reaches whatever gets its handle next. A dynamic number handed back names its file, which is
// closed first. The teardown closes windows, then every file, dynamic and numbered 0 up to the last slot,
// then the object heap.
TEST_F(Files, EachCallReturnsWhatItDid) {
  TempFolder folder;
  write_file_bytes("word.bin", {0x01, 0x80, 0x7F});
  write_file_bytes("held.bin", {1, 2, 3});
  constexpr INT_PTR OPENED = -99;
  // The call, its number and file name, its mode, position or value, and its result.
  // clang-format off
  const std::tuple<FileCall, ObjectNumber, const char*, INT_PTR, INT_PTR> calls[] = {
      {OPEN, 0, "missing.bin", FILE_MODE_READ, 0}, {OPEN, 0, "missing.bin", FILE_MODE_EXCLUSIVE, 0},
      {SEEK, 0, nullptr, 0, -1}, {READ, 0, nullptr, 0, 0}, {WRITE, 0, nullptr, 5, 0},
      {OPEN, 1, "held.bin", FILE_MODE_READ, OPENED}, {SHARES, 0, "held.bin", 0, 3}, {CLOSE, 1, nullptr, 0, 0},
      {OPEN, 1, "held.bin", FILE_MODE_READ_WRITE, OPENED}, {SHARES, 0, "held.bin", 0, 1}, {CLOSE, 1, nullptr, 0, 0},
      {OPEN, 1, "held.bin", FILE_MODE_CREATE, OPENED}, {SHARES, 0, "held.bin", 0, 1}, {CLOSE, 1, nullptr, 0, 0},
      {OPEN, 1, "held.bin", FILE_MODE_EXCLUSIVE, OPENED}, {SHARES, 0, "held.bin", 0, 0}, {CLOSE, 1, nullptr, 0, 0},
      {ANOTHER_FILE, 0, "other.bin", 0, 0}, {WRITE, 0, nullptr, 5, 0},
      {OPEN, 0, "word.bin", FILE_MODE_READ_WRITE, OPENED}, {READ, 0, nullptr, 0, -32767},
      {READ, 0, nullptr, 0, 0x7F}, {READ, 0, nullptr, 0, 0}, {SEEK, 0, nullptr, 1, 1}, {SEEK, 0, nullptr, -1, -1},
      {READ, 0, nullptr, 0, 0x7F80}, {SEEK, 0, nullptr, 5, 5}, {WRITE, 0, nullptr, 0x12345, 2},
      {PAIR, 0, nullptr, 1, 4}, {OPEN, 0, "missing.bin", FILE_MODE_READ, 0}, {WRITE, 0, nullptr, 5, 0},
      {OPEN, 9, "created.bin", FILE_MODE_READ_WRITE, OPENED},
      {OPEN, ANY_NUMBER, "first.bin", FILE_MODE_READ_WRITE, OPENED},
      {OPEN, LAST_DYNAMIC, "second.bin", FILE_MODE_READ_WRITE, OPENED}, {SHARES, 0, "first.bin", 0, 3}};
  // clang-format on
  ObjectNumber dynamic = 0;
  HANDLE other = nullptr;
  for (const auto& [call, given, name, argument, result] : calls) {
    const ObjectNumber number = given == LAST_DYNAMIC ? dynamic : given;
    const auto value = static_cast<INT32>(argument);
    constexpr DWORD ANY_SHARING = FILE_SHARE_READ | FILE_SHARE_WRITE;
    const INT_PTR returned =
        call == OPEN    ? open_file(number, name, value)
        : call == CLOSE ? (close_file(number), 0)
        : call == SEEK  ? file_seek(value)
        : call == READ  ? read_word()
        : call == WRITE ? write_word(value)
        : call == PAIR  ? write_word_pair(value, -value)
        : call == SHARES
            ? can_open(name, GENERIC_READ, ANY_SHARING) + 2 * can_open(name, GENERIC_WRITE, ANY_SHARING)
            : ((other = CreateFileA(name, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr)), 0);
    if (given == ANY_NUMBER) dynamic = returned;
    EXPECT_TRUE(result == OPENED ? returned != 0 : returned == result)
        << call << " " << argument << ": " << returned;
  }
  CloseHandle(other);
  EXPECT_EQ(std::tuple(read_file_bytes("word.bin"), read_file_bytes("held.bin"), read_file_bytes("other.bin"),
                       GetFileAttributesA("missing.bin")),
            std::tuple(Bytes{0x01, 0x80, 0x7F, 0, 0, 0x45, 0x23, 1, 0, 0xFF, 0xFF}, Bytes{}, Bytes{},
                       INVALID_FILE_ATTRIBUTES));
  set_teardown_windows_step([] { files_open_at_window_step = !can_open("word.bin", GENERIC_READ, 0); });
  runtime_teardown();
  EXPECT_TRUE(files_open_at_window_step);
  for (const char* name : {"word.bin", "created.bin", "second.bin"})
    EXPECT_TRUE(can_open(name, GENERIC_READ | GENERIC_WRITE, 0)) << name << " is still open";
  EXPECT_EQ(object_heap, nullptr);
}

// A number that cannot be had leaves the file system as it was, whatever the mode, and says why: a
// negative number or one no table takes, or memory that ran out for the table or for a dynamic record.
TEST_F(Files, ARefusedNumberCreatesAndEmptiesNothing) {
  TempFolder folder;
  const Bytes kept{1, 2, 3};
  write_file_bytes("kept.bin", kept);
  const HANDLE heaps[] = {main_heap, object_heap};
  const std::tuple<ObjectNumber, HANDLE*, DWORD> cases[] = {
      {-2, nullptr, ERROR_INVALID_PARAMETER},
      {TABLE_NUMBER_LIMIT, nullptr, ERROR_INVALID_PARAMETER},
      {60000, &main_heap, ERROR_NOT_ENOUGH_MEMORY},
      {ANY_NUMBER, &object_heap, ERROR_NOT_ENOUGH_MEMORY}};
  for (const auto& [number, short_heap, error] : cases) {
    if (short_heap) {
      *short_heap = HeapCreate(0, 0, 65536);
      init_files();
      while (HeapAlloc(*short_heap, 0, 1)) continue;
    }
    EXPECT_EQ(open_file(number, "kept.bin", FILE_MODE_CREATE), 0) << number;
    EXPECT_EQ(std::tuple(open_file(number, "new.bin", FILE_MODE_READ_WRITE), file_error),
              std::tuple(0, error));
    EXPECT_EQ(std::tuple(read_file_bytes("kept.bin"), GetFileAttributesA("new.bin")),
              std::tuple(kept, INVALID_FILE_ATTRIBUTES))
        << number;
    if (short_heap) HeapDestroy(*short_heap);
    main_heap = heaps[0];
    object_heap = heaps[1];
    init_files();
  }
}

TEST_F(Probe, FileSizeTellsFilesFoldersDrivesAndNothing) {
  TempFolder folder;
  CreateDirectoryA("Data", nullptr);
  write_file_bytes("empty.txt", {});
  write_file_bytes("five.txt", {1, 2, 3, 4, 5});
  std::string none = "Q";
  while (GetLogicalDrives() & (1u << (none[0] - 'A'))) ++none[0];
  const std::string longest(1023, 'n'), too_long(5000, 'n');
  const std::pair<std::string, INT32> cases[] = {
      {"", -1},        {"C:", -2},    {"C:\\", -2},   {none + ":", -1}, {none + ":\\", -1},
      {"C:x", -1},     {"Data", -2},  {"Data\\", -2}, {"empty.txt", 0}, {"five.txt", 5},
      {"missing", -1}, {"f*.txt", 5}, {"Dat?", -2},   {longest, -1},    {too_long, -1}};
  EXPECT_EQ(file_size(nullptr), -1);
  for (const auto& [name, size] : cases) EXPECT_EQ(file_size(name.c_str()), size) << name.substr(0, 20);
}

// The stand-in game logs the folder it was started in and how it was asked to show itself; with
// RUN_WAIT the call returns once it has ended. A file whose folder part is too long for the call
// starts nothing.
TEST_F(Launch, StartsInTheFilesFolderOrTheGivenOneAndWaitsWhenAsked) {
  TempFolder folder;
  CreateDirectoryA("Games", nullptr);
  CreateDirectoryA("Work", nullptr);
  ASSERT_TRUE(CopyFileA((test_program_folder() + "quar.exe").c_str(), "Games\\game.exe", FALSE));
  for (const std::string started_in : {"Games", "Work"}) {
    const bool hidden = started_in == "Work";
    const std::string given = hidden ? folder.path + "Work" : "";
    const auto process = reinterpret_cast<HANDLE>(
        run_program("Games\\game.exe", "exit", given.c_str(), RUN_WAIT | (hidden ? RUN_HIDDEN : 0)));
    ASSERT_NE(process, nullptr);
    EXPECT_EQ(WaitForSingleObject(process, 0), WAIT_OBJECT_0) << "returned only after the program ended";
    CloseHandle(process);
    const Bytes log = read_file_bytes(started_in + "\\quar.log");
    EXPECT_EQ(std::string(log.begin(), log.end()),
              (hidden ? "0x0 0 " : "0x0 1 ") + folder.path + started_in + "\r\n");
  }
  EXPECT_EQ(run_program(nullptr), 0);
  char part[LAUNCH_FOLDER_MAX + 2];
  const std::string longest = "C:\\" + std::string(507, 'd') + "\\";
  for (const auto& [file, folder_part] :
       {std::pair<std::string, std::string>{"C:\\Games\\x.exe", "C:\\Games\\"},
        {"Games\\x.exe", "Games\\"},
        {"\\x.exe", ""},
        {"a/b.exe", ""},
        {longest + "x.exe", longest}})
    EXPECT_EQ(launch_folder(file.c_str(), part) > 0 ? std::string(part) : "", folder_part) << file.size();
  for (const std::string& too_long :
       {"C:\\" + std::string(508, 'd') + "\\x.exe", std::string(5000, 'e') + "\\x"})
    EXPECT_EQ(run_program(too_long.c_str(), "", "", 0), 0) << too_long.size();
}

}  // namespace
