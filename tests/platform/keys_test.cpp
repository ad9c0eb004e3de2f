// Key translation on synthetic SDL events, posted as SDL posts a real press: a
// key-down, then (for keys that type) a text event.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/keys.h"

namespace vell {
namespace {

SDL_Event down(SDL_Keycode sym, SDL_Scancode sc, Uint16 mod = KMOD_NONE, Uint8 repeat = 0) {
    SDL_Event e{};
    e.type = SDL_KEYDOWN, e.key.repeat = repeat, e.key.keysym = {sc, sym, mod, 0};
    return e;
}
SDL_Event up(SDL_Keycode sym, SDL_Scancode sc) {
    SDL_Event e = down(sym, sc);
    return e.type = SDL_KEYUP, e;
}
SDL_Event text(const char *utf8) {
    SDL_Event e{};
    e.type = SDL_TEXTINPUT;
    std::snprintf(e.text.text, sizeof e.text.text, "%s", utf8);
    return e;
}

TEST(KeyTranslation, OneCharacterPerPressFromTheTextOrTheKeyDownNeverTwice) {
    using namespace std::string_literals;
    const SDL_Event a = down(SDLK_a, SDL_SCANCODE_A), q = down(SDLK_q, SDL_SCANCODE_Q);
    const SDL_Event six = down(SDLK_6, SDL_SCANCODE_6),
                    ret = down(SDLK_RETURN, SDL_SCANCODE_RETURN);
    const struct {
        std::vector<SDL_Event> events;
        std::string delivered;
    } cases[] = {
        {{a, text("a"), down(SDLK_4, SDL_SCANCODE_4, KMOD_LSHIFT), text("$")}, "a$"},
        {{down(SDLK_a, SDL_SCANCODE_Q), text("a"), down(SDLK_q, SDL_SCANCODE_Q, KMOD_RALT),
          text("@")},
         "a@"}, // the layout decides; AltGr types
        {{text("x"), down(SDLK_SPACE, SDL_SCANCODE_SPACE), text(" ")}, "x "}, // an input method
        {{ret, down(SDLK_KP_ENTER, SDL_SCANCODE_KP_ENTER), down(SDLK_ESCAPE, SDL_SCANCODE_ESCAPE),
          down(SDLK_BACKSPACE, SDL_SCANCODE_BACKSPACE), down(SDLK_TAB, SDL_SCANCODE_TAB)},
         "\r\r\x1b\b\t"},
        {{down(SDLK_a, SDL_SCANCODE_A, KMOD_LCTRL), text("a"), down(SDLK_b, SDL_SCANCODE_B),
          text("b"), down(SDLK_z, SDL_SCANCODE_Z, KMOD_RCTRL),
          down(SDLK_c, SDL_SCANCODE_C, KMOD_LCTRL | KMOD_LSHIFT)},
         "\x01"s + "b\x1a\x03"},
        // Ctrl with punctuation, Enter and Backspace: the control characters a
        // Windows layout gives; ^ and _ as Shift+6 and Shift+minus, or their own key.
        {{down(SDLK_LEFTBRACKET, SDL_SCANCODE_LEFTBRACKET, KMOD_LCTRL),
          down(SDLK_BACKSLASH, SDL_SCANCODE_BACKSLASH, KMOD_LCTRL),
          down(SDLK_RIGHTBRACKET, SDL_SCANCODE_RIGHTBRACKET, KMOD_RCTRL),
          down(SDLK_6, SDL_SCANCODE_6, KMOD_LCTRL | KMOD_LSHIFT),
          down(SDLK_CARET, SDL_SCANCODE_GRAVE, KMOD_LCTRL),
          down(SDLK_MINUS, SDL_SCANCODE_MINUS, KMOD_LCTRL | KMOD_LSHIFT),
          down(SDLK_UNDERSCORE, SDL_SCANCODE_8, KMOD_LCTRL),
          down(SDLK_RETURN, SDL_SCANCODE_RETURN, KMOD_LCTRL),
          down(SDLK_BACKSPACE, SDL_SCANCODE_BACKSPACE, KMOD_RCTRL),
          down(SDLK_6, SDL_SCANCODE_6, KMOD_LCTRL), down(SDLK_MINUS, SDL_SCANCODE_MINUS, KMOD_LCTRL),
          down(SDLK_LEFTBRACKET, SDL_SCANCODE_LEFTBRACKET, KMOD_LCTRL | KMOD_LSHIFT)},
         "\x1b\x1c\x1d\x1e\x1e\x1f\x1f\n\x7f"},
        {{down(SDLK_LEFT, SDL_SCANCODE_LEFT), down(SDLK_RIGHT, SDL_SCANCODE_RIGHT),
          down(SDLK_UP, SDL_SCANCODE_UP, KMOD_LCTRL), down(SDLK_DOWN, SDL_SCANCODE_DOWN)},
         "4682"},
        // The keypad by physical key: NumLock off types nothing, on also types the digit.
        {{down(SDLK_UP, SDL_SCANCODE_KP_8), down(SDLK_UNKNOWN, SDL_SCANCODE_KP_5),
          down(SDLK_INSERT, SDL_SCANCODE_KP_0), down(SDLK_KP_1, SDL_SCANCODE_KP_1, KMOD_NUM),
          text("1"), up(SDLK_KP_1, SDL_SCANCODE_KP_1), down(SDLK_KP_9, SDL_SCANCODE_KP_9, KMOD_NUM),
          text("9")},
         "8501"
         "9"},
        // Shortcuts and stray text: nothing, and the next press is its own.
        {{down(SDLK_1, SDL_SCANCODE_1, KMOD_LCTRL), text("1"),
          down(SDLK_f, SDL_SCANCODE_F, KMOD_LALT), text("f"),
          down(SDLK_e, SDL_SCANCODE_E, KMOD_LGUI), text("e"), ret, text("\r"), q, text("q")},
         "\rq"},
        {{down(SDLK_ESCAPE, SDL_SCANCODE_ESCAPE),
          down(SDLK_LSHIFT, SDL_SCANCODE_LSHIFT, KMOD_LSHIFT),
          down(SDLK_4, SDL_SCANCODE_4, KMOD_LSHIFT), text("$")},
         "\x1b$"},
        {{six, text("6"), down(SDLK_6, SDL_SCANCODE_6, KMOD_NONE, 1), text("6"),
          down(SDLK_RIGHT, SDL_SCANCODE_RIGHT, KMOD_NONE, 1)},
         "666"}, // auto-repeat counts
        {{down(SDLK_F1, SDL_SCANCODE_F1), down(SDLK_HOME, SDL_SCANCODE_HOME),
          up(SDLK_RETURN, SDL_SCANCODE_RETURN)},
         ""},
        // Latin-1 becomes its byte; longer, unprintable or broken text is nothing.
        {{text("\xC3\xA9"), text("\xC2\xA3"), text("\xC3\xBF"), text("\xE2\x82\xAC"), text("ab"),
          text("\x7F"), text("\xA9"), text("\xC3")},
         "\xE9\xA3\xFF"},
    };
    for (const auto &c : cases) {
        KeyState state;
        std::string out;
        for (const SDL_Event &e : c.events)
            if (auto ch = translateKey(e, state))
                out.push_back(static_cast<char>(*ch));
        EXPECT_EQ(out, c.delivered) << &c - cases;
    }
    KeyState state;
    EXPECT_EQ(translateKey(text("\xC3\xA9"), state), static_cast<signed char>(-23));
}

} // namespace
} // namespace vell
