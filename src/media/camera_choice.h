#pragma once

#include <QString>
#include <QStringList>

namespace sorvane::media {

// Which of the video inputs (given by their descriptions, in the platform's order) a camera hint
// names. Empty, "-1" and "0" name the first input; a decimal number names the input at that
// index; any other text names the first input whose description contains it, ignoring case. An
// index out of range or an unmatched text gives the first input, with a warning.
// Returns -1 only for an empty list.
qsizetype choose_camera(const QStringList& descriptions, const QString& hint);

}  // namespace sorvane::media
