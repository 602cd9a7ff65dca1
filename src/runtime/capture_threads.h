// The web engine's screen-capture threads, which outlive a page's capture for a moment.
//
// A page's screen capture runs on a thread of the web engine's own ("desktopCaptureThread") that
// talks to the X server through Xlib. When the capture stops (the page closed, the stream ended),
// the web engine stops that thread soon after, on its own threads; its last act closes its X
// connection. A host that exits in that moment races libX11's own exit, which frees Xlib's
// global lock while the thread still takes it: the process crashes as the game quits. S::destroy()
// therefore waits for those threads to end before the host may exit.
#pragma once

#include <chrono>

namespace sorvane {

// How many screen-capture threads of the web engine this process runs now.
int running_capture_threads();

// Waits until no screen-capture thread runs, at most `limit`; true when none runs.
bool wait_for_capture_threads(std::chrono::milliseconds limit);

}  // namespace sorvane
