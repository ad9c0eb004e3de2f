#include "core/random.h"

#include <cstring>

namespace vell {

namespace detail {
thread_local constinit std::uint32_t rndState = 1;
} // namespace detail

namespace {

// The generator's step taken k times at once: state * mul[k] + add[k].
struct Steps {
    std::uint32_t mul[33], add[33];
    constexpr Steps() : mul{1}, add{0} {
        for (int k = 1; k <= 32; ++k) {
            mul[k] = mul[k - 1] * 214013u;
            add[k] = add[k - 1] * 214013u + 2531011u;
        }
    }
};
constexpr Steps steps;

// Thirty-two states at a time, each straight from the one before them, so
// no draw waits for another: eight lanes a vector.
inline __attribute__((always_inline)) void fill(int *out, int count) {
    using Lanes = std::uint32_t __attribute__((vector_size(32)));
    Lanes mul[4], add[4];
    for (int v = 0; v < 4; ++v)
        for (int i = 0; i < 8; ++i) {
            mul[v][i] = steps.mul[8 * v + i + 1];
            add[v][i] = steps.add[8 * v + i + 1];
        }
    std::uint32_t state = detail::rndState;
    int done = 0;
    for (; done + 32 <= count; done += 32) {
        for (int v = 0; v < 4; ++v) {
            const Lanes drawn = ((state * mul[v] + add[v]) >> 16) & 0x7FFFu;
            std::memcpy(out + done + 8 * v, &drawn, sizeof drawn);
        }
        state = state * steps.mul[32] + steps.add[32];
    }
    for (; done < count; ++done) {
        state = state * steps.mul[1] + steps.add[1];
        out[done] = detail::rndOf(state);
    }
    detail::rndState = state;
}

__attribute__((target("avx2"))) void fillAvx2(int *out, int count) {
    fill(out, count);
}

void fillPlain(int *out, int count) {
    fill(out, count);
}

const bool haveAvx2 = __builtin_cpu_supports("avx2");

} // namespace

void rndFill(int *out, int count) {
    haveAvx2 ? fillAvx2(out, count) : fillPlain(out, count);
}

bool rollLevel(int chance, int outOf, int lowest, int highest, int &level) {
    if (outOf < 1)
        return false;
    if (rnd() % outOf >= chance)
        return false;
    // An empty range would divide by zero; a wide one may exceed an int.
    if (highest < lowest)
        return false;
    long long span = static_cast<long long>(highest) - lowest + 1;
    level = static_cast<int>(lowest + rnd() % span);
    return true;
}

} // namespace vell
