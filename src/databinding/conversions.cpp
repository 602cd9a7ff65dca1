#include "databinding/conversions.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QVariantList>
#include <QVariantMap>
#include <QtDebug>

#include <type_traits>

namespace sorvane::db {

namespace {

using T = VariantTypeStd;

// Builds a vector from a list, one component per element; missing elements give 0.
template <typename Vector, typename Component>
Vector vector_from_list(const QVariantList& list, Component (*component)(const QVariant&))
{
    auto at = [&](qsizetype i) { return i < list.size() ? component(list[i]) : Component{}; };
    if constexpr (std::is_same_v<Vector, Vector2Std> || std::is_same_v<Vector, Vector2iStd>)
        return Vector{at(0), at(1)};
    else if constexpr (std::is_same_v<Vector, Vector3Std> || std::is_same_v<Vector, Vector3iStd>)
        return Vector{at(0), at(1), at(2)};
    else
        return Vector{at(0), at(1), at(2), at(3)};
}

double single_precision(const QVariant& v) { return static_cast<double>(v.toFloat()); }
double double_precision(const QVariant& v) { return v.toDouble(); }
std::int32_t integer(const QVariant& v) { return v.toInt(); }

// The vector types, converted with the given precision for the float components. Returns
// whether `type` is a vector type.
bool vector_from_qvariant(const QVariant& value, VariantTypeStd type,
                          double (*real)(const QVariant&), ValueStd& out)
{
    const QVariantList list = value.toList();
    switch (type) {
    case T::VECTOR2: out = vector_from_list<Vector2Std>(list, real); return true;
    case T::VECTOR2I: out = vector_from_list<Vector2iStd>(list, integer); return true;
    case T::VECTOR3: out = vector_from_list<Vector3Std>(list, real); return true;
    case T::VECTOR3I: out = vector_from_list<Vector3iStd>(list, integer); return true;
    case T::VECTOR4: out = vector_from_list<Vector4Std>(list, real); return true;
    case T::VECTOR4I: out = vector_from_list<Vector4iStd>(list, integer); return true;
    default: return false;
    }
}

// The components of an engine value, in order, for the page.
struct ScalarToQVariant {
    QVariant operator()(int v) const { return v; }
    QVariant operator()(const std::string& v) const { return QString::fromStdString(v); }
    QVariant operator()(double v) const { return v; }
    QVariant operator()(bool v) const { return QVariant(v); }
    QVariant operator()(const Vector2Std& v) const { return QVariantList{v.x, v.y}; }
    QVariant operator()(const Vector2iStd& v) const { return QVariantList{v.x, v.y}; }
    QVariant operator()(const Vector3Std& v) const { return QVariantList{v.x, v.y, v.z}; }
    QVariant operator()(const Vector3iStd& v) const { return QVariantList{v.x, v.y, v.z}; }
    QVariant operator()(const Vector4Std& v) const { return QVariantList{v.x, v.y, v.z, v.w}; }
    QVariant operator()(const Vector4iStd& v) const { return QVariantList{v.x, v.y, v.z, v.w}; }
};

}  // namespace

std::string json_object_text(const QVariant& value)
{
    return QJsonDocument(QJsonObject::fromVariantMap(value.toMap()))
        .toJson(QJsonDocument::Compact)
        .toStdString();
}

std::string json_array_text(const QVariant& value)
{
    return QJsonDocument(QJsonArray::fromVariantList(value.toList()))
        .toJson(QJsonDocument::Compact)
        .toStdString();
}

int vector_size(VariantTypeStd type)
{
    switch (type) {
    case T::VECTOR2:
    case T::VECTOR2I: return 2;
    case T::VECTOR3:
    case T::VECTOR3I: return 3;
    case T::VECTOR4:
    case T::VECTOR4I: return 4;
    default: return 0;
    }
}

QString type_text(VariantTypeStd type)
{
    const std::string_view name = variant_type_name(type);
    return QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size())).toLower();
}

ValueStd qvariant_to_std_value(const QVariant& value, VariantTypeStd type)
{
    ValueStd out;
    if (vector_from_qvariant(value, type, single_precision, out))
        return out;
    switch (type) {
    case T::BOOL: return ValueStd(std::in_place_type<bool>, value.toBool());
    case T::INT: return ValueStd(std::in_place_type<int>, value.toInt());
    case T::FLOAT: return ValueStd(std::in_place_type<double>, single_precision(value));
    case T::STRING: return value.toString().toStdString();
    default: return ValueStd(std::in_place_type<int>, 0);
    }
}

void set_value_from_qvariant(PropertyInfoStd& property, const QVariant& value)
{
    switch (property.type) {
    case T::NIL: return;
    case T::DICTIONARY: property.value = ValueStd(json_object_text(value)); return;
    case T::ARRAY: property.value = ValueStd(json_array_text(value)); return;
    default: property.value = qvariant_to_std_value(value, property.type); return;
    }
}

ContainerStd qvariant_to_std_container(const QVariant& value, VariantTypeStd type)
{
    ValueStd out;
    if (vector_from_qvariant(value, type, double_precision, out))
        return out;
    if (type == T::DICTIONARY)
        return ValueStd(json_object_text(value));
    if (type == T::ARRAY)
        return ValueStd(json_array_text(value));

    switch (value.typeId()) {
    case QMetaType::QString: return ValueStd(value.toString().toStdString());
    case QMetaType::Bool: return ValueStd(std::in_place_type<bool>, value.toBool());
    case QMetaType::Int: return ValueStd(value.toInt());
    case QMetaType::Double:
    case QMetaType::LongLong: return ValueStd(std::in_place_type<double>, value.toDouble());
    default:
        qWarning() << "qvariant_to_std_container: erm, unknown type, (possibly) FIX ME:" << value.typeId();
        return ValueStd(0);
    }
}

QVariant std_to_qvariant(const ContainerStd& value, VariantTypeStd type)
{
    if (type == T::NIL)
        return {};
    const ValueStd* scalar = std::get_if<ValueStd>(&value);
    if (!scalar)
        return {};  // tables and lists never come from the library; nothing to show

    if (type == T::DICTIONARY || type == T::ARRAY) {
        const std::string* text = std::get_if<std::string>(scalar);
        if (!text)
            return {};
        const QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromStdString(*text));
        if (type == T::ARRAY)
            return document.isArray() ? document.array().toVariantList() : QVariantList{};
        return document.isObject() ? document.object().toVariantMap() : QVariantMap{};
    }
    return std::visit(ScalarToQVariant{}, *scalar);
}

}  // namespace sorvane::db
