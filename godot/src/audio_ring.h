// The sound of a video on its way from the library's Qt thread to Godot's main thread: stereo
// frames in a ring under a lock that each side holds only for a copy, so neither waits for the
// other's work.
#pragma once

#include <cstddef>
#include <mutex>
#include <vector>

namespace sorvane_godot {

class AudioRing {
public:
    explicit AudioRing(std::size_t capacity_frames);

    // Any thread (the library's callback). Frames of `channels` interleaved channels as stereo:
    // one channel goes to both sides, of more than two the first two are kept. When the ring is
    // full the oldest frames give way, so a reader that stops for a while resumes near the
    // present instead of far behind it.
    void write(const float* samples, int frames, int channels);
    // Up to `max_frames` stereo frames, oldest first, appended to `out` (two floats each).
    // Returns how many.
    std::size_t read(std::vector<float>& out, std::size_t max_frames);
    std::size_t available() const;
    // Drops the oldest frames beyond the newest `keep`.
    void trim(std::size_t keep);
    void clear();

private:
    mutable std::mutex m_mutex;
    std::vector<float> m_samples;  // capacity * 2
    std::size_t m_capacity;
    std::size_t m_start = 0;  // first frame
    std::size_t m_count = 0;  // frames held
};

}  // namespace sorvane_godot
