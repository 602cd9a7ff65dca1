#pragma once

#include <QList>
#include <QString>

class QScreen;

namespace sorvane::media {

// What a screen hint is matched against.
struct ScreenIdentity {
    QString serial_number;
    QString model;
    QString name;
};

ScreenIdentity identity_of(const QScreen& screen);

// Which of the screens (in QGuiApplication::screens() order, the primary one first) a hint names.
// Empty and "-1" name the first screen; a decimal number names the screen at that index; any
// other text names the first screen whose serial number, model or name contains it, ignoring
// case. An index out of range or an unmatched text gives the first screen, with a warning.
// Returns -1 only when there is no screen at all.
qsizetype choose_screen(const QList<ScreenIdentity>& screens, const QString& hint);

}  // namespace sorvane::media
