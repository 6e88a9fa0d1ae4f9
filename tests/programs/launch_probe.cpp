// Started by the launch tests: writes its current folder and its arguments to
// "launched.txt" in that folder, waits as long as its first argument says (in
// milliseconds), and exits with code 7.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
  char folder[MAX_PATH];
  GetCurrentDirectoryA(MAX_PATH, folder);
  if (FILE* out = std::fopen("launched.txt", "w")) {
    std::fprintf(out, "%s\n", folder);
    for (int i = 1; i < argc; ++i) std::fprintf(out, "%s\n", argv[i]);
    std::fclose(out);
  }
  if (argc > 1) Sleep(static_cast<DWORD>(std::atoi(argv[1])));
  return 7;
}
