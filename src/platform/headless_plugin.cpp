// The headless platform as a static Qt platform plugin, compiled into the library: Qt finds it
// under the name "headless" like any platform plugin, without a file in the plugin path.
// Compiled with QT_STATICPLUGIN defined (src/platform/sources.cmake).

#include "platform/headless_integration.h"
#include "platform/platform.h"

#include <QtCore/qplugin.h>
#include <qpa/qplatformintegrationplugin.h>

// Outside any namespace: Q_IMPORT_PLUGIN names the plugin by its bare class name.
class SorvaneHeadlessPlugin : public QPlatformIntegrationPlugin {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QPlatformIntegrationFactoryInterface_iid FILE "headless.json")

public:
    QPlatformIntegration* create(const QString& key, const QStringList&) override
    {
        if (key.compare(QLatin1String(sorvane::platform::kHeadlessPlatform), Qt::CaseInsensitive) != 0)
            return nullptr;
        return new sorvane::platform::HeadlessIntegration;
    }
};

Q_IMPORT_PLUGIN(SorvaneHeadlessPlugin)

#include "headless_plugin.moc"
