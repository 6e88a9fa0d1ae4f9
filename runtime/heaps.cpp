#include "runtime/runtime.h"

HINSTANCE program_module;
HANDLE main_heap;
HANDLE object_heap;
SIZE_T main_heap_maximum;

static void (*teardown_windows_step)();

bool create_main_heap() {
  main_heap = HeapCreate(0, 4000, main_heap_maximum);
  return main_heap != nullptr;
}

bool create_object_heap() {
  object_heap = HeapCreate(0, 1024, 0);
  return object_heap != nullptr;
}

void set_teardown_windows_step(void (*close_all_windows)()) { teardown_windows_step = close_all_windows; }

void runtime_teardown() {
  if (teardown_windows_step) teardown_windows_step();
  close_all_files();
  if (object_heap) HeapDestroy(object_heap);
  object_heap = nullptr;
}
