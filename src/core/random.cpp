#include "core/random.h"

namespace vell {

namespace detail {
thread_local constinit std::uint32_t rndState = 1;
} // namespace detail

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
