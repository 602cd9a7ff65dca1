#pragma once

#include <map>
#include <string>

class QScreen;

namespace sorvane::media {

// One screen as SView::get_physical_screens() describes it.
std::map<std::string, std::string> describe_screen(const QScreen& screen);

}  // namespace sorvane::media
