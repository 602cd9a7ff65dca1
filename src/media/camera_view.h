#pragma once

#include <QCamera>
#include <QString>

#include <mutex>
#include <string>

#include "quick/quick_view.h"
#include "runtime/callback_slot.h"

namespace sorvane {

// A view that shows a camera feed. It holds one QCamera at a time, chosen by the host's hint
// among the machine's video inputs; the scene "Camera" of the module "Multimedia" shows it
// through "ctx.camera".
class CameraView : public QuickView {
    Q_OBJECT
    Q_PROPERTY(QCamera* camera READ camera WRITE set_camera NOTIFY cameraChanged)
    Q_PROPERTY(unsigned int fill_mode MEMBER m_fill_mode NOTIFY fill_modeChanged)

public:
    explicit CameraView(QObject* parent = nullptr);
    ~CameraView() override;

    void prepare_context(QQmlContext* context) override;
    void post_setup(QQmlEngine* engine, QObject* root) override;
    void pre_reset() override;

    QCamera* camera() const { return m_camera; }
    void set_camera(QCamera* camera);

    // Replaces the installed camera with `camera` (which the view takes over): the old one is
    // deactivated and deleted later, the new one is connected to the host callbacks but not
    // started.
    void install_camera(QCamera* camera);

    // Stores the hint and emits camera_hintChanged on the calling thread; the device choice
    // then runs on the Qt thread. Safe to call from any thread.
    void set_camera_hint(const QString& hint);
    QString camera_hint() const;

    void set_auto_play(bool auto_play);
    bool auto_play() const { return m_auto_play; }
    unsigned int fill_mode() const { return m_fill_mode; }
    Q_INVOKABLE void set_fill_mode(unsigned int fill_mode);

    // Host callbacks, set directly from the host's threads and fired on the Qt thread.
    CallbackSlot<void()> m_active_changed;
    CallbackSlot<void()> m_camera_device_changed;
    CallbackSlot<void()> m_camera_format_changed;
    CallbackSlot<void()> m_color_temperature_changed;
    CallbackSlot<void()> m_custom_focus_point_changed;
    CallbackSlot<void()> m_error_changed;
    CallbackSlot<void(int, std::string)> m_error_occurred;
    CallbackSlot<void(float)> m_exposure_compensation_changed;
    CallbackSlot<void()> m_exposure_mode_changed;
    CallbackSlot<void(float)> m_exposure_time_changed;
    CallbackSlot<void()> m_flash_mode_changed;
    CallbackSlot<void(bool)> m_flash_ready;
    CallbackSlot<void()> m_focus_distance_changed;
    CallbackSlot<void()> m_focus_mode_changed;
    CallbackSlot<void()> m_focus_point_changed;
    CallbackSlot<void(int)> m_iso_sensitivity_changed;
    CallbackSlot<void(float)> m_manual_exposure_time_changed;
    CallbackSlot<void()> m_manual_iso_sensitivity_changed;
    CallbackSlot<void()> m_maximum_zoom_factor_changed;
    CallbackSlot<void()> m_minimum_zoom_factor_changed;
    CallbackSlot<void()> m_supported_features_changed;
    CallbackSlot<void()> m_torch_mode_changed;
    CallbackSlot<void()> m_white_balance_mode_changed;
    CallbackSlot<void()> m_zoom_factor_changed;

signals:
    void fill_modeChanged();
    void cameraChanged();
    void camera_hintChanged();

public slots:
    // One per camera signal; each only calls its host callback.
    void onActivechanged();
    void onCameradevicechanged();
    void onCameraformatchanged();
    void onColortemperaturechanged();
    void onCustomfocuspointchanged();
    void onErrorchanged();
    void onErroroccurred(QCamera::Error error, QString errorString);
    void onExposurecompensationchanged(float value);
    void onExposuremodechanged();
    void onExposuretimechanged(float speed);
    void onFlashmodechanged();
    void onFlashready(bool ready);
    void onFocusdistancechanged();
    void onFocusmodechanged();
    void onFocuspointchanged();
    void onIsosensitivitychanged(int value);
    void onManualexposuretimechanged(float speed);
    void onManualisosensitivitychanged();
    void onMaximumzoomfactorchanged();
    void onMinimumzoomfactorchanged();
    void onSupportedfeatureschanged();
    void onTorchmodechanged();
    void onWhitebalancemodechanged();
    void onZoomfactorchanged();

    // The device choice: runs on the Qt thread each time the hint is set.
    void onCameraHintChanged();

private:
    void connect_camera(QCamera* camera);

    QCamera* m_camera = nullptr;
    bool m_auto_play = true;
    mutable std::mutex m_hint_mutex;  // the hint is written on host threads, read on the Qt thread
    QString m_camera_hint = QStringLiteral("-1");
    unsigned int m_fill_mode = 1;
};

}  // namespace sorvane
