#include "test_host.h"

#include <sorvane/sorvane.h>

#include <gtest/gtest.h>

namespace test_host {

namespace {

standin::VulkanHost* g_host = nullptr;

// Ends the library's event loop when the test program ends, before the process's exit destroys
// the statics that the Qt thread still uses.
class StopLibraryAtEnd : public ::testing::EmptyTestEventListener {
    void OnTestProgramEnd(const ::testing::UnitTest&) override { sorvane::S::destroy(); }
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
