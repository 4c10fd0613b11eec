#include "sdl/noise.h"

#include <array>
#include <cmath>
#include <cstdint>

namespace sdl {

namespace {

// A permutation of 0..255 made once from a fixed seed.
struct Permutation {
  std::array<uint8_t, 512> p{};
  Permutation() {
    std::array<uint8_t, 256> q{};
    for (int i = 0; i < 256; ++i) q[i] = static_cast<uint8_t>(i);
    uint32_t state = 0x9e3779b9u;
    for (int i = 255; i > 0; --i) {
      state = state * 1664525u + 1013904223u;
      const int j = static_cast<int>((state >> 8) % static_cast<uint32_t>(i + 1));
      std::swap(q[i], q[j]);
    }
    for (int i = 0; i < 512; ++i) p[i] = q[i & 255];
  }
};

const Permutation& Table() {
  static const Permutation table;
  return table;
}

double Fade(double t) { return t * t * t * (t * (t * 6 - 15) + 10); }
double Lerp(double t, double a, double b) { return a + t * (b - a); }

// The dot product of the lattice corner's gradient (one of 12 edge
// directions of a cube) with the offset from it.
double Gradient(int hash, double x, double y, double z) {
  const int h = hash & 15;
  const double u = h < 8 ? x : y;
  const double v = h < 4 ? y : (h == 12 || h == 14 ? x : z);
  return ((h & 1) ? -u : u) + ((h & 2) ? -v : v);
}

// Gradient noise in about -1..1, 0 at the lattice points; `salt` picks one
// of several independent fields.
double SignedNoise(double x, double y, double z, int salt) {
  const auto& p = Table().p;
  // Far from the origin the lattice repeats every 256 cells; floor of a huge
  // or non-finite value is held to a cell.
  if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(z)) return 0;
  const double fx = std::floor(x), fy = std::floor(y), fz = std::floor(z);
  const int X = static_cast<int>(std::fmod(fx, 256.0) + 256) & 255;
  const int Y = static_cast<int>(std::fmod(fy, 256.0) + 256) & 255;
  const int Z = (static_cast<int>(std::fmod(fz, 256.0) + 256) + salt * 101) & 255;
  x -= fx;
  y -= fy;
  z -= fz;
  const double u = Fade(x), v = Fade(y), w = Fade(z);
  const int A = p[X] + Y, AA = p[A] + Z, AB = p[A + 1] + Z;
  const int B = p[X + 1] + Y, BA = p[B] + Z, BB = p[B + 1] + Z;
  return Lerp(
      w,
      Lerp(v, Lerp(u, Gradient(p[AA], x, y, z), Gradient(p[BA], x - 1, y, z)),
           Lerp(u, Gradient(p[AB], x, y - 1, z), Gradient(p[BB], x - 1, y - 1, z))),
      Lerp(
          v, Lerp(u, Gradient(p[AA + 1], x, y, z - 1), Gradient(p[BA + 1], x - 1, y, z - 1)),
          Lerp(u, Gradient(p[AB + 1], x, y - 1, z - 1), Gradient(p[BB + 1], x - 1, y - 1, z - 1))));
}

double Clamp1(double v) { return v < -1 ? -1 : (v > 1 ? 1 : v); }

}  // namespace

double Noise(const Vec3& p) { return 0.5 + 0.5 * Clamp1(SignedNoise(p.x, p.y, p.z, 0)); }

Vec3 VectorNoise(const Vec3& p) {
  return {Clamp1(SignedNoise(p.x, p.y, p.z, 1)), Clamp1(SignedNoise(p.x, p.y, p.z, 2)),
          Clamp1(SignedNoise(p.x, p.y, p.z, 3))};
}

Vec3 VectorTurbulence(double lambda, double omega, int octaves, const Vec3& p) {
  Vec3 sum{0, 0, 0};
  double scale = 1, weight = 1;
  // More than a few dozen octaves add nothing a double can hold.
  for (int i = 0; i < octaves && i < 64; ++i) {
    const Vec3 n = VectorNoise({p.x * scale, p.y * scale, p.z * scale});
    sum.x += n.x * weight;
    sum.y += n.y * weight;
    sum.z += n.z * weight;
    scale *= lambda;
    weight *= omega;
  }
  return sum;
}

}  // namespace sdl
