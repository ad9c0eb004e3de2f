#pragma once
// The game's random numbers: the classic 15-bit runtime generator
// (state = state * 214013 + 2531011; result = (state >> 16) & 0x7FFF),
// with one state per thread. A thread that never seeds starts from seed 1,
// so a test that seeds the thread it runs on can predict every draw.
// Game code draws only through these; never std::rand or <random>.

#include <cstdint>

namespace vell {

constexpr int RND_MAX = 32767;

namespace detail {
// Constant-initialised, so other files reach it directly rather than through
// a per-call initialisation check: corruption draws hundreds of thousands of
// numbers inside one key press.
extern thread_local constinit std::uint32_t rndState;
// The number a generator state yields.
inline int rndOf(std::uint32_t state) {
    return static_cast<int>((state >> 16) & 0x7FFFu);
}
} // namespace detail

// Next number from 0 to 32767 from the calling thread's generator.
inline int rnd() {
    detail::rndState = detail::rndState * 214013u + 2531011u;
    return detail::rndOf(detail::rndState);
}

// `count` numbers into `out`, exactly as `count` calls of rnd() in a row
// would draw them, leaving the generator where those calls would.
void rndFill(int *out, int count);

// With a chance of `chance` in `outOf` (one draw, none when outOf < 1), a
// level drawn evenly from lowest..highest (a second draw). False, and no
// level, when the chance fails or the range is empty. Items and monsters of a
// level are both asked for this way.
bool rollLevel(int chance, int outOf, int lowest, int highest, int &level);

// Reseed the calling thread's generator.
inline void srnd(unsigned seed) {
    detail::rndState = seed;
}

} // namespace vell
