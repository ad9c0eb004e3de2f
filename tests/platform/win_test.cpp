// Error output of the window layer: the line format that err.txt receives
// when the window or its context cannot be made.

#include <gtest/gtest.h>

#include <SDL.h>

#include <cstdio>
#include <string>

#include "core/logic.h"
#include "platform/win.h"

namespace vell {
namespace {

// Runs f with errout on a temporary file and returns what was written.
template <class F> std::string logged(F f) {
    std::FILE *saved = errout;
    errout = std::tmpfile();
    EXPECT_NE(errout, nullptr);
    f();
    std::string text;
    std::rewind(errout);
    for (int c; (c = std::fgetc(errout)) != EOF;)
        text.push_back(static_cast<char>(c));
    std::fclose(errout);
    errout = saved;
    return text;
}

TEST(OutputError, WritesNameCodeAndTheSystemsTextWithItsOwnLineBreak) {
    std::string text = logged([] {
        SDL_SetError("Couldn't find matching GLX visual");
        outputError("Failure to create window");
    });
    EXPECT_EQ(text,
              "Failure to create window.\nError code 0:\nCouldn't find matching GLX visual\n\n");
}

TEST(OutputError, NullNameIsUntitled) {
    std::string text = logged([] {
        SDL_SetError("x");
        outputError(nullptr);
    });
    EXPECT_EQ(text, "Untitled error.\nError code 0:\nx\n\n");
}

TEST(OutputError, WithoutASystemTextTheTextIsEmpty) {
    std::string text = logged([] {
        SDL_ClearError();
        outputError("could not create logic thread");
    });
    EXPECT_EQ(text, "could not create logic thread.\nError code 0:\n\n");
}

TEST(OutputError, LongSystemTextsAreWrittenWhole) {
    std::string longText(3000, 'e');
    std::string text = logged([&] {
        SDL_SetError("%s", longText.c_str());
        outputError("Failure to create glrc");
    });
    // SDL keeps at most its own buffer's worth; whatever it kept is written
    // in full, followed by the two line breaks.
    std::string kept = SDL_GetError();
    EXPECT_EQ(text, "Failure to create glrc.\nError code 0:\n" + kept + "\n\n");
    EXPECT_GT(kept.size(), 100u);
}

TEST(OutputError, WithoutAnErrorLogTheLineStillReachesStandardError) {
    std::FILE *saved = errout;
    errout = nullptr;
    SDL_SetError("no log");
    testing::internal::CaptureStderr();
    outputError("Failure to make glrc current");
    std::string shown = testing::internal::GetCapturedStderr();
    errout = saved;
    EXPECT_EQ(shown, "Failure to make glrc current.\nError code 0:\nno log\n\n");
}

} // namespace
} // namespace vell
