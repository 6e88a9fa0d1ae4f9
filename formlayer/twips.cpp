#include <climits>
#include <cmath>

#include "formlayer/formlayer.h"

// Halves go to the even neighbour whatever the FPU's rounding mode happens to be.
static int round_half_even(double value) {
  double whole = std::floor(value);
  const double fraction = value - whole;
  if (fraction > 0.5 || (fraction == 0.5 && std::fmod(whole, 2.0) != 0.0)) whole += 1.0;
  if (whole >= static_cast<double>(INT_MAX)) return INT_MAX;
  if (whole <= static_cast<double>(INT_MIN)) return INT_MIN;
  return static_cast<int>(whole);
}

// The factor is kept as a 32-bit float, which is why 840 twips are 87 pixels at 150 dpi.
int twips_to_pixels(int twips, int dots_per_inch) {
  if (dots_per_inch <= 0) return 0;
  const auto factor = static_cast<float>(static_cast<double>(TWIPS_PER_INCH) / dots_per_inch);
  return round_half_even(twips / static_cast<double>(factor));
}

static int screen_dots_per_inch(int axis) {
  HDC screen = GetDC(nullptr);
  const int dots = GetDeviceCaps(screen, axis);
  ReleaseDC(nullptr, screen);
  return dots;
}

int twips_to_pixels_x(int twips) { return twips_to_pixels(twips, screen_dots_per_inch(LOGPIXELSX)); }

int twips_to_pixels_y(int twips) { return twips_to_pixels(twips, screen_dots_per_inch(LOGPIXELSY)); }
