#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "tests/support/test_support.h"

namespace {

class Strings : public testing::Test {
 protected:
  void SetUp() override { init_runtime_for_tests(); }
};

TEST_F(Strings, TextToNumberTakesTheLeadingDecimalNumberModulo2To32) {
  struct Case {
    const char* text;
    INT32 value;
  };
  const Case cases[] = {
      {"  42abc", 42},         {"-42", -42},  {"+7", 7},          {"- 5", 0},  {"", 0},
      {nullptr, 0},            {"\t5", 0},    {"007", 7},         {"1e3", 1},  {"0x10", 0},
      {"--5", 0},              {"+-5", 0},    {"12ab", 12},       {"ab", 0},   {"-5", -5},
      {"2147483647", INT32_MAX}, {"2147483648", INT32_MIN}, {"-2147483648", INT32_MIN},
      {"4294967295", -1},      {"4294967296", 0}, {"99999999999", 1215752191}, {"99999", 99999},
  };
  for (const Case& c : cases) EXPECT_EQ(text_to_number(c.text), c.value) << (c.text ? c.text : "(null)");
}

TEST_F(Strings, NumberToTextWritesSignedDecimal) {
  struct Case {
    INT_PTR value;
    const char* text;
  };
  std::vector<Case> cases = {{1024, "1024"}, {0, "0"}, {-25536, "-25536"}, {INT32_MIN, "-2147483648"},
                             {INT32_MAX, "2147483647"}};
  if (sizeof(INT_PTR) == 8) {
    // Dynamic numbers are addresses: the whole pointer-sized value is written.
    cases.push_back({static_cast<INT_PTR>(0x123456789AB), "1250999896491"});
    cases.push_back({INTPTR_MIN, "-9223372036854775808"});
  }
  for (const Case& c : cases) {
    char* start = scratch_cursor;
    EXPECT_STREQ(number_to_text(c.value, start), c.text);
    EXPECT_EQ(scratch_cursor, start + std::strlen(c.text)) << "the cursor rests on the zero";
    scratch_release(start);
  }
}

TEST_F(Strings, TextUpperChangesOnlyLowerCaseLettersAndTheTopRow) {
  char input[256];
  for (int byte = 1; byte < 256; ++byte) input[byte - 1] = static_cast<char>(byte);
  input[255] = 0;
  char* start = scratch_cursor;
  const char* result = text_upper(input, start);
  for (int byte = 1; byte < 256; ++byte) {
    const int expected = (byte >= 'a' && byte <= 'z') || byte >= 0xE0 ? byte - 0x20 : byte;
    EXPECT_EQ(static_cast<unsigned char>(result[byte - 1]), expected) << "byte " << byte;
  }
  EXPECT_EQ(result[255], 0);
  EXPECT_STREQ(text_upper(nullptr, start), "");
}

TEST_F(Strings, TrimLeftAndSpacesBuildTheirResults) {
  struct Case {
    const char* name;
    std::string (*build)(char* destination);
    const char* expected;
  };
  const Case cases[] = {
      {"trim both ends", [](char* d) { return std::string(text_trim("  a b  ", d)); }, "a b"},
      {"trim only spaces", [](char* d) { return std::string(text_trim("     ", d)); }, ""},
      {"trim keeps a tab", [](char* d) { return std::string(text_trim("\tx ", d)); }, "\tx"},
      {"trim null", [](char* d) { return std::string(text_trim(nullptr, d)); }, ""},
      {"left 4 of KVQ_ID", [](char* d) { return std::string(text_left("KVQ_ID", 4, d)); }, "KVQ_"},
      {"left beyond the end", [](char* d) { return std::string(text_left("abc", 10, d)); }, "abc"},
      {"left 0", [](char* d) { return std::string(text_left("abc", 0, d)); }, ""},
      {"left negative", [](char* d) { return std::string(text_left("abc", -3, d)); }, ""},
      {"left null", [](char* d) { return std::string(text_left(nullptr, 3, d)); }, ""},
      {"spaces 3", [](char* d) { return std::string(text_spaces(3, d)); }, "   "},
      {"spaces 0", [](char* d) { return std::string(text_spaces(0, d)); }, ""},
      {"trim in place",
       [](char* d) {
         scratch_append("  in place  ");
         return std::string(text_trim(d, d));
       },
       "in place"},
  };
  for (const Case& c : cases) {
    char* start = scratch_cursor;
    EXPECT_EQ(c.build(start), c.expected) << c.name;
    EXPECT_EQ(*scratch_cursor, 0) << c.name;
    EXPECT_EQ(scratch_cursor, start + std::strlen(c.expected)) << c.name;
    scratch_release(start);
  }
}

TEST_F(Strings, StringsEqualTakesNullAsEmpty) {
  struct Case {
    const char* a;
    const char* b;
    int equal;
  };
  const Case cases[] = {{nullptr, "", 1},       {"", nullptr, 1},        {nullptr, nullptr, 1}, {"FORM1", "FORM1", 1},
                        {"FORM1", "form1", 0}, {"FORM1", "FORM1 ", 0}, {"a", nullptr, 0}};
  for (const Case& c : cases) EXPECT_EQ(strings_equal(c.a, c.b), c.equal) << (c.a ? c.a : "null") << "|" << (c.b ? c.b : "null");
  EXPECT_EQ(text_length(nullptr), 0);
}

TEST_F(Strings, TemporariesNestAndVariablesOwnTheirCopies) {
  char* outer = scratch_cursor;
  number_to_text(1024, outer);
  scratch_keep(outer);
  char* inner = scratch_cursor;
  EXPECT_EQ(inner, outer + 5) << "the next temporary starts past the first one's zero";
  scratch_append("KVQ_EVT_");
  number_to_text(273, scratch_cursor);
  EXPECT_STREQ(inner, "KVQ_EVT_273");
  EXPECT_STREQ(outer, "1024") << "the inner temporary left the outer one alone";

  StringVariable key = nullptr;
  assign_scratch(key, inner);
  EXPECT_EQ(scratch_cursor, inner);
  EXPECT_STREQ(key, "KVQ_EVT_273");
  scratch_release(outer);
  EXPECT_EQ(scratch_cursor, string_scratch);

  assign_string(key, "other");
  EXPECT_STREQ(key, "other");
  assign_string(key, nullptr);
  EXPECT_EQ(key, nullptr);
  init_string(key, "");
  EXPECT_STREQ(key, "");
  free_string(key);
  EXPECT_EQ(key, nullptr);
  free_string(key);
}

// Every builder stops at the area's last byte: a guard placed right after the area stays
// untouched however long the input, and the result is still zero-terminated.
TEST_F(Strings, NothingIsWrittenPastTheScratchArea) {
  constexpr size_t guard_size = 4096;
  std::vector<char> area(SCRATCH_SIZE + guard_size, 0);
  std::memset(area.data() + SCRATCH_SIZE, 0x5A, guard_size);
  char* const saved_area = string_scratch;
  string_scratch = area.data();
  scratch_cursor = string_scratch;
  const std::string long_text(100000, 'q');

  struct Case {
    const char* name;
    size_t start_offset;
    char* (*build)(const char* text, char* destination);
  };
  const Case cases[] = {
      {"append", 0, [](const char* text, char*) { return scratch_append(text); }},
      {"upper", 0, [](const char* text, char* d) { return text_upper(text, d); }},
      {"trim", 0, [](const char* text, char* d) { return text_trim(text, d); }},
      {"left", 0, [](const char* text, char* d) { return text_left(text, 100000, d); }},
      {"spaces", 0, [](const char*, char* d) { return text_spaces(100000, d); }},
      {"number at the last bytes", SCRATCH_SIZE - 4, [](const char*, char* d) { return number_to_text(-2147483647, d); }},
      {"append at the last byte", SCRATCH_SIZE - 1, [](const char* text, char*) { return scratch_append(text); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    scratch_cursor = string_scratch + c.start_offset;
    char* result = c.build(long_text.c_str(), scratch_cursor);
    EXPECT_EQ(area[SCRATCH_SIZE - 1], 0);
    EXPECT_EQ(scratch_cursor, scratch_last_byte());
    EXPECT_EQ(std::strlen(result), static_cast<size_t>(scratch_last_byte() - result));
  }
  // Keeping a temporary that ends on the last byte leaves the cursor inside the area.
  scratch_keep(string_scratch + 10);
  EXPECT_EQ(scratch_cursor, scratch_last_byte());
  for (size_t i = 0; i < guard_size; ++i) ASSERT_EQ(area[SCRATCH_SIZE + i], 0x5A) << "guard byte " << i;

  string_scratch = saved_area;
  scratch_cursor = saved_area;
}

}  // namespace
