#include "runtime/runtime.h"

void init_string(StringVariable& variable, const char* text) {
  if (!text) return;
  const auto length = static_cast<SIZE_T>(text_length(text));
  variable = static_cast<char*>(HeapAlloc(main_heap, 0, length + 2));
  if (variable) CopyMemory(variable, text, length + 1);
}

void assign_string(StringVariable& variable, const char* text) {
  free_string(variable);
  init_string(variable, text);
}

void assign_scratch(StringVariable& variable, char* start) {
  free_string(variable);
  scratch_release(start);
  const auto length = static_cast<SIZE_T>(text_length(start));
  variable = static_cast<char*>(HeapAlloc(main_heap, 0, length + 1));
  if (variable) CopyMemory(variable, start, length + 1);
}

void free_string(StringVariable& variable) {
  if (variable) HeapFree(main_heap, 0, variable);
  variable = nullptr;
}
