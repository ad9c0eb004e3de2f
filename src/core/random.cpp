#include "core/random.h"

namespace vell::detail {

thread_local constinit std::uint32_t rndState = 1;

} // namespace vell::detail
