// Which pages reach the engine's objects: the view's bridge origins, with real pages from two
// loopback servers (two origins), one allowed and one refused.

#include "web_test_support.h"

#include "engine_objects.h"
#include "web/bridge_origins.h"

#include <mutex>
#include <thread>

using namespace sorvane;
using namespace sorvane::db;
using namespace testing_db;
using namespace webtest;
using T = VariantTypeStd;

namespace {

const auto* const g_environment = ::testing::AddGlobalTestEnvironment(new Started(/*gpu_disabled=*/true));

// Reports what it reaches as "state <port> <bridge objects or none> <raw channel objects>".
const char* const kPage = R"(<!DOCTYPE html><html><head><script>
function say() { console.log(Array.prototype.join.call(arguments, " ")); }
var raw = "-";
// Speaks to the channel itself only with "?attack", once the bridge had its chance: a second
// channel on the transport takes its messages over.
if (location.search === "?attack" && window.qt && qt.webChannelTransport) {
    raw = "waiting";
    var t = qt.webChannelTransport;
    t.send(JSON.stringify({type: 6, object: "player", method: "___invoke_method", args: ["jump", [7]], id: 900001}));
    t.send(JSON.stringify({type: 9, object: "player.health", property: "value", value: 42}));
    t.send(JSON.stringify({type: 7, object: "___cm", signal: "propChanged"}));
    setTimeout(function () {
        if (window.godot)
            raw = "bridge";
        else
            new QWebChannel(t, function (ch) { raw = Object.keys(ch.objects).join(",") || "empty"; });
    }, 1700);
}
var done = false;
function report() {
    if (done) return;
    done = true;
    var keys = window.godot ? Object.keys(godot).filter(function (k) { return k.indexOf("___") !== 0; }).join(",") : "none";
    if (window.godot && godot.player) { godot.player.jump(1); godot.player.health.value = 3; }
    setTimeout(function () { say("state", location.port, keys, raw); }, 1000);
}
window.addEventListener("godot.ready", report);
setTimeout(report, 1500);
</script></head><body>origins</body></html>)";

// What reached the engine, by member name ("=health" for a page write).
class EngineLog {
public:
    void hook(AbstractContextObjectStd* o)
    {
        for (auto& [name, m] : o->methods)
            m->func_call_method = [this](MethodInfoStd* m, std::vector<ContainerStd>) { add(m->name); };
        for (auto& [name, p] : o->properties)
            p->func_valueChanged_updateGodot = [this](PropertyInfoStd* p) { add("=" + p->name); };
    }
    std::vector<std::string> entries() const
    {
        std::lock_guard lock(m_mutex);
        return m_entries;
    }

private:
    void add(std::string name)
    {
        std::lock_guard lock(m_mutex);
        m_entries.push_back(std::move(name));
    }
    mutable std::mutex m_mutex;
    std::vector<std::string> m_entries;
};

std::vector<std::string> states(const TestWebView& view)
{
    std::vector<std::string> out;
    for (const Console& m : view.recorded->console())
        if (m.message.rfind("state ", 0) == 0)
            out.push_back(m.message.substr(6));
    return out;
}

// Waits for the page's next report (the count-th) and returns it.
std::string next_state(const TestWebView& view, size_t count)
{
    EXPECT_TRUE(wait_until(view, [&] { return states(view).size() >= count; }));
    const auto all = states(view);
    return all.size() >= count ? all[count - 1] : std::string();
}

std::string port_of(const HttpServer& server)
{
    const std::string url = server.url();
    return url.substr(url.rfind(':') + 1, url.size() - url.rfind(':') - 2);
}

int refusals(const std::vector<std::string>& warnings, const std::string& origin)
{
    int n = 0;
    for (const std::string& w : warnings)
        if (w.find("the page at " + origin + " does not reach the engine's objects") != std::string::npos)
            ++n;
    return n;
}

}  // namespace

TEST(BridgeOrigins, EntriesMatchSchemesOriginsOrEverything)
{
    BridgeOrigins origins;
    EXPECT_TRUE(origins.allows("https://anything.test/x"));  // every page until told otherwise
    origins.set({"res://", "HTTPS://Game.Example/", "http://127.0.0.1:8080", " "});
    EXPECT_EQ(origins.entries(), (QStringList{"res://", "https://game.example", "http://127.0.0.1:8080"}));
    EXPECT_TRUE(origins.allows("res://web/index.html"));
    EXPECT_TRUE(origins.allows("res:///index.html"));
    EXPECT_TRUE(origins.allows("https://game.example/a/b?c#d"));
    EXPECT_FALSE(origins.allows("https://game.example.evil.test/"));
    EXPECT_FALSE(origins.allows("http://game.example/"));  // another scheme is another origin
    EXPECT_TRUE(origins.allows("http://127.0.0.1:8080/x"));
    EXPECT_FALSE(origins.allows("http://127.0.0.1:8081/x"));
    EXPECT_FALSE(origins.allows("http://127.0.0.1/x"));
    EXPECT_FALSE(origins.allows("about:blank"));
    EXPECT_FALSE(origins.allows("data:text/html,hi"));
    EXPECT_FALSE(origins.allows("resx://web/index.html"));
    origins.set({});
    EXPECT_FALSE(origins.allows("res://web/index.html"));
    EXPECT_EQ(BridgeOrigins::origin_of("https://Game.Example:444/a?b"), "https://game.example:444");
    EXPECT_EQ(BridgeOrigins::origin_of("res://web/index.html"), "res://web");
}

class BridgeOriginsPageTest : public WebTest {};

TEST_F(BridgeOriginsPageTest, ARefusedPageFindsNothingBeforeOrAfterAnAllowedOne)
{
    HttpServer allowed(kPage), refused(kPage);
    TestWebView view;
    EXPECT_EQ(view.get_bridge_allowed_origins(), std::vector<std::string>{"*"});
    view.set_bridge_allowed_origins({allowed.url()});
    EXPECT_EQ(view.get_bridge_allowed_origins(), std::vector<std::string>{allowed.url().substr(0, allowed.url().size() - 1)});

    EngineLog engine;
    AbstractContextObjectStd* player =
        object("player", {property("health", T::INT, ValueStd(5))},
               {method("jump", {{"x", T::INT}}), signal("hurt", {{"amount", T::INT}})});
    engine.hook(player);
    ASSERT_TRUE(view.webchannel_registerObject("player", player));
    ASSERT_TRUE(view.load());
    const size_t mark = Warnings::mark();

    // A refused page first: no bridge, an empty channel, and its direct messages reach nothing.
    view.set_url(refused.url("/first?attack"));
    EXPECT_EQ(next_state(view, 1), port_of(refused) + " none empty");

    view.set_url(allowed.url("/a"));
    EXPECT_EQ(next_state(view, 2), port_of(allowed) + " player -");
    ASSERT_TRUE(wait_until(view, [&] { return engine.entries().size() == 2; }));
    EXPECT_EQ(engine.entries(), (std::vector<std::string>{"jump", "=health"}));

    // Followed by the page itself (a link), then again by the host.
    view.run_javascript("location.href = '" + refused.url("/link?attack") + "';");
    EXPECT_EQ(next_state(view, 3), port_of(refused) + " none empty");
    view.set_url(refused.url("/again?attack"));
    EXPECT_EQ(next_state(view, 4), port_of(refused) + " none empty");

    // Back to the allowed page through history: the bridge is there again.
    view.back_or_forward(-2);
    EXPECT_EQ(next_state(view, 5), port_of(allowed) + " player -");
    ASSERT_TRUE(wait_until(view, [&] { return engine.entries().size() == 4; }));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(engine.entries(), (std::vector<std::string>{"jump", "=health", "jump", "=health"}));

    // Named once, however often it came.
    const auto warnings = Warnings::since(mark);
    EXPECT_EQ(refusals(warnings, "http://127.0.0.1:" + port_of(refused)), 1);
    EXPECT_EQ(refusals(warnings, "http://127.0.0.1:" + port_of(allowed)), 0);

    // Registrations made while a refused page is shown stay away from it, and reach the next
    // allowed page; a deregistration meanwhile leaves nothing behind.
    view.set_url(refused.url("/later?attack"));
    EXPECT_EQ(next_state(view, 6), port_of(refused) + " none empty");
    ASSERT_TRUE(view.webchannel_registerObject("late", object("late", {property("v", T::INT)}, {})));
    ASSERT_TRUE(view.webchannel_registerObject("gone", object("gone", {property("w", T::INT)}, {})));
    ASSERT_TRUE(view.webchannel_deregisterObject("gone"));
    view.reload();
    EXPECT_EQ(next_state(view, 7), port_of(refused) + " none empty");
    view.set_url(allowed.url("/b"));
    EXPECT_EQ(next_state(view, 8),
              port_of(allowed) + " late,player -");

    // Widening the list opens the page shown at once; an empty list refuses every page.
    view.set_bridge_allowed_origins({});
    view.reload();
    EXPECT_EQ(next_state(view, 9), port_of(allowed) + " none -");
    view.set_bridge_allowed_origins({"http://127.0.0.1:" + port_of(allowed), "*"});
    view.reload();
    EXPECT_EQ(next_state(view, 10), port_of(allowed) + " late,player -");
    EXPECT_EQ(engine.entries().size(), 8u);
}
