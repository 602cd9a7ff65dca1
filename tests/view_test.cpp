// Views on the stand-in host's Vulkan device: configuration rules, loading, pixels read back
// through the texture's VkImage, and input. The validation layer watches every test.

#include <sorvane/sorvane.h>

#include "media/camera_view.h"
#include "media/screen_capture_view.h"
#include "media/video_view.h"
#include "quick/scene_files.h"
#include "runtime/carry.h"
#include "runtime/runtime_state.h"
#include "web/godot_scheme_handler.h"
#include "web/web_view.h"
#include "view/view.h"

#include "standin_host/hand_over.h"
#include "standin_host/vulkan_host.h"
#include "message_capture.h"
#include "test_host.h"

#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QQuickItem>
#include <QQuickRenderControl>
#include <QQuickWindow>
#include <QTemporaryDir>
#include <QtGlobal>

#include <sys/stat.h>

#include <mutex>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

using namespace sorvane;
using namespace std::chrono_literals;

namespace {

class Environment : public ::testing::Environment {
public:
    void SetUp() override { test_host::start(); }
};

const auto* const g_environment = ::testing::AddGlobalTestEnvironment(new Environment);

// A facade with access to its Qt-side view, for checks that need the inside.
class TestView : public SQuickView {
public:
    TestView()
    {
        standin::hand_over(test_host::host(), *this);
        set_refresh_rate(120);
    }
    ~TestView() { destroy(); }
    View* qt() const { return m_view; }

    // Runs `work` on the Qt thread with the view and returns its result.
    template <typename F>
    auto inside(F work) const
    {
        return carry::waited(m_view, work);
    }

    // Renders one frame now (waits past the frame interval first) and reads it back.
    QImage frame() const
    {
        std::this_thread::sleep_for(12ms);
        render();
        const auto [width, height] = inside([](View* v) {
            auto* root = qobject_cast<QQuickItem*>(v->root_item());
            return std::pair<int, int>(qRound(root->width()), qRound(root->height()));
        });
        return test_host::host().read_back(get_texture(), width, height);
    }
};

bool near(QRgb pixel, QRgb expected)
{
    auto close = [](int a, int b) { return std::abs(a - b) <= 3; };
    return close(qRed(pixel), qRed(expected)) && close(qGreen(pixel), qGreen(expected)) &&
           close(qBlue(pixel), qBlue(expected)) && close(qAlpha(pixel), qAlpha(expected));
}

int count_pixels(const QImage& image, QRect area, QRgb colour)
{
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            n += near(image.pixel(x, y), colour);
    return n;
}

// Records the input events that reach a view's window.
class EventRecorder : public QObject {
public:
    struct Seen {
        QEvent::Type type;
        Qt::MouseButtons buttons;
        Qt::KeyboardModifiers modifiers;
        QString text;
    };
    std::vector<Seen> seen;

    bool eventFilter(QObject*, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::MouseMove:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease: {
            auto* e = static_cast<QMouseEvent*>(event);
            seen.push_back({e->type(), e->buttons(), e->modifiers(), {}});
            break;
        }
        case QEvent::KeyPress:
        case QEvent::KeyRelease: {
            auto* e = static_cast<QKeyEvent*>(event);
            seen.push_back({e->type(), {}, e->modifiers(), e->text()});
            break;
        }
        default:
            break;
        }
        return false;
    }
};

class ViewTest : public ::testing::Test {
protected:
    void TearDown() override { test_host::expect_no_validation_messages(); }
};

}  // namespace

TEST_F(ViewTest, ResolutionAndRefreshRateRules)
{
    TestView view;
    EXPECT_EQ(view.get_resolution(), std::make_tuple(1920u, 1080u));
    view.set_resolution({255, 1080});
    EXPECT_EQ(view.get_resolution(), std::make_tuple(1920u, 1080u));
    view.set_resolution({1024, 255});
    EXPECT_EQ(view.get_resolution(), std::make_tuple(1920u, 1080u));
    view.set_resolution({256, 256});
    EXPECT_EQ(view.get_resolution(), std::make_tuple(256u, 256u));

    const std::pair<int, std::int64_t> rates[] = {{60, 16}, {59, 16}, {58, 16}, {57, 18}, {120, 8},
                                                  {30, 33}, {1, 1000}, {500, 8}};
    for (const auto& [rate, interval] : rates) {
        view.set_refresh_rate(rate);
        EXPECT_EQ(view.inside([](View* v) { return v->frame_interval_ms(); }), interval) << rate;
    }
    view.set_refresh_rate(0);  // refused: the interval stays
    EXPECT_EQ(view.inside([](View* v) { return v->frame_interval_ms(); }), 8);
    view.set_refresh_rate(60);
    EXPECT_EQ(view.get_refresh_rate(), 63);  // the rate the 16 ms interval gives
}

TEST_F(ViewTest, AGoneViewAnswersDefaultsAtOnce)
{
    TestView view;
    view.destroy();
    view.destroy();
    EXPECT_EQ(view.get_resolution(), std::make_tuple(0u, 0u));
    EXPECT_EQ(view.get_refresh_rate(), 60);
    EXPECT_EQ(view.get_mips_count(), 1);
    EXPECT_EQ(view.get_texture(), 0ul);
    EXPECT_FALSE(view.load("TestScenes", "Colors"));
    standin::hand_over(test_host::host(), view);
    view.render();
    view.mouse_click(0, 0, 1, 1);
}

// A facade is a plain value: after one copy destroyed the view, every call through another copy
// warns and answers its default, whatever kind of carrying the call uses.
TEST_F(ViewTest, CopiesOfADestroyedFacadeWarnAndNeverTouchTheView)
{
    MessageCapture messages;
    {
        SQuickView quick;
        standin::hand_over(test_host::host(), quick);
        quick.set_resolution({256, 256});
        ASSERT_TRUE(quick.load("TestScenes", "Colors"));
        SQuickView copy = quick;
        quick.destroy();
        copy.render();                                   // blocking
        EXPECT_EQ(copy.get_texture(), 0ul);              // waited
        copy.mouse_wheel_up(1, 1);                       // posted
        copy.key_event(Qt::Key_A, 0, "a");
        copy.set_resolution({300, 300});
        EXPECT_EQ(copy.get_resolution(), std::make_tuple(0u, 0u));
        EXPECT_FALSE(copy.load("TestScenes", "Colors"));
        copy.reset();
        copy.destroy();
        copy.destroy();
    }
    EXPECT_TRUE(messages.contains("destroyed through another copy"));
    {
        // Direct operations run on the caller's thread: they too must find the view gone.
        SVideoPlayerView video;
        SVideoPlayerView copy = video;
        video.destroy();
        copy.set_func_on_playing_changed([](bool) {});
        copy.set_source("file:///nowhere.mp4");
        copy.reset();
        EXPECT_EQ(copy.get_duration(), 0);
        copy.destroy();
    }
    {
        SCameraView camera;
        SCameraView copy = camera;
        camera.destroy();
        copy.set_camera_hint("0");
        copy.set_func_active_changed([] {});
        EXPECT_FALSE(copy.get_is_active());
    }
    {
        SScreenCaptureView capture;
        SScreenCaptureView copy = capture;
        capture.destroy();
        copy.set_physical_screen("0");
        copy.set_active(true);
    }
    {
        SWebView web;
        SWebView copy = web;
        web.destroy();
        EXPECT_EQ(copy.webchannel_getObject("anything"), nullptr);
        EXPECT_FALSE(copy.webchannel_deregisterObject("anything"));
        copy.set_url("about:blank");
        EXPECT_EQ(copy.get_url(), "");
    }
}

// One host thread keeps calling through a copy while another destroys the view.
TEST_F(ViewTest, DestroyingWhileAnotherThreadCallsThroughACopyIsSafe)
{
    for (int round = 0; round < 5; ++round) {
        SVideoPlayerView video;
        SVideoPlayerView copy = video;
        std::atomic<bool> go{false};
        std::thread caller([&] {
            while (!go.load())
                std::this_thread::yield();
            for (int i = 0; i < 300; ++i) {
                copy.set_func_on_volume_changed([](float) {});
                copy.set_muted(i % 2 == 0);
                (void)copy.get_refresh_rate();
            }
        });
        go = true;
        std::this_thread::sleep_for(std::chrono::milliseconds(round));
        video.destroy();
        caller.join();
    }
}

TEST_F(ViewTest, ASizeBeyondTheDevicesLimitsFailsTheLoadWithAWarning)
{
    MessageCapture messages;
    TestView view;
    view.set_resolution({20000, 20000});
    EXPECT_FALSE(view.load("TestScenes", "Colors"));
    EXPECT_TRUE(messages.contains("maxImageDimension2D")) << "the warning names the limit";
    EXPECT_EQ(view.get_texture(), 0ul);
    // The view stays usable at a size the device can hold.
    view.set_resolution({256, 256});
    ASSERT_TRUE(view.load("TestScenes", "Colors"));
    EXPECT_TRUE(near(view.frame().pixel(10, 10), qRgba(255, 0, 0, 255)));
}

TEST_F(ViewTest, AFrameShowsTheSceneAndAPropertyChangeShowsInTheNext)
{
    TestView view;
    EXPECT_EQ(view.get_mips_count(), 1);
    ASSERT_TRUE(view.load("TestScenes", "Colors"));
    EXPECT_NE(view.get_texture(), 0ul);
    EXPECT_EQ(view.get_mips_count(), 11);

    const QImage first = view.frame();
    ASSERT_EQ(first.size(), QSize(1920, 1080));
    EXPECT_TRUE(near(first.pixel(10, 10), qRgba(255, 0, 0, 255)));
    EXPECT_TRUE(near(first.pixel(1900, 1070), qRgba(0, 0, 255, 255)));
    EXPECT_TRUE(near(first.pixel(250, 250), qRgba(0, 255, 0, 255)));
    EXPECT_TRUE(near(first.pixel(199, 199), qRgba(255, 0, 0, 255)));

    view.inside([](View* v) { v->root_item()->setProperty("accent", QColor("#ffffff")); return 0; });
    const QImage second = view.frame();
    EXPECT_TRUE(near(second.pixel(250, 250), qRgba(255, 255, 255, 255)));
    EXPECT_NE(first, second);
}

TEST_F(ViewTest, TheFrameStepIsThrottled)
{
    TestView view;
    view.set_refresh_rate(2);  // 500 ms between frames: wide enough for a busy machine
    ASSERT_TRUE(view.load("TestScenes", "Colors"));
    auto frames = std::make_shared<std::atomic<int>>(0);
    view.inside([frames](View* v) {
        QObject::connect(v->window(), &QQuickWindow::afterRendering, v, [frames] { ++*frames; });
        return 0;
    });
    // Each frame here has a change to show: a still scene would render nothing at all.
    auto change = [&view](const char* colour) {
        view.inside([colour](View* v) { v->root_item()->setProperty("accent", QColor(colour)); return 0; });
    };
    std::this_thread::sleep_for(510ms);
    change("#ffffff");
    view.render();
    std::this_thread::sleep_for(1ms);
    change("#000000");
    view.render();
    EXPECT_EQ(frames->load(), 1);
    std::this_thread::sleep_for(510ms);
    view.render();
    EXPECT_EQ(frames->load(), 2);

    view.reset();  // a reset view renders nothing and has released its texture
    std::this_thread::sleep_for(510ms);
    view.render();
    EXPECT_EQ(frames->load(), 2);
    EXPECT_EQ(view.get_texture(), 0ul);
}

// A still scene is rendered once and then not again; each kind of change shows in the first
// frame after it, and only the frames that have something to show are rendered.
TEST_F(ViewTest, OnlyFramesWithAChangeAreRendered)
{
    TestView view;
    ASSERT_TRUE(view.load("TestScenes", "Changes"));
    auto rendered = [&view] { return view.inside([](View* v) { return v->frames_rendered(); }); };
    const QImage first = view.frame();
    EXPECT_TRUE(near(first.pixel(50, 50), qRgba(64, 64, 64, 255)));
    const auto still = rendered();
    for (int i = 0; i < 5; ++i)
        view.frame();
    EXPECT_EQ(rendered(), still);

    // Hover: the first frame after the move shows it.
    view.mouse_move(50, 50);
    EXPECT_TRUE(near(view.frame().pixel(50, 50), qRgba(255, 255, 255, 255)));
    const auto hovered = rendered();
    EXPECT_GT(hovered, still);
    view.frame();
    EXPECT_EQ(rendered(), hovered);

    // A property set by the engine, then an animation: every frame while it runs.
    view.inside([](View* v) { v->root_item()->setProperty("animating", true); return 0; });
    int previous_x = -1;
    for (int i = 0; i < 4; ++i) {
        std::this_thread::sleep_for(40ms);
        const QImage image = view.frame();
        int x = -1;
        for (int px = 0; px < image.width() && x < 0; ++px)
            if (near(image.pixel(px, 525), qRgba(0, 255, 0, 255)))
                x = px;
        EXPECT_GT(x, previous_x) << "frame " << i;
        previous_x = x;
    }
    EXPECT_GE(rendered(), hovered + 4);
    view.inside([](View* v) { v->root_item()->setProperty("animating", false); return 0; });
    view.frame();
    const auto stopped = rendered();
    view.frame();
    view.frame();
    EXPECT_EQ(rendered(), stopped);

    // A setting that changes the picture renders one frame.
    view.set_mipmaps_enabled(true);
    view.frame();
    EXPECT_EQ(rendered(), stopped + 1);
    view.frame();
    EXPECT_EQ(rendered(), stopped + 1);
}

TEST_F(ViewTest, SceneSizingAndRootRules)
{
    TestView fixed;
    ASSERT_TRUE(fixed.load("TestScenes", "FixedSize"));
    const QImage image = fixed.frame();
    EXPECT_EQ(image.size(), QSize(640, 360));
    EXPECT_TRUE(near(image.pixel(639, 359), qRgba(255, 255, 0, 255)));

    TestView window;
    EXPECT_FALSE(window.load("TestScenes", "WindowRoot"));
    EXPECT_EQ(window.inside([](View* v) { return v->root_item(); }), nullptr);
    EXPECT_EQ(window.get_texture(), 0ul);

    MessageCapture messages;
    TestView missing;
    EXPECT_FALSE(missing.load("TestScenes", "NoSuchScene"));
    EXPECT_TRUE(messages.contains("read failure"));

    TestView web;
    EXPECT_FALSE(web.load("Web", "Webview"));
    EXPECT_TRUE(messages.contains("cannot load component by module name Web"));
}

TEST_F(ViewTest, LoadingALoadedViewReplacesItsPipelineAndTexture)
{
    TestView view;
    ASSERT_TRUE(view.load("TestScenes", "Colors"));
    ASSERT_TRUE(view.load("TestScenes", "FixedSize"));
    EXPECT_NE(view.get_texture(), 0ul);
    EXPECT_EQ(view.frame().size(), QSize(640, 360));
    // One render control belongs to the view: the old pipeline is gone, not built over.
    EXPECT_EQ(view.inside([](View* v) {
        return static_cast<int>(v->findChildren<QQuickRenderControl*>(Qt::FindDirectChildrenOnly).size());
    }), 1);
}

TEST_F(ViewTest, SceneFilesAreWrittenPrivatelyAtOnePathAndRemovedAfterLoading)
{
    // Other test programs write to the same temporary directory at the same time, so watch the
    // scene's own path rather than counting files.
    TestView a, b;
    ASSERT_TRUE(a.load("TestScenes", "Colors"));
    const QString path = a.inside([](View*) { return register_scene("TestScenes", "Colors"); });
    ASSERT_TRUE(QFile::exists(path));
    ASSERT_TRUE(b.load("TestScenes", "Colors"));  // registered once, written again at the same path
    std::this_thread::sleep_for(50ms);
    b.get_refresh_rate();  // the deletion runs on the next pass of the Qt event loop
    EXPECT_FALSE(QFile::exists(path));
}

TEST_F(ViewTest, ClicksAndTypedTextReachTheScene)
{
    TestView view;
    ASSERT_TRUE(view.load("TestScenes", "Interactive"));
    const QImage before = view.frame();
    EXPECT_EQ(count_pixels(before, QRect(480, 280, 40, 40), qRgba(255, 255, 255, 255)), 0);

    view.mouse_click(0, 0, 500, 300);
    view.mouse_click(0, 1, 500, 300);
    const QImage clicked = view.frame();
    EXPECT_TRUE(near(clicked.pixel(500, 300), qRgba(255, 255, 255, 255)));
    EXPECT_TRUE(near(clicked.pixel(100, 100), qRgba(0, 0, 0, 255)));

    // Only the text cursor is in the input band before typing.
    const int white_before = count_pixels(clicked, QRect(0, 600, 600, 200), qRgba(255, 255, 255, 255));
    for (const char* key : {"H", "i"}) {
        view.key_event(static_cast<unsigned>(QKeySequence(key)[0].key()), 0, key);
        view.key_event(static_cast<unsigned>(QKeySequence(key)[0].key()), 1, key);
    }
    const QString typed = view.inside([](View* v) {
        return v->root_item()->findChild<QObject*>("input")->property("text").toString();
    });
    EXPECT_EQ(typed, "Hi");
    EXPECT_GT(count_pixels(view.frame(), QRect(0, 600, 600, 200), qRgba(255, 255, 255, 255)),
              white_before + 500);
}

// Text composed through an input method reaches the focused text field: the composition is
// shown without being the field's text yet, the committed text becomes its text, and the text
// cursor is reported where the field is, in scene pixels.
TEST_F(ViewTest, InputMethodTextReachesTheFocusedTextField)
{
    TestView view;
    ASSERT_TRUE(view.load("TestScenes", "Interactive"));
    auto field = [&view](const char* property) {
        return view.inside([property](View* v) {
            return v->root_item()->findChild<QObject*>("input")->property(property).toString();
        });
    };
    const QRect band(0, 600, 1000, 200);
    const QImage empty = view.frame();
    const auto [x0, y0, w0, h0] = view.get_ime_rect();
    EXPECT_TRUE(band.contains(QRect(x0, y0, std::max(w0, 1), h0))) << x0 << "," << y0 << " " << w0 << "x" << h0;
    EXPECT_GT(h0, 60);  // the field's font is 120 pixels high

    view.ime_event("にほん", 3, "");
    EXPECT_EQ(field("preeditText"), QString::fromUtf8("にほん"));
    EXPECT_EQ(field("text"), "");
    EXPECT_GT(count_pixels(view.frame(), band, qRgba(255, 255, 255, 255)),
              count_pixels(empty, band, qRgba(255, 255, 255, 255)) + 500);
    const int x_composing = std::get<0>(view.get_ime_rect());
    EXPECT_GT(x_composing, x0 + 100);  // the cursor at the end of three wide characters
    view.ime_event("にほん", 0, "");
    EXPECT_LT(std::get<0>(view.get_ime_rect()), x_composing);

    // A commit replaces the composition; a commit with a composition keeps composing after it.
    view.ime_event("", 0, "日本");
    EXPECT_EQ(field("text"), QString::fromUtf8("日本"));
    EXPECT_EQ(field("preeditText"), "");
    view.ime_event("ご", 1, "語");
    EXPECT_EQ(field("text"), QString::fromUtf8("日本語"));
    EXPECT_EQ(field("preeditText"), QString::fromUtf8("ご"));
    view.ime_event("", 0, "");
    EXPECT_EQ(field("text"), QString::fromUtf8("日本語"));
    EXPECT_EQ(field("preeditText"), "");
    // Characters outside the basic plane count as one, and keys still type after composing.
    view.ime_event("𠀋x", 1, "");
    EXPECT_EQ(field("preeditText"), QString::fromUtf8("𠀋x"));
    view.ime_event("", 0, "𠀋");
    view.key_event(Qt::Key_A, 0, "a");
    view.key_event(Qt::Key_A, 1, "a");
    EXPECT_EQ(field("text"), QString::fromUtf8("日本語𠀋a"));

    // Nothing that takes text has focus: no rectangle, and a composition goes nowhere.
    TestView colours;
    ASSERT_TRUE(colours.load("TestScenes", "Colors"));
    EXPECT_EQ(colours.get_ime_rect(), std::make_tuple(0, 0, 0, 0));
    colours.ime_event("x", 1, "y");
    colours.destroy();
    EXPECT_EQ(colours.get_ime_rect(), std::make_tuple(0, 0, 0, 0));
    colours.ime_event("x", 1, "y");
}

TEST_F(ViewTest, InputEventsCarryTheViewsButtonAndModifierState)
{
    TestView view;
    ASSERT_TRUE(view.load("TestScenes", "Colors"));
    auto* recorder = view.inside([](View* v) {
        auto* r = new EventRecorder;
        r->setParent(v);
        v->window()->installEventFilter(r);
        return r;
    });
    auto seen = [&] { return view.inside([recorder](View*) { return recorder->seen; }); };

    view.mouse_move(0, 0);  // the last position starts at (0, 0): nothing is sent
    view.mouse_move(5, 5);
    view.mouse_move(5, 5);  // the same again: nothing
    ASSERT_EQ(seen().size(), 1u);

    view.mouse_click(0, 0, 10, 10);
    view.mouse_move(20, 20);
    view.mouse_click(0, 1, 20, 20);
    view.mouse_move(30, 30);
    view.mouse_click(5, 0, 1, 1);  // no such button
    view.mouse_click(0, 2, 1, 1);  // no such state
    auto events = seen();
    ASSERT_EQ(events.size(), 5u);
    EXPECT_EQ(events[1].type, QEvent::MouseButtonPress);
    EXPECT_EQ(events[1].buttons, Qt::LeftButton);
    EXPECT_EQ(events[2].buttons, Qt::LeftButton);  // the move while held
    EXPECT_EQ(events[3].buttons, Qt::NoButton);    // the release no longer holds it
    EXPECT_EQ(events[4].buttons, Qt::NoButton);
    EXPECT_EQ(view.inside([](View* v) { return v->buttons(); }), Qt::NoButton);

    view.key_event(Qt::Key_C, 0, "Ctrl+c");
    view.mouse_move(40, 40);
    view.key_event(Qt::Key_Plus, 0, "+");
    view.key_event(Qt::Key_C, 1, "c");
    view.key_event(Qt::Key_A, 0, "Ctrl+Shift+a");
    events = seen();
    ASSERT_EQ(events.size(), 10u);
    EXPECT_EQ(events[5].modifiers, Qt::ControlModifier);
    EXPECT_EQ(events[5].text, "c");
    EXPECT_EQ(events[6].modifiers, Qt::ControlModifier);  // a move carries the modifier
    EXPECT_EQ(events[7].text, "+");                      // a lone plus is plain text
    EXPECT_EQ(events[7].modifiers, Qt::ControlModifier);
    EXPECT_EQ(events[8].modifiers, Qt::NoModifier);  // any release clears it
    EXPECT_EQ(events[9].modifiers, Qt::ControlModifier);
    EXPECT_EQ(events[9].text, "Shift+a");  // only one prefix comes off
}

TEST_F(ViewTest, ConsoleMessagesReachTheHostWhichMayCallBackInline)
{
    TestView view;
    struct Message {
        int level = 0;
        std::string text;
        int line = 0;
        std::string source;
        int rate_asked_inside = 0;
    };
    auto received = std::make_shared<Message>();
    auto done = std::make_shared<std::atomic<bool>>(false);
    view.set_func_javascript_console_log([&view, received, done](int level, std::string text, int line,
                                                                 std::string source) {
        // A host callback runs on the Qt thread; a waited call from here must not deadlock.
        *received = {level, text, line, source, view.get_refresh_rate()};
        *done = true;
    });
    ASSERT_TRUE(view.load("TestScenes", "Interactive"));
    for (int i = 0; i < 200 && !*done; ++i)
        std::this_thread::sleep_for(10ms);
    ASSERT_TRUE(*done);
    EXPECT_EQ(received->level, 2);
    EXPECT_EQ(received->text, "scene ready");
    EXPECT_EQ(received->line, 42);
    EXPECT_EQ(received->source, "qrc:/interactive");
    EXPECT_EQ(received->rate_asked_inside, 125);
}

TEST_F(ViewTest, SceneFilesAreOwnerOnlyAndRegisteredOnce)
{
    TestView view;
    const auto [first, second] = view.inside([](View*) {
        return std::pair<QString, QString>(register_scene("TestScenes", "FixedSize"),
                                           register_scene("TestScenes", "FixedSize"));
    });
    ASSERT_FALSE(first.isEmpty());
    EXPECT_EQ(first, second);  // the same path every time
    struct stat info {};
    ASSERT_EQ(::stat(first.toLocal8Bit().constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    QFile file(first);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().contains("color: \"#ffff00\""));
    file.close();
    QFile::remove(first);

    const QByteArray text = "import QtQuick\nItem {}\n";
    EXPECT_EQ(xor_cipher(xor_cipher(text, scene_key()), scene_key()), text);
    EXPECT_NE(xor_cipher(text, scene_key()), text);
}

TEST_F(ViewTest, EachFacadeCreatesItsOwnKindOfView)
{
    auto kind = [](const SView& facade) {
        struct Peek : SView {
            static View* of(const SView& f) { return static_cast<const Peek&>(f).m_view; }
        };
        View* v = Peek::of(facade);
        return carry::waited(v, [](View* view) { return QString(view->metaObject()->className()); });
    };
    SQuickView quick;
    SWebView web;
    SVideoPlayerView video;
    SCameraView camera;
    SScreenCaptureView capture;
    EXPECT_EQ(kind(quick), "sorvane::QuickView");
    EXPECT_EQ(kind(web), "sorvane::WebView");
    EXPECT_EQ(kind(video), "sorvane::VideoView");
    EXPECT_EQ(kind(camera), "sorvane::CameraView");
    EXPECT_EQ(kind(capture), "sorvane::ScreenCaptureView");
    for (SView* facade : std::initializer_list<SView*>{&quick, &web, &video, &camera, &capture})
        facade->destroy();
}

TEST_F(ViewTest, DebugMouseShowsHeldButtonsAndTheCrosshair)
{
    TestView view;
    ASSERT_TRUE(view.load("Debug", "DebugMouse"));
    const QRgb green = qRgba(0, 255, 0, 255), red = qRgba(255, 0, 0, 255);
    view.mouse_move(700, 500);
    view.mouse_click(1, 0, 700, 500);  // right button held
    QImage image = view.frame();
    EXPECT_TRUE(near(image.pixel(60, 20), green));     // R box
    EXPECT_FALSE(near(image.pixel(20, 20), green));    // L box
    EXPECT_TRUE(near(image.pixel(700, 900), red));     // the crosshair's column
    EXPECT_TRUE(near(image.pixel(1500, 500), red));    // and its row
    view.mouse_click(1, 1, 700, 500);
    image = view.frame();
    EXPECT_FALSE(near(image.pixel(60, 20), green));
}

// A game's own scene from its files: the main file uses a component beside it, one from a
// sub-folder it imports, and an image of that folder; its errors and its warnings at run time
// reach the console callback with the file and the line.
TEST_F(ViewTest, AGamesSceneLoadsFromItsFolderAndReportsItsErrorsWithFileAndLine)
{
    QTemporaryDir game;
    ASSERT_TRUE(game.isValid());
    auto write = [&game](const QString& name, const QByteArray& text) {
        QDir(game.path()).mkpath(QFileInfo(name).path());
        QFile file(game.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
    };
    write("ui/hud.qml", "import QtQuick\nimport \"widgets\"\n"
                        "Rectangle { width: 512; height: 256; color: \"#0000ff\"\n"
                        "  Panel { x: 0; y: 0 }\n  Badge { x: 256; y: 0 }\n}\n");
    write("ui/Panel.qml", "import QtQuick\nRectangle { width: 128; height: 128; color: \"#00ff00\" }\n");
    write("ui/widgets/Badge.qml", "import QtQuick\nImage { width: 128; height: 128; source: Qt.resolvedUrl(\"badge.png\") }\n");
    QImage badge(16, 16, QImage::Format_RGB32);
    badge.fill(QColor(255, 0, 0));
    ASSERT_TRUE(badge.save(game.filePath("ui/widgets/badge.png")));

    struct Message {
        int level;
        std::string text;
        int line;
        std::string source;
    };
    auto messages = std::make_shared<std::vector<Message>>();
    auto mutex = std::make_shared<std::mutex>();
    TestView view;
    view.set_func_javascript_console_log([messages, mutex](int level, std::string text, int line, std::string source) {
        std::lock_guard lock(*mutex);
        messages->push_back({level, std::move(text), line, std::move(source)});
    });
    ASSERT_TRUE(view.load_file(game.filePath("ui/hud.qml").toStdString()));
    const QImage image = view.frame();
    EXPECT_TRUE(near(image.pixel(64, 64), qRgba(0, 255, 0, 255))) << "the component beside the file";
    EXPECT_TRUE(near(image.pixel(320, 64), qRgba(255, 0, 0, 255))) << "the sub-folder's component and image";
    EXPECT_TRUE(near(image.pixel(200, 200), qRgba(0, 0, 255, 255))) << "the main file";

    // An error: the load fails and the callback names the file and the line.
    write("ui/broken.qml", "import QtQuick\nRectangle {\n  width: 300\n  colr: \"red\"\n}\n");
    {
        MessageCapture capture;
        EXPECT_FALSE(view.load_file(game.filePath("ui/broken.qml").toStdString()));
    }
    {
        std::lock_guard lock(*mutex);
        ASSERT_FALSE(messages->empty());
        EXPECT_EQ(messages->back().level, 2);
        EXPECT_EQ(messages->back().line, 4);
        EXPECT_EQ(messages->back().source, game.filePath("ui/broken.qml").toStdString());
        EXPECT_NE(messages->back().text.find("colr"), std::string::npos) << messages->back().text;
        messages->clear();
    }

    // A warning while the scene runs (a binding that reads a name that does not exist).
    write("ui/warns.qml", "import QtQuick\nRectangle {\n  width: 300; height: 300\n  color: noSuchName\n}\n");
    {
        MessageCapture capture;
        ASSERT_TRUE(view.load_file(game.filePath("ui/warns.qml").toStdString()));
    }
    {
        std::lock_guard lock(*mutex);
        ASSERT_FALSE(messages->empty());
        EXPECT_EQ(messages->back().level, 1);
        EXPECT_EQ(messages->back().line, 4);
        EXPECT_NE(messages->back().text.find("noSuchName"), std::string::npos) << messages->back().text;
    }

    // No file there: refused with a warning, nothing loaded.
    MessageCapture capture;
    EXPECT_FALSE(view.load_file(game.filePath("ui/missing.qml").toStdString()));
    EXPECT_TRUE(capture.contains("no QML file at"));
}

TEST_F(ViewTest, TheResourceCallbackReachesTheOneHandlerThroughAnyFacade)
{
    auto handler_has_callback = [] {
        return carry::waited(runtime().scheme_handler,
                             [](GodotSchemeHandler* h) { return h->m_resource_file.is_set(); });
    };
    SView plain;  // no view at all
    plain.set_func_resource_file([](std::string, bool&, unsigned long& size) -> unsigned char* {
        size = 0;
        return nullptr;
    });
    EXPECT_TRUE(handler_has_callback());
    plain.set_func_resource_file_free([] {});  // accepted and ignored
    EXPECT_TRUE(handler_has_callback());
    plain.set_func_resource_file({});
    EXPECT_FALSE(handler_has_callback());
}
