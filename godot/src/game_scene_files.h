// A game's own QML scene (QmlView.source, such as "res://ui/hud.qml") as a file the library can
// read. Where res:// is a folder (a game run from the editor) the scene is read where it lies, and
// a change to its folder reloads it. In an exported game res:// lives in the .pck, which only
// Godot reads: the scene's folder, sub-folders included, is copied through Godot's file access
// into the user's cache first (imports, components and images are found beside the scene, so
// keep them in its folder).
#pragma once

#include <cstdint>
#include <string>

namespace sorvane_godot {

struct GameSceneFile {
    std::string path;        // the file the library loads; empty when there is none
    std::string res_folder;  // the scene's folder in res://, with a trailing slash
    std::string folder;      // where that folder's files are read, with a trailing slash
    bool copied = false;     // read from a copy (an exported game): no reloading
    std::string error;       // why there is no file
};

// Main thread.
GameSceneFile game_scene_file(const std::string& source);

// A number that changes when a file of `folder` or its sub-folders changes, comes or goes.
std::uint64_t folder_stamp(const std::string& folder);

// A path of the library's messages in the scene's terms: the scene's folder as res://.
std::string as_res_path(const GameSceneFile& scene, const std::string& path);

}  // namespace sorvane_godot
