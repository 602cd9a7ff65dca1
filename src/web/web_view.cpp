#include "web/web_view.h"

#include <QQuickWindow>

#include "runtime/runtime_state.h"
#include "web/downloads.h"

#include <QFile>
#include <QQmlContext>
#include <QWebChannel>
#include <QtDebug>
#include <QtWebEngineQuick/QQuickWebEngineProfile>

#include <stdexcept>

namespace sorvane {

const QString WebView::kUserAgent = QStringLiteral(
    "Mozilla/5.0 (X11; U; Linux x86_64) AppleWebKit/537.36 (KHTML, like Gecko) Ubuntu "
    "Chromium/124.0.6310.208 Chrome/122.0.6310.208 Safari/537.36");
const QString WebView::kChannelLibrary = QStringLiteral("qrc:///qtwebchannel/qwebchannel.js");
const QString WebView::kBridgeScript = QStringLiteral("qrc:/Web/assets/test.min.js");

int WebView::s_next_idx = 0;

namespace {

// The zoom percentages a host may ask for; every other value gives kDefaultZoom.
constexpr int kZoomStep = 25;
constexpr int kZoomMin = 25;
constexpr int kZoomMax = 500;
constexpr double kDefaultZoom = 2.0;

// The resource file behind a qrc: address.
QString resource_path(const QString& qrc_url)
{
    return u':' + QUrl(qrc_url).path();
}

}  // namespace

WebView::WebView(QObject* parent) : View(parent), m_idx(s_next_idx++) {}

WebView::~WebView()
{
    answer_waiting_requests("as the view goes");
    // Downloads still running have no one left to report to.
    for (const QPointer<QQuickWebEngineDownloadRequest>& download : std::as_const(m_downloads))
        if (download) {
            download->disconnect(this);
            download->cancel();
        }
    m_navigation_handler.set({});
    m_loading_changed.set({});
}

bool WebView::load()
{
    if (!runtime().default_profile)
        throw std::runtime_error("Failed to set web profile");
    m_profile = runtime().default_profile;
    route_downloads(m_profile);
    return load_module(QStringLiteral("Web"), QStringLiteral("Webview"));
}

void WebView::set_idx(int idx)
{
    if (idx != m_idx)
        m_idx = idx;
}

void WebView::set_url(const QString& url)
{
    m_url = url;
    m_shown_url = url;
    emit urlChanged(m_url);
}

void WebView::set_zoom_factor(double factor)
{
    m_zoom_factor = factor;
    emit zoomFactorChanged(m_zoom_factor);
}

void WebView::set_background_color(const QString& color)
{
    m_background_color = color;
    emit backgroundColorChanged(m_background_color);
}

double WebView::translate_zoom_factor(int percent)
{
    if (percent < kZoomMin || percent > kZoomMax || percent % kZoomStep != 0)
        return kDefaultZoom;
    return percent / 100.0;
}

qsizetype WebView::html_address_length(const QString& html)
{
    // The engine navigates to a data: address holding the page's UTF-8, percent-encoded.
    static const QByteArray prefix = QByteArrayLiteral("data:text/html;charset=UTF-8,");
    return prefix.size() + html.toUtf8().toPercentEncoding().size();
}

void WebView::load_html(const QString& html, const QString& base_url)
{
    const qsizetype length = html_address_length(html);
    if (length > kMaxHtmlAddressLength)
        qWarning().noquote() << QStringLiteral(
            "load_html: the page is %1 bytes, %2 bytes as the data: address the web engine loads, "
            "over its limit of %3 bytes (2 MB): it will not be shown; serve large pages through "
            "the \"res\" scheme (set_url(\"res://...\") and the resource callback) instead")
            .arg(html.toUtf8().size()).arg(length).arg(kMaxHtmlAddressLength);
    call_scene("load_html", QVariant(html), QVariant(base_url));
    QFile bridge(resource_path(kBridgeScript));
    if (!bridge.open(QIODevice::ReadOnly) || bridge.readAll().isEmpty())
        qWarning() << "could not load webchannel js file";
}

void WebView::prepare_context(QQmlContext* context)
{
    context->setContextProperty("ctx", this);
    context->setContextProperty("customWebProfile", m_profile);
}

void WebView::post_setup(QQmlEngine*, QObject* root)
{
    auto* channel = qobject_cast<QWebChannel*>(root->property("webChannel").value<QObject*>());
    if (!channel) {
        qWarning() << "the web scene has no web channel";
        return;
    }
    channel->setPropertyUpdateInterval(-1);
    setup_data_binding(root);
}

void WebView::setup_data_binding(QObject* root)
{
    // The data-binding bridge joins the page's channel: its context manager, published as
    // "___cm", and the registrations that arrived before the scene existed, in name order.
    m_data_binding.attach(qobject_cast<QWebChannel*>(root->property("webChannel").value<QObject*>()), root);
}

void WebView::pre_reset()
{
    answer_waiting_requests("as the view is reset");
    m_data_binding.detach();
    View::pre_reset();
}

bool WebView::navigation_handler(const QString& url, const QString& navigationType)
{
    return m_navigation_handler(url.toStdString(), navigationType.toStdString()).value_or(true);
}

void WebView::onPageUrlChanged(const QString& url)
{
    m_shown_url = url;
    update_bridge(url);
}

void WebView::set_bridge_origins(const QStringList& origins)
{
    m_bridge_origins.set(origins);
    m_refused_origins.clear();
    update_bridge(m_shown_url);
}

void WebView::onMainFrameNavigation(const QString& url)
{
    // Closed at once for a refused page, before it exists. Opened only for a page that follows
    // an allowed one (or the empty start page): a refused page still shown meanwhile must not
    // find the objects, so after one the channel opens when the new page is shown.
    if (!m_bridge_origins.allows(url))
        update_bridge(url);
    else if (m_shown_url == QStringLiteral("about:blank") || m_bridge_origins.allows(m_shown_url))
        m_data_binding.set_open(true);
}

void WebView::update_bridge(const QString& url)
{
    const bool allowed = m_bridge_origins.allows(url);
    m_data_binding.set_open(allowed);
    if (allowed || url.isEmpty() || url == QStringLiteral("about:blank"))
        return;
    const QString origin = BridgeOrigins::origin_of(url);
    if (m_refused_origins.contains(origin))
        return;
    m_refused_origins.insert(origin);
    qWarning().noquote() << QStringLiteral(
        "the page at %1 does not reach the engine's objects: its origin is not among the view's "
        "bridge origins").arg(origin);
}

void WebView::onLoadingChanged(int status, const QString& url, const QString& errorDomain,
                               const QString& errorString, int errorCode)
{
    // The page that asked is going away.
    constexpr int kLoadStarted = 0;
    if (status == kLoadStarted)
        answer_waiting_requests("as the page loads another address");
    // A navigation that did not happen leaves the page shown as it was.
    if (status != kLoadStarted)
        update_bridge(m_shown_url);
    m_loading_changed(status, url.toStdString(), errorDomain.toStdString(), errorString.toStdString(),
                      errorCode);
}

QStringList WebView::page_scripts() const
{
    QStringList scripts{kChannelLibrary};
    if (QFile::exists(resource_path(kBridgeScript)))
        scripts.append(kBridgeScript);
    return scripts;
}

}  // namespace sorvane
