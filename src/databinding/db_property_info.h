#pragma once

#include <QObject>
#include <QString>
#include <QVariant>
#include <QVariantMap>

#include "sorvane/db.h"

namespace sorvane::db {

// One property of an engine object, or one parameter of a method, as the page sees it. Owns its
// description and deletes it with itself.
class DBPropertyInfo : public QObject {
    Q_OBJECT
    Q_PROPERTY(QVariant name READ name WRITE setName NOTIFY NOPSignal)
    Q_PROPERTY(QVariant class_name READ class_name WRITE setClass_name NOTIFY NOPSignal)
    Q_PROPERTY(QVariant hint_string READ hint_string WRITE setHint_string NOTIFY NOPSignal)
    Q_PROPERTY(QVariant value READ value WRITE setValue NOTIFY NOPSignal)
    Q_PROPERTY(QVariantMap description READ description NOTIFY NOPSignal)
public:
    explicit DBPropertyInfo(PropertyInfoStd* descriptor);
    ~DBPropertyInfo() override;

    QVariant name() const { return m_name; }
    void setName(const QVariant& name);
    QVariant class_name() const { return m_class_name; }
    void setClass_name(const QVariant& class_name);
    QVariant hint_string() const { return m_hint_string; }
    void setHint_string(const QVariant& hint_string);

    // The engine's current value; a write stores it in the description and tells the engine.
    QVariant value() const;
    void setValue(const QVariant& value);

    // {"name": name, "type": type}
    QVariantMap description() const;

    VariantTypeStd type() const { return static_cast<VariantTypeStd>(m_type); }
    const QString& name_text() const { return m_name_text; }
    PropertyInfoStd* descriptor() const { return m_descriptor; }

signals:
    void NOPSignal();

private:
    std::int32_t m_type;
    QVariant m_name;
    QString m_name_text;
    QVariant m_class_name;
    QVariant m_hint_string;
    PropertyInfoStd* m_descriptor;
};

}  // namespace sorvane::db
