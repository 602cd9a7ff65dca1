#pragma once

#include <string>

#include "sorvane/view.h"

namespace sorvane {

// A view that shows web pages.
class SORVANE_EXPORT SWebView : public SView {
public:
    SWebView();
};

}  // namespace sorvane
