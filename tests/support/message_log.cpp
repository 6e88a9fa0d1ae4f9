#include "tests/support/message_log.h"

#include <algorithm>
#include <cstdio>

static std::vector<LoggedMessage> messages;

void log_message(UINT message, const char* where, WPARAM wParam, LPARAM lParam) {
  messages.push_back({message, where, wParam, lParam});
}

void clear_message_log() { messages.clear(); }

const std::vector<LoggedMessage>& message_log() { return messages; }

static bool matches(const ExpectedMessage& expected, const LoggedMessage& seen) {
  return expected.message == seen.message && seen.where == expected.where &&
         (!(expected.check & CHECK_WPARAM) || expected.wParam == seen.wParam) &&
         (!(expected.check & CHECK_LPARAM) || expected.lParam == seen.lParam);
}

static std::string describe(UINT message, const std::string& where, WPARAM wParam, LPARAM lParam) {
  char text[96];
  std::snprintf(text, sizeof text, "%-5u %-14s w=%llx l=%llx", message, where.c_str(),
                static_cast<unsigned long long>(wParam), static_cast<unsigned long long>(lParam));
  return text;
}

testing::AssertionResult log_matches(const std::vector<ExpectedMessage>& expected) {
  bool same = expected.size() == messages.size();
  for (size_t i = 0; same && i < expected.size(); ++i) same = matches(expected[i], messages[i]);
  if (same) return testing::AssertionSuccess();

  std::string table = "\n  expected                                     | seen\n";
  const size_t rows = std::max(expected.size(), messages.size());
  for (size_t i = 0; i < rows; ++i) {
    std::string left = i < expected.size() ? describe(expected[i].message, expected[i].where,
                                                      expected[i].wParam, expected[i].lParam)
                                           : "";
    std::string right = i < messages.size() ? describe(messages[i].message, messages[i].where,
                                                       messages[i].wParam, messages[i].lParam)
                                            : "";
    const bool row_matches = i < expected.size() && i < messages.size() && matches(expected[i], messages[i]);
    left.resize(44, ' ');
    table += (row_matches ? "  " : "! ") + left + " | " + right + "\n";
  }
  return testing::AssertionFailure() << table;
}
