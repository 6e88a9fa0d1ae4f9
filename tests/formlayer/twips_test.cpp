#include <tuple>

#include "tests/formlayer/formlayer_fixture.h"

// The factor is a 32-bit float and halves go to the even neighbour.
TEST(Twips, ConvertWithA32BitFactorAndHalvesToEven) {
  const std::tuple<int, int, int> cases[] = {
      {630, 120, 52}, {3165, 120, 264}, {375, 120, 31},   {495, 120, 41}, {375, 144, 38}, {735, 144, 74},
      {840, 150, 87}, {-630, 120, -52}, {-735, 144, -74}, {0, 96, 0},     {100, 0, 0},    {1440, 96, 96}};
  for (const auto& [twips, dots_per_inch, pixels] : cases)
    EXPECT_EQ(twips_to_pixels(twips, dots_per_inch), pixels) << twips << " twips at " << dots_per_inch;
}
