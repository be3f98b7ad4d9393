// The library's pseudo-random generator: the subtractive method in floating point,
// with modulus 4000000, seed constant 1618033 and a table of 55 values. One state for
// the process, seeded with -1 on first use.

#include "osmark/numbers.h"

#include <cmath>

namespace {

constexpr double kModulus = 4000000.0;
constexpr double kSeedConstant = 1618033.0;
constexpr double kScale = 1.0 / kModulus;  // 2.5e-7
constexpr int kTableSize = 55;
constexpr int kPartnerStart = 31;
constexpr int kWarmUpPasses = 4;

struct RandomState {
    double table[kTableSize + 1];  // entries 1 to 55 are used
    int next;
    int partner;
    int32_t last_seed;
    bool seeded;
};

RandomState g_random = {};

double wrap(double value)
{
    return value < 0.0 ? value + kModulus : value;
}

void seed_generator(int32_t seed)
{
    RandomState& state = g_random;
    state.last_seed = seed;
    double mj = std::fmod(kSeedConstant + static_cast<double>(seed), kModulus);
    if (mj < 0.0)
        mj += kModulus;
    state.table[kTableSize] = mj;
    double mk = 1.0;
    for (int i = 1; i < kTableSize; ++i) {
        const int index = (21 * i) % kTableSize;
        state.table[index] = mk;
        mk = wrap(mj - mk);
        mj = state.table[index];
    }
    for (int pass = 0; pass < kWarmUpPasses; ++pass) {
        for (int i = 1; i <= kTableSize; ++i)
            state.table[i] = wrap(state.table[i] - state.table[1 + (i + 30) % kTableSize]);
    }
    state.next = 0;
    state.partner = kPartnerStart;
    state.seeded = true;
}

double draw()
{
    RandomState& state = g_random;
    if (++state.next == kTableSize + 1)
        state.next = 1;
    if (++state.partner == kTableSize + 1)
        state.partner = 1;
    const double value = wrap(state.table[state.next] - state.table[state.partner]);
    state.table[state.next] = value;
    return value * kScale;
}

}

extern "C" {

OSMARK_API double Random(int32_t* seed) noexcept
{
    if (!g_random.seeded) {
        seed_generator(-1);
        draw();
    }
    if (seed != nullptr && *seed <= 0) {
        seed_generator(*seed);
        *seed = 1;
    }
    return draw();
}

}
