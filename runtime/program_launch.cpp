#include "runtime/runtime.h"

#include <shellapi.h>

INT32 launch_folder(const char* file, char (&buffer)[LAUNCH_FOLDER_MAX + 2]) {
  INT32 backslash = text_length(file) - 1;
  while (backslash > 0 && file[backslash] != '\\') --backslash;
  // A backslash on the first character alone (a path from the drive's root) gives no folder.
  if (backslash <= 0) return 0;
  const auto length = static_cast<SIZE_T>(backslash) + 1;
  if (length > LAUNCH_FOLDER_MAX + 1) return -1;
  CopyMemory(buffer, file, length);
  buffer[length] = 0;
  return static_cast<INT32>(length);
}

INT_PTR run_program(const char* file, const char* parameters, const char* directory, INT32 flags) {
  if (!file) return 0;
  char folder[LAUNCH_FOLDER_MAX + 2];
  const char* working_folder = nullptr;
  if (directory && *directory) {
    working_folder = directory;
  } else {
    const INT32 folder_length = launch_folder(file, folder);
    // A folder part too long for the buffer cannot be passed on: refuse rather than cut it.
    if (folder_length < 0) return 0;
    if (folder_length > 0) working_folder = folder;
  }

  static_assert(sizeof(void*) == 8 || sizeof(SHELLEXECUTEINFOA) == 60, "the 32-bit record is 60 bytes");
  SHELLEXECUTEINFOA request{};
  request.cbSize = sizeof request;
  request.fMask = SEE_MASK_NOCLOSEPROCESS;
  request.lpVerb = "Open";
  request.lpFile = file;
  request.lpParameters = parameters;
  request.lpDirectory = working_folder;
  request.nShow = (flags & RUN_HIDDEN) ? SW_HIDE : SW_SHOWNORMAL;
  const BOOL started = ShellExecuteExA(&request);
  if (!started) return 0;
  if (!request.hProcess) return started;
  if (flags & RUN_WAIT) WaitForSingleObject(request.hProcess, INFINITE);
  return reinterpret_cast<INT_PTR>(request.hProcess);
}

INT_PTR run_program(const char* file, const char* parameters, const char* directory) {
  return run_program(file, parameters, directory, 0);
}

INT_PTR run_program(const char* file) { return run_program(file, "", "", 0); }
