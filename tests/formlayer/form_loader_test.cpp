#include <tuple>

#include "app/app.h"
#include "tests/formlayer/formlayer_fixture.h"

using FormLoader = FormLayerTest;

// A name is upper-cased and trimmed of spaces before it is looked up; the form opens with its
// callback, its controls and their bindings, and its number read back from it; as a child it needs
// a parent.
TEST_F(FormLoader, NamesAreNormalisedBeforeTheyAreLookedUp) {
  const std::pair<const char*, bool> cases[] = {{"form1", true},   {" FORM1 ", true},  {"FORM 1", false},
                                                {"FORM1X", false}, {"\tFORM1", false}, {nullptr, false}};
  for (const auto& [name, opens] : cases) {
    HWND form = load_form(name, log_form_callback);
    EXPECT_EQ(std::tuple(form != nullptr, scratch_cursor), std::tuple(opens, string_scratch))
        << (name ? name : "-");
    if (!form) continue;
    EXPECT_EQ(std::tuple(window_handle(get_control_id(form)), GetPropA(form, PROP_FORM_CALLBACK)),
              std::tuple(form, reinterpret_cast<HANDLE>(log_form_callback)));
    EXPECT_NE(find_event_handler(GetDlgItem(form, ID_SAVE_BUTTON), WM_COMMAND, BN_CLICKED), nullptr);
    close_window(get_control_id(form));
  }
  EXPECT_EQ(open_form_window("FORM1", nullptr, 1, nullptr), nullptr) << "a child needs a parent";
}

// The factor is a 32-bit float and halves go to the even neighbour.
TEST(Twips, ConvertWithA32BitFactorAndHalvesToEven) {
  const std::tuple<int, int, int> cases[] = {{630, 120, 52},   {375, 120, 31}, {735, 144, 74}, {840, 150, 87},
                                             {-735, 144, -74}, {100, 0, 0},    {1440, 96, 96}};
  for (const auto& [twips, dots_per_inch, pixels] : cases)
    EXPECT_EQ(twips_to_pixels(twips, dots_per_inch), pixels) << twips << " twips at " << dots_per_inch;
}
