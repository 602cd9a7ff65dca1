// CameraView: a Control that shows a camera's live picture (the library's camera scene). The
// camera is chosen by `camera_hint`; its settings (zoom, focus, exposure, flash, torch, white
// balance, ISO) are properties, and what the camera reports arrives as signals on the main thread.
// The camera's focus mode is `camera_focus_mode`: `focus_mode` is Control's keyboard focus.
// Settings given before the camera exists (in the inspector, or before the node enters the tree)
// are applied once the camera is chosen, and again to each camera a new hint chooses.
#pragma once

#include <array>
#include <optional>

#include "view_control.h"

namespace sorvane { class SCameraView; }

namespace sorvane_godot {

class CameraView : public ViewControl {
public:
    using ViewControl::ViewControl;

    static const ClassTable& table();

    // The writable camera settings, in the order of the class table (see camera_view.cpp).
    enum Setting {
        ColorTemperature,
        ExposureCompensation,
        ExposureMode,
        ManualExposureTime,
        FlashMode,
        FocusMode,
        FocusDistance,
        ManualIsoSensitivity,
        TorchMode,
        WhiteBalanceMode,
        ZoomFactor,
        SettingCount
    };

    void set_camera_hint(const std::string& hint);
    const std::string& camera_hint() const { return m_camera_hint; }
    void set_autoplay(bool autoplay);
    bool autoplay() const { return m_autoplay; }
    void set_fill_mode(std::int64_t mode);
    std::int64_t fill_mode() const { return m_fill_mode; }
    void start();
    void stop();
    void set_active(bool active);
    bool active() const;

    void set_setting(Setting setting, double value);
    double setting(Setting setting) const;
    void set_custom_focus_point(float x, float y);
    Variant custom_focus_point() const;
    // Back to the camera's automatic exposure time or ISO sensitivity.
    void set_auto_exposure_time();
    void set_auto_iso_sensitivity();
    void zoom_to(double factor, double rate);

    // The camera's facade while the node is in the tree, else null.
    sorvane::SCameraView* camera() const;

protected:
    FacadeSlot create_facade() override;
    void configure(sorvane::SView& facade) override;
    std::function<bool(sorvane::SView&)> loader() const override;
    void handle_event(const Event& event) override;

private:
    // Gives the camera the settings set on the node, and starts it when autoplay is on or it ran.
    void apply_settings();

    std::string m_camera_hint;
    // Whether the settings went to the view's camera since the view was created; a later load
    // (after a resize) keeps the camera, which the reload stops: it is started again if it ran.
    bool m_set_up = false;
    bool m_running = false;
    bool m_autoplay = true;
    std::int64_t m_fill_mode = 1;
    // Only the settings that were set are applied; the others keep the camera's own values.
    std::array<std::optional<double>, SettingCount> m_settings{};
    std::optional<std::pair<float, float>> m_custom_focus_point;
};

}  // namespace sorvane_godot
