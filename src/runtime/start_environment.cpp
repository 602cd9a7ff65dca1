#include "runtime/start_environment.h"

#include <algorithm>

namespace sorvane {

namespace {

struct RuntimePath {
    const char* variable;
    const char* suffix;
};

constexpr RuntimePath kRuntimePaths[] = {
    {"QML_IMPORT_PATH", "/linux_x86_64-runtime/qml"},
    {"QT_PLUGIN_PATH", "/linux_x86_64-runtime/plugins"},
    {"QTWEBENGINEPROCESS_PATH", "/linux_x86_64-runtime/libexec/QtWebEngineProcess"},
    {"QTWEBENGINE_RESOURCES_PATH", "/linux_x86_64-runtime/resources"},
    {"QTWEBENGINE_LOCALES_PATH", "/linux_x86_64-runtime/translations/qtwebengine_locales"},
};

constexpr const char* kUnsandboxedFlags =
    "--disable-gpu-vsync --no-sandbox --disable-web-security "
    "--disable-features=IsolateOrigins,site-per-process --user-data-dir=\"/tmp/test/\" ";

}  // namespace

std::string addon_directory(const std::string& project_root)
{
    return project_root + kAddonSubdir;
}

std::vector<std::pair<const char*, std::string>> runtime_paths(const std::string& addon_dir)
{
    std::vector<std::pair<const char*, std::string>> paths;
    for (const RuntimePath& p : kRuntimePaths)
        paths.emplace_back(p.variable, addon_dir + p.suffix);
    return paths;
}

std::string chromium_flags(bool gpu_disabled, bool sandboxed, bool as_root)
{
    std::string flags;
    if (gpu_disabled)
        flags += "--disable-gpu ";
    if (!sandboxed)
        flags += kUnsandboxedFlags;
    else if (as_root)
        flags += "--no-sandbox ";
    return flags;
}

std::optional<std::string> chromium_flags_variable(const std::optional<std::string>& current,
                                                   bool gpu_disabled, bool sandboxed, bool as_root)
{
    const std::string own = chromium_flags(gpu_disabled, sandboxed, false);
    const bool root_needs_no_sandbox = sandboxed && as_root;
    if (!own.empty())
        return root_needs_no_sandbox ? own + "--no-sandbox " : own;
    if (!root_needs_no_sandbox)
        return std::nullopt;
    const std::string host = current.value_or("");
    if (host.find("--no-sandbox") != std::string::npos)
        return std::nullopt;
    if (host.empty() || host.back() == ' ')
        return host + "--no-sandbox ";
    return host + " --no-sandbox ";
}

std::optional<std::string> remote_debugging_variable(int port)
{
    if (port < 1 || port > 65535)
        return std::nullopt;
    return "127.0.0.1:" + std::to_string(port);
}

std::string ffmpeg_logging_rules(const std::string& current)
{
    std::string rules = current;
    if (!rules.empty())
        rules += ";";
    return rules + "qt.multimedia.ffmpeg*=true";
}

std::optional<std::string> with_software_compositing(const std::string& flags)
{
    if (flags.find("--disable-gpu ") != std::string::npos ||
        (flags.size() >= 13 && flags.compare(flags.size() - 13, 13, "--disable-gpu") == 0))
        return std::nullopt;
    if (flags.empty() || flags.back() == ' ')
        return flags + "--disable-gpu ";
    return flags + " --disable-gpu ";
}

namespace {

std::vector<std::string> platform_entries(const std::string& requested)
{
    std::vector<std::string> entries;
    size_t start = 0;
    while (start <= requested.size()) {
        const size_t end = std::min(requested.find(';', start), requested.size());
        std::string entry = requested.substr(start, end - start);
        const size_t first = entry.find_first_not_of(" \t");
        const size_t last = entry.find_last_not_of(" \t");
        if (first != std::string::npos)
            entries.push_back(entry.substr(first, last - first + 1));
        start = end + 1;
    }
    return entries;
}

}  // namespace

PlatformChoice choose_platform(const PlatformEnvironment& environment,
                               const std::function<std::string(const std::string& name)>& problem)
{
    const std::vector<std::string> entries = platform_entries(environment.requested);
    if (!entries.empty()) {
        std::string failures;
        for (const std::string& entry : entries) {
            const std::string name = entry.substr(0, entry.find(':'));
            const std::string why_not = problem(name);
            if (why_not.empty())
                return {entry, "QT_QPA_PLATFORM=" + environment.requested + " asks for it"};
            failures += (failures.empty() ? "" : "; ") + name + ": " + why_not;
        }
        return {"", "QT_QPA_PLATFORM=" + environment.requested +
                        " names no platform that can start here (" + failures +
                        "). Unset QT_QPA_PLATFORM to let the library choose (it renders headless "
                        "where no display server is reachable), set it to \"headless\", or "
                        "provide what is missing above."};
    }

    const std::string x_problem =
        environment.x_display.empty() ? std::string("DISPLAY is not set") : problem("xcb");
    if (x_problem.empty())
        return {"xcb", "the X display " + environment.x_display + " accepts connections"};
    std::string reason = "no display server needed; no X display to use: " + x_problem;
    if (!environment.wayland_display.empty())
        reason += "; the Wayland display " + environment.wayland_display +
                  " is used only when QT_QPA_PLATFORM=wayland asks for it";
    return {"headless", reason};
}

std::string platform_caveat(const std::string& platform)
{
    const std::string name = platform.substr(0, platform.find(':'));
    if (name != "offscreen" && name != "minimal")
        return "";
    return "Qt's " + name + " platform cannot adopt the host's Vulkan instance, so no view will render; "
           "QT_QPA_PLATFORM=headless renders without a display server";
}

}  // namespace sorvane
