// SWebView's web-channel operations: engine objects published for the view's page.

#include "sorvane/web_view.h"

#include "databinding/web_channel_binding.h"
#include "runtime/carry.h"
#include "web/web_view.h"

#include <cstdio>

namespace sorvane {

bool SWebView::webchannel_registerObject(const std::string& name, db::AbstractContextObjectStd* object)
{
    if (!m_view) {
        std::fputs("webchannel_registerObject, m_mivo == nullptr\n", stdout);
        std::fflush(stdout);
        return false;
    }
    // False when the view was destroyed through another copy of this facade: the object then
    // stays the caller's.
    return carry::blocking(m_view, [name, object](View* v) {
        static_cast<WebView*>(v)->m_data_binding.register_object(name, object);
        return true;
    }, false);
}

bool SWebView::webchannel_deregisterObject(const std::string& name)
{
    if (!m_view)
        return false;
    return carry::blocking(m_view, [name](View* v) {
        static_cast<WebView*>(v)->m_data_binding.deregister_object(name);
        return true;
    }, false);
}

db::AbstractContextObjectStd* SWebView::webchannel_getObject(const std::string& name)
{
    // On the caller's thread: the registry is read under the manager's lock.
    return carry::direct(m_view, [&name](View* v) { return static_cast<WebView*>(v)->m_data_binding.find_object(name); },
                         nullptr);
}

}  // namespace sorvane
