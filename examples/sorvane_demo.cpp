// The stand-in engine host's demo: starts the library's Qt application the way the engine's
// extension does, prints the version and each state the runtime passes through, and stops.

#include <sorvane/sorvane.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

using namespace sorvane;

int main(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::printf("usage: sorvane-demo [--project-root DIR]\n"
                        "Starts the library's Qt application, prints its version and states, and stops.\n");
            return 0;
        }
        if (arg == "--project-root" && i + 1 < argc)
            opts::PATH_PROJECT_ROOT = argv[++i];
    }

    const auto start = std::chrono::steady_clock::now();
    auto elapsed_ms = [&] {
        return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    };

    std::printf("libsorvane %s\n", S::get_version_full().c_str());
    std::printf("[%7.1f ms] state: not started\n", elapsed_ms());
    S::create_app();
    std::printf("[%7.1f ms] state: starting (Qt thread launched)\n", elapsed_ms());
    S::ensure_qt_eventloop_is_running();
    std::printf("[%7.1f ms] state: running (application and context ready)\n", elapsed_ms());

    SQuickView view;
    std::printf("[%7.1f ms] created a view on the Qt thread; its refresh rate is %d Hz\n", elapsed_ms(),
                view.get_refresh_rate());
    view.destroy();

    S::destroy();
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    std::printf("[%7.1f ms] state: stopped\n", elapsed_ms());
    std::fflush(stdout);
    std::_Exit(0);
}
