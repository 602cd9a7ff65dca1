// The warnings the headless platform drops, and nothing else; the filter nests and leaves the
// process's own handler in place afterwards.

#include "platform/quiet_messages.h"

#include <gtest/gtest.h>

#include <QtGlobal>

using sorvane::platform::QuietMessages;

namespace {

QStringList g_seen;

void record(QtMsgType, const QMessageLogContext&, const QString& message)
{
    g_seen << message;
}

class QuietMessagesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_seen.clear();
        m_previous = qInstallMessageHandler(&record);
    }
    void TearDown() override { qInstallMessageHandler(m_previous); }

private:
    QtMessageHandler m_previous = nullptr;
};

}  // namespace

TEST_F(QuietMessagesTest, OnlyTheNamedWarningsAreDroppedAndOnlyWhileActive)
{
    {
        const QuietMessages quiet(true, {QStringLiteral("drop me")});
        qWarning("drop me");
        qWarning("keep me");
        qInfo("drop me");  // an info message of the same text is not a warning
    }
    qWarning("drop me");
    {
        const QuietMessages inactive(false, {QStringLiteral("keep me too")});
        qWarning("keep me too");
    }
    EXPECT_EQ(g_seen, (QStringList{"keep me", "drop me", "drop me", "keep me too"}));
}

TEST_F(QuietMessagesTest, NestedFiltersEachDropTheirOwnAndTheOriginalHandlerComesBack)
{
    {
        const QuietMessages outer(true, {QStringLiteral("outer")});
        {
            const QuietMessages inner(true, {QStringLiteral("inner")});
            qWarning("outer");
            qWarning("inner");
        }
        qWarning("inner");  // the inner filter is gone
        qWarning("outer");
    }
    qWarning("outer");
    EXPECT_EQ(g_seen, (QStringList{"inner", "outer"}));
    // The handler in place now is the test's own again, not a filter that calls itself.
    EXPECT_EQ(qInstallMessageHandler(&record), &record);
}
