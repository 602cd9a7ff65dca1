#include "quick/quick_view.h"

#include <QQmlContext>
#include <QtDebug>

namespace sorvane {

bool QuickView::load(const QString& module, const QString& name)
{
    if (module == QLatin1String("Web")) {
        qCritical() << "cannot load component by module name Web";
        return false;
    }
    return load_module(module, name);
}

void QuickView::prepare_context(QQmlContext* context)
{
    context->setContextProperty("ctx", this);
}

void QuickView::post_setup(QQmlEngine*, QObject*) {}

}  // namespace sorvane
