#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

#include "app/app.h"
#include "tests/e2e/changer_driver.h"

#include <commctrl.h>

namespace {

constexpr char CONFIG[] = "Data\\GAME.CFG";
constexpr char RANGE_ERROR[] = "Width and height must be whole numbers from 1 to 32767";
constexpr char DENIED_ERROR[] =
    "Cannot write Data\\GAME.CFG because Windows denied access. If the game is installed in a protected "
    "folder such as Program Files, start the changer as administrator.";
constexpr char MISSING_ERROR[] =
    "Cannot write Data\\GAME.CFG because the Data folder is missing. Start the changer in the game's folder.";

// Bytes with the high bit set, so that a word read from them is negative.
Bytes pattern(size_t size) {
  Bytes bytes(size);
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<unsigned char>(0xF0 + i);
  return bytes;
}

// The file as a save must leave it: a shorter file grown to 12 bytes with zeros, then
// the two words.
Bytes saved(Bytes bytes, int width, int height) {
  if (bytes.size() < 12) bytes.resize(12, 0);
  bytes[8] = static_cast<unsigned char>(width);
  bytes[9] = static_cast<unsigned char>(width >> 8);
  bytes[10] = static_cast<unsigned char>(height);
  bytes[11] = static_cast<unsigned char>(height >> 8);
  return bytes;
}

// The box text for the word at offset: a file that ends within the word gives what it has.
std::string shown(const Bytes& bytes, size_t offset) {
  if (bytes.size() <= offset) return "0";
  if (bytes.size() == offset + 1) return std::to_string(bytes[offset]);
  return std::to_string(static_cast<short>(bytes[offset] | bytes[offset + 1] << 8));
}

void copy_game() { ASSERT_TRUE(CopyFileA((test_program_folder() + "quar.exe").c_str(), "quar.exe", FALSE)); }

void lay_out_game(const Bytes& config) {
  copy_game();
  CreateDirectoryA("Data", nullptr);
  ASSERT_TRUE(write_file_bytes(CONFIG, config));
}

bool shows(const ChangerDriver& changer, const std::string& width, const std::string& height) {
  return wait_until(
      [&] { return changer.text(ID_WIDTH_BOX) == width && changer.text(ID_HEIGHT_BOX) == height; });
}

// Clicks Save and checks the one clear outcome: the error box with its text, or none and
// the file as expected. Whatever happens, the program is still running afterwards.
void save_expecting(const ChangerDriver& changer, const char* error, const std::string& file,
                    const Bytes& expected) {
  changer.click(ID_SAVE_BUTTON);
  MessageBoxSeen box;
  const bool settled = wait_until([&] {
    box = changer.wait_for_message_box(0);
    return box.box != nullptr || (!error && read_file_bytes(file) == expected);
  });
  EXPECT_TRUE(settled) << (error ? "no error box" : "the file never held the values");
  if (!box.box) box = changer.wait_for_message_box(0);
  EXPECT_EQ(box.text, error ? error : "") << (error ? "" : "a good save shows nothing");
  if (box.box) {
    EXPECT_EQ(box.caption, "Error");
    changer.press_ok(box);
  }
  EXPECT_EQ(read_file_bytes(file), expected);
  EXPECT_EQ(WaitForSingleObject(changer.process.hProcess, 0), static_cast<DWORD>(WAIT_TIMEOUT))
      << "it crashed";
}

void close_expecting_exit_code_0(const ChangerDriver& changer) {
  EXPECT_EQ(WaitForSingleObject(changer.process.hProcess, 0), static_cast<DWORD>(WAIT_TIMEOUT))
      << "it crashed";
  PostMessageA(changer.form, WM_CLOSE, 0, 0);
  EXPECT_EQ(changer.wait_for_exit(), 0u);
}

// Closes the top-level window that Run opened, of whatever process.
bool close_launched_window(const char* title) {
  HWND window = nullptr;
  if (!wait_until([&] { return (window = FindWindowA(nullptr, title)) != nullptr; })) return false;
  PostMessageA(window, WM_CLOSE, 0, 0);
  return wait_until([&] { return !IsWindow(window); });
}

bool is_folder(const char* path) {
  const DWORD attributes = GetFileAttributesA(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

TEST(HostileInput, ConfigFilesOfEveryLengthFrom0To16ShowWhatTheyHoldAndSaveOnlyTheWords) {
  TempFolder game;
  for (size_t size = 0; size <= 16; ++size) {
    SCOPED_TRACE(std::to_string(size) + " bytes");
    const Bytes before = pattern(size);
    lay_out_game(before);
    ChangerDriver changer;
    ASSERT_TRUE(changer.start(game.path));
    EXPECT_TRUE(shows(changer, shown(before, 8), shown(before, 10)))
        << changer.text(ID_WIDTH_BOX) << " x " << changer.text(ID_HEIGHT_BOX);
    changer.type(ID_WIDTH_BOX, "1280");
    changer.type(ID_HEIGHT_BOX, "1024");
    save_expecting(changer, nullptr, CONFIG, saved(before, 1280, 1024));
    close_expecting_exit_code_0(changer);
  }
}

// Folders a game may really be found in, and names taken by the wrong kind of thing.
TEST(HostileInput, OddFoldersGiveAClearOutcomeAndKeepEveryOtherByte) {
  const Bytes stored = pattern(18);
  struct Case {
    const char* name;
    std::string subfolder;  // the game's folder below the temporary one
    void (*lay_out)(const Bytes& stored);
    bool readable;          // the boxes show the stored words; else 0 and 0
    const char* error;      // what Save shows; null: it writes
    const char* checked;    // compared whole before and after
    const char* run_title;  // the window that Run opens; null: Run is not clicked
    bool game_runs;         // the stand-in game logs its folder
  };
  const Case cases[] = {
      {"GAME.CFG is a folder", "",
       [](const Bytes&) {
         copy_game();
         CreateDirectoryA("Data", nullptr);
         CreateDirectoryA(CONFIG, nullptr);
       },
       false, DENIED_ERROR, CONFIG, nullptr, false},
      {"Data is a file", "",
       [](const Bytes& bytes) {
         copy_game();
         write_file_bytes("Data", bytes);
       },
       false, MISSING_ERROR, "Data", nullptr, false},
      // The probe takes the folder for the game, and the shell opens it.
      {"quar.exe is a folder", "",
       [](const Bytes& bytes) {
         CreateDirectoryA("quar.exe", nullptr);
         CreateDirectoryA("Data", nullptr);
         write_file_bytes(CONFIG, bytes);
       },
       true, nullptr, CONFIG, "quar.exe", false},
      // With the temporary folder in front, still short of the 248 characters CreateDirectoryA takes.
      {"a path of 200+ characters", std::string(90, 'L') + "\\" + std::string(80, 'M'), lay_out_game, true,
       nullptr, CONFIG, "Quarvelton 1280x1024", true},
      {"spaces and ANSI letters", "Spiele \xE4\xF6\xFC \xC9t\xE9", lay_out_game, true, nullptr, CONFIG,
       "Quarvelton 1280x1024", true},
      // Fault: a read-only GAME.CFG is reported without saying what to do.
      {"GAME.CFG is read-only", "",
       [](const Bytes& bytes) {
         lay_out_game(bytes);
         SetFileAttributesA(CONFIG, FILE_ATTRIBUTE_READONLY);
       },
       true, DENIED_ERROR, CONFIG, nullptr, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempFolder temp;
    std::string folder = temp.path;
    for (size_t start = 0; start < c.subfolder.size();) {
      const size_t end = std::min(c.subfolder.find('\\', start), c.subfolder.size());
      folder += c.subfolder.substr(start, end - start) + "\\";
      ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr)) << folder;
      start = end + 1;
    }
    ASSERT_TRUE(SetCurrentDirectoryA(folder.c_str()));
    c.lay_out(stored);
    const Bytes before = read_file_bytes(c.checked);

    ChangerDriver changer;
    ASSERT_TRUE(changer.start(folder));
    EXPECT_TRUE(c.readable ? shows(changer, shown(stored, 8), shown(stored, 10)) : shows(changer, "0", "0"))
        << changer.text(ID_WIDTH_BOX) << " x " << changer.text(ID_HEIGHT_BOX);
    changer.type(ID_WIDTH_BOX, "1280");
    changer.type(ID_HEIGHT_BOX, "1024");
    // Wine run as root, as on the build machine, writes a read-only file as Unix root may; Windows refuses.
    const char* error = c.error == DENIED_ERROR && can_open(c.checked, GENERIC_WRITE, 0) ? nullptr : c.error;
    save_expecting(changer, error, c.checked, error ? before : saved(before, 1280, 1024));
    if (!c.readable && std::string(c.checked) == CONFIG) {
      EXPECT_TRUE(is_folder(CONFIG)) << "the folder is left as it was";
    }
    if (c.run_title) {
      changer.click(ID_RUN_BUTTON);
      EXPECT_TRUE(close_launched_window(c.run_title)) << "Run opened no \"" << c.run_title << "\"";
      EXPECT_EQ(changer.wait_for_message_box(0).box, nullptr);
    }
    if (c.game_runs) {
      const Bytes log = read_file_bytes("quar.log");
      const std::string line(log.begin(), log.end());
      EXPECT_EQ(line.substr(0, line.find_first_of("\r\n")),
                "1280x1024 " + folder.substr(0, folder.size() - 1));
    }
    close_expecting_exit_code_0(changer);
  }
}

// The box keeps what fits of the paste; Save judges the number the kept text begins with.
TEST(HostileInput, AHundredThousandCharacterPasteIsCutAndJudgedByItsLeadingNumber) {
  TempFolder game;
  const Bytes stored = pattern(18);
  lay_out_game(stored);
  ChangerDriver changer;
  ASSERT_TRUE(changer.start(game.path));
  changer.type(ID_HEIGHT_BOX, "600");
  struct Case {
    const char* name;
    std::string pasted;
    const char* error;  // null: saved
    int saved_width;
  };
  const Case cases[] = {
      {"digits", std::string(100000, '9'), RANGE_ERROR, 0},
      {"a number and letters", "640" + std::string(99997, 'x'), nullptr, 640},
      {"letters", std::string(100000, 'x'), RANGE_ERROR, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    changer.paste(ID_WIDTH_BOX, c.pasted);
    const std::string kept = changer.text(ID_WIDTH_BOX);
    EXPECT_FALSE(kept.empty());
    EXPECT_LE(kept.size(), c.pasted.size());
    EXPECT_EQ(kept, c.pasted.substr(0, kept.size()));
    save_expecting(changer, c.error, CONFIG,
                   c.error ? read_file_bytes(CONFIG) : saved(stored, c.saved_width, 600));
  }
  close_expecting_exit_code_0(changer);
}

TEST(HostileInput, TwoInstancesSavingAlternatelyEachLand) {
  TempFolder game;
  const Bytes stored = pattern(18);
  lay_out_game(stored);
  ChangerDriver first;
  ChangerDriver second;
  ASSERT_TRUE(first.start(game.path));
  ASSERT_TRUE(second.start(game.path));
  const std::tuple<const ChangerDriver*, int, int> saves[] = {
      {&first, 800, 600}, {&second, 1024, 768}, {&first, 1280, 720}, {&second, 1920, 1080}};
  for (const auto& [changer, width, height] : saves) {
    SCOPED_TRACE(std::to_string(width) + " x " + std::to_string(height));
    changer->type(ID_WIDTH_BOX, std::to_string(width));
    changer->type(ID_HEIGHT_BOX, std::to_string(height));
    save_expecting(*changer, nullptr, CONFIG, saved(stored, width, height));
  }
  close_expecting_exit_code_0(first);
  close_expecting_exit_code_0(second);
  EXPECT_EQ(read_file_bytes(CONFIG), saved(stored, 1920, 1080));
}

// Fault: the program calls an address another process chose (ExitProcess, at the same address in every
// process), held by that process's window named in a WM_COMMAND, or in an NMHDR read from a WM_NOTIFY's
// lParam, which may as well point at nothing.
TEST(HostileInput, MessagesFromAnotherProcessReachNoHandler) {
  TempFolder game;
  const Bytes stored = pattern(18);
  lay_out_game(stored);
  ChangerDriver changer;
  ASSERT_TRUE(changer.start(game.path));
  ASSERT_TRUE(shows(changer, shown(stored, 8), shown(stored, 10)));
  const auto exit_process =
      reinterpret_cast<HANDLE>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "ExitProcess"));
  HWND own = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 1, 1, HWND_MESSAGE, nullptr, nullptr, nullptr);
  SetPropA(own, "KVQ_EVT_273_0", exit_process);
  SetPropA(own, "KVQ_EVT_78_-2", exit_process);
  const NMHDR header{own, 5, NM_CLICK};
  void* remote = VirtualAllocEx(changer.process.hProcess, nullptr, sizeof header, MEM_COMMIT, PAGE_READWRITE);
  ASSERT_TRUE(WriteProcessMemory(changer.process.hProcess, remote, &header, sizeof header, nullptr));
  const std::pair<UINT, LPARAM> messages[] = {{WM_COMMAND, reinterpret_cast<LPARAM>(own)},
                                              {WM_NOTIFY, reinterpret_cast<LPARAM>(remote)},
                                              {WM_NOTIFY, 16}};
  for (const auto& [message, lParam] : messages)
    SendMessageTimeoutA(changer.form, message, 0, lParam, SMTO_ABORTIFHUNG, 5000, nullptr);
  DestroyWindow(own);
  changer.type(ID_WIDTH_BOX, "1280");
  changer.type(ID_HEIGHT_BOX, "1024");
  save_expecting(changer, nullptr, CONFIG, saved(stored, 1280, 1024));
  close_expecting_exit_code_0(changer);
}

}  // namespace
