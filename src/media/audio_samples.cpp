#include "media/audio_samples.h"

#include <QAudioBuffer>
#include <QAudioFormat>

#include <cstring>

namespace sorvane::media {

bool float_samples(const QAudioBuffer& buffer, float gain, std::vector<float>& out)
{
    out.clear();
    const QAudioFormat format = buffer.format();
    if (!buffer.isValid() || !format.isValid())
        return false;
    const auto count = static_cast<std::size_t>(buffer.sampleCount());
    out.resize(count);
    const auto* bytes = buffer.constData<char>();
    if (format.sampleFormat() == QAudioFormat::Float) {
        std::memcpy(out.data(), bytes, count * sizeof(float));
    } else {
        const int stride = format.bytesPerSample();
        for (std::size_t i = 0; i < count; ++i)
            out[i] = format.normalizedSampleValue(bytes + i * stride);
    }
    if (gain != 1.0f) {
        for (float& sample : out)
            sample *= gain;
    }
    return true;
}

}  // namespace sorvane::media
