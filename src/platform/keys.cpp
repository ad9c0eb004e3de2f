#include "platform/keys.h"

namespace vell {

namespace {

constexpr std::optional<signed char> nothing = std::nullopt;

signed char asChar(int code) {
    return static_cast<signed char>(static_cast<unsigned char>(code));
}

// Keypad digits by physical key: with NumLock off the system reports them as
// cursor keys and types no text, with it on it also types the digit.
std::optional<signed char> keypadDigit(SDL_Scancode sc) {
    if (sc >= SDL_SCANCODE_KP_1 && sc <= SDL_SCANCODE_KP_9)
        return asChar('1' + (sc - SDL_SCANCODE_KP_1));
    if (sc == SDL_SCANCODE_KP_0)
        return asChar('0');
    return nothing;
}

// Ctrl with a key other than a letter: the control characters a Windows
// layout gives. "^" and "_" are Shift+6 and Shift+minus on a US layout;
// a layout with a key of their own reports that key.
std::optional<signed char> controlPunctuation(const SDL_Keysym &key) {
    const bool shift = (key.mod & KMOD_SHIFT) != 0;
    switch (key.sym) {
    case SDLK_RETURN:
    case SDLK_RETURN2:
    case SDLK_KP_ENTER:
        return asChar(10);
    case SDLK_BACKSPACE:
        return asChar(127);
    case SDLK_LEFTBRACKET:
        return shift ? nothing : asChar(27);
    case SDLK_BACKSLASH:
        return shift ? nothing : asChar(28);
    case SDLK_RIGHTBRACKET:
        return shift ? nothing : asChar(29);
    case SDLK_CARET:
        return asChar(30);
    case SDLK_6:
        return shift ? asChar(30) : nothing;
    case SDLK_UNDERSCORE:
        return asChar(31);
    case SDLK_MINUS:
        return shift ? asChar(31) : nothing;
    default:
        return nothing;
    }
}

std::optional<signed char> fromKeyDown(const SDL_Keysym &key) {
    const Uint16 mod = key.mod;
    // Left Alt and the system key make shortcuts, not characters. Right Alt
    // is AltGr on most layouts, which types characters of its own.
    if (mod & (KMOD_LALT | KMOD_GUI))
        return nothing;
    if (auto digit = keypadDigit(key.scancode))
        return digit;
    const bool ctrl = (mod & KMOD_CTRL) && !(mod & (KMOD_RALT | KMOD_MODE));
    if (ctrl) {
        if (auto ch = controlPunctuation(key))
            return ch;
    }
    switch (key.sym) {
    case SDLK_LEFT:
        return asChar('4');
    case SDLK_RIGHT:
        return asChar('6');
    case SDLK_UP:
        return asChar('8');
    case SDLK_DOWN:
        return asChar('2');
    case SDLK_RETURN:
    case SDLK_RETURN2:
    case SDLK_KP_ENTER:
        return asChar(13);
    case SDLK_ESCAPE:
        return asChar(27);
    case SDLK_BACKSPACE:
        return asChar(8);
    case SDLK_TAB:
        return asChar(9);
    default:
        break;
    }
    if (ctrl && key.sym >= SDLK_a && key.sym <= SDLK_z)
        return asChar(1 + (key.sym - SDLK_a));
    return nothing;
}

// Whether this key-down's text event, if one follows, must be dropped: the
// press was claimed above, or it is a shortcut that only types stray text.
bool claimsText(const SDL_Keysym &key, bool delivered) {
    if (delivered)
        return true;
    const Uint16 mod = key.mod;
    if (mod & (KMOD_LALT | KMOD_GUI))
        return true;
    return (mod & KMOD_CTRL) && !(mod & (KMOD_RALT | KMOD_MODE));
}

// One character of text: printable ASCII, or a Latin-1 character (two
// UTF-8 bytes) as its single byte. Anything longer or unprintable is none.
std::optional<signed char> fromText(const char *text) {
    const auto *t = reinterpret_cast<const unsigned char *>(text);
    if (t[0] >= 32 && t[0] < 127 && t[1] == 0)
        return asChar(t[0]);
    if ((t[0] == 0xC2 || t[0] == 0xC3) && (t[1] & 0xC0) == 0x80 && t[2] == 0) {
        int code = ((t[0] & 0x1F) << 6) | (t[1] & 0x3F);
        return asChar(code);
    }
    return nothing;
}

} // namespace

std::optional<signed char> translateKey(const SDL_Event &event, KeyState &state) {
    switch (event.type) {
    case SDL_KEYDOWN: {
        auto ch = fromKeyDown(event.key.keysym);
        state.dropText = claimsText(event.key.keysym, ch.has_value());
        return ch;
    }
    case SDL_TEXTINPUT:
        if (state.dropText) {
            // One press types at most one text event.
            state.dropText = false;
            return nothing;
        }
        return fromText(event.text.text);
    default:
        return nothing;
    }
}

} // namespace vell
