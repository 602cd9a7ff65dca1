#pragma once

#include "view/view.h"

namespace sorvane {

// A view whose scene shows web pages.
class WebView : public View {
    Q_OBJECT
public:
    using View::View;
};

}  // namespace sorvane
