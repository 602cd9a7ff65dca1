// A video's sound played by one of Godot's audio players (AudioStreamPlayer, 2D or 3D), so it
// goes through the game's buses and, in 3D, comes from where the player stands. The library hands
// each decoded buffer to receiver() on its Qt thread, which only copies it into a ring; each frame
// the main thread moves what the player's AudioStreamGenerator can take into its playback.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "audio_ring.h"
#include "variant.h"

namespace sorvane_godot {

class AudioRelay {
public:
    AudioRelay();

    // The sample rate the library is asked for: Godot's own mix rate, so nothing resamples on
    // Godot's side (the generator mixes at the output's rate).
    static int mix_rate();
    // For the library's audio callback; it holds the ring, not the relay, so it may outlive both.
    std::function<void(const float*, int, int, int)> receiver() const;

    // Main thread, once a frame: `node` is the audio player (nil or another kind of node: a
    // warning, once, naming `path`). Gives it the generator and starts it when it has another
    // stream, then pushes what arrived.
    void feed(const Variant& node, const std::string& path);
    // Stops the generator's player, if it still plays the generator, and forgets what arrived.
    void detach();

private:
    bool attach(const Variant& node);

    std::shared_ptr<AudioRing> m_ring;
    Variant m_generator;  // AudioStreamGenerator
    std::uint64_t m_node_id = 0;  // the player it was given to (by id: the node may be freed)
    Variant m_playback;   // AudioStreamGeneratorPlayback
    std::size_t m_generator_capacity = 0;
    std::vector<float> m_frames;
    std::string m_warned_path;
};

}  // namespace sorvane_godot
