#include <cstring>
#include <string>

#include "tests/support/test_support.h"

namespace {

using Strings = RuntimeTest;

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
  const std::pair<Builder, size_t> cases[] = {{append, 0},
                                              {upper, 0},
                                              {trim, 0},
                                              {left, 0},
                                              {spaces, 0},
                                              {append, SCRATCH_SIZE - 1},
                                              {number, SCRATCH_SIZE - 4}};
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

// A kept temporary survives the ones built after it; a variable owns its copy.
TEST_F(Strings, TemporariesNestAndVariablesOwnTheirCopies) {
  char* outer = number_to_text(-1024, scratch_cursor);
  scratch_keep(outer);
  char* inner = upper(" form1 ", 0, scratch_cursor);
  EXPECT_EQ(inner, outer + 6) << "the next temporary starts past the first one's zero";
  StringVariable name = nullptr;
  assign_scratch(name, trim(inner, 0, inner));
  EXPECT_EQ(scratch_cursor, inner);
  EXPECT_STREQ(name, "FORM1");
  EXPECT_STREQ(outer, "-1024");
  free_string(name);
}

}  // namespace
