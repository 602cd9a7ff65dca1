#pragma once

// The media's metadata and its tracks as the host sees them: plain maps of text, keyed by the
// names of QMediaMetaData's keys. Built from the player at the moment of the call.

#include <QList>
#include <QMediaMetaData>
#include <QString>

#include <map>
#include <string>
#include <vector>

class QMediaPlayer;

namespace sorvane::media {

using TextMap = std::map<std::string, std::string>;

// "Title" for QMediaMetaData::Title, and so on; empty for a key outside the table.
const char* metadata_key_name(QMediaMetaData::Key key);

// One entry per key the metadata holds, its value as QVariant::toString() gives it (the empty
// text for values without a text form, such as images).
TextMap metadata_map(const QMediaMetaData& metadata);

// One map per track, in the player's order, so that the index is the track index.
std::vector<TextMap> track_list(const QList<QMediaMetaData>& tracks);

// The language name of the player's active subtitle track; empty when none is active.
QString current_subtitle_name(const QMediaPlayer& player);

}  // namespace sorvane::media
