// SView::get_physical_screens: the machine's screens, listed on the caller's thread.

#include "sorvane/view.h"

#include "media/physical_screens.h"
#include "platform/platform.h"
#include "runtime/carry.h"

#include <QGuiApplication>
#include <QScreen>
#include <QSize>

namespace sorvane {

namespace media {

namespace {

std::string size_text(QSize size)
{
    return std::to_string(size.width()) + "x" + std::to_string(size.height());
}

std::string flag_text(bool value)
{
    return value ? "true" : "false";
}

}  // namespace

std::map<std::string, std::string> describe_screen(const QScreen& screen)
{
    return {
        {"name", screen.name().toStdString()},
        {"model", screen.model().toStdString()},
        {"manufacturer", screen.manufacturer().toStdString()},
        {"serialNumber", screen.serialNumber().toStdString()},
        {"availableSize", size_text(screen.availableSize())},
        {"virtualSize", size_text(screen.virtualSize())},
        {"isPortrait", flag_text(screen.isPortrait(screen.orientation()))},
        {"isLandscape", flag_text(screen.isLandscape(screen.orientation()))},
        {"refreshRate", QString::asprintf("%f", screen.refreshRate()).toStdString()},
    };
}

}  // namespace media

std::vector<std::map<std::string, std::string>> SView::get_physical_screens() const
{
    // The application exists once its event loop takes calls.
    if (!carry::loop_running.load(std::memory_order_acquire) ||
        !qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return {};
    std::vector<std::map<std::string, std::string>> screens;
    for (const QScreen* screen : platform::physical_screens())
        screens.push_back(media::describe_screen(*screen));
    return screens;
}

}  // namespace sorvane
