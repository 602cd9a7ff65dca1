// Exporting a game for Linux with the addon: Godot copies the extension's own library beside the
// executable, and this export plugin puts the rest of the addon folder there too, as
// <export folder>/addons/webview/: libsorvane.so.0, the queue-lock layer, the Qt runtime and the
// licence texts. The
// extension's RUNPATH ($ORIGIN/addons/webview) finds the library there, and the library finds
// its runtime beside itself, as in the editor's layout.
//
// The plugin is native and registered by the extension at the EDITOR level through an editor
// plugin that Godot adds by itself, so it works without being enabled in the project settings
// (a game that uses the addon cannot forget it). It copies with the files' modes and symbolic
// links kept: the web engine's helper process must stay executable, which Godot's own copy of
// shared objects does not keep.
#pragma once

#include <string>
#include <vector>

namespace sorvane_godot {

// The entries of the addon folder that an exported game needs beside its executable.
const std::vector<std::string>& exported_addon_entries();

// Copies those entries from `addon` into `<export_dir>/addons/webview`, replacing older copies;
// "" on success, otherwise what went wrong.
std::string copy_addon_for_export(const std::string& addon, const std::string& export_dir);

// Registers the plugin's classes and adds the editor plugin (EDITOR level; only in the editor).
void register_export_plugin();
// Removes the editor plugin (EDITOR de-initialisation).
void unregister_export_plugin();

}  // namespace sorvane_godot
