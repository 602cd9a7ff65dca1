#pragma once

// How a view that renders ahead shares its two images with the host. The host samples one image
// (the shown one) while the Qt thread draws the next frame into the other; a render() of the host
// swaps them once the other holds a finished frame. The host's side only takes a short lock and
// never waits for the Qt thread.
//
// The Qt thread draws only into the image that is not shown, and only while the host has not yet
// been handed the last frame it finished there: so it never writes the image the host samples,
// and every swap shows a frame that is newer than the one before.

#include <mutex>

namespace sorvane {

class FrameExchange {
public:
    // Qt thread, at every load and reset: with two images the view renders ahead, otherwise it
    // does not. Image 0 is shown; no frame waits and no frame step is queued.
    void reset(int images);

    // Any thread.
    bool active() const;
    int shown() const;

    // What render() does after hand_over().
    enum class Next {
        RenderWaited,  // the view does not render ahead: render() renders as it always did
        QueueStep,     // render() queues a frame step on the Qt thread
        Nothing,       // a frame step is queued already
    };
    // Host thread, in render(): shows the newer finished frame if there is one.
    Next hand_over();

    // Qt thread, in the queued frame step: the image the next frame may be drawn into, or -1
    // while the host has not been handed the frame finished there.
    int drawable() const;
    // Qt thread: the frame drawn into drawable() has finished; the host's next render() shows it.
    void finished();
    // Qt thread: the queued frame step is over; the host's next render() queues another.
    void step_done();

private:
    mutable std::mutex m_mutex;
    int m_images = 0;
    int m_shown = 0;
    bool m_finished_waits = false;
    bool m_step_queued = false;
};

}  // namespace sorvane
