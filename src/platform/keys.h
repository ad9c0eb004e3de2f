#pragma once
// Turning SDL keyboard events into the game's input: one character per key
// press, the character the key makes with the current modifiers and keyboard
// layout, or nothing for a key that makes none.
//
// SDL reports one press as a key-down event and, for keys that type
// something, a text event right after it. Printable characters are taken
// from the text event (so the layout and Shift are applied by the system);
// control characters, the arrow keys and the keypad digits are taken from the
// key-down event, which then claims the press and drops the text that may
// follow it. No press is ever delivered twice.
//
//   Enter / keypad Enter 13, Escape 27, Backspace 8, Tab 9, Ctrl+letter 1..26
//   Ctrl+Enter 10, Ctrl+Backspace 127, Ctrl+[ 27, Ctrl+\ 28, Ctrl+] 29,
//   Ctrl+^ 30 and Ctrl+_ 31 (Ctrl+Shift+6 and Ctrl+Shift+minus on a US
//   layout, or the layout's own ^ or _ key)
//   arrows: left "4", right "6", up "8", down "2"
//   keypad digits: the digit, whatever the NumLock state
//   Latin-1 text above 127: its byte, as a negative signed char
//   left Alt or a system key held: nothing (the system's own shortcuts)
//
// Window thread only; the state belongs to one window's event stream.

#include <SDL.h>

#include <optional>

namespace vell {

struct KeyState {
    // Set by a key-down that claimed its press; the text event of the same
    // press (if any) is then dropped. Any later key-down clears it.
    bool dropText = false;
};

// The character one event delivers, if any. Events other than key-down and
// text input deliver nothing and leave the state alone.
std::optional<signed char> translateKey(const SDL_Event &event, KeyState &state);

} // namespace vell
