#include "media_test_support.h"

#include "test_host.h"

#include <QtGlobal>

#include <cstdio>
#include <cstdlib>
#include <thread>

namespace media_test {

namespace {

class Environment : public ::testing::Environment {
public:
    void SetUp() override { test_host::start(); }
};

std::mutex g_warnings_mutex;
QStringList g_warnings;

}  // namespace

standin::VulkanHost& host()
{
    return test_host::host();
}

void start_library_in_every_test_process()
{
    ::testing::AddGlobalTestEnvironment(new Environment);
}

void expect_no_validation_messages()
{
    test_host::expect_no_validation_messages();
}

bool near(QRgb pixel, QRgb expected, int tolerance)
{
    auto close = [tolerance](int a, int b) { return std::abs(a - b) <= tolerance; };
    return close(qRed(pixel), qRed(expected)) && close(qGreen(pixel), qGreen(expected)) &&
           close(qBlue(pixel), qBlue(expected));
}

int count_near(const QImage& image, QRect area, QRgb colour, int tolerance)
{
    int n = 0;
    area = area.intersected(image.rect());
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            n += near(image.pixel(x, y), colour, tolerance);
    return n;
}

bool wait_until(const std::function<bool()>& condition, std::chrono::milliseconds timeout)
{
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end)
            return condition();
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

WarningRecorder::WarningRecorder()
{
    {
        std::lock_guard lock(g_warnings_mutex);
        g_warnings.clear();
    }
    m_previous = qInstallMessageHandler(&WarningRecorder::handler);
}

WarningRecorder::~WarningRecorder()
{
    qInstallMessageHandler(m_previous);
}

QStringList WarningRecorder::messages() const
{
    std::lock_guard lock(g_warnings_mutex);
    return g_warnings;
}

bool WarningRecorder::contains(const QString& text) const
{
    const QStringList all = messages();
    for (const QString& message : all)
        if (message.contains(text))
            return true;
    return false;
}

void WarningRecorder::handler(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (type == QtWarningMsg) {
        std::lock_guard lock(g_warnings_mutex);
        g_warnings.append(message);
    }
    std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
}

}  // namespace media_test
