#include "web/downloads.h"

#include "web/web_view.h"

#include <QPointer>
#include <QQmlContext>
#include <QtDebug>
#include <QtQml/qqml.h>
#include <QtWebEngineQuick/QQuickWebEngineDownloadRequest>
#include <QtWebEngineQuick/QQuickWebEngineProfile>

namespace sorvane {

namespace {

// The web view whose scene holds the page that started the download: the page is created in
// the scene's context, whose "ctx" is the view.
WebView* view_of(QQuickWebEngineDownloadRequest* download)
{
    QObject* page = download->property("view").value<QObject*>();
    QQmlContext* context = page ? qmlContext(page) : nullptr;
    return context ? qobject_cast<WebView*>(context->contextProperty("ctx").value<QObject*>()) : nullptr;
}

}  // namespace

void route_downloads(QQuickWebEngineProfile* profile)
{
    static QPointer<QQuickWebEngineProfile> routed;
    if (!profile || routed == profile)
        return;
    routed = profile;
    QObject::connect(profile, &QQuickWebEngineProfile::downloadRequested, profile,
                     [](QQuickWebEngineDownloadRequest* download) {
                         if (WebView* view = view_of(download)) {
                             view->offer_download(download);
                             return;
                         }
                         qWarning().noquote() << "refused the download of" << download->url().toString()
                                              << ": no web view's page started it";
                         download->cancel();
                     });
}

}  // namespace sorvane
