#pragma once

// The engine's side of data binding: values, value types and the descriptions of engine objects
// that a web page reaches as `godot.<name>` (see SWebView::webchannel_registerObject).
//
// Plain standard C++: no Qt, no virtual functions. The engine and the library must be built
// against this one definition with the same compiler and standard library, because objects of
// these types cross the library boundary by pointer.
//
// Ownership of descriptions: the engine allocates AbstractContextObjectStd, MethodInfoStd and
// PropertyInfoStd with plain `new` (exactly these types, never subclasses). Registering an object
// hands it to the library, together with every method in `methods`, every property in
// `properties` and every parameter in a method's `args`. The library deletes each of them
// exactly once, with plain `delete`, when the object is deregistered, when the web view's page
// scene goes away, or when a registration made before the scene existed is replaced or never
// handed over. The maps and lists inside the structures do not own what they point to. The
// engine must not use an object or its descriptions after deregistering it.

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace sorvane::db {

// --- Values ------------------------------------------------------------------------------------

struct Vector2Std {
    double x;
    double y;
};
struct Vector2iStd {
    std::int32_t x;
    std::int32_t y;
};
struct Vector3Std {
    double x;
    double y;
    double z;
};
struct Vector3iStd {
    std::int32_t x;
    std::int32_t y;
    std::int32_t z;
};
struct Vector4Std {
    double x;
    double y;
    double z;
    double w;
};
struct Vector4iStd {
    std::int32_t x;
    std::int32_t y;
    std::int32_t z;
    std::int32_t w;
};

// One scalar value. The order of the alternatives is part of the interface:
// 0 int, 1 UTF-8 text, 2 double, 3 bool, 4..9 the vectors in the order declared above.
using ValueStd = std::variant<int, std::string, double, bool, Vector2Std, Vector2iStd, Vector3Std,
                              Vector3iStd, Vector4Std, Vector4iStd>;

// One engine value: 0 a scalar, 1 a text-keyed table, 2 a list. The library only produces and
// reads the scalar; dictionaries and arrays travel as compact JSON text in the text alternative.
using ContainerStd =
    std::variant<ValueStd, std::map<std::string, ValueStd>, std::vector<ValueStd>>;

// --- Value types -------------------------------------------------------------------------------

// The engine's variant type numbers plus one ("UNKNOWN" comes first, so NIL is 1).
// The bridge gives behaviour to NIL, BOOL, INT, FLOAT, STRING, the six vectors, DICTIONARY and
// ARRAY; every other type is carried by the value it holds.
enum class VariantTypeStd : std::int32_t {
    UNKNOWN = 0,
    NIL,
    BOOL,
    INT,
    FLOAT,
    STRING,
    VECTOR2,
    VECTOR2I,
    RECT2,
    RECT2I,
    VECTOR3,
    VECTOR3I,
    TRANSFORM2D,
    VECTOR4,
    VECTOR4I,
    PLANE,
    QUATERNION,
    AABB,
    BASIS,
    TRANSFORM3D,
    PROJECTION,
    COLOR,
    STRING_NAME,
    NODE_PATH,
    RID,
    OBJECT,
    CALLABLE,
    SIGNAL,
    DICTIONARY,
    ARRAY,
    PACKED_BYTE_ARRAY,
    PACKED_INT32_ARRAY,
    PACKED_INT64_ARRAY,
    PACKED_FLOAT32_ARRAY,
    PACKED_FLOAT64_ARRAY,
    PACKED_STRING_ARRAY,
    PACKED_VECTOR2_ARRAY,
    PACKED_VECTOR3_ARRAY,
    PACKED_COLOR_ARRAY,
    PACKED_VECTOR4_ARRAY,
    VARIANT_MAX,
};

// The type names, in value order. The spelling of 22 is as the engine side has it.
inline constexpr std::array<std::string_view, 41> kVariantTypeNames = {
    "UNKNOWN",            "NIL",                  "BOOL",
    "INT",                "FLOAT",                "STRING",
    "VECTOR2",            "VECTOR2I",             "RECT2",
    "RECT2I",             "VECTOR3",              "VECTOR3I",
    "TRANSFORM2D",        "VECTOR4",              "VECTOR4I",
    "PLANE",              "QUATERNION",           "AABB",
    "BASIS",              "TRANSFORM3D",          "PROJECTION",
    "COLOR",              "STRINNAME",            "NODE_PATH",
    "RID",                "OBJECT",               "CALLABLE",
    "SIGNAL",             "DICTIONARY",           "ARRAY",
    "PACKED_BYTE_ARRAY",  "PACKED_INT32_ARRAY",   "PACKED_INT64_ARRAY",
    "PACKED_FLOAT32_ARRAY", "PACKED_FLOAT64_ARRAY", "PACKED_STRING_ARRAY",
    "PACKED_VECTOR2_ARRAY", "PACKED_VECTOR3_ARRAY", "PACKED_COLOR_ARRAY",
    "PACKED_VECTOR4_ARRAY", "VARIANT_MAX",
};

// The name of a type; empty for a value outside 0..40.
constexpr std::string_view variant_type_name(VariantTypeStd type)
{
    const auto index = static_cast<std::int32_t>(type);
    if (index < 0 || index >= static_cast<std::int32_t>(kVariantTypeNames.size()))
        return {};
    return kVariantTypeNames[static_cast<std::size_t>(index)];
}

// --- Descriptions of engine objects --------------------------------------------------------------
//
// The field order is part of the interface. Fields documented as "engine's own" are never read by
// the library; it only copies and destroys them with their structure.

// One property of an engine object, or one parameter of a method.
struct PropertyInfoStd {
    void* engine_data = nullptr;  // engine's own
    VariantTypeStd type = VariantTypeStd::NIL;
    std::string name;
    ContainerStd value;  // the current value
    std::string class_name;                          // engine's own
    std::string hint_string;                         // engine's own
    std::vector<std::string> engine_list;            // engine's own
    std::map<std::string, std::string> engine_map;   // engine's own
    // Installed by the library when the object is registered. Call it, from any thread, after
    // changing `value`; the page then hears of the change. It returns at once; the value is read
    // later on the library's Qt thread, so keep it stable until then.
    std::function<void(const PropertyInfoStd*)> func_valueChanged_updateWeb;
    // Installed by the engine. The library calls it on its Qt thread after the page wrote `value`.
    std::function<void(PropertyInfoStd*)> func_valueChanged_updateGodot;
};

// One method or signal of an engine object.
struct MethodInfoStd {
    void* engine_data = nullptr;  // engine's own
    std::string name;
    std::uint32_t engine_flags = 0;  // engine's own
    // The parameters in call order; each gives its `name` and declared `type`.
    std::vector<PropertyInfoStd*> args;
    std::vector<ContainerStd> engine_defaults;  // engine's own
    void* engine_word = nullptr;                // engine's own
    std::vector<std::string> engine_list;       // engine's own
    // True for a signal that the engine emits toward the page.
    bool is_signal = false;
    // Installed by the library on signals when the object is registered. Call it, from any
    // thread, to emit the signal: one value and one declared type per argument. It returns at
    // once.
    std::function<void(const MethodInfoStd*, std::vector<ContainerStd>, std::vector<VariantTypeStd>)>
        func_signal_emitted;
    // Installed by the engine. The library calls it on its Qt thread when the page calls the
    // method, with one value per argument. Nothing travels back to the page.
    std::function<void(MethodInfoStd*, std::vector<ContainerStd>)> func_call_method;
};

// One engine object. Register it under its own `name`: the page finds its members there.
struct AbstractContextObjectStd {
    std::string name;
    // Every method (alternative 0) and property (alternative 1) by name. Each key of `methods`
    // and of `properties` must be here too, pointing to the same description.
    std::map<std::string, std::variant<MethodInfoStd*, PropertyInfoStd*>> members;
    std::vector<std::string> engine_list;  // engine's own
    std::map<std::string, MethodInfoStd*> methods;
    std::map<std::string, PropertyInfoStd*> properties;
    std::function<void()> engine_func_1;  // engine's own
    std::function<void()> engine_func_2;  // engine's own
};

}  // namespace sorvane::db
