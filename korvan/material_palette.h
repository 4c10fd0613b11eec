// The colours the host gives materials when it shows or writes a scene:
// a fixed palette, by the material's position in the scene's list.
#pragma once

#include <cstddef>

struct PaletteColor {
  float r, g, b;
};

inline PaletteColor MaterialColor(size_t i) {
  static const PaletteColor kPalette[] = {{0.80f, 0.80f, 0.80f}, {0.90f, 0.35f, 0.20f},
                                          {0.20f, 0.55f, 0.90f}, {0.35f, 0.75f, 0.30f},
                                          {0.95f, 0.75f, 0.20f}, {0.60f, 0.35f, 0.80f}};
  return kPalette[i % (sizeof kPalette / sizeof kPalette[0])];
}
