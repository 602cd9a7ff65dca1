#pragma once

#include "quick/quick_view.h"

namespace sorvane {

// A view that shows the live capture of a physical screen.
class ScreenCaptureView : public QuickView {
    Q_OBJECT
public:
    using QuickView::QuickView;
};

}  // namespace sorvane
