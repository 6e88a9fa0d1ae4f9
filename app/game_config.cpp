#include "app/app.h"

// Reading opens an existing file only, so that looking at the resolution never creates one.
static INT32 read_config_word(LONG offset) {
  open_file(CONFIG_FILE_NUMBER, CONFIG_FILE_NAME, FILE_MODE_READ);
  file_seek(offset);
  const INT32 value = read_word();
  close_file(CONFIG_FILE_NUMBER);
  return value;
}

INT32 read_width() { return read_config_word(WIDTH_OFFSET); }

INT32 read_height() { return read_config_word(HEIGHT_OFFSET); }

// The two words are adjacent: one write changes both or neither, so that a refused Save leaves the
// file as it was.
static_assert(HEIGHT_OFFSET == WIDTH_OFFSET + 2);

int write_resolution(INT32 width, INT32 height) {
  if (!open_file(CONFIG_FILE_NUMBER, CONFIG_FILE_NAME, FILE_MODE_READ_WRITE)) return 0;
  INT32 written = 0;
  if (file_seek(WIDTH_OFFSET) == WIDTH_OFFSET) written = write_word_pair(width, height);
  close_file(CONFIG_FILE_NUMBER);
  return written == 4 ? 1 : 0;
}
