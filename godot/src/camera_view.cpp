#include "camera_view.h"

#include <algorithm>

#include <sorvane/sorvane.h>

namespace sorvane_godot {

namespace {

using Camera = sorvane::SCameraView;

constexpr auto BOOL = GDEXTENSION_VARIANT_TYPE_BOOL;
constexpr auto INT = GDEXTENSION_VARIANT_TYPE_INT;
constexpr auto FLOAT = GDEXTENSION_VARIANT_TYPE_FLOAT;
constexpr auto STRING = GDEXTENSION_VARIANT_TYPE_STRING;
constexpr auto VECTOR2 = GDEXTENSION_VARIANT_TYPE_VECTOR2;

constexpr std::uint32_t kHintRange = 1;
constexpr std::uint32_t kHintEnum = 2;

// The names of Qt's camera enumerations, in value order (the values cross as they are).
constexpr const char* kExposureModes =
    "Auto,Manual,Portrait,Night,Sports,Snow,Beach,Action,Landscape,Night Portrait,Theatre,Sunset,"
    "Steady Photo,Fireworks,Party,Candlelight,Barcode";
constexpr const char* kFlashModes = "Off,On,Auto";
constexpr const char* kFocusModes = "Auto,Auto Near,Auto Far,Hyperfocal,Infinity,Manual";
constexpr const char* kTorchModes = "Off,On,Auto";
constexpr const char* kWhiteBalanceModes = "Auto,Manual,Sunlight,Cloudy,Shade,Tungsten,Fluorescent,Flash,Sunset";

// A writable camera setting: a property whose value the node keeps until the camera exists.
struct SettingEntry {
    Slot slot;
    const char* setter;
    const char* getter;
    std::uint32_t hint;
    const char* hint_string;
    double (*read)(const Camera&);
    void (*write)(const Camera&, double);
};

// In the order of CameraView::Setting.
const SettingEntry kSettings[CameraView::SettingCount] = {
    {{"color_temperature", INT}, "set_color_temperature", "get_color_temperature", kHintRange, "0,15000,1,suffix:K",
     [](const Camera& c) { return double(c.get_color_temperature()); },
     [](const Camera& c, double v) { c.set_color_temperature(static_cast<int>(v)); }},
    {{"exposure_compensation", FLOAT}, "set_exposure_compensation", "get_exposure_compensation", kHintRange, "-4,4,0.1,suffix:EV",
     [](const Camera& c) { return double(c.get_exposure_compensation()); },
     [](const Camera& c, double v) { c.set_exposure_compensation(static_cast<float>(v)); }},
    {{"exposure_mode", INT}, "set_exposure_mode", "get_exposure_mode", kHintEnum, kExposureModes,
     [](const Camera& c) { return double(c.get_exposure_mode()); },
     [](const Camera& c, double v) { c.set_exposure_mode(static_cast<int>(v)); }},
    {{"manual_exposure_time", FLOAT}, "set_manual_exposure_time", "get_manual_exposure_time", kHintRange, "0,10,0.0001,suffix:s",
     [](const Camera& c) { return double(c.get_manual_exposure_time()); },
     [](const Camera& c, double v) { c.set_manual_exposure_time(static_cast<float>(v)); }},
    {{"flash_mode", INT}, "set_flash_mode", "get_flash_mode", kHintEnum, kFlashModes,
     [](const Camera& c) { return double(c.get_flash_mode()); },
     [](const Camera& c, double v) { c.set_flash_mode(static_cast<int>(v)); }},
    {{"camera_focus_mode", INT}, "set_camera_focus_mode", "get_camera_focus_mode", kHintEnum, kFocusModes,
     [](const Camera& c) { return double(c.get_focus_mode()); },
     [](const Camera& c, double v) { c.set_focus_mode(static_cast<int>(v)); }},
    {{"focus_distance", FLOAT}, "set_focus_distance", "get_focus_distance", kHintRange, "0,1,0.01",
     [](const Camera& c) { return double(c.get_focus_distance()); },
     [](const Camera& c, double v) { c.set_focus_distance(static_cast<float>(v)); }},
    {{"manual_iso_sensitivity", INT}, "set_manual_iso_sensitivity", "get_manual_iso_sensitivity", kHintRange, "0,12800",
     [](const Camera& c) { return double(c.get_manual_iso_sensitivity()); },
     [](const Camera& c, double v) { c.set_manual_iso_sensitivity(static_cast<int>(v)); }},
    {{"torch_mode", INT}, "set_torch_mode", "get_torch_mode", kHintEnum, kTorchModes,
     [](const Camera& c) { return double(c.get_torch_mode()); },
     [](const Camera& c, double v) { c.set_torch_mode(static_cast<int>(v)); }},
    {{"white_balance_mode", INT}, "set_white_balance_mode", "get_white_balance_mode", kHintEnum, kWhiteBalanceModes,
     [](const Camera& c) { return double(c.get_white_balance_mode()); },
     [](const Camera& c, double v) { c.set_white_balance_mode(static_cast<int>(v)); }},
    {{"zoom_factor", FLOAT}, "set_zoom_factor", "get_zoom_factor", kHintRange, "1,10,0.1,or_greater",
     [](const Camera& c) { return double(c.get_zoom_factor()); },
     [](const Camera& c, double v) { c.set_zoom_factor(static_cast<float>(v)); }},
};

Variant to_vector2(const std::vector<float>& point)
{
    return point.size() >= 2 ? Variant::from_vector2(point[0], point[1]) : Variant::from_vector2(0, 0);
}

// A read-only value of the camera: its default without a camera.
struct ReadingEntry {
    Slot slot;
    const char* getter;
    Variant (*read)(const Camera&);
    Variant fallback;
};

const std::vector<ReadingEntry>& readings()
{
    static const std::vector<ReadingEntry> entries = {
        {{"available", BOOL}, "is_available", [](const Camera& c) { return Variant(c.is_available()); }, Variant(false)},
        {{"error", INT}, "get_error", [](const Camera& c) { return Variant(std::int64_t{c.get_error()}); }, Variant(0)},
        {{"error_string", STRING}, "get_error_string", [](const Camera& c) { return Variant(c.get_error_string()); }, Variant("")},
        {{"exposure_time", FLOAT}, "get_exposure_time", [](const Camera& c) { return Variant(double(c.get_exposure_time())); }, Variant(0.0)},
        {{"minimum_exposure_time", FLOAT}, "get_minimum_exposure_time",
         [](const Camera& c) { return Variant(double(c.minimum_exposure_time())); }, Variant(0.0)},
        {{"maximum_exposure_time", FLOAT}, "get_maximum_exposure_time",
         [](const Camera& c) { return Variant(double(c.maximum_exposure_time())); }, Variant(0.0)},
        {{"flash_ready", BOOL}, "is_flash_ready", [](const Camera& c) { return Variant(c.get_is_flash_ready()); }, Variant(false)},
        {{"focus_point", VECTOR2}, "get_focus_point", [](const Camera& c) { return to_vector2(c.get_focus_point()); },
         Variant::from_vector2(0, 0)},
        {{"iso_sensitivity", INT}, "get_iso_sensitivity",
         [](const Camera& c) { return Variant(std::int64_t{c.get_iso_sensitivity()}); }, Variant(0)},
        {{"minimum_iso_sensitivity", INT}, "get_minimum_iso_sensitivity",
         [](const Camera& c) { return Variant(std::int64_t{c.minimum_iso_sensitivity()}); }, Variant(0)},
        {{"maximum_iso_sensitivity", INT}, "get_maximum_iso_sensitivity",
         [](const Camera& c) { return Variant(std::int64_t{c.maximum_iso_sensitivity()}); }, Variant(0)},
        {{"minimum_zoom_factor", FLOAT}, "get_minimum_zoom_factor",
         [](const Camera& c) { return Variant(double(c.get_minimum_zoom_factor())); }, Variant(0.0)},
        {{"maximum_zoom_factor", FLOAT}, "get_maximum_zoom_factor",
         [](const Camera& c) { return Variant(double(c.get_maximum_zoom_factor())); }, Variant(0.0)},
    };
    return entries;
}

// "Is this mode supported" queries: false without a camera.
struct SupportEntry {
    const char* method;
    bool (Camera::*query)(int) const;
};

const SupportEntry kSupportQueries[] = {
    {"is_exposure_mode_supported", &Camera::is_exposure_mode_supported},
    {"is_flash_mode_supported", &Camera::is_flash_mode_supported},
    {"is_focus_mode_supported", &Camera::is_focus_mode_supported},
    {"is_torch_mode_supported", &Camera::is_torch_mode_supported},
    {"is_white_balance_mode_supported", &Camera::is_white_balance_mode_supported},
};

// The camera's notifications without arguments, each a signal of the same name.
struct NoticeEntry {
    const char* signal;
    void (Camera::*setter)(std::function<void()>) const;
};

const NoticeEntry kNotices[] = {
    {"active_changed", &Camera::set_func_active_changed},
    {"camera_device_changed", &Camera::set_func_camera_device_changed},
    {"camera_format_changed", &Camera::set_func_camera_format_changed},
    {"color_temperature_changed", &Camera::set_func_color_temperature_changed},
    {"custom_focus_point_changed", &Camera::set_func_custom_focus_point_changed},
    {"error_changed", &Camera::set_func_error_changed},
    {"exposure_mode_changed", &Camera::set_func_exposure_mode_changed},
    {"flash_mode_changed", &Camera::set_func_flash_mode_changed},
    {"focus_distance_changed", &Camera::set_func_focus_distance_changed},
    {"camera_focus_mode_changed", &Camera::set_func_focus_mode_changed},
    {"focus_point_changed", &Camera::set_func_focus_point_changed},
    {"manual_iso_sensitivity_changed", &Camera::set_func_manual_iso_sensitivity_changed},
    {"maximum_zoom_factor_changed", &Camera::set_func_maximum_zoom_factor_changed},
    {"minimum_zoom_factor_changed", &Camera::set_func_minimum_zoom_factor_changed},
    {"supported_features_changed", &Camera::set_func_supported_features_changed},
    {"torch_mode_changed", &Camera::set_func_torch_mode_changed},
    {"white_balance_mode_changed", &Camera::set_func_white_balance_mode_changed},
    {"zoom_factor_changed", &Camera::set_func_zoom_factor_changed},
};

}  // namespace

sorvane::SCameraView* CameraView::camera() const
{
    return static_cast<Camera*>(facade());
}

void CameraView::set_camera_hint(const std::string& hint)
{
    m_camera_hint = hint;
    if (auto* view = camera()) {
        // The new camera is installed on the Qt thread before the calls that follow reach it.
        view->set_camera_hint(hint);
        apply_settings();
    }
}

void CameraView::set_autoplay(bool autoplay)
{
    m_autoplay = autoplay;
    if (auto* view = camera())
        view->set_auto_play(autoplay);
}

void CameraView::set_fill_mode(std::int64_t mode)
{
    m_fill_mode = std::clamp<std::int64_t>(mode, 0, 2);
    if (auto* view = camera())
        view->set_fill_mode(static_cast<unsigned>(m_fill_mode));
}

void CameraView::start()
{
    if (auto* view = camera()) {
        m_running = true;
        view->start();
    }
}

void CameraView::stop()
{
    m_running = false;
    if (auto* view = camera())
        view->stop();
}

void CameraView::set_active(bool active)
{
    if (auto* view = camera()) {
        m_running = active;
        view->set_active(active);
    }
}

bool CameraView::active() const
{
    auto* view = camera();
    return view && view->get_is_active();
}

void CameraView::set_setting(Setting setting, double value)
{
    m_settings[setting] = value;
    if (auto* view = camera())
        kSettings[setting].write(*view, value);
}

double CameraView::setting(Setting setting) const
{
    if (auto* view = camera())
        return kSettings[setting].read(*view);
    return m_settings[setting].value_or(0.0);
}

void CameraView::set_custom_focus_point(float x, float y)
{
    m_custom_focus_point = {x, y};
    if (auto* view = camera())
        view->set_custom_focus_point({x, y});
}

Variant CameraView::custom_focus_point() const
{
    if (auto* view = camera())
        return to_vector2(view->get_custom_focus_point());
    const auto point = m_custom_focus_point.value_or(std::pair{0.0f, 0.0f});
    return Variant::from_vector2(point.first, point.second);
}

void CameraView::set_auto_exposure_time()
{
    m_settings[ManualExposureTime].reset();
    if (auto* view = camera())
        view->set_auto_exposure_time();
}

void CameraView::set_auto_iso_sensitivity()
{
    m_settings[ManualIsoSensitivity].reset();
    if (auto* view = camera())
        view->set_auto_iso_sensitivity();
}

void CameraView::zoom_to(double factor, double rate)
{
    if (auto* view = camera())
        view->zoom_to(static_cast<float>(factor), static_cast<float>(rate));
}

void CameraView::apply_settings()
{
    auto* view = camera();
    if (!view)
        return;
    for (int i = 0; i < SettingCount; ++i) {
        if (m_settings[i])
            kSettings[i].write(*view, *m_settings[i]);
    }
    if (m_custom_focus_point)
        view->set_custom_focus_point({m_custom_focus_point->first, m_custom_focus_point->second});
    if (m_autoplay || m_running)
        start();
}

FacadeSlot CameraView::create_facade()
{
    return std::make_unique<Camera>();
}

void CameraView::configure(sorvane::SView& facade)
{
    auto& view = static_cast<Camera&>(facade);
    const std::shared_ptr<EventQueue> queue = events();
    for (const NoticeEntry& notice : kNotices) {
        const char* signal = notice.signal;
        (view.*notice.setter)([queue, signal] { queue->push({signal, {}}); });
    }
    view.set_func_error_occurred([queue](int error, std::string message) {
        queue->push({"error_occurred", {std::int64_t{error}, std::move(message)}});
    });
    view.set_func_exposure_compensation_changed(
        [queue](float value) { queue->push({"exposure_compensation_changed", {double(value)}}); });
    view.set_func_exposure_time_changed([queue](float seconds) { queue->push({"exposure_time_changed", {double(seconds)}}); });
    view.set_func_manual_exposure_time_changed(
        [queue](float seconds) { queue->push({"manual_exposure_time_changed", {double(seconds)}}); });
    view.set_func_flash_ready([queue](bool ready) { queue->push({"flash_ready_changed", {ready}}); });
    view.set_func_iso_sensitivity_changed(
        [queue](int value) { queue->push({"iso_sensitivity_changed", {std::int64_t{value}}}); });
    view.set_func_javascript_console_log([queue](int level, std::string message, int line, std::string source) {
        queue->push({"console_message", {std::int64_t{level}, std::move(message), std::int64_t{line}, std::move(source)}});
    });
    m_set_up = false;
    m_running = false;
    view.set_auto_play(m_autoplay);
    view.set_fill_mode(static_cast<unsigned>(m_fill_mode));
    // The camera is chosen on the Qt thread before the scene's load reaches it; the settings and
    // the start follow the load (handle_event).
    view.set_camera_hint(m_camera_hint);
}

std::function<bool(sorvane::SView&)> CameraView::loader() const
{
    return [](sorvane::SView& view) { return static_cast<Camera&>(view).load("Multimedia", "Camera"); };
}

void CameraView::handle_event(const Event& event)
{
    ViewControl::handle_event(event);
    if (event.name != "_loaded")
        return;
    const bool loaded = std::get<bool>(event.args[0]);
    if (loaded && !m_set_up) {
        m_set_up = true;
        apply_settings();
    } else if (loaded && m_running) {
        start();
    }
    emit("scene_loaded", {Variant(loaded)});
}

const ClassTable& CameraView::table()
{
    static const ClassTable table = [] {
        ClassTable s;
        s.name = "CameraView";
        s.parent = "Control";
        s.create = [](GDExtensionObjectPtr owner) { return new CameraView(owner); };
        using V = CameraView;
        s.methods = {
            {"set_camera_hint", no_result, {{"hint", STRING}}, body<V>([](V& v, const auto& a) { v.set_camera_hint(a[0].to_string()); })},
            {"get_camera_hint", {"", STRING}, {}, body<V>([](V& v, const auto&) { return v.camera_hint(); }), true},
            {"set_autoplay", no_result, {{"enabled", BOOL}}, body<V>([](V& v, const auto& a) { v.set_autoplay(a[0].to_bool()); })},
            {"has_autoplay", {"", BOOL}, {}, body<V>([](V& v, const auto&) { return v.autoplay(); }), true},
            {"set_fill_mode", no_result, {{"mode", INT}}, body<V>([](V& v, const auto& a) { v.set_fill_mode(a[0].to_int()); })},
            {"get_fill_mode", {"", INT}, {}, body<V>([](V& v, const auto&) { return v.fill_mode(); }), true},
            {"set_active", no_result, {{"active", BOOL}}, body<V>([](V& v, const auto& a) { v.set_active(a[0].to_bool()); })},
            {"is_active", {"", BOOL}, {}, body<V>([](V& v, const auto&) { return v.active(); }), true},
            {"start", no_result, {}, body<V>([](V& v, const auto&) { v.start(); })},
            {"stop", no_result, {}, body<V>([](V& v, const auto&) { v.stop(); })},
            {"set_custom_focus_point", no_result, {{"point", VECTOR2}}, body<V>([](V& v, const auto& a) {
                 float x = 0, y = 0;
                 a[0].to_vector2(x, y);
                 v.set_custom_focus_point(x, y);
             })},
            {"get_custom_focus_point", {"", VECTOR2}, {}, body<V>([](V& v, const auto&) { return v.custom_focus_point(); }), true},
            {"set_auto_exposure_time", no_result, {}, body<V>([](V& v, const auto&) { v.set_auto_exposure_time(); })},
            {"set_auto_iso_sensitivity", no_result, {}, body<V>([](V& v, const auto&) { v.set_auto_iso_sensitivity(); })},
            {"zoom_to", no_result, {{"factor", FLOAT}, {"rate", FLOAT}},
             body<V>([](V& v, const auto& a) { v.zoom_to(a[0].to_float(), a[1].to_float()); })},
        };
        s.properties = {
            {{"camera_hint", STRING}, "set_camera_hint", "get_camera_hint"},
            {{"autoplay", BOOL}, "set_autoplay", "has_autoplay"},
            {{"active", BOOL}, "set_active", "is_active"},
            {{"fill_mode", INT}, "set_fill_mode", "get_fill_mode", kHintEnum, "Stretch,Fit,Crop"},
        };
        for (int i = 0; i < SettingCount; ++i) {
            const SettingEntry& entry = kSettings[i];
            const auto setting = static_cast<Setting>(i);
            const bool is_float = entry.slot.type == FLOAT;
            // The argument arrives as the declared type: read an int as an int.
            s.methods.push_back({entry.setter, no_result, {{"value", entry.slot.type}}, body<V>([setting, is_float](V& v, const auto& a) {
                                     v.set_setting(setting, is_float ? a[0].to_float() : static_cast<double>(a[0].to_int()));
                                 })});
            s.methods.push_back({entry.getter, {"", entry.slot.type}, {}, body<V>([setting, is_float](V& v, const auto&) {
                                     const double value = v.setting(setting);
                                     return is_float ? Variant(value) : Variant(static_cast<std::int64_t>(value));
                                 }), true});
            s.properties.push_back({entry.slot, entry.setter, entry.getter, entry.hint, entry.hint_string});
        }
        s.properties.push_back({{"custom_focus_point", VECTOR2}, "set_custom_focus_point", "get_custom_focus_point"});
        for (const ReadingEntry& entry : readings()) {
            s.methods.push_back({entry.getter, {"", entry.slot.type}, {}, body<V>([&entry](V& v, const auto&) {
                                     auto* view = v.camera();
                                     return view ? entry.read(*view) : entry.fallback;
                                 }), true});
            s.properties.push_back({entry.slot, "", entry.getter});
        }
        for (const SupportEntry& entry : kSupportQueries) {
            const auto query = entry.query;
            s.methods.push_back({entry.method, {"", BOOL}, {{"mode", INT}}, body<V>([query](V& v, const auto& a) {
                                     auto* view = v.camera();
                                     return view && (view->*query)(static_cast<int>(a[0].to_int()));
                                 }), true});
        }

        s.signals = {{"scene_loaded", {{"success", BOOL}}}};
        for (const NoticeEntry& notice : kNotices)
            s.signals.push_back({notice.signal, {}});
        s.signals.push_back({"error_occurred", {{"error", INT}, {"message", STRING}}});
        s.signals.push_back({"exposure_compensation_changed", {{"value", FLOAT}}});
        s.signals.push_back({"exposure_time_changed", {{"seconds", FLOAT}}});
        s.signals.push_back({"manual_exposure_time_changed", {{"seconds", FLOAT}}});
        s.signals.push_back({"flash_ready_changed", {{"ready", BOOL}}});
        s.signals.push_back({"iso_sensitivity_changed", {{"value", INT}}});

        s.constants = {
            {"FillMode", "FILL_STRETCH", 0},
            {"FillMode", "FILL_FIT", 1},
            {"FillMode", "FILL_CROP", 2},
            {"Error", "ERROR_NONE", 0},
            {"Error", "ERROR_CAMERA", 1},
            {"CameraFocusMode", "FOCUS_MODE_AUTO", 0},
            {"CameraFocusMode", "FOCUS_MODE_AUTO_NEAR", 1},
            {"CameraFocusMode", "FOCUS_MODE_AUTO_FAR", 2},
            {"CameraFocusMode", "FOCUS_MODE_HYPERFOCAL", 3},
            {"CameraFocusMode", "FOCUS_MODE_INFINITY", 4},
            {"CameraFocusMode", "FOCUS_MODE_MANUAL", 5},
            {"FlashMode", "FLASH_OFF", 0},
            {"FlashMode", "FLASH_ON", 1},
            {"FlashMode", "FLASH_AUTO", 2},
            {"TorchMode", "TORCH_OFF", 0},
            {"TorchMode", "TORCH_ON", 1},
            {"TorchMode", "TORCH_AUTO", 2},
            {"ExposureMode", "EXPOSURE_AUTO", 0},
            {"ExposureMode", "EXPOSURE_MANUAL", 1},
            {"ExposureMode", "EXPOSURE_PORTRAIT", 2},
            {"ExposureMode", "EXPOSURE_NIGHT", 3},
            {"ExposureMode", "EXPOSURE_SPORTS", 4},
            {"ExposureMode", "EXPOSURE_SNOW", 5},
            {"ExposureMode", "EXPOSURE_BEACH", 6},
            {"ExposureMode", "EXPOSURE_ACTION", 7},
            {"ExposureMode", "EXPOSURE_LANDSCAPE", 8},
            {"ExposureMode", "EXPOSURE_NIGHT_PORTRAIT", 9},
            {"ExposureMode", "EXPOSURE_THEATRE", 10},
            {"ExposureMode", "EXPOSURE_SUNSET", 11},
            {"ExposureMode", "EXPOSURE_STEADY_PHOTO", 12},
            {"ExposureMode", "EXPOSURE_FIREWORKS", 13},
            {"ExposureMode", "EXPOSURE_PARTY", 14},
            {"ExposureMode", "EXPOSURE_CANDLELIGHT", 15},
            {"ExposureMode", "EXPOSURE_BARCODE", 16},
            {"WhiteBalanceMode", "WHITE_BALANCE_AUTO", 0},
            {"WhiteBalanceMode", "WHITE_BALANCE_MANUAL", 1},
            {"WhiteBalanceMode", "WHITE_BALANCE_SUNLIGHT", 2},
            {"WhiteBalanceMode", "WHITE_BALANCE_CLOUDY", 3},
            {"WhiteBalanceMode", "WHITE_BALANCE_SHADE", 4},
            {"WhiteBalanceMode", "WHITE_BALANCE_TUNGSTEN", 5},
            {"WhiteBalanceMode", "WHITE_BALANCE_FLUORESCENT", 6},
            {"WhiteBalanceMode", "WHITE_BALANCE_FLASH", 7},
            {"WhiteBalanceMode", "WHITE_BALANCE_SUNSET", 8},
        };
        ViewControl::add_common_members(s);
        return s;
    }();
    return table;
}

}  // namespace sorvane_godot
