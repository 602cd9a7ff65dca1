#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QVariant>
#include <QVariantList>
#include <QVariantMap>

#include "databinding/notice_queue.h"
#include "sorvane/db.h"

class QWebChannel;

namespace sorvane::db {

class DataBindingContextManager;
class DBMethodInfo;
class DBPropertyInfo;

// The page's view of one registered engine object: one DBMethodInfo per method and one
// DBPropertyInfo per property, each published on the manager's channel as "<object>.<member>".
// Owns the engine object's description and deletes it, with every member, when it goes away.
//
// Building it installs the engine-facing notifications: func_valueChanged_updateWeb in every
// property and func_signal_emitted in every signal. Those two may be called from any thread;
// they queue the notice for this object's thread (in order, delivered a slice at a time, see
// NoticeQueue) and never block. Everything else runs on the Qt thread.
class DBAbstractContextObject : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString name READ name WRITE setName NOTIFY NOPSignal)
    Q_PROPERTY(QVariantMap methodsMap READ methodsMap NOTIFY NOPSignal)
    Q_PROPERTY(QVariantMap variablesMap READ variablesMap NOTIFY NOPSignal)
    Q_PROPERTY(bool isContextObject READ isContextObject WRITE setIsContextObject NOTIFY NOPSignal)
public:
    DBAbstractContextObject(AbstractContextObjectStd* object, DataBindingContextManager* manager);
    ~DBAbstractContextObject() override;

    QString name() const { return m_name; }
    void setName(const QString& name);
    bool isContextObject() const { return m_is_context_object; }
    void setIsContextObject(bool is_context_object);

    // Method name to its description map; property name to {"name", "type"}.
    QVariantMap methodsMap() const;
    QVariantMap variablesMap() const;

    // A call from the page. Converts the arguments to the declared parameter types and calls
    // the engine's func_call_method. Returns true once the engine was called, an invalid value
    // (with a warning) when the call is refused.
    Q_INVOKABLE QVariant ___invoke_method(QVariant func_name, QVariantList args);
    // "name(param: type,...)", or an invalid value for an unknown method.
    Q_INVOKABLE QVariant get_method_signature(QString method_name);

    AbstractContextObjectStd* object() const { return m_object; }
    const QList<DBMethodInfo*>& methods() const { return m_methods; }
    const QList<DBPropertyInfo*>& properties() const { return m_properties; }

signals:
    void NOPSignal();

private:
    void notify_property_changed(const PropertyInfoStd* property);
    void notify_signal_emitted(const QString& signal, const std::vector<ContainerStd>& values,
                               const std::vector<VariantTypeStd>& types);

    QList<DBMethodInfo*> m_methods;
    QList<DBPropertyInfo*> m_properties;
    QString m_name;
    AbstractContextObjectStd* m_object;
    bool m_is_context_object = true;
    // The manager relays this object's notices; it may end before this object (which it then
    // hands to deleteLater), so a notice already queued finds it gone.
    QPointer<DataBindingContextManager> m_manager;
    // The channel its members are published on; they leave it before they are deleted, because
    // the channel only notices a deletion by itself once a page has connected.
    QPointer<QWebChannel> m_channel;
    NoticeQueue m_notices;
};

}  // namespace sorvane::db
