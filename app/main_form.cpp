#include <array>

#include "app/app.h"

namespace {

enum ControlKind { KIND_EDIT, KIND_BUTTON, KIND_TEXT };

using ControlCreator = INT_PTR (*)(ObjectNumber number, int x, int y, int width, int height, const char* text,
                                   DWORD flags);
constexpr ControlCreator CONTROL_CREATORS[] = {create_edit_control, create_button_control,
                                               create_text_control};

// Geometry in twips, relative to the form's client area.
struct FormControl {
  FormControlId id;
  ControlKind kind;
  const char* text;
  int x, y, width, height;
  DWORD flags;
  CommandHandler on_click;
};

constexpr std::array<FormControl, 5> FORM1_CONTROLS{{
    {ID_WIDTH_BOX, KIND_EDIT, "1024", 120, 120, 495, 300, ES_NUMBER, nullptr},
    {ID_HEIGHT_BOX, KIND_EDIT, "768", 840, 120, 495, 300, ES_NUMBER, nullptr},
    {ID_SAVE_BUTTON, KIND_BUTTON, "Save", 1440, 120, 735, 375, BS_MULTILINE, on_save_click},
    {ID_RUN_BUTTON, KIND_BUTTON, "Run", 2280, 120, 735, 375, BS_MULTILINE, on_run_click},
    {ID_X_LABEL, KIND_TEXT, "x", 600, 120, 255, 255, SS_CENTER, nullptr},
}};

constexpr INT32 SMALLEST_SIZE = 1;
// The largest value that reads back from the file as it was typed.
constexpr INT32 LARGEST_SIZE = 32767;
constexpr int LARGEST_SIZE_DIGITS = 5;
// Sizes up to this many digits show whole in the boxes, with the caret after them.
constexpr int SHOWN_DIGITS = 4;
constexpr int CARET_WIDTH = 1;

bool is_form1(const char* form_name) {
  StringVariable name = nullptr;
  init_string(name, form_name);
  normalise_form_name(name);
  const bool same = strings_equal(name, FORM_NAME);
  free_string(name);
  return same;
}

// Digits of the text's leading number after its sign and leading zeros.
int significant_digits(const char* text) {
  while (*text == ' ') ++text;
  if (*text == '-' || *text == '+') ++text;
  while (*text == '0') ++text;
  int digits = 0;
  while (text[digits] >= '0' && text[digits] <= '9') ++digits;
  return digits;
}

// The box's leading number; one too long to fit reads as 0, so that the number it wraps to
// (text_to_number keeps the low 32 bits) is never taken for a size.
INT32 read_box_number(FormControlId box) {
  char* start = scratch_cursor;
  const char* text = get_control_text(box);
  const INT32 value = significant_digits(text) > LARGEST_SIZE_DIGITS ? 0 : text_to_number(text);
  scratch_release(start);
  return value;
}

bool is_saveable_size(INT32 value) { return value >= SMALLEST_SIZE && value <= LARGEST_SIZE; }

// The edit control's own margins, taken from the font, leave less room than four digits need in
// boxes this narrow; they shrink just enough for the digits and the caret after them, and the box
// keeps its size.
void make_room_for_digits(HWND box) {
  HDC dc = GetDC(box);
  const HGDIOBJ previous = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(box, WM_GETFONT, 0, 0)));
  std::array<INT, 10> widths{};
  const BOOL measured = GetCharWidth32A(dc, '0', '9', widths.data());
  SelectObject(dc, previous);
  ReleaseDC(box, dc);
  if (!measured) return;
  int widest = 0;
  for (const INT width : widths) widest = width > widest ? width : widest;
  RECT room;
  SendMessageA(box, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&room));
  const int shortage = widest * SHOWN_DIGITS + CARET_WIDTH - (room.right - room.left);
  if (shortage <= 0) return;
  const auto margins = static_cast<DWORD>(SendMessageA(box, EM_GETMARGINS, 0, 0));
  int left = LOWORD(margins), right = HIWORD(margins);
  const int total = left + right > shortage ? left + right - shortage : 0;
  left = left < total / 2 ? left : total / 2;
  right = total - left;
  SendMessageA(box, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELPARAM(left, right));
}

// A folder's read-only attribute means something else, and a file that is gone has none.
bool is_read_only_file(DWORD attributes) {
  return attributes != INVALID_FILE_ATTRIBUTES &&
         (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) == FILE_ATTRIBUTE_READONLY;
}

}  // namespace

const char* write_failure_text(DWORD error, DWORD attributes) {
  switch (error) {
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      return "Cannot write Data\\GAME.CFG because another program is using it. Close the game and press Save "
             "again.";
    case ERROR_ACCESS_DENIED:
      if (is_read_only_file(attributes))
        return "Cannot write Data\\GAME.CFG because the file is read-only. Right-click it, choose "
               "Properties, clear \"Read-only\" and press Save again.";
      return "Cannot write Data\\GAME.CFG because Windows denied access to the file. Make sure your Windows "
             "account may change the files in the game's folder.";
    case ERROR_PATH_NOT_FOUND:
      return "Cannot write Data\\GAME.CFG because the game's Data folder is missing. Reinstall the game and "
             "press Save again.";
    default:
      return "Cannot write Data\\GAME.CFG.";
  }
}

INT_PTR create_form_controls(HWND window, const char* form_name) {
  if (!is_form1(form_name)) return 0;
  for (const FormControl& control : FORM1_CONTROLS) {
    const INT_PTR created = CONTROL_CREATORS[control.kind](
        control.id, twips_to_pixels_x(control.x), twips_to_pixels_y(control.y),
        twips_to_pixels_x(control.width), twips_to_pixels_y(control.height), control.text, control.flags);
    if (!created) continue;
    const auto handle = reinterpret_cast<HWND>(created);
    bind_control_id(window, handle, control.id, COLOUR_NONE, COLOUR_NONE);
    if (control.on_click) bind_handler<WM_COMMAND>(handle, BN_CLICKED, control.on_click);
    if (control.kind == KIND_EDIT) make_room_for_digits(handle);
  }
  return 0;
}

// Writes only values the user typed and reports a file that cannot be written, with what to do
// about it; a good save shows nothing.
LRESULT on_save_click(HWND, INT_PTR) {
  const INT32 height = read_box_number(ID_HEIGHT_BOX);
  const INT32 width = read_box_number(ID_WIDTH_BOX);
  if (!is_saveable_size(width) || !is_saveable_size(height)) {
    show_message("Error", "Width and height must be whole numbers from 1 to 32767");
  } else if (!write_resolution(width, height)) {
    show_message("Error", write_failure_text(file_error, GetFileAttributesA(CONFIG_FILE_NAME)));
  }
  return 0;
}

LRESULT on_run_click(HWND, INT_PTR) {
  launch_game();
  return 0;
}

// run_program hands back the game's process handle, which nothing here waits on, or TRUE when the shell
// started it without one; the result says only whether the game started.
INT_PTR launch_game() {
  const INT_PTR launched = run_program(GAME_EXECUTABLE);
  if (launched != 0 && launched != TRUE) CloseHandle(reinterpret_cast<HANDLE>(launched));
  return launched != 0;
}

LRESULT form_callback(HWND, UINT, WPARAM, LPARAM) { return 0; }
