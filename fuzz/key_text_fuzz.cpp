// The modifier prefix rule of key events. Whatever the text, the event's text is the host's text
// or what follows one modifier name and one more character; a modifier comes only from a prefix
// at the very start or, for text without '+', from a modifier key.
//
// Input: one byte (0..3: the key is that modifier key), four bytes of key code (used for any
// other choice), then the text as UTF-8.

#include "fuzz_support.h"
#include "view/key_text.h"

#include <QString>

#include <array>

namespace {

struct Modifier {
    Qt::Key key;
    const char* name;
    Qt::KeyboardModifier flag;
};
constexpr std::array<Modifier, 4> kModifiers = {{
    {Qt::Key_Control, "Ctrl", Qt::ControlModifier},
    {Qt::Key_Shift, "Shift", Qt::ShiftModifier},
    {Qt::Key_Alt, "Alt", Qt::AltModifier},
    {Qt::Key_Meta, "Meta", Qt::MetaModifier},
}};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    sorvane::fuzz::ByteReader input(data, size);
    const std::uint8_t choice = input.byte();
    unsigned key = input.raw<std::uint32_t>();
    if (choice < kModifiers.size())
        key = static_cast<unsigned>(kModifiers[choice].key);
    const std::string bytes = input.rest();
    const QString text = QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));

    const sorvane::KeyText parsed = sorvane::parse_key_text(key, text);

    if (!parsed.sets_modifier) {
        FUZZ_CHECK(parsed.text == text);
        FUZZ_CHECK(parsed.modifier == Qt::NoModifier);
        for (const Modifier& m : kModifiers) {
            if (text.contains(u'+'))
                FUZZ_CHECK(!text.startsWith(QLatin1String(m.name)));
            else
                FUZZ_CHECK(key != static_cast<unsigned>(m.key));
        }
        return 0;
    }

    const Modifier* which = nullptr;
    for (const Modifier& m : kModifiers)
        if (parsed.modifier == m.flag)
            which = &m;
    FUZZ_CHECK(which != nullptr);  // exactly one flag, one of the four

    if (!text.contains(u'+')) {
        FUZZ_CHECK(key == static_cast<unsigned>(which->key));
        FUZZ_CHECK(parsed.text == text);
        return 0;
    }
    // The first matching name in the fixed order, then one separator character, is taken off.
    const QLatin1String name(which->name);
    FUZZ_CHECK(text.startsWith(name));
    for (const Modifier& m : kModifiers) {
        if (&m == which)
            break;
        FUZZ_CHECK(!text.startsWith(QLatin1String(m.name)));
    }
    FUZZ_CHECK(parsed.text.size() <= text.size());
    FUZZ_CHECK(text.endsWith(parsed.text));
    FUZZ_CHECK(parsed.text.size() == std::max<qsizetype>(0, text.size() - name.size() - 1));
    // Parsing what is left again takes off at most one more prefix: "Ctrl+Shift+a" -> "Shift+a".
    const sorvane::KeyText again = sorvane::parse_key_text(key, parsed.text);
    FUZZ_CHECK(again.text.size() <= parsed.text.size());
    return 0;
}
