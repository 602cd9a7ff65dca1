#include "audio_ring.h"

#include <algorithm>

namespace sorvane_godot {

AudioRing::AudioRing(std::size_t capacity_frames)
    : m_samples(std::max<std::size_t>(capacity_frames, 1) * 2), m_capacity(std::max<std::size_t>(capacity_frames, 1))
{
}

void AudioRing::write(const float* samples, int frames, int channels)
{
    if (!samples || frames <= 0 || channels <= 0)
        return;
    const std::size_t total = static_cast<std::size_t>(frames);
    // Only the newest frames that fit at all.
    const std::size_t skip = total > m_capacity ? total - m_capacity : 0;
    std::lock_guard lock(m_mutex);
    for (std::size_t i = skip; i < total; ++i) {
        const float* frame = samples + i * static_cast<std::size_t>(channels);
        if (m_count == m_capacity) {
            m_start = (m_start + 1) % m_capacity;
            --m_count;
        }
        const std::size_t at = (m_start + m_count) % m_capacity;
        m_samples[at * 2] = frame[0];
        m_samples[at * 2 + 1] = channels > 1 ? frame[1] : frame[0];
        ++m_count;
    }
}

std::size_t AudioRing::read(std::vector<float>& out, std::size_t max_frames)
{
    std::lock_guard lock(m_mutex);
    const std::size_t frames = std::min(max_frames, m_count);
    out.reserve(out.size() + frames * 2);
    for (std::size_t i = 0; i < frames; ++i) {
        const std::size_t at = (m_start + i) % m_capacity;
        out.push_back(m_samples[at * 2]);
        out.push_back(m_samples[at * 2 + 1]);
    }
    m_start = (m_start + frames) % m_capacity;
    m_count -= frames;
    return frames;
}

std::size_t AudioRing::available() const
{
    std::lock_guard lock(m_mutex);
    return m_count;
}

void AudioRing::trim(std::size_t keep)
{
    std::lock_guard lock(m_mutex);
    if (m_count <= keep)
        return;
    m_start = (m_start + (m_count - keep)) % m_capacity;
    m_count = keep;
}

void AudioRing::clear()
{
    std::lock_guard lock(m_mutex);
    m_start = 0;
    m_count = 0;
}

}  // namespace sorvane_godot
