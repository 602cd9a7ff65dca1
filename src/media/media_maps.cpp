#include "media/media_maps.h"

#include <QMediaPlayer>
#include <QVariant>

#include <array>
#include <iterator>

namespace sorvane::media {

namespace {

// Indexed by the value of QMediaMetaData::Key.
constexpr std::array<const char*, 29> kKeyNames = {
    "Title",         "Author",        "Comment",     "Description",        "Genre",
    "Date",          "Language",      "Publisher",   "Copyright",          "Url",
    "Duration",      "MediaType",     "FileFormat",  "AudioBitRate",       "AudioCodec",
    "VideoBitRate",  "VideoCodec",    "VideoFrameRate", "AlbumTitle",      "AlbumArtist",
    "ContributingArtist", "TrackNumber", "Composer", "LeadPerformer",      "ThumbnailImage",
    "CoverArtImage", "Orientation",   "Resolution",  "HasHdrContent",
};
static_assert(kKeyNames.size() == QMediaMetaData::HasHdrContent + 1,
              "one name per QMediaMetaData key");

}  // namespace

const char* metadata_key_name(QMediaMetaData::Key key)
{
    const auto index = static_cast<std::size_t>(key);
    return index < kKeyNames.size() ? kKeyNames[index] : "";
}

TextMap metadata_map(const QMediaMetaData& metadata)
{
    TextMap map;
    for (const QMediaMetaData::Key key : metadata.keys())
        map[metadata_key_name(key)] = metadata.value(key).toString().toStdString();
    return map;
}

std::vector<TextMap> track_list(const QList<QMediaMetaData>& tracks)
{
    std::vector<TextMap> list;
    list.reserve(static_cast<std::size_t>(tracks.size()));
    for (const QMediaMetaData& track : tracks)
        list.push_back(metadata_map(track));
    return list;
}

QString current_subtitle_name(const QMediaPlayer& player)
{
    const int active = player.activeSubtitleTrack();
    const QList<QMediaMetaData> tracks = player.subtitleTracks();
    if (active < 0 || active >= tracks.size())
        return {};
    return tracks[active].stringValue(QMediaMetaData::Language);
}

}  // namespace sorvane::media
