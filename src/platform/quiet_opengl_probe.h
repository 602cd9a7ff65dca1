#pragma once

// While one exists on the headless platform, Qt's warnings that an OpenGL context could not be
// created are dropped. The web engine probes for OpenGL once as it starts (to learn the GPU
// vendor) and warns when there is none; on the headless platform there never is, by design, and
// its software path is taken instead (see the start sequence), so the warnings would only
// mislead. Every other message goes on to the handler installed before.

#include <QtGlobal>

namespace sorvane::platform {

class QuietOpenGlProbe {
public:
    explicit QuietOpenGlProbe(bool active);
    ~QuietOpenGlProbe();
    QuietOpenGlProbe(const QuietOpenGlProbe&) = delete;
    QuietOpenGlProbe& operator=(const QuietOpenGlProbe&) = delete;

private:
    bool m_active;
};

}  // namespace sorvane::platform
