#include <cstdint>

#include "runtime/runtime.h"

// Until the area is had, and when it cannot be, the builders write here: one byte, the zero that ends
// every text.
static char no_area[1];
static SIZE_T area_size = sizeof no_area;
char* string_scratch = no_area;
char* scratch_cursor = no_area;

bool init_scratch() {
  auto* area = static_cast<char*>(HeapAlloc(main_heap, HEAP_ZERO_MEMORY, SCRATCH_SIZE));
  string_scratch = area ? area : no_area;
  area_size = area ? SCRATCH_SIZE : sizeof no_area;
  scratch_cursor = string_scratch;
  return area != nullptr;
}

// Builders never put anything but a zero on the last byte, so every text that starts in
// the area also ends in it.
char* scratch_last_byte() { return string_scratch + area_size - 1; }

static char* inside_area(char* destination) {
  if (destination < string_scratch || destination > scratch_last_byte()) return scratch_last_byte();
  return destination;
}

void scratch_keep(const char* temporary) {
  if (temporary < string_scratch || temporary > scratch_last_byte()) return;
  char* zero = string_scratch + (temporary - string_scratch) + text_length(temporary);
  scratch_cursor = zero < scratch_last_byte() ? zero + 1 : scratch_last_byte();
}

// Copies at most count bytes of text (stopping at its zero), cut at the end of the area,
// ends the result with a zero and leaves the cursor on it.
static char* copy_cut(char* destination, const char* text, SIZE_T count) {
  destination = inside_area(destination);
  char* out = destination;
  const char* last = scratch_last_byte();
  for (SIZE_T i = 0; text && i < count && text[i] && out < last; ++i) *out++ = text[i];
  *out = 0;
  scratch_cursor = out;
  return destination;
}

char* number_to_text(INT_PTR value, char* destination) {
  char digits[24];
  char* first = digits + sizeof digits;
  *--first = 0;
  auto magnitude = static_cast<UINT_PTR>(value);
  if (value < 0) magnitude = 0 - magnitude;
  do {
    *--first = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude);
  if (value < 0) *--first = '-';
  return copy_cut(destination, first, SIZE_MAX);
}

char* text_trim(const char* text, char* destination) {
  if (!text) return copy_cut(destination, nullptr, 0);
  while (*text == ' ') ++text;
  SIZE_T length = static_cast<SIZE_T>(text_length(text));
  while (length > 0 && text[length - 1] == ' ') --length;
  return copy_cut(destination, text, length);
}

char* text_upper(const char* text, char* destination) {
  char* result = copy_cut(destination, text, SIZE_MAX);
  for (char* p = result; *p; ++p) {
    const auto byte = static_cast<unsigned char>(*p);
    if ((byte >= 'a' && byte <= 'z') || byte >= 0xE0) *p = static_cast<char>(byte - 0x20);
  }
  return result;
}

char* text_left(const char* text, INT32 count, char* destination) {
  return copy_cut(destination, text, count > 0 ? static_cast<SIZE_T>(count) : 0);
}

char* text_spaces(INT32 count, char* destination) {
  destination = inside_area(destination);
  char* out = destination;
  for (INT32 i = 0; i < count && out < scratch_last_byte(); ++i) *out++ = ' ';
  *out = 0;
  scratch_cursor = out;
  return destination;
}

char* scratch_append(const char* text) {
  char* start = scratch_cursor;
  copy_cut(start, text, SIZE_MAX);
  return start;
}

INT32 text_to_number(const char* text) {
  if (!text) return 0;
  while (*text == ' ') ++text;
  bool negative = false;
  if (*text == '-') {
    negative = true;
    ++text;
  } else if (*text == '+') {
    ++text;
  }
  uint32_t value = 0;
  for (; *text >= '0' && *text <= '9'; ++text) value = value * 10u + static_cast<uint32_t>(*text - '0');
  if (negative) value = 0u - value;
  return static_cast<INT32>(value);
}

INT32 text_length(const char* text) {
  if (!text) return 0;
  SIZE_T length = 0;
  while (text[length] && length < INT32_MAX) ++length;
  return static_cast<INT32>(length);
}

int strings_equal(const char* a, const char* b) {
  if (!a) a = "";
  if (!b) b = "";
  for (;; ++a, ++b) {
    if (*a != *b) return 0;
    if (!*a) return 1;
  }
}
