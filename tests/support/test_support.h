// Shared by the test programs: the start-up they need, temporary game folders, file bytes,
// waits and the message pump.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
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

// The folder of the running test program, with a trailing backslash; the stand-in game quar.exe
// is built beside it.
std::string test_program_folder();

// A fresh folder under the temporary folder, made current for the test's lifetime and removed
// with everything in it afterwards.
struct TempFolder {
  std::filesystem::path previous = std::filesystem::current_path();
  std::string path;  // with a trailing backslash
  TempFolder();
  ~TempFolder();
};

// A game configuration file holding 1280 x 720 (not the form's own 1024 x 768, so that a test can
// tell when the program has shown it) between bytes that must never change.
extern const Bytes SAMPLE_CONFIG;
// The bytes with another resolution in the two words; a shorter file grown to 12 bytes.
Bytes with_resolution(Bytes bytes, int width, int height);

bool write_file_bytes(const std::string& path, const Bytes& bytes);
Bytes read_file_bytes(const std::string& path);
// Whether another opener could open the existing file with this access and sharing now.
bool can_open(const char* name, DWORD access, DWORD share);

// Polls until the condition holds or the time is up; once the test has failed, for half a second
// at most.
bool wait_until(const std::function<bool()>& condition, DWORD milliseconds = 10000);

// Runs work on a thread of its own while this thread dispatches what it sends; whether the work
// ended in time.
bool run_on_another_thread(const std::function<void()>& work);

// Makes the window the foreground window, so that keys pressed go to it, and waits until it is.
// Windows gives the foreground only to a program in its turn: one whose input is attached to the
// foreground window's thread is.
bool bring_to_front(HWND window);

// Dispatches every message already queued for the thread; under Wine, X11 delivery is
// asynchronous, so a short settle time lets late messages arrive too.
void pump_messages(DWORD settle_milliseconds = 20);
