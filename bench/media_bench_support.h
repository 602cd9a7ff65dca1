#pragma once

// Shared by the media benchmarks: process CPU time, and a counter of the distinct video frames
// that a view's scene takes into its texture.

#include "view/view.h"

#include <QQuickWindow>
#include <QVideoFrame>
#include <QVideoSink>

#include <sys/resource.h>

#include <atomic>
#include <memory>

namespace media_bench {

inline double seconds_of(const timeval& t)
{
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
}

// User plus system CPU seconds of this process (who = RUSAGE_SELF) or of its waited-for
// children (RUSAGE_CHILDREN).
inline double cpu_seconds(int who = RUSAGE_SELF)
{
    rusage usage{};
    getrusage(who, &usage);
    return seconds_of(usage.ru_utime) + seconds_of(usage.ru_stime);
}

// Counts, on the Qt thread, the frames rendered into the view's texture whose video frame differs
// from the one before: right after each synchronisation of the scene the sink's current frame is
// what the video output has just taken for this render.
struct DistinctFrames {
    std::atomic<int> distinct{0};
    std::atomic<int> rendered{0};
    QVideoFrame last;

    // Call on the Qt thread once the view is loaded.
    void watch(sorvane::View* view, QVideoSink* sink)
    {
        QObject::connect(view->window(), &QQuickWindow::afterSynchronizing, view, [this, sink] {
            ++rendered;
            const QVideoFrame current = sink->videoFrame();
            if (current.isValid() && current != last) {
                ++distinct;
                last = current;
            }
        }, Qt::DirectConnection);
    }
};

}  // namespace media_bench
