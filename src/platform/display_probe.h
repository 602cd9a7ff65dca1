#pragma once

// Finds out, before the application exists, whether a Qt platform can start here. Qt itself
// ends the whole process when its platform cannot start, so the start sequence asks first.
// Each function answers why the platform cannot start, or "" when it can.

#include <string>

namespace sorvane::platform {

// Whether the X display `display` (the DISPLAY value) accepts a connection. Gives up after a
// few seconds (a display on an unreachable host), which counts as refusing.
std::string x_display_problem(const std::string& display);

// Whether a Wayland compositor listens on `wayland_display` (the WAYLAND_DISPLAY value: a name
// under `runtime_dir`, or an absolute path).
std::string wayland_display_problem(const std::string& wayland_display, const std::string& runtime_dir);

// Whether Qt has a platform plugin of that name that loads (a missing library of the plugin,
// such as libxcb-cursor for xcb, is named). The headless platform is built in and always can.
// Looks where Qt looks: QT_QPA_PLATFORM_PLUGIN_PATH and the "platforms" folder of every
// library path (QT_PLUGIN_PATH, Qt's own plugin folder).
std::string platform_plugin_problem(const std::string& name);

// Everything the platform `name` needs here: the plugin, and for xcb the X display named by
// DISPLAY, for wayland the compositor named by WAYLAND_DISPLAY.
std::string platform_problem(const std::string& name);

}  // namespace sorvane::platform
