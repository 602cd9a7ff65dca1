// The stand-in engine host's demo: it starts the library the way an engine extension does, hands
// its own Vulkan instance and device to each view, renders the built-in scenes into the views'
// textures, reads the textures back through their VkImage handles and writes them as PNG files.

#include <sorvane/sorvane.h>

#include "standin_host/hand_over.h"
#include "standin_host/vulkan_host.h"

#include <QDir>
#include <QImage>
#include <QString>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>
#include <thread>
#include <vector>

using namespace sorvane;
using Clock = std::chrono::steady_clock;

namespace {

struct Scene {
    std::string module;
    std::string name;
};

const std::vector<Scene> kDefaultScenes = {
    {"Splash", "Splash"},       {"Splash", "StackViewFancy"}, {"Debug", "Debug"},
    {"Debug", "DebugMouse"},    {"Debug", "DebugLatency"},    {"Debug", "DebugVideo"},
};

struct Options {
    std::vector<Scene> scenes = kDefaultScenes;
    unsigned width = 1920;
    unsigned height = 1080;
    int frames = 60;
    std::string output = "out";
    std::string project_root;
};

void usage()
{
    std::printf(
        "usage: sorvane-demo [options]\n"
        "Renders the library's built-in scenes on this machine's Vulkan device and writes the\n"
        "last frame of each as a PNG file.\n\n"
        "  --scene MODULE/NAME   a scene to render (repeatable; default: every Splash and Debug scene)\n"
        "  --resolution WxH      view size in pixels (default 1920x1080)\n"
        "  --frames N            frames to render per scene (default 60)\n"
        "  --output DIR          where the PNG files go (default ./out)\n"
        "  --project-root DIR    game project root holding addons/webview/linux_x86_64-runtime\n"
        "  --help                this text\n");
}

bool parse(int argc, char** argv, Options& options)
{
    bool scenes_given = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= argc)
                throw std::runtime_error(arg + " needs a value");
            return argv[++i];
        };
        if (arg == "--help" || arg == "-h") {
            usage();
            std::exit(0);
        } else if (arg == "--scene") {
            const std::string scene = value();
            const auto slash = scene.find('/');
            if (slash == std::string::npos)
                throw std::runtime_error("--scene takes MODULE/NAME, for example Debug/DebugMouse");
            if (!scenes_given)
                options.scenes.clear();
            scenes_given = true;
            options.scenes.push_back({scene.substr(0, slash), scene.substr(slash + 1)});
        } else if (arg == "--resolution") {
            if (std::sscanf(value().c_str(), "%ux%u", &options.width, &options.height) != 2)
                throw std::runtime_error("--resolution takes WIDTHxHEIGHT, for example 1920x1080");
        } else if (arg == "--frames") {
            options.frames = std::max(1, std::atoi(value().c_str()));
        } else if (arg == "--output") {
            options.output = value();
        } else if (arg == "--project-root") {
            options.project_root = value();
        } else {
            throw std::runtime_error("unknown option " + arg + " (see --help)");
        }
    }
    return true;
}

double ms_since(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Moves the mouse in a circle, holds the left button, scrolls and types, so that the picture of
// DebugMouse shows input.
void drive_input(const SView& view, int frame, unsigned width, unsigned height)
{
    const unsigned x = width / 2 + static_cast<unsigned>(static_cast<int>(width / 4) * (frame % 20) / 20);
    const unsigned y = height / 2;
    view.mouse_move(x, y);
    if (frame == 5)
        view.mouse_click(0, 0, x, y);  // left button held until the end
    if (frame == 10 || frame == 12)
        view.mouse_wheel_up(x, y);
    if (frame == 14)
        view.key_event(0x41 /* Qt::Key_A */, 0, "Ctrl+a");
}

}  // namespace

int main(int argc, char** argv)
{
    Options options;
    try {
        parse(argc, argv, options);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "sorvane-demo: %s\n", e.what());
        return 2;
    }
    opts::PATH_PROJECT_ROOT = options.project_root;
    QDir().mkpath(QString::fromStdString(options.output));
    const QString output = QDir(QString::fromStdString(options.output)).absolutePath();

    const auto start = Clock::now();
    std::printf("libsorvane %s\n", S::get_version_full().c_str());
    std::printf("[%8.1f ms] state: not started\n", ms_since(start));

    try {
        standin::HostOptions host_options;
        host_options.instance_extensions = {"VK_KHR_surface", "VK_KHR_xcb_surface"};
        standin::VulkanHost host(host_options);
        std::printf("[%8.1f ms] host Vulkan device: %s\n", ms_since(start), host.device_name().c_str());

        S::create_app();
        std::printf("[%8.1f ms] state: starting\n", ms_since(start));
        S::ensure_qt_eventloop_is_running();
        std::printf("[%8.1f ms] state: running\n", ms_since(start));

        int failures = 0;
        std::vector<std::string> written;
        for (const Scene& scene : options.scenes) {
            const std::string label = scene.module + "/" + scene.name;
            SQuickView view;
            standin::hand_over(host, view);
            view.set_resolution({options.width, options.height});

            const auto load_start = Clock::now();
            if (!view.load(scene.module, scene.name)) {
                std::printf("[%8.1f ms] %-22s FAILED to load (see the warnings above)\n", ms_since(start),
                            label.c_str());
                ++failures;
                view.destroy();
                continue;
            }
            const double load_ms = ms_since(load_start);
            const auto [width, height] = view.get_resolution();
            const unsigned long texture = view.get_texture();

            std::vector<double> frame_ms;
            for (int frame = 0; frame < options.frames; ++frame) {
                if (scene.name == "DebugMouse")
                    drive_input(view, frame, width, height);
                std::this_thread::sleep_for(std::chrono::milliseconds(17));  // one engine frame at 60 Hz
                const auto frame_start = Clock::now();
                view.render();
                frame_ms.push_back(ms_since(frame_start));
            }
            view.mouse_click(0, 1, width / 2, height / 2);

            const QImage image = host.read_back(texture, static_cast<int>(width), static_cast<int>(height));
            const QString file = output + "/" + QString::fromStdString(scene.module + "-" + scene.name) + ".png";
            const bool saved = standin::save_png(image, file);
            std::sort(frame_ms.begin(), frame_ms.end());
            std::printf("[%8.1f ms] %-22s load %7.1f ms, %d frames, render median %6.2f ms, max %6.2f ms -> %s\n",
                        ms_since(start), label.c_str(), load_ms, options.frames, frame_ms[frame_ms.size() / 2],
                        frame_ms.back(), saved ? file.toUtf8().constData() : "(not saved)");
            if (saved)
                written.push_back(file.toStdString());
            else
                ++failures;
            view.destroy();
        }

        S::destroy();
        std::printf("[%8.1f ms] state: stopped\n", ms_since(start));
        std::printf("\n%zu PNG file(s) in %s\n", written.size(), output.toUtf8().constData());
        std::fflush(stdout);
        std::_Exit(failures == 0 ? 0 : 1);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "sorvane-demo: %s\n", e.what());
        std::_Exit(1);
    }
}
