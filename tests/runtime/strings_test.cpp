#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <tuple>
#include <vector>

#include "tests/support/test_support.h"

namespace {

using Strings = RuntimeTest;

TEST_F(Strings, TextToNumberTakesTheLeadingDecimalNumberModulo2To32) {
  const std::pair<const char*, INT32> leading[] = {
      {"  42abc", 42}, {"-42", -42}, {"+7", 7},  {"- 5", 0}, {"\t5", 0}, {"007", 7},   {"1e3", 1},
      {"0x10", 0},     {"--5", 0},   {"+-5", 0}, {"ab", 0},  {"", 0},    {nullptr, 0},
  };
  const std::pair<const char*, INT32> wrapped[] = {
      {"2147483647", INT32_MAX}, {"2147483648", INT32_MIN}, {"-2147483648", INT32_MIN},
      {"4294967295", -1},        {"4294967296", 0},         {"99999999999", 1215752191},
  };
  for (const auto& [text, value] : leading)
    EXPECT_EQ(text_to_number(text), value) << (text ? text : "(null)");
  for (const auto& [text, value] : wrapped) EXPECT_EQ(text_to_number(text), value) << text;
}

TEST_F(Strings, NumberToTextWritesSignedDecimal) {
  std::vector<std::pair<INT_PTR, const char*>> cases = {
      {1024, "1024"}, {0, "0"}, {-25536, "-25536"}, {INT32_MIN, "-2147483648"}, {INT32_MAX, "2147483647"},
  };
  // Dynamic numbers are addresses: the whole pointer-sized value is written.
  if (sizeof(INT_PTR) == 8) cases.push_back({static_cast<INT_PTR>(0x123456789AB), "1250999896491"});
  if (sizeof(INT_PTR) == 8) cases.push_back({INTPTR_MIN, "-9223372036854775808"});
  for (const auto& [value, text] : cases) {
    EXPECT_STREQ(number_to_text(value, string_scratch), text);
    EXPECT_EQ(scratch_cursor, string_scratch + std::strlen(text)) << "the cursor rests on the zero";
  }
}

TEST_F(Strings, TextUpperChangesOnlyLowerCaseLettersAndTheTopRow) {
  char input[256] = {};
  for (int byte = 1; byte < 256; ++byte) input[byte - 1] = static_cast<char>(byte);
  const char* result = text_upper(input, string_scratch);
  for (int byte = 1; byte < 256; ++byte) {
    const int expected = (byte >= 'a' && byte <= 'z') || byte >= 0xE0 ? byte - 0x20 : byte;
    EXPECT_EQ(static_cast<unsigned char>(result[byte - 1]), expected) << "byte " << byte;
  }
  EXPECT_EQ(result[255], 0);
  EXPECT_STREQ(text_upper(nullptr, string_scratch), "");
}

// The builders in one shape, so that one table drives them all.
using Builder = char* (*)(const char* text, INT32 count, char* destination);
char* trim(const char* text, INT32, char* destination) { return text_trim(text, destination); }
char* upper(const char* text, INT32, char* destination) { return text_upper(text, destination); }
char* spaces(const char*, INT32 count, char* destination) { return text_spaces(count, destination); }
char* append(const char* text, INT32, char*) { return scratch_append(text); }
char* number(const char*, INT32 count, char* destination) { return number_to_text(count, destination); }

TEST_F(Strings, TrimLeftAndSpacesBuildTheirResults) {
  const std::tuple<Builder, const char*, INT32, const char*> cases[] = {
      {trim, "  a b  ", 0, "a b"}, {trim, "     ", 0, ""},           {trim, "\tx ", 0, "\tx"},
      {trim, nullptr, 0, ""},      {text_left, "KVQ_ID", 4, "KVQ_"}, {text_left, "abc", 10, "abc"},
      {text_left, "abc", 0, ""},   {text_left, "abc", -3, ""},       {text_left, nullptr, 3, ""},
      {spaces, nullptr, 3, "   "}, {spaces, nullptr, 0, ""},
  };
  for (const auto& [build, text, count, expected] : cases) {
    EXPECT_STREQ(build(text, count, string_scratch), expected) << (text ? text : "(null)") << " " << count;
    EXPECT_EQ(scratch_cursor, string_scratch + std::strlen(expected));
  }
  scratch_append("  in place  ");
  EXPECT_STREQ(text_trim(string_scratch, string_scratch), "in place");
}

TEST_F(Strings, StringsEqualTakesNullAsEmpty) {
  const std::tuple<const char*, const char*, int> cases[] = {
      {nullptr, "", 1},      {"", nullptr, 1},       {nullptr, nullptr, 1}, {"FORM1", "FORM1", 1},
      {"FORM1", "form1", 0}, {"FORM1", "FORM1 ", 0}, {"a", nullptr, 0},
  };
  for (const auto& [a, b, equal] : cases)
    EXPECT_EQ(strings_equal(a, b), equal) << (a ? a : "-") << (b ? b : "-");
  EXPECT_EQ(text_length(nullptr), 0);
}

TEST_F(Strings, TemporariesNestAndVariablesOwnTheirCopies) {
  char* outer = number_to_text(1024, scratch_cursor);
  scratch_keep(outer);
  char* inner = scratch_cursor;
  EXPECT_EQ(inner, outer + 5) << "the next temporary starts past the first one's zero";
  scratch_append("KVQ_EVT_");
  number_to_text(273, scratch_cursor);
  EXPECT_STREQ(outer, "1024") << "the inner temporary left the outer one alone";
  StringVariable key = nullptr;
  assign_scratch(key, inner);
  EXPECT_EQ(scratch_cursor, inner);
  EXPECT_STREQ(key, "KVQ_EVT_273");
  scratch_release(outer);
  EXPECT_EQ(scratch_cursor, string_scratch);
  assign_string(key, nullptr);
  EXPECT_EQ(key, nullptr);
  init_string(key, "x");
  free_string(key);
  EXPECT_EQ(key, nullptr);
  free_string(key);
}

// Every builder stops at the area's last byte: a guard placed right after the area stays
// untouched however long the input, and the result is still zero-terminated.
TEST_F(Strings, NothingIsWrittenPastTheScratchArea) {
  std::vector<char> area(SCRATCH_SIZE);
  area.resize(SCRATCH_SIZE + 4096, 0x5A);
  string_scratch = area.data();
  const std::string long_text(100000, 'q');
  const size_t last = SCRATCH_SIZE - 1, near_last = SCRATCH_SIZE - 4;
  const std::pair<Builder, size_t> cases[] = {
      {append, 0}, {upper, 0}, {trim, 0}, {text_left, 0}, {spaces, 0}, {append, last}, {number, near_last},
  };
  for (const auto& [build, offset] : cases) {
    SCOPED_TRACE(offset);
    scratch_cursor = string_scratch + offset;
    char* result = build(long_text.c_str(), offset ? -2147483647 : 100000, scratch_cursor);
    EXPECT_EQ(scratch_cursor, scratch_last_byte());
    EXPECT_EQ(std::strlen(result), static_cast<size_t>(scratch_last_byte() - result));
  }
  // Keeping a temporary that ends on the last byte leaves the cursor inside the area.
  scratch_keep(string_scratch + 10);
  EXPECT_EQ(scratch_cursor, scratch_last_byte());
  EXPECT_EQ(std::string(area.data() + SCRATCH_SIZE, 4096), std::string(4096, 0x5A));
  init_scratch();
}

}  // namespace
