#pragma once

#include <string>

#include "sorvane/view.h"

namespace sorvane {

// A view that shows a QML scene chosen by module and type name.
class SORVANE_EXPORT SQuickView : public SView {
public:
    SQuickView();

    // Loads the scene `name` of the QML module `module` (for example "Splash", "Splash") and
    // builds the view's pipeline. Returns false, with a warning, when the scene cannot be
    // loaded. Loading a loaded view replaces its scene and its texture.
    bool load(std::string module, std::string name) const;
    // Loads the scene of a QML file of the game's own, by its path in the file system (UTF-8),
    // with the imports, components and images its folder holds, and builds the view's pipeline.
    // Returns false, with a warning, when the file is missing or does not load. The scene's
    // errors and warnings also reach the console callback (set_func_javascript_console_log),
    // level 2 and 1, with the file's path and the line. Loading a loaded view replaces its scene.
    bool load_file(std::string path) const;

protected:
    struct NoView {};
    explicit SQuickView(NoView);  // for derived facades, which create their own view
};
}  // namespace sorvane
