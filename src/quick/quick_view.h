#pragma once

#include "view/view.h"

namespace sorvane {

// A view whose scene is a QML type chosen by module and type name.
class QuickView : public View {
    Q_OBJECT
public:
    using View::View;
};

}  // namespace sorvane
