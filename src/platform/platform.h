#pragma once

// Which Qt platform the library runs on, as the rest of the library needs to know it.

#include <QList>

class QScreen;

namespace sorvane::platform {

// The name of the library's own platform (src/platform/headless_integration.h).
inline constexpr const char* kHeadlessPlatform = "headless";

// Whether the application runs on the headless platform. False before the application exists.
bool headless_in_use();

// The machine's physical screens, the primary one first: QGuiApplication::screens(), except on
// the headless platform, whose one screen stands for no physical screen (an empty list). Empty
// before the application exists.
QList<QScreen*> physical_screens();

}  // namespace sorvane::platform
