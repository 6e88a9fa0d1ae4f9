#include "app/app.h"
#include "tests/formlayer/formlayer_fixture.h"

using FormLoader = FormLayerTest;

// A name is upper-cased and trimmed of spaces before it is looked up; the form opens with its
// callback (when given), its controls and their bindings, and its number read back from it.
TEST_F(FormLoader, NamesAreNormalisedBeforeTheyAreLookedUp) {
  const std::pair<const char*, bool> cases[] = {{"FORM1", true},   {"form1", true},   {" FORM1 ", true},
                                                {"FORM 1", false}, {"FORM1X", false}, {"\tFORM1", false},
                                                {"", false},       {nullptr, false}};
  for (const auto& [name, opens] : cases) {
    SCOPED_TRACE(name ? name : "(null)");
    HWND form = load_form(name, opens ? log_form_callback : nullptr);
    EXPECT_EQ(form != nullptr, opens);
    EXPECT_EQ(scratch_cursor, string_scratch);
    if (!form) continue;
    const ObjectNumber number = get_control_id(form);
    EXPECT_EQ(std::tuple(window_handle(number), GetPropA(form, PROP_FORM_CALLBACK)),
              std::tuple(form, reinterpret_cast<HANDLE>(log_form_callback)));
    EXPECT_NE(find_event_handler(GetDlgItem(form, ID_SAVE_BUTTON), WM_COMMAND, BN_CLICKED), nullptr);
    close_window(number);
  }
  HWND parent = make_window();
  HWND child = open_form_window("FORM1", parent, 1, nullptr);
  EXPECT_EQ(GetParent(child), parent);
  close_window(get_control_id(child));
  EXPECT_EQ(open_form_window("FORM1", nullptr, 1, log_form_callback), nullptr) << "a child needs a parent";
}
