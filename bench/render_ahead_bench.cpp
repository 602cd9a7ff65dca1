// What render() costs the host's thread with render ahead, against the default waited render()
// and against a raw blocking round trip to the library's thread, in one run: an animated
// 1920x1080 page and an animated 1920x1080 QML scene, the host calling render() at 60 Hz. Each
// round runs the three in turn; the figures are the medians of each round and their spread over
// the rounds. Also printed: the host's own frame rate and how many new frames reach the host
// per second in each mode.
//
//   render_ahead_bench [--rounds N] [--frames N] [--gpu]
//
// SORVANE_PROJECT_ROOT names a project root holding the Qt runtime directory
// (tools/make-runtime.sh), as for the web benchmarks.

#include "web_bench_common.h"

#include <QCoreApplication>
#include <QMetaObject>

#include <cstring>

using namespace webbench;
using namespace sorvane;

namespace {

constexpr unsigned kWidth = 1920;
constexpr unsigned kHeight = 1080;

struct Spread {
    double low, mid, high;
};

Spread spread(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return {values.front(), values[values.size() / 2], values.back()};
}

// One round of one mode: the host's frame loop at 60 Hz for `frames` frames.
struct Round {
    double call_us = 0;      // median caller-side time of the call
    double host_fps = 0;     // the host's frames per second (a slow call slows the loop)
    double new_frames = 0;   // frames per second in which the host was handed a new frame
};

Round run_round(int frames, const std::function<void()>& call, const std::function<unsigned long()>& shown)
{
    const auto period = std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(1.0 / 60));
    std::vector<double> us;
    int changes = 0;
    unsigned long last = shown ? shown() : 0;
    const auto start = Clock::now();
    auto next = start;
    for (int i = 0; i < frames; ++i) {
        next += period;
        std::this_thread::sleep_until(next);
        const auto call_start = Clock::now();
        call();
        us.push_back(ms_between(call_start, Clock::now()) * 1000.0);
        if (shown) {
            const unsigned long now_shown = shown();
            changes += now_shown != last;
            last = now_shown;
        }
        // A slow host frame pushes the next one back instead of bunching calls up.
        if (Clock::now() > next)
            next = Clock::now();
    }
    const double seconds = ms_between(start, Clock::now()) / 1000.0;
    return {median(us), frames / seconds, changes / seconds};
}

// A waited view and a view that renders ahead of the same content.
struct Pair {
    std::function<void()> waited_render;
    std::function<void()> ahead_render;
    // Which image the host samples now (answered without waiting, as an engine asks each frame).
    std::function<unsigned long()> ahead_shown;
};

void measure(const char* what, const Pair& pair, int rounds, int frames)
{
    QObject* qt = QCoreApplication::instance();
    std::vector<double> waited_us, ahead_us, raw_us, ratio, waited_fps, ahead_fps, ahead_new;
    for (int round = 0; round < rounds; ++round) {
        const Round w = run_round(frames, pair.waited_render, {});
        const Round a = run_round(frames, pair.ahead_render, pair.ahead_shown);
        const Round r = run_round(frames, [qt] { QMetaObject::invokeMethod(qt, [] {}, Qt::BlockingQueuedConnection); }, {});
        waited_us.push_back(w.call_us);
        ahead_us.push_back(a.call_us);
        raw_us.push_back(r.call_us);
        ratio.push_back(a.call_us / r.call_us);
        waited_fps.push_back(w.host_fps);
        ahead_fps.push_back(a.host_fps);
        ahead_new.push_back(a.new_frames);
    }
    const auto line = [](const char* name, const Spread& s, const char* unit) {
        std::printf("  %-36s %9.1f %s  [%.1f .. %.1f]\n", name, s.mid, unit, s.low, s.high);
    };
    std::printf("%s, render() at 60 Hz, %d rounds of %d host frames (median of each round, [spread])\n", what,
                rounds, frames);
    line("render() waited (default)", spread(waited_us), "us");
    line("render() rendering ahead", spread(ahead_us), "us");
    line("raw blocking round trip", spread(raw_us), "us");
    const Spread q = spread(ratio);
    std::printf("  %-36s %9.2f     [%.2f .. %.2f]  (target <= 1.2)\n", "ahead / raw round trip", q.mid, q.low, q.high);
    line("host frames per s, waited", spread(waited_fps), "  ");
    line("host frames per s, ahead", spread(ahead_fps), "  ");
    line("new frames handed over per s, ahead", spread(ahead_new), "  ");
    std::fflush(stdout);
}

template <typename V>
void prepare(V& view, standin::VulkanHost& host, bool ahead)
{
    standin::hand_over(host, view);
    view.set_resolution({kWidth, kHeight});
    view.set_refresh_rate(60);
    view.set_texture_layout(VK_IMAGE_LAYOUT_SHADER_READ_ONLY_OPTIMAL);
    view.set_render_ahead(ahead);
}

}  // namespace

int main(int argc, char** argv)
{
    int rounds = 5;
    int frames = 120;
    bool gpu = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--rounds" && i + 1 < argc)
            rounds = std::max(1, std::atoi(argv[++i]));
        else if (arg == "--frames" && i + 1 < argc)
            frames = std::max(10, std::atoi(argv[++i]));
        else if (arg == "--gpu")
            gpu = true;
        else {
            std::fprintf(stderr, "usage: render_ahead_bench [--rounds N] [--frames N] [--gpu]\n");
            return 2;
        }
    }

    try {
        const char* root = std::getenv("SORVANE_PROJECT_ROOT");
        if (!root || !*root)
            throw std::runtime_error("set SORVANE_PROJECT_ROOT to a project root with the Qt runtime directory "
                                     "(tools/make-runtime.sh <root>)");
        // Rendering ahead submits while the host does: the host enables the queue-lock layer.
        standin::HostOptions options;
        options.instance_extensions = {"VK_KHR_surface", "VK_KHR_xcb_surface"};
        options.queue_lock_layer_dir = SORVANE_LAYER_DIR;
        auto host = std::make_unique<standin::VulkanHost>(options);
        opts::PATH_PROJECT_ROOT = root;
        opts::GPU_DISABLED = !gpu;
        S::create_app();
        S::ensure_qt_eventloop_is_running();
        std::printf("device: %s\n", host->device_name().c_str());

        Site site;
        site.put("/anim.html", kAnimatedPage);
        site.install();
        SWebView waited_page, ahead_page;
        for (SWebView* view : {&waited_page, &ahead_page}) {
            prepare(*view, *host, view == &ahead_page);
            view->set_zoom_factor(100);
            Console console;
            console.attach(*view);
            view->set_url("res://bench/anim.html");
            if (!view->load())
                throw std::runtime_error("the web view did not load");
            console.wait_for(*view, "ready: ");
            view->set_func_javascript_console_log({});
        }
        if (ahead_page.get_textures_count() != 2)
            throw std::runtime_error("the page does not render ahead");
        measure("animated 1920x1080 page",
                {[&] { waited_page.render(); }, [&] { ahead_page.render(); },
                 [&] { return static_cast<unsigned long>(ahead_page.get_current_texture_index()); }},
                rounds, frames);
        waited_page.destroy();
        ahead_page.destroy();

        SQuickView waited_scene, ahead_scene;
        for (SQuickView* view : {&waited_scene, &ahead_scene}) {
            prepare(*view, *host, view == &ahead_scene);
            if (!view->load("BenchScenes", "Moving"))
                throw std::runtime_error("the QML scene did not load");
        }
        measure("animated 1920x1080 QML scene",
                {[&] { waited_scene.render(); }, [&] { ahead_scene.render(); },
                 [&] { return static_cast<unsigned long>(ahead_scene.get_current_texture_index()); }},
                rounds, frames);
        waited_scene.destroy();
        ahead_scene.destroy();
        S::destroy();
        std::_Exit(0);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "render_ahead_bench: %s\n", e.what());
        std::_Exit(1);
    }
}
