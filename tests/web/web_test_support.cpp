#include "web_test_support.h"

#include <optional>

#include "test_host.h"

#include <QMessageLogContext>

namespace webtest {

using namespace sorvane;

namespace {

std::mutex g_warnings_mutex;
std::vector<std::string> g_warnings;
QtMessageHandler g_previous_handler = nullptr;

void record_message(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (type == QtWarningMsg || type == QtCriticalMsg) {
        std::lock_guard lock(g_warnings_mutex);
        g_warnings.push_back(message.toStdString());
    }
    if (g_previous_handler)
        g_previous_handler(type, context, message);
}

Site* g_site = nullptr;

}  // namespace

void Warnings::install()
{
    g_previous_handler = qInstallMessageHandler(record_message);
}

size_t Warnings::mark()
{
    std::lock_guard lock(g_warnings_mutex);
    return g_warnings.size();
}

std::vector<std::string> Warnings::since(size_t mark)
{
    std::lock_guard lock(g_warnings_mutex);
    return {g_warnings.begin() + static_cast<std::ptrdiff_t>(std::min(mark, g_warnings.size())), g_warnings.end()};
}

standin::VulkanHost& host()
{
    return test_host::host();
}

Site& site()
{
    return *g_site;
}

void start(bool gpu_disabled)
{
    g_site = new Site;
    Warnings::install();
    test_host::start(gpu_disabled);
    SView().set_func_resource_file(g_site->callback());
}

bool near(QRgb pixel, QRgb expected, int tolerance)
{
    auto close = [tolerance](int a, int b) { return std::abs(a - b) <= tolerance; };
    return close(qRed(pixel), qRed(expected)) && close(qGreen(pixel), qGreen(expected)) &&
           close(qBlue(pixel), qBlue(expected)) && close(qAlpha(pixel), qAlpha(expected));
}

bool Warnings::seen_since(size_t mark, const std::string& text)
{
    for (const std::string& w : since(mark))
        if (w.find(text) != std::string::npos)
            return true;
    return false;
}

void click(const TestWebView& view, unsigned x, unsigned y)
{
    view.mouse_move(x, y);
    view.mouse_click(0, 0, x, y);
    view.mouse_click(0, 1, x, y);
}

std::string message_after(const TestWebView& view, size_t before, const std::string& prefix,
                          std::chrono::milliseconds timeout)
{
    std::optional<std::string> seen;
    wait_until(view, [&] {
        const auto messages = view.recorded->console();
        for (size_t i = before; i < messages.size() && !seen; ++i)
            if (messages[i].message.rfind(prefix, 0) == 0)
                seen = messages[i].message.substr(prefix.size());
        return seen.has_value();
    }, timeout);
    return seen.value_or("(no answer)");
}

bool wait_until(const SView& view, const std::function<bool()>& done, std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(10ms);
        view.render();
    }
    return true;
}

TestWebView::TestWebView(unsigned width, unsigned height) : m_width(width), m_height(height)
{
    standin::hand_over(host(), *this);
    set_resolution({width, height});
    set_refresh_rate(120);
    auto r = recorded;
    set_func_loading_changed([r](int status, std::string url, std::string domain, std::string text, int code) {
        r->add(Loading{status, url, domain, text, code});
    });
    set_func_javascript_console_log([r](int level, std::string message, int line, std::string source) {
        r->add(Console{level, message, line, source});
    });
}

QQuickItem* TestWebView::page() const
{
    return inside([](WebView* v) -> QQuickItem* {
        if (auto* root = qobject_cast<QQuickItem*>(v->root_item()))
            for (QQuickItem* item : root->childItems())
                if (item->inherits("QQuickWebEngineView"))
                    return item;
        return nullptr;
    });
}

QImage TestWebView::frame() const
{
    std::this_thread::sleep_for(9ms);  // past the 120 Hz frame interval
    render();
    return host().read_back(get_texture(), static_cast<int>(m_width), static_cast<int>(m_height));
}

QImage TestWebView::wait_for_pixel(int x, int y, QRgb colour, std::chrono::milliseconds timeout) const
{
    QImage image;
    wait_until(*this, [&] {
        image = frame();
        return near(image.pixel(x, y), colour);
    }, timeout);
    return image;
}

std::string TestWebView::wait_for_message(const std::string& prefix, std::chrono::milliseconds timeout) const
{
    wait_until(*this, [&] { return recorded->has_message(prefix); }, timeout);
    return recorded->message(prefix);
}

Loading TestWebView::wait_for_load(const std::string& url, std::chrono::milliseconds timeout) const
{
    Loading found{-1, {}, {}, {}, 0};
    wait_until(*this, [&] {
        for (const Loading& l : recorded->loading())
            if (l.url == url && (l.status == 2 || l.status == 3))
                found = l;
        return found.status != -1;
    }, timeout);
    return found;
}

void WebTest::TearDown()
{
    for (const std::string& message : host().validation_messages())
        ADD_FAILURE() << "Vulkan validation: " << message;
    host().clear_validation_messages();
}

}  // namespace webtest
