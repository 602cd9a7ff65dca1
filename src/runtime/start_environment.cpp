#include "runtime/start_environment.h"

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

}  // namespace sorvane
