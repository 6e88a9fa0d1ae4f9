// Drives a running ResolutionChanger.exe from outside, as a person would: it finds the
// form and its controls, types, pastes, clicks, answers message boxes and closes it.
#pragma once

#include <windows.h>

#include <functional>
#include <initializer_list>
#include <string>
#include <utility>

#include "app/app.h"
#include "tests/support/test_support.h"

struct MessageBoxSeen {
  HWND box = nullptr;
  std::string caption;
  std::string text;
};

struct ChangerDriver {
  PROCESS_INFORMATION process{};
  HWND form = nullptr;

  ChangerDriver() = default;
  ChangerDriver(const ChangerDriver&) = delete;
  ChangerDriver& operator=(const ChangerDriver&) = delete;
  ~ChangerDriver();

  // Starts the program in folder and waits for its form (or, with no form, returns false).
  bool start(const std::string& folder, const std::string& arguments = "");
  HWND control(int id) const { return GetDlgItem(form, id); }
  std::string text(int id) const;
  // Replaces the box's text by typing the characters (WM_CHAR, as the keyboard would).
  void type(int id, const std::string& characters) const;
  // Replaces the box's text with the clipboard's.
  void paste(int id, const std::string& clipboard_text) const;
  void click(int id) const;
  // The program's first message box to appear within the time, or none.
  MessageBoxSeen wait_for_message_box(DWORD milliseconds = 10000) const;
  void press_ok(const MessageBoxSeen& box) const;
  // Real key presses, sent to the form made foreground.
  bool press_keys(std::initializer_list<std::pair<WORD, bool>> keys) const;
  HWND focused_control() const;
  // Waits for the process to end; returns its exit code, or STILL_ACTIVE.
  DWORD wait_for_exit(DWORD milliseconds = 10000) const;
};

// Full path of the program under test (the 64-bit release in dist/).
std::string program_path();
// Polls until the condition holds or the time is up.
bool wait_until(const std::function<bool()>& condition, DWORD milliseconds = 10000);
