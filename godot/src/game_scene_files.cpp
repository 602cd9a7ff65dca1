#include "game_scene_files.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "resource_files.h"
#include "variant.h"

namespace sorvane_godot {

namespace {

namespace fs = std::filesystem;

std::vector<std::string> strings_of(const Variant& packed)
{
    std::vector<std::string> out;
    const std::int64_t count = packed.call("size").to_int();
    for (std::int64_t i = 0; i < count; ++i)
        out.push_back(packed.call("get", {Variant(i)}).to_string());
    return out;
}

// Copies res_folder (and its sub-folders) to folder through Godot's file access; false with
// `error` set when a file cannot be read or written.
bool copy_folder(const std::string& res_folder, const fs::path& folder, std::string& error)
{
    std::error_code code;
    fs::create_directories(folder, code);
    for (const std::string& name : strings_of(call_static("DirAccess", "get_files_at", {Variant(res_folder)}))) {
        std::vector<unsigned char> data;
        if (!read_project_file(res_folder + name, data)) {
            error = "cannot read " + res_folder + name;
            return false;
        }
        std::ofstream out(folder / name, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
        if (!out) {
            error = "cannot write " + (folder / name).string();
            return false;
        }
    }
    for (const std::string& name : strings_of(call_static("DirAccess", "get_directories_at", {Variant(res_folder)}))) {
        if (!copy_folder(res_folder + name + "/", folder / name, error))
            return false;
    }
    return true;
}

}  // namespace

GameSceneFile game_scene_file(const std::string& source)
{
    GameSceneFile scene;
    const std::size_t slash = source.rfind('/');
    if (!source.starts_with("res://") || slash == std::string::npos || slash + 1 == source.size()) {
        scene.error = "the scene must be a file of the game, such as res://ui/hud.qml (was \"" + source + "\")";
        return scene;
    }
    scene.res_folder = source.substr(0, slash + 1);
    const std::string name = source.substr(slash + 1);
    if (!call_static("FileAccess", "file_exists", {Variant(source)}).to_bool()) {
        scene.error = "no file " + source;
        return scene;
    }
    const std::string real = singleton("ProjectSettings").call("globalize_path", {Variant(scene.res_folder)}).to_string();
    std::error_code code;
    if (!real.empty() && fs::is_regular_file(fs::path(real) / name, code)) {
        scene.folder = real.ends_with('/') ? real : real + "/";
        scene.path = scene.folder + name;
        return scene;
    }
    // The scene's folder in the user's cache, one copy per folder of the game.
    const std::string cache = singleton("OS").call("get_cache_dir").to_string();
    const fs::path copy = fs::path(cache) / "webview-qml" / scene.res_folder.substr(6);
    fs::remove_all(copy, code);
    if (!copy_folder(scene.res_folder, copy, scene.error))
        return scene;
    scene.folder = copy.string() + (copy.string().ends_with('/') ? "" : "/");
    scene.path = scene.folder + name;
    scene.copied = true;
    return scene;
}

std::uint64_t folder_stamp(const std::string& folder)
{
    // Each file's name and modification time, mixed (the file clock's times before its epoch are
    // negative: only their changes count).
    std::uint64_t stamp = 0;
    std::error_code code;
    for (fs::recursive_directory_iterator it(folder, code), end; !code && it != end; it.increment(code)) {
        if (!it->is_regular_file(code))
            continue;
        const auto time = static_cast<std::uint64_t>(it->last_write_time(code).time_since_epoch().count());
        stamp += std::hash<std::string>{}(it->path().string()) * 31 + time;
    }
    return stamp;
}

std::string as_res_path(const GameSceneFile& scene, const std::string& path)
{
    if (!scene.folder.empty() && path.starts_with(scene.folder))
        return scene.res_folder + path.substr(scene.folder.size());
    return path;
}

}  // namespace sorvane_godot
