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

protected:
    struct NoView {};
    explicit SQuickView(NoView);  // for derived facades, which create their own view
};
}  // namespace sorvane
