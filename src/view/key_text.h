#pragma once

// The modifier prefix rule of the host's key events. A key event's text may start with the name
// of one modifier and a plus sign ("Ctrl+c"); the prefix sets that modifier and is taken off the
// text. Text without a plus sign sets a modifier only when the key itself is a modifier key.

#include <QString>
#include <Qt>

namespace sorvane {

struct KeyText {
    // Whether the event sets the view's modifier (to `modifier`); otherwise it stays as it is.
    bool sets_modifier = false;
    Qt::KeyboardModifier modifier = Qt::NoModifier;
    // The text the key event carries.
    QString text;
};

// Applies the rule to one event: `key` is a Qt key code, `text` the host's text. Only one prefix
// is taken off: "Ctrl+Shift+a" gives Qt::ControlModifier and the text "Shift+a".
KeyText parse_key_text(unsigned key, const QString& text);

}  // namespace sorvane
