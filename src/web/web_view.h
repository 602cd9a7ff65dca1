#pragma once

#include <QQmlContext>

#include "view/view.h"

namespace sorvane {

// A view whose scene shows web pages.
class WebView : public View {
    Q_OBJECT
public:
    using View::View;

    void prepare_context(QQmlContext* context) override { context->setContextProperty("ctx", this); }
    void post_setup(QQmlEngine*, QObject*) override {}
};

}  // namespace sorvane
