#include "app/app.h"
#include "tests/formlayer/formlayer_fixture.h"

using FormLoader = FormLayerTest;

// Opened without a callback, the form still gets its controls and their bindings.
TEST_F(FormLoader, NamesAreNormalisedBeforeTheyAreLookedUp) {
  const std::pair<const char*, bool> cases[] = {
      {"FORM1", true},   {"form1", true},    {"Form1", true}, {" FORM1 ", true}, {"FORM 1", false},
      {"FORM1X", false}, {"\tFORM1", false}, {"", false},     {nullptr, false},
  };
  for (const auto& [name, opens] : cases) {
    SCOPED_TRACE(name ? name : "(null)");
    char* cursor = scratch_cursor;
    HWND form = load_form(name, nullptr);
    EXPECT_EQ(form != nullptr, opens);
    EXPECT_EQ(scratch_cursor, cursor);
    if (form) {
      EXPECT_FALSE(has_property(form, PROP_FORM_CALLBACK));
      EXPECT_NE(find_event_handler(GetDlgItem(form, ID_SAVE_BUTTON), WM_COMMAND, BN_CLICKED), nullptr);
      close_window(get_control_id(form));
    }
    EXPECT_EQ(FindWindowA(nullptr, FORM_TITLE), nullptr);
  }
}

TEST_F(FormLoader, OpensFormOneWithItsControlsAndItsNumber) {
  HDC screen = GetDC(nullptr);
  ASSERT_EQ(GetDeviceCaps(screen, LOGPIXELSX), 96);
  ASSERT_EQ(GetDeviceCaps(screen, LOGPIXELSY), 96);
  ReleaseDC(nullptr, screen);
  HWND form = load_form("FORM1", log_form_callback);
  ASSERT_NE(form, nullptr);
  const ObjectNumber number = get_control_id(form);
  EXPECT_EQ(find_window_number(form), number);
  EXPECT_EQ(window_handle(number), form);
  EXPECT_EQ(GetPropA(form, PROP_FORM_CALLBACK), reinterpret_cast<HANDLE>(log_form_callback));
  char title[64];
  GetWindowTextA(form, title, sizeof title);
  EXPECT_STREQ(title, FORM_TITLE);
  EXPECT_EQ(GetWindowLongPtrA(form, GWL_STYLE) & 0x10CE0000, 0x10CE0000);
  RECT client;
  GetClientRect(form, &client);
  EXPECT_EQ(std::pair(client.right, client.bottom), std::pair(211L, 42L));
  // The callback is recorded after the window's own creation and before its controls'.
  EXPECT_EQ(std::count(callback_messages.begin(), callback_messages.end(), WM_NCCREATE), 0);
  EXPECT_GE(std::count(callback_messages.begin(), callback_messages.end(), WM_PARENTNOTIFY), 1);
  const std::tuple<int, RECT, bool> controls[] = {
      {ID_WIDTH_BOX, {8, 8, 41, 28}, false},    {ID_HEIGHT_BOX, {56, 8, 89, 28}, false},
      {ID_SAVE_BUTTON, {96, 8, 145, 33}, true}, {ID_RUN_BUTTON, {152, 8, 201, 33}, true},
      {ID_X_LABEL, {40, 8, 57, 25}, false},
  };
  for (const auto& [id, expected, clicks] : controls) {
    SCOPED_TRACE(id);
    HWND control = GetDlgItem(form, id);
    RECT at;
    GetWindowRect(control, &at);
    MapWindowPoints(nullptr, form, reinterpret_cast<POINT*>(&at), 2);
    EXPECT_TRUE(EqualRect(&at, &expected)) << at.left << "," << at.top << "," << at.right << "," << at.bottom;
    EXPECT_EQ(GetPropA(form, ("KVQ_ID" + std::to_string(id)).c_str()), control);
    EXPECT_EQ(get_control_id(control), id);
    EXPECT_EQ(find_event_handler(control, WM_COMMAND, BN_CLICKED) != nullptr, clicks);
  }
  close_window(number);
}

TEST_F(FormLoader, OpensAsAChildOnlyInsideAParent) {
  HWND parent = make_window();
  HWND form = open_form_window("FORM1", parent, 1, nullptr);
  ASSERT_NE(form, nullptr);
  EXPECT_EQ(GetParent(form), parent);
  EXPECT_EQ(static_cast<DWORD>(GetWindowLongPtrA(form, GWL_STYLE)) & FORM_FLAGS_CHILD, FORM_FLAGS_CHILD);
  close_window(get_control_id(form));
  EXPECT_EQ(open_form_window("FORM1", nullptr, 1, log_form_callback), nullptr);
  EXPECT_TRUE(callback_messages.empty());
}
