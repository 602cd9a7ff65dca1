#pragma once

// The fill mode shared by the video and camera views: 0 stretch, 1 fit, 2 crop, as the scene's
// video output declares them, plus all bits set, which is kept as given. Anything else is 0.

namespace sorvane::media {

constexpr unsigned int clamp_fill_mode(unsigned int value)
{
    return value + 1u < 4u ? value : 0u;
}

static_assert(clamp_fill_mode(2) == 2 && clamp_fill_mode(3) == 0 &&
              clamp_fill_mode(4294967295u) == 4294967295u);

}  // namespace sorvane::media
