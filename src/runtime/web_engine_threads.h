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
// waiting for its next task, not for the X server). Idle is not enough on a loaded machine: the
// GPU thread was seen receiving its GL set-up after it had looked idle for 100 ms, when the
// process exited within seconds of its start. So once the Qt loop has ended, S::destroy() also
// parks the GPU thread: a signal makes it sleep in its handler, where it runs no code of the
// driver, and the process's exit ends it there. Nothing may use the web engine after destroy()
// (the library cannot start again), so a parked GPU thread takes nothing away; should the host
// still run after kGpuThreadParkTime, the thread wakes and goes on as before.
#pragma once

#include <chrono>

namespace sorvane {

// Waits until no screen-capture thread of the web engine runs and its GPU thread has been idle for
// a while (it is done with what it was doing), at most `limit`; true when they settled.
bool wait_for_web_engine_threads_to_settle(std::chrono::milliseconds limit);

// How long a parked GPU thread sleeps before it goes on (a bound, should anything at the exit
// wait for that thread).
inline constexpr std::chrono::seconds kGpuThreadParkTime{5};

// Parks every GPU thread of the web engine (see above) and waits, at most `limit`, until each
// sleeps in the park. Returns how many threads were parked, or -1 when the signal it uses is
// taken by the host (nothing is parked then).
int park_web_engine_gpu_threads(std::chrono::milliseconds limit);

// The signal that parks a GPU thread: the third-highest real-time signal, left untouched where
// the host has installed a handler of its own for it.
int gpu_thread_park_signal();

}  // namespace sorvane
