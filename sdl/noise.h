// Solid noise for the scene language's vturbulence() and the noise
// functions: gradient noise on the integer lattice with a fixed permutation,
// so a scene gives the same values on every run and machine. Its values are
// of POV-Ray's kind (noise about 0.5 in 0..1, a turbulence vector about 0)
// but not its numbers. Pure functions; safe from any thread.
#pragma once

#include "sdl/transform.h"

namespace sdl {

// Noise at p, in 0..1, 0.5 at the lattice points.
double Noise(const Vec3& p);
// A vector of three independent noises at p, each in -1..1.
Vec3 VectorNoise(const Vec3& p);
// POV-Ray's vturbulence(lambda, omega, octaves, p): VectorNoise summed over
// octaves, each `lambda` times finer and `omega` times weaker.
Vec3 VectorTurbulence(double lambda, double omega, int octaves, const Vec3& p);

}  // namespace sdl
