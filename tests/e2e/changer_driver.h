// Drives a running ResolutionChanger.exe from outside, as a person would: it finds the form and
// its controls, types, clicks, presses keys, answers message boxes and closes it.
#pragma once

#include <initializer_list>
#include <string>
#include <utility>

#include "app/app.h"
#include "tests/support/test_support.h"

struct MessageBoxSeen {
  HWND box = nullptr;
  std::string text;  // "caption: message"
};

struct ChangerDriver {
  PROCESS_INFORMATION process{};
  HWND form = nullptr;

  ~ChangerDriver();
  // Starts the program (the one of the test's own target) in folder and waits for its form.
  bool start(const std::string& folder, const std::string& arguments = "");
  HWND control(int id) const { return GetDlgItem(form, id); }
  std::string text(int id) const;
  // Waits until the boxes show these texts: the program has filled them and waits for input.
  bool shows(const std::string& width, const std::string& height) const;
  // Replaces the box's text by typing (WM_CHAR, as the keyboard would), or otherwise (as a
  // paste would).
  void type(int id, const std::string& characters) const;
  void set_text(int id, const std::string& text) const;
  // Posted, as a mouse click is queued: a handler that shows a box does not block the driver.
  void click(int id) const { PostMessageA(control(id), BM_CLICK, 0, 0); }
  // The program's first message box to appear within the time, or none; pressing its OK.
  MessageBoxSeen message_box(DWORD milliseconds = 10000) const;
  void press_ok(const MessageBoxSeen& box) const;
  // Real key presses, sent to the form made foreground.
  bool press_keys(std::initializer_list<std::pair<WORD, bool>> keys) const;
  HWND focused_control() const;
  bool running() const { return WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT; }
  // Waits for the process to end; its exit code, or STILL_ACTIVE.
  DWORD wait_for_exit() const;
};
