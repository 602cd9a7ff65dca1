// The web view's scene: one page that fills the view, on the shared web profile.
//
// Everything the page shows comes from the view ("ctx"): its address (through followUrl()), zoom,
// background colour, muted state and every web setting, followed live. The view drives the page
// through the root's functions and hears from it through ctx.onLoadingChanged,
// ctx.navigation_handler and the root's javaScriptConsoleMessage signal.
//
// Loading changes reach ctx.onLoadingChanged(status, url, errorDomain, errorString, errorCode)
// as the web engine reports them: status is the WebEngineLoadingInfo status value (0 started,
// 1 stopped, 2 succeeded, 3 failed), url the address as text, errorDomain the name of the
// ErrorDomain value ("NoErrorDomain" when there is none; "HttpStatusCodeDomain" with the HTTP
// status as errorCode for a page that came with one), errorCode as given, and errorString the
// engine's error text for a failed load, empty otherwise (the engine fills it with the text of
// its error page even for a successful load).
// A navigation request asks ctx.navigation_handler(url, type) with the request's address and the
// name of its NavigationType value ("LinkClickedNavigation", "TypedNavigation", ...).
// Wherever the page goes, its address reaches ctx.onPageUrlChanged, so that the host reads the
// address of the page it shows, also when the page moved without being asked to by the host.
// The view also hears of every main-frame navigation it accepts (ctx.onMainFrameNavigation), to
// decide before the new page exists whether it reaches the engine's objects.
// The page's other requests go to ctx as well: the end of its renderer process
// (ctx.onRenderProcessTerminated), new windows (ctx.new_window_requested), permissions
// (ctx.onPermissionRequested) and file choosers (ctx.file_dialog_requested_later, then
// ctx.file_dialog_requested); the view answers permissions and choosers at once or keeps them
// for the host's later answer. Downloads reach the view through the shared profile.
import QtQuick
import QtWebChannel
import QtWebEngine

Item {
    id: root

    // The page's web channel, which the data-binding bridge publishes on.
    property alias webChannel: channel

    signal javaScriptConsoleMessage(int level, string message, int lineNumber, string sourceID)

    function back() { page.goBack() }
    function forward() { page.goForward() }
    function reload() { page.reload() }
    function reload_and_bypass_cache() { page.reloadAndBypassCache() }
    function back_or_forward(offset) { page.goBackOrForward(offset) }
    function run_javascript(script) { page.runJavaScript(script) }
    function load_html(html, baseUrl) { navigate(() => page.loadHtml(html, baseUrl)) }
    function can_go_back() { return page.canGoBack }
    function can_go_forward() { return page.canGoForward }
    function recently_audible() { return page.recentlyAudible }

    readonly property var errorDomainNames: ({
        [WebEngineLoadingInfo.NoErrorDomain]: "NoErrorDomain",
        [WebEngineLoadingInfo.InternalErrorDomain]: "InternalErrorDomain",
        [WebEngineLoadingInfo.ConnectionErrorDomain]: "ConnectionErrorDomain",
        [WebEngineLoadingInfo.CertificateErrorDomain]: "CertificateErrorDomain",
        [WebEngineLoadingInfo.HttpErrorDomain]: "HttpErrorDomain",
        [WebEngineLoadingInfo.FtpErrorDomain]: "FtpErrorDomain",
        [WebEngineLoadingInfo.DnsErrorDomain]: "DnsErrorDomain",
        [WebEngineLoadingInfo.HttpStatusCodeDomain]: "HttpStatusCodeDomain"
    })

    readonly property var navigationTypeNames: ({
        [WebEngineNavigationRequest.LinkClickedNavigation]: "LinkClickedNavigation",
        [WebEngineNavigationRequest.TypedNavigation]: "TypedNavigation",
        [WebEngineNavigationRequest.FormSubmittedNavigation]: "FormSubmittedNavigation",
        [WebEngineNavigationRequest.BackForwardNavigation]: "BackForwardNavigation",
        [WebEngineNavigationRequest.ReloadNavigation]: "ReloadNavigation",
        [WebEngineNavigationRequest.OtherNavigation]: "OtherNavigation",
        [WebEngineNavigationRequest.RedirectNavigation]: "RedirectNavigation"
    })

    function nameOf(names, value) {
        return names[value] !== undefined ? names[value] : String(value)
    }

    WebChannel {
        id: channel
    }

    // A navigation asked for while a blank page is still loading waits until that load is done:
    // the engine reports neither the start nor the end of a load that begins while another is
    // under way and ends after it, and the host would never hear of the page it asked for.
    property bool blankLoading: false
    property var waitingNavigation: null

    function navigate(go) {
        if (blankLoading)
            waitingNavigation = go
        else
            go()
    }

    function followUrl() {
        navigate(() => {
            blankLoading = ctx.url === "about:blank"
            if (blankLoading)
                blankTimeout.restart()
            page.url = ctx.url
        })
    }

    function blankLoadDone() {
        if (!blankLoading)
            return
        blankLoading = false
        blankTimeout.stop()
        const go = waitingNavigation
        waitingNavigation = null
        if (go)
            go()
    }

    // A blank page that never reports its end holds nothing up for long.
    Timer {
        id: blankTimeout
        interval: 2000
        onTriggered: root.blankLoadDone()
    }

    Connections {
        target: ctx
        function onUrlChanged() { root.followUrl() }
        // The view's volume reaches the document shown now; later ones get it at creation.
        function onAudioVolumeChanged() { page.runJavaScript(ctx.volume_script, WebEngineScript.ApplicationWorld) }
    }

    Component.onCompleted: followUrl()

    WebEngineView {
        id: page
        anchors.fill: parent
        profile: customWebProfile
        webChannel: channel

        // The channel library first, then the bridge script: both before any script of the page.
        // Then the view's volume, in a world of its own.
        userScripts.collection: ctx.page_scripts().map(source => ({
            name: source,
            sourceUrl: source,
            injectionPoint: WebEngineScript.DocumentCreation,
            worldId: WebEngineScript.MainWorld,
            runOnSubframes: true
        })).concat(ctx.volume_script === "" ? [] : [{
            name: "volume",
            sourceCode: ctx.volume_script,
            injectionPoint: WebEngineScript.DocumentCreation,
            worldId: WebEngineScript.ApplicationWorld,
            runOnSubframes: true
        }])

        zoomFactor: ctx.zoom_factor
        backgroundColor: ctx.backgroundColor
        audioMuted: ctx.audio_muted
        onRecentlyAudibleChanged: ctx.onRecentlyAudibleChanged(page.recentlyAudible)

        settings.accelerated2dCanvasEnabled: ctx.accelerated2dCanvasEnabled
        settings.allowGeolocationOnInsecureOrigins: ctx.allowGeolocationOnInsecureOrigins
        settings.allowRunningInsecureContent: ctx.allowRunningInsecureContent
        settings.allowWindowActivationFromJavaScript: ctx.allowWindowActivationFromJavaScript
        settings.autoLoadIconsForPage: ctx.autoLoadIconsForPage
        settings.autoLoadImages: ctx.autoLoadImages
        settings.defaultTextEncoding: ctx.defaultTextEncoding
        settings.dnsPrefetchEnabled: ctx.dnsPrefetchEnabled
        settings.errorPageEnabled: ctx.errorPageEnabled
        settings.focusOnNavigationEnabled: ctx.focusOnNavigationEnabled
        settings.forceDarkMode: ctx.forceDarkMode
        settings.fullScreenSupportEnabled: ctx.fullscreenSupportEnabled
        settings.hyperlinkAuditingEnabled: ctx.hyperlinkAuditingEnabled
        settings.javascriptCanAccessClipboard: ctx.javascriptCanAccessClipboard
        settings.javascriptCanOpenWindows: ctx.javascriptCanOpenWindows
        settings.javascriptCanPaste: ctx.javascriptCanPaste
        settings.javascriptEnabled: ctx.javascriptEnabled
        settings.linksIncludedInFocusChain: ctx.linksIncludedInFocusChain
        settings.localContentCanAccessFileUrls: ctx.localContentCanAccessFileUrls
        settings.localContentCanAccessRemoteUrls: ctx.localContentCanAccessRemoteUrls
        settings.localStorageEnabled: ctx.localStorageEnabled
        settings.navigateOnDropEnabled: ctx.navigateOnDropEnabled
        settings.pdfViewerEnabled: ctx.pdfViewerEnabled
        settings.playbackRequiresUserGesture: ctx.playbackRequiresUserGesture
        settings.pluginsEnabled: ctx.pluginsEnabled
        settings.printElementBackgrounds: ctx.printElementBackgrounds
        settings.readingFromCanvasEnabled: ctx.readingFromCanvasEnabled
        settings.screenCaptureEnabled: ctx.screenCaptureEnabled
        settings.showScrollBars: ctx.showScrollBars
        settings.spatialNavigationEnabled: ctx.spatialNavigationEnabled
        settings.touchIconsEnabled: ctx.touchIconsEnabled
        settings.unknownUrlSchemePolicy: ctx.unknownUrlSchemePolicy
        settings.webGLEnabled: ctx.webGLEnabled
        settings.webRTCPublicInterfacesOnly: ctx.webRTCPublicInterfacesOnly

        onUrlChanged: ctx.onPageUrlChanged(page.url.toString())

        onJavaScriptConsoleMessage: (level, message, lineNumber, sourceID) =>
            root.javaScriptConsoleMessage(level, message, lineNumber, sourceID)

        onLoadingChanged: loadingInfo => {
            ctx.onLoadingChanged(
                loadingInfo.status, loadingInfo.url.toString(),
                root.nameOf(root.errorDomainNames, loadingInfo.errorDomain),
                loadingInfo.status === WebEngineLoadingInfo.LoadFailedStatus ? loadingInfo.errorString : "",
                loadingInfo.errorCode)
            if (loadingInfo.status !== WebEngineLoadingInfo.LoadStartedStatus)
                root.blankLoadDone()
        }

        // The renderer process of the page ended; the view decides about reloading.
        onRenderProcessTerminated: (terminationStatus, exitCode) =>
            ctx.onRenderProcessTerminated(terminationStatus, exitCode)

        // A page that the host does not take over opens here, asking the navigation handler.
        onNewWindowRequested: request => {
            if (!ctx.new_window_requested(request.requestedUrl.toString(), request.destination))
                page.url = request.requestedUrl
        }

        onPermissionRequested: permission => ctx.onPermissionRequested(permission)

        // Answered later by the host when it asks so, otherwise at once: the files the host
        // chose, or a cancel. The engine's own dialog never opens.
        onFileDialogRequested: request => {
            request.accepted = true
            if (ctx.file_dialog_requested_later(request, request.mode, request.acceptedMimeTypes))
                return
            const files = ctx.file_dialog_requested(request.mode, request.acceptedMimeTypes)
            if (files.length > 0)
                request.dialogAccept(files)
            else
                request.dialogReject()
        }

        onNavigationRequested: request => {
            if (ctx.navigation_handler(request.url.toString(),
                                       root.nameOf(root.navigationTypeNames, request.navigationType))) {
                request.accept()
                if (request.isMainFrame)
                    ctx.onMainFrameNavigation(request.url.toString())
            } else {
                request.reject()
                // The host may have asked for the address it refuses: the page stays where it is.
                ctx.onPageUrlChanged(page.url.toString())
            }
        }
    }
}
