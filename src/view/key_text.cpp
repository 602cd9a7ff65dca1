#include "view/key_text.h"

#include <QLatin1String>

namespace sorvane {

namespace {

// Modifier keys, and the text prefixes that set a modifier ("Ctrl+c").
struct ModifierKey {
    Qt::Key key;
    const char* prefix;
    Qt::KeyboardModifier modifier;
};
constexpr ModifierKey kModifierKeys[] = {
    {Qt::Key_Control, "Ctrl", Qt::ControlModifier},
    {Qt::Key_Shift, "Shift", Qt::ShiftModifier},
    {Qt::Key_Alt, "Alt", Qt::AltModifier},
    {Qt::Key_Meta, "Meta", Qt::MetaModifier},
};

}  // namespace

KeyText parse_key_text(unsigned key, const QString& text)
{
    KeyText out;
    out.text = text;
    if (!text.contains(u'+')) {
        for (const ModifierKey& m : kModifierKeys) {
            if (key == static_cast<unsigned>(m.key)) {
                out.sets_modifier = true;
                out.modifier = m.modifier;
            }
        }
        return out;
    }
    for (const ModifierKey& m : kModifierKeys) {
        const QLatin1String prefix(m.prefix);
        if (text.startsWith(prefix)) {
            out.sets_modifier = true;
            out.modifier = m.modifier;
            out.text = text.mid(prefix.size() + 1);
            break;
        }
    }
    return out;
}

}  // namespace sorvane
