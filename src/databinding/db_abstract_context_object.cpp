#include "databinding/db_abstract_context_object.h"

#include "databinding/conversions.h"
#include "databinding/data_binding_context_manager.h"
#include "databinding/db_method_info.h"
#include "databinding/db_property_info.h"

#include <QMetaObject>
#include <QWebChannel>
#include <QtDebug>

namespace sorvane::db {

namespace {

using T = VariantTypeStd;

QString member_channel_name(const QString& object, const QString& member)
{
    return QStringLiteral("%1.%2").arg(object, member);
}

}  // namespace

DBAbstractContextObject::DBAbstractContextObject(AbstractContextObjectStd* object,
                                                 DataBindingContextManager* manager)
    : m_name(QString::fromStdString(object->name)),
      m_object(object),
      m_manager(manager),
      m_channel(manager->channel()),
      m_notices(this)
{
    for (const auto& [key, descriptor] : object->methods) {
        auto* method = new DBMethodInfo(descriptor);
        if (descriptor->is_signal) {
            const QString signal = method->name_text();
            // Called by the engine on any thread: copy, queue, return.
            descriptor->func_signal_emitted = [this, signal](const MethodInfoStd*, std::vector<ContainerStd> values,
                                                             std::vector<VariantTypeStd> types) {
                m_notices.push([this, signal, values = std::move(values), types = std::move(types)] {
                    notify_signal_emitted(signal, values, types);
                });
            };
        }
        m_methods.append(method);
        if (m_channel)
            m_channel->registerObject(member_channel_name(m_name, method->name_text()), method);
    }

    for (const auto& [key, descriptor] : object->properties) {
        auto* property = new DBPropertyInfo(descriptor);
        // Called by the engine on any thread. The value is read when the posted call runs.
        descriptor->func_valueChanged_updateWeb = [this, descriptor](const PropertyInfoStd* changed) {
            const PropertyInfoStd* which = changed ? changed : descriptor;
            m_notices.push([this, which] { notify_property_changed(which); });
        };
        m_properties.append(property);
        if (m_channel)
            m_channel->registerObject(member_channel_name(m_name, property->name_text()), property);
    }
}

DBAbstractContextObject::~DBAbstractContextObject()
{
    for (DBMethodInfo* method : std::as_const(m_methods)) {
        if (m_channel)
            m_channel->deregisterObject(method);
        delete method;
    }
    for (DBPropertyInfo* property : std::as_const(m_properties)) {
        if (m_channel)
            m_channel->deregisterObject(property);
        delete property;
    }
    delete m_object;
}

void DBAbstractContextObject::setName(const QString& name)
{
    if (m_name == name)
        return;
    m_name = name;
    emit NOPSignal();
}

void DBAbstractContextObject::setIsContextObject(bool is_context_object)
{
    if (m_is_context_object == is_context_object)
        return;
    m_is_context_object = is_context_object;
    emit NOPSignal();
}

QVariantMap DBAbstractContextObject::methodsMap() const
{
    QVariantMap map;
    for (const DBMethodInfo* method : m_methods)
        map.insert(method->name_text(), method->description());
    return map;
}

QVariantMap DBAbstractContextObject::variablesMap() const
{
    QVariantMap map;
    for (const DBPropertyInfo* property : m_properties)
        map.insert(property->name_text(), property->description());
    return map;
}

QVariant DBAbstractContextObject::___invoke_method(QVariant func_name, QVariantList args)
{
    const QString name = func_name.toString();
    const auto member = m_object->members.find(name.toStdString());
    if (member == m_object->members.end()) {
        qWarning() << "invoke_method:" << name << "doesn't exist";
        return {};
    }
    MethodInfoStd* const* entry = std::get_if<MethodInfoStd*>(&member->second);
    if (!entry || !*entry) {
        qWarning() << "invoke_method:" << func_name << "was not a method";
        return {};
    }
    MethodInfoStd* method = *entry;
    if (static_cast<std::size_t>(args.size()) > method->args.size()) {
        qWarning() << "invoke_method:" << name << "takes" << method->args.size() << "argument(s), but"
                   << args.size() << "were given";
        return {};
    }

    std::vector<ContainerStd> values;
    values.reserve(static_cast<std::size_t>(args.size()));
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QVariant& arg = args[i];
        PropertyInfoStd* parameter = method->args[static_cast<std::size_t>(i)];
        const T type = parameter->type;
        if (type == T::DICTIONARY) {
            values.emplace_back(ValueStd(json_object_text(arg)));
        } else if (type == T::ARRAY) {
            values.emplace_back(ValueStd(json_array_text(arg)));
        } else if (const int size = vector_size(type); size > 0) {
            if (arg.typeId() != QMetaType::QVariantList || arg.toList().size() < size) {
                qWarning() << "method call error: expecting a Vector (a list) as argument with the "
                              "correct lenght of parameters";
                return {};
            }
            values.push_back(qvariant_to_std_container(arg, type));
        } else if (arg.typeId() == QMetaType::QVariantList) {
            // The page passed a list: from now on this parameter is an array.
            parameter->type = T::ARRAY;
            values.emplace_back(ValueStd(json_array_text(arg)));
        } else if (arg.typeId() == QMetaType::QVariantMap) {
            parameter->type = T::DICTIONARY;
            values.emplace_back(ValueStd(json_object_text(arg)));
        } else {
            values.push_back(qvariant_to_std_container(arg, T::UNKNOWN));
        }
    }

    if (!method->func_call_method) {
        qWarning() << "func_call_method was nullptr, failed to call method" << name;
        return {};
    }
    method->func_call_method(method, std::move(values));
    return true;
}

QVariant DBAbstractContextObject::get_method_signature(QString method_name)
{
    for (const DBMethodInfo* method : m_methods) {
        if (method->name_text() == method_name)
            return method->signature();
    }
    return {};
}

void DBAbstractContextObject::notify_property_changed(const PropertyInfoStd* property)
{
    if (!m_manager)
        return;
    emit m_manager->propChanged(m_name, QString::fromStdString(property->name),
                                std_to_qvariant(property->value, property->type));
}

void DBAbstractContextObject::notify_signal_emitted(const QString& signal,
                                                    const std::vector<ContainerStd>& values,
                                                    const std::vector<VariantTypeStd>& types)
{
    if (!m_manager)
        return;
    QVariantList list;
    list.reserve(static_cast<qsizetype>(values.size()));
    for (std::size_t i = 0; i < values.size(); ++i) {
        // A value without a declared type is shown by the alternative it holds.
        const T type = i < types.size() ? types[i] : T::UNKNOWN;
        list.append(std_to_qvariant(values[i], type));
    }
    emit m_manager->gdscriptSignalEmitted(m_name, signal, list);
}

}  // namespace sorvane::db
