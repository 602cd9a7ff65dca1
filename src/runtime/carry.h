#pragma once

// The one way a facade operation reaches the Qt thread.
//
//   posted(target, work)            queue the work and return at once
//   waited(target, work, fallback)  queue the work and wait for its result
//   blocking(target, work, fallback) the same through Qt::BlockingQueuedConnection
//   direct(target, work, fallback)  run the work on the caller's thread
//
// `work` is called on the target's thread with the target as its only argument. Every kind
// returns `fallback` at once when the target is null. Beyond that:
// - On the target's own thread (for example from inside a host callback) the work runs inline
//   instead of waiting for itself.
// - A std::exception thrown by the work is logged as a warning and the caller gets `fallback`.
// - A call whose work never runs (its target was deleted first, or the event loop has stopped)
//   releases its caller with `fallback` instead of leaving it waiting.
// - A target that is live::Tracked (every view) and has already been destroyed through another
//   copy of its facade is never touched: the call warns and returns `fallback`. The caller's
//   thread reads the target only while the live list says it exists.

#include <QCoreApplication>
#include <QEvent>
#include <QFuture>
#include <QFutureInterface>
#include <QMetaObject>
#include <QObject>
#include <QThread>
#include <QtDebug>

#include "runtime/live_objects.h"

#include <atomic>
#include <exception>
#include <functional>
#include <memory>
#include <source_location>
#include <type_traits>
#include <utility>

namespace sorvane::carry {

// True while the Qt event loop takes calls. The Qt thread clears it when its loop ends, so later
// calls return their fallback instead of waiting for a loop that will never run them.
inline std::atomic<bool> loop_running{false};

namespace detail {

inline void warn_failure(const std::source_location& where, const char* what)
{
    qWarning().noquote() << "sorvane:" << where.function_name() << "failed:" << what;
}

inline void warn_gone(const std::source_location& where)
{
    qWarning().noquote() << "sorvane:" << where.function_name()
                         << "ignored: the view was destroyed through another copy of its facade";
}

// Runs the work, turning an exception into the fallback and a warning.
template <typename T, typename F, typename R>
R run_guarded(T* target, F& work, const R& fallback, const std::source_location& where)
{
    try {
        return work(target);
    } catch (const std::exception& e) {
        warn_failure(where, e.what());
    } catch (...) {
        warn_failure(where, "unknown exception");
    }
    return fallback;
}

template <typename T, typename F>
void run_guarded_void(T* target, F& work, const std::source_location& where)
{
    try {
        work(target);
    } catch (const std::exception& e) {
        warn_failure(where, e.what());
    } catch (...) {
        warn_failure(where, "unknown exception");
    }
}

// The result slot shared between the caller and the queued work. If the work is dropped
// without running, the destructor finishes the promise with the fallback.
template <typename R>
class Promise {
public:
    explicit Promise(R fallback) : m_fallback(std::move(fallback)) { m_interface.reportStarted(); }
    ~Promise() { finish(m_fallback); }
    Promise(const Promise&) = delete;
    Promise& operator=(const Promise&) = delete;

    void finish(const R& value)
    {
        if (m_interface.isCanceled() || m_interface.isFinished())
            return;
        if (m_interface.resultCount() == 0)
            m_interface.reportResult(value, 0);
        m_interface.reportFinished();
    }
    QFuture<R> future() { return m_interface.future(); }

private:
    QFutureInterface<R> m_interface;
    R m_fallback;
};

template <>
class Promise<void> {
public:
    Promise() { m_interface.reportStarted(); }
    ~Promise() { finish(); }
    Promise(const Promise&) = delete;
    Promise& operator=(const Promise&) = delete;

    void finish()
    {
        if (!m_interface.isCanceled() && !m_interface.isFinished())
            m_interface.reportFinished();
    }
    QFuture<void> future() { return m_interface.future(); }

private:
    QFutureInterface<void> m_interface;
};

// The live list's lock is held while the call is posted, so a tracked target is always posted
// to without blocking; the promise makes the caller wait just the same.
template <typename T>
constexpr Qt::ConnectionType posting_connection(Qt::ConnectionType wanted)
{
    return std::is_base_of_v<live::Tracked, T> ? Qt::QueuedConnection : wanted;
}

template <typename T, typename F, typename R>
R carry_and_wait(T* target, F work, R fallback, Qt::ConnectionType connection,
                 const std::source_location& where)
{
    if (!target)
        return fallback;
    live::Access access(target);
    if (!access) {
        warn_gone(where);
        return fallback;
    }
    if (QThread::currentThread() == target->thread()) {
        access.release();  // only this thread deletes views, and it is busy here
        return run_guarded(target, work, fallback, where);
    }
    if (!loop_running.load(std::memory_order_acquire)) {
        warn_failure(where, "the Qt event loop is not running");
        return fallback;
    }

    auto promise = std::make_shared<Promise<R>>(fallback);
    QFuture<R> future = promise->future();
    QMetaObject::invokeMethod(
        target,
        [target, work = std::move(work), fallback, promise, where]() mutable {
            promise->finish(run_guarded(target, work, fallback, where));
        },
        posting_connection<T>(connection));
    promise.reset();  // from here the queued work owns the promise, or has already dropped it
    access.release();  // a target deleted from now on drops the queued work with it
    future.waitForFinished();
    return future.resultCount() > 0 ? future.resultAt(0) : fallback;
}

template <typename T, typename F>
void carry_and_wait_void(T* target, F work, Qt::ConnectionType connection,
                         const std::source_location& where)
{
    if (!target)
        return;
    live::Access access(target);
    if (!access) {
        warn_gone(where);
        return;
    }
    if (QThread::currentThread() == target->thread()) {
        access.release();
        return run_guarded_void(target, work, where);
    }
    if (!loop_running.load(std::memory_order_acquire)) {
        warn_failure(where, "the Qt event loop is not running");
        return;
    }

    auto promise = std::make_shared<Promise<void>>();
    QFuture<void> future = promise->future();
    QMetaObject::invokeMethod(
        target,
        [target, work = std::move(work), promise, where]() mutable {
            run_guarded_void(target, work, where);
            promise->finish();
        },
        posting_connection<T>(connection));
    promise.reset();
    access.release();
    future.waitForFinished();
}

}  // namespace detail

// Queues the work and returns at once. Arguments the work needs must be captured by value.
template <typename T, typename F>
void posted(T* target, F work, const std::source_location& where = std::source_location::current())
{
    if (!target)
        return;
    live::Access access(target);
    if (!access) {
        detail::warn_gone(where);
        return;
    }
    if (!loop_running.load(std::memory_order_acquire)) {
        detail::warn_failure(where, "the Qt event loop is not running");
        return;
    }
    QMetaObject::invokeMethod(
        target,
        [target, work = std::move(work), where]() mutable {
            detail::run_guarded_void(target, work, where);
        },
        Qt::QueuedConnection);
}

template <typename T, typename F, typename R = std::invoke_result_t<F&, T*>>
R waited(T* target, F work, std::type_identity_t<R> fallback = R{},
         const std::source_location& where = std::source_location::current())
    requires(!std::is_void_v<R>)
{
    return detail::carry_and_wait(target, std::move(work), std::move(fallback), Qt::QueuedConnection,
                                  where);
}

template <typename T, typename F>
void waited(T* target, F work, const std::source_location& where = std::source_location::current())
    requires std::is_void_v<std::invoke_result_t<F&, T*>>
{
    detail::carry_and_wait_void(target, std::move(work), Qt::QueuedConnection, where);
}

template <typename T, typename F, typename R = std::invoke_result_t<F&, T*>>
R blocking(T* target, F work, std::type_identity_t<R> fallback = R{},
           const std::source_location& where = std::source_location::current())
    requires(!std::is_void_v<R>)
{
    return detail::carry_and_wait(target, std::move(work), std::move(fallback),
                                  Qt::BlockingQueuedConnection, where);
}

template <typename T, typename F>
void blocking(T* target, F work, const std::source_location& where = std::source_location::current())
    requires std::is_void_v<std::invoke_result_t<F&, T*>>
{
    detail::carry_and_wait_void(target, std::move(work), Qt::BlockingQueuedConnection, where);
}

// Runs the work on the caller's thread, while the target is known to exist (a destroy() on the
// Qt thread waits for it). Keep such work short and never wait on the Qt thread inside it.
template <typename T, typename F, typename R = std::invoke_result_t<F&, T*>>
R direct(T* target, F work, std::type_identity_t<R> fallback = R{},
         const std::source_location& where = std::source_location::current())
    requires(!std::is_void_v<R>)
{
    if (!target)
        return fallback;
    live::Access access(target);
    if (!access) {
        detail::warn_gone(where);
        return fallback;
    }
    return detail::run_guarded(target, work, fallback, where);
}

template <typename T, typename F>
void direct(T* target, F work, const std::source_location& where = std::source_location::current())
    requires std::is_void_v<std::invoke_result_t<F&, T*>>
{
    if (!target)
        return;
    live::Access access(target);
    if (!access) {
        detail::warn_gone(where);
        return;
    }
    detail::run_guarded_void(target, work, where);
}

}  // namespace sorvane::carry
