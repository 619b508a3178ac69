// The process-wide pseudo-random generator shared by the randomizer and the
// static scenery: 15-bit draws from a linear congruential generator, so that
// a seed reproduces a scenery exactly.
#pragma once

#include <cstdint>

namespace vantor {

constexpr int RANDOM_DRAW_MAX = 32767;

// Restarts the sequence; only the low 32 bits of the seed count. The state
// at program start is that of seed 1.
void seedRandom(uint64_t seed);

// Next draw, 0..RANDOM_DRAW_MAX: state := state x 214013 + 2531011 (mod 2^32),
// result bits 16 to 30 of the new state.
int randomDraw();

// A number between a and b (either may be the larger one): logarithmic when
// the bounds lie three or more decades apart (neither being 0 on its own
// account), the smaller bound plus |a - b| raised to a uniform power in
// 0..1; otherwise uniform. One draw either way.
double randomInRange(double a, double b);

}  // namespace vantor
