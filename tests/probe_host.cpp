// A small host process for the start-up tests: each configuration of the Qt application needs
// a process of its own. It sets the options from its arguments, starts the library, prints what
// it observes as KEY=VALUE lines on standard output, stops the library and exits normally.
//
//   probe_host [--project-root DIR] [--gpu-disabled] [--sandboxed] [--ffmpeg-debug]
//              [--set-ffmpeg-debug] [--logging-debug] [--create-twice] [--facade-first]
//              [--restart] [--expect-no-platform] [--show-scene]
//              [--instance-extensions NAME,NAME...]
//
// With --instance-extensions the probe makes a Vulkan instance with those extensions, as an
// engine does, and hands it to a view (instance_adopted=yes once the view took it).
// With --expect-no-platform the start is expected to find no Qt platform that can run: the probe
// reports what a host sees then (how long each call takes, whether facades get a view) and exits
// normally, as a game must be able to. With --show-scene it also shows the video player's scene (with
// its images) on a Vulkan host of its own for a second before it stops, as a game does.

#include <sorvane/sorvane.h>

#include "standin_host/hand_over.h"
#include "standin_host/vulkan_host_base.h"
#include "support/threads.h"

#include <QApplication>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

using namespace sorvane;
using Clock = std::chrono::steady_clock;

namespace {

void print(const char* key, const std::string& value)
{
    std::printf("%s=%s\n", key, value.c_str());
    std::fflush(stdout);
}

long ms_since(Clock::time_point start)
{
    return static_cast<long>(
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
}

// A facade that tells whether it holds a view.
class PeekedView : public SQuickView {
public:
    bool has_view() const { return m_view != nullptr; }
};

class PeekedWebView : public SWebView {
public:
    bool has_view() const { return m_view != nullptr; }
};

// What a host sees when no Qt platform can start: every call returns at once, with no view.
int probe_without_platform()
{
    const auto start = Clock::now();
    S::create_app();
    S::ensure_qt_eventloop_is_running();
    print("ensure_returned_ms", std::to_string(ms_since(start)));
    print("state", SORVANE == nullptr && SORVANE_APP == nullptr && SORVANE_CTX == nullptr ? "no-application" : "?");

    const auto facades = Clock::now();
    PeekedView quick;
    PeekedWebView web;
    print("facades_ms", std::to_string(ms_since(facades)));
    print("quick_has_view", quick.has_view() ? "yes" : "no");
    print("web_has_view", web.has_view() ? "yes" : "no");
    quick.set_resolution({1920, 1080});
    print("quick_load", quick.load("Splash", "Splash") ? "true" : "false");
    quick.render();
    print("quick_texture", std::to_string(quick.get_texture()));
    print("screens", std::to_string(quick.get_physical_screens().size()));
    quick.destroy();
    web.destroy();

    const auto stop = Clock::now();
    S::destroy();
    print("destroy_ms", std::to_string(ms_since(stop)));
    S::create_app();  // still nothing to start: says so
    print("state", "stopped");
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    bool create_twice = false, facade_first = false, restart = false, expect_no_platform = false;
    bool show_scene = false;
    std::vector<std::string> instance_extensions;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--project-root" && i + 1 < argc)
            opts::PATH_PROJECT_ROOT = argv[++i];
        else if (arg == "--gpu-disabled")
            opts::GPU_DISABLED = true;
        else if (arg == "--sandboxed")
            opts::SANDBOXED = true;
        else if (arg == "--ffmpeg-debug")
            opts::FFMPEG_DEBUG = true;
        else if (arg == "--set-ffmpeg-debug")
            S::set_ffmpeg_debug(true);
        else if (arg == "--logging-debug")
            opts::LOGGING_DEBUG = true;
        else if (arg == "--create-twice")
            create_twice = true;
        else if (arg == "--facade-first")
            facade_first = true;
        else if (arg == "--restart")
            restart = true;
        else if (arg == "--expect-no-platform")
            expect_no_platform = true;
        else if (arg == "--show-scene")
            show_scene = true;
        else if (arg == "--instance-extensions" && i + 1 < argc) {
            std::istringstream names(argv[++i]);
            for (std::string name; std::getline(names, name, ',');)
                instance_extensions.push_back(name);
        }
        else {
            std::fprintf(stderr, "probe_host: unknown argument %s\n", arg.c_str());
            return 2;
        }
    }

    print("version_before", S::get_version_full());
    print("state", SORVANE == nullptr && SORVANE_APP == nullptr && SORVANE_CTX == nullptr ? "not-started" : "?");
    if (expect_no_platform)
        return probe_without_platform();

    // A facade made before the start waits until the Qt side is running.
    std::thread early;
    long early_waited_ms = -1;
    bool early_has_view = false;
    if (facade_first) {
        early = std::thread([&] {
            const auto start = Clock::now();
            SQuickView view;
            early_waited_ms = ms_since(start);
            early_has_view = view.get_refresh_rate() == 63;  // a live view answers with its own rate
            view.destroy();
        });
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
    }

    if (create_twice) {
        std::thread other([] { S::create_app(); });
        S::create_app();
        other.join();
    } else {
        S::create_app();
    }
    print("state", "starting");
    S::ensure_qt_eventloop_is_running();
    print("state", SORVANE && SORVANE_APP && SORVANE_CTX ? "running" : "?");
    print("platform", QGuiApplication::platformName().toStdString());
    print("arguments", QCoreApplication::arguments().join(u' ').toStdString());

    if (facade_first) {
        early.join();
        print("early_facade_waited_ms", std::to_string(early_waited_ms));
        print("early_facade_has_view", early_has_view ? "yes" : "no");
    }

    for (const char* name : {"QML_IMPORT_PATH", "QT_PLUGIN_PATH", "QTWEBENGINEPROCESS_PATH",
                             "QTWEBENGINE_RESOURCES_PATH", "QTWEBENGINE_LOCALES_PATH", "QT_MEDIA_BACKEND",
                             "QT_FFMPEG_DEBUG", "QT_LOGGING_RULES", "QTWEBENGINE_CHROMIUM_FLAGS"}) {
        const char* value = std::getenv(name);
        print(name, value ? value : "<unset>");
    }

    if (!instance_extensions.empty()) {
        standin::HostOptions options;
        options.instance_extensions = instance_extensions;
        standin::VulkanHostBase host(options);
        VkInstance instance = host.instance();
        SQuickView adopting;
        adopting.set_view_monitor(instance);
        print("instance_adopted", adopting.get_refresh_rate() == 63 ? "yes" : "no");
        adopting.destroy();
    }

    PeekedView view;
    print("view_has_view", view.has_view() ? "yes" : "no");
    print("view_refresh_rate", std::to_string(view.get_refresh_rate()));
    print("physical_screens", std::to_string(view.get_physical_screens().size()));
    view.destroy();
    view.destroy();
    print("destroyed_refresh_rate", std::to_string(view.get_refresh_rate()));

    // The engine outlives the library, as it does in a game.
    std::unique_ptr<standin::VulkanHostBase> host;
    if (show_scene) {
        host = std::make_unique<standin::VulkanHostBase>();
        SVideoPlayerView player;
        standin::hand_over(*host, player);
        player.set_resolution({640, 360});
        print("scene_loaded", player.load("Multimedia", "VideoPlayer") ? "yes" : "no");
        // A second of frames, long enough for the scene's images to load and enter Qt's cache.
        for (int i = 0; i < 50; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            player.render();
        }
        player.destroy();
    }

    SQuickView kept;  // outlives the event loop
    SCameraView camera;
    camera.set_camera_hint("");  // wakes the media backend, whose statics the exit destroys
    std::this_thread::sleep_for(std::chrono::milliseconds(300));  // past the debug flusher's first period
    // Work still queued when the loop ends is dropped after the loop, on the Qt thread; here
    // dropping it takes 200 ms. destroy() returns only after that.
    std::atomic<bool> work_done{false};
    QObject::connect(SORVANE_APP, &QCoreApplication::aboutToQuit, [&work_done] {
        std::shared_ptr<int> slow_to_release(new int(0), [&work_done](int* p) {
            delete p;
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
            work_done = true;
        });
        QMetaObject::invokeMethod(SORVANE_APP, [slow_to_release] {}, Qt::QueuedConnection);
    });
    S::destroy();
    print("destroy_returned_after_loop_end", work_done ? "yes" : "no");
    print("gpu_threads_not_parked", std::to_string(test_threads::gpu_threads_not_parked()));
    const auto after = Clock::now();
    const int after_rate = kept.get_refresh_rate();  // must not wait for a loop that has ended
    print("after_stop_refresh_rate", std::to_string(after_rate));
    print("after_stop_call_ms", std::to_string(ms_since(after)));
    print("state", "stopped");

    if (restart)
        S::create_app();  // prints "application is already constructed"
    print("version_after", S::get_version_full());
    std::fflush(stdout);
    return 0;  // an ordinary exit: the process's statics are destroyed after the Qt thread stopped
}
