#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <mutex>

// Collects the Qt messages logged while it exists (they are logged on the Qt thread).
class MessageCapture {
public:
    MessageCapture()
    {
        std::lock_guard lock(s_mutex);
        s_messages.clear();
        s_previous = qInstallMessageHandler(&MessageCapture::handle);
    }
    ~MessageCapture() { qInstallMessageHandler(s_previous); }
    bool contains(const QString& text) const
    {
        std::lock_guard lock(s_mutex);
        for (const QString& m : s_messages)
            if (m.contains(text))
                return true;
        return false;
    }

private:
    static void handle(QtMsgType type, const QMessageLogContext& context, const QString& message)
    {
        {
            std::lock_guard lock(s_mutex);
            s_messages.push_back(message);
        }
        if (s_previous)
            s_previous(type, context, message);
    }
    static inline std::mutex s_mutex;
    static inline QStringList s_messages;
    static inline QtMessageHandler s_previous = nullptr;
};
