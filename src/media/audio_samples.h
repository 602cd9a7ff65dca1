#pragma once

#include <vector>

class QAudioBuffer;

namespace sorvane::media {

// The samples of `buffer` as interleaved 32-bit floats (-1.0 to 1.0) in `out`, each multiplied
// by `gain`. Any sample format Qt decodes to (unsigned 8-bit, 16-bit, 32-bit, float) is
// converted. False, with `out` empty, for a buffer without a known format.
bool float_samples(const QAudioBuffer& buffer, float gain, std::vector<float>& out);

}  // namespace sorvane::media
