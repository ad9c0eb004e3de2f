// Key translation on synthetic SDL events, posted as SDL posts a real press: a
// key-down, then (for keys that type) a text event.

#include "platform/keys.h"
#include "support/fixture.h"

namespace {

// Only the keypad is read by its physical key; everything else by its symbol.
SDL_Event k(SDL_Keycode sym, Uint16 mod = 0, SDL_Scancode sc = SDL_SCANCODE_UNKNOWN,
            Uint8 repeat = 0, Uint32 type = SDL_KEYDOWN) {
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
    const Uint16 L = KMOD_LCTRL, R = KMOD_RCTRL, S = KMOD_LSHIFT;
    const SDL_Event ret = k(SDLK_RETURN), six = k(SDLK_6);
    const std::pair<std::vector<SDL_Event>, std::string> cases[] = {
        // The layout decides and Shift is applied by it; AltGr types.
        {{k(SDLK_a), t("a"), k(SDLK_4, S), t("$"), k(SDLK_q, KMOD_RALT), t("@")}, "a$@"},
        {{ret, k(SDLK_KP_ENTER), k(SDLK_ESCAPE), k(SDLK_BACKSPACE), k(SDLK_TAB)}, "\r\r\x1b\b\t"},
        {{k(SDLK_a, L), t("a"), k(SDLK_b), t("b"), k(SDLK_z, R), k(SDLK_c, L | S)}, "\1b\x1a\3"},
        // Ctrl with punctuation, Enter and Backspace: the control characters a
        // Windows layout gives; ^ and _ as Shift+6 and Shift+minus, or their own key.
        {{k(SDLK_LEFTBRACKET, L), k(SDLK_BACKSLASH, L), k(SDLK_RIGHTBRACKET, R), k(SDLK_6, L | S),
          k(SDLK_CARET, L), k(SDLK_MINUS, L | S), k(SDLK_UNDERSCORE, L), k(SDLK_RETURN, L),
          k(SDLK_BACKSPACE, R), k(SDLK_6, L), k(SDLK_MINUS, L), k(SDLK_LEFTBRACKET, L | S)},
         "\x1b\x1c\x1d\x1e\x1e\x1f\x1f\n\x7f"},
        {{k(SDLK_LEFT), k(SDLK_RIGHT), k(SDLK_UP, L), k(SDLK_DOWN)}, "4682"},
        // The keypad by physical key: NumLock off types nothing, on also types the digit.
        {{k(SDLK_UP, 0, SDL_SCANCODE_KP_8), k(SDLK_UNKNOWN, 0, SDL_SCANCODE_KP_5),
          k(SDLK_INSERT, 0, SDL_SCANCODE_KP_0), k(SDLK_KP_1, KMOD_NUM, SDL_SCANCODE_KP_1), t("1"),
          k(SDLK_KP_1, 0, SDL_SCANCODE_KP_1, 0, SDL_KEYUP),
          k(SDLK_KP_9, KMOD_NUM, SDL_SCANCODE_KP_9), t("9")},
         "85019"},
        // Shortcuts and stray text: nothing, and the next press is its own.
        {{k(SDLK_1, L), t("1"), k(SDLK_f, KMOD_LALT), t("f"), k(SDLK_e, KMOD_LGUI), t("e"),
          k(SDLK_F1), k(SDLK_LSHIFT, S), ret, t("\r"), k(SDLK_q), t("q")},
         "\rq"},
        {{six, t("6"), k(SDLK_6, 0, {}, 1), t("6"), k(SDLK_RIGHT, 0, {}, 1)},
         "666"}, // auto-repeat counts
        // Latin-1 becomes its byte; longer, unprintable or broken text is nothing.
        {{t("\xC3\xA9"), t("\xC2\xA3"), t("\xC3\xBF"), t("\xE2\x82\xAC"), t("ab"), t("\x7F"),
          t("\xA9"), t("\xC3")},
         "\xE9\xA3\xFF"}};
    for (const auto &[events, delivered] : cases) {
        KeyState state;
        std::string out;
        for (const SDL_Event &e : events)
            if (auto ch = translateKey(e, state))
                out.push_back(static_cast<char>(*ch));
        EXPECT_EQ(out, delivered) << delivered;
    }
}

} // namespace
