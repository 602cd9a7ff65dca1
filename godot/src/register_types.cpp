// The extension's entry point and its initialisation levels:
//   CORE   before Godot creates its Vulkan instance: the environment the Vulkan loader reads
//   SCENE  the node classes; at its de-initialisation, the library stops (views still alive are
//          destroyed first), before Godot destroys its device
//   EDITOR the class reference, into the editor's help; the export plugin that puts the addon's
//          runtime beside an exported game
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "binding.h"
#include "camera_view.h"
#include "class_reference.h"
#include "export_plugin.h"
#include "interface.h"
#include "library.h"
#include "qml_view.h"
#include "screen_capture_view.h"
#include "video_player.h"
#include "web_requests.h"
#include "web_view.h"

namespace sorvane_godot {

namespace {

// Puts `value` in front of the ':'-separated list in environment variable `name`.
void prepend_to_list(const char* name, const std::string& value)
{
    const char* old = std::getenv(name);
    const std::string joined = old && *old ? value + ":" + old : value;
    setenv(name, joined.c_str(), 1);
}

// The environment that Godot's Vulkan instance is created with, which is why this runs at the
// CORE level: the library's queue-lock layer, from the addon folder's vulkan-layers/, goes into
// that instance, so that every submission to Godot's queues (its render thread's, its worker
// threads' and the library's) is serialised. Named in VK_INSTANCE_LAYERS, it sits above the
// layers Godot enables itself (--gpu-validation), so the validation layer sees the calls apart.
void prepare_vulkan_environment()
{
    const std::string layers = addon_dir() + "/vulkan-layers";
    if (access((layers + "/VkLayer_sorvane_queue_lock.json").c_str(), R_OK) != 0) {
        print_warning("the queue-lock layer is missing from " + layers +
                      ": views then render unsynchronised with Godot's own submissions");
        return;
    }
    prepend_to_list("VK_ADD_LAYER_PATH", layers);
    prepend_to_list("VK_INSTANCE_LAYERS", "VK_LAYER_SORVANE_queue_lock");
}

void initialize(void*, GDExtensionInitializationLevel level)
{
    if (level == GDEXTENSION_INITIALIZATION_CORE)
        prepare_vulkan_environment();
    if (level == GDEXTENSION_INITIALIZATION_SCENE) {
        register_class(QmlView::table());
        register_class(WebPermissionRequest::table());
        register_class(WebFileChooserRequest::table());
        register_class(WebView::table());
        register_class(VideoPlayer::table());
        register_class(CameraView::table());
        register_class(ScreenCaptureView::table());
    }
    if (level == GDEXTENSION_INITIALIZATION_EDITOR) {
        load_class_reference();
        register_export_plugin();
    }
}

void deinitialize(void*, GDExtensionInitializationLevel level)
{
    if (level == GDEXTENSION_INITIALIZATION_EDITOR)
        unregister_export_plugin();
    if (level == GDEXTENSION_INITIALIZATION_SCENE) {
        stop_library();
        unregister_classes();
    }
    if (level == GDEXTENSION_INITIALIZATION_CORE)
        release_string_names();
}

}  // namespace

}  // namespace sorvane_godot

extern "C" __attribute__((visibility("default"))) GDExtensionBool
sorvane_godot_init(GDExtensionInterfaceGetProcAddress get_proc_address, GDExtensionClassLibraryPtr library,
                   GDExtensionInitialization* initialization)
{
    if (!sorvane_godot::load_interface(get_proc_address, library))
        return false;
    initialization->minimum_initialization_level = GDEXTENSION_INITIALIZATION_CORE;
    initialization->userdata = nullptr;
    initialization->initialize = sorvane_godot::initialize;
    initialization->deinitialize = sorvane_godot::deinitialize;
    return true;
}
