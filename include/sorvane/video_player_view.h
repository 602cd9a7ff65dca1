#pragma once

#include <string>

#include "sorvane/quick_view.h"

namespace sorvane {

// A view that plays video files and streams.
class SORVANE_EXPORT SVideoPlayerView : public SQuickView {
public:
    SVideoPlayerView();

    // Posted: returns at once; the reset runs on the Qt thread later.
    void reset() const override;
};

}  // namespace sorvane
