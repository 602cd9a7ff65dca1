#pragma once

#include <string>

#include "sorvane/quick_view.h"

namespace sorvane {

// A view that shows the live capture of a physical screen.
class SORVANE_EXPORT SScreenCaptureView : public SQuickView {
public:
    SScreenCaptureView();
};

}  // namespace sorvane
