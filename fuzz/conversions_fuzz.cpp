// The value conversions between the page and the engine. Any QVariant converts to the
// alternative its declared type asks for; engine values survive the trip to the page and back;
// JSON text of dictionaries and arrays is stable after one trip through QVariant.
//
// Input: a mode byte and a type byte, then
//   mode 0: JSON text, read as a DICTIONARY or ARRAY value (the type byte's low bit);
//   mode 1: an engine value built from raw bytes (alternative, then its components);
//   mode 2: a QVariant tree built from raw bytes, as the page's channel might hand one over.

#include "databinding/conversions.h"
#include "fuzz_support.h"

#include <QJsonDocument>
#include <QVariantList>
#include <QVariantMap>

#include <cmath>

namespace {

using namespace sorvane::db;
using sorvane::fuzz::ByteReader;
using T = VariantTypeStd;

bool same(double a, double b) { return a == b || (std::isnan(a) && std::isnan(b)); }
bool same(int a, int b) { return a == b; }
bool same(bool a, bool b) { return a == b; }
bool same(const std::string& a, const std::string& b) { return a == b; }
bool same(const Vector2Std& a, const Vector2Std& b) { return same(a.x, b.x) && same(a.y, b.y); }
bool same(const Vector2iStd& a, const Vector2iStd& b) { return a.x == b.x && a.y == b.y; }
bool same(const Vector3Std& a, const Vector3Std& b)
{
    return same(a.x, b.x) && same(a.y, b.y) && same(a.z, b.z);
}
bool same(const Vector3iStd& a, const Vector3iStd& b) { return a.x == b.x && a.y == b.y && a.z == b.z; }
bool same(const Vector4Std& a, const Vector4Std& b)
{
    return same(a.x, b.x) && same(a.y, b.y) && same(a.z, b.z) && same(a.w, b.w);
}
bool same(const Vector4iStd& a, const Vector4iStd& b)
{
    return a.x == b.x && a.y == b.y && a.z == b.z && a.w == b.w;
}
bool same(const ValueStd& a, const ValueStd& b)
{
    if (a.index() != b.index())
        return false;
    return std::visit([&](const auto& x) { return same(x, std::get<std::decay_t<decltype(x)>>(b)); }, a);
}

// The alternative a declared type gives, or -1 where it depends on the value.
int alternative_of(T type)
{
    switch (type) {
    case T::INT: return 0;
    case T::STRING: return 1;
    case T::FLOAT: return 2;
    case T::BOOL: return 3;
    case T::VECTOR2: return 4;
    case T::VECTOR2I: return 5;
    case T::VECTOR3: return 6;
    case T::VECTOR3I: return 7;
    case T::VECTOR4: return 8;
    case T::VECTOR4I: return 9;
    default: return -1;
    }
}

bool single_precision(double v) { return same(v, static_cast<double>(static_cast<float>(v))); }

bool is_json(const ValueStd& value, bool object)
{
    const std::string* text = std::get_if<std::string>(&value);
    if (!text)
        return false;
    const QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromStdString(*text));
    return object ? document.isObject() : document.isArray();
}

// Every conversion of one page value to an engine value, for one declared type.
void check_from_page(const QVariant& v, T type)
{
    const int expected = alternative_of(type);
    const bool is_vector = vector_size(type) > 0;
    FUZZ_CHECK(is_vector == (expected >= 4));
    (void)type_text(type);

    // Property writes.
    const ValueStd written = qvariant_to_std_value(v, type);
    if (expected >= 0) {
        FUZZ_CHECK(static_cast<int>(written.index()) == expected);
    } else {
        FUZZ_CHECK(same(written, ValueStd(0)));
    }
    if (const double* d = std::get_if<double>(&written))
        FUZZ_CHECK(single_precision(*d));
    if (const auto* v4 = std::get_if<Vector4Std>(&written))
        FUZZ_CHECK(single_precision(v4->x) && single_precision(v4->w));

    PropertyInfoStd property;
    property.type = type;
    property.value = ValueStd(std::string("unchanged"));
    set_value_from_qvariant(property, v);
    const ValueStd& stored = std::get<ValueStd>(property.value);
    if (type == T::NIL)
        FUZZ_CHECK(same(stored, ValueStd(std::string("unchanged"))));
    else if (type == T::DICTIONARY || type == T::ARRAY)
        FUZZ_CHECK(is_json(stored, type == T::DICTIONARY));
    else
        FUZZ_CHECK(same(stored, written));

    // Method arguments.
    const ContainerStd argument = qvariant_to_std_container(v, type);
    FUZZ_CHECK(argument.index() == 0);
    const ValueStd& scalar = std::get<ValueStd>(argument);
    if (is_vector) {
        FUZZ_CHECK(static_cast<int>(scalar.index()) == expected);
    } else if (type == T::DICTIONARY || type == T::ARRAY) {
        FUZZ_CHECK(is_json(scalar, type == T::DICTIONARY));
    } else {
        switch (v.typeId()) {
        case QMetaType::QString: FUZZ_CHECK(scalar.index() == 1); break;
        case QMetaType::Bool: FUZZ_CHECK(scalar.index() == 3); break;
        case QMetaType::Double:
        case QMetaType::LongLong: FUZZ_CHECK(scalar.index() == 2); break;
        default: FUZZ_CHECK(scalar.index() == 0); break;
        }
    }
    // And back to the page: never a crash, and dictionaries and arrays keep their kind.
    const QVariant shown = std_to_qvariant(argument, type);
    if (type == T::NIL)
        FUZZ_CHECK(!shown.isValid());
    if (type == T::DICTIONARY)
        FUZZ_CHECK(shown.typeId() == QMetaType::QVariantMap);
    if (type == T::ARRAY)
        FUZZ_CHECK(shown.typeId() == QMetaType::QVariantList);
}

void check_json(const std::string& text, bool object)
{
    const T type = object ? T::DICTIONARY : T::ARRAY;
    const QVariant first = std_to_qvariant(ContainerStd(ValueStd(text)), type);
    FUZZ_CHECK(first.typeId() == (object ? QMetaType::QVariantMap : QMetaType::QVariantList));
    const std::string once = object ? json_object_text(first) : json_array_text(first);
    const QVariant second = std_to_qvariant(ContainerStd(ValueStd(once)), type);
    const std::string twice = object ? json_object_text(second) : json_array_text(second);
    FUZZ_CHECK(once == twice);

    // The values inside, as page values of every kind of declared type.
    const QVariantList values = object ? first.toMap().values() : first.toList();
    for (qsizetype i = 0; i < values.size() && i < 8; ++i)
        for (T t : {T::NIL, T::BOOL, T::INT, T::FLOAT, T::STRING, T::VECTOR2I, T::VECTOR3,
                    T::VECTOR4, T::DICTIONARY, T::ARRAY, T::COLOR})
            check_from_page(values[i], t);
}

ValueStd engine_value(ByteReader& in)
{
    auto d = [&] { return in.raw<double>(); };
    auto i = [&] { return in.raw<std::int32_t>(); };
    switch (in.byte() % 10) {
    case 0: return ValueStd(std::in_place_index<0>, i());
    case 1: return ValueStd(std::in_place_index<1>, in.bytes(in.byte()));
    case 2: return ValueStd(std::in_place_index<2>, d());
    case 3: return ValueStd(std::in_place_index<3>, (in.byte() & 1) != 0);
    case 4: return Vector2Std{d(), d()};
    case 5: return Vector2iStd{i(), i()};
    case 6: return Vector3Std{d(), d(), d()};
    case 7: return Vector3iStd{i(), i(), i()};
    case 8: return Vector4Std{d(), d(), d(), d()};
    default: return Vector4iStd{i(), i(), i(), i()};
    }
}

// The declared type that matches an engine value's alternative.
T type_of(const ValueStd& value)
{
    constexpr T kTypes[] = {T::INT,      T::STRING,  T::FLOAT,   T::BOOL,    T::VECTOR2,
                            T::VECTOR2I, T::VECTOR3, T::VECTOR3I, T::VECTOR4, T::VECTOR4I};
    return kTypes[value.index()];
}

void check_engine_value(ByteReader& in, T other_type)
{
    const ValueStd value = engine_value(in);
    const T type = type_of(value);
    const QVariant shown = std_to_qvariant(ContainerStd(value), type);
    FUZZ_CHECK(shown.isValid());

    // A page call that hands the value back as it got it: the same value, bit for bit
    // (text: after one trip, which mends text that was not UTF-8).
    const ContainerStd back = qvariant_to_std_container(shown, type);
    FUZZ_CHECK(back.index() == 0);
    const ValueStd& returned = std::get<ValueStd>(back);
    if (const std::string* text = std::get_if<std::string>(&value)) {
        const std::string mended = QString::fromStdString(*text).toStdString();
        FUZZ_CHECK(same(returned, ValueStd(mended)));
    } else {
        FUZZ_CHECK(same(returned, value));
    }
    // A page write of it: the same, floats through single precision.
    const ValueStd written = qvariant_to_std_value(shown, type);
    FUZZ_CHECK(written.index() == value.index());
    if (const double* x = std::get_if<double>(&value))
        FUZZ_CHECK(same(std::get<double>(written), static_cast<double>(static_cast<float>(*x))));

    // The value under any declared type: no crash; a type without a page value shows nothing.
    const QVariant as_other = std_to_qvariant(ContainerStd(value), other_type);
    if (other_type == T::NIL)
        FUZZ_CHECK(!as_other.isValid());
    if ((other_type == T::DICTIONARY || other_type == T::ARRAY) && value.index() != 1)
        FUZZ_CHECK(!as_other.isValid());
    check_from_page(shown, other_type);

    // Tables and lists never come from the library: nothing to show.
    FUZZ_CHECK(!std_to_qvariant(ContainerStd(std::vector<ValueStd>{value}), type).isValid());
    FUZZ_CHECK(!std_to_qvariant(ContainerStd(std::map<std::string, ValueStd>{{"k", value}}), type).isValid());
}

QVariant page_value(ByteReader& in, int depth)
{
    switch (in.byte() % (depth < 3 ? 12 : 10)) {
    case 0: return {};
    case 1: return QString::fromUtf8(in.bytes(in.byte()));
    case 2: return QByteArray::fromStdString(in.bytes(in.byte()));
    case 3: return in.raw<int>();
    case 4: return in.raw<qlonglong>();
    case 5: return in.raw<uint>();
    case 6: return in.raw<double>();
    case 7: return (in.byte() & 1) != 0;
    case 8: return QVariant::fromValue(nullptr);
    case 9: return QStringList{QString::fromUtf8(in.bytes(in.byte())), QStringLiteral("x")};
    case 10: {
        QVariantList list;
        for (int n = in.byte() % 6; n > 0; --n)
            list.append(page_value(in, depth + 1));
        return list;
    }
    default: {
        QVariantMap map;
        for (int n = in.byte() % 6; n > 0; --n)
            map.insert(QString::fromUtf8(in.bytes(in.byte() % 8)), page_value(in, depth + 1));
        return map;
    }
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    sorvane::fuzz::silence_qt_messages();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    ByteReader in(data, size);
    const std::uint8_t mode = in.byte();
    const std::uint8_t type_byte = in.byte();
    switch (mode % 3) {
    case 0: check_json(in.rest(), (type_byte & 1) != 0); break;
    case 1: check_engine_value(in, sorvane::fuzz::variant_type_from(type_byte)); break;
    default: check_from_page(page_value(in, 0), sorvane::fuzz::variant_type_from(type_byte)); break;
    }
    return 0;
}
