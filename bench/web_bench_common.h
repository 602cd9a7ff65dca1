#pragma once

// What the web benchmarks share: starting the library as a host does, an in-memory "res" site,
// console messages to wait on, and small statistics. Header-only; each benchmark is one program.
//
// SORVANE_PROJECT_ROOT names a project root holding the Qt runtime directory
// (tools/make-runtime.sh). The benchmarks render through Xvfb like the tests
// (tools/with-xvfb.sh).

#include <sorvane/sorvane.h>

#include "standin_host/hand_over.h"
#include "standin_host/vulkan_host.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace webbench {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

inline double ms_between(Clock::time_point from, Clock::time_point to)
{
    return std::chrono::duration<double, std::milli>(to - from).count();
}

inline double median(std::vector<double> values)
{
    if (values.empty())
        return 0.0;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// The animated page of the benchmarks: a box sliding across 1920 pixels and a counter changed at
// every animation frame; it logs "ready: " once it runs.
inline const std::string kAnimatedPage = R"(<!DOCTYPE html><html><head><style>
html, body { margin: 0; width: 100%; height: 100%; overflow: hidden; background: #202830; }
#box { position: absolute; top: 400px; left: 0; width: 240px; height: 240px; background: #f3722c;
       animation: slide 2s linear infinite alternate; }
@keyframes slide { from { transform: translateX(0); } to { transform: translateX(1680px); } }
#count { position: absolute; top: 40px; left: 40px; color: white; font: 64px monospace; }
</style></head><body><div id="box"></div><div id="count">0</div><script>
var rafCount = 0;
function tick() {
  rafCount++;
  document.getElementById("count").textContent = rafCount;
  requestAnimationFrame(tick);
}
requestAnimationFrame(tick);
console.log("ready: ");
</script></body></html>)";

// Creates the stand-in host and starts the library on it. `gpu_disabled` is opts::GPU_DISABLED.
inline std::unique_ptr<standin::VulkanHost> start_library(bool gpu_disabled)
{
    const char* root = std::getenv("SORVANE_PROJECT_ROOT");
    if (!root || !*root)
        throw std::runtime_error("set SORVANE_PROJECT_ROOT to a project root with the Qt runtime directory "
                                 "(tools/make-runtime.sh <root>)");
    standin::HostOptions options;
    options.instance_extensions = {"VK_KHR_surface", "VK_KHR_xcb_surface"};
    auto host = std::make_unique<standin::VulkanHost>(options);
    sorvane::opts::PATH_PROJECT_ROOT = root;
    sorvane::opts::GPU_DISABLED = gpu_disabled;
    sorvane::S::create_app();
    sorvane::S::ensure_qt_eventloop_is_running();
    return host;
}

// Files served from memory through "res"; the host's resource callback of every web view.
class Site {
public:
    void put(const std::string& path, std::string bytes)
    {
        std::lock_guard lock(m_mutex);
        m_files[path] = std::make_shared<const std::string>(std::move(bytes));
    }
    void install()
    {
        sorvane::SView().set_func_resource_file([this](std::string path, bool&, unsigned long& size) {
            std::lock_guard lock(m_mutex);
            const auto it = m_files.find(path);
            if (it == m_files.end())
                return static_cast<unsigned char*>(nullptr);
            size = it->second->size();
            return reinterpret_cast<unsigned char*>(const_cast<char*>(it->second->data()));
        });
    }

private:
    std::mutex m_mutex;
    std::map<std::string, std::shared_ptr<const std::string>> m_files;
};

// Console messages of a view, to wait on.
class Console {
public:
    void attach(const sorvane::SView& view)
    {
        view.set_func_javascript_console_log([this](int, std::string message, int, std::string) {
            std::lock_guard lock(m_mutex);
            m_messages.push_back(std::move(message));
        });
    }
    // The rest of the first message starting with `prefix`, which is then forgotten; nullopt if
    // none has arrived.
    std::optional<std::string> take(const std::string& prefix)
    {
        std::lock_guard lock(m_mutex);
        for (auto it = m_messages.begin(); it != m_messages.end(); ++it)
            if (it->rfind(prefix, 0) == 0) {
                std::string rest = it->substr(prefix.size());
                m_messages.erase(it);
                return rest;
            }
        return std::nullopt;
    }

    // Renders the view at 60 Hz until a message starting with `prefix` arrives; returns the rest of it
    // and forgets it. Throws when none comes within `timeout`.
    std::string wait_for(const sorvane::SView& view, const std::string& prefix,
                         std::chrono::milliseconds timeout = 60s)
    {
        const auto deadline = Clock::now() + timeout;
        for (;;) {
            if (auto rest = take(prefix))
                return *rest;
            if (Clock::now() > deadline)
                throw std::runtime_error("no console message \"" + prefix + "\" within the time limit");
            std::this_thread::sleep_for(16ms);  // a host rendering at 60 Hz
            view.render();
        }
    }

private:
    std::mutex m_mutex;
    std::vector<std::string> m_messages;
};

// Parses a number that follows `key` (for example "\"bigMs\":") in a JSON text.
inline double json_number(const std::string& json, const std::string& key)
{
    const auto at = json.find("\"" + key + "\":");
    if (at == std::string::npos)
        throw std::runtime_error("no " + key + " in " + json);
    return std::strtod(json.c_str() + at + key.size() + 3, nullptr);
}

}  // namespace webbench
