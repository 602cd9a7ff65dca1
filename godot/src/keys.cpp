#include "keys.h"

#include <iterator>

namespace sorvane_godot {

namespace {

constexpr std::int64_t kGodotSpecial = 0x400000;  // Godot's KEY_SPECIAL: keys without a character
constexpr unsigned kQtSpecial = 0x01000000;        // Qt's codes of keys without a character

struct SpecialKey {
    std::int64_t godot;  // below KEY_SPECIAL
    unsigned qt;         // below Qt's 0x01000000
    const char* text;
};

// Godot's special keys that Qt has a code for.
constexpr SpecialKey kSpecialKeys[] = {
    {0x01, 0x00, "\x1b"},  // Escape
    {0x02, 0x01, "\t"},    // Tab
    {0x03, 0x02, ""},      // Backtab
    {0x04, 0x03, "\b"},    // Backspace
    {0x05, 0x04, "\r"},    // Enter: Qt's Return
    {0x06, 0x05, "\r"},    // keypad Enter: Qt's Enter
    {0x07, 0x06, ""},      // Insert
    {0x08, 0x07, "\x7f"},  // Delete
    {0x09, 0x08, ""},      // Pause
    {0x0a, 0x09, ""},      // Print
    {0x0b, 0x0a, ""},      // SysReq
    {0x0c, 0x0b, ""},      // Clear
    {0x0d, 0x10, ""},      // Home
    {0x0e, 0x11, ""},      // End
    {0x0f, 0x12, ""},      // Left
    {0x10, 0x13, ""},      // Up
    {0x11, 0x14, ""},      // Right
    {0x12, 0x15, ""},      // Down
    {0x13, 0x16, ""},      // Page Up
    {0x14, 0x17, ""},      // Page Down
    {0x15, 0x20, ""},      // Shift
    {0x16, 0x21, ""},      // Ctrl: Qt's Control
    {0x17, 0x22, ""},      // Meta
    {0x18, 0x23, ""},      // Alt
    {0x19, 0x24, ""},      // Caps Lock
    {0x1a, 0x25, ""},      // Num Lock
    {0x1b, 0x26, ""},      // Scroll Lock
    {0x42, 0x55, ""},      // Menu
};

// Godot's F1 to F35 are consecutive, like Qt's.
constexpr std::int64_t kGodotF1 = 0x1c;
constexpr std::int64_t kGodotF35 = 0x3e;
constexpr unsigned kQtF1 = 0x30;

// The keypad's characters (Godot gives them codes of their own; Qt the character's).
struct KeypadKey {
    std::int64_t godot;
    char character;
};
constexpr KeypadKey kKeypadKeys[] = {
    {0x81, '*'}, {0x82, '/'}, {0x83, '-'}, {0x84, '.'}, {0x85, '+'}, {0x86, '0'}, {0x87, '1'}, {0x88, '2'},
    {0x89, '3'}, {0x8a, '4'}, {0x8b, '5'}, {0x8c, '6'}, {0x8d, '7'}, {0x8e, '8'}, {0x8f, '9'},
};

std::string utf8(std::int64_t code_point)
{
    std::string out;
    const auto c = static_cast<std::uint32_t>(code_point);
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xc0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3f));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xe0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3f));
        out += static_cast<char>(0x80 | (c & 0x3f));
    } else if (c < 0x110000) {
        out += static_cast<char>(0xf0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3f));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3f));
        out += static_cast<char>(0x80 | (c & 0x3f));
    }
    return out;
}

}  // namespace

MouseButton mouse_button(std::int64_t godot_button)
{
    switch (godot_button) {
    case 1: return {MouseButton::Kind::Button, 0};
    case 2: return {MouseButton::Kind::Button, 1};
    case 3: return {MouseButton::Kind::Button, 2};
    case 4: return {MouseButton::Kind::WheelUp};
    case 5: return {MouseButton::Kind::WheelDown};
    case 8: return {MouseButton::Kind::Button, 3};
    case 9: return {MouseButton::Kind::Button, 4};
    default: return {MouseButton::Kind::Other};
    }
}

KeyPress key_press(std::int64_t godot_key, std::int64_t unicode, bool ctrl, bool alt, bool meta, bool shift)
{
    KeyPress out;
    const std::int64_t code = godot_key & ~kGodotSpecial;
    if (godot_key & kGodotSpecial) {
        for (const SpecialKey& key : kSpecialKeys) {
            if (key.godot == code) {
                out.qt_key = kQtSpecial | key.qt;
                out.text = key.text;
            }
        }
        if (code >= kGodotF1 && code <= kGodotF35)
            out.qt_key = kQtSpecial | static_cast<unsigned>(kQtF1 + (code - kGodotF1));
        for (const KeypadKey& key : kKeypadKeys) {
            if (key.godot == code) {
                out.qt_key = static_cast<unsigned char>(key.character);
                out.text = std::string(1, key.character);
            }
        }
        if (out.qt_key == 0)
            return out;
    } else if (godot_key > 0) {
        // Printable keys: Godot's code is the character of the unshifted key, upper case for
        // letters, exactly as Qt's.
        out.qt_key = static_cast<unsigned>(godot_key);
        if (unicode >= 0x20 && unicode != 0x7f)
            out.text = utf8(unicode);
    } else {
        return out;
    }

    // The library takes one modifier with a key, as a prefix of its text. The modifier keys
    // themselves say which modifier they are by their code.
    const bool is_modifier = out.qt_key >= (kQtSpecial | 0x20) && out.qt_key <= (kQtSpecial | 0x23);
    if (is_modifier)
        return out;
    if (ctrl)
        out.text = "Ctrl+" + out.text;
    else if (alt)
        out.text = "Alt+" + out.text;
    else if (meta)
        out.text = "Meta+" + out.text;
    else if (shift && out.text.empty())
        out.text = "Shift+";
    return out;
}

}  // namespace sorvane_godot
