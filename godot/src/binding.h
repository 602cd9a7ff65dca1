// Registering a class with the engine from one table that names each of its members once: its
// methods (with argument names and types), its properties (each with its setter and getter among
// the methods), its signals and its integer constants, in the order the editor's help lists them.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <type_traits>
#include <vector>

#include "variant.h"

namespace sorvane_godot {

// The C++ side of an engine object of a registered class. The engine object owns it: it is
// deleted when the engine frees the object.
class ExtensionObject {
public:
    explicit ExtensionObject(GDExtensionObjectPtr owner) : m_owner(owner) {}
    virtual ~ExtensionObject() = default;
    ExtensionObject(const ExtensionObject&) = delete;
    ExtensionObject& operator=(const ExtensionObject&) = delete;

    // The engine's notifications (NOTIFICATION_ENTER_TREE, NOTIFICATION_DRAW, ...).
    virtual void notification(int /*what*/) {}

    GDExtensionObjectPtr owner() const { return m_owner; }
    // The engine object, to call its methods by name.
    Variant self() const { return Variant::from_object(m_owner); }
    void emit(const char* signal, const std::vector<Variant>& args = {}) const;

private:
    GDExtensionObjectPtr m_owner;
};

// A typed name: an argument, a return value, a property or a signal argument.
struct Slot {
    const char* name;
    GDExtensionVariantType type;
    const char* class_name = "";  // for objects: the engine class
};

inline constexpr Slot no_result{"", GDEXTENSION_VARIANT_TYPE_NIL};

// A method body: the instance and the arguments, already converted to the declared types.
using MethodBody = std::function<Variant(ExtensionObject& self, const std::vector<Variant>& args)>;

// A body from a function of the class T; one that returns nothing answers nil.
template <class T, class F>
MethodBody body(F f)
{
    return [f](ExtensionObject& self, const std::vector<Variant>& args) -> Variant {
        if constexpr (std::is_void_v<std::invoke_result_t<F, T&, const std::vector<Variant>&>>) {
            f(static_cast<T&>(self), args);
            return Variant();
        } else {
            return Variant(f(static_cast<T&>(self), args));
        }
    };
}

struct MethodEntry {
    const char* name;
    Slot result;
    std::vector<Slot> arguments;
    MethodBody body;
    bool is_const = false;
};

struct PropertyEntry {
    Slot slot;
    const char* setter;  // "" for a read-only property
    const char* getter;
    std::uint32_t hint = 0;
    const char* hint_string = "";
    // A group of the inspector instead of a property: the properties after it whose names begin
    // with `prefix` show under `slot.name` (an empty name ends the group).
    const char* group_prefix = nullptr;

    static PropertyEntry group(const char* name, const char* prefix = "")
    {
        return {{name, GDEXTENSION_VARIANT_TYPE_NIL}, "", "", 0, "", prefix};
    }
};

struct SignalEntry {
    const char* name;
    std::vector<Slot> arguments;
};

// An integer constant of an enum of the class (Godot shows it as ClassName.NAME).
struct ConstantEntry {
    const char* enum_name;
    const char* name;
    std::int64_t value;
};

using VirtualBody = std::function<void(ExtensionObject& self, const GDExtensionConstTypePtr* args, GDExtensionTypePtr result)>;

struct ClassTable {
    const char* name;
    const char* parent;
    std::function<ExtensionObject*(GDExtensionObjectPtr owner)> create;
    // Made only by the extension (instantiate()), never by scripts or the editor.
    bool abstract = false;
    // Overridden virtual methods of the engine class, with their arguments as the engine hands
    // them to native code (pointers to the native values).
    std::vector<std::pair<const char*, VirtualBody>> virtuals;
    std::vector<MethodEntry> methods;
    std::vector<PropertyEntry> properties;
    std::vector<SignalEntry> signals;
    std::vector<ConstantEntry> constants;
};

// A new engine object of a registered class and its C++ side, as create_instance makes them for
// the engine; the Variant holds the object (and keeps a reference-counted one alive).
Variant instantiate(const ClassTable& table, ExtensionObject*& instance);

// Registers the class; the table must stay alive until unregister_classes().
void register_class(const ClassTable& table);
// Unregisters every class registered, the last one first.
void unregister_classes();

}  // namespace sorvane_godot
