#include "video_player.h"

#include <algorithm>

#include <sorvane/sorvane.h>

namespace sorvane_godot {

namespace {

// The player's media status (Qt's QMediaPlayer::MediaStatus) at the end of the media.
constexpr int kEndOfMedia = 6;
// The library's "loop for ever".
constexpr unsigned kLoopsInfinite = 4294967295u;

double seconds(long long milliseconds)
{
    return static_cast<double>(milliseconds) / 1000.0;
}

// A path inside the project (res://, user://) as the file system path the player opens; any
// other source (a path, a URL) as it is.
std::string media_location(const std::string& source)
{
    if (source.starts_with("res://") || source.starts_with("user://"))
        return singleton("ProjectSettings").call("globalize_path", {Variant(source)}).to_string();
    return source;
}

Variant to_dictionary(const sorvane::SVideoPlayerView::TextMap& map)
{
    Variant out = Variant::new_dictionary();
    for (const auto& [key, value] : map)
        out.call("set", {Variant(key), Variant(value)});
    return out;
}

Variant to_array(const std::vector<sorvane::SVideoPlayerView::TextMap>& maps)
{
    Variant out = Variant::new_array();
    for (const auto& map : maps)
        out.call("push_back", {to_dictionary(map)});
    return out;
}

}  // namespace

sorvane::SVideoPlayerView* VideoPlayer::player() const
{
    return static_cast<sorvane::SVideoPlayerView*>(facade());
}

void VideoPlayer::set_source(const std::string& source)
{
    m_source = source;
    if (auto* view = player())
        view->set_source(media_location(source));
}

void VideoPlayer::set_autoplay(bool autoplay)
{
    m_autoplay = autoplay;
    if (auto* view = player())
        view->set_auto_play(autoplay);
}

void VideoPlayer::play()
{
    if (auto* view = player())
        view->play();
}

void VideoPlayer::pause()
{
    if (auto* view = player())
        view->pause();
}

void VideoPlayer::stop()
{
    if (auto* view = player())
        view->stop();
}

void VideoPlayer::set_playback_position(double position)
{
    if (auto* view = player())
        view->set_position(static_cast<unsigned long>(std::max(0.0, position) * 1000.0));
}

double VideoPlayer::playback_position() const
{
    auto* view = player();
    return view ? seconds(view->get_position()) : 0.0;
}

double VideoPlayer::duration() const
{
    auto* view = player();
    return view ? seconds(view->get_duration()) : 0.0;
}

void VideoPlayer::set_volume(double volume)
{
    m_volume = std::clamp(volume, 0.0, 1.0);
    if (auto* view = player())
        view->set_volume(static_cast<float>(m_volume));
}

void VideoPlayer::set_muted(bool muted)
{
    m_muted = muted;
    if (auto* view = player())
        view->set_muted(muted);
}

bool VideoPlayer::plays_through_engine() const
{
    return !m_audio_player.call("is_empty").to_bool();
}

void VideoPlayer::set_audio_player(const Variant& path)
{
    m_audio_player = path;
    if (auto* view = player())
        route_audio(*view);
}

// Godot's mix rate in stereo, so the generator takes the frames as they come.
void VideoPlayer::route_audio(sorvane::SVideoPlayerView& view)
{
    if (plays_through_engine()) {
        view.set_audio_to_host_format(AudioRelay::mix_rate(), 2);
        view.set_audio_to_host(true);
    } else {
        view.set_audio_to_host(false);
        m_audio_relay.detach();
    }
}

void VideoPlayer::notification(int what)
{
    ViewControl::notification(what);
    constexpr int kNotificationExitTree = 11;
    constexpr int kNotificationInternalProcess = 25;
    if (what == kNotificationExitTree)
        m_audio_relay.detach();
    if (what == kNotificationInternalProcess && is_running() && plays_through_engine())
        m_audio_relay.feed(self().call("get_node_or_null", {m_audio_player}), m_audio_player.to_string());
}

void VideoPlayer::set_loops(std::int64_t loops)
{
    m_loops = loops < 0 ? -1 : std::max<std::int64_t>(loops, 1);
    if (auto* view = player())
        view->set_loops(m_loops < 0 ? kLoopsInfinite : static_cast<unsigned>(m_loops));
}

void VideoPlayer::set_playback_rate(double rate)
{
    m_playback_rate = rate;
    if (auto* view = player())
        view->set_playback_rate(rate);
}

void VideoPlayer::set_fill_mode(std::int64_t mode)
{
    m_fill_mode = std::clamp<std::int64_t>(mode, 0, 2);
    if (auto* view = player())
        view->set_fill_mode(static_cast<unsigned>(m_fill_mode));
}

void VideoPlayer::set_controls(bool shown)
{
    m_controls = shown;
    if (auto* view = player())
        view->set_controls(shown);
}

std::int64_t VideoPlayer::playback_state() const
{
    auto* view = player();
    return view ? view->get_playback_state() : 0;
}

std::int64_t VideoPlayer::media_status() const
{
    auto* view = player();
    return view ? view->get_media_status() : 0;
}

std::string VideoPlayer::error_string() const
{
    auto* view = player();
    return view ? view->get_error_string() : std::string();
}

Variant VideoPlayer::audio_tracks() const
{
    auto* view = player();
    return to_array(view ? view->get_audio_tracks() : std::vector<sorvane::SVideoPlayerView::TextMap>{});
}

Variant VideoPlayer::video_tracks() const
{
    auto* view = player();
    return to_array(view ? view->get_video_tracks() : std::vector<sorvane::SVideoPlayerView::TextMap>{});
}

Variant VideoPlayer::subtitle_tracks() const
{
    auto* view = player();
    return to_array(view ? view->get_subtitle_tracks() : std::vector<sorvane::SVideoPlayerView::TextMap>{});
}

Variant VideoPlayer::metadata() const
{
    auto* view = player();
    return to_dictionary(view ? view->get_metadata() : sorvane::SVideoPlayerView::TextMap{});
}

FacadeSlot VideoPlayer::create_facade()
{
    return std::make_unique<sorvane::SVideoPlayerView>();
}

void VideoPlayer::configure(sorvane::SView& facade)
{
    auto& view = static_cast<sorvane::SVideoPlayerView&>(facade);
    const std::shared_ptr<EventQueue> queue = events();
    view.set_func_on_playback_state_changed(
        [queue](int state) { queue->push({"playback_state_changed", {std::int64_t{state}}}); });
    view.set_func_on_media_status_changed([queue](int status) {
        queue->push({"media_status_changed", {std::int64_t{status}}});
        if (status == kEndOfMedia)
            queue->push({"finished", {}});
    });
    view.set_func_on_position_changed(
        [queue](long long position) { queue->push({"position_changed", {seconds(position)}}); });
    view.set_func_on_duration_changed(
        [queue](long long duration) { queue->push({"duration_changed", {seconds(duration)}}); });
    view.set_func_on_error_occurred([queue](int error, std::string message) {
        queue->push({"error_occurred", {std::int64_t{error}, std::move(message)}});
    });
    view.set_func_on_tracks_changed([queue] { queue->push({"tracks_changed", {}}); });
    view.set_func_on_metadata_changed([queue] { queue->push({"metadata_changed", {}}); });
    view.set_func_javascript_console_log([queue](int level, std::string message, int line, std::string source) {
        queue->push({"console_message", {std::int64_t{level}, std::move(message), std::int64_t{line}, std::move(source)}});
    });
    view.set_func_audio_received(m_audio_relay.receiver());
    // The settings after the callbacks: setting the source can report an error at once.
    route_audio(view);
    view.set_auto_play(m_autoplay);
    view.set_volume(static_cast<float>(m_volume));
    view.set_muted(m_muted);
    view.set_loops(m_loops < 0 ? kLoopsInfinite : static_cast<unsigned>(m_loops));
    view.set_playback_rate(m_playback_rate);
    view.set_fill_mode(static_cast<unsigned>(m_fill_mode));
    view.set_controls(m_controls);
    if (!m_source.empty())
        view.set_source(media_location(m_source));
}

std::function<bool(sorvane::SView&)> VideoPlayer::loader() const
{
    return [](sorvane::SView& view) { return static_cast<sorvane::SVideoPlayerView&>(view).load("Multimedia", "VideoPlayer"); };
}

void VideoPlayer::handle_event(const Event& event)
{
    ViewControl::handle_event(event);
    if (event.name == "_loaded")
        emit("scene_loaded", {Variant(std::get<bool>(event.args[0]))});
}

const ClassTable& VideoPlayer::table()
{
    static const ClassTable table = [] {
        ClassTable s;
        s.name = "VideoPlayer";
        s.parent = "Control";
        s.create = [](GDExtensionObjectPtr owner) { return new VideoPlayer(owner); };
        constexpr auto STRING = GDEXTENSION_VARIANT_TYPE_STRING;
        constexpr auto BOOL = GDEXTENSION_VARIANT_TYPE_BOOL;
        constexpr auto INT = GDEXTENSION_VARIANT_TYPE_INT;
        constexpr auto FLOAT = GDEXTENSION_VARIANT_TYPE_FLOAT;
        constexpr auto NODE_PATH = GDEXTENSION_VARIANT_TYPE_NODE_PATH;
        constexpr Slot array_result{"", GDEXTENSION_VARIANT_TYPE_ARRAY};
        constexpr Slot dictionary_result{"", GDEXTENSION_VARIANT_TYPE_DICTIONARY};
        using V = VideoPlayer;
        s.methods = {
            {"set_source", no_result, {{"source", STRING}}, body<V>([](V& v, const auto& a) { v.set_source(a[0].to_string()); })},
            {"get_source", {"", STRING}, {}, body<V>([](V& v, const auto&) { return v.source(); }), true},
            {"set_autoplay", no_result, {{"enabled", BOOL}}, body<V>([](V& v, const auto& a) { v.set_autoplay(a[0].to_bool()); })},
            {"has_autoplay", {"", BOOL}, {}, body<V>([](V& v, const auto&) { return v.autoplay(); }), true},
            {"play", no_result, {}, body<V>([](V& v, const auto&) { v.play(); })},
            {"pause", no_result, {}, body<V>([](V& v, const auto&) { v.pause(); })},
            {"stop", no_result, {}, body<V>([](V& v, const auto&) { v.stop(); })},
            {"set_playback_position", no_result, {{"seconds", FLOAT}},
             body<V>([](V& v, const auto& a) { v.set_playback_position(a[0].to_float()); })},
            {"get_playback_position", {"", FLOAT}, {}, body<V>([](V& v, const auto&) { return v.playback_position(); }), true},
            {"get_duration", {"", FLOAT}, {}, body<V>([](V& v, const auto&) { return v.duration(); }), true},
            {"set_volume", no_result, {{"volume", FLOAT}}, body<V>([](V& v, const auto& a) { v.set_volume(a[0].to_float()); })},
            {"get_volume", {"", FLOAT}, {}, body<V>([](V& v, const auto&) { return v.volume(); }), true},
            {"set_muted", no_result, {{"muted", BOOL}}, body<V>([](V& v, const auto& a) { v.set_muted(a[0].to_bool()); })},
            {"is_muted", {"", BOOL}, {}, body<V>([](V& v, const auto&) { return v.muted(); }), true},
            {"set_audio_player", no_result, {{"path", NODE_PATH}},
             body<V>([](V& v, const auto& a) { v.set_audio_player(a[0]); })},
            {"get_audio_player", {"", NODE_PATH}, {}, body<V>([](V& v, const auto&) { return v.audio_player(); }), true},
            {"set_loops", no_result, {{"loops", INT}}, body<V>([](V& v, const auto& a) { v.set_loops(a[0].to_int()); })},
            {"get_loops", {"", INT}, {}, body<V>([](V& v, const auto&) { return v.loops(); }), true},
            {"set_playback_rate", no_result, {{"rate", FLOAT}},
             body<V>([](V& v, const auto& a) { v.set_playback_rate(a[0].to_float()); })},
            {"get_playback_rate", {"", FLOAT}, {}, body<V>([](V& v, const auto&) { return v.playback_rate(); }), true},
            {"set_fill_mode", no_result, {{"mode", INT}}, body<V>([](V& v, const auto& a) { v.set_fill_mode(a[0].to_int()); })},
            {"get_fill_mode", {"", INT}, {}, body<V>([](V& v, const auto&) { return v.fill_mode(); }), true},
            {"set_controls", no_result, {{"shown", BOOL}}, body<V>([](V& v, const auto& a) { v.set_controls(a[0].to_bool()); })},
            {"has_controls", {"", BOOL}, {}, body<V>([](V& v, const auto&) { return v.controls(); }), true},
            {"get_playback_state", {"", INT}, {}, body<V>([](V& v, const auto&) { return v.playback_state(); }), true},
            {"get_media_status", {"", INT}, {}, body<V>([](V& v, const auto&) { return v.media_status(); }), true},
            {"get_error_string", {"", STRING}, {}, body<V>([](V& v, const auto&) { return v.error_string(); }), true},
            {"get_audio_tracks", array_result, {}, body<V>([](V& v, const auto&) { return v.audio_tracks(); }), true},
            {"get_video_tracks", array_result, {}, body<V>([](V& v, const auto&) { return v.video_tracks(); }), true},
            {"get_subtitle_tracks", array_result, {}, body<V>([](V& v, const auto&) { return v.subtitle_tracks(); }), true},
            {"get_metadata", dictionary_result, {}, body<V>([](V& v, const auto&) { return v.metadata(); }), true},
        };
        constexpr std::uint32_t kHintRange = 1;
        constexpr std::uint32_t kHintEnum = 2;
        constexpr std::uint32_t kHintFile = 13;
        constexpr std::uint32_t kHintNodePathValidTypes = 26;
        s.properties = {
            {{"source", STRING}, "set_source", "get_source", kHintFile, "*.mp4,*.mkv,*.webm,*.ogv,*.mov"},
            {{"autoplay", BOOL}, "set_autoplay", "has_autoplay"},
            {{"playback_position", FLOAT}, "set_playback_position", "get_playback_position"},
            {{"duration", FLOAT}, "", "get_duration"},
            {{"volume", FLOAT}, "set_volume", "get_volume", kHintRange, "0,1,0.01"},
            {{"muted", BOOL}, "set_muted", "is_muted"},
            {{"audio_player", NODE_PATH}, "set_audio_player", "get_audio_player", kHintNodePathValidTypes,
             "AudioStreamPlayer,AudioStreamPlayer2D,AudioStreamPlayer3D"},
            {{"loops", INT}, "set_loops", "get_loops", kHintRange, "-1,100"},
            {{"playback_rate", FLOAT}, "set_playback_rate", "get_playback_rate", kHintRange, "0.25,4,0.05"},
            {{"fill_mode", INT}, "set_fill_mode", "get_fill_mode", kHintEnum, "Stretch,Fit,Crop"},
            {{"controls", BOOL}, "set_controls", "has_controls"},
            {{"playback_state", INT}, "", "get_playback_state", kHintEnum, "Stopped,Playing,Paused"},
            {{"media_status", INT}, "", "get_media_status"},
        };
        s.signals = {
            {"scene_loaded", {{"success", BOOL}}},
            {"playback_state_changed", {{"state", INT}}},
            {"media_status_changed", {{"status", INT}}},
            {"position_changed", {{"position", FLOAT}}},
            {"duration_changed", {{"duration", FLOAT}}},
            {"error_occurred", {{"error", INT}, {"message", STRING}}},
            {"tracks_changed", {}},
            {"metadata_changed", {}},
            {"finished", {}},
        };
        s.constants = {
            {"FillMode", "FILL_STRETCH", 0},
            {"FillMode", "FILL_FIT", 1},
            {"FillMode", "FILL_CROP", 2},
            {"PlaybackState", "STATE_STOPPED", 0},
            {"PlaybackState", "STATE_PLAYING", 1},
            {"PlaybackState", "STATE_PAUSED", 2},
            {"MediaStatus", "STATUS_NO_MEDIA", 0},
            {"MediaStatus", "STATUS_LOADING", 1},
            {"MediaStatus", "STATUS_LOADED", 2},
            {"MediaStatus", "STATUS_STALLED", 3},
            {"MediaStatus", "STATUS_BUFFERING", 4},
            {"MediaStatus", "STATUS_BUFFERED", 5},
            {"MediaStatus", "STATUS_END_OF_MEDIA", 6},
            {"MediaStatus", "STATUS_INVALID", 7},
            {"Error", "ERROR_NONE", 0},
            {"Error", "ERROR_RESOURCE", 1},
            {"Error", "ERROR_FORMAT", 2},
            {"Error", "ERROR_NETWORK", 3},
            {"Error", "ERROR_ACCESS_DENIED", 4},
        };
        ViewControl::add_common_members(s);
        return s;
    }();
    return table;
}

}  // namespace sorvane_godot
