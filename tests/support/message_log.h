// One log of the messages seen by every place under test (a hook, a window procedure, a
// handler), compared with a table of the expected sequence.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

struct LoggedMessage {
  UINT message;
  std::string where;
  WPARAM wParam;
  LPARAM lParam;
};

enum ExpectedMessageCheck : unsigned {
  CHECK_MESSAGE = 0,
  CHECK_WPARAM = 1,
  CHECK_LPARAM = 2,
  CHECK_BOTH = CHECK_WPARAM | CHECK_LPARAM,
};

struct ExpectedMessage {
  UINT message;
  const char* where;
  unsigned check;
  WPARAM wParam;
  LPARAM lParam;
};

void log_message(UINT message, const char* where, WPARAM wParam, LPARAM lParam);
void clear_message_log();
const std::vector<LoggedMessage>& message_log();

// Success when the log holds exactly the expected sequence; otherwise both sequences side
// by side.
testing::AssertionResult log_matches(const std::vector<ExpectedMessage>& expected);
