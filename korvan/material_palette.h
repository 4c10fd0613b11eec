// The colours the host gives materials when it shows or writes a scene:
// the material's own colour when the scene file gave one, else a fixed
// palette by the material's position in the scene's list, so that
// materials without colours can be told apart.
#pragma once

#include <cstddef>

#include "plugin/host/objects.h"

struct PaletteColor {
  float r, g, b;
  float a = 1.0f;
};

inline PaletteColor MaterialColor(size_t i) {
  static const PaletteColor kPalette[] = {{0.80f, 0.80f, 0.80f}, {0.90f, 0.35f, 0.20f},
                                          {0.20f, 0.55f, 0.90f}, {0.35f, 0.75f, 0.30f},
                                          {0.95f, 0.75f, 0.20f}, {0.60f, 0.35f, 0.80f}};
  return kPalette[i % (sizeof kPalette / sizeof kPalette[0])];
}

inline PaletteColor ShownColor(const MSurface* surface, size_t i) {
  if (surface == nullptr || !surface->Has_Color()) return MaterialColor(i);
  const float* c = surface->Get_Color();
  return {c[0], c[1], c[2], c[3]};
}
