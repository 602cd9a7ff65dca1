#include "audio_relay.h"

#include <algorithm>

namespace sorvane_godot {

namespace {

// How much sound waits for the main thread at most, and how much the generator holds ahead.
constexpr double kRingSeconds = 0.5;
constexpr double kGeneratorSeconds = 0.1;
// When the generator has run dry (at the start, after a pause), sound is gathered for this long
// before it plays again, so that the unevenness of decoding and of Godot's frames does not
// empty it at once.
constexpr double kCushionSeconds = 0.05;
// Sound left waiting after a push beyond this (the decoder ran ahead, or the game's frames
// stalled) is dropped, so the sound stays close to the picture.
constexpr double kBacklogSeconds = 0.1;
constexpr std::int64_t kMixRateOutput = 0;  // AudioStreamGenerator.MIX_RATE_OUTPUT

bool is_audio_player(const Variant& node)
{
    if (node.type() != GDEXTENSION_VARIANT_TYPE_OBJECT || !node.to_object())
        return false;
    for (const char* name : {"AudioStreamPlayer", "AudioStreamPlayer2D", "AudioStreamPlayer3D"}) {
        if (node.call("is_class", {Variant(name)}).to_bool())
            return true;
    }
    return false;
}

std::uint64_t object_id(const Variant& node)
{
    return gd.object_get_instance_id(node.to_object());
}

bool same_object(const Variant& a, const Variant& b)
{
    return a.type() == GDEXTENSION_VARIANT_TYPE_OBJECT && b.type() == GDEXTENSION_VARIANT_TYPE_OBJECT &&
           a.to_object() == b.to_object();
}

}  // namespace

AudioRelay::AudioRelay()
    : m_ring(std::make_shared<AudioRing>(static_cast<std::size_t>(mix_rate() * kRingSeconds)))
{
}

int AudioRelay::mix_rate()
{
    const auto rate = static_cast<int>(singleton("AudioServer").call("get_mix_rate").to_float());
    return rate > 0 ? rate : 44100;
}

std::function<void(const float*, int, int, int)> AudioRelay::receiver() const
{
    return [ring = m_ring](const float* samples, int frames, int channels, int) { ring->write(samples, frames, channels); };
}

bool AudioRelay::attach(const Variant& node)
{
    if (m_generator.is_nil()) {
        m_generator = construct("AudioStreamGenerator");
        m_generator.call("set_mix_rate_mode", {Variant(kMixRateOutput)});
        m_generator.call("set_buffer_length", {Variant(kGeneratorSeconds)});
    }
    if (object_id(node) != m_node_id || !same_object(node.call("get_stream"), m_generator)) {
        detach();
        node.call("set_stream", {m_generator});
        node.call("play");
        m_node_id = object_id(node);
        m_generator_capacity = 0;
        m_playback = node.call("get_stream_playback");
    }
    return !m_playback.is_nil();
}

void AudioRelay::feed(const Variant& node, const std::string& path)
{
    if (!is_audio_player(node)) {
        if (m_warned_path != path) {
            m_warned_path = path;
            print_warning("VideoPlayer: audio_player \"" + path +
                          "\" is not an AudioStreamPlayer, AudioStreamPlayer2D or AudioStreamPlayer3D; the sound is dropped");
        }
        m_ring->clear();
        return;
    }
    m_warned_path.clear();
    if (!attach(node) || !node.call("is_playing").to_bool())
        return;  // stopped by the game: it stays silent until played again
    const auto room = static_cast<std::size_t>(std::max<std::int64_t>(m_playback.call("get_frames_available").to_int(), 0));
    // An empty generator has its whole (power of two) buffer free.
    m_generator_capacity = std::max(m_generator_capacity, room);
    const auto cushion = static_cast<std::size_t>(mix_rate() * kCushionSeconds);
    const bool dry = room + cushion / 8 >= m_generator_capacity;
    if (dry && m_ring->available() < cushion)
        return;
    m_frames.clear();
    const std::size_t frames = m_ring->read(m_frames, room);
    if (frames > 0)
        m_playback.call("push_buffer", {Variant::packed_vector2_array(m_frames.data(), frames)});
    m_ring->trim(static_cast<std::size_t>(mix_rate() * kBacklogSeconds));
}

void AudioRelay::detach()
{
    GDExtensionObjectPtr node = m_node_id ? gd.object_get_instance_from_id(m_node_id) : nullptr;
    if (node && same_object(Variant::from_object(node).call("get_stream"), m_generator))
        Variant::from_object(node).call("stop");
    m_node_id = 0;
    m_playback = Variant();
    m_ring->clear();
}

}  // namespace sorvane_godot
