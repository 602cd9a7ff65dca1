// The same scenes rendered on Qt's xcb platform and on the library's headless platform must come
// out pixel for pixel the same. Runs under an X server (tools/with-xvfb.sh); scene_snapshot runs
// once on each platform, in a process of its own.

#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdlib>

namespace {

struct Snapshot {
    QString platform;
    QStringList files;
    QString log;
};

Snapshot take_snapshot(const QString& dir, const QProcessEnvironment& environment)
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(SCENE_SNAPSHOT), {dir});
    Snapshot snapshot;
    if (!process.waitForFinished(240000)) {
        process.kill();
        process.waitForFinished();
        snapshot.log = QStringLiteral("scene_snapshot did not finish within 240 s");
        return snapshot;
    }
    snapshot.log = QString::fromLocal8Bit(process.readAllStandardError());
    const QStringList lines = QString::fromLocal8Bit(process.readAllStandardOutput()).split(u'\n');
    for (const QString& line : lines) {
        if (line.startsWith(QLatin1String("platform=")))
            snapshot.platform = line.mid(9);
        else if (line.startsWith(QLatin1String("scene=")))
            snapshot.files << line.mid(6);
    }
    if (process.exitCode() != 0)
        snapshot.log += QStringLiteral("\nexit code %1").arg(process.exitCode());
    return snapshot;
}

}  // namespace

TEST(PlatformParity, StillScenesRenderTheSamePixelsOnXcbAndHeadless)
{
    ASSERT_NE(std::getenv("DISPLAY"), nullptr) << "run under tools/with-xvfb.sh";
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());

    // Qt seeds its hashes at random per process, which changes the order glyphs enter the glyph
    // atlas and so, by a unit here and there, how text edges are sampled: even two runs on one
    // platform differ then. A fixed seed makes every run give the same pixels.
    QProcessEnvironment base = QProcessEnvironment::systemEnvironment();
    base.insert(QStringLiteral("QT_HASH_SEED"), QStringLiteral("0"));

    QProcessEnvironment on_x = base;
    on_x.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    const Snapshot xcb = take_snapshot(dir.filePath(QStringLiteral("xcb")), on_x);

    // Headless as a machine without any display server has it.
    QProcessEnvironment no_display = base;
    no_display.remove(QStringLiteral("DISPLAY"));
    no_display.remove(QStringLiteral("WAYLAND_DISPLAY"));
    no_display.remove(QStringLiteral("QT_QPA_PLATFORM"));
    const Snapshot headless = take_snapshot(dir.filePath(QStringLiteral("headless")), no_display);

    ASSERT_EQ(xcb.platform, QStringLiteral("xcb")) << xcb.log.toStdString();
    ASSERT_EQ(headless.platform, QStringLiteral("headless")) << headless.log.toStdString();
    ASSERT_EQ(xcb.files.size(), 3) << xcb.log.toStdString();
    ASSERT_EQ(headless.files, xcb.files) << headless.log.toStdString();

    for (const QString& file : xcb.files) {
        const QImage a(dir.filePath(QStringLiteral("xcb/") + file));
        const QImage b(dir.filePath(QStringLiteral("headless/") + file));
        ASSERT_FALSE(a.isNull()) << file.toStdString();
        ASSERT_EQ(a.size(), b.size()) << file.toStdString();
        const QImage ra = a.convertToFormat(QImage::Format_RGBA8888);
        const QImage rb = b.convertToFormat(QImage::Format_RGBA8888);
        qint64 differing = 0;
        int largest = 0;
        bool varied = false;  // something was drawn: not a single colour
        const QRgb first = ra.pixel(0, 0);
        for (int y = 0; y < ra.height(); ++y) {
            const uchar* pa = ra.constScanLine(y);
            const uchar* pb = rb.constScanLine(y);
            for (int x = 0; x < ra.width(); ++x) {
                int pixel_largest = 0;
                for (int c = 0; c < 4; ++c)
                    pixel_largest = std::max(pixel_largest, std::abs(pa[4 * x + c] - pb[4 * x + c]));
                differing += pixel_largest > 0;
                largest = std::max(largest, pixel_largest);
            }
            for (int x = 0; x < ra.width() && !varied; ++x)
                varied = ra.pixel(x, y) != first;
        }
        EXPECT_EQ(differing, 0) << file.toStdString() << ": " << differing
                                << " pixels differ, by up to " << largest << " in a channel";
        EXPECT_TRUE(varied) << file.toStdString() << " is a single colour";
    }
}
