// Shared by the test programs: runtime set-up, temporary game folders, file bytes and
// the message pump.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "runtime/runtime.h"

using Bytes = std::vector<unsigned char>;

// Heaps, the file registry and the scratch area, as start-up makes them.
void init_runtime_for_tests();

class RuntimeTest : public testing::Test {
 protected:
  void SetUp() override { init_runtime_for_tests(); }
};

// The folder of the running test program, with a trailing backslash; helper programs
// are built beside it.
std::string test_program_folder();

// A fresh folder under the temporary folder, made current for the test's lifetime and
// removed with everything in it afterwards.
struct TempFolder {
  std::string path;  // with a trailing backslash
  std::string previous;
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
};

void remove_tree(const std::string& path);
// A game configuration file holding 1024 x 768 between bytes that must never change, and
// the same bytes with another resolution in the two words.
extern const Bytes SAMPLE_CONFIG;
Bytes with_resolution(Bytes bytes, int width, int height);

bool write_file_bytes(const std::string& path, const Bytes& bytes);
Bytes read_file_bytes(const std::string& path);
bool file_exists(const std::string& path);
// Whether another opener could open the existing file with this access and sharing now.
bool can_open(const char* name, DWORD access, DWORD share);

// While it lives, a thread of its own closes every message box ("#32770") that a window
// of this process shows, and counts them.
struct MessageBoxCloser {
  MessageBoxCloser();
  ~MessageBoxCloser();
  MessageBoxCloser(const MessageBoxCloser&) = delete;
  MessageBoxCloser& operator=(const MessageBoxCloser&) = delete;
  int closed() const;

  HANDLE thread;
  HANDLE stop;
  volatile LONG count;
};

// Dispatches every message already queued for the thread; under Wine, X11 delivery is
// asynchronous, so a short settle time lets late messages arrive too.
void pump_messages(DWORD settle_milliseconds = 20);
