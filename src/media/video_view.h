#pragma once

#include "quick/quick_view.h"

namespace sorvane {

// A view that plays a video file or stream.
class VideoView : public QuickView {
    Q_OBJECT
public:
    using QuickView::QuickView;
};

}  // namespace sorvane
