// The web engine's own threads at the host's exit.
//
// The web engine runs threads of its own in this process, and S::destroy() ends the Qt event loop
// without stopping them (nothing is torn down after the loop). A host exits soon after
// S::destroy(), and its exit destroys the statics of the libraries those threads work in. Two of
// them were seen crashing the exit:
//   - a page's screen capture runs on a thread ("desktopCaptureThread") that talks to the X
//     server through Xlib. When the capture stops (its page closed), the web engine stops that
//     thread soon after, and its last act closes its X connection; an exit in that moment races
//     libX11's own exit, which frees Xlib's global lock while the thread still takes it;
//   - the web engine's GPU thread ("Chrome_InProcGpuThread") sets up its GL context a moment after
//     the engine starts; an exit in that moment runs inside the GL driver while the driver's
//     statics are destroyed.
// So S::destroy() waits, bounded, until no capture thread runs and the GPU thread is idle (asleep
// waiting for its next task, not for the X server).
#pragma once

#include <chrono>

namespace sorvane {

// Waits until no screen-capture thread of the web engine runs and its GPU thread has been idle for
// a while (it is done with what it was doing), at most `limit`; true when they settled.
bool wait_for_web_engine_threads_to_settle(std::chrono::milliseconds limit);

}  // namespace sorvane
