#include "view/frame_exchange.h"

namespace sorvane {

void FrameExchange::reset(int images)
{
    std::lock_guard lock(m_mutex);
    m_images = images;
    m_shown = 0;
    m_finished_waits = false;
    m_step_queued = false;
}

bool FrameExchange::active() const
{
    std::lock_guard lock(m_mutex);
    return m_images == 2;
}

int FrameExchange::shown() const
{
    std::lock_guard lock(m_mutex);
    return m_shown;
}

FrameExchange::Next FrameExchange::hand_over()
{
    std::lock_guard lock(m_mutex);
    if (m_images != 2)
        return Next::RenderWaited;
    if (m_finished_waits) {
        m_shown = 1 - m_shown;
        m_finished_waits = false;
    }
    if (m_step_queued)
        return Next::Nothing;
    m_step_queued = true;
    return Next::QueueStep;
}

int FrameExchange::drawable() const
{
    std::lock_guard lock(m_mutex);
    if (m_images != 2 || m_finished_waits)
        return -1;
    return 1 - m_shown;
}

void FrameExchange::finished()
{
    std::lock_guard lock(m_mutex);
    if (m_images == 2)
        m_finished_waits = true;
}

void FrameExchange::step_done()
{
    std::lock_guard lock(m_mutex);
    m_step_queued = false;
}

}  // namespace sorvane
