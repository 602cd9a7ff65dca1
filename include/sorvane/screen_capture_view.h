#pragma once

#include <string>

#include "sorvane/quick_view.h"

namespace sorvane {

// A view that shows the live capture of a physical screen. Load its scene with
// load("Multimedia", "ScreenCapture"). SView::get_physical_screens() lists the screens.
class SORVANE_EXPORT SScreenCaptureView : public SQuickView {
public:
    SScreenCaptureView();

    // Switches the capture on (the default) or off.
    void set_active(bool active) const;

    // Chooses the screen: empty or "-1" the primary screen; a number the screen at that index of
    // get_physical_screens() (out of range gives the primary screen, with a warning); any other
    // text the first screen whose serial number, model or name contains it, ignoring case (none
    // matching gives the primary screen, with a warning). Stored at once on the calling thread;
    // a loaded scene moves its capture to the chosen screen shortly after.
    void set_physical_screen(std::string hint) const;
};

}  // namespace sorvane
