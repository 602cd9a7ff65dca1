// Cost of carrying a facade call to the Qt thread, against two baselines measured in the same run:
// a raw QMetaObject::invokeMethod round trip with Qt::BlockingQueuedConnection to the same thread,
// and a mutex/condition-variable ping-pong between two threads.
//
//   carry_bench [calls]      (default 20000)
//
// SORVANE_PROJECT_ROOT names a project root holding the Qt runtime directory
// (tools/make-runtime.sh).

#include <sorvane/sorvane.h>

#include "runtime/sorvane_ctx.h"

#include <QMetaObject>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

using namespace sorvane;
using Clock = std::chrono::steady_clock;

namespace {

struct Figures {
    double median_us;
    double p99_us;
};

Figures measure(int calls, const std::function<void()>& call)
{
    for (int i = 0; i < calls / 10; ++i)  // warm-up
        call();
    std::vector<double> samples(static_cast<size_t>(calls));
    for (double& sample : samples) {
        const auto start = Clock::now();
        call();
        sample = std::chrono::duration<double, std::micro>(Clock::now() - start).count();
    }
    std::sort(samples.begin(), samples.end());
    return {samples[samples.size() / 2], samples[samples.size() * 99 / 100]};
}

void report(const char* what, const Figures& f)
{
    std::printf("%-46s median %8.2f us   p99 %8.2f us\n", what, f.median_us, f.p99_us);
}

// Two threads handing a token back and forth.
class PingPong {
public:
    PingPong()
        : m_thread([this] {
              std::unique_lock lock(m_mutex);
              while (true) {
                  m_cv.wait(lock, [this] { return m_ping || m_stop; });
                  if (m_stop)
                      return;
                  m_ping = false;
                  m_pong = true;
                  m_cv.notify_all();
              }
          })
    {
    }
    ~PingPong()
    {
        {
            std::lock_guard lock(m_mutex);
            m_stop = true;
        }
        m_cv.notify_all();
        m_thread.join();
    }
    void round_trip()
    {
        std::unique_lock lock(m_mutex);
        m_ping = true;
        m_cv.notify_all();
        m_cv.wait(lock, [this] { return m_pong; });
        m_pong = false;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_cv;
    bool m_ping = false, m_pong = false, m_stop = false;
    std::thread m_thread;
};

}  // namespace

int main(int argc, char** argv)
{
    const int calls = argc > 1 ? std::max(1000, std::atoi(argv[1])) : 20000;
    if (const char* root = std::getenv("SORVANE_PROJECT_ROOT"))
        opts::PATH_PROJECT_ROOT = root;
    S::create_app();
    S::ensure_qt_eventloop_is_running();

    SQuickView view;
    QObject* qt_object = SORVANE_CTX;
    std::printf("carry_bench: %d calls each, library %s\n\n", calls, S::get_version_full().c_str());

    // Interleave the measurements in rounds so that machine noise hits them alike.
    std::vector<Figures> raw, waited, posted, pingpong;
    PingPong pp;
    for (int round = 0; round < 3; ++round) {
        raw.push_back(measure(calls, [&] {
            int result = 0;
            QMetaObject::invokeMethod(qt_object, [&result] { result = 1; }, Qt::BlockingQueuedConnection);
        }));
        waited.push_back(measure(calls, [&] { (void)view.get_refresh_rate(); }));
        posted.push_back(measure(calls, [&] { view.mouse_wheel_up(10, 10); }));
        pingpong.push_back(measure(calls, [&] { pp.round_trip(); }));
        (void)view.get_refresh_rate();  // drains the posted calls before the next round
    }
    auto best = [](const std::vector<Figures>& v) {
        return *std::min_element(v.begin(), v.end(),
                                 [](const Figures& a, const Figures& b) { return a.median_us < b.median_us; });
    };

    report("raw invokeMethod, BlockingQueuedConnection", best(raw));
    report("waited facade call (SView::get_refresh_rate)", best(waited));
    report("posted facade call, caller side (wheel)", best(posted));
    report("mutex/condition_variable ping-pong", best(pingpong));
    std::printf("\nwaited / raw blocking round trip (median): %.2f  (target <= 1.20)\n",
                best(waited).median_us / best(raw).median_us);
    std::printf("(best of 3 interleaved rounds)\n");

    view.destroy();
    S::destroy();
    std::fflush(stdout);
    std::_Exit(0);
}
