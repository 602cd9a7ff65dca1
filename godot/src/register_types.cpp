// The extension's entry point and its initialisation levels:
//   CORE   before Godot creates its Vulkan instance: the environment the Vulkan loader reads
//   SCENE  the node classes; at its de-initialisation, the library stops (views still alive are
//          destroyed first), before Godot destroys its device
#include <cstdlib>
#include <string>

#include "binding.h"
#include "interface.h"
#include "library.h"
#include "qml_view.h"
#include "web_view.h"

namespace sorvane_godot {

namespace {

// The environment that Godot's Vulkan instance is created with. The library's queue-serialising
// Vulkan layer is to be switched on here (through the loader's layer path and layer list
// variables), which is why this runs at the CORE level; until the addon folder carries such a
// layer, every Vulkan call of a view stays on Godot's render thread instead.
void prepare_vulkan_environment() {}

void initialize(void*, GDExtensionInitializationLevel level)
{
    if (level == GDEXTENSION_INITIALIZATION_CORE)
        prepare_vulkan_environment();
    if (level == GDEXTENSION_INITIALIZATION_SCENE) {
        register_class(QmlView::spec());
        register_class(WebView::spec());
    }
}

void deinitialize(void*, GDExtensionInitializationLevel level)
{
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
