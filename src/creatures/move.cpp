#include "creatures/move.h"

#include <cstdio>

namespace vell {

namespace {

// The status lines format numbers on the window thread every frame while a
// monster's look may format one on the logic thread: each thread writes its
// own buffer, so a text is never overwritten before its caller has copied it.
thread_local char numbuf[16];

} // namespace

const char *num(int value) {
    std::snprintf(numbuf, sizeof numbuf, "%d", value);
    return numbuf;
}

} // namespace vell
