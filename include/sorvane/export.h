#pragma once

// Marks the names that libsorvane.so.0 exports; everything else in the library is hidden.
#if defined(SORVANE_BUILDING_LIBRARY)
#define SORVANE_EXPORT __attribute__((visibility("default")))
#else
#define SORVANE_EXPORT
#endif
