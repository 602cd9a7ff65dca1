// SWebView: the host's handle of a web view.

#include "sorvane/web_view.h"

#include "runtime/facade_support.h"
#include "web/web_view.h"

namespace sorvane {

SWebView::SWebView() : SView()
{
    m_view = create_view(&SorvaneCtx::_create_webview);
}

}  // namespace sorvane
