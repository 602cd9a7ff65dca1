// The camera view. These machines have no camera: the real device path is tested for its
// "no cameras found" answer, the choice rules through the function the view uses, and the
// installation and callback wiring with a real QCamera that has no device behind it.

#include "media/camera_choice.h"
#include "media/camera_view.h"

#include "media_test_support.h"

#include <QCameraDevice>
#include <QMediaDevices>
#include <QPointer>
#include <QQuickItem>

#include <atomic>
#include <map>
#include <mutex>
#include <thread>

using namespace sorvane;
using namespace media_test;
using namespace std::chrono_literals;

namespace {

[[maybe_unused]] const bool g_started = (start_library_in_every_test_process(), true);

using Camera = Hosted<SCameraView, CameraView>;

class CameraTest : public ::testing::Test {
protected:
    void TearDown() override { expect_no_validation_messages(); }
};

const QStringList kTwoInputs = {"Integrated Camera", "USB Video"};

// Installs a real camera without a device, as the device choice would install a found one.
QCamera* install_deviceless_camera(const Camera& camera)
{
    return camera.inside([](CameraView* v) {
        auto* installed = new QCamera(QCameraDevice(), v);
        v->install_camera(installed);
        return installed;
    });
}

}  // namespace

TEST_F(CameraTest, WithoutAnyCameraTheHintReportsNoCamerasFound)
{
    const qsizetype inputs = Camera().inside([](CameraView*) { return QMediaDevices::videoInputs().size(); });
    ASSERT_EQ(inputs, 0) << "this test needs a machine without cameras; this one has " << inputs;

    std::mutex mutex;
    std::vector<std::pair<int, std::string>> errors;
    Camera camera;
    camera.set_func_error_occurred([&](int code, std::string text) {
        std::lock_guard lock(mutex);
        errors.emplace_back(code, text);
    });
    auto count = [&] {
        std::lock_guard lock(mutex);
        return errors.size();
    };

    camera.set_camera_hint("");
    ASSERT_TRUE(wait_until([&] { return count() == 1; }));
    EXPECT_EQ(errors[0], std::make_pair(1, std::string("no cameras found")));
    camera.set_camera_hint("");  // the same hint again runs the choice again
    ASSERT_TRUE(wait_until([&] { return count() == 2; }));
    EXPECT_EQ(camera.inside([](CameraView* v) { return v->camera(); }), nullptr);
}

TEST_F(CameraTest, WithoutACameraEveryOperationAnswersItsDefaultAndTouchesNothing)
{
    Camera camera;
    WarningRecorder warnings;
    camera.start();
    camera.set_active(true);
    camera.set_auto_play(true);
    camera.set_exposure_mode(1);
    camera.set_flash_mode(1);
    camera.set_focus_mode(5);
    camera.set_torch_mode(1);
    camera.set_white_balance_mode(2);
    camera.set_zoom_factor(2.0f);
    camera.zoom_to(2.0f, 1.0f);
    camera.set_color_temperature(5600);
    camera.set_exposure_compensation(1.0f);
    camera.set_focus_distance(0.5f);
    camera.set_manual_exposure_time(0.01f);
    camera.set_auto_exposure_time();
    camera.set_manual_iso_sensitivity(400);
    camera.set_auto_iso_sensitivity();
    camera.set_custom_focus_point({0.5f, 0.5f});
    camera.stop();

    EXPECT_FALSE(camera.get_is_active());
    EXPECT_FALSE(camera.is_available());
    EXPECT_EQ(camera.get_error(), 0);
    EXPECT_EQ(camera.get_error_string(), "");
    EXPECT_EQ(camera.get_color_temperature(), 0);
    EXPECT_EQ(camera.get_exposure_compensation(), 0.0f);
    EXPECT_EQ(camera.get_exposure_mode(), 0);
    EXPECT_FALSE(camera.is_exposure_mode_supported(0));
    EXPECT_EQ(camera.get_exposure_time(), 0.0f);
    EXPECT_EQ(camera.get_manual_exposure_time(), 0.0f);
    EXPECT_EQ(camera.minimum_exposure_time(), 0.0f);
    EXPECT_EQ(camera.maximum_exposure_time(), 0.0f);
    EXPECT_EQ(camera.get_flash_mode(), 0);
    EXPECT_FALSE(camera.is_flash_mode_supported(0));
    EXPECT_FALSE(camera.get_is_flash_ready());
    EXPECT_EQ(camera.get_focus_mode(), 0);
    EXPECT_FALSE(camera.is_focus_mode_supported(0));
    EXPECT_EQ(camera.get_focus_distance(), 0.0f);
    EXPECT_TRUE(camera.get_focus_point().empty());
    EXPECT_TRUE(camera.get_custom_focus_point().empty());
    EXPECT_EQ(camera.get_iso_sensitivity(), 0);
    EXPECT_EQ(camera.get_manual_iso_sensitivity(), 0);
    EXPECT_EQ(camera.minimum_iso_sensitivity(), 0);
    EXPECT_EQ(camera.maximum_iso_sensitivity(), 0);
    EXPECT_EQ(camera.get_torch_mode(), 0);
    EXPECT_FALSE(camera.is_torch_mode_supported(0));
    EXPECT_EQ(camera.get_white_balance_mode(), 0);
    EXPECT_FALSE(camera.is_white_balance_mode_supported(0));
    EXPECT_EQ(camera.get_zoom_factor(), 0.0f);
    EXPECT_EQ(camera.get_minimum_zoom_factor(), 0.0f);
    EXPECT_EQ(camera.get_maximum_zoom_factor(), 0.0f);
    EXPECT_EQ(camera.inside([](CameraView* v) { return v->camera(); }), nullptr);

    EXPECT_EQ(camera.get_supported_features(), 0);
    EXPECT_TRUE(warnings.contains("get_supported_features: not implemented"));

    // The same defaults from a facade whose view is gone, without any warning.
    camera.destroy();
    const auto warnings_before = warnings.messages().size();
    EXPECT_EQ(camera.get_supported_features(), 0);
    EXPECT_EQ(camera.get_fill_mode(), 0u);
    EXPECT_TRUE(camera.get_focus_point().empty());
    camera.set_camera_hint("0");
    camera.set_func_zoom_factor_changed([] {});
    EXPECT_EQ(warnings.messages().size(), warnings_before);
}

TEST_F(CameraTest, TheDeviceChoiceRules)
{
    using media::choose_camera;
    WarningRecorder warnings;
    EXPECT_EQ(choose_camera({}, ""), -1);
    EXPECT_EQ(choose_camera(kTwoInputs, ""), 0);
    EXPECT_EQ(choose_camera(kTwoInputs, "-1"), 0);
    EXPECT_EQ(choose_camera(kTwoInputs, "0"), 0);
    EXPECT_EQ(choose_camera(kTwoInputs, "1"), 1);
    EXPECT_TRUE(warnings.messages().isEmpty());

    EXPECT_EQ(choose_camera(kTwoInputs, "2"), 0);
    ASSERT_EQ(warnings.messages().size(), 1);
    EXPECT_TRUE(warnings.messages()[0].contains("index 2")) << warnings.messages()[0].toStdString();
    EXPECT_TRUE(warnings.messages()[0].contains("available: 2")) << warnings.messages()[0].toStdString();

    EXPECT_EQ(choose_camera(kTwoInputs, "-5"), 0);
    EXPECT_EQ(choose_camera(kTwoInputs, "-01"), 0);  // -1 written otherwise is an index out of range
    EXPECT_EQ(warnings.messages().size(), 3);

    EXPECT_EQ(choose_camera(kTwoInputs, "usb"), 1);
    EXPECT_EQ(choose_camera(kTwoInputs, "usb"), 1);  // the same hint twice chooses the same input
    EXPECT_EQ(choose_camera(kTwoInputs, "CAMERA"), 0);
    EXPECT_EQ(choose_camera(kTwoInputs, "video"), 1);
    EXPECT_EQ(warnings.messages().size(), 3);

    EXPECT_EQ(choose_camera(kTwoInputs, "webcam"), 0);
    ASSERT_EQ(warnings.messages().size(), 4);
    EXPECT_EQ(warnings.messages()[3], "Could not find camera by hint:  \"webcam\" , setting default");
}

TEST_F(CameraTest, InstallingReplacesTheCameraAndItsSignalsReachTheCallbacks)
{
    std::mutex mutex;
    std::map<std::string, std::string> seen;  // callback -> its argument as text
    auto note = [&](const char* name, std::string argument = {}) {
        std::lock_guard lock(mutex);
        seen[name] = argument;
    };
    Camera camera;
    camera.set_func_active_changed([&] { note("active"); });
    camera.set_func_camera_device_changed([&] { note("camera_device"); });
    camera.set_func_camera_format_changed([&] { note("camera_format"); });
    camera.set_func_color_temperature_changed([&] { note("color_temperature"); });
    camera.set_func_custom_focus_point_changed([&] { note("custom_focus_point"); });
    camera.set_func_error_changed([&] { note("error_changed"); });
    camera.set_func_error_occurred([&](int code, std::string text) { note("error_occurred", std::to_string(code) + " " + text); });
    camera.set_func_exposure_compensation_changed([&](float v) { note("exposure_compensation", std::to_string(v)); });
    camera.set_func_exposure_mode_changed([&] { note("exposure_mode"); });
    camera.set_func_exposure_time_changed([&](float v) { note("exposure_time", std::to_string(v)); });
    camera.set_func_flash_mode_changed([&] { note("flash_mode"); });
    camera.set_func_flash_ready([&](bool ready) { note("flash_ready", ready ? "true" : "false"); });
    camera.set_func_focus_distance_changed([&] { note("focus_distance"); });
    camera.set_func_focus_mode_changed([&] { note("focus_mode"); });
    camera.set_func_focus_point_changed([&] { note("focus_point"); });
    camera.set_func_iso_sensitivity_changed([&](int v) { note("iso_sensitivity", std::to_string(v)); });
    camera.set_func_manual_exposure_time_changed([&](float v) { note("manual_exposure_time", std::to_string(v)); });
    camera.set_func_manual_iso_sensitivity_changed([&] { note("manual_iso_sensitivity"); });
    camera.set_func_maximum_zoom_factor_changed([&] { note("maximum_zoom_factor"); });
    camera.set_func_minimum_zoom_factor_changed([&] { note("minimum_zoom_factor"); });
    camera.set_func_supported_features_changed([&] { note("supported_features"); });
    camera.set_func_torch_mode_changed([&] { note("torch_mode"); });
    camera.set_func_white_balance_mode_changed([&] { note("white_balance_mode"); });
    camera.set_func_zoom_factor_changed([&] { note("zoom_factor"); });

    auto camera_changes = std::make_shared<std::atomic<int>>(0);
    camera.inside([camera_changes](CameraView* v) {
        QObject::connect(v, &CameraView::cameraChanged, v, [camera_changes] { ++*camera_changes; });
        return 0;
    });
    QCamera* first = install_deviceless_camera(camera);
    EXPECT_EQ(camera_changes->load(), 1);
    EXPECT_EQ(camera.inside([](CameraView* v) { return v->camera(); }), first);
    EXPECT_EQ(camera.get_zoom_factor(), camera.inside([first](CameraView*) { return first->zoomFactor(); }));
    EXPECT_EQ(camera.get_focus_point().size(), 2u);

    // Every camera signal reaches its callback, with its argument.
    camera.inside([first](CameraView*) {
        emit first->activeChanged(true);
        emit first->cameraDeviceChanged();
        emit first->cameraFormatChanged();
        emit first->colorTemperatureChanged();
        emit first->customFocusPointChanged();
        emit first->errorChanged();
        emit first->errorOccurred(QCamera::CameraError, "broken");
        emit first->exposureCompensationChanged(1.5f);
        emit first->exposureModeChanged();
        emit first->exposureTimeChanged(0.25f);
        emit first->flashModeChanged();
        emit first->flashReady(true);
        emit first->focusDistanceChanged(0.5f);
        emit first->focusModeChanged();
        emit first->focusPointChanged();
        emit first->isoSensitivityChanged(800);
        emit first->manualExposureTimeChanged(0.125f);
        emit first->manualIsoSensitivityChanged(100);
        emit first->maximumZoomFactorChanged(4.0f);
        emit first->minimumZoomFactorChanged(1.0f);
        emit first->supportedFeaturesChanged();
        emit first->torchModeChanged();
        emit first->whiteBalanceModeChanged();
        emit first->zoomFactorChanged(2.0f);
        return 0;
    });
    std::map<std::string, std::string> expected = {
        {"active", ""}, {"camera_device", ""}, {"camera_format", ""}, {"color_temperature", ""},
        {"custom_focus_point", ""}, {"error_changed", ""}, {"error_occurred", "1 broken"},
        {"exposure_compensation", "1.500000"}, {"exposure_mode", ""}, {"exposure_time", "0.250000"},
        {"flash_mode", ""}, {"flash_ready", "true"}, {"focus_distance", ""}, {"focus_mode", ""},
        {"focus_point", ""}, {"iso_sensitivity", "800"}, {"manual_exposure_time", "0.125000"},
        {"manual_iso_sensitivity", ""}, {"maximum_zoom_factor", ""}, {"minimum_zoom_factor", ""},
        {"supported_features", ""}, {"torch_mode", ""}, {"white_balance_mode", ""}, {"zoom_factor", ""},
    };
    {
        std::lock_guard lock(mutex);
        EXPECT_EQ(seen, expected);
        seen.clear();
    }

    // A focus point needs two elements; a shorter one is refused with a warning.
    {
        WarningRecorder warnings;
        const std::vector<float> before = camera.get_custom_focus_point();
        camera.set_custom_focus_point({0.25f});
        EXPECT_EQ(camera.get_custom_focus_point(), before);
        EXPECT_TRUE(warnings.contains("set_custom_focus_point: needs two elements"));
    }

    // A second camera replaces the first, which is let go and deleted.
    QPointer<QCamera> old = first;
    QCamera* second = install_deviceless_camera(camera);
    EXPECT_NE(second, first);
    EXPECT_EQ(camera_changes->load(), 3);  // cleared, then the new one
    ASSERT_TRUE(wait_until([&] { return camera.inside([&old](CameraView*) { return old.isNull(); }); }));
    camera.inside([second](CameraView*) {
        emit second->zoomFactorChanged(3.0f);
        return 0;
    });
    std::lock_guard lock(mutex);
    EXPECT_EQ(seen, (std::map<std::string, std::string>{{"zoom_factor", ""}}));
}

TEST_F(CameraTest, TheSceneShowsTheViewsCameraAndASceneResetKeepsIt)
{
    Camera camera;
    camera.set_resolution({320, 256});
    QCamera* installed = install_deviceless_camera(camera);
    ASSERT_TRUE(camera.load("Multimedia", "Camera"));
    const QImage image = camera.frame();
    EXPECT_EQ(count_near(image, image.rect(), qRgb(0, 0, 0), 2), image.width() * image.height());

    auto scene_fill_mode = [&] {
        return camera.inside([](CameraView* v) {
            return v->root_item()->findChild<QObject*>("videoOutput")->property("fillMode").toInt();
        });
    };
    EXPECT_EQ(scene_fill_mode(), 1);
    camera.set_fill_mode(2);
    EXPECT_EQ(camera.get_fill_mode(), 2u);
    EXPECT_EQ(scene_fill_mode(), 2);
    camera.set_fill_mode(7);
    EXPECT_EQ(camera.get_fill_mode(), 0u);
    EXPECT_EQ(scene_fill_mode(), 0);
    camera.set_fill_mode(4294967295u);
    EXPECT_EQ(camera.get_fill_mode(), 4294967295u);
    EXPECT_EQ(scene_fill_mode(), 1);

    camera.reset();
    EXPECT_EQ(camera.get_texture(), 0ul);
    EXPECT_FALSE(camera.get_is_active());
    EXPECT_EQ(camera.inside([](CameraView* v) { return v->camera(); }), installed);
    ASSERT_TRUE(camera.load("Multimedia", "Camera"));
}
