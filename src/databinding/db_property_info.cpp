#include "databinding/db_property_info.h"

#include "databinding/conversions.h"

#include <cstdio>

namespace sorvane::db {

namespace {

// Stores `value` in `field` and announces it, unless nothing changes.
void store(QVariant& field, const QVariant& value, DBPropertyInfo* owner)
{
    if (field == value)
        return;
    field = value;
    emit owner->NOPSignal();
}

}  // namespace

DBPropertyInfo::DBPropertyInfo(PropertyInfoStd* descriptor)
    : m_type(static_cast<std::int32_t>(descriptor->type)),
      m_name(QString::fromStdString(descriptor->name)),
      m_name_text(QString::fromStdString(descriptor->name)),
      m_descriptor(descriptor)
{
}

DBPropertyInfo::~DBPropertyInfo()
{
    delete m_descriptor;
}

void DBPropertyInfo::setName(const QVariant& name) { store(m_name, name, this); }
void DBPropertyInfo::setClass_name(const QVariant& class_name) { store(m_class_name, class_name, this); }
void DBPropertyInfo::setHint_string(const QVariant& hint_string) { store(m_hint_string, hint_string, this); }

QVariant DBPropertyInfo::value() const
{
    return std_to_qvariant(m_descriptor->value, m_descriptor->type);
}

void DBPropertyInfo::setValue(const QVariant& value)
{
    set_value_from_qvariant(*m_descriptor, value);
    if (!m_descriptor->func_valueChanged_updateGodot) {
        std::fprintf(stderr, "func_valueChanged_updateGodot nullptr! %s\n", m_descriptor->name.c_str());
        std::fflush(stderr);
        return;
    }
    m_descriptor->func_valueChanged_updateGodot(m_descriptor);
}

QVariantMap DBPropertyInfo::description() const
{
    return {{"name", m_name}, {"type", m_type}};
}

}  // namespace sorvane::db
