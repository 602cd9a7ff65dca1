// The functions of Godot's C interface that the extension uses, looked up once by name when the
// extension starts (load_interface). One row per function: its name in the interface and the
// typedef of gdextension_interface.h that the build dumps from the engine.
#pragma once

#include <gdextension_interface.h>

#define SORVANE_GODOT_INTERFACE(X)                                                              \
    X(get_godot_version2, GDExtensionInterfaceGetGodotVersion2)                                 \
    X(mem_alloc, GDExtensionInterfaceMemAlloc)                                                  \
    X(mem_free, GDExtensionInterfaceMemFree)                                                    \
    X(print_error_with_message, GDExtensionInterfacePrintErrorWithMessage)                      \
    X(print_warning_with_message, GDExtensionInterfacePrintWarningWithMessage)                  \
    X(get_variant_from_type_constructor, GDExtensionInterfaceGetVariantFromTypeConstructor)     \
    X(get_variant_to_type_constructor, GDExtensionInterfaceGetVariantToTypeConstructor)         \
    X(variant_get_ptr_destructor, GDExtensionInterfaceVariantGetPtrDestructor)                  \
    X(variant_new_copy, GDExtensionInterfaceVariantNewCopy)                                     \
    X(variant_new_nil, GDExtensionInterfaceVariantNewNil)                                       \
    X(variant_destroy, GDExtensionInterfaceVariantDestroy)                                      \
    X(variant_call, GDExtensionInterfaceVariantCall)                                            \
    X(variant_construct, GDExtensionInterfaceVariantConstruct)                                  \
    X(variant_get_type, GDExtensionInterfaceVariantGetType)                                     \
    X(variant_evaluate, GDExtensionInterfaceVariantEvaluate)                                    \
    X(variant_stringify, GDExtensionInterfaceVariantStringify)                                  \
    X(packed_byte_array_operator_index_const, GDExtensionInterfacePackedByteArrayOperatorIndexConst) \
    X(packed_vector2_array_operator_index, GDExtensionInterfacePackedVector2ArrayOperatorIndex) \
    X(string_new_with_utf8_chars_and_len, GDExtensionInterfaceStringNewWithUtf8CharsAndLen)     \
    X(string_to_utf8_chars, GDExtensionInterfaceStringToUtf8Chars)                              \
    X(string_name_new_with_utf8_chars, GDExtensionInterfaceStringNameNewWithUtf8Chars)          \
    X(global_get_singleton, GDExtensionInterfaceGlobalGetSingleton)                             \
    X(object_set_instance, GDExtensionInterfaceObjectSetInstance)                               \
    X(object_get_instance_id, GDExtensionInterfaceObjectGetInstanceId)                          \
    X(object_get_instance_from_id, GDExtensionInterfaceObjectGetInstanceFromId)                 \
    X(ref_get_object, GDExtensionInterfaceRefGetObject)                                         \
    X(ref_set_object, GDExtensionInterfaceRefSetObject)                                         \
    X(callable_custom_create2, GDExtensionInterfaceCallableCustomCreate2)                       \
    X(classdb_construct_object2, GDExtensionInterfaceClassdbConstructObject2)                   \
    X(classdb_register_extension_class5, GDExtensionInterfaceClassdbRegisterExtensionClass5)    \
    X(classdb_register_extension_class_method, GDExtensionInterfaceClassdbRegisterExtensionClassMethod) \
    X(classdb_register_extension_class_integer_constant,                                        \
      GDExtensionInterfaceClassdbRegisterExtensionClassIntegerConstant)                         \
    X(classdb_register_extension_class_property, GDExtensionInterfaceClassdbRegisterExtensionClassProperty) \
    X(classdb_register_extension_class_property_group,                                          \
      GDExtensionInterfaceClassdbRegisterExtensionClassPropertyGroup)                           \
    X(classdb_register_extension_class_signal, GDExtensionInterfaceClassdbRegisterExtensionClassSignal) \
    X(classdb_unregister_extension_class, GDExtensionInterfaceClassdbUnregisterExtensionClass)  \
    X(get_library_path, GDExtensionInterfaceGetLibraryPath)

// Functions that only some engines have: null where missing.
#define SORVANE_GODOT_OPTIONAL_INTERFACE(X)                                                     \
    X(editor_help_load_xml_from_utf8_chars, GDExtensionsInterfaceEditorHelpLoadXmlFromUtf8Chars)  \
    X(editor_add_plugin, GDExtensionInterfaceEditorAddPlugin)                                   \
    X(editor_remove_plugin, GDExtensionInterfaceEditorRemovePlugin)

namespace sorvane_godot {

struct Interface {
#define SORVANE_GODOT_DECLARE(name, type) type name = nullptr;
    SORVANE_GODOT_INTERFACE(SORVANE_GODOT_DECLARE)
    SORVANE_GODOT_OPTIONAL_INTERFACE(SORVANE_GODOT_DECLARE)
#undef SORVANE_GODOT_DECLARE
};

// The interface, filled by load_interface(); read-only afterwards, so any thread may use it.
extern Interface gd;
extern GDExtensionClassLibraryPtr library;

// Looks every function up; false (with a message on standard error) when one is missing, which
// means an engine older than the one the extension was built for.
bool load_interface(GDExtensionInterfaceGetProcAddress get_proc_address, GDExtensionClassLibraryPtr library);

}  // namespace sorvane_godot
