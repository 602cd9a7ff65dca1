#pragma once

// The page's side of a QWebChannel, spoken in the channel's own messages over an in-process
// transport: what the page-side channel library sends and receives, without a browser.

#include <QJsonArray>
#include <QJsonObject>
#include <QWebChannel>
#include <QWebChannelAbstractTransport>

#include <vector>

namespace testing_db {

class ChannelClient : public QWebChannelAbstractTransport {
public:
    explicit ChannelClient(QWebChannel& channel) { channel.connectTo(this); }
    void sendMessage(const QJsonObject& message) override { m_received.push_back(message); }

    // Connects like a page: the published objects by name, each as the channel describes it.
    QJsonObject init() { return m_objects = request({{"type", 3}}).toObject(); }
    // Calls a method by name and returns the answer.
    QJsonValue call(const QString& object, const QString& method, const QJsonArray& args)
    {
        return request({{"type", 6}, {"object", object}, {"method", method}, {"args", args}});
    }
    void set(const QString& object, const QString& property, const QJsonValue& value)
    {
        deliver({{"type", 9}, {"object", object}, {"property", index(object, property)}, {"value", value}});
    }
    void listen(const QString& object, const QString& signal)
    {
        deliver({{"type", 7}, {"object", object}, {"signal", index(object, signal)}});
    }
    // The arguments of each emission of the signal received so far.
    std::vector<QJsonArray> emissions(const QString& object, const QString& signal) const
    {
        std::vector<QJsonArray> out;
        for (const QJsonObject& m : m_received)
            if (m["type"].toInt() == 1 && m["object"].toString() == object && m["signal"].toInt() == index(object, signal))
                out.push_back(m["args"].toArray());
        return out;
    }
    // A property's value as the channel described it at init.
    QJsonValue initial(const QString& object, const QString& property) const
    {
        for (const QJsonValue& p : m_objects[object].toObject()["properties"].toArray())
            if (p[1].toString() == property)
                return p[3];
        return QJsonValue::Undefined;
    }

private:
    void deliver(const QJsonObject& message) { emit messageReceived(message, this); }
    QJsonValue request(QJsonObject message)
    {
        message["id"] = ++m_id;
        deliver(message);
        for (const QJsonObject& m : m_received)
            if (m["type"].toInt() == 10 && m["id"].toInt() == m_id)
                return m["data"];
        return QJsonValue::Undefined;
    }
    // Properties are listed as [index, name, ...], signals as [name, index].
    int index(const QString& object, const QString& name) const
    {
        const QJsonObject info = m_objects[object].toObject();
        for (const QJsonValue& p : info["properties"].toArray())
            if (p[1].toString() == name)
                return p[0].toInt();
        for (const QJsonValue& s : info["signals"].toArray())
            if (s[0].toString() == name)
                return s[1].toInt();
        return -1;
    }

    int m_id = 0;
    QJsonObject m_objects;
    std::vector<QJsonObject> m_received;
};

}  // namespace testing_db
