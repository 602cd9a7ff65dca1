#include "test_host.h"
#include "threads.h"

#include <sorvane/sorvane.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace test_host {

namespace {

standin::VulkanHost* g_host = nullptr;

// Ends the library's event loop when the test program ends, before the process's exit destroys
// the statics that the Qt thread still uses. The exit that follows is a game's exit, which must
// not race the web engine's screen-capture threads (they take Xlib's global lock, which libX11
// frees at exit): after S::destroy() none may run, or the program fails.
class StopLibraryAtEnd : public ::testing::EmptyTestEventListener {
    void OnTestProgramEnd(const ::testing::UnitTest&) override
    {
        sorvane::S::destroy();
        if (const int capturing = test_threads::named("desktopCaptureT")) {
            std::fprintf(stderr, "FAILED: %d screen-capture thread(s) of the web engine still run after S::destroy()\n",
                         capturing);
            std::_Exit(1);
        }
        // Nor may the GPU thread set up GL while the exit destroys the driver's statics: it
        // sleeps in its park (nanosleep or clock_nanosleep) until the process is gone.
        if (const int working = test_threads::gpu_threads_not_parked()) {
            std::fprintf(stderr, "FAILED: %d GPU thread(s) of the web engine not parked after S::destroy():\n%s", working,
                         test_threads::describe_named("Chrome_InProcGp", test_threads::kParkedCalls).c_str());
            std::_Exit(1);
        }
    }
};

}  // namespace

void start(bool gpu_disabled, bool synchronization_validation)
{
    standin::HostOptions options;
    options.validation = true;
    options.synchronization_validation = synchronization_validation;
    options.instance_extensions = {"VK_KHR_surface", "VK_KHR_xcb_surface"};
    // Every submission of the host's threads and the library's is serialised, as in an engine
    // that ships the addon.
    options.queue_lock_layer_dir = SORVANE_LAYER_DIR;
    g_host = new standin::VulkanHost(options);
    sorvane::opts::PATH_PROJECT_ROOT = TEST_PROJECT_ROOT;
    sorvane::opts::GPU_DISABLED = gpu_disabled;
    sorvane::S::create_app();
    sorvane::S::ensure_qt_eventloop_is_running();
    ::testing::UnitTest::GetInstance()->listeners().Append(new StopLibraryAtEnd);
    // The host lives until the process ends; the application until the test program ends.
}

standin::VulkanHost& host()
{
    return *g_host;
}

void expect_no_validation_messages()
{
    for (const std::string& message : g_host->validation_messages())
        ADD_FAILURE() << "Vulkan validation: " << message;
    g_host->clear_validation_messages();
}

}  // namespace test_host
