// libsorvane_load_filter.so: drops the warnings that Qt Multimedia gives as it is loaded, before
// any code of libsorvane.so.0 can run, when the machine has no PipeWire:
//
//   qt.multimedia.symbolsresolver: Couldn't load pipewire-0.3 library
//   qt.multimedia.symbolsresolver: Couldn't resolve pipewire-0.3 symbols
//
// Qt Multimedia uses PipeWire only to capture the screen through the desktop portal of a Wayland
// session; the library's screen capture view says so itself where it cannot capture. On every
// other machine the lines ask nothing of anyone.
//
// A library of its own, because only a library that the dynamic linker starts before Qt
// Multimedia can be in place in time. libsorvane.so.0 names it after every Qt library it needs;
// of two needed libraries that do not need each other, glibc starts the one named later first.
// The start-up test checks that the lines stay away (a dynamic linker that orders otherwise only
// lets them through). libsorvane.so.0 takes the filter out again as it starts itself, so it lasts
// only while the libraries are loaded.

#include "platform/load_filter.h"

#include <QString>
#include <QtGlobal>

#include <cstring>

namespace {

QtMessageHandler g_previous = nullptr;
bool g_installed = false;

bool dropped(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    return type == QtWarningMsg && context.category && std::strcmp(context.category, "qt.multimedia.symbolsresolver") == 0 &&
           (message == QLatin1String("Couldn't load pipewire-0.3 library") ||
            message == QLatin1String("Couldn't resolve pipewire-0.3 symbols"));
}

void filter(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (dropped(type, context, message))
        return;
    if (g_previous)
        g_previous(type, context, message);
}

// Runs as the dynamic linker starts this library. Nothing else runs in the process then.
__attribute__((constructor)) void install()
{
    g_previous = qInstallMessageHandler(&filter);
    g_installed = true;
}

}  // namespace

extern "C" void sorvane_load_filter_end()
{
    if (!g_installed)
        return;
    g_installed = false;
    // Only while the filter is still the handler: whoever replaced it keeps theirs.
    const QtMessageHandler current = qInstallMessageHandler(g_previous);
    if (current != &filter)
        qInstallMessageHandler(current);
}
