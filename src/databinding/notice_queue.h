#pragma once

#include <QObject>

#include <chrono>
#include <deque>
#include <functional>
#include <mutex>

namespace sorvane::db {

// Engine notices for the page (property changes, signal emissions), queued by any thread and
// delivered in order on the owner's thread, a slice at a time: a delivery pass stops after
// kSlice and queues the rest behind whatever else was posted meanwhile (a frame step, input), so
// a flood of notices never holds the Qt thread for longer than one slice at a time.
//
// The passes are posted to the owner, so a pass still queued when the owner goes is dropped with
// it; notices pushed after the owner is gone must not happen (the owner is deleted on its own
// thread only once no engine thread can notify it any more).
class NoticeQueue {
public:
    static constexpr std::chrono::microseconds kSlice{2000};

    explicit NoticeQueue(QObject* owner) : m_owner(owner) {}
    NoticeQueue(const NoticeQueue&) = delete;
    NoticeQueue& operator=(const NoticeQueue&) = delete;

    // Any thread; never blocks for longer than the queue's lock.
    void push(std::function<void()> notice);

private:
    // On the owner's thread: delivers notices until the queue is empty or the slice is spent.
    void deliver();

    QObject* m_owner;
    std::mutex m_mutex;
    std::deque<std::function<void()>> m_notices;
    bool m_pass_queued = false;
};

}  // namespace sorvane::db
