// A stand-in for the game, built as quar.exe: reads the two words of "Data\GAME.CFG", appends
// one line "<width>x<height> <show> <current folder>" to "quar.log" in its current folder, where show
// is how its starter asked it to show its window (SW_SHOWNORMAL is 1, SW_HIDE 0, no request 10), and
// opens a window titled with that resolution, shown so, or ends at once when its argument is "exit".
#include <windows.h>

#include <cstdio>

static short read_config_word(FILE* file, long offset) {
  unsigned char bytes[2] = {0, 0};
  if (std::fseek(file, offset, SEEK_SET) == 0) std::fread(bytes, 1, 2, file);
  return static_cast<short>(bytes[0] | bytes[1] << 8);
}

static LRESULT CALLBACK game_window(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) PostQuitMessage(0);
  return DefWindowProcA(window, message, wParam, lParam);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR arguments, int show) {
  int width = 0, height = 0;
  if (FILE* config = std::fopen("Data\\GAME.CFG", "rb")) {
    width = read_config_word(config, 8);
    height = read_config_word(config, 10);
    std::fclose(config);
  }
  char folder[MAX_PATH];
  GetCurrentDirectoryA(MAX_PATH, folder);
  if (FILE* log = std::fopen("quar.log", "a")) {
    std::fprintf(log, "%dx%d %d %s\n", width, height, show, folder);
    std::fclose(log);
  }
  if (lstrcmpA(arguments, "exit") == 0) return 0;

  WNDCLASSA window_class{};
  window_class.lpfnWndProc = game_window;
  window_class.hInstance = instance;
  window_class.lpszClassName = "QuarveltonGame";
  RegisterClassA(&window_class);

  char title[64];
  wsprintfA(title, "Quarvelton %dx%d", width, height);
  // Small whatever the resolution: Wine grabs the cursor for a window that covers the screen,
  // and under Xvfb it retries that for ever instead of letting the game end.
  HWND window = CreateWindowA("QuarveltonGame", title, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, 320,
                              200, nullptr, nullptr, instance, nullptr);
  ShowWindow(window, show);

  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
  return 0;
}
