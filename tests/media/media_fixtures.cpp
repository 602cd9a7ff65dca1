#include "media_fixtures.h"

#include <QFile>
#include <QProcess>
#include <QStringList>

namespace media_test {

namespace {

bool write_text(const QString& path, const QByteArray& text)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(text) == text.size();
}

const QByteArray kEnglishSubtitles =
    "1\n00:00:00,000 --> 00:00:01,500\nHello\n\n2\n00:00:01,500 --> 00:00:03,000\nGoodbye\n";
const QByteArray kGermanSubtitles =
    "1\n00:00:00,000 --> 00:00:01,500\nHallo\n\n2\n00:00:01,500 --> 00:00:03,000\nTschuess\n";

}  // namespace

QString run_ffmpeg(const QStringList& arguments)
{
    QProcess ffmpeg;
    ffmpeg.setProcessChannelMode(QProcess::SeparateChannels);
    ffmpeg.start("ffmpeg", QStringList{"-y", "-nostdin", "-loglevel", "error"} + arguments);
    if (!ffmpeg.waitForStarted(10000))
        return "ffmpeg could not be started (is it installed?): " + ffmpeg.errorString();
    if (!ffmpeg.waitForFinished(120000))
        return "ffmpeg did not finish within 120 s";
    if (ffmpeg.exitStatus() != QProcess::NormalExit || ffmpeg.exitCode() != 0)
        return "ffmpeg " + arguments.join(' ') + " failed: " + QString::fromUtf8(ffmpeg.readAllStandardError());
    return {};
}

QString make_media_fixtures(const QString& directory, MediaFixtures& fixtures)
{
    fixtures.clip = directory + "/clip.mp4";
    fixtures.two_audio = directory + "/two_audio.mkv";
    fixtures.two_subtitles = directory + "/two_subtitles.mkv";
    fixtures.no_audio = directory + "/no_audio.mp4";
    const QStringList h264 = {"-c:v", "libx264", "-preset", "ultrafast", "-pix_fmt", "yuv420p"};

    QString error = run_ffmpeg(
        QStringList{"-f", "lavfi", "-i", "color=c=0x00ff00:s=320x180:r=30:d=8",
                    "-f", "lavfi", "-i", "testsrc2=s=160x90:r=30:d=8",
                    "-f", "lavfi", "-i", "sine=frequency=440:duration=8",
                    "-filter_complex", "[0:v][1:v]overlay=0:0[v]", "-map", "[v]", "-map", "2:a"} +
        h264 +
        QStringList{"-c:a", "aac", "-metadata", QString("title=%1").arg(kClipTitle),
                    "-metadata", "comment=made by the media tests", "-metadata", "genre=Test",
                    "-shortest", fixtures.clip});
    if (!error.isEmpty())
        return error;

    error = run_ffmpeg(
        QStringList{"-f", "lavfi", "-i", "testsrc2=s=160x90:r=30:d=3",
                    "-f", "lavfi", "-i", "sine=frequency=440:duration=3",
                    "-f", "lavfi", "-i", "sine=frequency=880:duration=3",
                    "-map", "0:v", "-map", "1:a", "-map", "2:a"} +
        h264 +
        QStringList{"-c:a", "aac", "-metadata:s:a:0", "language=eng", "-metadata:s:a:1", "language=fra",
                    fixtures.two_audio});
    if (!error.isEmpty())
        return error;

    const QString english = directory + "/english.srt";
    const QString german = directory + "/german.srt";
    if (!write_text(english, kEnglishSubtitles) || !write_text(german, kGermanSubtitles))
        return "cannot write the subtitle sources in " + directory;
    error = run_ffmpeg(
        QStringList{"-f", "lavfi", "-i", "testsrc2=s=160x90:r=30:d=3", "-i", english, "-i", german,
                    "-map", "0:v", "-map", "1:s", "-map", "2:s"} +
        h264 +
        QStringList{"-c:s", "subrip", "-metadata:s:s:0", "language=eng", "-metadata:s:s:1", "language=deu",
                    fixtures.two_subtitles});
    if (!error.isEmpty())
        return error;

    return run_ffmpeg(QStringList{"-f", "lavfi", "-i", "testsrc2=s=160x90:r=30:d=2"} + h264 +
                      QStringList{fixtures.no_audio});
}

}  // namespace media_test
