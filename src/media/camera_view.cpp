#include "media/camera_view.h"

#include "media/camera_choice.h"
#include "media/fill_mode.h"

#include <QCameraDevice>
#include <QMediaDevices>
#include <QQmlContext>
#include <QQmlEngine>
#include <QtDebug>

namespace sorvane {

CameraView::CameraView(QObject* parent) : QuickView(parent)
{
    connect(this, &CameraView::camera_hintChanged, this, &CameraView::onCameraHintChanged);
}

CameraView::~CameraView()
{
    // Nothing reaches the host from here on; the scene goes while the camera it shows is there.
    if (m_camera)
        m_camera->disconnect(this);
    reset();
    delete m_camera;
}

void CameraView::prepare_context(QQmlContext* context)
{
    qmlRegisterUncreatableType<CameraView>("Custom", 1, 0, "CameraView",
                                           "Don't try to add to a qml definition");
    context->setContextProperty("ctx", this);
}

// The camera stays the view's own, so that it outlives a reset of the scene.
void CameraView::post_setup(QQmlEngine*, QObject*) {}

void CameraView::pre_reset()
{
    if (m_camera)
        m_camera->setActive(false);
}

void CameraView::set_camera(QCamera* camera)
{
    if (camera == m_camera)
        return;
    m_camera = camera;
    emit cameraChanged();
}

void CameraView::set_camera_hint(const QString& hint)
{
    {
        std::lock_guard lock(m_hint_mutex);
        m_camera_hint = hint;
    }
    emit camera_hintChanged();
}

QString CameraView::camera_hint() const
{
    std::lock_guard lock(m_hint_mutex);
    return m_camera_hint;
}

void CameraView::set_auto_play(bool auto_play)
{
    m_auto_play = auto_play;
    if (m_camera && auto_play)
        m_camera->setActive(true);
}

void CameraView::set_fill_mode(unsigned int fill_mode)
{
    m_fill_mode = media::clamp_fill_mode(fill_mode);
    emit fill_modeChanged();
}

void CameraView::onCameraHintChanged()
{
    const QList<QCameraDevice> inputs = QMediaDevices::videoInputs();
    QStringList descriptions;
    for (const QCameraDevice& input : inputs)
        descriptions.append(input.description());

    const qsizetype chosen = media::choose_camera(descriptions, camera_hint());
    if (chosen < 0) {
        m_error_occurred(1, "no cameras found");
        return;
    }
    install_camera(new QCamera(inputs[chosen], this));
}

void CameraView::install_camera(QCamera* camera)
{
    if (m_camera) {
        QCamera* old = m_camera;
        old->setActive(false);
        m_camera = nullptr;
        emit cameraChanged();
        old->disconnect(this);
        old->deleteLater();
    }
    camera->setParent(this);
    connect_camera(camera);
    m_camera = camera;
    emit cameraChanged();
}

void CameraView::connect_camera(QCamera* camera)
{
    connect(camera, &QCamera::activeChanged, this, &CameraView::onActivechanged);
    connect(camera, &QCamera::cameraDeviceChanged, this, &CameraView::onCameradevicechanged);
    connect(camera, &QCamera::cameraFormatChanged, this, &CameraView::onCameraformatchanged);
    connect(camera, &QCamera::colorTemperatureChanged, this, &CameraView::onColortemperaturechanged);
    connect(camera, &QCamera::customFocusPointChanged, this, &CameraView::onCustomfocuspointchanged);
    connect(camera, &QCamera::errorChanged, this, &CameraView::onErrorchanged);
    connect(camera, &QCamera::errorOccurred, this, &CameraView::onErroroccurred);
    connect(camera, &QCamera::exposureCompensationChanged, this, &CameraView::onExposurecompensationchanged);
    connect(camera, &QCamera::exposureModeChanged, this, &CameraView::onExposuremodechanged);
    connect(camera, &QCamera::exposureTimeChanged, this, &CameraView::onExposuretimechanged);
    connect(camera, &QCamera::flashModeChanged, this, &CameraView::onFlashmodechanged);
    connect(camera, &QCamera::flashReady, this, &CameraView::onFlashready);
    connect(camera, &QCamera::focusDistanceChanged, this, &CameraView::onFocusdistancechanged);
    connect(camera, &QCamera::focusModeChanged, this, &CameraView::onFocusmodechanged);
    connect(camera, &QCamera::focusPointChanged, this, &CameraView::onFocuspointchanged);
    connect(camera, &QCamera::isoSensitivityChanged, this, &CameraView::onIsosensitivitychanged);
    connect(camera, &QCamera::manualExposureTimeChanged, this, &CameraView::onManualexposuretimechanged);
    connect(camera, &QCamera::manualIsoSensitivityChanged, this, &CameraView::onManualisosensitivitychanged);
    connect(camera, &QCamera::maximumZoomFactorChanged, this, &CameraView::onMaximumzoomfactorchanged);
    connect(camera, &QCamera::minimumZoomFactorChanged, this, &CameraView::onMinimumzoomfactorchanged);
    connect(camera, &QCamera::supportedFeaturesChanged, this, &CameraView::onSupportedfeatureschanged);
    connect(camera, &QCamera::torchModeChanged, this, &CameraView::onTorchmodechanged);
    connect(camera, &QCamera::whiteBalanceModeChanged, this, &CameraView::onWhitebalancemodechanged);
    connect(camera, &QCamera::zoomFactorChanged, this, &CameraView::onZoomfactorchanged);
}

// --- Camera signals to host callbacks ----------------------------------------------------------

void CameraView::onActivechanged() { m_active_changed(); }
void CameraView::onCameradevicechanged() { m_camera_device_changed(); }
void CameraView::onCameraformatchanged() { m_camera_format_changed(); }
void CameraView::onColortemperaturechanged() { m_color_temperature_changed(); }
void CameraView::onCustomfocuspointchanged() { m_custom_focus_point_changed(); }
void CameraView::onErrorchanged() { m_error_changed(); }

void CameraView::onErroroccurred(QCamera::Error error, QString errorString)
{
    m_error_occurred(static_cast<int>(error), errorString.toStdString());
}

void CameraView::onExposurecompensationchanged(float value) { m_exposure_compensation_changed(value); }
void CameraView::onExposuremodechanged() { m_exposure_mode_changed(); }
void CameraView::onExposuretimechanged(float speed) { m_exposure_time_changed(speed); }
void CameraView::onFlashmodechanged() { m_flash_mode_changed(); }
void CameraView::onFlashready(bool ready) { m_flash_ready(ready); }
void CameraView::onFocusdistancechanged() { m_focus_distance_changed(); }
void CameraView::onFocusmodechanged() { m_focus_mode_changed(); }
void CameraView::onFocuspointchanged() { m_focus_point_changed(); }
void CameraView::onIsosensitivitychanged(int value) { m_iso_sensitivity_changed(value); }
void CameraView::onManualexposuretimechanged(float speed) { m_manual_exposure_time_changed(speed); }
void CameraView::onManualisosensitivitychanged() { m_manual_iso_sensitivity_changed(); }
void CameraView::onMaximumzoomfactorchanged() { m_maximum_zoom_factor_changed(); }
void CameraView::onMinimumzoomfactorchanged() { m_minimum_zoom_factor_changed(); }
void CameraView::onSupportedfeatureschanged() { m_supported_features_changed(); }
void CameraView::onTorchmodechanged() { m_torch_mode_changed(); }
void CameraView::onWhitebalancemodechanged() { m_white_balance_mode_changed(); }
void CameraView::onZoomfactorchanged() { m_zoom_factor_changed(); }

}  // namespace sorvane
