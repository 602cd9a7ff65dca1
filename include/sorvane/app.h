#pragma once

#include <string>

#include "sorvane/export.h"

class QApplication;

namespace sorvane {

class SorvaneCtx;

// Set by the library's Qt thread during start-up and never reset. Non-null SORVANE_CTX means
// the Qt side is ready to take calls.
SORVANE_EXPORT extern void* SORVANE;             // marker: the application has been constructed
SORVANE_EXPORT extern QApplication* SORVANE_APP;  // the library's own QApplication
SORVANE_EXPORT extern SorvaneCtx* SORVANE_CTX;    // receiver of view creation on the Qt thread

// The library's Qt application, which runs on a thread of its own (the Qt thread).
//
// Lifecycle: not started -> starting (create_app() called) -> running (SORVANE_CTX set) ->
// stopped (destroy() ended the event loop). There is no way back from stopped. Destroy every
// view with SView::destroy() before calling destroy().
//
// Qt platform: the start sequence chooses it before Qt starts, and logs its choice.
//  - QT_QPA_PLATFORM set by the host is respected (entries of a ';'-separated list are tried in
//    order). If none of them can start here (no such plugin, a plugin that does not load, an X
//    display that refuses connections), one warning says why and what to set or install, no
//    application is started, and the runtime goes from starting to "no application":
//    ensure_qt_eventloop_is_running() returns at once, facades hold no view (every call returns
//    its default at once), destroy() returns at once. The process goes on.
//  - Otherwise, an X display (DISPLAY) that accepts connections keeps Qt's xcb platform.
//  - Otherwise the library's own "headless" platform: no display server at all (a Wayland display
//    alone leads here too; QT_QPA_PLATFORM=wayland uses it). Views render exactly as on xcb;
//    there is no physical screen, so SView::get_physical_screens() is empty and screen capture
//    stays off; web views take Chromium's software path.
class SORVANE_EXPORT S {
public:
    // Starts the Qt thread and returns at once. A second call prints
    // "application is already constructed" on standard error and starts nothing.
    static void create_app();

    // The body of the Qt thread: the start sequence, then the event loop until destroy().
    // A host may run it on a thread of its own choosing instead of calling create_app().
    static void _create_app();

    // Blocks until the Qt side is running (polls every 50 ms, no time limit), or until the
    // start has found that no Qt platform can run.
    static void ensure_qt_eventloop_is_running();

    // Processes the calling thread's own pending Qt events.
    static void processEvents();

    // Ends the Qt event loop. Nothing is torn down. Called from a host thread, it returns once
    // the loop has ended (at most 10 s), so the host may then end its process safely. Without an
    // application (not started, or no platform could start) it returns at once.
    static void destroy();

    // "0.1.3+f313d43": release number and source revision.
    static std::string get_version_full();

    // Kept for compatibility; they change nothing. Write sorvane::opts::FFMPEG_DEBUG and
    // sorvane::opts::FFMPEG_PROTOCOL_WHITELIST before create_app() instead.
    static void set_ffmpeg_debug(bool);
    static void set_ffmpeg_protocol_whitelist(std::string);
};

}  // namespace sorvane
