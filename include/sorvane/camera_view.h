#pragma once

#include <string>

#include "sorvane/quick_view.h"

namespace sorvane {

// A view that shows a camera feed.
class SORVANE_EXPORT SCameraView : public SQuickView {
public:
    SCameraView();
};

}  // namespace sorvane
