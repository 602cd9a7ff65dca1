// Screen capture: a screen capture view showing the X screen while a window on it changes colour
// at 60 Hz and the host calls render() at 60 Hz. Prints the frames the capture
// delivers and the distinct frames that reach the texture per second, with the process's CPU
// seconds per second, against the same view and scene with the capture switched off (same run).
//
//   media_capture_bench [seconds]     (default 5)
//
// Run under Xvfb with the xcb platform (tools/with-xvfb.sh). SORVANE_PROJECT_ROOT names a project
// root holding the Qt runtime directory (tools/make-runtime.sh).

#include <sorvane/sorvane.h>

#include "media/screen_capture_view.h"
#include "runtime/carry.h"
#include "runtime/sorvane_ctx.h"

#include "media_bench_support.h"
#include "standin_host/hand_over.h"
#include "standin_host/vulkan_host.h"

#include <QColor>
#include <QGuiApplication>
#include <QPainter>
#include <QQuickItem>
#include <QRasterWindow>
#include <QScreen>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

using namespace sorvane;
using Clock = std::chrono::steady_clock;

namespace {

double seconds_since(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// A window in the screen's top-left corner that paints a new colour every 16 ms: the changing
// screen. It is kept small so that painting it costs the Qt thread little.
class ChangingScreen : public QRasterWindow {
public:
    ChangingScreen()
    {
        setFlags(Qt::FramelessWindowHint);
        setGeometry(QRect(QPoint(0, 0), QGuiApplication::primaryScreen()->size() / 4));
        connect(&m_timer, &QTimer::timeout, this, [this] {
            ++m_step;
            update();
        });
        m_timer.start(16);
    }
    std::atomic<int> painted{0};

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.fillRect(QRect(QPoint(0, 0), size()), QColor::fromHsv((m_step * 7) % 360, 255, 255));
        ++painted;
    }

private:
    QTimer m_timer;
    int m_step = 0;
};

class BenchCapture : public SScreenCaptureView {
public:
    ScreenCaptureView* qt() const { return static_cast<ScreenCaptureView*>(m_view); }
};

struct Figures {
    double delivered_per_second = 0;  // frames the capture put into the sink
    double distinct_per_second = 0;   // of those, rendered into the texture
    double cpu_per_second = 0;
};

}  // namespace

int main(int argc, char** argv)
{
    const double seconds = argc > 1 ? std::atof(argv[1]) : 5.0;
    const char* root = std::getenv("SORVANE_PROJECT_ROOT");
    opts::PATH_PROJECT_ROOT = root ? root : "";

    standin::HostOptions host_options;
    host_options.instance_extensions = {"VK_KHR_surface", "VK_KHR_xcb_surface"};
    standin::VulkanHost host(host_options);
    S::create_app();
    S::ensure_qt_eventloop_is_running();

    ChangingScreen* screen = carry::waited(SORVANE_CTX, [](SorvaneCtx*) {
        auto* window = new ChangingScreen;
        window->show();
        return window;
    });

    BenchCapture capture;
    standin::hand_over(host, capture);
    capture.set_resolution({1280, 720});
    capture.set_refresh_rate(60);
    if (!capture.load("Multimedia", "ScreenCapture")) {
        std::fprintf(stderr, "media_capture_bench: the ScreenCapture scene did not load\n");
        return 1;
    }
    media_bench::DistinctFrames frames;
    std::atomic<int> delivered{0};
    carry::waited(capture.qt(), [&frames, &delivered](ScreenCaptureView* v) {
        auto* sink = v->root_item()->findChild<QObject*>("videoOutput")->property("videoSink").value<QVideoSink*>();
        frames.watch(v, sink);
        QObject::connect(sink, &QVideoSink::videoFrameChanged, v, [&delivered] { ++delivered; }, Qt::DirectConnection);
    });

    auto drive = [&](double duration) {
        const int delivered_before = delivered;
        const int distinct_before = frames.distinct;
        const double cpu_before = media_bench::cpu_seconds();
        const auto start = Clock::now();
        auto next = start;
        while (seconds_since(start) < duration) {
            next += std::chrono::microseconds(16667);
            capture.render();
            std::this_thread::sleep_until(next);
        }
        const double wall = seconds_since(start);
        return Figures{(delivered - delivered_before) / wall, (frames.distinct - distinct_before) / wall,
                       (media_bench::cpu_seconds() - cpu_before) / wall};
    };

    drive(1.0);  // past the start of the capture
    const int painted_before = screen->painted;
    const auto paint_start = Clock::now();
    const Figures capturing = drive(seconds);
    const double painted_per_second = (screen->painted - painted_before) / seconds_since(paint_start);
    capture.set_active(false);
    drive(0.5);
    const Figures off = drive(seconds);

    std::printf("\nscreen capture, %.0f s, a 1920x1080 X screen (a window on it changing at 60 Hz) into a 1280x720 view, "
                "render() at 60 Hz, %u CPU cores\n", seconds, std::thread::hardware_concurrency());
    std::printf("  screen repainted:                 %7.1f times/s\n", painted_per_second);
    std::printf("  capture on:  delivered            %7.1f frames/s, %7.1f distinct frames/s in the texture, "
                "%.3f CPU s per s\n", capturing.delivered_per_second, capturing.distinct_per_second,
                capturing.cpu_per_second);
    std::printf("  capture off (baseline):           %7.1f distinct frames/s in the texture, %.3f CPU s per s\n",
                off.distinct_per_second, off.cpu_per_second);
    std::printf("  texture frames / delivered:       %.3f; CPU on / off: %.2fx\n",
                capturing.distinct_per_second / capturing.delivered_per_second,
                capturing.cpu_per_second / off.cpu_per_second);
    std::fflush(stdout);
    capture.destroy();
    S::destroy();
    std::_Exit(0);
}
