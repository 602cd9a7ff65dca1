#include "interface.h"

#include <cstdio>

namespace sorvane_godot {

Interface gd;
GDExtensionClassLibraryPtr library = nullptr;

bool load_interface(GDExtensionInterfaceGetProcAddress get_proc_address, GDExtensionClassLibraryPtr lib)
{
    library = lib;
    bool complete = true;
#define SORVANE_GODOT_LOOK_UP(name, type)                                                         \
    gd.name = reinterpret_cast<type>(get_proc_address(#name));                                  \
    if (!gd.name) {                                                                             \
        std::fprintf(stderr, "webview extension: this Godot lacks the interface function %s\n", #name); \
        complete = false;                                                                       \
    }
    SORVANE_GODOT_INTERFACE(SORVANE_GODOT_LOOK_UP)
#undef SORVANE_GODOT_LOOK_UP
#define SORVANE_GODOT_LOOK_UP_OPTIONAL(name, type) gd.name = reinterpret_cast<type>(get_proc_address(#name));
    SORVANE_GODOT_OPTIONAL_INTERFACE(SORVANE_GODOT_LOOK_UP_OPTIONAL)
#undef SORVANE_GODOT_LOOK_UP_OPTIONAL
    return complete;
}

}  // namespace sorvane_godot
