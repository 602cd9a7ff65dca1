#include "databinding/notice_queue.h"

#include <QElapsedTimer>
#include <QMetaObject>

#include <utility>

namespace sorvane::db {

void NoticeQueue::push(std::function<void()> notice)
{
    {
        std::lock_guard lock(m_mutex);
        m_notices.push_back(std::move(notice));
        if (m_pass_queued)
            return;
        m_pass_queued = true;
    }
    QMetaObject::invokeMethod(m_owner, [this] { deliver(); }, Qt::QueuedConnection);
}

void NoticeQueue::deliver()
{
    QElapsedTimer elapsed;
    elapsed.start();
    for (;;) {
        std::function<void()> notice;
        {
            std::lock_guard lock(m_mutex);
            if (m_notices.empty()) {
                m_pass_queued = false;
                return;
            }
            notice = std::move(m_notices.front());
            m_notices.pop_front();
        }
        notice();
        if (elapsed.durationElapsed() >= kSlice) {
            // The rest waits behind what was posted during this pass.
            QMetaObject::invokeMethod(m_owner, [this] { deliver(); }, Qt::QueuedConnection);
            return;
        }
    }
}

}  // namespace sorvane::db
