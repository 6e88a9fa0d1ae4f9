#include "app/app.h"

// The process starts here, without the C runtime's start-up code, which the program does
// not need. The command line is not read: arguments change nothing.
extern "C" [[noreturn]] void program_entry() { startup(GetModuleHandleA(nullptr)); }
