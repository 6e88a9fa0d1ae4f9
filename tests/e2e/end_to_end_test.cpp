#include <array>
#include <map>
#include <string>
#include <tuple>

#include "app/app.h"
#include "tests/support/test_support.h"

namespace {

constexpr char CONFIG[] = "Data\\GAME.CFG";
constexpr char RANGE_ERROR[] = "Width and height must be whole numbers from 1 to 32767";
constexpr char IN_USE[] =
    "Cannot write Data\\GAME.CFG because another program is using it. Close the game and "
    "press Save again.";
constexpr char DENIED[] =
    "Cannot write Data\\GAME.CFG because Windows denied access to the file. Make sure your Windows "
    "account may change the files in the game's folder.";
constexpr char READ_ONLY_FILE[] =
    "Cannot write Data\\GAME.CFG because the file is read-only. Right-click it, choose Properties, "
    "clear \"Read-only\" and press Save again.";
constexpr char MISSING[] =
    "Cannot write Data\\GAME.CFG because the game's Data folder is missing. Reinstall the game and press "
    "Save again.";

// The visible top-level window of the process with this class and title (null: any).
HWND find_top_level(DWORD process_id, const char* class_name, const char* title) {
  for (HWND window = nullptr; (window = FindWindowExA(nullptr, window, class_name, title));) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == process_id && IsWindowVisible(window)) return window;
  }
  return nullptr;
}

// The first shown top-level window whose title begins so: Explorer adds its own name to a folder's
// on newer Windows.
HWND shown_window_titled(const std::string& title) {
  for (HWND window = nullptr; (window = FindWindowExA(nullptr, window, nullptr, nullptr));) {
    char text[256] = "";
    GetWindowTextA(window, text, sizeof text);
    if (IsWindowVisible(window) && std::string(text).starts_with(title)) return window;
  }
  return nullptr;
}

// A program that stops answering fails the test after half a minute instead of hanging it; a busy one gets
// that long (the emulated 32-bit program on a loaded machine takes seconds for a box of 20,000 characters).
LRESULT send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  DWORD_PTR result = 0;
  SendMessageTimeoutA(window, message, wParam, lParam, SMTO_NORMAL, 30000, &result);
  return static_cast<LRESULT>(result);
}

// The whole text, however long: a box may hold tens of thousands of characters.
std::string window_text(HWND window) {
  std::string text(send(window, WM_GETTEXTLENGTH, 0, 0) + 1, '\0');
  text.resize(send(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data())));
  return text;
}

// The changer of the test's own target, built beside it.
std::string program_path() { return test_program_folder() + "ResolutionChanger.exe"; }

bool can_open_process(DWORD id) {
  HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, id);
  return process && CloseHandle(process);
}

// Drives a running ResolutionChanger.exe (the one of the test's own target) from outside, as a
// person would: it finds the form and its controls, types, clicks, answers message boxes and
// closes it.
struct Changer {
  PROCESS_INFORMATION process{};
  HWND form = nullptr;

  // Starts the program in folder and waits for its form.
  bool start(const std::string& folder, std::string arguments = "") {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    const std::string program = program_path();
    arguments = "\"" + program + "\" " + arguments;
    return CreateProcessA(program.c_str(), arguments.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          folder.c_str(), &startup, &process) &&
           wait_until([&] {
             return (form = find_top_level(process.dwProcessId, nullptr, FORM_TITLE)) || !running();
           }) &&
           form;
  }
  ~Changer() {
    if (running()) TerminateProcess(process.hProcess, 99);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
  }
  HWND control(int id) const { return GetDlgItem(form, id); }
  std::string text(int id) const { return window_text(control(id)); }
  // Waits until the boxes show these texts: the program has filled them and waits for input.
  bool shows(const std::string& width, const std::string& height) const {
    return wait_until([&] { return text(ID_WIDTH_BOX) == width && text(ID_HEIGHT_BOX) == height; });
  }
  // Replaces the box's text as a paste would, or by typing (WM_CHAR, as the keyboard would).
  void set_text(int id, const std::string& text) const {
    send(control(id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
  }
  void type(int id, const std::string& characters) const {
    set_text(id, "");
    for (char c : characters) send(control(id), WM_CHAR, static_cast<unsigned char>(c), 1);
  }
  // Posted, as a mouse click is queued: a handler that shows a box does not block the driver.
  void click(int id) const { PostMessageA(control(id), BM_CLICK, 0, 0); }
  // Presses each key in turn, as the keyboard does, once the window (the form unless named) is in front.
  bool press(const std::string& keys, HWND window = nullptr) const {
    if (!bring_to_front(window ? window : form)) return false;
    std::vector<INPUT> inputs;
    for (const char key : keys)
      for (const DWORD up : {0ul, DWORD{KEYEVENTF_KEYUP}})
        inputs.push_back({INPUT_KEYBOARD, {.ki = {static_cast<WORD>(key), 0, up, 0, 0}}});
    return SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)) == inputs.size();
  }
  // The second reply comes only once what was posted before the first has been handled.
  bool answers() const {
    DWORD_PTR ignored;
    return SendMessageTimeoutA(form, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 10000, &ignored) &&
           SendMessageTimeoutA(form, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 10000, &ignored);
  }
  HWND message_box() const { return find_top_level(process.dwProcessId, "#32770", nullptr); }
  // "caption: text" of the program's first message box within the time, which is then closed
  // with its OK button; empty when none appeared.
  std::string answer_message_box(DWORD milliseconds = 10000) const {
    HWND box = nullptr;
    if (!wait_until([&] { return (box = message_box()); }, milliseconds)) return "";
    const std::string seen = window_text(box) + ": " + window_text(GetDlgItem(box, 0xFFFF));
    EXPECT_FALSE(IsWindowEnabled(form)) << "the box is modal";
    PostMessageA(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
    // The form is enabled again, or gone with the program.
    EXPECT_TRUE(wait_until([&] { return !IsWindow(box) && (IsWindowEnabled(form) || !IsWindow(form)); }));
    return seen;
  }
  bool running() const { return WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT; }
  // Waits for the process to end; its exit code, or STILL_ACTIVE.
  DWORD exit_code() const {
    DWORD code = STILL_ACTIVE;
    wait_until([&] { return !running(); });
    GetExitCodeProcess(process.hProcess, &code);
    return code;
  }
};

enum Place { NONE, FILE, FOLDER, HELD, SHARED, READ_ONLY };

// quar.exe, Data and Data\GAME.CFG, each missing, a file (the stand-in game; the stored bytes) or
// a folder; GAME.CFG may also be read-only, or held open for reading and writing by another program,
// as the running game would: once the changer has read it, sharing only reading, or from before the
// changer starts, sharing writing too.
void lay_out(Place game, Place data, Place config, const Bytes& stored) {
  if (game == FILE) CopyFileA((test_program_folder() + "quar.exe").c_str(), "quar.exe", FALSE);
  if (game == FOLDER) CreateDirectoryA("quar.exe", nullptr);
  if (data == FILE) write_file_bytes("Data", stored);
  if (data == FOLDER) CreateDirectoryA("Data", nullptr);
  if (config != NONE && config != FOLDER) write_file_bytes(CONFIG, stored);
  if (config == READ_ONLY) SetFileAttributesA(CONFIG, FILE_ATTRIBUTE_READONLY);
  if (config == FOLDER) CreateDirectoryA(CONFIG, nullptr);
}

// The changer started in a game folder holding the sample GAME.CFG, once it shows it.
bool start_in_sample_game(Changer& changer, const TempFolder& game) {
  lay_out(FILE, FOLDER, FILE, SAMPLE_CONFIG);
  return changer.start(game.path) && changer.shows("1280", "720");
}

// Bytes with the high bit set, so that a word read from them is negative.
Bytes pattern(size_t size) {
  Bytes bytes(size);
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<unsigned char>(0xF0 + i);
  return bytes;
}

// The box text for the word at offset: a file that ends within the word gives what it has.
std::string shown(const Bytes& bytes, size_t offset) {
  if (bytes.size() <= offset) return "0";
  if (bytes.size() == offset + 1) return std::to_string(bytes[offset]);
  return std::to_string(static_cast<short>(bytes[offset] | bytes[offset + 1] << 8));
}

// After Save, the one clear outcome: the error box, or no box and the file as expected, which the
// changer no longer holds.
void expect_saved(const Changer& changer, const char* error, const char* file, const Bytes& expected) {
  EXPECT_TRUE(error || wait_until([&] { return read_file_bytes(file) == expected; }))
      << "the file never held it";
  EXPECT_EQ(changer.answer_message_box(error ? 10000 : 0), error ? std::string("Error: ") + error : "");
  EXPECT_EQ(read_file_bytes(file), expected);
  // The words can be read a moment before the changer closes the file.
  EXPECT_TRUE(error || wait_until([&] { return can_open(file, GENERIC_WRITE, 0); }))
      << "the changer holds the file";
}

void save_expecting(const Changer& changer, const char* error, const char* file, const Bytes& expected) {
  changer.click(ID_SAVE_BUTTON);
  expect_saved(changer, error, file, expected);
}

enum Arrival { SENT, POSTED, SENT_WHILE_THE_BOX_IS_OPEN };

// Each game folder: the changer started in it shows the stored words (0 for what it cannot read)
// and creates nothing, Save of 1280 x 1024 changes those two words alone or says why it cannot,
// Run starts the game there, shown, with the saved resolution (the arguments never do), and the
// close box ends the changer with exit code 0. Without the game, the form shows the error and the changer
// ends. A player may do it all with the keyboard: Tab selects the number it lands on, so that typing
// replaces it, Space presses Save, Enter closes the box a refused Save shows, and the focus is where it was
// after the box and after a switch to another window and back.
// What another process posts or sends to the changer, to the form shown or hidden, or while the changer's
// error box is open, reads nothing that is its own and frees nothing: a WM_COMMAND naming the sender's own
// window runs no handler of its choosing (the address would be ExitProcess, the same in every process), a
// WM_NOTIFY's pointer, which means nothing here, is not read, and WM_DESTROY and WM_NCDESTROY free nothing
// of the form, the boxes or Save: the changer still answers, keeps its texts, and both boxes take typing.
// It is then closed as tools close programs, with a WM_CLOSE sent while it waits with nothing else to do
// (the mouse away from it: over a button, Wine runs a timer that ends every wait).
TEST(EndToEnd, EachGameFolderShowsTheStoredWordsSavesOnlyThemAndRunsTheGame) {
  const HWND elsewhere = CreateWindowExA(0, "STATIC", "elsewhere", WS_POPUP | WS_VISIBLE, 0, 0, 40, 40,
                                         nullptr, nullptr, nullptr, nullptr),
             own = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 1, 1, HWND_MESSAGE, nullptr, nullptr, nullptr);
  SetPropA(own, "KVQ_EVT_273_0",
           reinterpret_cast<HANDLE>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "ExitProcess")));
  struct Case {
    std::string name;
    std::string subfolder;  // the game's folder below the temporary one
    Place game, data, config;
    Bytes stored;
    const char* error;      // null: the file is readable and Save writes it
    const char* run_title;  // the window Run opens; null: Run is not clicked
    const char* arguments;
    bool keyboard = false;  // from start-up on, keys alone
    // What another process sends or posts first, how, to which control (0: the form), and whether it
    // hides the form meanwhile.
    UINT foreign = 0;
    Arrival arrival = SENT;
    int receiver = 0;
    bool hidden = false;
  };
  std::vector<Case> cases;
  // clang-format off
  const std::tuple<UINT, Arrival, int, bool> foreign[] = {
      {WM_COMMAND, SENT, 0, false}, {WM_NOTIFY, SENT, 0, false}, {WM_NOTIFY, POSTED, 0, false},
      {WM_NOTIFY, POSTED, 0, true}, {WM_DESTROY, SENT, ID_SAVE_BUTTON, false}, {WM_DESTROY, POSTED, ID_WIDTH_BOX, true},
      {WM_NCDESTROY, SENT, 0, false}, {WM_NCDESTROY, SENT, ID_WIDTH_BOX, false}, {WM_NCDESTROY, SENT, 0, true},
      {WM_NCDESTROY, SENT, ID_WIDTH_BOX, true}, {WM_NCDESTROY, POSTED, 0, true}, {WM_NCDESTROY, POSTED, ID_HEIGHT_BOX, true},
      {WM_NCDESTROY, POSTED, ID_SAVE_BUTTON, true}, {WM_NCDESTROY, SENT_WHILE_THE_BOX_IS_OPEN, ID_WIDTH_BOX, false}};
  // clang-format on
  for (const auto& [message, arrival, id, hidden] : foreign)
    cases.push_back({std::to_string(message) + " to " + std::to_string(id) + ", arrival " +
                         std::to_string(arrival) + (hidden ? ", hidden" : ""),
                     "", FILE, FOLDER, FILE, SAMPLE_CONFIG, nullptr, nullptr, "", false, message, arrival, id,
                     hidden});
  for (size_t size = 0; size <= 16; ++size)
    cases.push_back(
        {std::to_string(size) + " bytes", "", FILE, FOLDER, FILE, pattern(size), nullptr, nullptr, ""});
  const Bytes stored = pattern(18), none;
  // With the temporary folder in front, still short of the 248 characters CreateDirectoryA takes.
  const std::string deep = std::string(90, 'L') + "\\" + std::string(80, 'M'),
                    ansi = "Spiele \xE4\xF6\xFC \xC9t\xE9";
  const char *game = "Quarvelton 1280x1024", *arguments = "/width=640 \"Data\\GAME.CFG\" --run";
  cases.insert(cases.end(),
               {{"no GAME.CFG", "", FILE, FOLDER, NONE, none, nullptr, nullptr, ""},
                {"no Data folder", "", FILE, NONE, NONE, none, MISSING, nullptr, ""},
                {"GAME.CFG is a folder", "", FILE, FOLDER, FOLDER, none, DENIED, nullptr, ""},
                {"Data is a file", "", FILE, FILE, NONE, stored, MISSING, nullptr, ""},
                {"GAME.CFG held by the game", "", FILE, FOLDER, HELD, stored, IN_USE, nullptr, ""},
                {"GAME.CFG shared by the game", "", FILE, FOLDER, SHARED, stored, IN_USE, nullptr, ""},
                {"GAME.CFG read-only", "", FILE, FOLDER, READ_ONLY, stored, READ_ONLY_FILE, nullptr, ""},
                // The probe takes the folder for the game, and the shell opens it.
                {"quar.exe is a folder", "", FOLDER, FOLDER, FILE, stored, nullptr, "quar.exe", ""},
                {"a long path", deep, FILE, FOLDER, FILE, stored, nullptr, game, ""},
                {"ANSI, arguments", ansi, FILE, FOLDER, FILE, SAMPLE_CONFIG, nullptr, game, arguments},
                {"keyboard only", "", FILE, FOLDER, FILE, SAMPLE_CONFIG, nullptr, nullptr, "", true},
                {"no game", "", NONE, FOLDER, FILE, SAMPLE_CONFIG, nullptr, nullptr, ""}});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempFolder temp;
    const std::string folder = temp.path + c.subfolder + (c.subfolder.empty() ? "" : "\\");
    std::filesystem::create_directories(folder);
    std::filesystem::current_path(folder);
    lay_out(c.game, c.data, c.config, c.stored);
    const char* checked = c.data == FOLDER ? CONFIG : "Data";
    const Bytes before = read_file_bytes(checked);
    const DWORD kind = GetFileAttributesA(checked);
    const auto hold = [](DWORD share) {
      return CreateFileA(CONFIG, GENERIC_READ | GENERIC_WRITE, share, nullptr, OPEN_EXISTING, 0, nullptr);
    };
    HANDLE held = c.config == SHARED ? hold(FILE_SHARE_READ | FILE_SHARE_WRITE) : INVALID_HANDLE_VALUE;
    Changer changer;
    ASSERT_TRUE(changer.start(folder, c.arguments));
    if (c.game == NONE) {
      EXPECT_TRUE(changer.shows("1024", "768")) << "nothing read";
      EXPECT_EQ(changer.answer_message_box(), "Error: Cannot find quar.exe in this folder");
      EXPECT_EQ(std::tuple(changer.exit_code(), read_file_bytes(CONFIG)), std::tuple(0u, c.stored));
      continue;
    }
    const bool readable = !c.error || c.config == HELD || c.config == SHARED || c.config == READ_ONLY;
    EXPECT_TRUE(readable ? changer.shows(shown(c.stored, 8), shown(c.stored, 10)) : changer.shows("0", "0"));
    EXPECT_EQ(GetFileAttributesA(checked), kind) << "reading creates nothing";
    if (c.config == HELD) held = hold(FILE_SHARE_READ);
    if (c.foreign) {
      const HWND receiver = c.receiver ? changer.control(c.receiver) : changer.form;
      const LPARAM lParam = c.foreign == WM_COMMAND  ? reinterpret_cast<LPARAM>(own)
                            : c.foreign == WM_NOTIFY ? 0x10
                                                     : 0;
      if (c.hidden) ShowWindow(changer.form, SW_HIDE);
      if (c.arrival == SENT_WHILE_THE_BOX_IS_OPEN) {
        changer.set_text(ID_HEIGHT_BOX, "");
        changer.click(ID_SAVE_BUTTON);
        EXPECT_TRUE(wait_until([&] { return !IsWindowEnabled(changer.form); })) << "the box is open";
      }
      c.arrival == POSTED ? PostMessageA(receiver, c.foreign, 0, lParam)
                          : send(receiver, c.foreign, 0, lParam);
      ASSERT_TRUE(changer.answers()) << "the changer stopped answering";
      if (c.arrival == SENT_WHILE_THE_BOX_IS_OPEN) {
        EXPECT_EQ(changer.answer_message_box(), std::string("Error: ") + RANGE_ERROR);
        changer.set_text(ID_HEIGHT_BOX, "720");
      }
      if (c.hidden) ShowWindow(changer.form, SW_SHOW);
      EXPECT_EQ(
          std::tuple(window_text(changer.form), changer.text(ID_SAVE_BUTTON), changer.text(ID_WIDTH_BOX),
                     changer.text(ID_HEIGHT_BOX)),
          std::tuple(std::string(FORM_TITLE), std::string("Save"), std::string("1280"), std::string("720")));
    }
    // Wine run as root, as on these machines, writes a read-only file as root may; Windows refuses. Asked
    // before Save, while the changer holds nothing.
    const char* error = c.config == READ_ONLY && can_open(CONFIG, GENERIC_WRITE, 0) ? nullptr : c.error;
    if (c.keyboard) {
      // One chain, so that keys that went astray press nothing more (Run among them).
      HWND box = nullptr;
      EXPECT_TRUE(changer.press("\t0\t\t ") && wait_until([&] { return (box = changer.message_box()); }) &&
                  changer.press("\r", box) && wait_until([&] { return IsWindowEnabled(changer.form); }) &&
                  changer.press("\t\t1280\t10") && changer.shows("1280", "10") && bring_to_front(elsewhere) &&
                  changer.press("24\t "));
    } else {
      changer.type(ID_WIDTH_BOX, "1280");
      changer.type(ID_HEIGHT_BOX, "1024");
      changer.click(ID_SAVE_BUTTON);
    }
    expect_saved(changer, error, checked, error ? before : with_resolution(c.stored, 1280, 1024));
    if (held != INVALID_HANDLE_VALUE) CloseHandle(held);
    EXPECT_TRUE(!error || GetFileAttributesA(checked) == kind) << "nothing is created or replaced";
    if (c.run_title) {
      changer.click(ID_RUN_BUTTON);
      HWND launched = nullptr;
      EXPECT_TRUE(wait_until([&] { return (launched = shown_window_titled(c.run_title)); }))
          << "the game's window shows";
      DWORD launched_process = 0;
      GetWindowThreadProcessId(launched, &launched_process);
      PostMessageA(launched, WM_CLOSE, 0, 0);
      EXPECT_TRUE(wait_until([&] { return !IsWindow(launched); }));
      // An ended process can still be opened while anyone holds a handle to it.
      EXPECT_TRUE(c.run_title != game || wait_until([&] { return !can_open_process(launched_process); }))
          << "the changer holds the game's process";
    }
    // One line for the one start of the game itself.
    const Bytes log = read_file_bytes("quar.log");
    EXPECT_EQ(std::string(log.begin(), log.end()),
              c.run_title == game ? "1280x1024 1 " + folder.substr(0, folder.size() - 1) + "\r\n" : "");
    if (c.foreign) {
      SetCursorPos(0, 0);
      Sleep(500);  // what the mouse queued is handled meanwhile
      send(changer.form, WM_CLOSE, 0, 0);
    } else {
      PostMessageA(changer.form, WM_SYSCOMMAND, SC_CLOSE, 0);
    }
    EXPECT_EQ(changer.exit_code(), 0u) << "the changer stayed open until closed";
    // The first failed row is the one to read; the later ones would only look briefly and fail too.
    if (HasFailure()) break;
  }
}

// The box keeps what it is given; Save takes the number the text begins with and writes it only
// from 1 to 32767.
TEST(EndToEnd, SaveTakesTheLeadingNumberOfTheBoxAndOnlyFrom1To32767) {
  TempFolder game;
  Changer changer;
  ASSERT_TRUE(start_in_sample_game(changer, game));
  changer.type(ID_HEIGHT_BOX, "600");
  // Given (typed, or set as a paste would), what the box then holds, the width saved (0: refused).
  // The too long number is 2^32 + 1280, whose low 32 bits would read as 1280.
  const std::string nines(20000, '9'), digits_and_x = "640" + std::string(19997, 'x'), wraps = "4294968576";
  // clang-format off
  const std::tuple<std::string, bool, std::string, int> cases[] = {
      {"1920", true, "1920", 1920},   {"8a0-0", true, "800", 800},         {"", true, "", 0},
      {"0", true, "0", 0},            {"99999", true, "99999", 0},         {"32767", true, "32767", 32767},
      {"1", true, "1", 1},
      {"32768", true, "32768", 0},    {wraps, true, wraps, 0},             {"0000640", true, "0000640", 640},
      {"-5", false, "-5", 0},         {"12ab", false, "12ab", 12},         {nines, false, nines, 0},
      {digits_and_x, false, digits_and_x, 640}};
  // clang-format on
  for (const auto& [given, typed, kept, saved_width] : cases) {
    SCOPED_TRACE(given.substr(0, 12));
    const Bytes before = read_file_bytes(CONFIG);
    typed ? changer.type(ID_WIDTH_BOX, given) : changer.set_text(ID_WIDTH_BOX, given);
    EXPECT_EQ(changer.text(ID_WIDTH_BOX), kept);
    save_expecting(changer, saved_width ? nullptr : RANGE_ERROR, CONFIG,
                   saved_width ? with_resolution(SAMPLE_CONFIG, saved_width, 600) : before);
    if (HasFailure()) break;
  }
}

// The form and its controls, with their texts, are laid out from their twips at the screen's dots per inch
// (which scripts/test.sh sets to 96, 120 and 144 in turn), in pixels of the screen: measured by this
// program, which is dpi-aware itself. The form is centred on the screen, and four digits show whole
// in each box.
TEST(EndToEnd, TheFormIsLaidOutForTheScreensDotsPerInch) {
  SetProcessDPIAware();
  HDC screen = GetDC(nullptr);
  const int dots = GetDeviceCaps(screen, LOGPIXELSX);
  ReleaseDC(nullptr, screen);
  using Rect = std::array<LONG, 4>;
  // The client size, then the width box, the height box, Save, Run and the label: left, top, width,
  // height.
  // clang-format off
  const std::map<int, std::array<Rect, 6>> layouts = {
      {96, {{{0, 0, 211, 42}, {8, 8, 33, 20}, {56, 8, 33, 20}, {96, 8, 49, 25}, {152, 8, 49, 25}, {40, 8, 17, 17}}}},
      {120, {{{0, 0, 264, 52}, {10, 10, 41, 25}, {70, 10, 41, 25}, {120, 10, 61, 31}, {190, 10, 61, 31}, {50, 10, 21, 21}}}},
      {144, {{{0, 0, 316, 63}, {12, 12, 50, 30}, {84, 12, 50, 30}, {144, 12, 74, 38}, {228, 12, 74, 38}, {60, 12, 26, 26}}}}};
  // clang-format on
  if (!layouts.count(dots)) GTEST_SKIP() << "no layout listed for " << dots << " dots per inch";
  TempFolder game;
  Changer changer;
  ASSERT_TRUE(start_in_sample_game(changer, game));
  std::array<Rect, 6> seen;
  RECT r;
  GetClientRect(changer.form, &r);
  seen[0] = {r.left, r.top, r.right, r.bottom};
  for (int i = 1; i < 6; ++i) {
    GetWindowRect(changer.control(ID_WIDTH_BOX + i - 1), &r);
    MapWindowPoints(nullptr, changer.form, reinterpret_cast<POINT*>(&r), 2);
    seen[i] = {r.left, r.top, r.right - r.left, r.bottom - r.top};
  }
  EXPECT_EQ(seen, layouts.at(dots)) << dots << " dots per inch";
  EXPECT_EQ((std::array{changer.text(ID_SAVE_BUTTON), changer.text(ID_RUN_BUTTON), changer.text(ID_X_LABEL)}),
            (std::array<std::string, 3>{"Save", "Run", "x"}));
  RECT outer;
  GetWindowRect(changer.form, &outer);
  const LONG width = outer.right - outer.left, height = outer.bottom - outer.top;
  EXPECT_EQ(std::pair(outer.left, outer.top), std::pair(GetSystemMetrics(SM_CXSCREEN) / 2 - width / 2,
                                                        GetSystemMetrics(SM_CYSCREEN) / 2 - height / 2))
      << "centred on the screen";
  // Four of the widest digit fit in each box's formatting rectangle. The boxes' font is the default
  // GUI font, a stock object shared by every program (Wine answers no WM_GETFONT from outside).
  HDC dc = GetDC(nullptr);
  const HGDIOBJ previous = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
  LONG widest = 0;
  for (char digit = '0'; digit <= '9'; ++digit) {
    SIZE extent{};
    GetTextExtentPoint32A(dc, std::string(4, digit).c_str(), 4, &extent);
    widest = std::max(widest, extent.cx);
  }
  SelectObject(dc, previous);
  for (const int box : {ID_WIDTH_BOX, ID_HEIGHT_BOX}) {
    RECT room{};
    send(changer.control(box), EM_GETRECT, 0, reinterpret_cast<LPARAM>(&room));
    EXPECT_GE(room.right - room.left, widest) << "room for four digits in box " << box;
    EXPECT_TRUE(GetWindowLongA(changer.control(box), GWL_STYLE) & ES_NUMBER)
        << "box " << box << " takes digits only";
  }
  ReleaseDC(nullptr, dc);
}

// What the built program tells Windows about itself; each entry missing changes what a player sees.
TEST(Release, TheManifestNamesWhatWindowsReadsAtStart) {
  const HMODULE program = LoadLibraryExA(program_path().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  const HRSRC found = FindResourceA(program, MAKEINTRESOURCEA(1), RT_MANIFEST);
  ASSERT_NE(found, nullptr) << "no manifest";
  const std::string manifest(static_cast<const char*>(LockResource(LoadResource(program, found))),
                             SizeofResource(program, found));
  const std::pair<const char*, std::string> entries[] = {
      {"sharp at high dpi",
       R"(<dpiAware xmlns="http://schemas.microsoft.com/SMI/2005/WindowsSettings">true<)"},
      {"themed controls, and a start at all",
       std::string(R"(6.0.0.0" processorArchitecture=")") + (sizeof(void*) == 8 ? "amd64" : "x86")}};
  for (const auto& [why, entry] : entries) EXPECT_NE(manifest.find(entry), std::string::npos) << why;
  // Each would make Windows show the changer another Data\GAME.CFG than the old game sees.
  for (const char* absent : {"<trustInfo", "<requestedExecutionLevel", "<compatibility"})
    EXPECT_EQ(manifest.find(absent), std::string::npos) << absent;
  EXPECT_EQ(manifest.find("PerMonitor"), std::string::npos) << "the form is never laid out again";
  // Each size Windows asks for at 96, 120 and 144 dots per inch, as an image of its own, drawn for it.
  const HRSRC group = FindResourceA(program, MAKEINTRESOURCEA(1), RT_GROUP_ICON);
  ASSERT_NE(group, nullptr) << "no icon";
  const auto* directory = static_cast<const BYTE*>(LockResource(LoadResource(program, group)));
  std::vector<int> sizes;
  for (WORD i = 0, count = *reinterpret_cast<const WORD*>(directory + 4); i < count; ++i) {
    const BYTE* entry = directory + 6 + 14 * i;  // width, height, ..., the image's resource id last
    const WORD image = *reinterpret_cast<const WORD*>(entry + 12);
    EXPECT_NE(FindResourceA(program, MAKEINTRESOURCEA(image), RT_ICON), nullptr) << image;
    sizes.push_back(entry[0]);
  }
  EXPECT_EQ(sizes, (std::vector<int>{16, 20, 24, 32, 40, 48}));
  FreeLibrary(program);
}

}  // namespace
