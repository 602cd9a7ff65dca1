#pragma once

// Media files for the video tests, made with ffmpeg at test time in a directory of the caller's.

#include <QString>

namespace media_test {

struct MediaFixtures {
    // 8 s, 320x180 at 30 fps, H.264 with AAC audio. A moving test pattern fills the top-left
    // quarter; the rest is pure green (kClipGreen). Tagged with kClipTitle and a comment.
    QString clip;
    // 3 s of video with two audio tracks tagged "eng" and "fra".
    QString two_audio;
    // 3 s of video with two text subtitle tracks tagged "eng" and "deu".
    QString two_subtitles;
    // 2 s of video, no audio stream.
    QString no_audio;
};

inline constexpr const char* kClipTitle = "Sorvane Test Clip";
inline constexpr unsigned kClipGreen = 0xff00ff00;

// Writes the files into `directory`. Returns an empty text on success, otherwise what failed
// (ffmpeg missing, or its error output).
QString make_media_fixtures(const QString& directory, MediaFixtures& fixtures);

// Runs ffmpeg with `arguments` (after -y -loglevel error); returns its error text, empty on success.
QString run_ffmpeg(const QStringList& arguments);

}  // namespace media_test
