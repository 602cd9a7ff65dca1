// Renders a fixed set of still scenes through views on the stand-in host and writes each frame,
// read back through its VkImage, as a PNG file. The platform parity test runs it once on each Qt
// platform and compares the files.
//
//   scene_snapshot OUTPUT_DIR
//
// Prints "platform=<name>" and then one "scene=<file>" line per file written; exits non-zero
// when a scene does not load.

#include <sorvane/sorvane.h>

#include "standin_host/hand_over.h"
#include "standin_host/vulkan_host.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>

#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <thread>

using namespace sorvane;

namespace {

struct Scene {
    const char* module;
    const char* name;
    std::function<void(SQuickView&)> drive;  // input before the frame is taken
};

void settle(const SQuickView& view)
{
    for (int i = 0; i < 8; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(12));
        view.render();
    }
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: scene_snapshot OUTPUT_DIR\n");
        return 2;
    }
    const QString output = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(output);

    standin::HostOptions options;
    options.instance_extensions = {"VK_KHR_surface", "VK_KHR_xcb_surface"};
    standin::VulkanHost host(options);
    opts::PATH_PROJECT_ROOT = TEST_PROJECT_ROOT;
    S::create_app();
    S::ensure_qt_eventloop_is_running();
    if (!SORVANE_APP) {
        std::fprintf(stderr, "scene_snapshot: the library did not start\n");
        return 1;
    }
    std::printf("platform=%s\n", QGuiApplication::platformName().toUtf8().constData());

    const Scene scenes[] = {
        {"TestScenes", "Colors", {}},
        {"TestScenes", "Parity", {}},
        {"Debug", "DebugMouse",
         [](SQuickView& view) {
             view.mouse_move(613, 407);
             view.mouse_click(0, 0, 613, 407);
             view.mouse_wheel_up(613, 407);
             view.key_event(Qt::Key_A, 0, "a");
         }},
    };
    int status = 0;
    for (const Scene& scene : scenes) {
        SQuickView view;
        standin::hand_over(host, view);
        view.set_resolution({1920, 1080});
        view.set_refresh_rate(120);
        if (!view.load(scene.module, scene.name)) {
            std::fprintf(stderr, "scene_snapshot: %s/%s did not load\n", scene.module, scene.name);
            status = 1;
            view.destroy();
            continue;
        }
        settle(view);
        if (scene.drive) {
            scene.drive(view);
            settle(view);
        }
        const QImage image = host.read_back(view.get_texture(), 1920, 1080);
        const QString file = QStringLiteral("%1/%2-%3.png").arg(output, scene.module, scene.name);
        if (!standin::save_png(image, file))
            status = 1;
        else
            std::printf("scene=%s\n", QFileInfo(file).fileName().toUtf8().constData());
        std::fflush(stdout);
        view.destroy();
    }
    S::destroy();
    return status;
}
