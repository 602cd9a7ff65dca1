// Engine objects in a page against a raw web-channel object on the same page. Measured in the
// same run, rounds alternating which side goes first, figures are medians over the rounds:
//   - engine-to-page property-change notices per second (an engine thread notifies N times; the
//     page counts its "changed" callbacks);
//   - their latency, by timestamp echo: the engine sends a timestamp, the page's callback sends
//     it straight back through a method call, the engine notes the round trip;
//   - page-to-engine method calls per second (the page calls N times in a loop; the engine counts).
// The raw baseline is a plain QObject on the page's channel with one signal and one slot that
// carry the same values as the bridge's (object name, property name, value) and (name, args).
//
//   databinding_bench [--notices N] [--calls N] [--echoes N] [--rounds N]
//
// SORVANE_PROJECT_ROOT names a project root holding the Qt runtime directory
// (tools/make-runtime.sh); run it under tools/with-xvfb.sh.

#include "../tests/databinding/engine_objects.h"
#include "web_bench_common.h"

#include "runtime/carry.h"
#include "web/web_view.h"

#include <QObject>
#include <QVariant>
#include <QWebChannel>

#include <atomic>
#include <optional>
#include <condition_variable>
#include <cstring>

using namespace webbench;
using namespace sorvane;
using namespace sorvane::db;
using T = VariantTypeStd;

namespace {

// The baseline: one signal and one slot, published on the page's channel as "raw".
class RawEndpoint : public QObject {
    Q_OBJECT
public:
    Q_INVOKABLE QVariant invoke(QVariant func_name, QVariantList args)
    {
        on_call(func_name.toString(), args);
        return true;
    }
    std::function<void(const QString&, const QVariantList&)> on_call;

signals:
    void changed(QString object_name, QString variable_name, QVariant value);
};

// What reaches the engine from the page: call counts and the last echoed timestamp.
class Inbox {
public:
    void ping()
    {
        std::lock_guard lock(m_mutex);
        ++m_pings;
        m_changed.notify_all();
    }
    void echo(double timestamp)
    {
        std::lock_guard lock(m_mutex);
        m_echo = timestamp;
        m_changed.notify_all();
    }
    void reset()
    {
        std::lock_guard lock(m_mutex);
        m_pings = 0;
        m_echo = -1;
    }
    bool wait_pings(int n)
    {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, 120s, [&] { return m_pings >= n; });
    }
    bool wait_echo(double timestamp)
    {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, 10s, [&] { return m_echo == timestamp; });
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    int m_pings = 0;
    double m_echo = -1;
};

const char* const kPage = R"(<!DOCTYPE html><html><body><script>
function say() { console.log(Array.prototype.join.call(arguments, " ")); }
var seen = 0, target = 0, echo = false;
function count(side) { if (++seen === target) say(side + "-done"); }
function arm(n, echoing) { seen = 0; target = n; echo = echoing; say("armed"); }
function start() {
    var raw = ___godot_channel.objects.raw;
    godot.bench.value.on("changed", function (v) { if (echo) godot.bench.echo(v); else count("bridge"); });
    raw.changed.connect(function (o, p, v) { if (echo) raw.invoke("echo", [v]); else count("raw"); });
    for (var k = 0; k < 4; ++k) watch_flood(k);
    say("ready");
}
// Every notice arrives (the value is the one current when it is delivered, so several may carry
// the same value): done once each property has had all its notices and ends at the last value.
var last = [-1, -1, -1, -1], received = [0, 0, 0, 0], disorder = 0, flood_n = 0, flood_done = true;
function flood(n) {
    last = [-1, -1, -1, -1]; received = [0, 0, 0, 0]; disorder = 0; flood_n = n; flood_done = false;
    say("flood-armed");
}
function watch_flood(k) {
    godot.bench["f" + k].on("changed", function (v) {
        if (v < last[k]) ++disorder;
        last[k] = v;
        ++received[k];
        if (!flood_done && received.every(function (r) { return r >= flood_n; }) &&
            last.every(function (x) { return x === flood_n - 1; })) {
            flood_done = true;
            say("flood-done " + disorder);
        }
    });
}
function bridge_calls(n) { for (var i = 0; i < n; ++i) godot.bench.ping(i); }
function raw_calls(n) { var raw = ___godot_channel.objects.raw; for (var i = 0; i < n; ++i) raw.invoke("ping", [i]); }
if (window.godot) start(); else window.addEventListener("godot.ready", start);
</script></body></html>)";

double now_ms()
{
    return std::chrono::duration<double, std::milli>(Clock::now().time_since_epoch()).count();
}

struct Round {
    double bridge_notices, raw_notices;  // per second
    double bridge_echo, raw_echo;        // median round trip, ms
    double bridge_calls, raw_calls;      // per second
};

class Bench {
public:
    Bench(standin::VulkanHost& host)
    {
        standin::hand_over(host, m_view);
        m_view.set_resolution({640, 360});
        m_console.attach(m_view);

        m_object = testing_db::object("bench", {testing_db::property("value", T::FLOAT, ValueStd(0.0)),
                                                testing_db::property("f0", T::INT, ValueStd(0)),
                                                testing_db::property("f1", T::INT, ValueStd(0)),
                                                testing_db::property("f2", T::INT, ValueStd(0)),
                                                testing_db::property("f3", T::INT, ValueStd(0))},
                                      {testing_db::method("ping", {{"i", T::INT}}),
                                       testing_db::method("echo", {{"t", T::FLOAT}})});
        m_value = m_object->properties.at("value");
        m_object->methods.at("ping")->func_call_method = [this](MethodInfoStd*, std::vector<ContainerStd>) { m_inbox.ping(); };
        m_object->methods.at("echo")->func_call_method = [this](MethodInfoStd*, std::vector<ContainerStd> v) {
            m_inbox.echo(std::get<double>(std::get<ValueStd>(v.at(0))));
        };
        m_view.webchannel_registerObject("bench", m_object);
        if (!m_view.load())
            throw std::runtime_error("the web view did not load");
        // The baseline goes on the same page's channel.
        carry::waited(m_view.qt(), [this](WebView* v) {
            QObject* root = v->root_item();
            auto* channel = qobject_cast<QWebChannel*>(root->property("webChannel").value<QObject*>());
            m_raw = new RawEndpoint;
            m_raw->setParent(root);
            m_raw->on_call = [this](const QString& name, const QVariantList& args) {
                if (name == "ping")
                    m_inbox.ping();
                else
                    m_inbox.echo(args.value(0).toDouble());
            };
            channel->registerObject("raw", m_raw);
        });
        m_view.load_html(kPage, "https://bench.test/");
        m_console.wait_for(m_view, "ready");
    }
    ~Bench() { m_view.destroy(); }

    // Notices per second for `n` notices sent from an engine thread.
    double notices(bool bridge, int n)
    {
        m_view.run_javascript("arm(" + std::to_string(n) + ", false)");
        m_console.wait_for(m_view, "armed");
        const auto start = Clock::now();
        std::thread engine([&] {
            for (int i = 0; i < n; ++i) {
                if (bridge)
                    m_value->func_valueChanged_updateWeb(m_value);
                else
                    post_raw(1.0);
            }
        });
        engine.join();
        m_console.wait_for(m_view, bridge ? "bridge-done" : "raw-done");
        return n / (ms_between(start, Clock::now()) / 1000.0);
    }

    // render() latency while four engine threads each send `n` notices of a property of their
    // own; the host renders at 60 Hz meanwhile. The page checks that each property's values
    // never go back and end at the last one sent.
    struct Flood {
        std::vector<double> renders_ms;
        int disorder;
    };
    Flood flood(int n)
    {
        m_view.run_javascript("flood(" + std::to_string(n) + ")");
        m_console.wait_for(m_view, "flood-armed");
        std::atomic<bool> go{false};
        std::vector<std::thread> engines;
        for (int k = 0; k < 4; ++k)
            engines.emplace_back([this, k, n, &go] {
                PropertyInfoStd* p = m_object->properties.at("f" + std::to_string(k));
                while (!go.load())
                    std::this_thread::yield();
                for (int i = 0; i < n; ++i) {
                    p->value = ValueStd(i);
                    p->func_valueChanged_updateWeb(p);
                }
            });
        go = true;
        std::vector<double> renders;
        std::optional<std::string> done;
        const auto deadline = Clock::now() + 300s;
        while (!(done = m_console.take("flood-done "))) {
            if (Clock::now() > deadline)
                throw std::runtime_error("the flood's last notices did not reach the page within 300 s");
            std::this_thread::sleep_for(16ms);
            const auto start = Clock::now();
            m_view.render();
            renders.push_back(ms_between(start, Clock::now()));
        }
        for (auto& t : engines)
            t.join();
        return {std::move(renders), std::atoi(done->c_str())};
    }

    // render() at 60 Hz with nothing else going on: the baseline of the flood figures.
    std::vector<double> quiet_renders(int n)
    {
        std::vector<double> renders;
        for (int i = 0; i < n; ++i) {
            std::this_thread::sleep_for(16ms);
            const auto start = Clock::now();
            m_view.render();
            renders.push_back(ms_between(start, Clock::now()));
        }
        return renders;
    }

    // Median round trip in ms of `n` timestamp echoes, one at a time.
    double echoes(bool bridge, int n)
    {
        m_view.run_javascript("arm(0, true)");
        m_console.wait_for(m_view, "armed");
        std::vector<double> trips;
        for (int i = 0; i < n; ++i) {
            const double sent = now_ms();
            if (bridge) {
                m_value->value = ValueStd(sent);  // read on the Qt thread before the echo returns
                m_value->func_valueChanged_updateWeb(m_value);
            } else {
                post_raw(sent);
            }
            if (!m_inbox.wait_echo(sent))
                throw std::runtime_error("no echo within 10 s");
            trips.push_back(now_ms() - sent);
        }
        return median(trips);
    }

    // Method calls per second for `n` calls made by the page in a loop.
    double calls(bool bridge, int n)
    {
        m_inbox.reset();
        const auto start = Clock::now();
        m_view.run_javascript(std::string(bridge ? "bridge_calls(" : "raw_calls(") + std::to_string(n) + ")");
        if (!m_inbox.wait_pings(n))
            throw std::runtime_error("the page's calls did not all arrive within 120 s");
        return n / (ms_between(start, Clock::now()) / 1000.0);
    }

private:
    void post_raw(double value)
    {
        RawEndpoint* raw = m_raw;
        QMetaObject::invokeMethod(
            raw, [raw, value] { emit raw->changed("bench", "value", value); }, Qt::QueuedConnection);
    }

    // A web view facade that can reach its Qt-side view.
    class View : public SWebView {
    public:
        WebView* qt() const { return static_cast<WebView*>(m_view); }
    };

    View m_view;
    Console m_console;
    Inbox m_inbox;
    AbstractContextObjectStd* m_object = nullptr;
    PropertyInfoStd* m_value = nullptr;
    RawEndpoint* m_raw = nullptr;
};

int option(int argc, char** argv, const char* name, int fallback)
{
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], name) == 0)
            return std::atoi(argv[i + 1]);
    return fallback;
}

}  // namespace

int main(int argc, char** argv)
{
    const int notices = option(argc, argv, "--notices", 20000);
    const int calls = option(argc, argv, "--calls", 20000);
    const int echoes = option(argc, argv, "--echoes", 300);
    const int rounds = option(argc, argv, "--rounds", 3);
    try {
        auto host = start_library(/*gpu_disabled=*/true);
        Bench bench(*host);
        bench.notices(true, 1000);  // warm-up, both sides
        bench.notices(false, 1000);
        std::vector<Round> results;
        for (int r = 0; r < rounds; ++r) {
            const bool bridge_first = r % 2 == 0;
            Round round{};
            for (bool bridge : {bridge_first, !bridge_first}) {
                (bridge ? round.bridge_notices : round.raw_notices) = bench.notices(bridge, notices);
                (bridge ? round.bridge_echo : round.raw_echo) = bench.echoes(bridge, echoes);
                (bridge ? round.bridge_calls : round.raw_calls) = bench.calls(bridge, calls);
            }
            results.push_back(round);
        }
        auto med = [&](double Round::*field) {
            std::vector<double> v;
            for (const Round& r : results)
                v.push_back(r.*field);
            return median(v);
        };
        std::printf("databinding_bench: %d rounds; %d notices, %d echoes, %d calls per side and round\n", rounds,
                    notices, echoes, calls);
        std::printf("%-34s %12s %12s %8s\n", "", "bridge", "raw channel", "ratio");
        std::printf("%-34s %12.0f %12.0f %8.2f\n", "engine-to-page notices per second", med(&Round::bridge_notices),
                    med(&Round::raw_notices), med(&Round::bridge_notices) / med(&Round::raw_notices));
        std::printf("%-34s %12.3f %12.3f %8.2f\n", "notice echo round trip, median ms", med(&Round::bridge_echo),
                    med(&Round::raw_echo), med(&Round::bridge_echo) / med(&Round::raw_echo));
        std::printf("%-34s %12.0f %12.0f %8.2f\n", "page-to-engine calls per second", med(&Round::bridge_calls),
                    med(&Round::raw_calls), med(&Round::bridge_calls) / med(&Round::raw_calls));
        const int flood_each = option(argc, argv, "--flood", 5000);
        std::printf("\nrender() at 60 Hz while 4 engine threads send %d notices each (%d in all):\n", flood_each,
                    4 * flood_each);
        // Each flood lasts a few frames, so the renders of many floods are pooled.
        constexpr int kFloods = 20;
        std::vector<double> pooled, round_max;
        int disorder = 0;
        for (int r = 0; r < kFloods; ++r) {
            auto f = bench.flood(flood_each);
            disorder += f.disorder;
            round_max.push_back(f.renders_ms.empty() ? 0.0 : *std::max_element(f.renders_ms.begin(), f.renders_ms.end()));
            pooled.insert(pooled.end(), f.renders_ms.begin(), f.renders_ms.end());
        }
        auto at = [](std::vector<double> v, double q) {
            std::sort(v.begin(), v.end());
            return v.empty() ? 0.0 : v[std::min(v.size() - 1, size_t(q * v.size()))];
        };
        const std::vector<double> quiet = bench.quiet_renders(int(pooled.size()));
        std::printf("  during the floods: p50 %7.3f ms  p99 %7.3f ms  over %zu renders in %d floods; "
                    "worst of a flood: median %.3f ms, max %.3f ms\n",
                    at(pooled, 0.5), at(pooled, 0.99), pooled.size(), kFloods, at(round_max, 0.5), at(round_max, 1.0));
        std::printf("  no flood (baseline): p50 %7.3f ms  p99 %7.3f ms  over %zu renders\n", at(quiet, 0.5),
                    at(quiet, 0.99), quiet.size());
        std::printf("  values out of order: %d  (target: p99 during the floods < 33 ms, none out of order)\n", disorder);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "databinding_bench: %s\n", e.what());
        return 1;
    }
    std::fflush(stdout);
    std::_Exit(0);  // the library's Qt thread runs until the process ends
}

#include "databinding_bench.moc"
