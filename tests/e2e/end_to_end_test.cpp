#include <gtest/gtest.h>

#include "app/app.h"
#include "tests/e2e/changer_driver.h"

namespace {

constexpr char CONFIG[] = "Data\\GAME.CFG";
constexpr char RANGE_ERROR[] = "Width and height must be whole numbers from 1 to 32767";
constexpr char IN_USE_ERROR[] =
    "Cannot write Data\\GAME.CFG because another program is using it. Close the game and press Save again.";
constexpr char MISSING_ERROR[] =
    "Cannot write Data\\GAME.CFG because the Data folder is missing. Start the changer in the game's folder.";

class EndToEnd : public testing::Test {
 protected:
  TempFolder game;
  ChangerDriver changer;

  void lay_out_game(const Bytes& config = SAMPLE_CONFIG) {
    ASSERT_TRUE(CopyFileA((test_program_folder() + "quar.exe").c_str(), "quar.exe", FALSE));
    CreateDirectoryA("Data", nullptr);
    ASSERT_TRUE(write_file_bytes(CONFIG, config));
  }

  void start(const std::string& arguments = "") {
    ASSERT_TRUE(changer.start(game.path, arguments)) << "the form never appeared";
  }

  void close_and_expect_exit_code_0() {
    PostMessageA(changer.form, WM_CLOSE, 0, 0);
    EXPECT_EQ(changer.wait_for_exit(), 0u);
  }

  // Clicks Save and waits for the error box it must show; the file stays as it was.
  void save_expecting_error(const char* text) {
    const Bytes before = read_file_bytes(CONFIG);
    changer.click(ID_SAVE_BUTTON);
    const MessageBoxSeen box = changer.wait_for_message_box();
    ASSERT_NE(box.box, nullptr) << "no error box";
    EXPECT_EQ(box.caption, "Error");
    EXPECT_EQ(box.text, text);
    EXPECT_FALSE(IsWindowEnabled(changer.form)) << "the form is disabled while the box is open";
    changer.press_ok(box);
    EXPECT_TRUE(wait_until([&] { return IsWindowEnabled(changer.form) != FALSE; }));
    EXPECT_EQ(read_file_bytes(CONFIG), before);
  }

  void save_expecting_file(const Bytes& expected) {
    changer.click(ID_SAVE_BUTTON);
    EXPECT_TRUE(wait_until([&] { return read_file_bytes(CONFIG) == expected; }))
        << "the file never held the values";
    EXPECT_EQ(changer.wait_for_message_box(0).box, nullptr) << "a good save shows nothing";
  }
};

TEST_F(EndToEnd, WithoutTheGameTheFormShowsTheErrorAndTheProgramEnds) {
  CreateDirectoryA("Data", nullptr);
  write_file_bytes(CONFIG, SAMPLE_CONFIG);
  start();
  const MessageBoxSeen box = changer.wait_for_message_box();
  ASSERT_NE(box.box, nullptr);
  EXPECT_EQ(box.caption, "Error");
  EXPECT_EQ(box.text, "Cannot find quar.exe in this folder");
  EXPECT_EQ(changer.text(ID_WIDTH_BOX), "1024") << "the form is shown first, with its own texts";
  EXPECT_EQ(changer.text(ID_HEIGHT_BOX), "768");
  EXPECT_FALSE(IsWindowEnabled(changer.form));
  changer.press_ok(box);
  EXPECT_EQ(changer.wait_for_exit(), 0u);
  EXPECT_EQ(read_file_bytes(CONFIG), SAMPLE_CONFIG);
}

TEST_F(EndToEnd, BoxesShowTheStoredValuesAndAFolderNamedQuarExeCounts) {
  struct Case {
    const char* name;
    bool game_is_folder;
    Bytes config;
    const char* width;
    const char* height;
  };
  const Case cases[] = {
      {"stored 1024 x 768", false, SAMPLE_CONFIG, "1024", "768"},
      {"40 9C reads as negative", false, with_resolution(SAMPLE_CONFIG, 0x9C40, 0xFFFF), "-25536", "-1"},
      {"a folder named quar.exe", true, with_resolution(SAMPLE_CONFIG, 800, 600), "800", "600"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempFolder folder;
    if (c.game_is_folder) {
      CreateDirectoryA("quar.exe", nullptr);
    } else {
      CopyFileA((test_program_folder() + "quar.exe").c_str(), "quar.exe", FALSE);
    }
    CreateDirectoryA("Data", nullptr);
    write_file_bytes(CONFIG, c.config);
    ChangerDriver run;
    ASSERT_TRUE(run.start(folder.path));
    EXPECT_TRUE(wait_until([&] {
      return run.text(ID_WIDTH_BOX) == c.width && run.text(ID_HEIGHT_BOX) == c.height;
    })) << run.text(ID_WIDTH_BOX)
        << " x " << run.text(ID_HEIGHT_BOX);
    PostMessageA(run.form, WM_CLOSE, 0, 0);
    EXPECT_EQ(run.wait_for_exit(), 0u);
    EXPECT_EQ(read_file_bytes(CONFIG), c.config);
  }
}

TEST_F(EndToEnd, SaveWritesTheTwoWordsAndNothingElse) {
  lay_out_game();
  start();
  changer.type(ID_WIDTH_BOX, "1280");
  changer.type(ID_HEIGHT_BOX, "1024");
  EXPECT_EQ(changer.text(ID_WIDTH_BOX), "1280");
  save_expecting_file(with_resolution(SAMPLE_CONFIG, 1280, 1024));
  // Typing goes through the digits-only box: letters and signs never arrive.
  changer.type(ID_WIDTH_BOX, "8a0-0");
  EXPECT_EQ(changer.text(ID_WIDTH_BOX), "800");
  save_expecting_file(with_resolution(SAMPLE_CONFIG, 800, 1024));
  close_and_expect_exit_code_0();
}

TEST_F(EndToEnd, OutOfRangeInputIsRefusedAndLeadingDigitsAreTaken) {
  lay_out_game();
  start();
  struct Case {
    const char* name;
    const char* width;
    bool pasted;
    const char* error;  // null: saved
    int saved_width;
  };
  const Case cases[] = {
      {"empty", "", false, RANGE_ERROR, 0},
      {"zero", "0", false, RANGE_ERROR, 0},
      {"too large", "99999", false, RANGE_ERROR, 0},
      {"pasted minus", "-5", true, RANGE_ERROR, 0},
      {"largest", "32767", false, nullptr, 32767},
      {"pasted 12ab", "12ab", true, nullptr, 12},
      // 2^32 + 1280: its low 32 bits would read as 1280.
      {"wraps past 32 bits", "4294968576", false, RANGE_ERROR, 0},
      {"leading zeros", "0000640", false, nullptr, 640},
  };
  changer.type(ID_HEIGHT_BOX, "600");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.pasted) {
      changer.paste(ID_WIDTH_BOX, c.width);
    } else {
      changer.type(ID_WIDTH_BOX, c.width);
    }
    ASSERT_EQ(changer.text(ID_WIDTH_BOX), c.width);
    if (c.error) {
      save_expecting_error(c.error);
    } else {
      save_expecting_file(with_resolution(SAMPLE_CONFIG, c.saved_width, 600));
    }
  }
  close_and_expect_exit_code_0();
}

TEST_F(EndToEnd, AFileThatCannotBeWrittenIsReportedAndLosesNothing) {
  lay_out_game(with_resolution(SAMPLE_CONFIG, 800, 600));
  start();
  // The boxes are filled once the program has read the file, which holding it would keep from it.
  ASSERT_TRUE(wait_until([&] { return changer.text(ID_HEIGHT_BOX) == "600"; }));
  // Held open without write sharing by another process, as the running game would.
  HANDLE held =
      CreateFileA(CONFIG, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  changer.type(ID_WIDTH_BOX, "640");
  // Fault: the message does not say that the game holds the file and what to do.
  save_expecting_error(IN_USE_ERROR);
  CloseHandle(held);
  save_expecting_file(with_resolution(SAMPLE_CONFIG, 640, 600));
  close_and_expect_exit_code_0();
}

TEST_F(EndToEnd, WithoutTheDataFolderNothingIsCreatedAndSaveReportsIt) {
  CopyFileA((test_program_folder() + "quar.exe").c_str(), "quar.exe", FALSE);
  start();
  EXPECT_TRUE(
      wait_until([&] { return changer.text(ID_WIDTH_BOX) == "0" && changer.text(ID_HEIGHT_BOX) == "0"; }));
  changer.type(ID_WIDTH_BOX, "640");
  changer.type(ID_HEIGHT_BOX, "480");
  // Fault: the message does not say that the Data folder is missing.
  save_expecting_error(MISSING_ERROR);
  EXPECT_FALSE(file_exists("Data"));
  close_and_expect_exit_code_0();
}

TEST_F(EndToEnd, RunStartsTheGameInTheSameFolderWithTheSavedResolution) {
  lay_out_game();
  start();
  changer.type(ID_WIDTH_BOX, "1280");
  changer.type(ID_HEIGHT_BOX, "1024");
  save_expecting_file(with_resolution(SAMPLE_CONFIG, 1280, 1024));
  changer.click(ID_RUN_BUTTON);
  ASSERT_TRUE(wait_until([] { return !read_file_bytes("quar.log").empty(); })) << "the game never started";
  const Bytes log = read_file_bytes("quar.log");
  const std::string line(log.begin(), log.end());
  std::string folder = game.path.substr(0, game.path.size() - 1);
  EXPECT_EQ(line.substr(0, line.find_first_of("\r\n")), "1280x1024 " + folder);
  HWND game_window = nullptr;
  wait_until(
      [&] { return (game_window = FindWindowA("QuarveltonGame", "Quarvelton 1280x1024")) != nullptr; });
  EXPECT_NE(game_window, nullptr);
  EXPECT_TRUE(IsWindow(changer.form)) << "the changer stays open";
  PostMessageA(game_window, WM_CLOSE, 0, 0);
  close_and_expect_exit_code_0();
}

TEST_F(EndToEnd, TheCloseBoxAndAltF4EndTheProgramWithExitCode0) {
  lay_out_game();
  struct Case {
    const char* name;
    void (*close)(const ChangerDriver& changer);
  };
  const Case cases[] = {
      {"close box", [](const ChangerDriver& c) { PostMessageA(c.form, WM_SYSCOMMAND, SC_CLOSE, 0); }},
      {"Alt+F4",
       [](const ChangerDriver& c) {
         EXPECT_TRUE(c.press_keys({{VK_MENU, true}, {VK_F4, true}, {VK_F4, false}, {VK_MENU, false}}));
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ChangerDriver run;
    ASSERT_TRUE(run.start(game.path));
    c.close(run);
    EXPECT_EQ(run.wait_for_exit(), 0u);
  }
  EXPECT_EQ(read_file_bytes(CONFIG), SAMPLE_CONFIG);
}

TEST_F(EndToEnd, CommandLineArgumentsChangeNothing) {
  lay_out_game();
  start("/width=640 \"Data\\GAME.CFG\" --run");
  EXPECT_TRUE(wait_until([&] { return changer.text(ID_WIDTH_BOX) == "1024"; }));
  EXPECT_EQ(changer.text(ID_HEIGHT_BOX), "768");
  close_and_expect_exit_code_0();
  EXPECT_EQ(read_file_bytes(CONFIG), SAMPLE_CONFIG);
  EXPECT_FALSE(file_exists("quar.log"));
}

TEST_F(EndToEnd, TabMovesThroughTheBoxesAndButtonsAndSkipsTheLabel) {
  lay_out_game();
  start();
  const int order[] = {ID_WIDTH_BOX, ID_HEIGHT_BOX, ID_SAVE_BUTTON, ID_RUN_BUTTON, ID_WIDTH_BOX};
  ASSERT_TRUE(changer.press_keys({{VK_TAB, true}, {VK_TAB, false}}));
  ASSERT_TRUE(wait_until([&] { return changer.focused_control() == changer.control(order[0]); }));
  for (int i = 1; i < 5; ++i) {
    ASSERT_TRUE(changer.press_keys({{VK_TAB, true}, {VK_TAB, false}}));
    EXPECT_TRUE(wait_until([&] { return changer.focused_control() == changer.control(order[i]); }))
        << "step " << i << ": focus on id " << GetDlgCtrlID(changer.focused_control());
  }
  ASSERT_TRUE(changer.press_keys({{VK_SHIFT, true}, {VK_TAB, true}, {VK_TAB, false}, {VK_SHIFT, false}}));
  EXPECT_TRUE(wait_until([&] { return changer.focused_control() == changer.control(ID_RUN_BUTTON); }));
  close_and_expect_exit_code_0();
}

}  // namespace
