// The library's Qt application: start-up on the Qt thread, the event loop and its end.

#include "sorvane/app.h"
#include "sorvane/options.h"

#include "debuglog/debug_log.h"
#include "platform/display_probe.h"
#include "platform/platform.h"
#include "platform/quiet_messages.h"
#include "runtime/carry.h"
#include "runtime/runtime_state.h"
#include "runtime/sorvane_ctx.h"
#include "runtime/start_environment.h"
#include "runtime/web_engine_threads.h"
#include "web/godot_scheme_handler.h"

#include <QApplication>
#include <QFileInfo>
#include <QQuickWindow>
#include <QThread>
#include <QWebEngineUrlScheme>
#include <QtWebEngineQuick/QQuickWebEngineProfile>
#include <QtWebEngineQuick/qtwebenginequickglobal.h>

#include <pthread.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <ctime>
#include <mutex>
#include <optional>
#include <string_view>
#include <thread>

namespace sorvane {

void* SORVANE = nullptr;
QApplication* SORVANE_APP = nullptr;
SorvaneCtx* SORVANE_CTX = nullptr;

namespace opts {
std::string PATH_PROJECT_ROOT;
bool LOGGING_DEBUG = false;
bool FFMPEG_DEBUG = false;
bool GPU_DISABLED = false;
bool SANDBOXED = false;
int REMOTE_DEBUGGING_PORT = 0;
std::string FFMPEG_PROTOCOL_WHITELIST =
    "file,http,ftp,hls,icecast,ipfs,rtmp,rtmpe,rtmps,rtmpt,rtmpte,rtmpts,rtp,rtsp,tcp,udp,unix,zmq,"
    "amqp,crypto,fd";
}  // namespace opts

const std::string kVersionFull = "0.1.3+f313d43";

RuntimeState& runtime()
{
    static RuntimeState state;
    return state;
}

namespace {

std::thread g_qt_thread;
std::atomic<bool> g_create_app_called{false};

// Set when no Qt platform can start: there is no application, and facades get no view.
std::atomic<bool> g_start_failed{false};

// The Qt thread polls the published pointer; the host threads read it without a lock.
std::atomic<SorvaneCtx*> g_ctx_published{nullptr};

// Set once the Qt thread has left its event loop for good; destroy() waits for it.
std::mutex g_loop_end_mutex;
std::condition_variable g_loop_end_changed;
bool g_loop_ended = false;

// Whether Chromium's GPU path needs a display server, so that on the headless platform web
// views take Chromium's software path.
constexpr bool kChromiumGpuNeedsDisplay = true;

// How long destroy() waits for the Qt thread to leave its loop.
constexpr auto kLoopEndWait = std::chrono::seconds(10);
// How long destroy() waits for the web engine's threads to settle.
constexpr auto kWebEngineSettleWait = std::chrono::milliseconds(3000);

void sleep_ms(long ms)
{
    timespec wanted{ms / 1000, (ms % 1000) * 1000000L};
    timespec left{};
    while (nanosleep(&wanted, &left) == -1 && errno == EINTR)
        wanted = left;
}

void set_env(const char* name, const std::string& value)
{
    qputenv(name, QByteArray::fromStdString(value));
}

// From here until the process ends, drops the one warning Qt gives at every exit after a scene
// showed an image: Qt Quick's pixmap cache, a function-local static of Qt's that the Qt thread
// created, keeps a 30 s expiry timer while released images stay cached, and the exit destroys it
// on the exiting thread, where Qt cannot stop the timer and says so ("QObject::~QObject: Timers
// cannot be stopped from another thread"). That timer can never fire again (its thread's loop
// has ended) and dies with the process; the cache object is not reachable from outside Qt Quick,
// and Qt stops it only from its own thread's timer event, 30 s later. Nothing is lost.
void quiet_the_exit()
{
    static const auto* quiet = new platform::QuietMessages(
        true, {QStringLiteral("QObject::~QObject: Timers cannot be stopped from another thread")});
    (void)quiet;
}

void register_res_scheme()
{
    QWebEngineUrlScheme scheme("res");
    scheme.setSyntax(QWebEngineUrlScheme::Syntax::Host);
    scheme.setDefaultPort(QWebEngineUrlScheme::PortUnspecified);
    scheme.setFlags(QWebEngineUrlScheme::LocalScheme | QWebEngineUrlScheme::LocalAccessAllowed |
                    QWebEngineUrlScheme::ServiceWorkersAllowed | QWebEngineUrlScheme::ViewSourceAllowed |
                    QWebEngineUrlScheme::ContentSecurityPolicyIgnored |
                    QWebEngineUrlScheme::FetchApiAllowed);
    QWebEngineUrlScheme::registerScheme(scheme);
}

// Qt ends the whole process when its platform cannot start, so the platform is chosen here,
// before the application exists, among those that can start.
PlatformChoice choose_qt_platform()
{
    const PlatformEnvironment environment{qEnvironmentVariable("QT_QPA_PLATFORM").toStdString(),
                                          qEnvironmentVariable("DISPLAY").toStdString(),
                                          qEnvironmentVariable("WAYLAND_DISPLAY").toStdString()};
    return choose_platform(environment, platform::platform_problem);
}

bool is_headless(const std::string& platform)
{
    return platform.substr(0, platform.find(':')) == platform::kHeadlessPlatform;
}

}  // namespace

void S::create_app()
{
    if (SORVANE != nullptr || g_create_app_called.exchange(true)) {
        std::fputs(g_start_failed.load(std::memory_order_acquire)
                       ? "sorvane: no Qt platform could start; create_app() starts nothing more\n"
                       : "application is already constructed\n",
                   stderr);
        std::fflush(stderr);
        return;
    }
    g_qt_thread = std::thread(&S::_create_app);
    // Real-time scheduling for the Qt thread alone. Without SCHED_RESET_ON_FORK every thread and
    // process it starts would inherit FIFO 99 as well: the web engine's I/O and pool threads, its
    // renderer and GPU processes, Qt's own threads. On a machine with few cores those then take
    // the CPU from the engine's threads for tens of milliseconds whenever a page is busy (a
    // blocking render() waited up to 90 ms for its own thread to run again after its frame step
    // was done).
    sched_param param{};
    param.sched_priority = 99;
    pthread_setschedparam(g_qt_thread.native_handle(), SCHED_FIFO | SCHED_RESET_ON_FORK, &param);  // best effort
    g_qt_thread.detach();
}

void S::_create_app()
{
    if (opts::LOGGING_DEBUG && debuglog::open(debuglog::kSocketPath)) {
        debuglog::start_flusher();
        debuglog::log("sorvane " + kVersionFull + " starting");
    }

    RuntimeState& state = runtime();
    state.addon_dir = addon_directory(opts::PATH_PROJECT_ROOT);
    for (const auto& [name, value] : runtime_paths(state.addon_dir)) {
        set_env(name, value);
        // Plugins come only from the runtime directory when it is there: the plugins of another
        // Qt installed on the machine would load a second, different Qt into the process.
        if (std::string_view(name) == "QT_PLUGIN_PATH" && QFileInfo(QString::fromStdString(value)).isDir())
            QCoreApplication::setLibraryPaths({QString::fromStdString(value)});
    }

    const PlatformChoice choice = choose_qt_platform();
    if (choice.platform.empty()) {
        qWarning().noquote() << "sorvane: no Qt platform can start, so the library starts no Qt "
                                "application and every view facade stays empty (its calls do "
                                "nothing):"
                             << QString::fromStdString(choice.reason);
        g_start_failed.store(true, std::memory_order_release);
        return;
    }
    qInfo().noquote() << "sorvane: Qt platform" << QString::fromStdString(choice.platform) + ":"
                      << QString::fromStdString(choice.reason);
    if (const std::string caveat = platform_caveat(choice.platform); !caveat.empty())
        qWarning().noquote() << "sorvane:" << QString::fromStdString(caveat);
    const bool headless = is_headless(choice.platform);

    QCoreApplication::setApplicationName("sorvane");
    QCoreApplication::setOrganizationDomain("ziderav.com");
    QCoreApplication::setOrganizationName("Ziderav");

    qputenv("QT_MEDIA_BACKEND", "ffmpeg");
    if (opts::FFMPEG_DEBUG) {
        qputenv("QT_FFMPEG_DEBUG", "1");
        const std::string rules = QString::fromLocal8Bit(qgetenv("QT_LOGGING_RULES")).toStdString();
        set_env("QT_LOGGING_RULES", ffmpeg_logging_rules(rules));
    }

    const bool as_root = geteuid() == 0;
    if (as_root && opts::SANDBOXED)
        qWarning("sorvane: running as root, so the web engine starts without its sandbox "
                 "(it refuses to start sandboxed as root)");
    std::optional<std::string> host_flags;
    if (qEnvironmentVariableIsSet("QTWEBENGINE_CHROMIUM_FLAGS"))
        host_flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS").toStdString();
    std::optional<std::string> flags =
        chromium_flags_variable(host_flags, opts::GPU_DISABLED, opts::SANDBOXED, as_root);
    if (headless && kChromiumGpuNeedsDisplay) {
        // Chromium's GPU path needs an OpenGL context from the Qt platform (GLX or EGL on the
        // window system). The headless platform has none; asked for the software path here,
        // Chromium takes it at once instead of discovering that on its own.
        if (const auto software = with_software_compositing(flags.value_or(host_flags.value_or("")))) {
            if (!opts::GPU_DISABLED)
                qWarning("sorvane: web views use Chromium's software path: its GPU path needs "
                         "OpenGL from a display server, and the headless platform has none");
            flags = software;
        }
    }
    if (flags)
        set_env("QTWEBENGINE_CHROMIUM_FLAGS", *flags);

    if (const auto address = remote_debugging_variable(opts::REMOTE_DEBUGGING_PORT))
        set_env("QTWEBENGINE_REMOTE_DEBUGGING", *address);
    else if (opts::REMOTE_DEBUGGING_PORT != 0)
        qWarning("sorvane: opts::REMOTE_DEBUGGING_PORT is %d, not a port from 1 to 65535: remote "
                 "debugging stays off", opts::REMOTE_DEBUGGING_PORT);

    QQuickWindow::setGraphicsApi(QSGRendererInterface::Vulkan);
    register_res_scheme();
    QtWebEngineQuick::initialize();

    // The platform goes to Qt as "-platform <name>", which Qt takes out of the arguments again:
    // the host's environment stays as it was, and the application's only argument is its name.
    static int argc = 3;
    static char arg0[] = "libsorvane";
    static char arg1[] = "-platform";
    static std::string platform_arg;
    platform_arg = choice.platform;
    static char* argv[] = {arg0, arg1, platform_arg.data(), nullptr};
    SORVANE_APP = new QApplication(argc, argv);

    QQuickWebEngineProfile* profile = nullptr;
    {
        // The web engine starts here and probes for OpenGL, which the headless platform lacks.
        const platform::QuietMessages quiet(headless, platform::opengl_probe_warnings());
        profile = QQuickWebEngineProfile::defaultProfile();
    }
    profile->setSpellCheckEnabled(false);
    profile->setStorageName("Default");
    profile->setPersistentCookiesPolicy(QQuickWebEngineProfile::ForcePersistentCookies);
    // Every permission request reaches the view's host callback; none is answered from an
    // earlier decision kept by the web engine.
    profile->setPersistentPermissionsPolicy(QQuickWebEngineProfile::PersistentPermissionsPolicy::AskEveryTime);
    state.default_profile = profile;

    state.scheme_handler = new GodotSchemeHandler();
    profile->installUrlSchemeHandler("res", state.scheme_handler);

    SORVANE = new char[8]{};
    auto* ctx = new SorvaneCtx();
    carry::loop_running.store(true, std::memory_order_release);
    SORVANE_CTX = ctx;
    g_ctx_published.store(ctx, std::memory_order_release);

    QApplication::exec();

    // Calls still queued can never run now: drop them, which releases every waiting caller.
    carry::loop_running.store(false, std::memory_order_release);
    QCoreApplication::removePostedEvents(nullptr);
    {
        std::lock_guard lock(g_loop_end_mutex);
        g_loop_ended = true;
    }
    g_loop_end_changed.notify_all();

    // The thread never ends. Its end would destroy Qt's data of this thread, the font caches of
    // every scene's text among them, and Qt's own order there crashes now and then
    // (QFreetypeFace::release reads a thread storage that was destroyed just before, at the end
    // of a thread that rendered text): a game would crash as it quits. Parked here it runs no
    // code again; the process's exit ends it.
    for (;;)
        pause();
}

void S::ensure_qt_eventloop_is_running()
{
    while (g_ctx_published.load(std::memory_order_acquire) == nullptr &&
           !g_start_failed.load(std::memory_order_acquire))
        sleep_ms(50);
}

void S::processEvents()
{
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void S::destroy()
{
    if (SORVANE_APP == nullptr)  // not started, or no platform could start
        return;
    // A host usually ends its process soon after this call. Its exit runs the destructors of Qt's
    // and the media backend's statics, which must not happen while the Qt thread still works
    // with them, so a host thread waits here until the loop has ended and the thread is done
    // with Qt. Whether to wait is decided first: quit() itself may return after the loop ended.
    const bool wait = carry::loop_running.load(std::memory_order_acquire) &&
                      QThread::currentThread() != SORVANE_APP->thread();
    // The web engine's threads must be done with what may crash the host's exit
    // (web_engine_threads.h); they settle on their own soon after their work stops.
    if (wait && !wait_for_web_engine_threads_to_settle(kWebEngineSettleWait))
        std::fputs("sorvane: the web engine's screen capture or GPU thread still works at destroy() (destroy every "
                   "view first): the process may crash at its exit\n", stderr);
    QCoreApplication::quit();
    if (!wait)
        return;
    // quit() is ignored in the moment between the start sequence and exec(); a queued quit is not.
    QMetaObject::invokeMethod(SORVANE_APP, &QCoreApplication::quit, Qt::QueuedConnection);
    std::unique_lock lock(g_loop_end_mutex);
    if (!g_loop_end_changed.wait_for(lock, kLoopEndWait, [] { return g_loop_ended; })) {
        std::fputs("sorvane: the Qt event loop did not end within 10 s of destroy()\n", stderr);
        return;
    }
    quiet_the_exit();
    // The GPU thread may still be handed work after it settled (web_engine_threads.h): park it.
    if (park_web_engine_gpu_threads(std::chrono::milliseconds(500)) < 0)
        std::fprintf(stderr, "sorvane: signal %d has a handler of the host's, so the web engine's GPU thread is not parked "
                             "at destroy(): the process may crash at its exit\n", gpu_thread_park_signal());
}

std::string S::get_version_full()
{
    return kVersionFull;
}

void S::set_ffmpeg_debug(bool) {}

void S::set_ffmpeg_protocol_whitelist(std::string) {}

}  // namespace sorvane
