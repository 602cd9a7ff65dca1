#include "binding.h"

#include <cstring>
#include <deque>

namespace sorvane_godot {

namespace {

constexpr std::uint32_t kUsageDefault = 6;          // PROPERTY_USAGE_DEFAULT: stored, in the editor
constexpr std::uint32_t kUsageEditor = 4;           // PROPERTY_USAGE_EDITOR
constexpr std::uint32_t kUsageReadOnly = 1u << 28;  // PROPERTY_USAGE_READ_ONLY
constexpr std::uint32_t kUsageNilIsVariant = 1u << 17;  // PROPERTY_USAGE_NIL_IS_VARIANT: any value

std::vector<const ClassTable*> registered;

// A GDExtensionPropertyInfo with the storage its pointers point into.
struct PropertyInfo {
    GString hint_string;
    GDExtensionPropertyInfo info{};

    PropertyInfo(const Slot& slot, std::uint32_t usage, std::uint32_t hint = 0, const char* hint_text = "")
        : hint_string(hint_text)
    {
        info.type = slot.type;
        info.name = const_cast<GDExtensionStringNamePtr>(sname(slot.name));
        info.class_name = const_cast<GDExtensionStringNamePtr>(sname(slot.class_name));
        info.hint = hint;
        info.hint_string = hint_string.ptr();
        info.usage = slot.type == GDEXTENSION_VARIANT_TYPE_NIL ? usage | kUsageNilIsVariant : usage;
    }
};

GDExtensionClassMethodArgumentMetadata metadata_of(GDExtensionVariantType type)
{
    switch (type) {
    case GDEXTENSION_VARIANT_TYPE_INT: return GDEXTENSION_METHOD_ARGUMENT_METADATA_INT_IS_INT64;
    case GDEXTENSION_VARIANT_TYPE_FLOAT: return GDEXTENSION_METHOD_ARGUMENT_METADATA_REAL_IS_DOUBLE;
    default: return GDEXTENSION_METHOD_ARGUMENT_METADATA_NONE;
    }
}

// Whether a value of one type is accepted where another is declared (the engine converts ints
// and floats both ways in calls, and any object or nil where an object is asked for).
bool accepts(GDExtensionVariantType declared, GDExtensionVariantType given)
{
    if (declared == GDEXTENSION_VARIANT_TYPE_NIL || declared == given)
        return true;
    if (declared == GDEXTENSION_VARIANT_TYPE_FLOAT && given == GDEXTENSION_VARIANT_TYPE_INT)
        return true;
    if (declared == GDEXTENSION_VARIANT_TYPE_INT && given == GDEXTENSION_VARIANT_TYPE_FLOAT)
        return true;
    if (declared == GDEXTENSION_VARIANT_TYPE_STRING && given == GDEXTENSION_VARIANT_TYPE_STRING_NAME)
        return true;
    if (declared == GDEXTENSION_VARIANT_TYPE_OBJECT && given == GDEXTENSION_VARIANT_TYPE_NIL)
        return true;
    if (declared == GDEXTENSION_VARIANT_TYPE_PACKED_STRING_ARRAY && given == GDEXTENSION_VARIANT_TYPE_ARRAY)
        return true;
    if (declared == GDEXTENSION_VARIANT_TYPE_NODE_PATH && given == GDEXTENSION_VARIANT_TYPE_STRING)
        return true;
    return false;
}

// A value converted to the declared type, so that bodies read it with one accessor.
Variant converted(GDExtensionVariantType declared, const Variant& value)
{
    if (declared == value.type() || declared == GDEXTENSION_VARIANT_TYPE_NIL)
        return value;
    switch (declared) {
    case GDEXTENSION_VARIANT_TYPE_FLOAT: return Variant(static_cast<double>(value.to_int()));
    case GDEXTENSION_VARIANT_TYPE_INT: return Variant(static_cast<std::int64_t>(value.to_float()));
    case GDEXTENSION_VARIANT_TYPE_STRING: return Variant(value.to_string());
    case GDEXTENSION_VARIANT_TYPE_PACKED_STRING_ARRAY: return Variant(value.to_strings());
    case GDEXTENSION_VARIANT_TYPE_NODE_PATH: return Variant::new_node_path(value.to_string());
    default: return value;
    }
}

void method_call(void* method_userdata, GDExtensionClassInstancePtr instance, const GDExtensionConstVariantPtr* args,
                 GDExtensionInt count, GDExtensionVariantPtr result, GDExtensionCallError* error)
{
    const auto& method = *static_cast<const MethodEntry*>(method_userdata);
    const auto expected = static_cast<GDExtensionInt>(method.arguments.size());
    if (count != expected) {
        error->error = count < expected ? GDEXTENSION_CALL_ERROR_TOO_FEW_ARGUMENTS : GDEXTENSION_CALL_ERROR_TOO_MANY_ARGUMENTS;
        error->expected = static_cast<int32_t>(expected);
        return;
    }
    std::vector<Variant> values;
    values.reserve(method.arguments.size());
    for (std::size_t i = 0; i < method.arguments.size(); ++i) {
        Variant value = Variant::from_copy(args[i]);
        if (!accepts(method.arguments[i].type, value.type())) {
            error->error = GDEXTENSION_CALL_ERROR_INVALID_ARGUMENT;
            error->argument = static_cast<int32_t>(i);
            error->expected = method.arguments[i].type;
            return;
        }
        values.push_back(converted(method.arguments[i].type, value));
    }
    error->error = GDEXTENSION_CALL_OK;
    const Variant out = method.body(*static_cast<ExtensionObject*>(instance), values);
    gd.variant_destroy(result);
    out.copy_to(result);
}

void method_ptrcall(void* method_userdata, GDExtensionClassInstancePtr instance, const GDExtensionConstTypePtr* args,
                    GDExtensionTypePtr result)
{
    const auto& method = *static_cast<const MethodEntry*>(method_userdata);
    std::vector<Variant> values;
    values.reserve(method.arguments.size());
    for (std::size_t i = 0; i < method.arguments.size(); ++i) {
        const GDExtensionVariantType type = method.arguments[i].type;
        if (type == GDEXTENSION_VARIANT_TYPE_OBJECT)
            values.push_back(Variant::from_object(*static_cast<const GDExtensionObjectPtr*>(args[i])));
        else
            values.push_back(Variant::from_type(type, args[i]));
    }
    const Variant out = method.body(*static_cast<ExtensionObject*>(instance), values);
    const GDExtensionVariantType type = method.result.type;
    if (type == GDEXTENSION_VARIANT_TYPE_NIL || !result)
        return;
    if (type == GDEXTENSION_VARIANT_TYPE_OBJECT) {
        // Objects this extension hands out are resources: the caller holds a Ref to fill.
        gd.ref_set_object(result, out.to_object());
        return;
    }
    converted(type, out).to_type(type, result);
}

GDExtensionObjectPtr new_object(const ClassTable& table, ExtensionObject*& instance)
{
    GDExtensionObjectPtr object = gd.classdb_construct_object2(sname(table.parent));
    instance = table.create(object);
    gd.object_set_instance(object, sname(table.name), instance);
    return object;
}

GDExtensionObjectPtr create_instance(void* class_userdata, GDExtensionBool notify_postinitialize)
{
    const auto& table = *static_cast<const ClassTable*>(class_userdata);
    ExtensionObject* instance = nullptr;
    GDExtensionObjectPtr object = new_object(table, instance);
    // NOTIFICATION_POSTINITIALIZE, for the nodes. Not for a reference-counted object: the Variant
    // that carries the call would take the object's first reference and free it when it goes,
    // while the engine still holds the object it asked for (nothing handles the notification
    // there anyway).
    if (notify_postinitialize && std::strcmp(table.parent, "RefCounted") != 0)
        Variant::from_object(object).call("notification", {Variant(0)});
    return object;
}

void free_instance(void*, GDExtensionClassInstancePtr instance)
{
    delete static_cast<ExtensionObject*>(instance);
}

void notify(GDExtensionClassInstancePtr instance, int32_t what, GDExtensionBool)
{
    static_cast<ExtensionObject*>(instance)->notification(what);
}

void* virtual_call_data(void* class_userdata, GDExtensionConstStringNamePtr name, uint32_t)
{
    const auto& table = *static_cast<const ClassTable*>(class_userdata);
    const std::string text = Variant::from_type(GDEXTENSION_VARIANT_TYPE_STRING_NAME, name).to_string();
    for (const auto& entry : table.virtuals) {
        if (text == entry.first)
            return const_cast<VirtualBody*>(&entry.second);
    }
    return nullptr;
}

void call_virtual(GDExtensionClassInstancePtr instance, GDExtensionConstStringNamePtr, void* userdata,
                  const GDExtensionConstTypePtr* args, GDExtensionTypePtr result)
{
    (*static_cast<VirtualBody*>(userdata))(*static_cast<ExtensionObject*>(instance), args, result);
}

}  // namespace

void ExtensionObject::emit(const char* signal, const std::vector<Variant>& args) const
{
    std::vector<Variant> all;
    all.reserve(args.size() + 1);
    all.push_back(Variant::from_string_name(signal));
    all.insert(all.end(), args.begin(), args.end());
    self().call("emit_signal", all);
}

Variant instantiate(const ClassTable& table, ExtensionObject*& instance)
{
    Variant held = Variant::from_object(new_object(table, instance));
    held.call("notification", {Variant(0)});  // NOTIFICATION_POSTINITIALIZE
    return held;
}

void register_class(const ClassTable& table)
{
    GDExtensionClassCreationInfo5 info{};
    info.is_exposed = true;
    info.is_abstract = table.abstract;
    info.notification_func = notify;
    info.create_instance_func = create_instance;
    info.free_instance_func = free_instance;
    info.get_virtual_call_data_func = virtual_call_data;
    info.call_virtual_with_data_func = call_virtual;
    info.class_userdata = const_cast<ClassTable*>(&table);
    gd.classdb_register_extension_class5(library, sname(table.name), sname(table.parent), &info);
    registered.push_back(&table);

    for (const MethodEntry& method : table.methods) {
        std::deque<PropertyInfo> argument_storage;
        std::vector<GDExtensionPropertyInfo> arguments;
        std::vector<GDExtensionClassMethodArgumentMetadata> metadata;
        for (const Slot& slot : method.arguments) {
            argument_storage.emplace_back(slot, kUsageDefault);
            arguments.push_back(argument_storage.back().info);
            metadata.push_back(metadata_of(slot.type));
        }
        PropertyInfo result(method.result, kUsageDefault);

        GDExtensionClassMethodInfo m{};
        m.name = const_cast<GDExtensionStringNamePtr>(sname(method.name));
        m.method_userdata = const_cast<MethodEntry*>(&method);
        m.call_func = method_call;
        m.ptrcall_func = method_ptrcall;
        m.method_flags = GDEXTENSION_METHOD_FLAG_NORMAL | (method.is_const ? GDEXTENSION_METHOD_FLAG_CONST : 0);
        m.has_return_value = method.result.type != GDEXTENSION_VARIANT_TYPE_NIL;
        m.return_value_info = &result.info;
        m.return_value_metadata = metadata_of(method.result.type);
        m.argument_count = static_cast<uint32_t>(arguments.size());
        m.arguments_info = arguments.data();
        m.arguments_metadata = metadata.data();
        gd.classdb_register_extension_class_method(library, sname(table.name), &m);
    }

    for (const ConstantEntry& constant : table.constants) {
        gd.classdb_register_extension_class_integer_constant(library, sname(table.name), sname(constant.enum_name),
                                                             sname(constant.name), constant.value, false);
    }

    for (const PropertyEntry& property : table.properties) {
        if (property.group_prefix) {
            GString name(property.slot.name), prefix(property.group_prefix);
            gd.classdb_register_extension_class_property_group(library, sname(table.name), name.ptr(), prefix.ptr());
            continue;
        }
        const bool read_only = std::strlen(property.setter) == 0;
        PropertyInfo p(property.slot, read_only ? kUsageEditor | kUsageReadOnly : kUsageDefault, property.hint,
                       property.hint_string);
        gd.classdb_register_extension_class_property(library, sname(table.name), &p.info, sname(property.setter),
                                                     sname(property.getter));
    }

    for (const SignalEntry& signal : table.signals) {
        std::deque<PropertyInfo> argument_storage;
        std::vector<GDExtensionPropertyInfo> arguments;
        for (const Slot& slot : signal.arguments) {
            argument_storage.emplace_back(slot, kUsageDefault);
            arguments.push_back(argument_storage.back().info);
        }
        gd.classdb_register_extension_class_signal(library, sname(table.name), sname(signal.name), arguments.data(),
                                                   static_cast<GDExtensionInt>(arguments.size()));
    }
}

void unregister_classes()
{
    for (auto it = registered.rbegin(); it != registered.rend(); ++it)
        gd.classdb_unregister_extension_class(library, sname((*it)->name));
    registered.clear();
}

}  // namespace sorvane_godot
