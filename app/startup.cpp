#include "app/app.h"

// Stops at the first allocation that fails, before anything could use what it would have made.
bool start_services(HINSTANCE module) {
  program_module = module;
  if (!create_main_heap() || !create_object_heap() || !init_files() || !init_windows() || !init_controls() ||
      !init_scratch())
    return false;
  install_interception_hook();
  return true;
}

void startup(HINSTANCE module) {
  if (!start_services(module)) ExitProcess(1);
  main_procedure();
  request_hook_removal();
  end_program();
}

static void show_number(FormControlId box, INT32 value) {
  char* start = scratch_cursor;
  number_to_text(value, start);
  // Setting the text runs window procedures and the hook, which build temporaries of their own.
  scratch_keep(start);
  set_control_text(box, start);
  scratch_release(start);
}

INT_PTR fill_resolution_fields() {
  if (file_size(GAME_EXECUTABLE) != FILE_SIZE_NOT_FOUND) {
    show_number(ID_WIDTH_BOX, read_width());
    show_number(ID_HEIGHT_BOX, read_height());
    return 0;
  }
  // A second look, in case the game appeared in between; then the boxes keep their texts.
  if (file_size(GAME_EXECUTABLE) == FILE_SIZE_NOT_FOUND) {
    show_message("Error", "Cannot find quar.exe in this folder");
    end_program();
  }
  return 0;
}

INT_PTR main_procedure() {
  HWND form = load_form("FORM1", form_callback);
  if (!form) return 1;
  ObjectNumber form_number = get_control_id(form);
  fill_resolution_fields();
  while (form_number != 0) {
    const INT_PTR event = wait_window_event();
    // Events of other windows, and every other event of the form, leave the loop running.
    if (event == EVENT_CLOSE_WINDOW && event_window() == form_number) {
      close_window(form_number);
      form_number = 0;
    }
  }
  return 0;
}

void stop_services() {
  runtime_teardown();
  // The hook builds its keys in the scratch area, which goes with main_heap.
  remove_interception_hook();
  HeapDestroy(main_heap);
}

void end_program() {
  stop_services();
  ExitProcess(0);
}
