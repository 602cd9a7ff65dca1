// The few engine value types the extension handles: Variant, String and StringName, with the
// conversions and the calls by name that the rest of the extension uses. Engine methods are called
// by name through Variant::call (the engine looks the method up), so no method hashes are needed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "interface.h"

namespace sorvane_godot {

// The StringName of a text, made once and kept until release_string_names() (at the extension's
// last de-initialisation). Any thread may ask.
GDExtensionConstStringNamePtr sname(const std::string& text);
void release_string_names();

// An engine String made from UTF-8 text, released with the object.
class GString {
public:
    explicit GString(const std::string& text = {});
    ~GString();
    GString(const GString&) = delete;
    GString& operator=(const GString&) = delete;
    GDExtensionStringPtr ptr() { return m_data; }
    GDExtensionConstStringPtr ptr() const { return m_data; }
    std::string utf8() const;

private:
    alignas(8) std::uint8_t m_data[8];
};

class Variant {
public:
    Variant();
    Variant(bool value);
    Variant(int value) : Variant(static_cast<std::int64_t>(value)) {}
    Variant(std::int64_t value);
    Variant(double value);
    Variant(const std::string& text);
    Variant(const char* text) : Variant(std::string(text)) {}
    // A PackedStringArray.
    Variant(const std::vector<std::string>& texts);
    static Variant from_object(GDExtensionObjectPtr object);
    static Variant from_string_name(const std::string& text);
    static Variant from_rid(std::uint64_t rid);
    static Variant from_vector2(float x, float y);
    static Variant from_rect2(float x, float y, float width, float height);
    static Variant from_color(float r, float g, float b, float a);
    // An empty Dictionary or Array, filled with call("set", {key, value}) or call("push_back", {value}).
    static Variant new_dictionary();
    // A NodePath from its text.
    static Variant new_node_path(const std::string& text);
    // A PackedVector2Array of `count` vectors from `xy` (x, y, x, y, ...).
    static Variant packed_vector2_array(const float* xy, std::size_t count);
    static Variant new_array();
    // Takes over an initialised engine Variant (for example one the engine handed back).
    static Variant from_copy(GDExtensionConstVariantPtr source);

    Variant(const Variant& other);
    Variant& operator=(const Variant& other);
    ~Variant();

    GDExtensionVariantType type() const;
    bool is_nil() const { return type() == GDEXTENSION_VARIANT_TYPE_NIL; }
    bool to_bool() const;
    std::int64_t to_int() const;
    double to_float() const;
    // The text of a String or StringName; any other value as the engine writes it.
    std::string to_string() const;
    // The texts of a PackedStringArray or an Array (each element as to_string() writes it).
    std::vector<std::string> to_strings() const;
    GDExtensionObjectPtr to_object() const;
    std::uint64_t to_rid() const;
    void to_vector2(float& x, float& y) const;

    // Calls a method by name on the object or value held. Errors are reported by the engine's
    // error output, naming the method; the result is then nil.
    Variant call(const char* method, const std::vector<Variant>& args = {}) const;

    GDExtensionVariantPtr ptr() { return m_data; }
    GDExtensionConstVariantPtr ptr() const { return m_data; }
    // Writes a copy into uninitialised engine storage.
    void copy_to(GDExtensionUninitializedVariantPtr destination) const;

    // Between a Variant and the native value of a type (as ptrcalls pass them).
    static Variant from_type(GDExtensionVariantType type, const void* value);
    void to_type(GDExtensionVariantType type, void* out) const;

private:
    alignas(8) std::uint8_t m_data[24];
};

// An engine singleton (RenderingServer, Engine, ...) as a Variant to call on.
Variant singleton(const char* name);
// A new object of an engine class, notified of its initialisation, held by the returned Variant
// (which keeps a reference-counted object alive).
Variant construct(const char* class_name);
// A static method of an engine class (FileAccess, DirAccess: classes with no instance to call on).
Variant call_static(const char* class_name, const char* method, const std::vector<Variant>& args);

// Messages on the engine's output, in the editor's log too.
void print_error(const std::string& message);
void print_warning(const std::string& message);

}  // namespace sorvane_godot
