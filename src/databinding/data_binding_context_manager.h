#pragma once

#include <QBasicMutex>
#include <QMap>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QVariant>
#include <QVariantList>

#include <string>

#include <QWebChannel>

#include "sorvane/db.h"

namespace sorvane::db {

class DBAbstractContextObject;

// The engine objects one page reaches: a registry from registration name to adapter, on the
// page's web channel, where the manager itself is published as "___cm" and relays engine-side
// changes to the page through its signals. Owns the adapters. Lives on the Qt thread; only
// find_object may be called from other threads.
class DataBindingContextManager : public QObject {
    Q_OBJECT
public:
    DataBindingContextManager(QWebChannel* channel, QObject* parent);
    // Takes every adapter still registered off the channel and hands it to deleteLater.
    ~DataBindingContextManager() override;

    QWebChannel* channel() const { return m_channel; }

    // The registered engine object of that name, or null. Any thread.
    AbstractContextObjectStd* find_object(const std::string& name) const;

signals:
    void propChanged(QString object_name, QString variable_name, QVariant value);
    void gdscriptSignalEmitted(QString object_name, QString variable_name, QVariantList args);
    void objectRegistered(QString object_name);
    void objectdeRegistered(QString object_name);

public slots:
    // Builds the adapter for `obj`, publishes it under `name` and takes `obj` over. Refused (false,
    // with a warning, `obj` left to the caller) when the name is taken.
    bool registerObject(std::string name, sorvane::db::AbstractContextObjectStd* obj);
    // Deletes the adapter of that name and with it the engine object's descriptions.
    bool deregisterObject(std::string name_str);

private:
    mutable QBasicMutex m_lock;
    QPointer<QWebChannel> m_channel;  // the scene's, which may end first
    QMap<std::string, DBAbstractContextObject*> m_registry;
};

}  // namespace sorvane::db
