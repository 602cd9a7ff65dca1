#include "variant.h"

#include <cstring>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <vector>

namespace sorvane_godot {

namespace {

struct StringNameStorage {
    alignas(8) std::uint8_t data[8];
};

std::mutex names_mutex;
std::unordered_map<std::string, std::unique_ptr<StringNameStorage>> names;

GDExtensionVariantFromTypeConstructorFunc from_type_constructor(GDExtensionVariantType type)
{
    static GDExtensionVariantFromTypeConstructorFunc table[GDEXTENSION_VARIANT_TYPE_VARIANT_MAX] = {};
    if (!table[type])
        table[type] = gd.get_variant_from_type_constructor(type);
    return table[type];
}

GDExtensionTypeFromVariantConstructorFunc to_type_constructor(GDExtensionVariantType type)
{
    static GDExtensionTypeFromVariantConstructorFunc table[GDEXTENSION_VARIANT_TYPE_VARIANT_MAX] = {};
    if (!table[type])
        table[type] = gd.get_variant_to_type_constructor(type);
    return table[type];
}

void destroy_value(GDExtensionVariantType type, void* value)
{
    gd.variant_get_ptr_destructor(type)(value);
}

}  // namespace

GDExtensionConstStringNamePtr sname(const std::string& text)
{
    std::lock_guard lock(names_mutex);
    auto& slot = names[text];
    if (!slot) {
        slot = std::make_unique<StringNameStorage>();
        gd.string_name_new_with_utf8_chars(slot->data, text.c_str());
    }
    return slot->data;
}

void release_string_names()
{
    std::lock_guard lock(names_mutex);
    for (auto& [text, storage] : names)
        destroy_value(GDEXTENSION_VARIANT_TYPE_STRING_NAME, storage->data);
    names.clear();
}

GString::GString(const std::string& text)
{
    gd.string_new_with_utf8_chars_and_len(m_data, text.data(), static_cast<GDExtensionInt>(text.size()));
}

GString::~GString()
{
    destroy_value(GDEXTENSION_VARIANT_TYPE_STRING, m_data);
}

std::string GString::utf8() const
{
    const GDExtensionInt length = gd.string_to_utf8_chars(m_data, nullptr, 0);
    std::string out(static_cast<std::size_t>(length), '\0');
    gd.string_to_utf8_chars(m_data, out.data(), length);
    return out;
}

Variant::Variant()
{
    gd.variant_new_nil(m_data);
}

Variant Variant::from_type(GDExtensionVariantType type, const void* value)
{
    Variant out;
    gd.variant_destroy(out.m_data);
    from_type_constructor(type)(out.m_data, const_cast<void*>(value));
    return out;
}

void Variant::to_type(GDExtensionVariantType type, void* out) const
{
    to_type_constructor(type)(out, const_cast<std::uint8_t*>(m_data));
}

Variant::Variant(bool value)
{
    GDExtensionBool b = value;
    from_type_constructor(GDEXTENSION_VARIANT_TYPE_BOOL)(m_data, &b);
}

Variant::Variant(std::int64_t value)
{
    from_type_constructor(GDEXTENSION_VARIANT_TYPE_INT)(m_data, &value);
}

Variant::Variant(double value)
{
    from_type_constructor(GDEXTENSION_VARIANT_TYPE_FLOAT)(m_data, &value);
}

Variant::Variant(const std::string& text)
{
    GString s(text);
    from_type_constructor(GDEXTENSION_VARIANT_TYPE_STRING)(m_data, s.ptr());
}

Variant Variant::from_object(GDExtensionObjectPtr object)
{
    return from_type(GDEXTENSION_VARIANT_TYPE_OBJECT, &object);
}

Variant Variant::from_string_name(const std::string& text)
{
    return from_type(GDEXTENSION_VARIANT_TYPE_STRING_NAME, sname(text));
}

Variant Variant::from_rid(std::uint64_t rid)
{
    return from_type(GDEXTENSION_VARIANT_TYPE_RID, &rid);
}

namespace {

Variant constructed(GDExtensionVariantType type)
{
    Variant out;
    gd.variant_destroy(out.ptr());
    GDExtensionCallError error{};
    gd.variant_construct(type, out.ptr(), nullptr, 0, &error);
    return out;
}

}  // namespace

Variant::Variant(const std::vector<std::string>& texts) : Variant(constructed(GDEXTENSION_VARIANT_TYPE_PACKED_STRING_ARRAY))
{
    for (const std::string& text : texts)
        call("push_back", {Variant(text)});
}

std::vector<std::string> Variant::to_strings() const
{
    std::vector<std::string> out;
    const GDExtensionVariantType kind = type();
    if (kind != GDEXTENSION_VARIANT_TYPE_PACKED_STRING_ARRAY && kind != GDEXTENSION_VARIANT_TYPE_ARRAY)
        return out;
    const std::int64_t count = call("size").to_int();
    for (std::int64_t i = 0; i < count; ++i)
        out.push_back(call("get", {Variant(i)}).to_string());
    return out;
}

Variant Variant::new_dictionary()
{
    return constructed(GDEXTENSION_VARIANT_TYPE_DICTIONARY);
}

Variant Variant::new_array()
{
    return constructed(GDEXTENSION_VARIANT_TYPE_ARRAY);
}

Variant Variant::new_node_path(const std::string& text)
{
    Variant out;
    gd.variant_destroy(out.ptr());
    const Variant argument(text);
    GDExtensionConstVariantPtr arguments[] = {argument.ptr()};
    GDExtensionCallError error{};
    gd.variant_construct(GDEXTENSION_VARIANT_TYPE_NODE_PATH, out.ptr(), arguments, 1, &error);
    return out;
}

Variant Variant::packed_vector2_array(const float* xy, std::size_t count)
{
    constexpr auto kType = GDEXTENSION_VARIANT_TYPE_PACKED_VECTOR2_ARRAY;
    Variant array = constructed(kType);
    array.call("resize", {Variant(static_cast<std::int64_t>(count))});
    if (count == 0)
        return array;
    // The array's own storage, written in one copy (Godot's Vector2 is two floats).
    alignas(8) std::uint8_t native[32] = {};
    array.to_type(kType, native);
    array = Variant();  // the native copy holds the only reference: writing does not copy it
    auto* data = static_cast<float*>(gd.packed_vector2_array_operator_index(native, 0));
    std::memcpy(data, xy, count * 2 * sizeof(float));
    Variant out = from_type(kType, native);
    destroy_value(kType, native);
    return out;
}

Variant Variant::from_vector2(float x, float y)
{
    float v[2] = {x, y};
    return from_type(GDEXTENSION_VARIANT_TYPE_VECTOR2, v);
}

Variant Variant::from_rect2(float x, float y, float width, float height)
{
    float v[4] = {x, y, width, height};
    return from_type(GDEXTENSION_VARIANT_TYPE_RECT2, v);
}

Variant Variant::from_color(float r, float g, float b, float a)
{
    float v[4] = {r, g, b, a};
    return from_type(GDEXTENSION_VARIANT_TYPE_COLOR, v);
}

Variant Variant::from_copy(GDExtensionConstVariantPtr source)
{
    Variant out;
    gd.variant_destroy(out.m_data);
    gd.variant_new_copy(out.m_data, source);
    return out;
}

Variant::Variant(const Variant& other)
{
    gd.variant_new_copy(m_data, other.m_data);
}

Variant& Variant::operator=(const Variant& other)
{
    if (this != &other) {
        gd.variant_destroy(m_data);
        gd.variant_new_copy(m_data, other.m_data);
    }
    return *this;
}

Variant::~Variant()
{
    gd.variant_destroy(m_data);
}

void Variant::copy_to(GDExtensionUninitializedVariantPtr destination) const
{
    gd.variant_new_copy(destination, m_data);
}

GDExtensionVariantType Variant::type() const
{
    return gd.variant_get_type(m_data);
}

bool Variant::to_bool() const
{
    GDExtensionBool b = 0;
    to_type(GDEXTENSION_VARIANT_TYPE_BOOL, &b);
    return b != 0;
}

std::int64_t Variant::to_int() const
{
    std::int64_t value = 0;
    to_type(GDEXTENSION_VARIANT_TYPE_INT, &value);
    return value;
}

double Variant::to_float() const
{
    double value = 0;
    to_type(GDEXTENSION_VARIANT_TYPE_FLOAT, &value);
    return value;
}

std::string Variant::to_string() const
{
    alignas(8) std::uint8_t storage[8];
    if (type() == GDEXTENSION_VARIANT_TYPE_STRING)
        to_type(GDEXTENSION_VARIANT_TYPE_STRING, storage);
    else
        gd.variant_stringify(m_data, storage);
    const GDExtensionInt length = gd.string_to_utf8_chars(storage, nullptr, 0);
    std::string out(static_cast<std::size_t>(length), '\0');
    gd.string_to_utf8_chars(storage, out.data(), length);
    destroy_value(GDEXTENSION_VARIANT_TYPE_STRING, storage);
    return out;
}

GDExtensionObjectPtr Variant::to_object() const
{
    if (type() != GDEXTENSION_VARIANT_TYPE_OBJECT)
        return nullptr;
    GDExtensionObjectPtr object = nullptr;
    to_type(GDEXTENSION_VARIANT_TYPE_OBJECT, &object);
    return object;
}

std::uint64_t Variant::to_rid() const
{
    std::uint64_t rid = 0;
    if (type() == GDEXTENSION_VARIANT_TYPE_RID)
        to_type(GDEXTENSION_VARIANT_TYPE_RID, &rid);
    return rid;
}

void Variant::to_vector2(float& x, float& y) const
{
    float v[2] = {0, 0};
    if (type() == GDEXTENSION_VARIANT_TYPE_VECTOR2)
        to_type(GDEXTENSION_VARIANT_TYPE_VECTOR2, v);
    x = v[0];
    y = v[1];
}

Variant Variant::call(const char* method, const std::vector<Variant>& args) const
{
    std::vector<GDExtensionConstVariantPtr> pointers;
    pointers.reserve(args.size());
    for (const Variant& arg : args)
        pointers.push_back(arg.ptr());
    Variant result;
    gd.variant_destroy(result.m_data);
    GDExtensionCallError error{};
    gd.variant_call(const_cast<std::uint8_t*>(m_data), sname(method), pointers.data(),
                    static_cast<GDExtensionInt>(pointers.size()), result.m_data, &error);
    if (error.error != GDEXTENSION_CALL_OK) {
        print_error(std::string("calling ") + method + " failed (error " + std::to_string(error.error) +
                    ", argument " + std::to_string(error.argument) + ")");
        return Variant();
    }
    return result;
}

Variant singleton(const char* name)
{
    return Variant::from_object(gd.global_get_singleton(sname(name)));
}

Variant construct(const char* class_name)
{
    GDExtensionObjectPtr object = gd.classdb_construct_object2(sname(class_name));
    Variant held = Variant::from_object(object);
    held.call("notification", {Variant(0)});  // NOTIFICATION_POSTINITIALIZE
    return held;
}

void print_error(const std::string& message)
{
    gd.print_error_with_message("webview extension", message.c_str(), "", "", 0, false);
}

void print_warning(const std::string& message)
{
    gd.print_warning_with_message("webview extension", message.c_str(), "", "", 0, false);
}

Variant call_static(const char* class_name, const char* method, const std::vector<Variant>& args)
{
    std::vector<Variant> all = {Variant::from_string_name(class_name), Variant::from_string_name(method)};
    all.insert(all.end(), args.begin(), args.end());
    return singleton("ClassDB").call("class_call_static", all);
}

}  // namespace sorvane_godot
