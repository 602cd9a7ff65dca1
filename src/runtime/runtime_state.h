#pragma once

// Process-wide state of the Qt side, set up once by the start sequence.

#include <string>

class QQuickWebEngineProfile;

namespace sorvane {

class GodotSchemeHandler;

struct RuntimeState {
    std::string addon_dir;                            // PATH_PROJECT_ROOT + "/addons/webview/"
    QQuickWebEngineProfile* default_profile = nullptr;  // shared by every web view
    GodotSchemeHandler* scheme_handler = nullptr;       // answers every "res" address
};

// Written only by the start sequence on the Qt thread, before SORVANE_CTX is published.
RuntimeState& runtime();

// "0.1.3+f313d43"
extern const std::string kVersionFull;

}  // namespace sorvane
