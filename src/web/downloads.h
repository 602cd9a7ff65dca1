#pragma once

class QQuickWebEngineProfile;

namespace sorvane {

// The web profile is shared by every web view, and so are its download requests: this sends each
// one to the web view whose page started it (WebView::offer_download), and refuses, with a
// warning, one that no view started. Connects once; later calls for the same profile do nothing.
void route_downloads(QQuickWebEngineProfile* profile);

}  // namespace sorvane
