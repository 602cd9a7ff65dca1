#pragma once

// What the web tests share: the stand-in host and the application, an in-memory file tree served
// through "res" by the host's resource callback, a recorder of the view's callbacks and of Qt
// warnings, a loopback HTTP server, and a web view facade that can look inside.

#include <sorvane/sorvane.h>

#include "runtime/carry.h"
#include "runtime/runtime_state.h"
#include "web/web_view.h"

#include "standin_host/hand_over.h"
#include "standin_host/vulkan_host.h"

#include <QImage>
#include <QQuickItem>
#include <QtGlobal>

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace webtest {

using namespace std::chrono_literals;

// --- The files the host serves through "res" ---------------------------------------------------

class Site {
public:
    void put(const std::string& path, std::string bytes)
    {
        std::lock_guard lock(m_mutex);
        // Earlier contents stay alive: the library may still be copying them.
        m_files[path] = m_kept.emplace_back(std::make_shared<const std::string>(std::move(bytes)));
    }

    // The host's resource callback: the bytes of `path`, or a size of 0 when there are none.
    unsigned char* serve(const std::string& path, unsigned long& size)
    {
        std::lock_guard lock(m_mutex);
        m_requests.push_back(path);
        const auto it = m_files.find(path);
        if (it == m_files.end())
            return nullptr;
        size = it->second->size();
        return reinterpret_cast<unsigned char*>(const_cast<char*>(it->second->data()));
    }

    std::vector<std::string> requests() const
    {
        std::lock_guard lock(m_mutex);
        return m_requests;
    }

    int count(const std::string& path) const
    {
        std::lock_guard lock(m_mutex);
        return static_cast<int>(std::count(m_requests.begin(), m_requests.end(), path));
    }

    std::function<unsigned char*(std::string, bool&, unsigned long&)> callback()
    {
        return [this](std::string path, bool&, unsigned long& size) { return serve(path, size); };
    }

private:
    mutable std::mutex m_mutex;
    std::map<std::string, std::shared_ptr<const std::string>> m_files;
    std::vector<std::shared_ptr<const std::string>> m_kept;
    std::vector<std::string> m_requests;
};

// --- What the library tells the host ------------------------------------------------------------

struct Loading {
    int status;
    std::string url, domain, text;
    int code;
};

struct Console {
    int level;
    std::string message;
    int line;
    std::string source;
};

struct Navigation {
    std::string url, type;
};

class Recorder {
public:
    void add(Loading l) { std::lock_guard lock(m_mutex); m_loading.push_back(std::move(l)); }
    void add(Console c) { std::lock_guard lock(m_mutex); m_console.push_back(std::move(c)); }
    void add(Navigation n) { std::lock_guard lock(m_mutex); m_navigation.push_back(std::move(n)); }

    std::vector<Loading> loading() const { std::lock_guard lock(m_mutex); return m_loading; }
    std::vector<Console> console() const { std::lock_guard lock(m_mutex); return m_console; }
    std::vector<Navigation> navigation() const { std::lock_guard lock(m_mutex); return m_navigation; }

    // The first console message that starts with `prefix`, without the prefix; empty if none.
    std::string message(const std::string& prefix) const
    {
        std::lock_guard lock(m_mutex);
        for (const Console& c : m_console)
            if (c.message.rfind(prefix, 0) == 0)
                return c.message.substr(prefix.size());
        return {};
    }
    bool has_message(const std::string& prefix) const
    {
        std::lock_guard lock(m_mutex);
        for (const Console& c : m_console)
            if (c.message.rfind(prefix, 0) == 0)
                return true;
        return false;
    }

private:
    mutable std::mutex m_mutex;
    std::vector<Loading> m_loading;
    std::vector<Console> m_console;
    std::vector<Navigation> m_navigation;
};

// Every Qt warning of the process, for tests that check what is (or is not) logged.
class Warnings {
public:
    static void install();
    static std::vector<std::string> since(size_t mark);
    static size_t mark();
    // Whether a warning since `mark` contains `text`.
    static bool seen_since(size_t mark, const std::string& text);
};

// --- A loopback HTTP server --------------------------------------------------------------------

// Answers every request with `page` (text/html) and keeps the request heads it received.
class HttpServer {
public:
    explicit HttpServer(std::string page) : m_page(std::move(page))
    {
        m_socket = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (m_socket < 0 || ::bind(m_socket, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
            ::listen(m_socket, 8) != 0)
            throw std::runtime_error("cannot listen on the loopback interface");
        socklen_t length = sizeof address;
        ::getsockname(m_socket, reinterpret_cast<sockaddr*>(&address), &length);
        m_port = ntohs(address.sin_port);
        m_thread = std::thread([this] { serve(); });
    }
    ~HttpServer()
    {
        ::shutdown(m_socket, SHUT_RDWR);
        ::shutdown(m_socket, SHUT_RDWR);  // wakes accept(); close() alone does not
        ::close(m_socket);
        m_thread.join();
    }

    std::string url(const std::string& path = "/") const
    {
        return "http://127.0.0.1:" + std::to_string(m_port) + path;
    }
    std::vector<std::string> requests() const
    {
        std::lock_guard lock(m_mutex);
        return m_requests;
    }

private:
    void serve()
    {
        for (;;) {
            const int client = ::accept(m_socket, nullptr, nullptr);
            if (client < 0)
                return;
            // A connection the browser opened ahead of need may never send anything: give up on
            // it after a second instead of holding up the next one (and the destructor) for good.
            timeval patience{1, 0};
            ::setsockopt(client, SOL_SOCKET, SO_RCVTIMEO, &patience, sizeof patience);
            std::string head;
            char buffer[4096];
            while (head.find("\r\n\r\n") == std::string::npos) {
                const ssize_t n = ::recv(client, buffer, sizeof buffer, 0);
                if (n <= 0)
                    break;
                head.append(buffer, static_cast<size_t>(n));
            }
            if (head.find("\r\n\r\n") == std::string::npos) {
                ::close(client);
                continue;
            }
            {
                std::lock_guard lock(m_mutex);
                m_requests.push_back(head);
            }
            const std::string reply = "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: " +
                                      std::to_string(m_page.size()) + "\r\nConnection: close\r\n\r\n" + m_page;
            ::send(client, reply.data(), reply.size(), MSG_NOSIGNAL);
            ::close(client);
        }
    }

    std::string m_page;
    int m_socket = -1;
    int m_port = 0;
    std::thread m_thread;
    mutable std::mutex m_mutex;
    std::vector<std::string> m_requests;
};

// --- The process: host, application, site -----------------------------------------------------

standin::VulkanHost& host();
Site& site();

// Starts the stand-in host and the application once per process, with the site serving "res".
void start(bool gpu_disabled);

// A test program's global environment: starts the library once, before the first test.
//   const auto* const g_environment = ::testing::AddGlobalTestEnvironment(new Started(true));
class Started : public ::testing::Environment {
public:
    explicit Started(bool gpu_disabled) : m_gpu_disabled(gpu_disabled) {}
    void SetUp() override { start(m_gpu_disabled); }

private:
    bool m_gpu_disabled;
};

// --- A web view as the host drives it -----------------------------------------------------------

bool near(QRgb pixel, QRgb expected, int tolerance = 3);

inline const QRgb kRed = qRgba(255, 0, 0, 255);
inline const QRgb kGreen = qRgba(0, 255, 0, 255);
inline const QRgb kBlue = qRgba(0, 0, 255, 255);

// A page with `body` whose html and body elements have no margin and the given style.
inline std::string page(const std::string& body, const std::string& style = "background: rgb(255, 0, 0)")
{
    return "<!DOCTYPE html><html><head><style>html, body { margin: 0; " + style + " }</style></head><body>" +
           body + "</body></html>";
}

// Polls `done` every 10 ms, rendering the view in between, until it holds or `timeout` passes.
bool wait_until(const sorvane::SView& view, const std::function<bool()>& done,
                std::chrono::milliseconds timeout = 10s);

class TestWebView : public sorvane::SWebView {
public:
    // Handed over to the host, 120 Hz, with every callback going to `recorded`.
    explicit TestWebView(unsigned width = 512, unsigned height = 384);
    ~TestWebView() { destroy(); }

    sorvane::WebView* qt() const { return static_cast<sorvane::WebView*>(m_view); }

    template <typename F>
    auto inside(F work) const
    {
        return sorvane::carry::waited(qt(), work);
    }

    // The scene's web engine view (null before load).
    QQuickItem* page() const;

    // Renders a frame now and reads the texture back.
    QImage frame() const;
    // Renders until the pixel at (x, y) is near `colour`; returns the last frame.
    QImage wait_for_pixel(int x, int y, QRgb colour, std::chrono::milliseconds timeout = 10s) const;
    // Waits for a console message starting with `prefix` and returns the rest of it.
    std::string wait_for_message(const std::string& prefix, std::chrono::milliseconds timeout = 10s) const;
    // Waits until the loading callback has reported a finished load (succeeded or failed) of
    // `url`; returns the last such report.
    Loading wait_for_load(const std::string& url, std::chrono::milliseconds timeout = 10s) const;

    std::shared_ptr<Recorder> recorded = std::make_shared<Recorder>();

private:
    unsigned m_width, m_height;
};

// A left click at (x, y), after moving there.
void click(const TestWebView& view, unsigned x, unsigned y);

// The page's first console message starting with `prefix` after its first `before` messages,
// without the prefix; "(no answer)" when none comes within `timeout`.
std::string message_after(const TestWebView& view, size_t before, const std::string& prefix,
                          std::chrono::milliseconds timeout = 5s);

// Checks that the validation layer stayed quiet during each test.
class WebTest : public ::testing::Test {
protected:
    void TearDown() override;
};

}  // namespace webtest
