#pragma once

// The pieces of the start sequence that are pure functions of the options, kept apart so that
// they can be checked without starting Qt.

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace sorvane {

inline constexpr const char* kAddonSubdir = "/addons/webview/";

// PATH_PROJECT_ROOT + "/addons/webview/" (the root is taken unchanged).
std::string addon_directory(const std::string& project_root);

// The environment variables that point Qt at its runtime directory, in the order they are set.
// Each value is the addon directory followed by a suffix that begins with a slash.
std::vector<std::pair<const char*, std::string>> runtime_paths(const std::string& addon_dir);

// The Chromium flag string. `as_root` adds "--no-sandbox " to a sandboxed start, because the web
// engine refuses to run sandboxed as root and would end the whole process.
std::string chromium_flags(bool gpu_disabled, bool sandboxed, bool as_root);

// The value the start sequence gives QTWEBENGINE_CHROMIUM_FLAGS, or nullopt to leave the
// variable as the host set it (`current`, nullopt when unset). The options' own flags replace
// the host's value; the root-only "--no-sandbox " of a sandboxed start is added to it instead,
// so flags the host put there (for example "--ignore-gpu-blocklist") are kept.
std::optional<std::string> chromium_flags_variable(const std::optional<std::string>& current,
                                                   bool gpu_disabled, bool sandboxed, bool as_root);

// The value of QTWEBENGINE_REMOTE_DEBUGGING for opts::REMOTE_DEBUGGING_PORT: "127.0.0.1:<port>"
// for a port from 1 to 65535; nullopt (leave the variable alone) for 0 and for any other value.
std::optional<std::string> remote_debugging_variable(int port);

// QT_LOGGING_RULES with the media backend's debug categories appended.
std::string ffmpeg_logging_rules(const std::string& current);

// The Chromium flags of a start on a platform where Chromium's GPU path cannot run: `flags` (the
// value QTWEBENGINE_CHROMIUM_FLAGS is given, or keeps) with "--disable-gpu " added, or nullopt
// when they hold it already.
std::optional<std::string> with_software_compositing(const std::string& flags);

// What the platform choice reads of the process environment.
struct PlatformEnvironment {
    std::string requested;        // QT_QPA_PLATFORM as the host set it; "" when unset
    std::string x_display;        // DISPLAY; "" when unset
    std::string wayland_display;  // WAYLAND_DISPLAY; "" when unset
};

struct PlatformChoice {
    std::string platform;  // the platform to start, with its options ("xcb", "headless"); "" for none
    std::string reason;    // why this one, or why none can start and what to do about it
};

// Which Qt platform the application starts on. `problem(name)` says why the platform `name`
// cannot start here ("" when it can); it is asked only about the platforms the rule considers.
//
// - QT_QPA_PLATFORM set: the first of its ';'-separated entries that can start (an entry may
//   carry options after a ':'); none that can: no platform.
// - Otherwise xcb when DISPLAY names an X display that accepts connections, else "headless".
//   A Wayland display alone leads to "headless" too: the library does not start Qt's Wayland
//   platform unless the host asks for it.
PlatformChoice choose_platform(const PlatformEnvironment& environment,
                               const std::function<std::string(const std::string& name)>& problem);

// What is wrong with starting on `platform` although it can start ("" when nothing is): Qt's
// offscreen and minimal platforms offer no Vulkan instance, so views cannot adopt the host's.
std::string platform_caveat(const std::string& platform);

}  // namespace sorvane
