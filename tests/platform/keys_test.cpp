// Key translation on synthetic SDL events, in the order SDL posts them for a
// real key press: a key-down, then (for keys that type) a text event.

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/keys.h"

namespace vell {
namespace {

SDL_Event keyDown(SDL_Keycode sym, SDL_Scancode sc, Uint16 mod = KMOD_NONE, Uint8 repeat = 0) {
    SDL_Event e;
    std::memset(&e, 0, sizeof e);
    e.type = SDL_KEYDOWN;
    e.key.state = SDL_PRESSED;
    e.key.repeat = repeat;
    e.key.keysym.sym = sym;
    e.key.keysym.scancode = sc;
    e.key.keysym.mod = mod;
    return e;
}

SDL_Event keyUp(SDL_Keycode sym, SDL_Scancode sc) {
    SDL_Event e = keyDown(sym, sc);
    e.type = SDL_KEYUP;
    e.key.state = SDL_RELEASED;
    return e;
}

SDL_Event text(const char *utf8) {
    SDL_Event e;
    std::memset(&e, 0, sizeof e);
    e.type = SDL_TEXTINPUT;
    std::strncpy(e.text.text, utf8, sizeof e.text.text - 1);
    return e;
}

// Everything the events deliver, in order, as bytes.
std::string deliver(const std::vector<SDL_Event> &events) {
    KeyState state;
    std::string out;
    for (const SDL_Event &e : events) {
        if (auto ch = translateKey(e, state))
            out.push_back(static_cast<char>(*ch));
    }
    return out;
}

struct Case {
    const char *what;
    std::vector<SDL_Event> events;
    std::string expected;
};

void runCases(const std::vector<Case> &cases) {
    for (const Case &c : cases)
        EXPECT_EQ(deliver(c.events), c.expected) << c.what;
}

TEST(KeyTranslation, PrintableKeysComeFromTheirTextWithModifiersApplied) {
    runCases({
        {"a", {keyDown(SDLK_a, SDL_SCANCODE_A), text("a")}, "a"},
        {"Shift+a", {keyDown(SDLK_a, SDL_SCANCODE_A, KMOD_LSHIFT), text("A")}, "A"},
        {"Shift+4 on a US layout", {keyDown(SDLK_4, SDL_SCANCODE_4, KMOD_LSHIFT), text("$")}, "$"},
        {"top-row digit", {keyDown(SDLK_6, SDL_SCANCODE_6), text("6")}, "6"},
        {"semicolon", {keyDown(SDLK_SEMICOLON, SDL_SCANCODE_SEMICOLON), text(";")}, ";"},
        {"space", {keyDown(SDLK_SPACE, SDL_SCANCODE_SPACE), text(" ")}, " "},
        // The layout decides: a French layout types "a" on the key that a US
        // layout calls Q.
        {"layout's own letter", {keyDown(SDLK_a, SDL_SCANCODE_Q), text("a")}, "a"},
        {"AltGr character", {keyDown(SDLK_q, SDL_SCANCODE_Q, KMOD_RALT), text("@")}, "@"},
        {"text without a key-down (input method)", {text("x")}, "x"},
    });
}

TEST(KeyTranslation, ControlCharactersComeFromTheKeyDown) {
    runCases({
        {"Enter", {keyDown(SDLK_RETURN, SDL_SCANCODE_RETURN)}, "\r"},
        {"keypad Enter", {keyDown(SDLK_KP_ENTER, SDL_SCANCODE_KP_ENTER)}, "\r"},
        {"Escape", {keyDown(SDLK_ESCAPE, SDL_SCANCODE_ESCAPE)}, "\x1b"},
        {"Backspace", {keyDown(SDLK_BACKSPACE, SDL_SCANCODE_BACKSPACE)}, "\b"},
        {"Tab", {keyDown(SDLK_TAB, SDL_SCANCODE_TAB)}, "\t"},
        {"Ctrl+a", {keyDown(SDLK_a, SDL_SCANCODE_A, KMOD_LCTRL)}, "\x01"},
        {"Ctrl+z", {keyDown(SDLK_z, SDL_SCANCODE_Z, KMOD_RCTRL)}, "\x1a"},
        {"Ctrl+Shift+c", {keyDown(SDLK_c, SDL_SCANCODE_C, KMOD_LCTRL | KMOD_LSHIFT)}, "\x03"},
        {"Ctrl+[", {keyDown(SDLK_LEFTBRACKET, SDL_SCANCODE_LEFTBRACKET, KMOD_LCTRL)}, "\x1b"},
        {"Ctrl+\\", {keyDown(SDLK_BACKSLASH, SDL_SCANCODE_BACKSLASH, KMOD_LCTRL)}, "\x1c"},
        {"Ctrl+]", {keyDown(SDLK_RIGHTBRACKET, SDL_SCANCODE_RIGHTBRACKET, KMOD_RCTRL)}, "\x1d"},
        {"Ctrl+Shift+6 (^)", {keyDown(SDLK_6, SDL_SCANCODE_6, KMOD_LCTRL | KMOD_LSHIFT)}, "\x1e"},
        {"Ctrl+^ key", {keyDown(SDLK_CARET, SDL_SCANCODE_GRAVE, KMOD_LCTRL)}, "\x1e"},
        {"Ctrl+Shift+minus (_)",
         {keyDown(SDLK_MINUS, SDL_SCANCODE_MINUS, KMOD_LCTRL | KMOD_LSHIFT)},
         "\x1f"},
        {"Ctrl+_ key", {keyDown(SDLK_UNDERSCORE, SDL_SCANCODE_8, KMOD_LCTRL)}, "\x1f"},
        {"Ctrl+Enter", {keyDown(SDLK_RETURN, SDL_SCANCODE_RETURN, KMOD_LCTRL)}, "\n"},
        {"Ctrl+Backspace", {keyDown(SDLK_BACKSPACE, SDL_SCANCODE_BACKSPACE, KMOD_RCTRL)}, "\x7f"},
        {"Ctrl+6, Ctrl+minus: none",
         {keyDown(SDLK_6, SDL_SCANCODE_6, KMOD_LCTRL),
          keyDown(SDLK_MINUS, SDL_SCANCODE_MINUS, KMOD_LCTRL)},
         ""},
    });
}

TEST(KeyTranslation, ArrowsAndKeypadDigitsAreDirectionDigits) {
    runCases({
        {"left", {keyDown(SDLK_LEFT, SDL_SCANCODE_LEFT)}, "4"},
        {"right", {keyDown(SDLK_RIGHT, SDL_SCANCODE_RIGHT)}, "6"},
        {"up", {keyDown(SDLK_UP, SDL_SCANCODE_UP)}, "8"},
        {"down", {keyDown(SDLK_DOWN, SDL_SCANCODE_DOWN)}, "2"},
        {"Ctrl+up still steps", {keyDown(SDLK_UP, SDL_SCANCODE_UP, KMOD_LCTRL)}, "8"},
        // NumLock off: the system calls the key a cursor key and types nothing.
        {"keypad 8, NumLock off", {keyDown(SDLK_UP, SDL_SCANCODE_KP_8)}, "8"},
        {"keypad 5, NumLock off", {keyDown(SDLK_UNKNOWN, SDL_SCANCODE_KP_5)}, "5"},
        {"keypad 0, NumLock off", {keyDown(SDLK_INSERT, SDL_SCANCODE_KP_0)}, "0"},
    });
}

TEST(KeyTranslation, APressIsNeverDeliveredTwice) {
    runCases({
        // NumLock on: both a key-down and the typed digit arrive.
        {"keypad 8, NumLock on", {keyDown(SDLK_KP_8, SDL_SCANCODE_KP_8, KMOD_NUM), text("8")}, "8"},
        {"keypad 1 then 3, NumLock on",
         {keyDown(SDLK_KP_1, SDL_SCANCODE_KP_1, KMOD_NUM), text("1"),
          keyUp(SDLK_KP_1, SDL_SCANCODE_KP_1), keyDown(SDLK_KP_3, SDL_SCANCODE_KP_3, KMOD_NUM),
          text("3")},
         "13"},
        // Some input methods send the letter of a Ctrl combination as text.
        {"Ctrl+a with stray text",
         {keyDown(SDLK_a, SDL_SCANCODE_A, KMOD_LCTRL), text("a")},
         "\x01"},
        {"Ctrl+1: no character, stray text dropped",
         {keyDown(SDLK_1, SDL_SCANCODE_1, KMOD_LCTRL), text("1")},
         ""},
        {"Alt+f: a shortcut, not an f",
         {keyDown(SDLK_f, SDL_SCANCODE_F, KMOD_LALT), text("f")},
         ""},
        {"system key+e", {keyDown(SDLK_e, SDL_SCANCODE_E, KMOD_LGUI), text("e")}, ""},
        {"Enter typing a control text",
         {keyDown(SDLK_RETURN, SDL_SCANCODE_RETURN), text("\r")},
         "\r"},
    });
}

TEST(KeyTranslation, AClaimedPressDoesNotSwallowTheNextOne) {
    runCases({
        // Ctrl+a typed no text here; the "b" that follows is its own press.
        {"Ctrl+a then b",
         {keyDown(SDLK_a, SDL_SCANCODE_A, KMOD_LCTRL), keyDown(SDLK_b, SDL_SCANCODE_B), text("b")},
         "\x01"
         "b"},
        {"keypad 8 (NumLock off) then q",
         {keyDown(SDLK_UP, SDL_SCANCODE_KP_8), keyDown(SDLK_q, SDL_SCANCODE_Q), text("q")},
         "8q"},
        {"f, Enter, q, 6 (a shot, then a bolt)",
         {keyDown(SDLK_f, SDL_SCANCODE_F), text("f"), keyDown(SDLK_RETURN, SDL_SCANCODE_RETURN),
          keyDown(SDLK_q, SDL_SCANCODE_Q), text("q"), keyDown(SDLK_6, SDL_SCANCODE_6), text("6")},
         "f\rq6"},
        // A modifier's own key-down ends the claim too.
        {"Escape, Shift, then $",
         {keyDown(SDLK_ESCAPE, SDL_SCANCODE_ESCAPE),
          keyDown(SDLK_LSHIFT, SDL_SCANCODE_LSHIFT, KMOD_LSHIFT),
          keyDown(SDLK_4, SDL_SCANCODE_4, KMOD_LSHIFT), text("$")},
         "\x1b$"},
    });
}

TEST(KeyTranslation, AutoRepeatCountsAsPresses) {
    runCases({
        {"held 6",
         {keyDown(SDLK_6, SDL_SCANCODE_6), text("6"), keyDown(SDLK_6, SDL_SCANCODE_6, KMOD_NONE, 1),
          text("6"), keyDown(SDLK_6, SDL_SCANCODE_6, KMOD_NONE, 1), text("6")},
         "666"},
        {"held right arrow",
         {keyDown(SDLK_RIGHT, SDL_SCANCODE_RIGHT),
          keyDown(SDLK_RIGHT, SDL_SCANCODE_RIGHT, KMOD_NONE, 1)},
         "66"},
        {"held keypad 2, NumLock on",
         {keyDown(SDLK_KP_2, SDL_SCANCODE_KP_2, KMOD_NUM), text("2"),
          keyDown(SDLK_KP_2, SDL_SCANCODE_KP_2, KMOD_NUM, 1), text("2")},
         "22"},
    });
}

TEST(KeyTranslation, KeysWithoutACharacterDoNothing) {
    runCases({
        {"F1", {keyDown(SDLK_F1, SDL_SCANCODE_F1)}, ""},
        {"Home", {keyDown(SDLK_HOME, SDL_SCANCODE_HOME)}, ""},
        {"Shift alone", {keyDown(SDLK_LSHIFT, SDL_SCANCODE_LSHIFT, KMOD_LSHIFT)}, ""},
        {"key release",
         {keyUp(SDLK_RETURN, SDL_SCANCODE_RETURN), keyUp(SDLK_LEFT, SDL_SCANCODE_LEFT)},
         ""},
    });
    SDL_Event motion;
    std::memset(&motion, 0, sizeof motion);
    motion.type = SDL_MOUSEMOTION;
    EXPECT_EQ(deliver({motion}), "");
}

TEST(KeyTranslation, TextIsOneByteOrNothing) {
    runCases({
        // Latin-1 characters become their byte, which is negative as a
        // signed char and so never names a command.
        {"e acute", {text("\xC3\xA9")}, "\xE9"},
        {"pound sign", {text("\xC2\xA3")}, "\xA3"},
        {"y diaeresis (255)", {text("\xC3\xBF")}, "\xFF"},
        {"euro sign (three bytes)", {text("\xE2\x82\xAC")}, ""},
        {"emoji (four bytes)", {text("\xF0\x9F\x98\x80")}, ""},
        {"two characters at once", {text("ab")}, ""},
        {"delete character", {text("\x7F")}, ""},
        {"stray continuation byte", {text("\xA9")}, ""},
        {"truncated sequence", {text("\xC3")}, ""},
    });
    KeyState state;
    auto ch = translateKey(text("\xC3\xA9"), state);
    ASSERT_TRUE(ch.has_value());
    EXPECT_EQ(*ch, static_cast<signed char>(-23));
}

} // namespace
} // namespace vell
