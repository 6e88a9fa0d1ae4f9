#include "runtime/runtime.h"

static INT32 drive_root_size(char (&buffer)[FILE_NAME_BUFFER_SIZE], SIZE_T length) {
  if (length == 2) {
    buffer[2] = '\\';
    buffer[3] = 0;
  }
  return GetDriveTypeA(buffer) > DRIVE_NO_ROOT_DIR ? FILE_SIZE_FOLDER : FILE_SIZE_NOT_FOUND;
}

INT32 file_size(const char* name) {
  const INT32 length = text_length(name);
  if (length == 0 || static_cast<SIZE_T>(length) >= FILE_NAME_BUFFER_SIZE) return FILE_SIZE_NOT_FOUND;
  char buffer[FILE_NAME_BUFFER_SIZE];
  CopyMemory(buffer, name, static_cast<SIZE_T>(length) + 1);
  if ((length == 2 || length == 3) && buffer[1] == ':')
    return drive_root_size(buffer, static_cast<SIZE_T>(length));
  if (buffer[length - 1] == '\\') buffer[length - 1] = 0;

  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(buffer, &found);
  if (search == INVALID_HANDLE_VALUE) return FILE_SIZE_NOT_FOUND;
  const INT32 result = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                           ? FILE_SIZE_FOLDER
                           : static_cast<INT32>(found.nFileSizeLow);
  FindClose(search);
  return result;
}
