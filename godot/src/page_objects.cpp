#include "page_objects.h"

#include <sorvane/db.h>
#include <sorvane/web_view.h>

#include <algorithm>
#include <mutex>
#include <utility>
#include <vector>

#include "page_object_link.h"
#include "page_values.h"

namespace sorvane_godot {

using namespace sorvane::db;

namespace {

// Godot's PropertyUsageFlags that mark inspector layout, not a property.
constexpr std::int64_t kUsageLayout = 64 | 128 | 256;  // GROUP, CATEGORY, SUBGROUP
constexpr std::int64_t kUsageInternal = 8;              // INTERNAL
// The signal every object gets beside its own: a method's result, after the page called it.
constexpr const char* kReturned = "returned";

struct Request {
    std::string object;
    bool is_call = false;
    std::string member;
    std::vector<ContainerStd> values;
    std::vector<VariantTypeStd> types;
};

struct Member {
    std::string name;
    GDExtensionVariantType type = GDEXTENSION_VARIANT_TYPE_NIL;
};

struct Callee {
    std::string name;
    std::vector<Member> args;
};

Variant field(const Variant& dictionary, const char* key)
{
    return dictionary.call("get", {Variant(key)});
}

std::vector<Variant> items(const Variant& array)
{
    std::vector<Variant> out;
    const std::int64_t size = array.call("size").to_int();
    for (std::int64_t i = 0; i < size; ++i)
        out.push_back(array.call("get", {Variant(i)}));
    return out;
}

GDExtensionVariantType type_of(const Variant& description)
{
    const std::int64_t type = field(description, "type").to_int();
    return type >= 0 && type < GDEXTENSION_VARIANT_TYPE_VARIANT_MAX ? static_cast<GDExtensionVariantType>(type)
                                                                     : GDEXTENSION_VARIANT_TYPE_NIL;
}

std::vector<Member> arguments(const Variant& description)
{
    std::vector<Member> out;
    for (const Variant& arg : items(field(description, "args")))
        out.push_back({field(arg, "name").to_string(), type_of(arg)});
    return out;
}

Variant object_of(std::uint64_t id)
{
    GDExtensionObjectPtr object = gd.object_get_instance_from_id(id);
    return object ? Variant::from_object(object) : Variant();
}

// Deletes descriptions the library did not take over, as the library would.
void delete_descriptions(AbstractContextObjectStd* object)
{
    for (const auto& [name, method] : object->methods) {
        for (PropertyInfoStd* parameter : method->args)
            delete parameter;
        delete method;
    }
    for (const auto& [name, property] : object->properties)
        delete property;
    delete object;
}

}  // namespace

struct PageObjects::Inbox {
    std::mutex mutex;
    std::vector<Request> requests;

    void push(Request request)
    {
        std::lock_guard lock(mutex);
        requests.push_back(std::move(request));
    }
    std::vector<Request> take()
    {
        std::lock_guard lock(mutex);
        return std::exchange(requests, {});
    }
};

struct PageObjects::Entry {
    std::string name;
    std::uint64_t object_id = 0;
    std::vector<Member> properties;
    std::vector<Variant> told;  // per property: the value the page was last given
    std::vector<Callee> methods;
    std::vector<Callee> signals;
    bool has_returned = false;  // the companion signal `returned` is offered
    std::shared_ptr<ObjectLink> link = std::make_shared<ObjectLink>();
    std::vector<std::pair<std::string, Variant>> connections;  // signal, relay callable
    bool registered = false;  // offered to the current view

    const Member* property(const std::string& member) const
    {
        for (const Member& p : properties)
            if (p.name == member)
                return &p;
        return nullptr;
    }
    const Callee* method(const std::string& member) const
    {
        for (const Callee& m : methods)
            if (m.name == member)
                return &m;
        return nullptr;
    }
};

PageObjects::PageObjects() : m_inbox(std::make_shared<Inbox>()) {}

PageObjects::~PageObjects()
{
    for (auto& [name, entry] : m_entries)
        disconnect_signals(*entry);
}

bool PageObjects::add(const std::string& name, const Variant& object)
{
    GDExtensionObjectPtr pointer = object.to_object();
    if (name.empty() || name.find('.') != std::string::npos || name.starts_with("___")) {
        print_error("WebView.register_object: \"" + name + "\" cannot name an object of the page (it must be "
                    "non-empty, without \".\" and not begin with \"___\")");
        return false;
    }
    if (!pointer) {
        print_error("WebView.register_object: \"" + name + "\" is not given an object");
        return false;
    }
    remove(name);

    auto entry = std::make_unique<Entry>();
    entry->name = name;
    entry->object_id = gd.object_get_instance_id(pointer);

    // The members from Godot's reflection: a script's own members for a script instance, the
    // class's own (not inherited) members for a native object.
    Variant properties, methods, signals;
    const Variant script = object.call("get_script");
    if (script.to_object()) {
        properties = script.call("get_script_property_list");
        methods = script.call("get_script_method_list");
        signals = script.call("get_script_signal_list");
    } else {
        const Variant class_db = singleton("ClassDB");
        const Variant class_name = object.call("get_class");
        properties = class_db.call("class_get_property_list", {class_name, Variant(true)});
        methods = class_db.call("class_get_method_list", {class_name, Variant(true)});
        signals = class_db.call("class_get_signal_list", {class_name, Variant(true)});
    }
    std::vector<std::string> taken;
    auto is_taken = [&](const std::string& member) { return std::find(taken.begin(), taken.end(), member) != taken.end(); };
    for (const Variant& p : items(properties)) {
        const std::string member = field(p, "name").to_string();
        const GDExtensionVariantType type = type_of(p);
        if ((field(p, "usage").to_int() & (kUsageLayout | kUsageInternal)) || member.empty() || member[0] == '_' ||
            member.find('/') != std::string::npos || !is_carried(type) || is_taken(member))
            continue;
        entry->properties.push_back({member, type});
        entry->told.push_back(Variant());
        taken.push_back(member);
    }
    for (const Variant& s : items(signals)) {
        const std::string member = field(s, "name").to_string();
        if (member.empty() || is_taken(member))
            continue;
        entry->signals.push_back({member, arguments(s)});
        taken.push_back(member);
    }
    for (const Variant& m : items(methods)) {
        const std::string member = field(m, "name").to_string();
        if (member.empty() || member[0] == '_' || member[0] == '@' || is_taken(member))
            continue;
        Callee callee{member, arguments(m)};
        if (std::any_of(callee.args.begin(), callee.args.end(), [](const Member& a) { return !is_carried(a.type); }))
            continue;  // the page has nothing to pass for an object or a callable
        entry->methods.push_back(std::move(callee));
        taken.push_back(member);
    }
    entry->has_returned = !is_taken(kReturned);
    if (!entry->has_returned)
        print_warning("WebView.register_object: \"" + name + "\" has a member named \"returned\": the page gets no "
                      "results of its method calls from it");

    for (const Callee& s : entry->signals) {
        Variant relay = relay_callable(entry->link, s.name);
        object.call("connect", {Variant(s.name), relay});
        entry->connections.emplace_back(s.name, std::move(relay));
    }
    Entry& added = *(m_entries[name] = std::move(entry));
    if (m_view)
        register_entry(added);
    return true;
}

bool PageObjects::remove(const std::string& name)
{
    const auto it = m_entries.find(name);
    if (it == m_entries.end())
        return false;
    Entry& entry = *it->second;
    bool offered = false;
    {
        std::lock_guard lock(entry.link->mutex);
        offered = entry.link->alive;
        // Nothing more reaches the page from this object, whatever the library still holds.
        entry.link->alive = false;
        entry.link->ready = false;
        entry.link->object = nullptr;
        ++entry.link->generation;
        entry.link->properties.clear();
        entry.link->signals.clear();
    }
    if (m_view && entry.registered && offered)
        m_view->webchannel_deregisterObject(name);
    disconnect_signals(entry);
    m_entries.erase(it);
    return true;
}

std::vector<std::string> PageObjects::names() const
{
    std::vector<std::string> out;
    for (const auto& [name, entry] : m_entries)
        out.push_back(name);
    return out;
}

void PageObjects::attach(sorvane::SWebView* view)
{
    m_view = view;
    for (auto& [name, entry] : m_entries)
        entry->registered = false;
}

void PageObjects::disconnect_signals(Entry& entry)
{
    const Variant object = object_of(entry.object_id);
    for (const auto& [signal, relay] : entry.connections)
        if (object.to_object() && object.call("is_connected", {Variant(signal), relay}).to_bool())
            object.call("disconnect", {Variant(signal), relay});
    entry.connections.clear();
}

void PageObjects::register_entry(Entry& entry)
{
    const Variant object = object_of(entry.object_id);
    if (!object.to_object() || !m_view)
        return;
    std::uint64_t generation = 0;
    {
        std::lock_guard lock(entry.link->mutex);
        generation = ++entry.link->generation;
        entry.link->alive = false;
        entry.link->ready = false;
    }
    const std::shared_ptr<ObjectLink> link = entry.link;
    const std::shared_ptr<Inbox> inbox = m_inbox;
    auto guard = [&] { return std::make_shared<LinkGuard>(link, generation); };

    auto* described = new AbstractContextObjectStd;
    described->name = entry.name;
    described->engine_func_1 = [g = guard()] { (void)g; };
    std::map<std::string, PropertyInfoStd*> properties;
    std::map<std::string, MethodInfoStd*> signals;
    for (std::size_t i = 0; i < entry.properties.size(); ++i) {
        const Member& member = entry.properties[i];
        const Variant value = object.call("get", {Variant(member.name)});
        auto* p = new PropertyInfoStd;
        p->name = member.name;
        p->type = carried_type(value.is_nil() ? member.type : value.type());
        p->value = to_page(value);
        p->func_valueChanged_updateGodot = [inbox, object_name = entry.name, g = guard()](PropertyInfoStd* written) {
            (void)g;
            inbox->push({object_name, false, written->name, {written->value}, {written->type}});
        };
        entry.told[i] = detached_copy(value);
        described->properties[p->name] = p;
        described->members[p->name] = p;
        properties[p->name] = p;
    }
    auto add_method = [&](const Callee& callee, bool is_signal) {
        auto* m = new MethodInfoStd;
        m->name = callee.name;
        m->is_signal = is_signal;
        for (const Member& arg : callee.args) {
            auto* a = new PropertyInfoStd;
            a->name = arg.name;
            a->type = carried_type(arg.type);
            m->args.push_back(a);
        }
        m->func_call_method = [inbox, object_name = entry.name, is_signal, g = guard()](MethodInfoStd* called,
                                                                                        std::vector<ContainerStd> values) {
            (void)g;
            if (is_signal)
                return;  // a signal is the object's to emit
            std::vector<VariantTypeStd> types;
            for (std::size_t k = 0; k < values.size() && k < called->args.size(); ++k)
                types.push_back(called->args[k]->type);
            values.resize(types.size());
            inbox->push({object_name, true, called->name, std::move(values), std::move(types)});
        };
        described->methods[m->name] = m;
        described->members[m->name] = m;
        if (is_signal)
            signals[m->name] = m;
    };
    for (const Callee& s : entry.signals)
        add_method(s, true);
    for (const Callee& m : entry.methods)
        add_method(m, false);
    if (entry.has_returned)
        add_method({kReturned, {{"method", GDEXTENSION_VARIANT_TYPE_STRING}, {"value", GDEXTENSION_VARIANT_TYPE_NIL}}}, true);

    {
        std::lock_guard lock(link->mutex);
        link->properties = std::move(properties);
        link->signals = std::move(signals);
        link->object = described;
        link->alive = true;
    }
    entry.registered = true;
    m_view->webchannel_registerObject(entry.name, described);
    // Refused (the name held by an object this node did not register): still ours to delete.
    AbstractContextObjectStd* holder = m_view->webchannel_getObject(entry.name);
    if (holder && holder != described) {
        print_error("WebView.register_object: the page's object name \"" + entry.name + "\" is taken");
        delete_descriptions(described);
        return;
    }
    if (holder)
        mark_ready(entry);
}

void PageObjects::mark_ready(Entry& entry)
{
    // Found by the library's own lookup: it has built its side, functions and all.
    AbstractContextObjectStd* holder = m_view ? m_view->webchannel_getObject(entry.name) : nullptr;
    std::lock_guard lock(entry.link->mutex);
    if (holder && entry.link->alive && holder == entry.link->object)
        entry.link->ready = true;
}

void PageObjects::process()
{
    run_requests();
    for (auto it = m_entries.begin(); it != m_entries.end();) {
        Entry& entry = *it->second;
        if (!object_of(entry.object_id).to_object()) {
            // Freed while registered: the page loses it, nothing is called on it.
            print_warning("WebView: the object registered as \"" + entry.name +
                          "\" was freed; the page no longer reaches it (unregister_object() it before freeing it)");
            const std::string name = entry.name;
            ++it;
            remove(name);
            continue;
        }
        bool alive = false, ready = false;
        {
            std::lock_guard lock(entry.link->mutex);
            alive = entry.link->alive;
            ready = entry.link->ready;
        }
        if (m_view && (!entry.registered || !alive))
            register_entry(entry);
        else if (alive && !ready)
            mark_ready(entry);  // waiting for the page scene
        else if (alive)
            poll(entry);
        ++it;
    }
}

void PageObjects::poll(Entry& entry)
{
    const Variant object = object_of(entry.object_id);
    for (std::size_t i = 0; i < entry.properties.size(); ++i) {
        const Member& member = entry.properties[i];
        const Variant value = object.call("get", {Variant(member.name)});
        if (same_value(value, entry.told[i]))
            continue;
        entry.told[i] = detached_copy(value);
        ContainerStd carried = to_page(value);
        std::lock_guard lock(entry.link->mutex);
        if (!entry.link->alive || !entry.link->ready)
            return;
        const auto found = entry.link->properties.find(member.name);
        if (found == entry.link->properties.end())
            continue;
        PropertyInfoStd* p = found->second;
        p->value = std::move(carried);
        if (!value.is_nil())
            p->type = carried_type(value.type());
        if (p->func_valueChanged_updateWeb)
            p->func_valueChanged_updateWeb(p);
    }
}

void PageObjects::run_requests()
{
    for (Request& request : m_inbox->take()) {
        const auto it = m_entries.find(request.object);
        if (it == m_entries.end())
            continue;
        Entry& entry = *it->second;
        const Variant object = object_of(entry.object_id);
        if (!object.to_object())
            continue;
        if (!request.is_call) {
            const Member* member = entry.property(request.member);
            // A property that held nil when it was described carries no value from the page.
            if (!member || request.values.empty() || request.types[0] == VariantTypeStd::NIL)
                continue;
            const Variant current = object.call("get", {Variant(member->name)});
            const GDExtensionVariantType wanted = member->type != GDEXTENSION_VARIANT_TYPE_NIL ? member->type : current.type();
            const Variant value = from_page(request.values[0], request.types[0], wanted);
            object.call("set", {Variant(member->name), value});
            // The page holds what it wrote; a setter that made something else of it is told.
            const auto index = static_cast<std::size_t>(member - entry.properties.data());
            entry.told[index] = detached_copy(value);
            continue;
        }
        const Callee* method = entry.method(request.member);
        if (!method)
            continue;
        std::vector<Variant> args;
        for (std::size_t k = 0; k < request.values.size(); ++k)
            args.push_back(from_page(request.values[k], request.types[k],
                                     k < method->args.size() ? method->args[k].type : GDEXTENSION_VARIANT_TYPE_NIL));
        const Variant result = object.call(method->name.c_str(), args);
        if (!entry.has_returned)
            continue;
        ContainerStd carried = to_page(result);
        std::lock_guard lock(entry.link->mutex);
        const auto found = entry.link->signals.find(kReturned);
        if (entry.link->alive && entry.link->ready && found != entry.link->signals.end())
            found->second->func_signal_emitted(found->second, {ValueStd(method->name), std::move(carried)},
                                               {VariantTypeStd::STRING, carried_type(result.type())});
    }
}

}  // namespace sorvane_godot
