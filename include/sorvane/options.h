#pragma once

#include <string>

#include "sorvane/export.h"

// Start-up options. Write them before sorvane::S::create_app(); the start sequence reads each
// of them once, and values written afterwards change nothing.
namespace sorvane::opts {

// Root directory of the host project. The library looks for its Qt runtime under
// PATH_PROJECT_ROOT + "/addons/webview//linux_x86_64-runtime/".
SORVANE_EXPORT extern std::string PATH_PROJECT_ROOT;

// Opens the binary debug log channel on "/tmp/webview.debug.sock" at start.
SORVANE_EXPORT extern bool LOGGING_DEBUG;

// Sets QT_FFMPEG_DEBUG=1 for the media backend.
SORVANE_EXPORT extern bool FFMPEG_DEBUG;

// Starts the web engine with "--disable-gpu" (software rendering of pages).
SORVANE_EXPORT extern bool GPU_DISABLED;

// When false (the default) the web engine runs without its sandbox and without web security.
// When the process runs as root the sandbox is always switched off, because the web engine
// refuses to start sandboxed as root.
SORVANE_EXPORT extern bool SANDBOXED;

// Chromium's remote debugging (the DevTools protocol, for a browser's developer tools or any
// client of the protocol) on this TCP port of 127.0.0.1, and of no other address. 0, the
// default, leaves it off; a value outside 1..65535 leaves it off with a warning. While it is on,
// any program on this machine can inspect and script every page of every web view (the web
// engine accepts its connections from any origin): leave it off in a release.
SORVANE_EXPORT extern int REMOTE_DEBUGGING_PORT;

// Kept for the host; nothing in the library reads it.
SORVANE_EXPORT extern std::string FFMPEG_PROTOCOL_WHITELIST;

}  // namespace sorvane::opts
