// The call-carrying templates against a real Qt event loop on a thread of its own.

#include "runtime/callback_slot.h"
#include "runtime/carry.h"

#include <QCoreApplication>
#include <QObject>
#include <QPointer>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <stdexcept>
#include <string>
#include <thread>

using namespace sorvane;
using namespace std::chrono_literals;

namespace {

class Target : public QObject {
public:
    int value = 0;
    std::string text;
    std::thread::id ran_on;
};

// A Qt application and its event loop on a thread of its own, as in the library.
class QtThread {
public:
    QtThread()
    {
        std::promise<void> ready;
        m_thread = std::thread([this, &ready] {
            int argc = 1;
            char arg0[] = "carry_test";
            char* argv[] = {arg0, nullptr};
            QCoreApplication app(argc, argv);
            target = new Target();
            carry::loop_running = true;
            qt_thread_id = std::this_thread::get_id();
            ready.set_value();
            QCoreApplication::exec();
            carry::loop_running = false;
            QCoreApplication::removePostedEvents(nullptr);
            delete target;
        });
        ready.get_future().wait();
    }
    ~QtThread()
    {
        QMetaObject::invokeMethod(target, [] { QCoreApplication::quit(); });
        m_thread.join();
    }

    Target* target = nullptr;
    std::thread::id qt_thread_id;

private:
    std::thread m_thread;
};

QtThread& qt()
{
    static QtThread instance;
    return instance;
}

}  // namespace

TEST(Carry, WaitedAndBlockingReturnTheResultComputedOnTheQtThread)
{
    Target* t = qt().target;
    const int answer = carry::waited(t, [](Target* target) {
        target->ran_on = std::this_thread::get_id();
        return 42;
    });
    EXPECT_EQ(answer, 42);
    EXPECT_EQ(t->ran_on, qt().qt_thread_id);

    const std::string text = carry::blocking(t, [](Target*) { return std::string("from Qt"); });
    EXPECT_EQ(text, "from Qt");

    carry::waited(t, [](Target* target) { target->value = 7; });
    EXPECT_EQ(carry::blocking(t, [](Target* target) { return target->value; }), 7);
}

TEST(Carry, NullTargetReturnsTheFallbackWithoutRunningTheWork)
{
    Target* none = nullptr;
    bool ran = false;
    EXPECT_EQ(carry::waited(none, [&](Target*) { ran = true; return 5; }, 60), 60);
    EXPECT_EQ(carry::blocking(none, [&](Target*) { ran = true; return std::string("x"); }), "");
    carry::posted(none, [&](Target*) { ran = true; });
    carry::waited(none, [&](Target*) { ran = true; });
    EXPECT_FALSE(ran);
}

TEST(Carry, PostedCallsRunInOrderWithTheirOwnCopiesOfArguments)
{
    Target* t = qt().target;
    carry::waited(t, [](Target* target) { target->text.clear(); });
    for (int i = 0; i < 50; ++i) {
        auto* temporary = new std::string(std::to_string(i % 10));
        carry::posted(t, [copy = *temporary](Target* target) { target->text += copy; });
        delete temporary;  // the caller's value may go away as soon as the call returns
    }
    const std::string seen = carry::waited(t, [](Target* target) { return target->text; });
    std::string expected;
    for (int i = 0; i < 50; ++i)
        expected += std::to_string(i % 10);
    EXPECT_EQ(seen, expected);
}

TEST(Carry, ACallMadeOnTheQtThreadRunsInlineInsteadOfDeadlocking)
{
    Target* t = qt().target;
    // The outer call stands in for a host callback, which runs on the Qt thread.
    const int nested = carry::waited(t, [](Target* target) {
        const int inner_waited = carry::waited(target, [](Target*) { return 3; });
        const int inner_blocking = carry::blocking(target, [](Target*) { return 4; });
        return inner_waited * 10 + inner_blocking;
    });
    EXPECT_EQ(nested, 34);
}

TEST(Carry, AnExceptionInTheWorkGivesTheFallbackAndTheLoopLivesOn)
{
    Target* t = qt().target;
    EXPECT_EQ(carry::waited(t, [](Target*) -> int { throw std::runtime_error("No QRhi"); }, -1), -1);
    EXPECT_EQ(carry::blocking(t, [](Target*) -> bool { throw std::runtime_error("boom"); }, false), false);
    carry::waited(t, [](Target*) { throw 3; });  // not even a std::exception
    carry::posted(t, [](Target*) { throw std::runtime_error("posted"); });
    EXPECT_EQ(carry::waited(t, [](Target*) { return 1; }), 1);
}

TEST(Carry, AWaitedCallWhoseTargetIsDeletedFirstReleasesTheCaller)
{
    Target* t = qt().target;
    auto* doomed = carry::waited(t, [](Target*) { return new QObject(); });

    // Queue a deletion and, behind it, work for the deleted object. The work never runs; the
    // caller must still come back with the fallback.
    std::atomic<bool> release{false};
    carry::posted(t, [&release, doomed](Target*) {
        while (!release)
            std::this_thread::sleep_for(1ms);
        delete doomed;
    });
    auto waiting = std::async(std::launch::async, [doomed] {
        return carry::waited(doomed, [](QObject*) { return 1; }, -5);
    });
    std::this_thread::sleep_for(200ms);  // lets the caller queue its call behind the deletion
    release = true;
    ASSERT_EQ(waiting.wait_for(5s), std::future_status::ready);
    EXPECT_EQ(waiting.get(), -5);
}

TEST(Carry, CallsAfterTheLoopStoppedReturnAtOnce)
{
    carry::loop_running = false;
    Target* t = qt().target;
    auto result = std::async(std::launch::async, [t] { return carry::waited(t, [](Target*) { return 1; }, 9); });
    ASSERT_EQ(result.wait_for(5s), std::future_status::ready);
    EXPECT_EQ(result.get(), 9);
    carry::loop_running = true;
}

TEST(CallbackSlot, SetCallAndClear)
{
    CallbackSlot<int(int)> slot;
    EXPECT_FALSE(slot(1).has_value());
    slot.set([](int x) { return x * 2; });
    EXPECT_EQ(slot(21).value(), 42);
    slot.set({});
    EXPECT_FALSE(slot.is_set());

    CallbackSlot<void(std::string)> log;
    std::string got;
    EXPECT_FALSE(log("nothing"));
    log.set([&](std::string s) { got = s; });
    EXPECT_TRUE(log("hello"));
    EXPECT_EQ(got, "hello");
}

TEST(CallbackSlot, ReplacingWhileFiringOnAnotherThreadIsSafe)
{
    CallbackSlot<void(int)> slot;
    std::atomic<long> sum{0};
    std::atomic<bool> stop{false};
    std::thread firing([&] {
        while (!stop)
            slot(1);
    });
    for (int i = 0; i < 20000; ++i)
        slot.set([&sum, big = std::string(64, 'x')](int x) { sum += x + static_cast<long>(big.size()) * 0; });
    stop = true;
    firing.join();
    EXPECT_TRUE(slot.is_set());
}

TEST(CallbackSlot, ACallbackMayReplaceItself)
{
    CallbackSlot<void()> slot;
    int calls = 0;
    slot.set([&] {
        ++calls;
        slot.set({});
    });
    slot();
    slot();
    EXPECT_EQ(calls, 1);
}
