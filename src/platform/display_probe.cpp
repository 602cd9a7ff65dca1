#include "platform/display_probe.h"

#include "platform/platform.h"

#include <QCoreApplication>
#include <QDir>
#include <QJsonArray>
#include <QJsonObject>
#include <QLibrary>
#include <QPluginLoader>
#include <QStringList>
#include <qpa/qplatformintegrationplugin.h>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <thread>

namespace sorvane::platform {

namespace {

// An X connection attempt to a host that does not answer can take minutes.
constexpr auto kXConnectTimeout = std::chrono::seconds(5);

struct xcb_connection_t;
using XcbConnect = xcb_connection_t* (*)(const char* display, int* screen);
using XcbHasError = int (*)(xcb_connection_t*);
using XcbDisconnect = void (*)(xcb_connection_t*);

// xcb_connection_has_error() codes.
std::string xcb_error_text(int code)
{
    switch (code) {
    case 1: return "refuses connections (no X server there, or it rejected this client)";
    case 2: return "lacks an extension the connection needs";
    case 3: return "could not be connected for lack of memory";
    case 4: return "rejected a request as too long";
    case 5: return "is not a valid display name";
    case 6: return "has no such screen";
    case 7: return "could not pass file descriptors";
    default: return "failed with X connection error " + std::to_string(code);
    }
}

// The attempt runs on a thread of its own, so that a hanging connect cannot hold the start.
struct XAttempt {
    std::mutex mutex;
    std::condition_variable done_changed;
    bool done = false;
    std::string problem;
};


}  // namespace

std::string x_display_problem(const std::string& display)
{
    if (display.empty())
        return "DISPLAY is not set";
    QLibrary xcb(QStringLiteral("xcb"), 1);
    if (!xcb.load())
        return "libxcb.so.1 cannot be loaded (install libxcb1): " + xcb.errorString().toStdString();
    const auto connect = reinterpret_cast<XcbConnect>(xcb.resolve("xcb_connect"));
    const auto has_error = reinterpret_cast<XcbHasError>(xcb.resolve("xcb_connection_has_error"));
    const auto disconnect = reinterpret_cast<XcbDisconnect>(xcb.resolve("xcb_disconnect"));
    if (!connect || !has_error || !disconnect)
        return "libxcb.so.1 lacks xcb_connect";

    auto attempt = std::make_shared<XAttempt>();
    std::thread([attempt, display, connect, has_error, disconnect] {
        xcb_connection_t* connection = connect(display.c_str(), nullptr);
        const int error = connection ? has_error(connection) : 3;
        if (connection)
            disconnect(connection);
        std::lock_guard lock(attempt->mutex);
        attempt->problem = error == 0 ? "" : "the X display " + display + " " + xcb_error_text(error);
        attempt->done = true;
        attempt->done_changed.notify_all();
    }).detach();  // libxcb stays loaded: QLibrary does not unload on destruction

    std::unique_lock lock(attempt->mutex);
    if (!attempt->done_changed.wait_for(lock, kXConnectTimeout, [&] { return attempt->done; }))
        return "the X display " + display + " did not answer within 5 s";
    return attempt->problem;
}

std::string wayland_display_problem(const std::string& wayland_display, const std::string& runtime_dir)
{
    if (wayland_display.empty())
        return "WAYLAND_DISPLAY is not set";
    std::string path = wayland_display;
    if (path.front() != '/') {
        if (runtime_dir.empty())
            return "XDG_RUNTIME_DIR is not set, so the Wayland display " + wayland_display + " cannot be found";
        path = runtime_dir + "/" + wayland_display;
    }
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof(address.sun_path))
        return "the Wayland socket path " + path + " is too long";
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return std::string("no socket for the Wayland display: ") + std::strerror(errno);
    const bool connected = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0;
    const int error = errno;
    ::close(fd);
    if (!connected)
        return "the Wayland display " + path + " refuses connections: " + std::strerror(error);
    return "";
}

std::string platform_plugin_problem(const std::string& name)
{
    const QString wanted = QString::fromStdString(name);
    if (wanted.compare(QLatin1String(kHeadlessPlatform), Qt::CaseInsensitive) == 0)
        return "";

    QStringList folders;
    const QString own_path = qEnvironmentVariable("QT_QPA_PLATFORM_PLUGIN_PATH");
    if (!own_path.isEmpty())
        folders << own_path;
    for (const QString& path : QCoreApplication::libraryPaths())
        folders << path + QStringLiteral("/platforms");

    for (const QString& folder : std::as_const(folders)) {
        const QDir dir(folder);
        for (const QString& file : dir.entryList({QStringLiteral("*.so")}, QDir::Files)) {
            QPluginLoader loader(dir.filePath(file));
            const QJsonObject meta = loader.metaData();
            if (meta.value(QLatin1String("IID")).toString() != QLatin1String(QPlatformIntegrationFactoryInterface_iid))
                continue;
            const QJsonArray keys = meta.value(QLatin1String("MetaData")).toObject().value(QLatin1String("Keys")).toArray();
            bool names_it = false;
            for (const QJsonValue& key : keys)
                names_it = names_it || key.toString().compare(wanted, Qt::CaseInsensitive) == 0;
            if (!names_it)
                continue;
            // Loaded now and kept loaded; the application loads it again from here.
            if (loader.load())
                return "";
            return "the Qt platform plugin " + loader.fileName().toStdString() +
                   " cannot be loaded (install the library it names): " + loader.errorString().toStdString();
        }
    }
    return "no Qt platform plugin \"" + name + "\" in " + folders.join(QStringLiteral(", ")).toStdString();
}

std::string platform_problem(const std::string& name)
{
    if (const std::string problem = platform_plugin_problem(name); !problem.empty())
        return problem;
    const QString platform = QString::fromStdString(name);
    if (platform == QLatin1String("xcb"))
        return x_display_problem(qEnvironmentVariable("DISPLAY").toStdString());
    if (platform.startsWith(QLatin1String("wayland")))
        return wayland_display_problem(qEnvironmentVariable("WAYLAND_DISPLAY", QStringLiteral("wayland-0")).toStdString(),
                                       qEnvironmentVariable("XDG_RUNTIME_DIR").toStdString());
    return "";
}

}  // namespace sorvane::platform
