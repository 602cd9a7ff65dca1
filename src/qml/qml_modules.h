#pragma once

#include "sorvane/export.h"

// Registration functions of the library's built-in QML modules. Each registers its module at
// version 1.0 and nothing else: the modules' types are their scenes, registered one by one when
// a scene is first loaded. The QML engine calls them when a scene imports the module; calling
// one again is harmless. They live in the global namespace, where the QML engine's naming
// scheme for module registrations puts them.
SORVANE_EXPORT void qml_register_types_Web();
SORVANE_EXPORT void qml_register_types_Splash();
SORVANE_EXPORT void qml_register_types_Debug();
SORVANE_EXPORT void qml_register_types_Multimedia();
