// Web views with real pages in Chromium's software path (opts::GPU_DISABLED): pixels read back
// from the host's texture, the host's callbacks, the settings table, the shared profile and the
// "res" scheme served from an in-memory tree by the host's resource callback.

#include "web_test_support.h"

#include "web/godot_scheme_handler.h"

#include <QBuffer>
#include <QDateTime>
#include <QMetaProperty>
#include <QNetworkCookie>
#include <QTemporaryDir>
#include <QWebEngineCookieStore>
#include <QtWebEngineQuick/QQuickWebEngineProfile>

#include <sched.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

using namespace sorvane;
using namespace webtest;

namespace {

const auto* const g_environment = ::testing::AddGlobalTestEnvironment(new Started(/*gpu_disabled=*/true));

std::string png_bytes(int width, int height, QRgb colour)
{
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes.toStdString();
}

QQuickWebEngineProfile* profile()
{
    return runtime().default_profile;
}

template <typename F>
auto on_profile(F work)
{
    return carry::waited(profile(), work);
}

// The web engine's name of a setting where it differs from the view's.
QString engine_setting_name(const QString& property)
{
    return property == "fullscreenSupportEnabled" ? QStringLiteral("fullScreenSupportEnabled") : property;
}

struct SettingRow {
    QString property;
    QVariant initial;
};

// The settings table, as the Qt-side values it starts from.
std::vector<SettingRow> settings_table()
{
    std::vector<SettingRow> rows;
#define SORVANE_ROW(kind, property, getter, setter, initial, qualifier) \
    rows.push_back({QStringLiteral(#property),                                      \
                    QVariant::fromValue([]() -> SORVANE_WEB_SETTING_QT_##kind { return initial; }())});
    SORVANE_WEB_SETTINGS(SORVANE_ROW)
#undef SORVANE_ROW
    return rows;
}

// A value that differs from `value`, of the same type.
QVariant other_than(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::Bool:
        return !value.toBool();
    case QMetaType::Int:
        return value.toInt() == 2 ? 3 : 2;
    default:
        return value.toString() == "windows-1252" ? QStringLiteral("utf-8") : QStringLiteral("windows-1252");
    }
}


// One task of this process or of a process it started, as /proc/<pid>/task/<tid>/stat gives it.
struct Task {
    pid_t pid;
    pid_t tid;
    std::string name;
    int policy;
};

// The fields after the name's closing parenthesis: the state is the first, the parent's pid the
// second, the scheduling policy the 39th.
std::vector<std::string> stat_fields(const std::filesystem::path& stat, std::string* name = nullptr)
{
    std::ifstream in(stat);
    std::string line;
    std::getline(in, line);
    const auto open = line.find('('), close = line.rfind(')');
    if (open == std::string::npos || close == std::string::npos)
        return {};
    if (name)
        *name = line.substr(open + 1, close - open - 1);
    std::istringstream rest(line.substr(close + 1));
    std::vector<std::string> fields;
    for (std::string field; rest >> field;)
        fields.push_back(field);
    return fields;
}

// Every task of this process and of all its descendants (the web engine's zygote, renderers and
// GPU process).
std::vector<Task> own_tasks()
{
    namespace fs = std::filesystem;
    std::map<pid_t, pid_t> parent;
    for (const auto& entry : fs::directory_iterator("/proc")) {
        const std::string name = entry.path().filename();
        if (name.find_first_not_of("0123456789") != std::string::npos)
            continue;
        const auto fields = stat_fields(entry.path() / "stat");
        if (fields.size() > 1)
            parent[std::stoi(name)] = std::stoi(fields[1]);
    }
    std::set<pid_t> ours{getpid()};
    for (bool grew = true; grew;) {
        grew = false;
        for (const auto& [pid, ppid] : parent)
            if (ours.count(ppid) && ours.insert(pid).second)
                grew = true;
    }
    std::vector<Task> tasks;
    std::error_code gone;  // a process may end while it is read
    for (const pid_t pid : ours)
        for (const auto& entry : fs::directory_iterator("/proc/" + std::to_string(pid) + "/task", gone)) {
            std::string name;
            const auto fields = stat_fields(entry.path() / "stat", &name);
            if (fields.size() > 38)
                tasks.push_back({pid, std::stoi(entry.path().filename()), name, std::stoi(fields[38])});
        }
    return tasks;
}
}  // namespace

class WebViewTest : public WebTest {};

TEST_F(WebViewTest, AFreshViewAnswersItsInitialValuesAndKeepsItsOwnSettings)
{
    TestWebView view, other;
    EXPECT_EQ(view.get_url(), "about:blank");
    EXPECT_EQ(view.get_background_color(), "transparent");
    EXPECT_EQ(view.get_zoom_factor(), 2.0);
    EXPECT_EQ(view.get_user_agent().size(), 140u);
    EXPECT_EQ(view.get_user_agent(), WebView::kUserAgent.toStdString());
    EXPECT_EQ(other.inside([](WebView* v) { return v->idx(); }), view.inside([](WebView* v) { return v->idx(); }) + 1);

    // Every setting is a property with its change signal, in the table's order after the
    // view's own five properties, starting from the table's value.
    const auto rows = settings_table();
    ASSERT_EQ(rows.size(), 34u);
    view.inside([&rows](WebView* v) {
        const QMetaObject* meta = v->metaObject();
        const int first = meta->indexOfProperty("backgroundColor") + 1;
        for (size_t i = 0; i < rows.size(); ++i) {
            const QMetaProperty property = meta->property(first + static_cast<int>(i));
            EXPECT_EQ(property.name(), rows[i].property);
            EXPECT_EQ(property.read(v), rows[i].initial) << property.name();
            EXPECT_EQ(property.notifySignal().name(), rows[i].property + "Changed");
            EXPECT_EQ(property.notifySignal().parameterNames(), QList<QByteArray>{"status"});
        }
        return 0;
    });
    EXPECT_TRUE(view.get_javascript_enabled());
    EXPECT_FALSE(view.get_show_scroll_bars());
    EXPECT_FALSE(view.get_error_page_enabled());
    EXPECT_TRUE(view.get_webGLenabled());
    EXPECT_EQ(view.get_unknown_url_scheme_policy(), 0);
    EXPECT_EQ(view.get_default_text_encoding(), "");

    view.set_unknown_url_scheme_policy(-7);  // passed on unchecked
    view.set_default_text_encoding("windows-1252");
    view.set_plugins_enabled(true);
    EXPECT_EQ(view.get_unknown_url_scheme_policy(), -7);
    EXPECT_EQ(view.get_default_text_encoding(), "windows-1252");
    EXPECT_TRUE(view.get_plugins_enabled());
    EXPECT_FALSE(other.get_plugins_enabled());
    EXPECT_EQ(other.get_unknown_url_scheme_policy(), 0);

    // Setters emit their change signal also when the value stays the same.
    auto emitted = std::make_shared<std::atomic<int>>(0);
    view.inside([emitted](WebView* v) {
        QObject::connect(v, &WebView::pluginsEnabledChanged, v, [emitted](bool) { ++*emitted; });
        QObject::connect(v, &WebView::urlChanged, v, [emitted](const QString&) { ++*emitted; });
        return 0;
    });
    view.set_plugins_enabled(true);
    view.set_url("about:blank");
    EXPECT_EQ(emitted->load(), 2);
}

TEST_F(WebViewTest, EverySettingReachesThePageBeforeLoadingAndFollowsLaterChanges)
{
    TestWebView view;
    auto engine_values = [&view] {
        QQuickItem* page = view.page();
        return view.inside([page](WebView*) {
            QObject* settings = page->property("settings").value<QObject*>();
            std::map<QString, QVariant> values;
            for (const SettingRow& row : settings_table())
                values[row.property] = settings->property(engine_setting_name(row.property).toLatin1());
            return values;
        });
    };
    auto set_all = [&view](bool initial) {
        view.inside([initial](WebView* v) {
            for (const SettingRow& row : settings_table())
                v->setProperty(row.property.toLatin1(), initial ? row.initial : other_than(row.initial));
            return 0;
        });
    };
    auto expect_engine_has = [&](bool initial) {
        const auto values = engine_values();
        for (const SettingRow& row : settings_table()) {
            const QVariant changed = other_than(row.initial);
            const QVariant& seen = values.at(row.property);
            if (initial && row.initial.typeId() != QMetaType::Bool) {
                // An empty encoding and policy 0 tell the engine to use its inherited value.
                EXPECT_NE(seen.toString(), changed.toString()) << row.property.toStdString();
            } else if (row.initial.typeId() == QMetaType::Int) {
                EXPECT_EQ(seen.toInt(), changed.toInt()) << row.property.toStdString();
            } else {
                EXPECT_EQ(seen, initial ? row.initial : changed) << row.property.toStdString();
            }
        }
    };

    set_all(false);
    ASSERT_TRUE(view.load());
    expect_engine_has(false);
    set_all(true);
    expect_engine_has(true);
}

TEST_F(WebViewTest, APageShowsItsColoursOverTheBackgroundColour)
{
    TestWebView view;
    view.set_zoom_factor(100);
    ASSERT_TRUE(view.load());
    const std::string block = "<div style='width: 100px; height: 100px; background: rgb(0, 0, 255)'></div>";
    view.load_html(page(block), "res://app/");
    view.wait_for_pixel(300, 300, kRed);
    // A busy machine may show the page's background a frame before the block.
    QImage image = view.wait_for_pixel(50, 50, kBlue);
    EXPECT_TRUE(near(image.pixel(300, 300), kRed));
    EXPECT_TRUE(near(image.pixel(50, 50), kBlue));
    EXPECT_TRUE(near(image.pixel(99, 99), kBlue));
    EXPECT_TRUE(near(image.pixel(101, 101), kRed));

    // Where the page is transparent the view's background colour shows, and where that is
    // transparent too, the texture is.
    view.set_background_color("#00ff00");
    view.load_html(page(block, "background: transparent"), "res://app/");
    image = view.wait_for_pixel(300, 300, kGreen);
    EXPECT_TRUE(near(image.pixel(300, 300), kGreen));
    EXPECT_TRUE(near(image.pixel(50, 50), kBlue));
    view.set_background_color("transparent");
    image = view.wait_for_pixel(300, 300, qRgba(0, 0, 0, 0));
    EXPECT_TRUE(near(image.pixel(300, 300), qRgba(0, 0, 0, 0)));
    EXPECT_TRUE(near(image.pixel(50, 50), kBlue));
}

// A page that stops changing stops costing frames; every change its script makes still shows.
TEST_F(WebViewTest, AStillPageIsNotRenderedAgainAndEachChangeShows)
{
    TestWebView view;
    view.set_zoom_factor(100);
    ASSERT_TRUE(view.load());
    auto rendered = [&view] { return view.inside([](WebView* v) { return v->frames_rendered(); }); };
    view.load_html(page("<div id='b' style='width: 100px; height: 100px; background: rgb(0, 0, 255)'></div>"),
                   "res://app/");
    view.wait_for_pixel(50, 50, kBlue);
    // The page settles (its last frames may still come in); then no frame is rendered at all.
    auto settled = rendered();
    for (int quiet = 0; quiet < 20;) {
        view.frame();
        const auto now = rendered();
        quiet = now == settled ? quiet + 1 : 0;
        settled = now;
    }
    for (int i = 0; i < 20; ++i)
        view.frame();
    EXPECT_EQ(rendered(), settled);

    for (const QRgb colour : {kGreen, kRed, kBlue, kGreen}) {
        view.run_javascript("document.getElementById('b').style.background = 'rgb(" + std::to_string(qRed(colour)) +
                            "," + std::to_string(qGreen(colour)) + "," + std::to_string(qBlue(colour)) + ")';");
        EXPECT_TRUE(near(view.wait_for_pixel(50, 50, colour).pixel(50, 50), colour));
    }
    EXPECT_GT(rendered(), settled);
}

// Navigating and at once running a script, without a frame in between, over and over: the
// texture always comes to show the page that loaded.
TEST_F(WebViewTest, NavigatingThenRunningAScriptAtOnceAlwaysShowsTheNewPage)
{
    site().put("/seq-red.html", page("<script>console.log('shown red')</script>"));
    site().put("/seq-green.html", page("<script>console.log('shown green')</script>", "background: rgb(0, 255, 0)"));
    TestWebView view;
    ASSERT_TRUE(view.load());
    // Same site, another site (a renderer of its own), and HTML of the host's.
    for (int run = 0; run < 12; ++run) {
        const QRgb colour = run % 3 == 0 ? kRed : run % 3 == 1 ? kGreen : kBlue;
        if (run % 3 == 2) {
            view.load_html(page("", "background: rgb(0, 0, 255)"), "https://other.test/");
        } else {
            const std::string url = run % 3 == 0 ? "res://app/seq-red.html" : "res://elsewhere/seq-green.html";
            view.set_url(url);
            view.run_javascript("console.log('ran " + std::to_string(run) + "')");
            EXPECT_EQ(view.wait_for_load(url).status, 2) << "run " << run;
        }
        view.run_javascript("console.log('ran " + std::to_string(run) + "')");
        EXPECT_TRUE(near(view.wait_for_pixel(200, 200, colour).pixel(200, 200), colour)) << "run " << run;
    }
}

// The Qt thread asks for real-time scheduling; nothing it starts may inherit it. A web engine
// thread or renderer at FIFO 99 takes the CPU from the engine's own threads whenever a page is
// busy, and with few cores the engine's frame then waits for tens of milliseconds.
TEST_F(WebViewTest, OnlyTheQtThreadRunsInRealTimeNotTheWebEnginesThreadsOrProcesses)
{
    TestWebView view;
    ASSERT_TRUE(view.load());
    view.load_html(page("", "background: rgb(0, 0, 255)"), "https://realtime.test/");
    view.wait_for_pixel(10, 10, kBlue);
    const pid_t qt_thread = view.inside([](WebView*) { return gettid(); });
    const auto tasks = own_tasks();
    int others = 0;
    std::string real_time;
    for (const Task& task : tasks) {
        if (task.tid == qt_thread)
            continue;
        if (task.pid != getpid())
            ++others;
        if (task.policy == SCHED_FIFO || task.policy == SCHED_RR)
            real_time += " " + task.name + " (" + std::to_string(task.pid) + "/" + std::to_string(task.tid) + ")";
    }
    EXPECT_EQ(real_time, "") << "tasks in real-time scheduling besides the Qt thread";
    EXPECT_GT(others, 0) << "no web engine process was found among this process's descendants";
    // As root the request is granted; without the privilege the thread keeps normal scheduling.
    if (geteuid() == 0)
        EXPECT_EQ(sched_getscheduler(qt_thread), SCHED_FIFO | SCHED_RESET_ON_FORK);
}

TEST_F(WebViewTest, ScriptsAndScrollBarsAreSwitchedPerView)
{
    // A page taller than the view, whose script turns it green.
    site().put("/tall.html", page("<div style='height: 3000px'></div>"
                                  "<script>document.body.style.background = 'rgb(0, 255, 0)'</script>"));
    TestWebView plain, quiet;
    plain.set_zoom_factor(100);
    quiet.set_zoom_factor(100);
    quiet.set_javascript_enabled(false);
    quiet.set_show_scroll_bars(true);
    for (TestWebView* view : {&plain, &quiet}) {
        view->set_url("res://app/tall.html");
        ASSERT_TRUE(view->load());
    }
    ASSERT_EQ(plain.wait_for_load("res://app/tall.html").status, 2);
    ASSERT_EQ(quiet.wait_for_load("res://app/tall.html").status, 2);

    const QImage scripted = plain.wait_for_pixel(200, 200, kGreen);
    EXPECT_TRUE(near(scripted.pixel(200, 200), kGreen));
    EXPECT_TRUE(near(scripted.pixel(510, 200), kGreen));  // no scroll bar at the right edge

    QImage still = quiet.wait_for_pixel(200, 200, kRed);
    EXPECT_TRUE(near(still.pixel(200, 200), kRed));  // the script did not run
    // The scroll bar may come a frame after the page's first.
    wait_until(quiet, [&] { return !near((still = quiet.frame()).pixel(508, 200), kRed); }, 2s);
    EXPECT_FALSE(near(still.pixel(508, 200), kRed));  // a scroll bar covers the right edge
}

TEST_F(WebViewTest, ConsoleMessagesReachTheHostAndRunJavascriptChangesThePage)
{
    site().put("/console.html",
               "<!DOCTYPE html>\n"
               "<html><body style='margin: 0; background: rgb(255, 0, 0)'><script>\n"
               "console.log('info: one');\n"
               "console.warn('warning: two');\n"
               "console.error('error: three');\n"
               "</script></body></html>\n");
    TestWebView view;
    view.set_url("res://app/console.html");
    ASSERT_TRUE(view.load());
    ASSERT_FALSE(view.wait_for_message("error: ").empty());
    std::vector<Console> seen;
    for (const Console& c : view.recorded->console())
        if (c.source == "res://app/console.html")
            seen.push_back(c);
    ASSERT_EQ(seen.size(), 3u);
    const std::pair<int, std::string> expected[] = {{0, "info: one"}, {1, "warning: two"}, {2, "error: three"}};
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(seen[i].level, expected[i].first);
        EXPECT_EQ(seen[i].message, expected[i].second);
        EXPECT_EQ(seen[i].line, static_cast<int>(i) + 3);
    }

    view.run_javascript("document.body.style.background = 'rgb(0, 0, 255)'; console.log('ran: ' + 6 * 7)");
    EXPECT_EQ(view.wait_for_message("ran: "), "42");
    EXPECT_TRUE(near(view.wait_for_pixel(100, 100, kBlue).pixel(100, 100), kBlue));
}

TEST_F(WebViewTest, LoadingChangesForASuccessfulAndAFailingLoad)
{
    site().put("/loads.html", page(""));
    TestWebView view;
    view.set_url("res://app/loads.html");
    ASSERT_TRUE(view.load());
    const Loading done = view.wait_for_load("res://app/loads.html");
    EXPECT_EQ(done.status, 2);  // succeeded
    EXPECT_EQ(done.text, "");  // the engine's error-page text is not passed on for a success
    std::vector<int> statuses;
    for (const Loading& l : view.recorded->loading())
        if (l.url == "res://app/loads.html")
            statuses.push_back(l.status);
    EXPECT_EQ(statuses, (std::vector<int>{0, 2}));  // started, succeeded

    view.set_url("res://app/nowhere.html");  // the callback answers a size of 0
    const Loading failed = view.wait_for_load("res://app/nowhere.html");
    EXPECT_EQ(failed.status, 3);  // failed
    EXPECT_NE(failed.domain, "NoErrorDomain");
    EXPECT_NE(failed.code, 0);
    EXPECT_FALSE(failed.text.empty());
    EXPECT_EQ(view.recorded->loading().back().status, 3);
}

// An address set while the scene's first blank page is still loading, over and over: every page
// that shows reaches the loading callback, started and succeeded.
TEST_F(WebViewTest, AnAddressSetRightAfterLoadReachesTheLoadingCallback)
{
    site().put("/early.html", page(""));
    for (int run = 0; run < 5; ++run) {
        TestWebView view;
        ASSERT_TRUE(view.load());
        view.set_url("res://app/early.html");
        EXPECT_EQ(view.wait_for_load("res://app/early.html").status, 2) << "run " << run;
        std::vector<int> statuses;
        for (const Loading& l : view.recorded->loading())
            if (l.url == "res://app/early.html")
                statuses.push_back(l.status);
        EXPECT_EQ(statuses, (std::vector<int>{0, 2})) << "run " << run;
        view.destroy();
    }
}

// HTML the engine cannot show (over its 2 MB address limit) is refused with a warning that says
// what to do instead; HTML just under the limit shows.
TEST_F(WebViewTest, HtmlTooLongForTheEngineWarnsAndNamesTheResScheme)
{
    TestWebView view;
    ASSERT_TRUE(view.load());
    const std::string filler(600 * 1024, ' ');  // one byte each, "%20" in the address
    size_t mark = Warnings::mark();
    view.load_html("<html><body>" + filler + "<script>console.log('fits')</script></body></html>", "");
    EXPECT_EQ(view.wait_for_message("fits"), "");
    EXPECT_TRUE(Warnings::since(mark).empty());

    mark = Warnings::mark();
    view.load_html(std::string(2 * 1024 * 1024, 'x'), "");
    const std::vector<std::string> warnings = Warnings::since(mark);
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_NE(warnings[0].find("limit of 2097152 bytes"), std::string::npos) << warnings[0];
    EXPECT_NE(warnings[0].find("\"res\" scheme"), std::string::npos) << warnings[0];
}

TEST_F(WebViewTest, ZoomPercentagesTranslateByTheTableAndThePageIsLaidOutAtTheZoom)
{
    TestWebView view;
    const std::pair<int, double> table[] = {{100, 1.0}, {110, 2.0}, {0, 2.0},  {-25, 2.0},
                                            {525, 2.0}, {25, 0.25}, {500, 5.0}, {75, 0.75}};
    for (const auto& [percent, factor] : table) {
        view.set_zoom_factor(percent);
        EXPECT_EQ(view.get_zoom_factor(), factor) << percent;
        EXPECT_EQ(SWebView::_translate_zoom_factor(percent), factor) << percent;
    }

    // A block of 100 by 100 CSS pixels on a red page.
    site().put("/zoom.html", page("<div style='width: 100px; height: 100px; background: rgb(0, 0, 255)'></div>"));
    view.set_zoom_factor(200);
    view.set_url("res://app/zoom.html");
    ASSERT_TRUE(view.load());
    QImage image = view.wait_for_pixel(190, 190, kBlue);
    EXPECT_TRUE(near(image.pixel(190, 190), kBlue));
    EXPECT_TRUE(near(image.pixel(210, 210), kRed));

    view.set_zoom_factor(50);
    image = view.wait_for_pixel(60, 60, kRed);
    EXPECT_TRUE(near(image.pixel(60, 60), kRed));
    EXPECT_TRUE(near(image.pixel(40, 40), kBlue));
}

TEST_F(WebViewTest, NavigationRequestsAskTheHandlerWhichMayRefuseThem)
{
    site().put("/links.html",
               page("<a href='target.html' style='display: block; width: 200px; height: 200px; "
                    "background: rgb(0, 0, 255)'></a>"));
    site().put("/target.html", page("", "background: rgb(0, 255, 0)"));
    TestWebView view;
    view.set_zoom_factor(100);
    auto asked = view.recorded;
    auto answer = std::make_shared<std::atomic<bool>>(true);
    view.set_func_navigation_handler([asked, answer](std::string url, std::string type) {
        asked->add(Navigation{url, type});
        return answer->load();
    });
    view.set_url("res://app/links.html");
    ASSERT_TRUE(view.load());
    view.wait_for_pixel(100, 100, kBlue);
    ASSERT_FALSE(asked->navigation().empty());
    EXPECT_EQ(asked->navigation().front().url, "res://app/links.html");
    EXPECT_EQ(asked->navigation().front().type, "TypedNavigation");

    auto click = [&view] {
        view.mouse_move(100, 100);
        view.mouse_click(0, 0, 100, 100);
        view.mouse_click(0, 1, 100, 100);
    };
    auto asked_about_target = [&asked] {
        for (const Navigation& n : asked->navigation())
            if (n.url == "res://app/target.html")
                return n.type;
        return std::string();
    };

    *answer = false;
    click();
    ASSERT_TRUE(wait_until(view, [&] { return !asked_about_target().empty(); }));
    EXPECT_EQ(asked_about_target(), "LinkClickedNavigation");
    std::this_thread::sleep_for(300ms);
    EXPECT_TRUE(near(view.frame().pixel(100, 100), kBlue));  // refused: the page stays
    EXPECT_EQ(site().count("/target.html"), 0);

    view.set_func_navigation_handler({});  // no handler: every navigation proceeds
    click();
    EXPECT_TRUE(near(view.wait_for_pixel(100, 100, kGreen).pixel(100, 100), kGreen));
    EXPECT_EQ(view.wait_for_load("res://app/target.html").status, 2);
}

TEST_F(WebViewTest, TheResSchemeServesAPageWithItsPartsFromTheHostsCallback)
{
    site().put("/index.html",
               page("<img id='picture' src='images/pic.png'><div id='probe'></div><script src='app.js'></script>"
                    "<link rel='stylesheet' href='style.css'><img src='missing.png' "
                    "onerror='console.log(\"missing: failed\")' onload='console.log(\"missing: loaded\")'>"
                    "<script>\n"
                    "window.addEventListener('load', () => {\n"
                    "  const picture = document.getElementById('picture');\n"
                    "  console.log('parts: ' + JSON.stringify({image: picture.naturalWidth,\n"
                    "    style: getComputedStyle(document.getElementById('probe')).width, script: !!window.appRan}));\n"
                    "});\n"
                    "const show = (name, response) => response.text().then(text =>\n"
                    "  console.log(name + ': ' + response.headers.get('content-type') + ' ' + text.length));\n"
                    "fetch('data.json').then(r => show('json', r));\n"
                    "fetch('images/pic.png?v=2').then(r => show('query', r));\n"
                    "fetch('sprite.tarvo').then(r => show('tarvo', r));\n"
                    "fetch('my%20notes.txt').then(r => show('spaced', r));\n"
                    "</script>"));
    site().put("/images/pic.png", png_bytes(7, 5, qRgba(0, 255, 0, 255)));
    site().put("/style.css", "#probe { width: 123px; height: 10px; }");
    site().put("/app.js", "window.appRan = true;");
    site().put("/data.json", "{\"answer\": 42}");
    site().put("/sprite.tarvo", "tarvo bytes");
    site().put("/my notes.txt", "decoded");

    TestWebView view;
    view.set_url("res://app/");
    ASSERT_TRUE(view.load());
    EXPECT_EQ(view.wait_for_message("parts: "), R"({"image":7,"style":"123px","script":true})");
    EXPECT_EQ(view.wait_for_message("missing: "), "failed");  // a size of 0 is a failed load
    EXPECT_EQ(view.wait_for_message("json: "), "application/json 14");
    EXPECT_EQ(view.wait_for_message("query: ").substr(0, 25), "application/octet-stream ");
    EXPECT_EQ(view.wait_for_message("tarvo: "), "image/png 11");
    EXPECT_EQ(view.wait_for_message("spaced: "), "text/plain 7");

    const auto requests = site().requests();
    auto asked = [&requests](const std::string& path) {
        return std::find(requests.begin(), requests.end(), path) != requests.end();
    };
    EXPECT_TRUE(asked("/index.html"));  // "/" asks for the index
    EXPECT_TRUE(asked("/my notes.txt"));  // decoded
    EXPECT_TRUE(asked("/images/pic.png"));  // the query is not part of the path
}

TEST_F(WebViewTest, ContentTypesComeFromTheWholeAddress)
{
    const std::pair<const char*, const char*> table[] = {
        {"res://app/a.HTML", "text/html"},       {"res://app/a.PNG", "image/png"},
        {"res://app/a.bin", "application/octet-stream"}, {"res://app/a.png?v=2", "application/octet-stream"},
        {"res://app/a.png#top", "application/octet-stream"}, {"res://app/a.tarvo", "image/png"},
        {"res://app/a.jpeg", "image/jpeg"},      {"res://app/a.htm", "text/html"},
        {"res://app/a.svg", "image/svg+xml"},     {"res://app/a.mp3", "audio/mpeg"},
    };
    for (const auto& [url, type] : table)
        EXPECT_EQ(GodotSchemeHandler::content_type(QUrl(url)), type) << url;
}

TEST_F(WebViewTest, TwoViewsShareTheOneResourceCallback)
{
    site().put("/shared.html", page("", "background: rgb(0, 255, 0)"));
    const int before = site().count("/shared.html");
    TestWebView first, second;
    for (TestWebView* view : {&first, &second}) {
        view->set_url("res://app/shared.html");
        ASSERT_TRUE(view->load());
    }
    EXPECT_TRUE(near(first.wait_for_pixel(100, 100, kGreen).pixel(100, 100), kGreen));
    EXPECT_TRUE(near(second.wait_for_pixel(100, 100, kGreen).pixel(100, 100), kGreen));
    EXPECT_EQ(site().count("/shared.html") - before, 2);
}

TEST_F(WebViewTest, ResourceCallbackFaultsFailTheRequestWithAWarning)
{
    const std::string html = page("<img src='faulty.png' onerror='console.log(\"image: failed\")' "
                                  "onload='console.log(\"image: loaded\")'>");
    site().put("/faults.html", html);
    struct Restore {
        ~Restore() { SView().set_func_resource_file(site().callback()); }
    } restore;

    // A null pointer with a size is "not found", never a copy from null.
    SView().set_func_resource_file([&html](std::string path, bool&, unsigned long& size) -> unsigned char* {
        if (path == "/faults.html") {
            size = html.size();
            return reinterpret_cast<unsigned char*>(const_cast<char*>(html.data()));
        }
        size = 5;
        return nullptr;
    });
    size_t mark = Warnings::mark();
    {
        TestWebView view;
        view.set_url("res://app/faults.html");
        ASSERT_TRUE(view.load());
        EXPECT_EQ(view.wait_for_message("image: "), "failed");
    }
    auto warned = [](size_t from, const std::string& text) {
        for (const std::string& w : Warnings::since(from))
            if (w.find(text) != std::string::npos)
                return true;
        return false;
    };
    EXPECT_TRUE(warned(mark, "returned no bytes"));

    // Without a callback the request fails at once instead of staying pending.
    SView().set_func_resource_file({});
    mark = Warnings::mark();
    TestWebView view;
    view.set_url("res://app/faults.html");
    ASSERT_TRUE(view.load());
    const Loading failed = view.wait_for_load("res://app/faults.html", 5s);
    EXPECT_EQ(failed.status, 3);
    EXPECT_TRUE(warned(mark, "m_resource_file not set, returning..."));
}

TEST_F(WebViewTest, TheUserAgentOfPagesChangesButNotTheViewsOwn)
{
    const QString original = on_profile([](QQuickWebEngineProfile* p) { return p->httpUserAgent(); });
    site().put("/agent.html", page("<script>console.log('agent: ' + navigator.userAgent)</script>"));
    TestWebView view;
    view.set_user_agent("SorvaneTest/1.0 (stand-in host)");
    view.set_url("res://app/agent.html");
    ASSERT_TRUE(view.load());
    EXPECT_EQ(view.wait_for_message("agent: "), "SorvaneTest/1.0 (stand-in host)");
    EXPECT_EQ(view.get_user_agent(), WebView::kUserAgent.toStdString());
    view.set_user_agent(original.toStdString());
}

TEST_F(WebViewTest, CookiesGoToTheSharedProfileWithTheirSameSitePolicy)
{
    auto added = std::make_shared<std::vector<std::string>>();
    auto* receiver = on_profile([added](QQuickWebEngineProfile* p) {
        auto* r = new QObject(p);
        QObject::connect(p->cookieStore(), &QWebEngineCookieStore::cookieAdded, r,
                         [added](const QNetworkCookie& c) { added->push_back(c.name().toStdString()); });
        return r;
    });
    auto stored = [&] { return on_profile([added](QQuickWebEngineProfile*) { return added->size(); }); };

    HttpServer server(page("<script>console.log('cookies: ' + document.cookie)</script>"));
    const long expiry = static_cast<long>(QDateTime::currentSecsSinceEpoch()) + 3600;
    TestWebView view;
    view.set_cookie("127.0.0.1", "/", "flavour", "oat", false, "lax", expiry);
    view.set_cookie("127.0.0.1", "/", "capital", "1", false, "Strict", expiry);  // not a policy name
    view.set_cookie("127.0.0.1", "/", "exact", "2", false, "strict", expiry);
    ASSERT_TRUE(wait_until(view, [&] { return stored() == 3; }));

    // The web engine does not report a cookie's policy back; its requests show it. A navigation
    // from another site carries Lax cookies and those without a policy, never Strict ones.
    site().put("/elsewhere.html", page(""));
    view.set_url("res://app/elsewhere.html");
    ASSERT_TRUE(view.load());
    ASSERT_EQ(view.wait_for_load("res://app/elsewhere.html").status, 2);
    view.run_javascript("location.href = '" + server.url() + "'");
    const std::string cookies = view.wait_for_message("cookies: ");
    ASSERT_FALSE(server.requests().empty());
    const std::string request = server.requests().front();  // the page's, before its icon's
    ASSERT_EQ(request.rfind("GET / ", 0), 0u) << request;
    EXPECT_NE(request.find("flavour=oat"), std::string::npos) << request;
    EXPECT_NE(request.find("capital=1"), std::string::npos) << request;
    EXPECT_EQ(request.find("exact=2"), std::string::npos) << request;
    // The page itself sees every one of them.
    for (const char* cookie : {"flavour=oat", "capital=1", "exact=2"})
        EXPECT_NE(cookies.find(cookie), std::string::npos) << cookies;

    on_profile([receiver](QQuickWebEngineProfile* p) {
        delete receiver;
        p->cookieStore()->deleteAllCookies();
        return 0;
    });
}

TEST_F(WebViewTest, AnUnloadedViewIgnoresSceneCommandsAndAGoneViewAnswersDefaults)
{
    TestWebView view;
    const size_t mark = Warnings::mark();
    view.back();
    view.forward();
    view.reload();
    view.reload_and_bypass_cache();
    view.back_or_forward(-1);
    view.run_javascript("1");
    EXPECT_FALSE(view.can_go_back());
    EXPECT_FALSE(view.can_go_forward());
    view.render();
    EXPECT_EQ(Warnings::since(mark), std::vector<std::string>{});

    view.destroy();
    EXPECT_FALSE(view.load());
    EXPECT_EQ(view.get_url(), "");
    EXPECT_EQ(view.get_background_color(), "");
    EXPECT_EQ(view.get_zoom_factor(), 0.0);
    EXPECT_EQ(view.get_user_agent(), "");
    EXPECT_FALSE(view.get_javascript_enabled());
    EXPECT_EQ(view.get_default_text_encoding(), "");
    EXPECT_EQ(view.get_unknown_url_scheme_policy(), 0);
    EXPECT_FALSE(view.can_go_back());
    view.set_url("res://app/");
    view.load_html("<p>", "res://app/");
    view.set_javascript_enabled(false);
    view.run_javascript("1");

    // The operations on the shared profile act whatever the state of the view.
    const QString original = on_profile([](QQuickWebEngineProfile* p) { return p->httpUserAgent(); });
    view.set_user_agent("gone/1.0");
    EXPECT_EQ(on_profile([](QQuickWebEngineProfile* p) { return p->httpUserAgent(); }), "gone/1.0");
    view.set_user_agent(original.toStdString());

    EXPECT_FALSE(view.get_disable_gpu() == false);  // this process runs with GPU_DISABLED
    view.set_disable_gpu(false);
    EXPECT_FALSE(opts::GPU_DISABLED);
    view.set_disable_gpu(true);
}

// Last: it switches the shared profile's storage and off-the-record mode.
TEST_F(WebViewTest, ProfileOperationsChangeTheSharedProfile)
{
    auto state = [] {
        return on_profile([](QQuickWebEngineProfile* p) {
            return std::make_tuple(p->isOffTheRecord(), p->persistentCookiesPolicy(), p->persistentStoragePath(),
                                   p->cachePath());
        });
    };
    const bool was_off_the_record = std::get<0>(state());
    QTemporaryDir storage;
    ASSERT_TRUE(storage.isValid());
    SWebView view;
    view.set_storage_path(storage.path().toStdString());
    view.set_otr(false);
    EXPECT_EQ(state(), std::make_tuple(false, QQuickWebEngineProfile::ForcePersistentCookies, storage.path(),
                                       storage.path()));

    view.set_otr(true);  // an off-the-record profile has no cache on disk
    EXPECT_EQ(state(), std::make_tuple(true, QQuickWebEngineProfile::NoPersistentCookies, storage.path(), QString()));
    view.destroy();
    view.set_otr(was_off_the_record);  // a facade without a view still reaches the profile
    EXPECT_EQ(std::get<0>(state()), was_off_the_record);
}
