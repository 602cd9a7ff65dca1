#include "page_values.h"

#include "page_scripts.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <type_traits>

namespace sorvane_godot {

using sorvane::db::ContainerStd;
using sorvane::db::ValueStd;
using sorvane::db::VariantTypeStd;

namespace {

struct Float4 { float v[4]; };
struct Int4 { std::int32_t v[4]; };

// A value of `type` built by Godot's own constructor from `args`; nil when Godot has none.
Variant constructed(GDExtensionVariantType type, const std::vector<Variant>& args)
{
    std::vector<GDExtensionConstVariantPtr> pointers;
    for (const Variant& arg : args)
        pointers.push_back(arg.ptr());
    alignas(8) std::uint8_t raw[24];
    GDExtensionCallError error{};
    gd.variant_construct(type, raw, pointers.data(), static_cast<GDExtensionInt>(pointers.size()), &error);
    if (error.error != GDEXTENSION_CALL_OK)
        return Variant();
    Variant out = Variant::from_copy(raw);
    gd.variant_destroy(raw);
    return out;
}

Variant from_floats(GDExtensionVariantType type, const double* v, int count)
{
    std::vector<Variant> args;
    for (int i = 0; i < count; ++i)
        args.emplace_back(v[i]);
    return constructed(type, args);
}

Variant from_ints(GDExtensionVariantType type, const std::int64_t* v, int count)
{
    std::vector<Variant> args;
    for (int i = 0; i < count; ++i)
        args.emplace_back(v[i]);
    return constructed(type, args);
}

// The components of a vector-like value (vectors, Color, Rect2, Quaternion, Plane), as doubles;
// the count, 0 for any other value.
int components(const Variant& value, double out[4])
{
    Float4 f{};
    Int4 i{};
    auto floats = [&](int n) { value.to_type(value.type(), &f); for (int k = 0; k < n; ++k) out[k] = f.v[k]; return n; };
    auto ints = [&](int n) { value.to_type(value.type(), &i); for (int k = 0; k < n; ++k) out[k] = i.v[k]; return n; };
    switch (value.type()) {
    case GDEXTENSION_VARIANT_TYPE_VECTOR2: return floats(2);
    case GDEXTENSION_VARIANT_TYPE_VECTOR3: return floats(3);
    case GDEXTENSION_VARIANT_TYPE_VECTOR4:
    case GDEXTENSION_VARIANT_TYPE_COLOR:
    case GDEXTENSION_VARIANT_TYPE_RECT2:
    case GDEXTENSION_VARIANT_TYPE_QUATERNION:
    case GDEXTENSION_VARIANT_TYPE_PLANE: return floats(4);
    case GDEXTENSION_VARIANT_TYPE_VECTOR2I: return ints(2);
    case GDEXTENSION_VARIANT_TYPE_VECTOR3I: return ints(3);
    case GDEXTENSION_VARIANT_TYPE_VECTOR4I:
    case GDEXTENSION_VARIANT_TYPE_RECT2I: return ints(4);
    default: return 0;
    }
}

bool is_packed_array(GDExtensionVariantType type)
{
    return type >= GDEXTENSION_VARIANT_TYPE_PACKED_BYTE_ARRAY && type <= GDEXTENSION_VARIANT_TYPE_PACKED_VECTOR4_ARRAY;
}

void append_number(std::string& out, double v)
{
    if (!std::isfinite(v)) {
        out += "null";
        return;
    }
    char text[32];
    if (v == std::floor(v) && std::fabs(v) < 1e15)
        std::snprintf(text, sizeof text, "%.0f", v);
    else
        std::snprintf(text, sizeof text, "%.17g", v);
    out += text;
}

void append_json(std::string& out, const Variant& value, int depth)
{
    if (depth > 64) {  // a container that holds itself
        out += "null";
        return;
    }
    double parts[4];
    const GDExtensionVariantType type = value.type();
    if (const int n = components(value, parts)) {
        out += '[';
        for (int k = 0; k < n; ++k) {
            if (k)
                out += ',';
            append_number(out, parts[k]);
        }
        out += ']';
        return;
    }
    switch (type) {
    case GDEXTENSION_VARIANT_TYPE_NIL: out += "null"; return;
    case GDEXTENSION_VARIANT_TYPE_BOOL: out += value.to_bool() ? "true" : "false"; return;
    case GDEXTENSION_VARIANT_TYPE_INT: out += std::to_string(value.to_int()); return;
    case GDEXTENSION_VARIANT_TYPE_FLOAT: append_number(out, value.to_float()); return;
    case GDEXTENSION_VARIANT_TYPE_DICTIONARY: {
        out += '{';
        const Variant keys = value.call("keys");
        const std::int64_t size = keys.call("size").to_int();
        for (std::int64_t k = 0; k < size; ++k) {
            const Variant key = keys.call("get", {Variant(k)});
            if (k)
                out += ',';
            out += json_quote(key.to_string());
            out += ':';
            append_json(out, value.call("get", {key}), depth + 1);
        }
        out += '}';
        return;
    }
    case GDEXTENSION_VARIANT_TYPE_ARRAY: {
        out += '[';
        const std::int64_t size = value.call("size").to_int();
        for (std::int64_t k = 0; k < size; ++k) {
            if (k)
                out += ',';
            append_json(out, value.call("get", {Variant(k)}), depth + 1);
        }
        out += ']';
        return;
    }
    case GDEXTENSION_VARIANT_TYPE_OBJECT:
    case GDEXTENSION_VARIANT_TYPE_CALLABLE:
    case GDEXTENSION_VARIANT_TYPE_SIGNAL:
    case GDEXTENSION_VARIANT_TYPE_RID: out += "null"; return;
    default:
        if (is_packed_array(type)) {
            append_json(out, constructed(GDEXTENSION_VARIANT_TYPE_ARRAY, {value}), depth);
            return;
        }
        out += json_quote(value.to_string());
    }
}

// JSON has only one kind of number: whole ones become Godot ints, in place, all the way down.
Variant whole_numbers_as_ints(const Variant& value)
{
    switch (value.type()) {
    case GDEXTENSION_VARIANT_TYPE_FLOAT: {
        const double v = value.to_float();
        if (v == std::floor(v) && std::fabs(v) < 9.0e15)
            return Variant(static_cast<std::int64_t>(v));
        return value;
    }
    case GDEXTENSION_VARIANT_TYPE_ARRAY: {
        const std::int64_t size = value.call("size").to_int();
        for (std::int64_t k = 0; k < size; ++k)
            value.call("set", {Variant(k), whole_numbers_as_ints(value.call("get", {Variant(k)}))});
        return value;
    }
    case GDEXTENSION_VARIANT_TYPE_DICTIONARY: {
        const Variant keys = value.call("keys");
        const std::int64_t size = keys.call("size").to_int();
        for (std::int64_t k = 0; k < size; ++k) {
            const Variant key = keys.call("get", {Variant(k)});
            value.call("set", {key, whole_numbers_as_ints(value.call("get", {key}))});
        }
        return value;
    }
    default: return value;
    }
}

Variant parse_json(const std::string& text, GDExtensionVariantType container)
{
    const Variant json = construct("JSON");
    Variant data;
    if (json.call("parse", {Variant(text)}).to_int() == 0)
        data = whole_numbers_as_ints(json.call("get_data"));
    if (data.type() != container)
        data = container == GDEXTENSION_VARIANT_TYPE_DICTIONARY ? Variant::new_dictionary() : Variant::new_array();
    return data;
}

// A scalar of the value model as a Godot value.
Variant scalar_to_godot(const ValueStd& scalar)
{
    return std::visit([](const auto& v) -> Variant {
        using V = std::decay_t<decltype(v)>;
        if constexpr (std::is_same_v<V, int>)
            return Variant(static_cast<std::int64_t>(v));
        else if constexpr (std::is_same_v<V, double> || std::is_same_v<V, bool> || std::is_same_v<V, std::string>)
            return Variant(v);
        else if constexpr (std::is_same_v<V, sorvane::db::Vector2Std>)
            return from_floats(GDEXTENSION_VARIANT_TYPE_VECTOR2, std::array<double, 2>{v.x, v.y}.data(), 2);
        else if constexpr (std::is_same_v<V, sorvane::db::Vector3Std>)
            return from_floats(GDEXTENSION_VARIANT_TYPE_VECTOR3, std::array<double, 3>{v.x, v.y, v.z}.data(), 3);
        else if constexpr (std::is_same_v<V, sorvane::db::Vector4Std>)
            return from_floats(GDEXTENSION_VARIANT_TYPE_VECTOR4, std::array<double, 4>{v.x, v.y, v.z, v.w}.data(), 4);
        else if constexpr (std::is_same_v<V, sorvane::db::Vector2iStd>)
            return from_ints(GDEXTENSION_VARIANT_TYPE_VECTOR2I, std::array<std::int64_t, 2>{v.x, v.y}.data(), 2);
        else if constexpr (std::is_same_v<V, sorvane::db::Vector3iStd>)
            return from_ints(GDEXTENSION_VARIANT_TYPE_VECTOR3I, std::array<std::int64_t, 3>{v.x, v.y, v.z}.data(), 3);
        else
            return from_ints(GDEXTENSION_VARIANT_TYPE_VECTOR4I, std::array<std::int64_t, 4>{v.x, v.y, v.z, v.w}.data(), 4);
    }, scalar);
}

// A value the page sent, made into the Godot type `wanted` where Godot can.
Variant converted(const Variant& value, GDExtensionVariantType wanted)
{
    if (wanted == GDEXTENSION_VARIANT_TYPE_NIL || value.type() == wanted)
        return value;
    double parts[4];
    int n = components(value, parts);
    if (n == 0 && value.type() == GDEXTENSION_VARIANT_TYPE_ARRAY) {
        // An array of numbers for a vector-like type.
        const std::int64_t size = value.call("size").to_int();
        for (std::int64_t k = 0; k < size && k < 4; ++k)
            parts[n++] = value.call("get", {Variant(k)}).to_float();
    }
    switch (wanted) {
    case GDEXTENSION_VARIANT_TYPE_COLOR:
        if (n == 3 || n == 4)
            return Variant::from_color(static_cast<float>(parts[0]), static_cast<float>(parts[1]),
                                       static_cast<float>(parts[2]), n == 4 ? static_cast<float>(parts[3]) : 1.0f);
        break;
    case GDEXTENSION_VARIANT_TYPE_RECT2:
    case GDEXTENSION_VARIANT_TYPE_QUATERNION:
    case GDEXTENSION_VARIANT_TYPE_PLANE:
    case GDEXTENSION_VARIANT_TYPE_VECTOR4:
        if (n == 4)
            return from_floats(wanted, parts, 4);
        break;
    case GDEXTENSION_VARIANT_TYPE_VECTOR2:
    case GDEXTENSION_VARIANT_TYPE_VECTOR3:
        if (n >= (wanted == GDEXTENSION_VARIANT_TYPE_VECTOR2 ? 2 : 3))
            return from_floats(wanted, parts, wanted == GDEXTENSION_VARIANT_TYPE_VECTOR2 ? 2 : 3);
        break;
    case GDEXTENSION_VARIANT_TYPE_VECTOR2I:
    case GDEXTENSION_VARIANT_TYPE_VECTOR3I:
    case GDEXTENSION_VARIANT_TYPE_VECTOR4I:
    case GDEXTENSION_VARIANT_TYPE_RECT2I: {
        const int count = wanted == GDEXTENSION_VARIANT_TYPE_VECTOR2I ? 2 : wanted == GDEXTENSION_VARIANT_TYPE_VECTOR3I ? 3 : 4;
        if (n >= count) {
            std::int64_t whole[4];
            for (int k = 0; k < count; ++k)
                whole[k] = static_cast<std::int64_t>(parts[k]);
            return from_ints(wanted, whole, count);
        }
        break;
    }
    default: {
        // Godot's own conversions: float to int, text to StringName or NodePath, an array to a
        // packed array, ...
        const Variant made = constructed(wanted, {value});
        if (!made.is_nil())
            return made;
    }
    }
    return value;
}

}  // namespace

VariantTypeStd library_type(GDExtensionVariantType type)
{
    return static_cast<VariantTypeStd>(static_cast<int>(type) + 1);
}

bool is_carried(GDExtensionVariantType type)
{
    return type != GDEXTENSION_VARIANT_TYPE_OBJECT && type != GDEXTENSION_VARIANT_TYPE_CALLABLE &&
           type != GDEXTENSION_VARIANT_TYPE_SIGNAL && type != GDEXTENSION_VARIANT_TYPE_RID;
}

VariantTypeStd carried_type(GDExtensionVariantType type)
{
    switch (type) {
    case GDEXTENSION_VARIANT_TYPE_NIL:
    case GDEXTENSION_VARIANT_TYPE_BOOL:
    case GDEXTENSION_VARIANT_TYPE_INT:
    case GDEXTENSION_VARIANT_TYPE_FLOAT:
    case GDEXTENSION_VARIANT_TYPE_STRING:
    case GDEXTENSION_VARIANT_TYPE_VECTOR2:
    case GDEXTENSION_VARIANT_TYPE_VECTOR2I:
    case GDEXTENSION_VARIANT_TYPE_VECTOR3:
    case GDEXTENSION_VARIANT_TYPE_VECTOR3I:
    case GDEXTENSION_VARIANT_TYPE_VECTOR4:
    case GDEXTENSION_VARIANT_TYPE_VECTOR4I:
    case GDEXTENSION_VARIANT_TYPE_DICTIONARY:
    case GDEXTENSION_VARIANT_TYPE_ARRAY: return library_type(type);
    case GDEXTENSION_VARIANT_TYPE_COLOR:
    case GDEXTENSION_VARIANT_TYPE_RECT2:
    case GDEXTENSION_VARIANT_TYPE_QUATERNION:
    case GDEXTENSION_VARIANT_TYPE_PLANE: return VariantTypeStd::VECTOR4;
    case GDEXTENSION_VARIANT_TYPE_RECT2I: return VariantTypeStd::VECTOR4I;
    default:
        return is_packed_array(type) ? VariantTypeStd::ARRAY : VariantTypeStd::STRING;
    }
}

ContainerStd to_page(const Variant& value)
{
    const GDExtensionVariantType type = value.type();
    double p[4];
    const int n = components(value, p);
    switch (carried_type(type)) {
    case VariantTypeStd::NIL: return ValueStd(0);
    case VariantTypeStd::BOOL: return ValueStd(value.to_bool());
    case VariantTypeStd::INT: {
        const std::int64_t v = value.to_int();
        if (v < std::numeric_limits<int>::min() || v > std::numeric_limits<int>::max())
            return ValueStd(static_cast<double>(v));  // beyond the model's int: as a number
        return ValueStd(static_cast<int>(v));
    }
    case VariantTypeStd::FLOAT: return ValueStd(value.to_float());
    case VariantTypeStd::VECTOR2: return ValueStd(sorvane::db::Vector2Std{p[0], p[1]});
    case VariantTypeStd::VECTOR3: return ValueStd(sorvane::db::Vector3Std{p[0], p[1], p[2]});
    case VariantTypeStd::VECTOR4: return ValueStd(sorvane::db::Vector4Std{p[0], p[1], p[2], p[3]});
    case VariantTypeStd::VECTOR2I:
        return ValueStd(sorvane::db::Vector2iStd{static_cast<std::int32_t>(p[0]), static_cast<std::int32_t>(p[1])});
    case VariantTypeStd::VECTOR3I:
        return ValueStd(sorvane::db::Vector3iStd{static_cast<std::int32_t>(p[0]), static_cast<std::int32_t>(p[1]),
                                                 static_cast<std::int32_t>(p[2])});
    case VariantTypeStd::VECTOR4I:
        return ValueStd(sorvane::db::Vector4iStd{static_cast<std::int32_t>(p[0]), static_cast<std::int32_t>(p[1]),
                                                 static_cast<std::int32_t>(p[2]), static_cast<std::int32_t>(p[3])});
    case VariantTypeStd::DICTIONARY:
    case VariantTypeStd::ARRAY: return ValueStd(to_json(value));
    default: (void)n; return ValueStd(value.to_string());
    }
}

Variant from_page(const ContainerStd& value, VariantTypeStd carried, GDExtensionVariantType wanted)
{
    const ValueStd* scalar = std::get_if<ValueStd>(&value);
    if (!scalar)
        return Variant();
    Variant made;
    const std::string* text = std::get_if<std::string>(scalar);
    if (text && carried == VariantTypeStd::DICTIONARY)
        made = parse_json(*text, GDEXTENSION_VARIANT_TYPE_DICTIONARY);
    else if (text && carried == VariantTypeStd::ARRAY)
        made = parse_json(*text, GDEXTENSION_VARIANT_TYPE_ARRAY);
    else
        made = scalar_to_godot(*scalar);
    return converted(made, wanted);
}

std::string to_json(const Variant& value)
{
    std::string out;
    append_json(out, value, 0);
    return out;
}

bool same_value(const Variant& a, const Variant& b)
{
    if (a.type() != b.type())
        return false;
    alignas(8) std::uint8_t raw[24];
    GDExtensionBool valid = 0;
    gd.variant_evaluate(GDEXTENSION_VARIANT_OP_EQUAL, a.ptr(), b.ptr(), raw, &valid);
    const Variant result = Variant::from_copy(raw);
    gd.variant_destroy(raw);
    return valid && result.to_bool();
}

Variant detached_copy(const Variant& value)
{
    const GDExtensionVariantType type = value.type();
    if (type == GDEXTENSION_VARIANT_TYPE_ARRAY || type == GDEXTENSION_VARIANT_TYPE_DICTIONARY)
        return value.call("duplicate", {Variant(true)});
    return value;
}

}  // namespace sorvane_godot
