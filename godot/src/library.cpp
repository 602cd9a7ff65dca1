#include "library.h"

#include <dlfcn.h>

#include <mutex>
#include <vector>

#include <sorvane/sorvane.h>

#include "render_thread.h"
#include "resource_files.h"
#include "variant.h"

namespace sorvane_godot {

namespace {

std::mutex mutex;
bool started = false;
bool stopped = false;
std::vector<std::weak_ptr<FacadeSlot>> views;

// Where libsorvane.so.0 was loaded from.
std::string library_file()
{
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&sorvane::S::create_app), &info) && info.dli_fname)
        return info.dli_fname;
    return {};
}

}  // namespace

std::string addon_dir()
{
    const std::string file = library_file();
    const std::size_t slash = file.rfind('/');
    return slash == std::string::npos ? std::string() : file.substr(0, slash);
}

std::string project_root()
{
    // The addon folder is <root>/addons/webview/ in the editor's layout and in an exported game
    // alike; in an exported game res:// is no folder at all, so the library's own file decides.
    const std::string file = library_file();
    const std::string marker = "/addons/webview/";
    const std::size_t at = file.rfind(marker);
    if (at != std::string::npos && file.find('/', at + marker.size()) == std::string::npos)
        return file.substr(0, at);
    return singleton("ProjectSettings").call("globalize_path", {Variant("res://")}).to_string();
}

bool start_library()
{
    std::lock_guard lock(mutex);
    if (stopped)
        return false;
    if (!started) {
        sorvane::opts::PATH_PROJECT_ROOT = project_root();
        sorvane::S::create_app();
        started = true;
    }
    return true;
}

void track_view(const std::shared_ptr<FacadeSlot>& slot)
{
    {
        std::lock_guard lock(mutex);
        std::erase_if(views, [](const auto& weak) { return weak.expired(); });
        views.push_back(slot);
    }
    // The library's start returns before its Qt side is up; a view's creation waits for it, so
    // from the first view on the scheme's answer can be installed.
    static std::once_flag serving;
    std::call_once(serving, serve_project_files);
}

void destroy_view(FacadeSlot& slot)
{
    std::lock_guard lock(mutex);
    if (slot) {
        slot->destroy();
        slot.reset();
    }
}

void stop_library()
{
    // Views still alive are destroyed on Godot's render thread, like every other view, and the
    // main thread waits until it has done so: with a separate render thread, Godot's device
    // must not see the library at work from elsewhere. (Nodes that leave the tree at Godot's exit
    // have queued their own destruction there already; the wait also lets that finish.)
    std::vector<std::shared_ptr<FacadeSlot>> alive;
    {
        std::lock_guard lock(mutex);
        for (const auto& weak : views) {
            if (auto slot = weak.lock(); slot && *slot)
                alive.push_back(std::move(slot));
        }
    }
    if (started && !stopped) {
        on_render_thread([alive] {
            for (const auto& slot : alive)
                destroy_view(*slot);
        });
        singleton("RenderingServer").call("force_sync");
    }

    std::lock_guard lock(mutex);
    // Whatever the render thread did not reach is destroyed here.
    for (const auto& slot : alive) {
        if (*slot) {
            (*slot)->destroy();
            slot->reset();
        }
    }
    views.clear();
    if (started && !stopped)
        sorvane::S::destroy();
    stopped = true;
}

}  // namespace sorvane_godot
