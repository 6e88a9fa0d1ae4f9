// The resolution changer: start-up, the main procedure, the game's configuration file
// and the main form with its handlers.
#pragma once

#include "formlayer/formlayer.h"

enum FormControlId : int {
  ID_WIDTH_BOX = 100,
  ID_HEIGHT_BOX = 101,
  ID_SAVE_BUTTON = 102,
  ID_RUN_BUTTON = 103,
  ID_X_LABEL = 104,
};

// ---- Game configuration file ---------------------------------------------------------

inline constexpr char CONFIG_FILE_NAME[] = "Data\\GAME.CFG";
inline constexpr ObjectNumber CONFIG_FILE_NUMBER = 333;
inline constexpr LONG WIDTH_OFFSET = 8;
inline constexpr LONG HEIGHT_OFFSET = 10;

// The stored value, sign-extended from 16 bits; 0 when nothing was read. Never creates
// the file, and reads it while another program has it open for writing.
INT32 read_width();
INT32 read_height();
// Stores the low 16 bits of each value; returns 1 when both words were written, else 0.
int write_resolution(INT32 width, INT32 height);

// ---- Start-up and the main procedure -------------------------------------------------

inline constexpr char GAME_EXECUTABLE[] = "quar.exe";

// Start-up up to the main procedure, in its fixed order: heaps, files, windows, controls,
// the scratch area, the interception hook. False when an allocation failed; startup then ends the
// program with exit code 1.
bool start_services(HINSTANCE module);
// What end_program does before the process ends: windows and files closed, the hook removed, the
// heaps destroyed.
void stop_services();
[[noreturn]] void startup(HINSTANCE module);
INT_PTR main_procedure();
INT_PTR fill_resolution_fields();
[[noreturn]] void end_program();

// ---- The main form -------------------------------------------------------------------

LRESULT on_save_click(HWND window, INT_PTR control_id);
LRESULT on_run_click(HWND window, INT_PTR control_id);
// What Save says when Windows refused to write the file with this error; attributes are those of
// the file, read after the refusal (INVALID_FILE_ATTRIBUTES when it has none).
const char* write_failure_text(DWORD error, DWORD attributes);
// 1 when the game was started, else 0.
INT_PTR launch_game();
LRESULT form_callback(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
