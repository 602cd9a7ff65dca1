#pragma once

// The pieces of the start sequence that are pure functions of the options, kept apart so that
// they can be checked without starting Qt.

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

}  // namespace sorvane
