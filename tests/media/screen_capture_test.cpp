// The screen capture view and the screen list, under Xvfb with the xcb platform. The X root
// window is painted a known colour with xsetroot and looked for in the view's texture.
//
// The tests named TwoScreens.* need an X server with two screens; ctest runs them in a second
// process under an Xvfb of their own (SORVANE_XVFB_SCREENS), the others on the usual one. The
// tests named Headless.* run with no display server at all, on the headless platform.

#include "media/screen_capture_view.h"
#include "media/screen_choice.h"
#include "media/screen_recorder.h"

#include "media_test_support.h"

#include <QGuiApplication>
#include <QProcess>
#include <QQuickItem>
#include <QScreen>
#include <QScreenCapture>
#include <QVideoSink>

#include <atomic>
#include <memory>

using namespace sorvane;
using namespace media_test;
using namespace std::chrono_literals;

namespace {

// Asked before the library starts, when there is no application yet.
std::size_t g_screens_before_start = 99;

[[maybe_unused]] const bool g_started = [] {
    g_screens_before_start = SView().get_physical_screens().size();
    start_library_in_every_test_process();
    return true;
}();

using Capture = Hosted<SScreenCaptureView, ScreenCaptureView>;

class ScreenCaptureTest : public ::testing::Test {
protected:
    void TearDown() override { expect_no_validation_messages(); }
};
using TwoScreens = ScreenCaptureTest;
using Headless = ScreenCaptureTest;

// Paints the root window of the test's X display.
void paint_root(const char* colour)
{
    QProcess xsetroot;
    xsetroot.start("xsetroot", {"-solid", colour});
    ASSERT_TRUE(xsetroot.waitForFinished(10000)) << "xsetroot (x11-xserver-utils) did not run";
    ASSERT_EQ(xsetroot.exitCode(), 0) << xsetroot.readAllStandardError().toStdString();
}

// The screen the view's recorder captures, as an index into QGuiApplication::screens().
int captured_screen(const Capture& capture)
{
    return capture.inside([](ScreenCaptureView* v) {
        auto* recorder = v->root_item()->findChild<ScreenRecorder*>("recorder");
        if (!recorder || !recorder->screen_capture()->screen())
            return -1;
        return static_cast<int>(QGuiApplication::screens().indexOf(recorder->screen_capture()->screen()));
    });
}

bool capturing(const Capture& capture)
{
    return capture.inside([](ScreenCaptureView* v) {
        auto* recorder = v->root_item()->findChild<ScreenRecorder*>("recorder");
        return recorder && recorder->screen_capture()->isActive();
    });
}

// Whether most of the view shows `colour` (the capture is letterboxed into the view).
bool shows(const Capture& capture, QRgb colour)
{
    const QImage image = capture.frame();
    const QRect middle(image.width() / 4, image.height() / 4, image.width() / 2, image.height() / 2);
    return count_near(image, middle, colour, 6) > middle.width() * middle.height() * 9 / 10;
}

}  // namespace

TEST_F(ScreenCaptureTest, OneScreenIsDescribedWithItsNineEntries)
{
    EXPECT_EQ(g_screens_before_start, 0u);
    const auto screens = SView().get_physical_screens();  // no view needed
    ASSERT_EQ(screens.size(), 1u) << "the test's X server should have exactly one screen";
    const auto& screen = screens[0];
    std::vector<std::string> keys;
    for (const auto& [key, value] : screen)
        keys.push_back(key);
    EXPECT_EQ(keys, (std::vector<std::string>{"availableSize", "isLandscape", "isPortrait", "manufacturer",
                                              "model", "name", "refreshRate", "serialNumber", "virtualSize"}));
    EXPECT_EQ(screen.at("isLandscape"), "true");
    EXPECT_EQ(screen.at("isPortrait"), "false");
    EXPECT_EQ(screen.at("refreshRate"), "60.000000");
    EXPECT_EQ(screen.at("availableSize"), "1920x1080");
    EXPECT_EQ(screen.at("virtualSize"), "1920x1080");
    EXPECT_EQ(screen.at("name"), QGuiApplication::primaryScreen()->name().toStdString());
}

TEST_F(ScreenCaptureTest, TheScreenChoiceRules)
{
    using media::choose_screen;
    const QList<media::ScreenIdentity> two = {{"SN-0001", "Builtin Panel", "eDP-1"},
                                              {"", "DELL U2720Q", "DP-2"}};
    WarningRecorder warnings;
    EXPECT_EQ(choose_screen(two, ""), 0);
    EXPECT_EQ(choose_screen(two, "-1"), 0);
    EXPECT_EQ(choose_screen(two, "0"), 0);
    EXPECT_EQ(choose_screen(two, "1"), 1);
    EXPECT_EQ(choose_screen(two, "dell"), 1);   // the model of the second, the serial of none
    EXPECT_EQ(choose_screen(two, "sn-00"), 0);  // a serial number
    EXPECT_EQ(choose_screen(two, "dp-2"), 1);   // a name
    EXPECT_TRUE(warnings.messages().isEmpty());

    EXPECT_EQ(choose_screen(two, "3"), 0);
    ASSERT_EQ(warnings.messages().size(), 1);
    EXPECT_EQ(warnings.messages()[0], "CaptureScreen: wrong screen number supplied (index 3, available: 2), "
                                      "returning default primary screen");
    EXPECT_EQ(choose_screen(two, "-7"), 0);
    EXPECT_EQ(choose_screen(two, "hdmi"), 0);
    ASSERT_EQ(warnings.messages().size(), 3);
    EXPECT_EQ(warnings.messages()[2], "CaptureScreen: returning default primary screen");

    EXPECT_EQ(choose_screen({}, "-1"), -1);  // nothing to capture: no crash, a warning
    EXPECT_EQ(warnings.messages().size(), 4);
}

TEST_F(ScreenCaptureTest, TheRootWindowsColourReachesTheTextureAndActiveSwitchesTheCapture)
{
    ASSERT_NO_FATAL_FAILURE(paint_root("#ff8000"));
    Capture capture;
    capture.set_resolution({640, 360});
    ASSERT_TRUE(capture.load("Multimedia", "ScreenCapture"));
    EXPECT_EQ(captured_screen(capture), 0);
    EXPECT_TRUE(capturing(capture));
    ASSERT_TRUE(wait_until([&] { return shows(capture, qRgb(255, 128, 0)); }))
        << "the root window's colour never reached the texture";

    ASSERT_NO_FATAL_FAILURE(paint_root("#0040ff"));
    ASSERT_TRUE(wait_until([&] { return shows(capture, qRgb(0, 64, 255)); })) << "the capture is not live";

    capture.set_active(false);
    EXPECT_FALSE(capturing(capture));
    ASSERT_NO_FATAL_FAILURE(paint_root("#ff8000"));
    std::this_thread::sleep_for(300ms);
    EXPECT_TRUE(shows(capture, qRgb(0, 64, 255))) << "the picture changed while the capture was off";

    capture.set_active(true);
    EXPECT_TRUE(capturing(capture));
    ASSERT_TRUE(wait_until([&] { return shows(capture, qRgb(255, 128, 0)); }));
}

TEST_F(ScreenCaptureTest, TheRecorderTakesASinkOnceAndStartsWithActive)
{
    const auto [changes_after_two_writes, capture_on_after_set_up, capture_on_after_slot] =
        Capture().inside([](ScreenCaptureView* v) {
            ScreenRecorder recorder;
            QVideoSink sink;
            int changes = 0;
            QObject::connect(&recorder, &ScreenRecorder::videoSinkChanged, v, [&changes] { ++changes; });
            recorder.set_video_sink(&sink);
            recorder.set_video_sink(&sink);  // the same sink: nothing happens
            const int changes_after_two = changes;
            const bool after_set_up = recorder.screen_capture()->isActive();
            recorder.on_set_active();
            const bool after_slot = recorder.screen_capture()->isActive();
            recorder.set_active(false);
            recorder.set_video_sink(nullptr);
            return std::tuple(changes_after_two, after_set_up, after_slot);
        });
    EXPECT_EQ(changes_after_two_writes, 1);
    EXPECT_FALSE(capture_on_after_set_up);  // active starts true, the capture itself off
    EXPECT_TRUE(capture_on_after_slot);
}

TEST_F(TwoScreens, TheHintChoosesTheCapturedScreenAndTheListHasBoth)
{
    const auto screens = SView().get_physical_screens();
    ASSERT_EQ(screens.size(), 2u) << "this test needs an X server with two screens (SORVANE_XVFB_SCREENS)";
    EXPECT_EQ(screens[0].at("virtualSize"), "1920x1080");
    EXPECT_EQ(screens[1].at("availableSize"), "1280x1024");
    EXPECT_EQ(screens[1].at("isLandscape"), "true");

    WarningRecorder warnings;
    Capture capture;
    capture.set_resolution({640, 360});
    capture.set_physical_screen("1");  // before the load: the first set-up takes it
    ASSERT_TRUE(capture.load("Multimedia", "ScreenCapture"));
    EXPECT_EQ(captured_screen(capture), 1);

    capture.set_physical_screen("3");  // out of range: the primary screen, with a warning
    ASSERT_TRUE(wait_until([&] { return captured_screen(capture) == 0; }));
    EXPECT_TRUE(warnings.contains("CaptureScreen: wrong screen number supplied (index 3, available: 2)"));

    capture.set_physical_screen("1");
    ASSERT_TRUE(wait_until([&] { return captured_screen(capture) == 1; }));
    capture.set_physical_screen("0");
    ASSERT_TRUE(wait_until([&] { return captured_screen(capture) == 0; }));
    EXPECT_TRUE(capturing(capture));
}

TEST_F(Headless, NoScreenIsListedAndTheCaptureWarnsAndStaysOff)
{
    ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("headless")) << "run with no display server";
    // The platform's own screen stands for no physical screen.
    EXPECT_EQ(QGuiApplication::screens().size(), 1);
    EXPECT_TRUE(SView().get_physical_screens().empty());

    WarningRecorder warnings;
    Capture capture;
    capture.set_resolution({640, 360});
    ASSERT_TRUE(capture.load("Multimedia", "ScreenCapture"));
    EXPECT_EQ(captured_screen(capture), -1);
    EXPECT_FALSE(capturing(capture));
    EXPECT_TRUE(warnings.contains("CaptureScreen: no screen to capture"));

    capture.set_active(false);
    capture.set_active(true);
    EXPECT_FALSE(capturing(capture));
    EXPECT_FALSE(capture.frame().isNull());  // the view itself still renders
}
