#pragma once

// libsorvane_load_filter.so (load_filter.cpp): a filter of Qt's messages that is in place while
// the dynamic linker starts libsorvane.so.0's libraries. libsorvane.so.0 ends it as it starts.

extern "C" __attribute__((visibility("default"))) void sorvane_load_filter_end();
