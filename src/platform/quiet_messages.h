#pragma once

// While one exists, the named Qt warnings are dropped and every other message goes on to the
// handler installed before. For warnings Qt gives about things the library lacks by design
// (OpenGL on the headless platform, window-system Vulkan surfaces on any) and nothing uses, which
// would only mislead a reader of the log. Use on the Qt thread, around one short step; they may nest.

#include <QStringList>

namespace sorvane::platform {

class QuietMessages {
public:
    // Does nothing unless `active`.
    QuietMessages(bool active, QStringList warnings);
    ~QuietMessages();
    QuietMessages(const QuietMessages&) = delete;
    QuietMessages& operator=(const QuietMessages&) = delete;

private:
    bool m_active;
    QStringList m_warnings;
};

// The web engine probes for OpenGL once as it starts, to learn the GPU vendor.
QStringList opengl_probe_warnings();

// Qt looks up the surface functions of an instance it adopts; a host's instance made for a
// server has no surface extension, and the headless platform never makes a surface.
QStringList vulkan_surface_warnings();

// What Qt's platforms look up in any instance they adopt, on top of the above: the window
// system's presentation query. Views never present to a window, so an engine's instance made
// for another window system (one with the xlib surface extension, on Qt's xcb platform) lacks
// nothing they use.
QStringList vulkan_presentation_warnings();

}  // namespace sorvane::platform
