#pragma once

#include "view/view.h"

namespace sorvane {

// A view whose scene is a QML type chosen by module and type name.
class QuickView : public View {
    Q_OBJECT
public:
    using View::View;

    // Loads a scene of the library's modules (any but "Web", which belongs to the web view).
    bool load(const QString& module, const QString& name);
    // Loads a game's own scene from a QML file (View::load_file).
    bool load_file(const QString& file) { return View::load_file(file); }

    void prepare_context(QQmlContext* context) override;
    void post_setup(QQmlEngine* engine, QObject* root) override;
};

}  // namespace sorvane
