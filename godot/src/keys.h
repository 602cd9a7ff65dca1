// Godot's input codes in the library's terms: mouse buttons and keys (Qt key codes with the text
// a key types).
#pragma once

#include <cstdint>
#include <string>

namespace sorvane_godot {

struct MouseButton {
    enum class Kind { Button, WheelUp, WheelDown, Other } kind;
    unsigned short button = 0;  // the library's: 0 left, 1 right, 2 middle, 3 back, 4 forward
};

// From Godot's MouseButton (1 left, 2 right, 3 middle, 4/5 wheel, 8/9 extra buttons).
MouseButton mouse_button(std::int64_t godot_button);

struct KeyPress {
    unsigned qt_key = 0;  // 0: a key the library has no code for
    std::string text;     // UTF-8, with one modifier prefix ("Ctrl+") when a modifier is held
};

// From Godot's Key code, the Unicode character typed (0 for none) and the modifiers held.
KeyPress key_press(std::int64_t godot_key, std::int64_t unicode, bool ctrl, bool alt, bool meta, bool shift);

}  // namespace sorvane_godot
