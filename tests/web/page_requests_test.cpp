// What real pages ask of the host beyond navigation, in Chromium's software path: a renderer
// process that dies (killed, or out of memory under a limit), new windows, permissions, file
// choosers and downloads. Each with the host's callback and without one.

#include "web_test_support.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <condition_variable>
#include <csignal>
#include <fstream>
#include <optional>

using namespace sorvane;
using namespace webtest;

namespace {

const auto* const g_environment = ::testing::AddGlobalTestEnvironment(new Started(/*gpu_disabled=*/true));

// A block of 200 x 200 CSS pixels at the top left, blue.
std::string block(const std::string& tag, const std::string& attributes, const std::string& content = "")
{
    return "<" + tag + " " + attributes +
           " style='display: block; width: 200px; height: 200px; background: rgb(0, 0, 255)'>" + content + "</" +
           tag + ">";
}

// What a callback was called with, in order.
template <typename T>
class Log {
public:
    void add(T value)
    {
        std::lock_guard lock(m_mutex);
        m_items.push_back(std::move(value));
    }
    std::vector<T> items() const
    {
        std::lock_guard lock(m_mutex);
        return m_items;
    }
    size_t size() const
    {
        std::lock_guard lock(m_mutex);
        return m_items.size();
    }

private:
    mutable std::mutex m_mutex;
    std::vector<T> m_items;
};

// Runs `action`, then waits for the page's next console message that starts with `prefix` and
// returns the rest of it; "(no answer)" when none comes within `timeout`.
std::string answer_to(const TestWebView& view, const std::string& prefix, const std::function<void()>& action,
                      std::chrono::milliseconds timeout = 5s)
{
    const size_t before = view.recorded->console().size();
    action();
    return message_after(view, before, prefix, timeout);
}

// Clicks until the page reports the press ("pressed"): Chromium drops the input that reaches a
// page loaded over HTTP in the first moments after it is shown.
void click_until_pressed(const TestWebView& view, unsigned x, unsigned y)
{
    for (int attempt = 0; attempt < 10; ++attempt)
        if (answer_to(view, "pressed", [&] { click(view, x, y); }, 500ms) != "(no answer)")
            return;
    ADD_FAILURE() << "the page never saw a click";
}

// The process id of the renderer that shows the view's page (0 while there is none).
qint64 renderer_pid(const TestWebView& view)
{
    QQuickItem* item = view.page();
    return view.inside([item](WebView*) { return item->property("renderProcessPid").toLongLong(); });
}

qint64 wait_for_renderer(const TestWebView& view, qint64 other_than = 0)
{
    qint64 pid = 0;
    wait_until(view, [&] {
        pid = renderer_pid(view);
        return pid > 0 && pid != other_than;
    });
    return pid;
}

// The process's private writable memory in bytes (what RLIMIT_DATA limits), or -1.
long long data_bytes(qint64 pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmData:", 0) == 0)
            return std::stoll(line.substr(7)) * 1024;
    return -1;
}

struct Termination {
    int status, exit_code;
};

}  // namespace

class PageRequestsTest : public WebTest {};

// --- The renderer process ends --------------------------------------------------------------

// kill -9 of the page's renderer: the view reloads the page once and the texture shows it
// again; a second death soon after is reported and not retried; the host's reload() recovers.
TEST_F(PageRequestsTest, AKilledRendererIsReloadedOnceAndASecondDeathSoonAfterIsOnlyReported)
{
    site().put("/crash.html", page(""));
    TestWebView view;
    auto ended = std::make_shared<Log<Termination>>();
    view.set_func_render_process_terminated([ended](int status, int exit_code) {
        ended->add({status, exit_code});
    });
    view.set_url("res://app/crash.html");
    ASSERT_TRUE(view.load());
    ASSERT_TRUE(near(view.wait_for_pixel(100, 100, kRed).pixel(100, 100), kRed));
    const qint64 first = wait_for_renderer(view);
    ASSERT_GT(first, 0);

    // The reloaded page comes from the host again, green this time.
    site().put("/crash.html", page("", "background: rgb(0, 255, 0)"));
    size_t mark = Warnings::mark();
    ASSERT_EQ(::kill(static_cast<pid_t>(first), SIGKILL), 0);
    ASSERT_TRUE(wait_until(view, [&] { return ended->size() == 1; }));
    EXPECT_EQ(ended->items()[0].status, 2);  // the web engine reports SIGKILL as a crash
    EXPECT_EQ(ended->items()[0].exit_code, SIGKILL);
    EXPECT_TRUE(near(view.wait_for_pixel(100, 100, kGreen).pixel(100, 100), kGreen));
    EXPECT_TRUE(Warnings::seen_since(mark, "reloading the page")) << "no warning of the recovery";
    const qint64 second = wait_for_renderer(view, first);
    ASSERT_GT(second, 0);

    // Within the retry window: reported, not reloaded.
    site().put("/crash.html", page("", "background: rgb(0, 0, 255)"));
    const int asked = site().count("/crash.html");
    mark = Warnings::mark();
    ASSERT_EQ(::kill(static_cast<pid_t>(second), SIGKILL), 0);
    ASSERT_TRUE(wait_until(view, [&] { return ended->size() == 2; }));
    EXPECT_EQ(ended->items()[1].status, 2);
    EXPECT_TRUE(Warnings::seen_since(mark, "not reloading it again"));
    wait_until(view, [] { return false; }, 1500ms);
    EXPECT_EQ(site().count("/crash.html"), asked);
    EXPECT_FALSE(near(view.frame().pixel(100, 100), kBlue));

    view.reload();
    EXPECT_TRUE(near(view.wait_for_pixel(100, 100, kBlue).pixel(100, 100), kBlue));
    EXPECT_EQ(ended->size(), 2u);
}

// A page that allocates until its renderer has no memory left, under a data limit on that one
// process (so the machine stays safe): the renderer dies, and the page comes back by itself.
// Without a callback the recovery still happens. After the retry window a death is recovered
// from again.
TEST_F(PageRequestsTest, ARendererOutOfMemoryIsRecoveredWithoutACallback)
{
    site().put("/hungry.html", page("<script>\n"
                                    "function eat() {\n"
                                    "  const kept = [];\n"
                                    "  for (;;) kept.push(new Array(1 << 20).fill(Math.random()));\n"
                                    "}\n"
                                    "</script>"));
    TestWebView view;
    view.inside([](WebView* v) {
        v->m_crash_retry_window = 0ms;
        return 0;
    });
    view.set_url("res://app/hungry.html");
    ASSERT_TRUE(view.load());
    ASSERT_EQ(view.wait_for_load("res://app/hungry.html").status, 2);

    for (int round = 0; round < 2; ++round) {
        const qint64 pid = wait_for_renderer(view);
        ASSERT_GT(pid, 0);
        const long long used = data_bytes(pid);
        ASSERT_GT(used, 0);
        const rlim_t limit = static_cast<rlim_t>(used) + 256ull * 1024 * 1024;
        const rlimit bound{limit, limit};
        if (::prlimit(static_cast<pid_t>(pid), RLIMIT_DATA, &bound, nullptr) != 0)
            GTEST_SKIP() << "cannot limit the renderer's memory: " << std::strerror(errno);
        const int asked = site().count("/hungry.html");
        const size_t mark = Warnings::mark();
        view.run_javascript("eat()");
        ASSERT_TRUE(wait_until(view, [&] { return ::kill(static_cast<pid_t>(pid), 0) != 0; }, 60s))
            << "round " << round << ": the renderer did not die";
        ASSERT_TRUE(wait_until(view, [&] { return site().count("/hungry.html") > asked; }, 20s))
            << "round " << round << ": the page was not reloaded";
        EXPECT_TRUE(Warnings::seen_since(mark, "reloading the page")) << "round " << round;
        EXPECT_TRUE(near(view.wait_for_pixel(100, 100, kRed).pixel(100, 100), kRed)) << "round " << round;
        EXPECT_NE(wait_for_renderer(view, pid), pid);
    }
}

// --- New windows ----------------------------------------------------------------------------

TEST_F(PageRequestsTest, NewWindowsAskTheHostAndOtherwiseOpenInThisViewThroughTheNavigationHandler)
{
    site().put("/opener.html", page(block("a", "href='popup.html' target='_blank'")));
    site().put("/popup.html", page("", "background: rgb(0, 255, 0)"));
    TestWebView view;
    view.set_zoom_factor(100);
    auto windows = std::make_shared<Log<Navigation>>();
    auto take = std::make_shared<std::atomic<bool>>(true);
    view.set_func_new_window_requested([windows, take](std::string url, std::string disposition) {
        windows->add({url, disposition});
        return take->load();
    });
    auto navigations = std::make_shared<Log<Navigation>>();
    auto allow = std::make_shared<std::atomic<bool>>(true);
    view.set_func_navigation_handler([navigations, allow](std::string url, std::string type) {
        navigations->add({url, type});
        return allow->load();
    });
    auto asked_to_navigate_to = [&](const std::string& url) {
        for (const Navigation& n : navigations->items())
            if (n.url == url)
                return true;
        return false;
    };
    view.set_url("res://app/opener.html");
    ASSERT_TRUE(view.load());
    ASSERT_TRUE(near(view.wait_for_pixel(100, 100, kBlue).pixel(100, 100), kBlue));

    // The host takes them: a target="_blank" click, window.open() and a pop-up.
    click(view, 100, 100);
    ASSERT_TRUE(wait_until(view, [&] { return windows->size() == 1; }));
    view.run_javascript("window.open('popup.html?tab')");
    ASSERT_TRUE(wait_until(view, [&] { return windows->size() == 2; }));
    view.run_javascript("window.open('popup.html?popup', '', 'popup,width=300,height=200')");
    ASSERT_TRUE(wait_until(view, [&] { return windows->size() == 3; }));
    const auto taken = windows->items();
    EXPECT_EQ(taken[0].url, "res://app/popup.html");
    EXPECT_EQ(taken[0].type, "InNewTab");
    EXPECT_EQ(taken[1].url, "res://app/popup.html?tab");
    EXPECT_EQ(taken[1].type, "InNewTab");
    EXPECT_EQ(taken[2].url, "res://app/popup.html?popup");
    EXPECT_EQ(taken[2].type, "InNewDialog");
    wait_until(view, [] { return false; }, 300ms);
    EXPECT_TRUE(near(view.frame().pixel(100, 100), kBlue));
    EXPECT_EQ(site().count("/popup.html"), 0);
    EXPECT_FALSE(asked_to_navigate_to("res://app/popup.html"));

    // The host declines: the address opens here, and the navigation handler may refuse it.
    *take = false;
    *allow = false;
    click(view, 100, 100);
    ASSERT_TRUE(wait_until(view, [&] { return asked_to_navigate_to("res://app/popup.html"); }));
    wait_until(view, [] { return false; }, 300ms);
    EXPECT_TRUE(near(view.frame().pixel(100, 100), kBlue));
    *allow = true;
    click(view, 100, 100);
    EXPECT_TRUE(near(view.wait_for_pixel(100, 100, kGreen).pixel(100, 100), kGreen));
    EXPECT_EQ(windows->size(), 5u);

    // No callback: window.open() navigates this view.
    view.set_func_new_window_requested({});
    view.run_javascript("window.open('opener.html?again')");
    EXPECT_TRUE(near(view.wait_for_pixel(100, 100, kBlue).pixel(100, 100), kBlue));
    EXPECT_TRUE(asked_to_navigate_to("res://app/opener.html?again"));
    EXPECT_EQ(windows->size(), 5u);
}

// The address the host reads is that of the page the view shows, whichever way the page got
// there: a new window opened here (by a target="_blank" click or by window.open(), with no
// new-window callback or with one that declines), a plain link, history, or the host itself.
TEST_F(PageRequestsTest, TheAddressIsThatOfThePageShownAfterANewWindowOpensHere)
{
    site().put("/a.html", page(block("a", "id='link' href='b.html?clicked' target='_blank'")));
    site().put("/b.html", page("<script>console.log('shown ' + location.search)</script>" +
                                   block("a", "href='a.html?back'"),
                               "background: rgb(0, 255, 0)"));
    TestWebView view;
    view.set_zoom_factor(100);
    // Both pages have a link at the top left; beside it a.html is red and b.html green.
    auto shows = [&view](QRgb colour) { return near(view.wait_for_pixel(300, 300, colour).pixel(300, 300), colour); };
    view.set_url("res://app/a.html");
    ASSERT_TRUE(view.load());

    struct Case {
        const char* name;
        bool with_callback;
        bool by_script;
    };
    const Case cases[] = {
        {"target=_blank click, no callback", false, false},
        {"target=_blank click, the callback declines", true, false},
        {"window.open(), no callback", false, true},
        {"window.open(), the callback declines", true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto asked = std::make_shared<std::atomic<int>>(0);
        if (c.with_callback)
            view.set_func_new_window_requested([asked](std::string, std::string) {
                ++*asked;
                return false;
            });
        else
            view.set_func_new_window_requested({});
        const std::string query = c.by_script ? "?opened" : "?clicked";
        view.set_url("res://app/a.html");
        ASSERT_TRUE(shows(kRed));
        EXPECT_EQ(view.get_url(), "res://app/a.html");

        const std::string shown = answer_to(view, "shown ", [&] {
            if (c.by_script)
                view.run_javascript("window.open('b.html?opened')");
            else
                click(view, 100, 100);
        });
        EXPECT_EQ(shown, query);
        EXPECT_TRUE(shows(kGreen));
        EXPECT_EQ(view.get_url(), "res://app/b.html" + query);
        EXPECT_EQ(*asked, c.with_callback ? 1 : 0);
    }

    // A plain link and history move the address as well.
    click(view, 100, 100);
    EXPECT_TRUE(shows(kRed));
    EXPECT_TRUE(wait_until(view, [&] { return view.get_url() == "res://app/a.html?back"; }))
        << view.get_url();
    view.back();
    EXPECT_TRUE(shows(kGreen));
    EXPECT_TRUE(wait_until(view, [&] { return view.get_url() == "res://app/b.html?opened"; }))
        << view.get_url();

    // A navigation the handler refuses leaves the address of the page still shown.
    view.set_func_navigation_handler([](std::string url, std::string) { return url.find("refused") == std::string::npos; });
    view.set_url("res://app/a.html?refused");
    wait_until(view, [] { return false; }, 500ms);
    EXPECT_TRUE(near(view.frame().pixel(300, 300), kGreen));
    EXPECT_EQ(view.get_url(), "res://app/b.html?opened");

    // The host's own request is the address at once.
    view.set_url("res://app/a.html?again");
    EXPECT_EQ(view.get_url(), "res://app/a.html?again");
    EXPECT_TRUE(shows(kRed));
    EXPECT_EQ(view.get_url(), "res://app/a.html?again");
}

// --- Permissions ----------------------------------------------------------------------------

namespace {

// Asks for each permission when the host runs ask(name), and logs "<name>: <outcome>".
const char* const kPermissionPage = R"(<!DOCTYPE html><html><body style='margin: 0; background: rgb(255, 0, 0)'>
<script>
const asks = {
  'notifications': () => Notification.requestPermission(),
  'geolocation': () => new Promise(done => navigator.geolocation.getCurrentPosition(
      () => done('position'), e => done(e.code === 1 ? 'denied' : 'allowed'), {timeout: 500})),
  'camera': () => navigator.mediaDevices.getUserMedia({video: true}).then(() => 'stream'),
  'microphone': () => navigator.mediaDevices.getUserMedia({audio: true}).then(() => 'stream'),
  'camera-and-microphone': () => navigator.mediaDevices.getUserMedia({audio: true, video: true}).then(() => 'stream'),
  'clipboard-write': () => navigator.clipboard.writeText('from the page').then(() => 'written'),
  'clipboard-read': () => navigator.clipboard.readText().then(text => 'read ' + text),
  'screen-capture': () => navigator.mediaDevices.getDisplayMedia({video: true}).then(() => 'stream'),
};
// A click asks for what the host put in askOnClick: some requests need the player's gesture.
document.addEventListener('click', () => { if (window.askOnClick) ask(window.askOnClick); });
document.addEventListener('mousedown', () => console.log('pressed'));
function ask(name) {
  Promise.resolve().then(asks[name]).then(
      outcome => console.log(name + ': ' + outcome), error => console.log(name + ': ' + error.name));
}
console.log('secure: ' + window.isSecureContext);
</script></body></html>)";

}  // namespace

TEST_F(PageRequestsTest, PermissionRequestsAreDecidedByTheHostAndDeniedWithoutACallback)
{
    HttpServer server(kPermissionPage);
    TestWebView view;
    auto asked = std::make_shared<Log<Navigation>>();
    view.set_screen_capture_enabled(true);
    view.set_zoom_factor(100);
    view.set_url(server.url());
    ASSERT_TRUE(view.load());
    ASSERT_EQ(view.wait_for_message("secure: "), "true");
    view.wait_for_pixel(100, 100, kRed);  // shown: it takes clicks

    auto outcome = [&view](const std::string& name) {
        return answer_to(view, name + ": ", [&] { view.run_javascript("ask('" + name + "')"); });
    };
    // Some requests need the player's gesture: a click.
    auto on_click = [&view](const std::string& name) {
        answer_to(view, "armed: ", [&] {
            view.run_javascript("window.askOnClick = '" + name + "'; console.log('armed: ' + askOnClick)");
        });
        return answer_to(view, name + ": ", [&] { click_until_pressed(view, 100, 100); });
    };

    // No callback: every request is answered at once, denied.
    EXPECT_EQ(outcome("notifications"), "denied");
    EXPECT_EQ(outcome("geolocation"), "denied");
    // This machine has no camera or microphone: the web engine says so before it asks.
    EXPECT_EQ(outcome("camera"), "NotFoundError");
    EXPECT_EQ(outcome("microphone"), "NotFoundError");
    EXPECT_EQ(outcome("clipboard-write"), "NotAllowedError");
    EXPECT_EQ(outcome("clipboard-read"), "NotAllowedError");
    EXPECT_EQ(on_click("screen-capture"), "NotAllowedError");

    // The host decides, asked each time with the page's origin and a stable name.
    auto grant = std::make_shared<std::atomic<bool>>(true);
    view.set_func_permission_requested([asked, grant](std::string origin, std::string permission) {
        asked->add({origin, permission});
        return grant->load();
    });
    auto names = [&asked] {
        std::vector<std::string> result;
        for (const Navigation& n : asked->items())
            result.push_back(n.type);
        return result;
    };
    EXPECT_EQ(outcome("notifications"), "granted");
    EXPECT_EQ(outcome("geolocation"), "allowed");  // granted; no position source here
    EXPECT_EQ(outcome("clipboard-write"), "written");
    EXPECT_EQ(outcome("clipboard-read"), "read from the page");
    ASSERT_FALSE(asked->items().empty());
    const std::string origin = server.url();
    EXPECT_EQ(asked->items()[0].url, origin.substr(0, origin.size() - 1)) << "the origin, without a path";

    // Screen capture needs a physical screen: under an X server the web engine picks the primary
    // one; on the headless platform there is none, and the web engine refuses without asking.
    const bool screens = !SView().get_physical_screens().empty();
    EXPECT_EQ(on_click("screen-capture"), screens ? "stream" : "NotAllowedError");

    *grant = false;
    EXPECT_EQ(outcome("notifications"), "denied");
    EXPECT_EQ(outcome("clipboard-read"), "NotAllowedError");
    EXPECT_EQ(on_click("screen-capture"), "NotAllowedError");
    if (screens)
        EXPECT_EQ(names(), (std::vector<std::string>{"notifications", "geolocation", "clipboard-read-write",
                                                     "clipboard-read-write", "screen-capture", "notifications",
                                                     "clipboard-read-write", "screen-capture"}));
    else
        EXPECT_EQ(names(), (std::vector<std::string>{"notifications", "geolocation", "clipboard-read-write",
                                                     "clipboard-read-write", "notifications",
                                                     "clipboard-read-write"}));
}

TEST_F(PageRequestsTest, ClipboardAccessThatTheSettingsAllowNeedsNoPermission)
{
    HttpServer server(kPermissionPage);
    TestWebView view;
    auto asked = std::make_shared<std::atomic<int>>(0);
    view.set_func_permission_requested([asked](std::string, std::string) {
        ++*asked;
        return false;
    });
    view.set_javascript_can_access_clipboard(true);
    view.set_javascript_can_paste(true);
    view.set_url(server.url());
    ASSERT_TRUE(view.load());
    ASSERT_EQ(view.wait_for_message("secure: "), "true");
    view.run_javascript("ask('clipboard-write')");
    EXPECT_EQ(view.wait_for_message("clipboard-write: ", 5s), "written");
    view.run_javascript("ask('clipboard-read')");
    EXPECT_EQ(view.wait_for_message("clipboard-read: ", 5s), "read from the page");
    EXPECT_EQ(asked->load(), 0);

    // With only one of the two on, the web engine asks one permission for reading and writing
    // alike: the host is asked for either, and without a grant neither happens.
    for (const bool paste : {false, true}) {
        view.set_javascript_can_paste(paste);
        view.set_javascript_can_access_clipboard(!paste);
        ASSERT_EQ(answer_to(view, "secure: ", [&] { view.reload(); }), "true");
        for (const char* name : {"clipboard-write", "clipboard-read"}) {
            const int before = asked->load();
            EXPECT_EQ(answer_to(view, std::string(name) + ": ",
                                [&] { view.run_javascript(std::string("ask('") + name + "')"); }),
                      "NotAllowedError")
                << name << (paste ? " with paste only" : " with clipboard access only");
            EXPECT_EQ(asked->load(), before + 1) << name;
        }
    }
}


// --- File choosers --------------------------------------------------------------------------

namespace {

// A file input over the top left 200 x 200 CSS pixels that logs what was chosen, with the text
// of each file, or that it was cancelled.
std::string file_input_page(const std::string& attributes)
{
    return page(block("input", "type='file' id='f' " + attributes) +
                "<script>\n"
                "const f = document.getElementById('f');\n"
                "f.addEventListener('cancel', () => console.log('chosen: cancelled'));\n"
                "f.addEventListener('change', async () => {\n"
                "  const parts = [];\n"
                "  for (const file of f.files) parts.push(file.name + '=' + await file.text());\n"
                "  console.log('chosen: ' + parts.join(','));\n"
                "});\n"
                "</script>");
}

struct Chooser {
    int mode;
    std::vector<std::string> types;
};

}  // namespace

TEST_F(PageRequestsTest, FileChoosersGetTheHostsFilesOrAreCancelledAtOnce)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string a = dir.filePath("a.txt").toStdString(), b = dir.filePath("b.txt").toStdString();
    std::ofstream(a) << "alpha";
    std::ofstream(b) << "beta";
    site().put("/one.html", file_input_page("accept='.txt,image/png'"));
    site().put("/many.html", file_input_page("multiple"));

    TestWebView view;
    view.set_zoom_factor(100);
    view.set_url("res://app/one.html");
    ASSERT_TRUE(view.load());
    ASSERT_EQ(view.wait_for_load("res://app/one.html").status, 2);
    view.wait_for_pixel(100, 100, kBlue);

    auto choose = [&view](unsigned x) { return answer_to(view, "chosen: ", [&] { click(view, x, 100); }); };

    // No callback: cancelled at once.
    EXPECT_EQ(choose(100), "cancelled");

    auto choosers = std::make_shared<Log<Chooser>>();
    auto answer = std::make_shared<std::vector<std::string>>(std::vector<std::string>{a});
    view.set_func_file_dialog_requested([choosers, answer](int mode, std::vector<std::string> types) {
        choosers->add({mode, types});
        return *answer;
    });
    EXPECT_EQ(choose(101), "a.txt=alpha");
    ASSERT_EQ(choosers->size(), 1u);
    EXPECT_EQ(choosers->items()[0].mode, 0);
    std::vector<std::string> types = choosers->items()[0].types;
    std::sort(types.begin(), types.end());
    EXPECT_EQ(types, (std::vector<std::string>{".txt", "image/png"}));

    // One file only for a single-file input; a relative path is left out with a warning.
    *answer = {b, a};
    size_t mark = Warnings::mark();
    EXPECT_EQ(choose(102), "b.txt=beta");
    EXPECT_TRUE(Warnings::seen_since(mark, "it takes one file"));
    // Cancelling a chooser that had a file clears it (the page sees a change to no files).
    *answer = {"a.txt"};
    mark = Warnings::mark();
    EXPECT_EQ(choose(103), "");
    EXPECT_TRUE(Warnings::seen_since(mark, "not an absolute path"));
    *answer = {};
    EXPECT_EQ(choose(104), "cancelled");

    view.set_url("res://app/many.html");
    ASSERT_EQ(view.wait_for_load("res://app/many.html").status, 2);
    *answer = {a, b};
    EXPECT_EQ(choose(105), "a.txt=alpha,b.txt=beta");
    EXPECT_EQ(choosers->items().back().mode, 1);
    EXPECT_TRUE(choosers->items().back().types.empty());
}

// --- Downloads ------------------------------------------------------------------------------

namespace {

struct DownloadAsk {
    std::string url, suggested, mime;
};

struct Finished {
    std::string path;
    bool ok;
};

// The files under `dir`, relative to it, sorted.
std::vector<std::string> files_under(const QString& dir)
{
    std::vector<std::string> result;
    QDir root(dir);
    for (const QFileInfo& info : root.entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden))
        if (info.isDir())
            for (const std::string& inner : files_under(info.absoluteFilePath()))
                result.push_back(info.fileName().toStdString() + "/" + inner);
        else
            result.push_back(info.fileName().toStdString());
    std::sort(result.begin(), result.end());
    return result;
}

std::string read_file(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

TEST_F(PageRequestsTest, DownloadsGoOnlyWhereTheHostSaysAndReportTheirEnd)
{
    std::string payload(300 * 1024, '\0');
    for (size_t i = 0; i < payload.size(); ++i)
        payload[i] = static_cast<char>(i * 7 % 251);
    site().put("/payload.bin", payload);
    site().put("/downloads.html",
               page("<a id='link' href='payload.bin' download='saved.bin'>save</a>"
                    "<a id='broken' href='missing.bin' download>broken</a>"));
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString default_place = QStandardPaths::writableLocation(QStandardPaths::DownloadLocation);
    const bool default_place_existed = QDir(default_place).exists();
    const std::vector<std::string> default_before = files_under(default_place);

    TestWebView view, other;
    auto others_asked = std::make_shared<std::atomic<int>>(0);
    other.set_func_download_requested([others_asked](std::string, std::string, std::string) {
        ++*others_asked;
        return std::string("/nowhere/else.bin");
    });
    other.set_url("res://app/downloads.html");
    ASSERT_TRUE(other.load());
    view.set_url("res://app/downloads.html");
    ASSERT_TRUE(view.load());
    ASSERT_EQ(view.wait_for_load("res://app/downloads.html").status, 2);

    auto asks = std::make_shared<Log<DownloadAsk>>();
    auto finished = std::make_shared<Log<Finished>>();
    auto answer = std::make_shared<std::string>();
    auto set_callbacks = [&] {
        view.set_func_download_requested([asks, answer](std::string url, std::string suggested, std::string mime) {
            asks->add({url, suggested, mime});
            return *answer;
        });
        view.set_func_download_finished([finished](std::string path, bool ok) { finished->add({path, ok}); });
    };
    auto start = [&view](const std::string& id) {
        view.run_javascript("document.getElementById('" + id + "').click()");
    };

    // No callback: refused with a warning, nothing written.
    size_t mark = Warnings::mark();
    start("link");
    ASSERT_TRUE(wait_until(view, [&] { return Warnings::seen_since(mark, "no download callback is set"); }));

    // Refused by the host, and a relative path: nothing written either.
    set_callbacks();
    *answer = "";
    start("link");
    ASSERT_TRUE(wait_until(view, [&] { return asks->size() == 1; }));
    *answer = "relative/saved.bin";
    mark = Warnings::mark();
    start("link");
    ASSERT_TRUE(wait_until(view, [&] { return Warnings::seen_since(mark, "is not an absolute path of a file"); }));
    EXPECT_EQ(asks->size(), 2u);

    // Accepted: the bytes land at the path named (its folder created), and nowhere else.
    const std::string target = dir.filePath("inner/kept.bin").toStdString();
    *answer = target;
    start("link");
    ASSERT_TRUE(wait_until(view, [&] { return finished->size() == 1; }, 20s));
    EXPECT_EQ(finished->items()[0].path, target);
    EXPECT_TRUE(finished->items()[0].ok);
    EXPECT_EQ(read_file(target), payload);
    EXPECT_EQ(files_under(dir.path()), std::vector<std::string>{"inner/kept.bin"});
    const DownloadAsk ask = asks->items().back();
    EXPECT_EQ(ask.url, "res://app/payload.bin");
    EXPECT_EQ(ask.suggested, "saved.bin");
    EXPECT_EQ(ask.mime, "application/octet-stream");

    // A download that fails is reported as failed and leaves nothing behind.
    const std::string broken = dir.filePath("broken.bin").toStdString();
    *answer = broken;
    start("broken");
    ASSERT_TRUE(wait_until(view, [&] { return finished->size() == 2; }, 20s));
    EXPECT_EQ(finished->items()[1].path, broken);
    EXPECT_FALSE(finished->items()[1].ok);
    EXPECT_EQ(files_under(dir.path()), std::vector<std::string>{"inner/kept.bin"});

    EXPECT_EQ(others_asked->load(), 0) << "another view's callback was asked";
    EXPECT_EQ(QDir(default_place).exists(), default_place_existed);
    EXPECT_EQ(files_under(default_place), default_before);
}


namespace {

// Answers one request with the head of a large attachment and some of its bytes, then holds the
// connection open until it is destroyed: a download that is still running.
class StalledDownload {
public:
    StalledDownload()
    {
        m_socket = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (m_socket < 0 || ::bind(m_socket, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
            ::listen(m_socket, 4) != 0 || ::getsockname(m_socket, reinterpret_cast<sockaddr*>(&address), &length) != 0)
            throw std::runtime_error("cannot listen on the loopback interface");
        m_port = ntohs(address.sin_port);
        m_thread = std::thread([this] {
            const int client = ::accept(m_socket, nullptr, nullptr);
            if (client < 0)
                return;
            char buffer[4096];
            (void)::recv(client, buffer, sizeof buffer, 0);
            const std::string head = "HTTP/1.1 200 OK\r\nContent-Type: application/octet-stream\r\n"
                                     "Content-Disposition: attachment; filename=\"big.bin\"\r\n"
                                     "Content-Length: 100000000\r\n\r\n";
            ::send(client, head.data(), head.size(), MSG_NOSIGNAL);
            const std::string part(256 * 1024, 'x');
            ::send(client, part.data(), part.size(), MSG_NOSIGNAL);
            std::unique_lock lock(m_mutex);
            m_done_changed.wait(lock, [this] { return m_done; });
            ::close(client);
        });
    }
    ~StalledDownload()
    {
        {
            std::lock_guard lock(m_mutex);
            m_done = true;
        }
        m_done_changed.notify_all();
        ::shutdown(m_socket, SHUT_RDWR);
        ::close(m_socket);
        m_thread.join();
    }
    std::string url() const { return "http://127.0.0.1:" + std::to_string(m_port) + "/big.bin"; }

private:
    int m_socket = -1;
    int m_port = 0;
    std::thread m_thread;
    std::mutex m_mutex;
    std::condition_variable m_done_changed;
    bool m_done = false;
};

}  // namespace

// A view destroyed while its download runs cancels it: nothing stays behind at the host's path.
TEST_F(PageRequestsTest, DestroyingAViewCancelsItsRunningDownloadAndLeavesNothingBehind)
{
    StalledDownload server;
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string target = dir.filePath("big.bin").toStdString();
    auto finished = std::make_shared<std::atomic<int>>(0);
    {
        TestWebView view;
        auto asked = std::make_shared<std::atomic<int>>(0);
        view.set_func_download_requested([asked, target](std::string, std::string suggested, std::string) {
            ++*asked;
            return suggested == "big.bin" ? target : std::string();
        });
        view.set_func_download_finished([finished](std::string, bool) { ++*finished; });
        ASSERT_TRUE(view.load());
        view.set_url(server.url());
        ASSERT_TRUE(wait_until(view, [&] { return asked->load() == 1; }));
        // The bytes so far are in the file beside the target.
        ASSERT_TRUE(wait_until(view, [&] { return QFileInfo(QString::fromStdString(target + ".download")).size() > 0; }));
        EXPECT_FALSE(QFile::exists(QString::fromStdString(target)));
    }
    std::this_thread::sleep_for(1s);
    EXPECT_EQ(files_under(dir.path()), std::vector<std::string>{});
    EXPECT_EQ(finished->load(), 0);
}

TEST_F(PageRequestsTest, AGoneViewTakesTheNewCallsAndAnswersDefaultsAtOnce)
{
    TestWebView view;
    view.destroy();
    const size_t mark = Warnings::mark();
    view.set_func_render_process_terminated([](int, int) {});
    view.set_func_new_window_requested([](std::string, std::string) { return true; });
    view.set_func_permission_requested([](std::string, std::string) { return true; });
    view.set_func_file_dialog_requested([](int, std::vector<std::string>) { return std::vector<std::string>{}; });
    view.set_func_download_requested([](std::string, std::string, std::string) { return std::string(); });
    view.set_func_download_finished([](std::string, bool) {});
    view.ime_event("a", 1, "b");
    EXPECT_EQ(view.get_ime_rect(), std::make_tuple(0, 0, 0, 0));
    EXPECT_EQ(Warnings::since(mark), std::vector<std::string>{});
}
