#include "core/random.h"

#include <cstdint>

namespace vell {

namespace {
thread_local std::uint32_t state = 1;
}

int rnd() {
    state = state * 214013u + 2531011u;
    return static_cast<int>((state >> 16) & 0x7FFFu);
}

void srnd(unsigned seed) { state = seed; }

} // namespace vell
