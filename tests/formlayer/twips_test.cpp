#include "tests/formlayer/formlayer_fixture.h"

TEST(Twips, ConvertWithA32BitFactorAndHalvesToEven) {
  struct Case {
    int twips, dots_per_inch, pixels;
  };
  const Case cases[] = {
      {630, 120, 52},  {3165, 120, 264}, {375, 120, 31},   {495, 120, 41},   {735, 120, 61}, {375, 144, 38},
      {735, 144, 74},  {840, 150, 87},   {-630, 120, -52}, {-735, 144, -74}, {0, 96, 0},     {100, 0, 0},
      {5265, 96, 351}, {2235, 96, 149},  {3165, 96, 211},  {630, 96, 42},    {120, 96, 8},   {495, 96, 33},
      {300, 96, 20},   {840, 96, 56},    {1440, 96, 96},   {735, 96, 49},    {375, 96, 25},  {2280, 96, 152},
      {600, 96, 40},   {255, 96, 17},
  };
  for (const Case& c : cases)
    EXPECT_EQ(twips_to_pixels(c.twips, c.dots_per_inch), c.pixels)
        << c.twips << " twips at " << c.dots_per_inch;
}

TEST(Twips, ScreenConversionsUseEachAxisDotsPerInch) {
  HDC screen = GetDC(nullptr);
  const int across = GetDeviceCaps(screen, LOGPIXELSX), down = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  EXPECT_EQ(twips_to_pixels_x(3165), twips_to_pixels(3165, across));
  EXPECT_EQ(twips_to_pixels_y(630), twips_to_pixels(630, down));
}
