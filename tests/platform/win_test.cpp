// The line err.txt (and standard error) receives when the window or its context
// cannot be made.

#include <gtest/gtest.h>

#include <SDL.h>

#include <cstdio>
#include <string>

#include "core/logic.h"
#include "platform/win.h"

namespace vell {

TEST(OutputError, NameCodeAndTheSystemsWholeTextInTheLogAndOnStandardError) {
    const std::string longText(3000, 'e');
    const struct {
        const char *name, *system, *shown;
    } cases[] = {{"Failure to create window", "No GLX visual", "Failure to create window."},
                 {nullptr, "x", "Untitled error."},
                 {"could not create logic thread", "", "could not create logic thread."},
                 {"Failure to create glrc", longText.c_str(), "Failure to create glrc."}};
    for (bool log : {true, false})
        for (const auto &c : cases) {
            SDL_SetError("%s", c.system);
            const std::string kept = SDL_GetError(); // SDL keeps at most its own buffer's worth
            errout = log ? std::tmpfile() : nullptr;
            testing::internal::CaptureStderr();
            outputError(c.name);
            const std::string err = testing::internal::GetCapturedStderr();
            std::string text(4096, '\0');
            if (log) {
                std::rewind(errout);
                text.resize(std::fread(text.data(), 1, text.size(), errout));
                std::fclose(errout);
            }
            const std::string want = c.shown + std::string("\nError code 0:\n") +
                                     (kept.empty() ? "" : kept + "\n") + "\n";
            EXPECT_EQ(err, want);
            EXPECT_EQ(log ? text : want, want);
        }
    errout = nullptr;
}

} // namespace vell
