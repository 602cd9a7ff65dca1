// Part of libsorvane.so.0 only (not of the objects that tests link in): ends the filter of
// libsorvane_load_filter.so as this library starts, once every library it needs has started.

#include "platform/load_filter.h"

namespace {

[[maybe_unused]] const bool g_load_filter_ended = (sorvane_load_filter_end(), true);

}  // namespace
