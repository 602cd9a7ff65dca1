// What a web view's page asks of the host beyond navigation: recovery when its renderer process
// ends, new windows, permissions, file choosers and downloads.

#include "web/web_view.h"

#include <QDir>
#include <QFileInfo>
#include <QJSEngine>
#include <QMetaEnum>
#include <QTimer>
#include <QWebEngineNewWindowRequest>
#include <QWebEnginePage>
#include <QtDebug>

namespace sorvane {

namespace {

template <typename Enum>
QString enum_name(int value)
{
    const char* key = QMetaEnum::fromType<Enum>().valueToKey(value);
    return key ? QString::fromLatin1(key) : QString::number(value);
}

// An origin as the web writes it: scheme, host and port, without a path ("https://example.com").
QString origin_text(const QUrl& origin)
{
    return origin.adjusted(QUrl::RemoveUserInfo | QUrl::RemovePath | QUrl::RemoveQuery | QUrl::RemoveFragment)
        .toString();
}

std::vector<std::string> to_host(const QStringList& texts)
{
    std::vector<std::string> result;
    result.reserve(static_cast<size_t>(texts.size()));
    for (const QString& text : texts)
        result.push_back(text.toStdString());
    return result;
}

}  // namespace

void WebView::onRenderProcessTerminated(int terminationStatus, int exitCode)
{
    m_render_process_terminated(terminationStatus, exitCode);

    const QString what = QStringLiteral("web view %1: the renderer process of its page %2 ended (%3, exit code %4)")
                             .arg(m_idx)
                             .arg(m_shown_url)
                             .arg(enum_name<QWebEnginePage::RenderProcessTerminationStatus>(terminationStatus))
                             .arg(exitCode);
    if (m_since_crash_reload.isValid() && m_since_crash_reload.elapsed() < m_crash_retry_window.count()) {
        qWarning().noquote() << what + QStringLiteral(
            " again, within %1 s of reloading the page after the last time; not reloading it again "
            "(reload() or set_url() brings it back)").arg(m_crash_retry_window.count() / 1000.0);
        return;
    }
    qWarning().noquote() << what + QStringLiteral("; reloading the page");
    m_since_crash_reload.start();
    // Not from inside the web engine's own report.
    QTimer::singleShot(0, this, [this] { reload(); });
}

bool WebView::new_window_requested(const QString& url, int destination)
{
    return m_new_window_requested(url.toStdString(),
                                  enum_name<QWebEngineNewWindowRequest::DestinationType>(destination).toStdString())
        .value_or(false);
}

QString WebView::permission_name(QWebEnginePermission::PermissionType type)
{
    using Type = QWebEnginePermission::PermissionType;
    switch (type) {
    case Type::MediaAudioCapture:
        return QStringLiteral("microphone");
    case Type::MediaVideoCapture:
        return QStringLiteral("camera");
    case Type::MediaAudioVideoCapture:
        return QStringLiteral("camera-and-microphone");
    case Type::DesktopVideoCapture:
        return QStringLiteral("screen-capture");
    case Type::DesktopAudioVideoCapture:
        return QStringLiteral("screen-capture-with-audio");
    case Type::MouseLock:
        return QStringLiteral("pointer-lock");
    case Type::Notifications:
        return QStringLiteral("notifications");
    case Type::Geolocation:
        return QStringLiteral("geolocation");
    case Type::ClipboardReadWrite:
        return QStringLiteral("clipboard-read-write");
    case Type::LocalFontsAccess:
        return QStringLiteral("local-fonts");
    case Type::Unsupported:
        break;
    }
    return {};
}

int WebView::s_next_request_id = 1;

void WebView::onPermissionRequested(const QWebEnginePermission& permission)
{
    const QString name = permission_name(permission.permissionType());
    if (!name.isEmpty() && m_permission_requested_later.is_set()) {
        // Kept before the host hears of it: the host may answer from inside the callback.
        const int id = s_next_request_id++;
        m_waiting_permissions.insert(id, permission);
        m_permission_requested_later(id, origin_text(permission.origin()).toStdString(), name.toStdString());
        return;
    }
    bool granted = false;
    if (name.isEmpty())
        qWarning().noquote() << QStringLiteral("web view %1: denied a request of %2 for a permission of unknown type %3")
                                    .arg(m_idx)
                                    .arg(origin_text(permission.origin()))
                                    .arg(static_cast<int>(permission.permissionType()));
    else
        granted = m_permission_requested(origin_text(permission.origin()).toStdString(), name.toStdString())
                      .value_or(false);
    // Answered before returning, whatever happened: no request stays pending.
    if (granted)
        permission.grant();
    else
        permission.deny();
}

QStringList WebView::file_dialog_requested(int mode, const QStringList& acceptedMimeTypes)
{
    const auto chosen = m_file_dialog_requested(mode, to_host(acceptedMimeTypes));
    return chosen ? chosen_files(mode, *chosen) : QStringList();
}

QStringList WebView::chosen_files(int mode, const std::vector<std::string>& chosen) const
{
    QStringList files;
    for (const std::string& path : chosen) {
        const QString file = QString::fromStdString(path);
        if (!QDir::isAbsolutePath(file)) {
            qWarning().noquote() << QStringLiteral("web view %1: file chooser: left out \"%2\", which is not an absolute path")
                                        .arg(m_idx)
                                        .arg(file);
            continue;
        }
        files.append(QDir::cleanPath(file));
    }
    // Modes that take one file (open one, a folder, save) get only the first.
    constexpr int kOpenMultiple = 1;
    if (mode != kOpenMultiple && files.size() > 1) {
        qWarning().noquote() << QStringLiteral("web view %1: file chooser: it takes one file; kept \"%2\" of the %3 chosen")
                                    .arg(m_idx)
                                    .arg(files.first())
                                    .arg(files.size());
        files = files.mid(0, 1);
    }
    return files;
}

bool WebView::file_dialog_requested_later(QObject* request, int mode, const QStringList& acceptedMimeTypes)
{
    if (!request || !m_file_dialog_requested_later.is_set())
        return false;
    // The scene's request would otherwise be collected by the QML engine before the answer.
    QJSEngine::setObjectOwnership(request, QJSEngine::CppOwnership);
    const int id = s_next_request_id++;
    m_waiting_file_dialogs.insert(id, {request, mode});
    m_file_dialog_requested_later(id, mode, to_host(acceptedMimeTypes));
    return true;
}

namespace {

void warn_unknown_request(int view, const char* what, int id)
{
    qWarning().noquote() << QStringLiteral("web view %1: ignored the answer to %2 %3: no such request is waiting "
                                           "(unknown, or already answered)")
                                .arg(view)
                                .arg(QLatin1StringView(what))
                                .arg(id);
}

// Answers the scene's FileDialogRequest and lets it go.
void answer_file_dialog(QObject* request, const QStringList& files)
{
    if (!request)
        return;
    if (files.isEmpty())
        QMetaObject::invokeMethod(request, "dialogReject");
    else
        QMetaObject::invokeMethod(request, "dialogAccept", Q_ARG(QStringList, files));
    request->deleteLater();
}

}  // namespace

void WebView::answer_permission_request(int id, bool granted)
{
    const auto waiting = m_waiting_permissions.constFind(id);
    if (waiting == m_waiting_permissions.cend()) {
        warn_unknown_request(m_idx, "permission request", id);
        return;
    }
    const QWebEnginePermission permission = *waiting;
    m_waiting_permissions.erase(waiting);
    if (granted)
        permission.grant();
    else
        permission.deny();
}

void WebView::answer_file_dialog_request(int id, const std::vector<std::string>& files)
{
    const auto waiting = m_waiting_file_dialogs.constFind(id);
    if (waiting == m_waiting_file_dialogs.cend()) {
        warn_unknown_request(m_idx, "file chooser", id);
        return;
    }
    const WaitingFileDialog dialog = *waiting;
    m_waiting_file_dialogs.erase(waiting);
    answer_file_dialog(dialog.request, chosen_files(dialog.mode, files));
}

void WebView::answer_waiting_requests(const char* why)
{
    const qsizetype count = m_waiting_permissions.size() + m_waiting_file_dialogs.size();
    if (count == 0)
        return;
    qWarning().noquote() << QStringLiteral("web view %1: %2 request(s) still waiting for the host's answer %3: "
                                           "denied or cancelled")
                                .arg(m_idx)
                                .arg(count)
                                .arg(QLatin1StringView(why));
    // Taken first: answering may run the page's code, which may ask again.
    const auto permissions = std::exchange(m_waiting_permissions, {});
    const auto dialogs = std::exchange(m_waiting_file_dialogs, {});
    for (const QWebEnginePermission& permission : permissions)
        permission.deny();
    for (const WaitingFileDialog& dialog : dialogs)
        answer_file_dialog(dialog.request, {});
}

void WebView::offer_download(QQuickWebEngineDownloadRequest* download)
{
    const QString url = download->url().toString();
    const auto answer = m_download_requested(url.toStdString(), download->suggestedFileName().toStdString(),
                                             download->mimeType().toStdString());
    if (!answer) {
        qWarning().noquote() << QStringLiteral("web view %1: refused the download of %2: no download callback is set")
                                    .arg(m_idx)
                                    .arg(url);
        download->cancel();
        return;
    }
    const QString path = QString::fromStdString(*answer);
    if (path.isEmpty()) {
        download->cancel();
        return;
    }
    const QFileInfo file(QDir::cleanPath(path));
    if (!file.isAbsolute() || file.fileName().isEmpty() || path.endsWith(u'/') || file.isDir()) {
        qWarning().noquote() << QStringLiteral("web view %1: refused the download of %2: \"%3\" is not an absolute "
                                               "path of a file")
                                    .arg(m_idx)
                                    .arg(url)
                                    .arg(path);
        download->cancel();
        return;
    }
    download->setDownloadDirectory(file.absolutePath());
    download->setDownloadFileName(file.fileName());
    m_downloads.append(download);
    connect(download, &QWebEngineDownloadRequest::isFinishedChanged, this, [this, download, path] {
        if (!download->isFinished() || !m_downloads.removeOne(download))
            return;
        m_download_finished(path.toStdString(), download->state() == QWebEngineDownloadRequest::DownloadCompleted);
    });
    download->accept();
}

}  // namespace sorvane
