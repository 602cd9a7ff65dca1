#pragma once

// What the media tests share: the stand-in host and the library started once per process, a
// facade wrapper that reaches its Qt-side view and reads frames back, pixel helpers, waiting,
// and a recorder of Qt warnings.

#include <sorvane/sorvane.h>

#include "runtime/carry.h"
#include "view/view.h"

#include "standin_host/hand_over.h"
#include "standin_host/vulkan_host.h"

#include <QImage>
#include <QRect>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <utility>

namespace media_test {

// The host of this process; the library runs once SetUp of the environment has passed.
standin::VulkanHost& host();

// Registers the environment that creates the host (validation on) and starts the library.
void start_library_in_every_test_process();

// Fails the current test for every message the validation layer reported, then forgets them.
void expect_no_validation_messages();

// A facade of kind Facade whose Qt-side view is a ViewClass, handed over to the host.
template <typename Facade, typename ViewClass>
class Hosted : public Facade {
public:
    Hosted()
    {
        standin::hand_over(host(), *this);
        this->set_refresh_rate(120);
    }
    ~Hosted() { this->destroy(); }

    ViewClass* qt() const { return static_cast<ViewClass*>(this->m_view); }

    // Runs `work` on the Qt thread with the view and returns its result.
    template <typename F>
    auto inside(F work) const
    {
        return sorvane::carry::waited(this->m_view, [work = std::move(work)](sorvane::View* v) mutable {
            return work(static_cast<ViewClass*>(v));
        });
    }

    // Renders one frame now (after the frame interval) and reads the texture back.
    QImage frame() const
    {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        this->render();
        const auto [width, height] = this->get_resolution();
        return host().read_back(this->get_texture(), static_cast<int>(width), static_cast<int>(height));
    }
};

bool near(QRgb pixel, QRgb expected, int tolerance);
// Pixels of `area` within `tolerance` of `colour` in every channel (alpha ignored).
int count_near(const QImage& image, QRect area, QRgb colour, int tolerance);

// Polls `condition` every 20 ms until it holds or `timeout` passes; returns its last value.
bool wait_until(const std::function<bool()>& condition,
                std::chrono::milliseconds timeout = std::chrono::milliseconds(5000));

// Collects the Qt warnings of the whole process while it exists.
class WarningRecorder {
public:
    WarningRecorder();
    ~WarningRecorder();
    QStringList messages() const;
    bool contains(const QString& text) const;

private:
    static void handler(QtMsgType type, const QMessageLogContext& context, const QString& message);
    QtMessageHandler m_previous;
};

}  // namespace media_test
