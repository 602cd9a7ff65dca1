// The library's lifetime inside Godot: started when the first view enters the scene tree of a
// running game (never in the editor), stopped at the extension's SCENE de-initialisation, after
// the views that are still alive have been destroyed.
#pragma once

#include <memory>
#include <string>

namespace sorvane { class SView; }

namespace sorvane_godot {

// Starts the library once (its Qt thread); true when it runs. Main thread.
bool start_library();

// A view's facade, shared by its node, the render thread's work and the stop.
using FacadeSlot = std::unique_ptr<sorvane::SView>;

// Keeps a view known, so that the stop destroys it if it is still alive then.
void track_view(const std::shared_ptr<FacadeSlot>& slot);
// Destroys the view and empties the slot (at most once, whoever comes first).
void destroy_view(FacadeSlot& slot);

// Destroys the views still alive and stops the library; nothing afterwards may use it.
void stop_library();

// The folder that holds addons/webview/ (the library's Qt runtime lies below it).
std::string project_root();
// The folder libsorvane.so.0 was loaded from: the addon folder (empty when unknown).
std::string addon_dir();

}  // namespace sorvane_godot
