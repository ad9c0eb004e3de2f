#pragma once
// Building the world at start-up, and the spawner.

#include "core/logic.h"

namespace vell {

// Window thread, OpenGL current, before the logic thread starts. Sets
// `closing` (and writes the reason to the error log) on failure.
// font.bmp is looked for in the working directory, then in exeDir (may be
// null or empty).
void init(const char *exeDir = nullptr);

int spawner_act(Creature *c);

} // namespace vell
