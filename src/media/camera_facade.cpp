// SCameraView: the host's handle of a camera view.
//
// Every camera operation works on the installed camera; while there is none, queries answer
// their defaults and setters do nothing.

#include "sorvane/camera_view.h"

#include "media/camera_view.h"
#include "runtime/facade_support.h"

#include <QtDebug>

#include <type_traits>
#include <vector>

namespace sorvane {

namespace {

CameraView* camera_view(View* view)
{
    return static_cast<CameraView*>(view);
}

// The carried work of one camera query: `work` runs with the installed camera; without one the
// query answers its default.
template <typename F, typename R = std::invoke_result_t<F&, QCamera*>>
auto on_camera(F work)
{
    return [work = std::move(work)](View* v) mutable -> R {
        QCamera* camera = camera_view(v)->camera();
        return camera ? work(camera) : R{};
    };
}

// The same for a camera setter, which does nothing without a camera.
template <typename F>
auto on_camera_void(F work)
{
    return [work = std::move(work)](View* v) mutable {
        if (QCamera* camera = camera_view(v)->camera())
            work(camera);
    };
}


std::vector<float> point_of(QPointF point)
{
    return {static_cast<float>(point.x()), static_cast<float>(point.y())};
}

}  // namespace

SCameraView::SCameraView() : SQuickView(NoView{})
{
    m_view = create_view(&SorvaneCtx::_create_cameraview);
}

// Direct: the hint is stored on the calling thread; the choice runs later on the Qt thread.
void SCameraView::set_camera_hint(std::string hint) const
{
    carry::direct(m_view, [hint = QString::fromStdString(hint)](View* v) { camera_view(v)->set_camera_hint(hint); });
}

void SCameraView::start() const
{
    carry::blocking(m_view, on_camera_void([](QCamera* c) { c->setActive(true); }));
}

void SCameraView::stop() const
{
    carry::blocking(m_view, on_camera_void([](QCamera* c) { c->setActive(false); }));
}

void SCameraView::set_active(bool active) const
{
    carry::posted(m_view, on_camera_void([active](QCamera* c) { c->setActive(active); }));
}

bool SCameraView::get_is_active() const
{
    return carry::waited(m_view, on_camera([](QCamera* c) { return c->isActive(); }));
}

bool SCameraView::is_available() const
{
    return carry::waited(m_view, on_camera([](QCamera* c) { return c->isAvailable(); }));
}

void SCameraView::set_auto_play(bool auto_play) const
{
    carry::blocking(m_view, [auto_play](View* v) { camera_view(v)->set_auto_play(auto_play); });
}

void SCameraView::set_fill_mode(unsigned int fill_mode) const
{
    carry::blocking(m_view, [fill_mode](View* v) { camera_view(v)->set_fill_mode(fill_mode); });
}

unsigned int SCameraView::get_fill_mode() const
{
    return carry::waited(m_view, [](View* v) { return camera_view(v)->fill_mode(); });
}

int SCameraView::get_error() const
{
    return carry::waited(m_view, on_camera([](QCamera* c) { return static_cast<int>(c->error()); }));
}

std::string SCameraView::get_error_string() const
{
    return carry::waited(m_view, on_camera([](QCamera* c) { return c->errorString().toStdString(); }));
}

int SCameraView::get_supported_features() const
{
    return carry::waited(m_view, [](View*) {
        qWarning() << "get_supported_features: not implemented";
        return 0;
    });
}

// --- Exposure and colour -------------------------------------------------------------------------

int SCameraView::get_color_temperature() const
{
    return carry::waited(m_view, on_camera([](QCamera* c) { return c->colorTemperature(); }));
}

void SCameraView::set_color_temperature(int kelvin) const
{
    carry::posted(m_view, on_camera_void([kelvin](QCamera* c) { c->setColorTemperature(kelvin); }));
}

float SCameraView::get_exposure_compensation() const
{
    return carry::waited(m_view, on_camera([](QCamera* c) { return c->exposureCompensation(); }));
}

void SCameraView::set_exposure_compensation(float ev) const
{
    carry::posted(m_view, on_camera_void([ev](QCamera* c) { c->setExposureCompensation(ev); }));
}

int SCameraView::get_exposure_mode() const
{
    return carry::waited(m_view, on_camera([](QCamera* c) { return static_cast<int>(c->exposureMode()); }));
}

void SCameraView::set_exposure_mode(int mode) const
{
    carry::blocking(m_view, on_camera_void([mode](QCamera* c) {
        c->setExposureMode(static_cast<QCamera::ExposureMode>(mode));
    }));
}

bool SCameraView::is_exposure_mode_supported(int mode) const
{
    return carry::waited(m_view, on_camera([mode](QCamera* c) {
        return c->isExposureModeSupported(static_cast<QCamera::ExposureMode>(mode));
    }));
}

float SCameraView::get_exposure_time() const
{
    return carry::waited(m_view, on_camera([](QCamera* c) { return c->exposureTime(); }));
}

float SCameraView::get_manual_exposure_time() const
{
    return carry::waited(m_view, on_camera([](QCamera* c) { return c->manualExposureTime(); }));
}

void SCameraView::set_manual_exposure_time(float seconds) const
{
    carry::posted(m_view, on_camera_void([seconds](QCamera* c) { c->setManualExposureTime(seconds); }));
}

void SCameraView::set_auto_exposure_time() const
{
    carry::posted(m_view, on_camera_void([](QCamera* c) { c->setAutoExposureTime(); }));
}

float SCameraView::minimum_exposure_time() const
{
    return carry::waited(m_view, on_camera([](QCamera* c) { return c->minimumExposureTime(); }));
}

float SCameraView::maximum_exposure_time() const
{
    return carry::waited(m_view, on_camera([](QCamera* c) { return c->maximumExposureTime(); }));
}

// --- Flash and torch -----------------------------------------------------------------------------

int SCameraView::get_flash_mode() const
{
    return carry::waited(m_view, on_camera([](QCamera* c) { return static_cast<int>(c->flashMode()); }));
}

void SCameraView::set_flash_mode(int mode) const
{
    carry::blocking(m_view, on_camera_void([mode](QCamera* c) {
        c->setFlashMode(static_cast<QCamera::FlashMode>(mode));
    }));
}

bool SCameraView::is_flash_mode_supported(int mode) const
{
    return carry::waited(m_view, on_camera([mode](QCamera* c) {
        return c->isFlashModeSupported(static_cast<QCamera::FlashMode>(mode));
    }));
}

bool SCameraView::get_is_flash_ready() const
{
    return carry::waited(m_view, on_camera([](QCamera* c) { return c->isFlashReady(); }));
}

int SCameraView::get_torch_mode() const
{
    return carry::waited(m_view, on_camera([](QCamera* c) { return static_cast<int>(c->torchMode()); }));
}

void SCameraView::set_torch_mode(int mode) const
{
    carry::blocking(m_view, on_camera_void([mode](QCamera* c) {
        c->setTorchMode(static_cast<QCamera::TorchMode>(mode));
    }));
}

bool SCameraView::is_torch_mode_supported(int mode) const
{
    return carry::waited(m_view, on_camera([mode](QCamera* c) {
        return c->isTorchModeSupported(static_cast<QCamera::TorchMode>(mode));
    }));
}

// --- Focus ---------------------------------------------------------------------------------------

int SCameraView::get_focus_mode() const
{
    return carry::waited(m_view, on_camera([](QCamera* c) { return static_cast<int>(c->focusMode()); }));
}

void SCameraView::set_focus_mode(int mode) const
{
    carry::blocking(m_view, on_camera_void([mode](QCamera* c) {
        c->setFocusMode(static_cast<QCamera::FocusMode>(mode));
    }));
}

bool SCameraView::is_focus_mode_supported(int mode) const
{
    return carry::waited(m_view, on_camera([mode](QCamera* c) {
        return c->isFocusModeSupported(static_cast<QCamera::FocusMode>(mode));
    }));
}

float SCameraView::get_focus_distance() const
{
    return carry::waited(m_view, on_camera([](QCamera* c) { return c->focusDistance(); }));
}

void SCameraView::set_focus_distance(float distance) const
{
    carry::posted(m_view, on_camera_void([distance](QCamera* c) { c->setFocusDistance(distance); }));
}

std::vector<float> SCameraView::get_focus_point() const
{
    return carry::waited(m_view, on_camera([](QCamera* c) { return point_of(c->focusPoint()); }));
}

std::vector<float> SCameraView::get_custom_focus_point() const
{
    return carry::waited(m_view, on_camera([](QCamera* c) { return point_of(c->customFocusPoint()); }));
}

void SCameraView::set_custom_focus_point(std::vector<float> point) const
{
    carry::posted(m_view, on_camera_void([point = std::move(point)](QCamera* c) {
        if (point.size() < 2) {
            qWarning() << "set_custom_focus_point: needs two elements (x, y), got" << point.size()
                       << "- ignored";
            return;
        }
        c->setCustomFocusPoint(QPointF(point[0], point[1]));
    }));
}

// --- ISO -----------------------------------------------------------------------------------------

int SCameraView::get_iso_sensitivity() const
{
    return carry::waited(m_view, on_camera([](QCamera* c) { return c->isoSensitivity(); }));
}

int SCameraView::get_manual_iso_sensitivity() const
{
    return carry::waited(m_view, on_camera([](QCamera* c) { return c->manualIsoSensitivity(); }));
}

void SCameraView::set_manual_iso_sensitivity(int iso) const
{
    carry::posted(m_view, on_camera_void([iso](QCamera* c) { c->setManualIsoSensitivity(iso); }));
}

void SCameraView::set_auto_iso_sensitivity() const
{
    carry::posted(m_view, on_camera_void([](QCamera* c) { c->setAutoIsoSensitivity(); }));
}

int SCameraView::minimum_iso_sensitivity() const
{
    return carry::waited(m_view, on_camera([](QCamera* c) { return c->minimumIsoSensitivity(); }));
}

int SCameraView::maximum_iso_sensitivity() const
{
    return carry::waited(m_view, on_camera([](QCamera* c) { return c->maximumIsoSensitivity(); }));
}

// --- White balance -------------------------------------------------------------------------------

int SCameraView::get_white_balance_mode() const
{
    return carry::waited(m_view, on_camera([](QCamera* c) { return static_cast<int>(c->whiteBalanceMode()); }));
}

void SCameraView::set_white_balance_mode(int mode) const
{
    carry::blocking(m_view, on_camera_void([mode](QCamera* c) {
        c->setWhiteBalanceMode(static_cast<QCamera::WhiteBalanceMode>(mode));
    }));
}

bool SCameraView::is_white_balance_mode_supported(int mode) const
{
    return carry::waited(m_view, on_camera([mode](QCamera* c) {
        return c->isWhiteBalanceModeSupported(static_cast<QCamera::WhiteBalanceMode>(mode));
    }));
}

// --- Zoom ----------------------------------------------------------------------------------------

float SCameraView::get_zoom_factor() const
{
    return carry::waited(m_view, on_camera([](QCamera* c) { return c->zoomFactor(); }));
}

void SCameraView::set_zoom_factor(float factor) const
{
    carry::blocking(m_view, on_camera_void([factor](QCamera* c) { c->setZoomFactor(factor); }));
}

float SCameraView::get_minimum_zoom_factor() const
{
    return carry::waited(m_view, on_camera([](QCamera* c) { return c->minimumZoomFactor(); }));
}

float SCameraView::get_maximum_zoom_factor() const
{
    return carry::waited(m_view, on_camera([](QCamera* c) { return c->maximumZoomFactor(); }));
}

void SCameraView::zoom_to(float factor, float rate) const
{
    carry::blocking(m_view, on_camera_void([factor, rate](QCamera* c) { c->zoomTo(factor, rate); }));
}

// --- Callbacks -----------------------------------------------------------------------------------

void SCameraView::set_func_active_changed(std::function<void()> func) const
{
    store_callback(m_view, &CameraView::m_active_changed, std::move(func));
}

void SCameraView::set_func_camera_device_changed(std::function<void()> func) const
{
    store_callback(m_view, &CameraView::m_camera_device_changed, std::move(func));
}

void SCameraView::set_func_camera_format_changed(std::function<void()> func) const
{
    store_callback(m_view, &CameraView::m_camera_format_changed, std::move(func));
}

void SCameraView::set_func_color_temperature_changed(std::function<void()> func) const
{
    store_callback(m_view, &CameraView::m_color_temperature_changed, std::move(func));
}

void SCameraView::set_func_custom_focus_point_changed(std::function<void()> func) const
{
    store_callback(m_view, &CameraView::m_custom_focus_point_changed, std::move(func));
}

void SCameraView::set_func_error_changed(std::function<void()> func) const
{
    store_callback(m_view, &CameraView::m_error_changed, std::move(func));
}

void SCameraView::set_func_error_occurred(std::function<void(int, std::string)> func) const
{
    store_callback(m_view, &CameraView::m_error_occurred, std::move(func));
}

void SCameraView::set_func_exposure_compensation_changed(std::function<void(float)> func) const
{
    store_callback(m_view, &CameraView::m_exposure_compensation_changed, std::move(func));
}

void SCameraView::set_func_exposure_mode_changed(std::function<void()> func) const
{
    store_callback(m_view, &CameraView::m_exposure_mode_changed, std::move(func));
}

void SCameraView::set_func_exposure_time_changed(std::function<void(float)> func) const
{
    store_callback(m_view, &CameraView::m_exposure_time_changed, std::move(func));
}

void SCameraView::set_func_flash_mode_changed(std::function<void()> func) const
{
    store_callback(m_view, &CameraView::m_flash_mode_changed, std::move(func));
}

void SCameraView::set_func_flash_ready(std::function<void(bool)> func) const
{
    store_callback(m_view, &CameraView::m_flash_ready, std::move(func));
}

void SCameraView::set_func_focus_distance_changed(std::function<void()> func) const
{
    store_callback(m_view, &CameraView::m_focus_distance_changed, std::move(func));
}

void SCameraView::set_func_focus_mode_changed(std::function<void()> func) const
{
    store_callback(m_view, &CameraView::m_focus_mode_changed, std::move(func));
}

void SCameraView::set_func_focus_point_changed(std::function<void()> func) const
{
    store_callback(m_view, &CameraView::m_focus_point_changed, std::move(func));
}

void SCameraView::set_func_iso_sensitivity_changed(std::function<void(int)> func) const
{
    store_callback(m_view, &CameraView::m_iso_sensitivity_changed, std::move(func));
}

void SCameraView::set_func_manual_exposure_time_changed(std::function<void(float)> func) const
{
    store_callback(m_view, &CameraView::m_manual_exposure_time_changed, std::move(func));
}

void SCameraView::set_func_manual_iso_sensitivity_changed(std::function<void()> func) const
{
    store_callback(m_view, &CameraView::m_manual_iso_sensitivity_changed, std::move(func));
}

void SCameraView::set_func_maximum_zoom_factor_changed(std::function<void()> func) const
{
    store_callback(m_view, &CameraView::m_maximum_zoom_factor_changed, std::move(func));
}

void SCameraView::set_func_minimum_zoom_factor_changed(std::function<void()> func) const
{
    store_callback(m_view, &CameraView::m_minimum_zoom_factor_changed, std::move(func));
}

void SCameraView::set_func_supported_features_changed(std::function<void()> func) const
{
    store_callback(m_view, &CameraView::m_supported_features_changed, std::move(func));
}

void SCameraView::set_func_torch_mode_changed(std::function<void()> func) const
{
    store_callback(m_view, &CameraView::m_torch_mode_changed, std::move(func));
}

void SCameraView::set_func_white_balance_mode_changed(std::function<void()> func) const
{
    store_callback(m_view, &CameraView::m_white_balance_mode_changed, std::move(func));
}

void SCameraView::set_func_zoom_factor_changed(std::function<void()> func) const
{
    store_callback(m_view, &CameraView::m_zoom_factor_changed, std::move(func));
}

}  // namespace sorvane
