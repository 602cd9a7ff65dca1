#pragma once

#include <functional>
#include <string>

#include "sorvane/export.h"

namespace sorvane {

class View;

// Host-side handles of views. Each facade holds only a pointer to its view on the Qt thread.
//
// Threads: every operation may be called from any host thread; it is carried to the Qt thread.
// Most operations wait for the result. On a facade without a view (a plain SView, or after
// destroy()) every operation returns its default at once. Waited operations called on the Qt
// thread itself (from inside a callback of this library) run inline instead of waiting.
//
// Lifetime: discarding a facade does not touch its view; only destroy() deletes it. Call
// destroy() before S::destroy(): once the Qt event loop has stopped, operations return their
// defaults with a warning.
class SORVANE_EXPORT SView {
public:
    SView();

    // Resets the view (releases its scene and pipeline) and waits for it.
    virtual void reset() const;

    // Deletes the view and forgets it. Idempotent.
    void destroy();

    // Sets the one callback that answers the "res" addresses of every web view; works on any
    // facade, even one without a view. It runs on the Qt thread with the address's path (always
    // beginning with "/"); it stores the byte count in `size` and returns a pointer to the bytes,
    // which stay the host's and are copied at once. Return null for "not found".
    void set_func_resource_file(std::function<unsigned char*(std::string path, bool& flag, unsigned long& size)> func);

    // Accepted and ignored: the library never frees the host's buffers.
    void set_func_resource_file_free(std::function<void()> func);

protected:
    View* m_view;
};

// A view that shows a QML scene chosen by module and type name.
class SORVANE_EXPORT SQuickView : public SView {
public:
    SQuickView();

protected:
    struct NoView {};
    explicit SQuickView(NoView);  // for derived facades, which create their own view
};

// A view that shows web pages.
class SORVANE_EXPORT SWebView : public SView {
public:
    SWebView();
};

// A view that plays video files and streams.
class SORVANE_EXPORT SVideoPlayerView : public SQuickView {
public:
    SVideoPlayerView();

    // Posted: returns at once; the reset runs on the Qt thread later.
    void reset() const override;
};

// A view that shows a camera feed.
class SORVANE_EXPORT SCameraView : public SQuickView {
public:
    SCameraView();
};

// A view that shows the live capture of a physical screen.
class SORVANE_EXPORT SScreenCaptureView : public SQuickView {
public:
    SScreenCaptureView();
};

}  // namespace sorvane
