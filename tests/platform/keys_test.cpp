// Key translation on synthetic SDL events, posted as SDL posts a real press: a
// key-down, then (for keys that type) a text event.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/keys.h"

namespace vell {
namespace {

SDL_Event k(SDL_Keycode sym, SDL_Scancode sc, Uint16 mod = KMOD_NONE, Uint8 repeat = 0,
            Uint32 type = SDL_KEYDOWN) {
    SDL_Event e{};
    e.type = type, e.key.repeat = repeat, e.key.keysym = {sc, sym, mod, 0};
    return e;
}
SDL_Event t(const char *utf8) {
    SDL_Event e{};
    e.type = SDL_TEXTINPUT;
    std::snprintf(e.text.text, sizeof e.text.text, "%s", utf8);
    return e;
}

TEST(KeyTranslation, OneCharacterPerPressFromTheTextOrTheKeyDownNeverTwice) {
    using namespace std::string_literals;
    const SDL_Event a = k(SDLK_a, SDL_SCANCODE_A), q = k(SDLK_q, SDL_SCANCODE_Q);
    const SDL_Event six = k(SDLK_6, SDL_SCANCODE_6), ret = k(SDLK_RETURN, SDL_SCANCODE_RETURN);
    const struct {
        std::vector<SDL_Event> events;
        std::string delivered;
    } cases[] = {
        {{a, t("a"), k(SDLK_4, SDL_SCANCODE_4, KMOD_LSHIFT), t("$")}, "a$"},
        {{k(SDLK_a, SDL_SCANCODE_Q), t("a"), k(SDLK_q, SDL_SCANCODE_Q, KMOD_RALT), t("@")},
         "a@"}, // the layout decides; AltGr types
        {{ret, k(SDLK_KP_ENTER, SDL_SCANCODE_KP_ENTER), k(SDLK_ESCAPE, SDL_SCANCODE_ESCAPE),
          k(SDLK_BACKSPACE, SDL_SCANCODE_BACKSPACE), k(SDLK_TAB, SDL_SCANCODE_TAB)},
         "\r\r\x1b\b\t"},
        {{k(SDLK_a, SDL_SCANCODE_A, KMOD_LCTRL), t("a"), k(SDLK_b, SDL_SCANCODE_B), t("b"),
          k(SDLK_z, SDL_SCANCODE_Z, KMOD_RCTRL),
          k(SDLK_c, SDL_SCANCODE_C, KMOD_LCTRL | KMOD_LSHIFT)},
         "\x01"s + "b\x1a\x03"},
        // Ctrl with punctuation, Enter and Backspace: the control characters a
        // Windows layout gives; ^ and _ as Shift+6 and Shift+minus, or their own key.
        {{k(SDLK_LEFTBRACKET, SDL_SCANCODE_LEFTBRACKET, KMOD_LCTRL),
          k(SDLK_BACKSLASH, SDL_SCANCODE_BACKSLASH, KMOD_LCTRL),
          k(SDLK_RIGHTBRACKET, SDL_SCANCODE_RIGHTBRACKET, KMOD_RCTRL),
          k(SDLK_6, SDL_SCANCODE_6, KMOD_LCTRL | KMOD_LSHIFT),
          k(SDLK_CARET, SDL_SCANCODE_GRAVE, KMOD_LCTRL),
          k(SDLK_MINUS, SDL_SCANCODE_MINUS, KMOD_LCTRL | KMOD_LSHIFT),
          k(SDLK_UNDERSCORE, SDL_SCANCODE_8, KMOD_LCTRL),
          k(SDLK_RETURN, SDL_SCANCODE_RETURN, KMOD_LCTRL),
          k(SDLK_BACKSPACE, SDL_SCANCODE_BACKSPACE, KMOD_RCTRL),
          k(SDLK_6, SDL_SCANCODE_6, KMOD_LCTRL), k(SDLK_MINUS, SDL_SCANCODE_MINUS, KMOD_LCTRL),
          k(SDLK_LEFTBRACKET, SDL_SCANCODE_LEFTBRACKET, KMOD_LCTRL | KMOD_LSHIFT)},
         "\x1b\x1c\x1d\x1e\x1e\x1f\x1f\n\x7f"},
        {{k(SDLK_LEFT, SDL_SCANCODE_LEFT), k(SDLK_RIGHT, SDL_SCANCODE_RIGHT),
          k(SDLK_UP, SDL_SCANCODE_UP, KMOD_LCTRL), k(SDLK_DOWN, SDL_SCANCODE_DOWN)},
         "4682"},
        // The keypad by physical key: NumLock off types nothing, on also types the digit.
        {{k(SDLK_UP, SDL_SCANCODE_KP_8), k(SDLK_UNKNOWN, SDL_SCANCODE_KP_5),
          k(SDLK_INSERT, SDL_SCANCODE_KP_0), k(SDLK_KP_1, SDL_SCANCODE_KP_1, KMOD_NUM), t("1"),
          k(SDLK_KP_1, SDL_SCANCODE_KP_1, 0, 0, SDL_KEYUP),
          k(SDLK_KP_9, SDL_SCANCODE_KP_9, KMOD_NUM), t("9")},
         "85019"},
        // Shortcuts and stray text: nothing, and the next press is its own.
        {{k(SDLK_1, SDL_SCANCODE_1, KMOD_LCTRL), t("1"), k(SDLK_f, SDL_SCANCODE_F, KMOD_LALT),
          t("f"), k(SDLK_e, SDL_SCANCODE_E, KMOD_LGUI), t("e"), k(SDLK_F1, SDL_SCANCODE_F1),
          k(SDLK_LSHIFT, SDL_SCANCODE_LSHIFT, KMOD_LSHIFT), ret, t("\r"), q, t("q")},
         "\rq"},
        {{six, t("6"), k(SDLK_6, SDL_SCANCODE_6, KMOD_NONE, 1), t("6"),
          k(SDLK_RIGHT, SDL_SCANCODE_RIGHT, KMOD_NONE, 1)},
         "666"}, // auto-repeat counts
        // Latin-1 becomes its byte; longer, unprintable or broken text is nothing.
        {{t("\xC3\xA9"), t("\xC2\xA3"), t("\xC3\xBF"), t("\xE2\x82\xAC"), t("ab"), t("\x7F"),
          t("\xA9"), t("\xC3")},
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
}

} // namespace
} // namespace vell
