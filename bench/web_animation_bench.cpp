// An animated 1920x1080 page (a CSS animation and a requestAnimationFrame counter) with the host
// calling render() at 60 Hz: how many distinct frames reach the texture per second, against the
// page's own frame count. Every frame is read back and compared with the one before. When a
// render() and its read-back take longer than 1/60 s the host's loop runs slower, as an engine's
// would; the figures show both rates. Then the same view shows a still page: a due render() of
// it, against the raw blocking round trip to the Qt thread at the same pacing.
//
//   web_animation_bench [--seconds N] [--gpu]

#include "web_bench_common.h"

#include <QCoreApplication>
#include <QImage>
#include <QMetaObject>

#include <cstring>

using namespace webbench;
using namespace sorvane;

namespace {

constexpr unsigned kWidth = 1920;
constexpr unsigned kHeight = 1080;

const std::string kStillPage = R"(<!DOCTYPE html><html><head><style>
html, body { margin: 0; background: #202830; color: white; font: 48px sans-serif; }
</style></head><body><p>A menu page that does not move.</p><script>console.log("still: ");</script>
</body></html>)";

struct Spread {
    double low, mid, high;
};

Spread spread(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return {values.front(), values[values.size() / 2], values.back()};
}

}  // namespace

int main(int argc, char** argv)
{
    double seconds = 5;
    bool gpu = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--seconds" && i + 1 < argc)
            seconds = std::max(1.0, std::atof(argv[++i]));
        else if (arg == "--gpu")
            gpu = true;
        else {
            std::fprintf(stderr, "usage: web_animation_bench [--seconds N] [--gpu]\n");
            return 2;
        }
    }

    try {
        auto host = start_library(!gpu);
        Site site;
        site.put("/anim.html", kAnimatedPage);
        site.install();

        SWebView view;
        standin::hand_over(*host, view);
        view.set_resolution({kWidth, kHeight});
        view.set_refresh_rate(60);
        view.set_zoom_factor(100);
        Console console;
        console.attach(view);
        view.set_url("res://bench/anim.html");
        if (!view.load())
            throw std::runtime_error("the web view did not load");
        const unsigned long texture = view.get_texture();
        console.wait_for(view, "ready: ");
        for (int i = 0; i < 60; ++i) {  // settle
            std::this_thread::sleep_for(16ms);
            view.render();
        }

        const char* count_script = "console.log('raf: ' + rafCount + ' ' + performance.now())";
        view.run_javascript(count_script);
        const std::string first = console.wait_for(view, "raf: ");

        // The host's frame loop: render() every 1/60 s, then read the texture back.
        const auto period = std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(1.0 / 60));
        const auto start = Clock::now();
        auto next = start;
        int renders = 0;
        int distinct = 0;
        std::vector<double> render_ms, read_back_ms;
        QImage previous;
        while (ms_between(start, Clock::now()) < seconds * 1000) {
            next += period;
            std::this_thread::sleep_until(next);
            const auto render_start = Clock::now();
            view.render();
            render_ms.push_back(ms_between(render_start, Clock::now()));
            ++renders;
            const auto read_start = Clock::now();
            QImage image = host->read_back(texture, kWidth, kHeight);
            read_back_ms.push_back(ms_between(read_start, Clock::now()));
            if (previous.isNull() || std::memcmp(image.constBits(), previous.constBits(), image.sizeInBytes()) != 0)
                ++distinct;
            previous = std::move(image);
        }
        const double elapsed_s = ms_between(start, Clock::now()) / 1000.0;
        view.run_javascript(count_script);
        const std::string last = console.wait_for(view, "raf: ");

        const double raf_frames = std::strtod(last.c_str(), nullptr) - std::strtod(first.c_str(), nullptr);
        const double raf_seconds = (std::strtod(last.substr(last.find(' ') + 1).c_str(), nullptr) -
                                    std::strtod(first.substr(first.find(' ') + 1).c_str(), nullptr)) /
                                   1000.0;
        const double page_fps = raf_frames / raf_seconds;
        const double texture_fps = distinct / elapsed_s;
        std::printf("animated %ux%u page, host render() at 60 Hz for %.1f s, GPU_DISABLED %s\n", kWidth, kHeight,
                    elapsed_s, gpu ? "off" : "on");
        std::printf("  host render() calls              %6.1f per s\n", renders / elapsed_s);
        std::printf("  distinct frames in the texture   %6.1f per s\n", texture_fps);
        std::printf("  page requestAnimationFrame       %6.1f per s\n", page_fps);
        std::printf("  texture frames / page frames     %6.2f\n", texture_fps / page_fps);
        std::printf("  render() call                    median %.2f ms\n", median(render_ms));
        std::printf("  read-back of one frame (host)    median %.2f ms\n", median(read_back_ms));
        std::fflush(stdout);

        // The still page: once it has settled, a due render() has nothing to draw.
        site.put("/still.html", kStillPage);
        view.set_url("res://bench/still.html");
        console.wait_for(view, "still: ");
        for (int i = 0; i < 120; ++i) {
            std::this_thread::sleep_for(17ms);
            view.render();
        }
        QObject* qt = QCoreApplication::instance();
        auto time_due = [](int n, const std::function<void()>& call) {
            std::vector<double> us;
            for (int i = 0; i < n; ++i) {
                std::this_thread::sleep_for(17ms);  // every call is due at 60 Hz
                const auto start = Clock::now();
                call();
                us.push_back(ms_between(start, Clock::now()) * 1000.0);
            }
            return median(us);
        };
        std::vector<double> still_us, raw_us, ratios;
        for (int round = 0; round < 3; ++round) {
            still_us.push_back(time_due(120, [&] { view.render(); }));
            raw_us.push_back(time_due(120, [&] { QMetaObject::invokeMethod(qt, [] {}, Qt::BlockingQueuedConnection); }));
            ratios.push_back(still_us.back() / raw_us.back());
        }
        const Spread s = spread(still_us), r = spread(raw_us), q = spread(ratios);
        std::printf("still %ux%u page, due render() at 60 Hz, 3 rounds of 120 calls (median of each round)\n",
                    kWidth, kHeight);
        std::printf("  render() of the still page       %7.1f us  [%.1f .. %.1f]\n", s.mid, s.low, s.high);
        std::printf("  raw blocking round trip          %7.1f us  [%.1f .. %.1f]\n", r.mid, r.low, r.high);
        std::printf("  still render / raw round trip    %7.2f     [%.2f .. %.2f]  (target <= 1.2)\n", q.mid, q.low,
                    q.high);
        std::fflush(stdout);
        view.destroy();
        S::destroy();
        std::_Exit(0);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "web_animation_bench: %s\n", e.what());
        std::_Exit(1);
    }
}
