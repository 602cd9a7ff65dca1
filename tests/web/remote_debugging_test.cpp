// Chromium's remote debugging, switched on at start by opts::REMOTE_DEBUGGING_PORT: a real
// DevTools-protocol client from the npm registry (installed by the devtools_client fixture)
// lists the web views' pages, evaluates an expression in one of them and gets its result, and
// the page shows what the expression did. The port listens on 127.0.0.1 and on no other address.

#include "web_test_support.h"

#include <cstdio>
#include <fstream>
#include <set>
#include <sstream>

using namespace sorvane;
using namespace webtest;

namespace {

int g_port = 0;

// A TCP port of 127.0.0.1 that is free now.
int free_port()
{
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (s < 0 || ::bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::getsockname(s, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        throw std::runtime_error("no free port on the loopback interface");
    ::close(s);
    return ntohs(address.sin_port);
}

class Environment : public ::testing::Environment {
public:
    void SetUp() override
    {
        g_port = free_port();
        opts::REMOTE_DEBUGGING_PORT = g_port;
        start(/*gpu_disabled=*/true);
    }
};

const auto* const g_environment = ::testing::AddGlobalTestEnvironment(new Environment);

// The addresses (as /proc/net/tcp and tcp6 write them) that listen on `port`.
std::set<std::string> listening_addresses(int port)
{
    std::set<std::string> addresses;
    for (const char* table : {"/proc/net/tcp", "/proc/net/tcp6"}) {
        std::ifstream in(table);
        std::string line;
        std::getline(in, line);  // the heading
        while (std::getline(in, line)) {
            std::istringstream fields(line);
            std::string slot, local, remote, state;
            fields >> slot >> local >> remote >> state;
            const size_t colon = local.rfind(':');
            if (state == "0A" && colon != std::string::npos && std::stoi(local.substr(colon + 1), nullptr, 16) == port)
                addresses.insert(local.substr(0, colon));
        }
    }
    return addresses;
}

struct Output {
    int status;
    std::string text;
};

// Runs a shell command and returns its exit status and what it printed (both streams).
Output run(const std::string& command)
{
    Output output{-1, {}};
    FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
    if (!pipe)
        return output;
    char buffer[4096];
    while (size_t n = std::fread(buffer, 1, sizeof buffer, pipe))
        output.text.append(buffer, n);
    const int status = ::pclose(pipe);
    output.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return output;
}

// The rest of the first line of `text` that starts with `prefix`.
std::string line_after(const std::string& text, const std::string& prefix)
{
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line))
        if (line.rfind(prefix, 0) == 0)
            return line.substr(prefix.size());
    return "(none)";
}

}  // namespace

class RemoteDebuggingTest : public WebTest {};

TEST_F(RemoteDebuggingTest, ADevToolsClientListsThePagesAndEvaluatesAnExpressionInOne)
{
    EXPECT_EQ(qgetenv("QTWEBENGINE_REMOTE_DEBUGGING").toStdString(), "127.0.0.1:" + std::to_string(g_port));
    site().put("/inspected.html", "<!DOCTYPE html><html><head><title>inspected page</title></head>"
                                  "<body style='margin: 0; background: rgb(255, 0, 0)'></body></html>");
    TestWebView view, other;
    view.set_url("res://app/inspected.html");
    ASSERT_TRUE(view.load());
    ASSERT_TRUE(other.load());
    other.load_html("<title>other page</title>", "res://app/");
    ASSERT_EQ(view.wait_for_load("res://app/inspected.html").status, 2);
    view.wait_for_pixel(100, 100, qRgba(255, 0, 0, 255));

    EXPECT_EQ(listening_addresses(g_port), std::set<std::string>{"0100007F"}) << "127.0.0.1 only";

    const Output client = run(
        "DEVTOOLS_EXPRESSION=\"document.body.style.background = 'rgb(0, 0, 255)';"
        " console.log('devtools: ' + 6 * 7); [document.title, 6 * 7]\""
        " NODE_PATH='" DEVTOOLS_CLIENT_DIR "/node_modules' node '" TEST_SOURCE_DIR "/devtools_client.js' " +
        std::to_string(g_port) + " res://app/inspected.html");
    ASSERT_EQ(client.status, 0) << client.text;
    EXPECT_EQ(line_after(client.text, "pages: "), "2") << client.text;
    EXPECT_EQ(line_after(client.text, "title: "), "inspected page");
    EXPECT_EQ(line_after(client.text, "result: "), R"(["inspected page",42])");

    // The page did what the client's expression said.
    EXPECT_EQ(view.wait_for_message("devtools: "), "42");
    EXPECT_TRUE(near(view.wait_for_pixel(100, 100, qRgba(0, 0, 255, 255)).pixel(100, 100), qRgba(0, 0, 255, 255)));
}
