#pragma once
// The game's random numbers: the classic 15-bit runtime generator
// (state = state * 214013 + 2531011; result = (state >> 16) & 0x7FFF),
// with one state per thread. A thread that never seeds starts from seed 1,
// so a test that seeds the thread it runs on can predict every draw.
// Game code draws only through these; never std::rand or <random>.

namespace vell {

constexpr int RND_MAX = 32767;

// Next number from 0 to 32767 from the calling thread's generator.
int rnd();

// Reseed the calling thread's generator.
void srnd(unsigned seed);

} // namespace vell
