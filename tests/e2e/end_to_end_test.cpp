#include "tests/e2e/changer_driver.h"

namespace {

constexpr char CONFIG[] = "Data\\GAME.CFG";
constexpr char RANGE_ERROR[] = "Width and height must be whole numbers from 1 to 32767";
constexpr char WRITE_ERROR[] = "Cannot write Data\\GAME.CFG";

enum Place { NONE, FILE, FOLDER };

// quar.exe, Data and Data\GAME.CFG, each missing, a file (the stand-in game; the stored bytes) or
// a folder.
void lay_out(Place game, Place data, Place config, const Bytes& stored) {
  if (game == FILE) CopyFileA((test_program_folder() + "quar.exe").c_str(), "quar.exe", FALSE);
  if (game == FOLDER) CreateDirectoryA("quar.exe", nullptr);
  if (data == FILE) write_file_bytes("Data", stored);
  if (data == FOLDER) CreateDirectoryA("Data", nullptr);
  if (config == FILE) write_file_bytes(CONFIG, stored);
  if (config == FOLDER) CreateDirectoryA(CONFIG, nullptr);
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

// Clicks Save and checks the one clear outcome: the error box over a disabled form, or no box
// and the file as expected; the changer never holds the file afterwards.
void save_expecting(const ChangerDriver& changer, const char* error, const char* file,
                    const Bytes& expected) {
  changer.click(ID_SAVE_BUTTON);
  if (error) {
    const MessageBoxSeen box = changer.message_box();
    EXPECT_EQ(box.text, std::string("Error: ") + error);
    EXPECT_FALSE(IsWindowEnabled(changer.form)) << "the box is modal";
    changer.press_ok(box);
    EXPECT_TRUE(wait_until([&] { return IsWindowEnabled(changer.form) != FALSE; }));
  } else {
    EXPECT_TRUE(wait_until([&] { return read_file_bytes(file) == expected; })) << "the file never held it";
    EXPECT_EQ(changer.message_box(0).box, nullptr) << "a good save shows nothing";
    EXPECT_TRUE(can_open(file, GENERIC_WRITE, 0)) << "the changer holds the file";
  }
  EXPECT_EQ(read_file_bytes(file), expected);
}

// Each game folder: the changer started in it shows the stored words (0 for what it cannot read)
// and creates nothing, Save of 1280 x 1024 changes those two words alone or says why it cannot,
// Run starts the game there with the saved resolution (the arguments never do), and the close
// box ends the changer with exit code 0.
TEST(EndToEnd, EachGameFolderShowsTheStoredWordsSavesOnlyThemAndRunsTheGame) {
  struct Case {
    std::string name;
    std::string subfolder;  // the game's folder below the temporary one
    Place game, data, config;
    Bytes stored;
    const char* error;      // null: the file is readable and Save writes it
    const char* run_title;  // the window Run opens; null: Run is not clicked
    const char* arguments;
  };
  std::vector<Case> cases;
  for (size_t size = 0; size <= 16; ++size)
    cases.push_back(
        {std::to_string(size) + " bytes", "", FILE, FOLDER, FILE, pattern(size), nullptr, nullptr, ""});
  const Bytes stored = pattern(18), none;
  // With the temporary folder in front, still short of the 248 characters CreateDirectoryA takes.
  const std::string deep = std::string(90, 'L') + "\\" + std::string(80, 'M'),
                    ansi = "Spiele \xE4\xF6\xFC \xC9t\xE9";
  const char* game = "Quarvelton 1280x1024";
  cases.insert(cases.end(),
               {
                   {"no GAME.CFG", "", FILE, FOLDER, NONE, none, nullptr, nullptr, ""},
                   {"no Data folder", "", FILE, NONE, NONE, none, WRITE_ERROR, nullptr, ""},
                   {"GAME.CFG is a folder", "", FILE, FOLDER, FOLDER, none, WRITE_ERROR, nullptr, ""},
                   {"Data is a file", "", FILE, FILE, NONE, stored, WRITE_ERROR, nullptr, ""},
                   // The probe takes the folder for the game, and the shell opens it.
                   {"quar.exe is a folder", "", FOLDER, FOLDER, FILE, stored, nullptr, "quar.exe", ""},
                   {"a path of 200+ characters", deep, FILE, FOLDER, FILE, stored, nullptr, game, ""},
                   {"spaces, ANSI letters, arguments", ansi, FILE, FOLDER, FILE, SAMPLE_CONFIG, nullptr, game,
                    "/width=640 \"Data\\GAME.CFG\" --run"},
               });
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

    ChangerDriver changer;
    ASSERT_TRUE(changer.start(folder, c.arguments));
    EXPECT_TRUE(c.error ? changer.shows("0", "0") : changer.shows(shown(c.stored, 8), shown(c.stored, 10)))
        << changer.text(ID_WIDTH_BOX) << " x " << changer.text(ID_HEIGHT_BOX);
    EXPECT_EQ(GetFileAttributesA(checked), kind) << "reading creates nothing";
    changer.type(ID_WIDTH_BOX, "1280");
    changer.type(ID_HEIGHT_BOX, "1024");
    save_expecting(changer, c.error, checked, c.error ? before : with_resolution(c.stored, 1280, 1024));
    EXPECT_TRUE(!c.error || GetFileAttributesA(checked) == kind) << "nothing is created or replaced";
    if (c.run_title) {
      changer.click(ID_RUN_BUTTON);
      HWND launched = nullptr;
      EXPECT_TRUE(wait_until([&] { return (launched = FindWindowA(nullptr, c.run_title)) != nullptr; }));
      PostMessageA(launched, WM_CLOSE, 0, 0);
      EXPECT_TRUE(wait_until([&] { return !IsWindow(launched); }));
      EXPECT_TRUE(changer.running() && IsWindowVisible(changer.form)) << "the changer stays open";
    }
    // One line for the one start of the game itself.
    const Bytes log = read_file_bytes("quar.log");
    EXPECT_EQ(std::string(log.begin(), log.end()),
              c.run_title == game ? "1280x1024 " + folder.substr(0, folder.size() - 1) + "\r\n" : "");
    PostMessageA(changer.form, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(changer.wait_for_exit(), 0u);
  }
}

// The box keeps what it is given; Save takes the number the text begins with and writes it only
// from 1 to 32767.
TEST(EndToEnd, SaveTakesTheLeadingNumberOfTheBoxAndOnlyFrom1To32767) {
  TempFolder game;
  lay_out(FILE, FOLDER, FILE, SAMPLE_CONFIG);
  ChangerDriver changer;
  ASSERT_TRUE(changer.start(game.path));
  ASSERT_TRUE(changer.shows("1280", "720"));
  changer.type(ID_HEIGHT_BOX, "600");
  // Given (typed, or set as a paste would), what the box then holds, the width saved (0: refused).
  const std::string digits(20000, '9'), number_and_letters = "640" + std::string(19997, 'x');
  const std::tuple<std::string, bool, std::string, int> cases[] = {
      {"1920", true, "1920", 1920},
      {"8a0-0", true, "800", 800},
      {"", true, "", 0},
      {"0", true, "0", 0},
      {"99999", true, "99999", 0},
      {"32767", true, "32767", 32767},
      {"0000640", true, "0000640", 640},
      // 2^32 + 1280: its low 32 bits would read as 1280.
      {"4294968576", true, "4294968576", 0},
      {"-5", false, "-5", 0},
      {"12ab", false, "12ab", 12},
      {digits, false, digits, 0},
      {number_and_letters, false, number_and_letters, 640},
  };
  for (const auto& [given, typed, kept, saved_width] : cases) {
    SCOPED_TRACE(given.substr(0, 12));
    const Bytes before = read_file_bytes(CONFIG);
    typed ? changer.type(ID_WIDTH_BOX, given) : changer.set_text(ID_WIDTH_BOX, given);
    EXPECT_EQ(changer.text(ID_WIDTH_BOX), kept);
    save_expecting(changer, saved_width ? nullptr : RANGE_ERROR, CONFIG,
                   saved_width ? with_resolution(SAMPLE_CONFIG, saved_width, 600) : before);
  }
  PostMessageA(changer.form, WM_CLOSE, 0, 0);
  EXPECT_EQ(changer.wait_for_exit(), 0u);
}

TEST(EndToEnd, WithoutTheGameTheFormShowsTheErrorAndTheProgramEnds) {
  TempFolder folder;
  lay_out(NONE, FOLDER, FILE, SAMPLE_CONFIG);
  ChangerDriver changer;
  ASSERT_TRUE(changer.start(folder.path));
  const MessageBoxSeen box = changer.message_box();
  EXPECT_EQ(box.text, "Error: Cannot find quar.exe in this folder");
  EXPECT_EQ(changer.text(ID_WIDTH_BOX) + " x " + changer.text(ID_HEIGHT_BOX), "1024 x 768") << "nothing read";
  EXPECT_FALSE(IsWindowEnabled(changer.form));
  changer.press_ok(box);
  EXPECT_EQ(changer.wait_for_exit(), 0u);
  EXPECT_EQ(read_file_bytes(CONFIG), SAMPLE_CONFIG);
}

// Tab and Shift+Tab go round the boxes and buttons, never to the label; Alt+F4 ends the program.
TEST(EndToEnd, KeysMoveTheFocusRoundAndAltF4EndsTheProgram) {
  TempFolder game;
  lay_out(FILE, FOLDER, FILE, SAMPLE_CONFIG);
  ChangerDriver changer;
  ASSERT_TRUE(changer.start(game.path));
  ASSERT_TRUE(changer.shows("1280", "720"));
  const std::pair<bool, int> steps[] = {{false, ID_WIDTH_BOX},   {false, ID_HEIGHT_BOX},
                                        {false, ID_SAVE_BUTTON}, {false, ID_RUN_BUTTON},
                                        {false, ID_WIDTH_BOX},   {true, ID_RUN_BUTTON}};
  for (const auto& [shift, focused] : steps) {
    ASSERT_TRUE(
        shift ? changer.press_keys({{VK_SHIFT, true}, {VK_TAB, true}, {VK_TAB, false}, {VK_SHIFT, false}})
              : changer.press_keys({{VK_TAB, true}, {VK_TAB, false}}));
    EXPECT_TRUE(wait_until([&] { return changer.focused_control() == changer.control(focused); }))
        << "focus on " << GetDlgCtrlID(changer.focused_control()) << ", not " << focused;
  }
  EXPECT_TRUE(changer.press_keys({{VK_MENU, true}, {VK_F4, true}, {VK_F4, false}, {VK_MENU, false}}));
  EXPECT_EQ(changer.wait_for_exit(), 0u);
  EXPECT_EQ(read_file_bytes(CONFIG), SAMPLE_CONFIG);
}

}  // namespace
