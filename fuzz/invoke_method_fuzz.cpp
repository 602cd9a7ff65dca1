// ___invoke_method: a page's call, a method name and an argument list as the page's channel hands
// them over, against an engine object's description. A refused call never reaches the engine;
// an accepted one reaches it once, with one scalar engine value per argument, each as its
// parameter's declared type asks. The engine then emits the values back as a signal, and the
// page hears as many values as were sent.
//
// Input: a parameter count byte, one type byte per parameter, a flags byte, then JSON text:
// [name, [arguments...]] (anything else calls "m" with no arguments).

#include "databinding/conversions.h"
#include "databinding/data_binding_context_manager.h"
#include "databinding/db_abstract_context_object.h"
#include "fuzz_support.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QVariantList>

#include <memory>
#include <optional>

namespace {

using namespace sorvane::db;
using sorvane::fuzz::ByteReader;
using T = VariantTypeStd;

// The alternative of a vector type's engine value.
std::size_t vector_alternative(T type)
{
    switch (type) {
    case T::VECTOR2: return 4;
    case T::VECTOR2I: return 5;
    case T::VECTOR3: return 6;
    case T::VECTOR3I: return 7;
    case T::VECTOR4: return 8;
    default: return 9;
    }
}

enum Flags : std::uint8_t {
    kEngineCallable = 1,  // the engine installed func_call_method
    kSignal = 2,          // the method is a signal as well
    kMemberIsProperty = 4,  // "m" in members names a property instead
    kNullMember = 8,        // "m" in members holds a null method
};

struct Calls {
    int count = 0;
    std::vector<ContainerStd> values;
    int signals_heard = 0;
    QVariantList signal_values;
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    sorvane::fuzz::silence_qt_messages();
    new QCoreApplication(*argc, *argv);  // for the adapters' posted calls; lives to the end
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    ByteReader in(data, size);
    const int parameter_count = in.byte() % 8;
    std::vector<T> declared;
    for (int i = 0; i < parameter_count; ++i)
        declared.push_back(sorvane::fuzz::variant_type_from(in.byte()));
    const std::uint8_t flags = in.byte();
    const QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromStdString(in.rest()));
    const QVariantList call = document.isArray() ? document.array().toVariantList() : QVariantList{};
    const QVariant name = call.isEmpty() ? QVariant(QStringLiteral("m")) : call[0];
    const QVariantList args = call.size() > 1 ? call[1].toList() : QVariantList{};

    Calls calls;
    auto* object = new AbstractContextObjectStd;
    object->name = "object";
    auto* method = new MethodInfoStd;
    method->name = "m";
    method->is_signal = (flags & kSignal) != 0;
    for (int i = 0; i < parameter_count; ++i) {
        auto* parameter = new PropertyInfoStd;
        parameter->name = "p" + std::to_string(i);
        parameter->type = declared[static_cast<std::size_t>(i)];
        method->args.push_back(parameter);
    }
    if (flags & kEngineCallable) {
        method->func_call_method = [&calls](MethodInfoStd*, std::vector<ContainerStd> values) {
            ++calls.count;
            calls.values = std::move(values);
        };
    }
    auto* property = new PropertyInfoStd;
    property->name = "prop";
    property->type = declared.empty() ? T::INT : declared[0];
    object->methods["m"] = method;
    object->properties["prop"] = property;
    object->members["prop"] = property;
    if (flags & kMemberIsProperty)
        object->members["m"] = property;
    else if (flags & kNullMember)
        object->members["m"] = static_cast<MethodInfoStd*>(nullptr);
    else
        object->members["m"] = method;

    DataBindingContextManager manager(nullptr, nullptr);
    QObject::connect(&manager, &DataBindingContextManager::gdscriptSignalEmitted,
                     [&calls](const QString&, const QString&, const QVariantList& values) {
                         ++calls.signals_heard;
                         calls.signal_values = values;
                     });
    auto adapter = std::make_unique<DBAbstractContextObject>(object, &manager);

    const QVariant result = adapter->___invoke_method(name, args);
    (void)adapter->get_method_signature(name.toString());
    (void)adapter->methodsMap();
    (void)adapter->variablesMap();

    const bool callable = name.toString() == QStringLiteral("m") && (flags & kEngineCallable) &&
                          !(flags & (kMemberIsProperty | kNullMember)) &&
                          static_cast<std::size_t>(args.size()) <= declared.size();
    if (!callable)
        FUZZ_CHECK(!result.isValid());
    if (!result.isValid())
        FUZZ_CHECK(calls.count == 0);
    if (result.isValid()) {
        FUZZ_CHECK(result == QVariant(true));
        FUZZ_CHECK(calls.count == 1);
        FUZZ_CHECK(calls.values.size() == static_cast<std::size_t>(args.size()));
        for (std::size_t i = 0; i < calls.values.size(); ++i) {
            FUZZ_CHECK(calls.values[i].index() == 0);
            const ValueStd& value = std::get<ValueStd>(calls.values[i]);
            const T type = method->args[i]->type;  // as the call left it
            if (vector_size(type) > 0) {
                FUZZ_CHECK(value.index() == vector_alternative(type));
            } else if (type == T::DICTIONARY || type == T::ARRAY) {
                const std::string* text = std::get_if<std::string>(&value);
                FUZZ_CHECK(text != nullptr);
                const QJsonDocument json = QJsonDocument::fromJson(QByteArray::fromStdString(*text));
                FUZZ_CHECK(type == T::DICTIONARY ? json.isObject() : json.isArray());
            }
            // A list or a map turns its parameter into an array or a dictionary.
            if (vector_size(declared[i]) == 0 && args[static_cast<qsizetype>(i)].typeId() == QMetaType::QVariantList)
                FUZZ_CHECK(type == T::ARRAY || declared[i] == T::DICTIONARY);
        }

        // The engine emits the same values back as a signal of the method.
        if (method->is_signal) {
            FUZZ_CHECK(static_cast<bool>(method->func_signal_emitted));
            std::vector<VariantTypeStd> types;
            for (const PropertyInfoStd* parameter : method->args)
                types.push_back(parameter->type);
            method->func_signal_emitted(method, calls.values, types);
            QCoreApplication::sendPostedEvents(adapter.get());
            FUZZ_CHECK(calls.signals_heard == 1);
            FUZZ_CHECK(calls.signal_values.size() == args.size());
        }
    }
    if (property->func_valueChanged_updateWeb)
        property->func_valueChanged_updateWeb(nullptr);
    QCoreApplication::sendPostedEvents(adapter.get());

    adapter.reset();  // deletes the descriptions
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return 0;
}
