// The bridge end to end: engine objects registered on a web view, used by a real page in
// Chromium through the web channel and the bridge script, with the engine's side in this test.

#include "web_test_support.h"

#include "engine_objects.h"

#include <atomic>
#include <mutex>
#include <thread>

using namespace sorvane;
using namespace sorvane::db;
using namespace testing_db;
using namespace webtest;
using T = VariantTypeStd;

namespace {

const auto* const g_environment = ::testing::AddGlobalTestEnvironment(new Started(/*gpu_disabled=*/true));

// The page every bridge test loads. `script` may replace setup(), which runs once the bridge is
// ready; then the page says "ready <objects>". say(...) logs its arguments joined by spaces.
std::string bridge_page(const std::string& script = {})
{
    return R"(<!DOCTYPE html><html><head><script>
function say() { console.log(Array.prototype.join.call(arguments, " ")); }
var setup = function () {};
)" + script + R"(
function on_ready() {
    setup();
    say("ready", Object.keys(godot).filter(function (k) { return k.indexOf("___") !== 0; }).join(","));
}
// The channel may connect before this script runs.
if (window.godot)
    on_ready();
else
    window.addEventListener("godot.ready", on_ready);
</script></head><body>bridge</body></html>)";
}

// Loads the view and shows the bridge page; returns what the page said after "ready".
std::string open(webtest::TestWebView& view, const std::string& script = {})
{
    EXPECT_TRUE(view.load());
    view.load_html(bridge_page(script), "https://bridge.test/");
    return view.wait_for_message("ready");
}

// What reached the engine's functions, on the Qt thread: method calls under the method's name,
// page writes under "=" and the property's name.
class EngineLog {
public:
    using Entry = std::pair<std::string, std::vector<ContainerStd>>;

    void hook(AbstractContextObjectStd* o)
    {
        for (auto& [name, m] : o->methods)
            m->func_call_method = [this](MethodInfoStd* m, std::vector<ContainerStd> v) { add(m->name, v); };
        for (auto& [name, p] : o->properties)
            p->func_valueChanged_updateGodot = [this](PropertyInfoStd* p) { add("=" + p->name, {p->value}); };
    }
    std::vector<Entry> entries() const
    {
        std::lock_guard lock(m_mutex);
        return m_entries;
    }

private:
    void add(const std::string& name, std::vector<ContainerStd> values)
    {
        std::lock_guard lock(m_mutex);
        m_entries.emplace_back(name, std::move(values));
    }
    mutable std::mutex m_mutex;
    std::vector<Entry> m_entries;
};

double real(const ContainerStd& c) { return std::get<double>(std::get<ValueStd>(c)); }
std::string text(const ContainerStd& c) { return std::get<std::string>(std::get<ValueStd>(c)); }

}  // namespace

class BridgePageTest : public WebTest {};

TEST_F(BridgePageTest, ThePageReadsWritesCallsAndListens)
{
    TestWebView view;
    EngineLog engine;
    AbstractContextObjectStd* p =
        object("player", {property("health", T::INT, ValueStd(5)), property("name", T::STRING)},
               {method("jump", {{"x", T::INT}}), signal("hurt", {{"amount", T::INT}, {"by", T::STRING}}),
                method("call"), method("__proto__")});
    engine.hook(p);
    PropertyInfoStd* health = p->properties.at("health");
    MethodInfoStd* hurt = p->methods.at("hurt");
    ASSERT_TRUE(view.webchannel_registerObject("player", p));
    EXPECT_EQ(open(view, R"(
        setup = function () {
            godot.player.health.on("changed", function (v) { say("changed", v); });
            godot.player.hurt.connect(function (amount, by) { say("hurt", amount, by); });
            var own = ["name", "call", "__proto__", "health", "jump"].filter(function (k) {
                return Object.prototype.hasOwnProperty.call(godot.player, k);
            });
            say("health", godot.player.health.value, own.join(","), godot === $g, godot instanceof Godot,
                godot.player instanceof GodotAbstractObject, ___godot_channel !== null);
        };)"),
              " player");
    EXPECT_EQ(view.wait_for_message("health "), "5 health,jump true true true true");

    view.run_javascript("godot.player.health.value = 3; say('wrote', godot.player.health.value);");
    EXPECT_EQ(view.wait_for_message("wrote "), "3");
    ASSERT_TRUE(wait_until(view, [&] { return engine.entries().size() == 1; }));
    EXPECT_EQ(engine.entries()[0].first, "=health");
    EXPECT_EQ(std::get<int>(std::get<ValueStd>(engine.entries()[0].second.at(0))), 3);

    std::thread([health, hurt] {
        health->value = ValueStd(9);
        health->func_valueChanged_updateWeb(health);
        // One type short: the text shows by what it holds.
        hurt->func_signal_emitted(hurt, {ValueStd(4), ValueStd(std::string("orc"))}, {T::INT});
    }).join();
    EXPECT_EQ(view.wait_for_message("changed "), "9");
    EXPECT_EQ(view.wait_for_message("hurt "), "4 orc");

    // A trailing function is dropped, never called; a list makes the parameter an array for good.
    view.run_javascript("godot.player.jump(1); godot.player.jump(2, function () { say('called back'); });"
                        "godot.player.jump([1, 2]); godot.player.jump(5);");
    ASSERT_TRUE(wait_until(view, [&] { return engine.entries().size() == 5; }));
    const auto calls = engine.entries();
    EXPECT_EQ(calls[1].first, "jump");
    EXPECT_EQ(calls[2].second.size(), 1u);
    EXPECT_EQ(real(calls[1].second.at(0)), 1.0);
    EXPECT_EQ(real(calls[2].second.at(0)), 2.0);
    EXPECT_EQ(text(calls[3].second.at(0)), "[1,2]");
    EXPECT_EQ(text(calls[4].second.at(0)), "[]");

    view.run_javascript("godot.player.jump();");
    const std::string message = "[player] function call 'jump' requires 1 parameter(s), but 0 provided";
    EXPECT_EQ(view.wait_for_message("Uncaught "), message + "\n    signature: jump(x: int)");
    EXPECT_TRUE(view.recorded->has_message(message));
    EXPECT_TRUE(view.recorded->has_message("    signature: jump(x: int)"));
    EXPECT_FALSE(view.recorded->has_message("called back"));
    EXPECT_EQ(engine.entries().size(), 5u);
}

TEST_F(BridgePageTest, ObjectsComeAndGoInNameOrderAcrossTheSceneLifetime)
{
    TestWebView view;
    EXPECT_EQ(view.webchannel_getObject("b"), nullptr);
    auto* b = object("b", {property("v", T::INT, ValueStd(1))}, {});
    view.webchannel_registerObject("b", object("b", {}, {}));
    view.webchannel_registerObject("b", b);  // before load the second replaces the first
    view.webchannel_registerObject("a", object("a", {}, {}));
    const size_t mark = Warnings::mark();
    view.webchannel_deregisterObject("a");
    EXPECT_EQ(Warnings::since(mark), std::vector<std::string>{"data-binding manager not initialized"});
    EXPECT_EQ(view.webchannel_getObject("b"), nullptr);  // pending registrations are not looked up

    ASSERT_TRUE(view.load());
    EXPECT_EQ(view.webchannel_getObject("b"), b);
    auto* c = object("c", {}, {});
    EXPECT_TRUE(view.webchannel_registerObject("c", c));
    auto taken = std::unique_ptr<AbstractContextObjectStd>(object("c", {}, {}));
    EXPECT_TRUE(view.webchannel_registerObject("c", taken.get()));  // refused, still true
    EXPECT_EQ(view.webchannel_getObject("c"), c);

    view.load_html(bridge_page(R"(
        setup = function () {
            godot.objectRegistered("late", function (n) { say("registered", n); });
            godot.objectRemoved("a", function (n) { say("removed", n, typeof godot.a); });
            godot.b.v.on("changed", function (v) { say("b changed", v); });
            godot.objectRemoved("nobody");
        };)"),
                   "https://bridge.test/");
    EXPECT_EQ(view.wait_for_message("ready"), " a,b,c");

    view.webchannel_deregisterObject("a");
    EXPECT_EQ(view.wait_for_message("removed "), "a undefined");
    EXPECT_EQ(view.webchannel_getObject("a"), nullptr);

    // Published after the page connected: adopted without a reload, members and all, while the
    // objects the page already had keep their connections.
    EngineLog engine;
    auto late_object = [&](int hp) {
        AbstractContextObjectStd* o = object("late", {property("hp", T::INT, ValueStd(hp))}, {method("go", {{"n", T::INT}})});
        engine.hook(o);
        return o;
    };
    view.webchannel_registerObject("late", late_object(7));
    EXPECT_EQ(view.wait_for_message("registered "), "late");
    view.run_javascript("godot.late.hp.on('changed', function (v) { say('late changed', v); });"
                        "godot.late.go(3); say('late hp', godot.late.hp.value);");
    EXPECT_EQ(view.wait_for_message("late hp "), "7");
    ASSERT_TRUE(wait_until(view, [&] { return engine.entries().size() == 1; }));
    EXPECT_EQ(engine.entries()[0].first, "go");
    PropertyInfoStd* hp = view.webchannel_getObject("late")->properties.at("hp");
    hp->value = ValueStd(8);
    hp->func_valueChanged_updateWeb(hp);
    EXPECT_EQ(view.wait_for_message("late changed "), "8");
    PropertyInfoStd* v = b->properties.at("v");
    v->value = ValueStd(2);
    v->func_valueChanged_updateWeb(v);
    EXPECT_EQ(view.wait_for_message("b changed "), "2");

    // A late object goes like any other, and comes back afresh under the same name.
    view.run_javascript("godot.objectRemoved('late', function (n) { say('late removed', typeof godot.late); });"
                        "say('watching');");
    view.wait_for_message("watching");
    view.webchannel_deregisterObject("late");
    EXPECT_EQ(view.wait_for_message("late removed "), "undefined");
    view.run_javascript("godot.objectRegistered('late', function () { say('late again', godot.late.hp.value); });"
                        "say('listening');");
    view.wait_for_message("listening");
    view.webchannel_registerObject("late", late_object(11));
    EXPECT_EQ(view.wait_for_message("late again "), "11");

    // A new page connects afresh and sees it.
    view.reload();
    EXPECT_TRUE(wait_until(view, [&] {
        for (const Console& m : view.recorded->console())
            if (m.message == "ready b,c,late")
                return true;
        return false;
    }));

    // A new scene starts empty: the objects went with the old one.
    ASSERT_TRUE(view.load());
    EXPECT_EQ(view.webchannel_getObject("b"), nullptr);
    view.destroy();
    ::testing::internal::CaptureStdout();
    EXPECT_FALSE(view.webchannel_registerObject("x", nullptr));
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "webchannel_registerObject, m_mivo == nullptr\n");
    EXPECT_FALSE(view.webchannel_deregisterObject("x"));
    EXPECT_EQ(view.webchannel_getObject("c"), nullptr);
}

TEST_F(BridgePageTest, FourEngineThreadsNotifyAtOnceAndThePageHearsEveryNotice)
{
    constexpr int kThreads = 4;
    constexpr int kEach = 10000;
    TestWebView view;
    AbstractContextObjectStd* counter =
        object("counter", {property("count", T::INT, ValueStd(1))}, {signal("tick", {{"n", T::INT}})});
    view.webchannel_registerObject("counter", counter);
    open(view, R"(
        var ticks = 0, changes = 0, sum = 0;
        setup = function () {
            godot.counter.tick.connect(function (n) { sum += n; if (++ticks % 10000 === 0) say("ticks", ticks, sum); });
            godot.counter.count.on("changed", function () { if (++changes % 10000 === 0) say("changes", changes); });
        };)");

    PropertyInfoStd* count = counter->properties.at("count");
    MethodInfoStd* tick = counter->methods.at("tick");
    std::atomic<int> ready{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([&] {
            ready.fetch_add(1);
            while (ready.load() < kThreads) {
            }
            for (int i = 0; i < kEach; ++i) {
                count->func_valueChanged_updateWeb(count);
                tick->func_signal_emitted(tick, {ValueStd(1)}, {T::INT});
            }
        });
    for (std::thread& t : threads)
        t.join();

    const std::string all = std::to_string(kThreads * kEach);
    EXPECT_TRUE(wait_until(view, [&] {
        return view.recorded->message("ticks " + all + " ") == all && view.recorded->has_message("changes " + all);
    }, 120s)) << "last: " << view.recorded->console().back().message;
}

// Each fresh view shows a blank page first, whose channel asks for the objects as the page's
// does; its answer can reach the next document of the frame, where the page's own answer then
// found no waiting call and the page threw "channel.execCallbacks[message.id] is not a
// function" (3 views in 15).
TEST_F(BridgePageTest, AFreshViewsPageNeverGetsTheBlankPagesAnswers)
{
    for (int i = 0; i < 15; ++i) {
        TestWebView view;
        ASSERT_TRUE(view.webchannel_registerObject("player", object("player", {}, {method("jump")})));
        EXPECT_EQ(open(view, "setup = function () { godot.player.___qt_obj.get_method_signature('jump', "
                             "function (s) { say('signature', s); }); };"),
                  " player");
        EXPECT_EQ(view.wait_for_message("signature "), "jump()");
        for (int k = 0; k < 10; ++k)
            view.frame();
        EXPECT_EQ(view.recorded->message("Uncaught "), "") << "view " << i;
    }
}
