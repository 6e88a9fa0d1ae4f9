#include "app/app.h"

// The command line is not used: arguments given to the program change nothing.
int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { startup(GetModuleHandleA(nullptr)); }
