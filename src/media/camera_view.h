#pragma once

#include "quick/quick_view.h"

namespace sorvane {

// A view that shows a camera feed.
class CameraView : public QuickView {
    Q_OBJECT
public:
    using QuickView::QuickView;
};

}  // namespace sorvane
