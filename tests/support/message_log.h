// One log of the messages seen by every place under test (a hook, a window procedure, a
// handler), each entry "message where wParam lParam", compared whole with the expected sequence.
#pragma once

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

inline std::string logged(UINT message, const char* where, WPARAM wParam = 0, LPARAM lParam = 0) {
  char entry[96];
  std::snprintf(entry, sizeof entry, "%u %s %llx %llx", message, where,
                static_cast<unsigned long long>(wParam), static_cast<unsigned long long>(lParam));
  return entry;
}

inline std::vector<std::string> message_log;

inline void log_message(UINT message, const char* where, WPARAM wParam, LPARAM lParam) {
  message_log.push_back(logged(message, where, wParam, lParam));
}
