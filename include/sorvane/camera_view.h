#pragma once

#include <functional>
#include <string>
#include <vector>

#include "sorvane/quick_view.h"

namespace sorvane {

// A view that shows a camera feed. Usual order: construct, set the callbacks,
// set_camera_hint, load("Multimedia", "Camera"), start().
//
// Enumerations cross as int holding the value of Qt's QCamera enumerations (FocusMode,
// FlashMode, TorchMode, ExposureMode, WhiteBalanceMode, Error). Until a hint has chosen a camera
// every query answers its default (0, false, an empty vector) and every setter does nothing. On
// a facade without a view the same defaults come back at once.
class SORVANE_EXPORT SCameraView : public SQuickView {
public:
    SCameraView();

    // Chooses the camera: empty, "-1" or "0" the first one; a number the one at that index (an
    // index out of range gives the first, with a warning); any other text the first camera whose
    // description contains it, ignoring case (none matching gives the first, with a warning).
    // Stored at once; the camera is replaced on the Qt thread shortly after, even when the hint
    // is unchanged. With no camera at all the error callback receives (1, "no cameras found").
    void set_camera_hint(std::string hint) const;

    void start() const;
    void stop() const;
    void set_active(bool active) const;  // posted
    bool get_is_active() const;
    bool is_available() const;
    // Stored; when true, also starts an installed camera.
    void set_auto_play(bool auto_play) const;

    // 0 stretch, 1 fit (default), 2 crop; 4294967295 is kept as given, any other value gives 0.
    void set_fill_mode(unsigned int fill_mode) const;
    unsigned int get_fill_mode() const;

    int get_error() const;
    std::string get_error_string() const;
    // Not implemented: always 0, with a warning.
    int get_supported_features() const;

    // Setters marked posted return at once; the others wait.
    int get_color_temperature() const;
    void set_color_temperature(int kelvin) const;  // posted
    float get_exposure_compensation() const;
    void set_exposure_compensation(float ev) const;  // posted
    int get_exposure_mode() const;
    void set_exposure_mode(int mode) const;
    bool is_exposure_mode_supported(int mode) const;
    float get_exposure_time() const;
    float get_manual_exposure_time() const;
    void set_manual_exposure_time(float seconds) const;  // posted
    void set_auto_exposure_time() const;                 // posted
    float minimum_exposure_time() const;
    float maximum_exposure_time() const;

    int get_flash_mode() const;
    void set_flash_mode(int mode) const;
    bool is_flash_mode_supported(int mode) const;
    bool get_is_flash_ready() const;

    int get_focus_mode() const;
    void set_focus_mode(int mode) const;
    bool is_focus_mode_supported(int mode) const;
    float get_focus_distance() const;
    void set_focus_distance(float distance) const;  // posted
    // {x, y}, each 0.0 to 1.0.
    std::vector<float> get_focus_point() const;
    std::vector<float> get_custom_focus_point() const;
    // Posted; takes elements 0 and 1 as x and y. A shorter vector is ignored with a warning.
    void set_custom_focus_point(std::vector<float> point) const;

    int get_iso_sensitivity() const;
    int get_manual_iso_sensitivity() const;
    void set_manual_iso_sensitivity(int iso) const;  // posted
    void set_auto_iso_sensitivity() const;           // posted
    int minimum_iso_sensitivity() const;
    int maximum_iso_sensitivity() const;

    int get_torch_mode() const;
    void set_torch_mode(int mode) const;
    bool is_torch_mode_supported(int mode) const;

    int get_white_balance_mode() const;
    void set_white_balance_mode(int mode) const;
    bool is_white_balance_mode_supported(int mode) const;

    float get_zoom_factor() const;
    void set_zoom_factor(float factor) const;
    float get_minimum_zoom_factor() const;
    float get_maximum_zoom_factor() const;
    void zoom_to(float factor, float rate) const;

    // --- Callbacks ------------------------------------------------------------------------------
    // Stored at once on the calling thread, replacing the previous one; an empty function clears
    // it. Each runs on the Qt thread when its camera signal fires: use only posted operations
    // and setters from inside one.
    void set_func_active_changed(std::function<void()> func) const;
    void set_func_camera_device_changed(std::function<void()> func) const;
    void set_func_camera_format_changed(std::function<void()> func) const;
    void set_func_color_temperature_changed(std::function<void()> func) const;
    void set_func_custom_focus_point_changed(std::function<void()> func) const;
    void set_func_error_changed(std::function<void()> func) const;
    void set_func_error_occurred(std::function<void(int, std::string)> func) const;
    void set_func_exposure_compensation_changed(std::function<void(float)> func) const;
    void set_func_exposure_mode_changed(std::function<void()> func) const;
    void set_func_exposure_time_changed(std::function<void(float)> func) const;
    void set_func_flash_mode_changed(std::function<void()> func) const;
    void set_func_flash_ready(std::function<void(bool)> func) const;
    void set_func_focus_distance_changed(std::function<void()> func) const;
    void set_func_focus_mode_changed(std::function<void()> func) const;
    void set_func_focus_point_changed(std::function<void()> func) const;
    void set_func_iso_sensitivity_changed(std::function<void(int)> func) const;
    void set_func_manual_exposure_time_changed(std::function<void(float)> func) const;
    void set_func_manual_iso_sensitivity_changed(std::function<void()> func) const;
    void set_func_maximum_zoom_factor_changed(std::function<void()> func) const;
    void set_func_minimum_zoom_factor_changed(std::function<void()> func) const;
    void set_func_supported_features_changed(std::function<void()> func) const;
    void set_func_torch_mode_changed(std::function<void()> func) const;
    void set_func_white_balance_mode_changed(std::function<void()> func) const;
    void set_func_zoom_factor_changed(std::function<void()> func) const;
};

}  // namespace sorvane
