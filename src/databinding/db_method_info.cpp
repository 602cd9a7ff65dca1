#include "databinding/db_method_info.h"

#include "databinding/conversions.h"
#include "databinding/db_property_info.h"

#include <QStringList>
#include <QVariantList>

namespace sorvane::db {

DBMethodInfo::DBMethodInfo(MethodInfoStd* descriptor)
    : m_name(QString::fromStdString(descriptor->name)),
      m_name_text(QString::fromStdString(descriptor->name)),
      m_is_signal(descriptor->is_signal),
      m_descriptor(descriptor)
{
    m_parameters.reserve(descriptor->args.size());
    for (PropertyInfoStd* arg : descriptor->args)
        m_parameters.push_back(new DBPropertyInfo(arg));
}

DBMethodInfo::~DBMethodInfo()
{
    for (DBPropertyInfo* parameter : m_parameters)
        parameter->deleteLater();
    delete m_descriptor;
}

void DBMethodInfo::setName(const QVariant& name)
{
    if (m_name == name)
        return;
    m_name = name;
    emit NOPSignal();
}

QVariantMap DBMethodInfo::description() const
{
    QVariantList args;
    for (const DBPropertyInfo* parameter : m_parameters)
        args.append(parameter->description());
    const int return_type = m_return ? static_cast<int>(m_return->type()) : static_cast<int>(VariantTypeStd::NIL);
    return {{"name", m_name}, {"is_signal", m_is_signal}, {"return_type", return_type}, {"args", args}};
}

QString DBMethodInfo::signature() const
{
    QStringList parameters;
    for (const DBPropertyInfo* parameter : m_parameters)
        parameters.append(parameter->name_text() + ": " + type_text(parameter->type()));
    return m_name_text + "(" + parameters.join(",") + ")";
}

}  // namespace sorvane::db
