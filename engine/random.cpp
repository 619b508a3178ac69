#include "engine/random.h"

#include <cmath>

namespace vantor {

namespace {
uint32_t randomState = 1;  // UI thread only, like every other process-wide state
}

void seedRandom(uint64_t seed) { randomState = static_cast<uint32_t>(seed); }

int randomDraw() {
    randomState = randomState * 214013u + 2531011u;
    return static_cast<int>((randomState >> 16) & 0x7FFFu);
}

double randomInRange(double a, double b) {
    const double u = static_cast<double>(randomDraw()) / RANDOM_DRAW_MAX;
    const bool decadesApart = (b != 0 && std::fabs(a / b) >= 1000) || (a != 0 && std::fabs(b / a) >= 1000);
    if (decadesApart) {
        const double base = a < b ? a : b;
        return base + std::pow(std::fabs(a - b), u);
    }
    return a + (b - a) * u;
}

}  // namespace vantor
