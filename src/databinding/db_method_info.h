#pragma once

#include <QObject>
#include <QString>
#include <QVariant>
#include <QVariantMap>

#include <vector>

#include "sorvane/db.h"

namespace sorvane::db {

class DBPropertyInfo;

// One method or signal of an engine object, as the page sees it. Owns its description and one
// DBPropertyInfo per parameter (which own the parameters' descriptions).
class DBMethodInfo : public QObject {
    Q_OBJECT
    Q_PROPERTY(QVariant name READ name WRITE setName NOTIFY NOPSignal)
    Q_PROPERTY(QVariantMap description READ description NOTIFY NOPSignal)
public:
    explicit DBMethodInfo(MethodInfoStd* descriptor);
    ~DBMethodInfo() override;

    QVariant name() const { return m_name; }
    void setName(const QVariant& name);

    // {"name", "is_signal", "return_type" (always NIL: no return value), "args": [{"name", "type"}]}
    QVariantMap description() const;

    // "jump(x: int,y: string)"
    QString signature() const;

    const QString& name_text() const { return m_name_text; }
    bool is_signal() const { return m_is_signal; }
    const std::vector<DBPropertyInfo*>& parameters() const { return m_parameters; }
    MethodInfoStd* descriptor() const { return m_descriptor; }

signals:
    void NOPSignal();

private:
    QVariant m_name;
    QString m_name_text;
    DBPropertyInfo* m_return = nullptr;  // the engine's descriptions carry no return type
    std::vector<DBPropertyInfo*> m_parameters;
    bool m_is_signal;
    MethodInfoStd* m_descriptor;
};

}  // namespace sorvane::db
