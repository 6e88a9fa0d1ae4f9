// The main form made with bare Win32 calls and nothing else: the yardstick the program's
// start-up, memory and size are measured against. Same window, same five controls at 96 dpi,
// the boxes filled from Data\GAME.CFG, a plain message loop.
#include <windows.h>

namespace {

constexpr char FORM_CLASS[] = "BaselineForm";
constexpr char FORM_TITLE[] = "Quarvelton Resolution Changer";
constexpr DWORD FORM_STYLE = WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX;
constexpr int CLIENT_WIDTH = 211;
constexpr int CLIENT_HEIGHT = 42;

constexpr int WIDTH_BOX_ID = 100;
constexpr int HEIGHT_BOX_ID = 101;

struct Control {
  const char* class_name;
  const char* text;
  DWORD style;
  DWORD extended_style;
  int id, x, y, width, height;
};

constexpr DWORD CHILD = WS_CHILD | WS_VISIBLE | WS_GROUP;
constexpr DWORD EDIT_STYLE = CHILD | WS_TABSTOP | ES_AUTOHSCROLL | ES_NUMBER;
constexpr DWORD BUTTON_STYLE = CHILD | WS_TABSTOP | BS_MULTILINE;

constexpr Control CONTROLS[] = {
    {"EDIT", "1024", EDIT_STYLE, WS_EX_CLIENTEDGE, WIDTH_BOX_ID, 8, 8, 33, 20},
    {"EDIT", "768", EDIT_STYLE, WS_EX_CLIENTEDGE, HEIGHT_BOX_ID, 56, 8, 33, 20},
    {"BUTTON", "Save", BUTTON_STYLE, 0, 102, 96, 8, 49, 25},
    {"BUTTON", "Run", BUTTON_STYLE, 0, 103, 152, 8, 49, 25},
    {"STATIC", "x", CHILD | SS_CENTER, 0, 104, 40, 8, 17, 17},
};

LRESULT CALLBACK form_procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) PostQuitMessage(0);
  return DefWindowProcA(window, message, wParam, lParam);
}

HWND create_form(HINSTANCE module) {
  WNDCLASSA form_class{};
  form_class.style = CS_DBLCLKS;
  form_class.lpfnWndProc = form_procedure;
  form_class.hInstance = module;
  form_class.hIcon = LoadIconA(module, MAKEINTRESOURCEA(1));
  form_class.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  form_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  form_class.lpszClassName = FORM_CLASS;
  RegisterClassA(&form_class);

  RECT outer{0, 0, CLIENT_WIDTH, CLIENT_HEIGHT};
  AdjustWindowRect(&outer, FORM_STYLE, FALSE);
  const int width = outer.right - outer.left;
  const int height = outer.bottom - outer.top;
  const int x = (GetSystemMetrics(SM_CXSCREEN) >> 1) - (width >> 1);
  const int y = (GetSystemMetrics(SM_CYSCREEN) >> 1) - (height >> 1);
  return CreateWindowExA(0, FORM_CLASS, FORM_TITLE, FORM_STYLE, x, y, width, height, nullptr, nullptr, module,
                         nullptr);
}

void create_controls(HWND form, HINSTANCE module) {
  const auto font = reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT));
  for (const Control& c : CONTROLS) {
    HWND control =
        CreateWindowExA(c.extended_style, c.class_name, c.text, c.style, c.x, c.y, c.width, c.height, form,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)), module, nullptr);
    SendMessageA(control, WM_SETFONT, font, TRUE);
  }
}

// The width and the height as the game stores them: 16-bit little-endian words at offset 8.
void fill_boxes(HWND form) {
  HANDLE file = CreateFileA("Data\\GAME.CFG", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  SetFilePointer(file, 8, nullptr, FILE_BEGIN);
  constexpr int BOXES[] = {WIDTH_BOX_ID, HEIGHT_BOX_ID};
  for (int box : BOXES) {
    SHORT word = 0;
    DWORD read = 0;
    ReadFile(file, &word, sizeof word, &read, nullptr);
    char text[8];
    wsprintfA(text, "%d", read == sizeof word ? word : 0);
    SetDlgItemTextA(form, box, text);
  }
  CloseHandle(file);
}

}  // namespace

extern "C" [[noreturn]] void baseline_entry() {
  HINSTANCE module = GetModuleHandleA(nullptr);
  HWND form = create_form(module);
  create_controls(form, module);
  fill_boxes(form);
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  ExitProcess(0);
}
