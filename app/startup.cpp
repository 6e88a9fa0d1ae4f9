#include "app/app.h"

void startup(HINSTANCE module) {
  program_module = module;
  create_main_heap();
  create_object_heap();
  init_files();
  init_scratch();
  end_program();
}

void end_program() {
  runtime_teardown();
  HeapDestroy(main_heap);
  ExitProcess(0);
}
