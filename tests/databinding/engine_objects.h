#pragma once

// Engine-side descriptions, built as an engine builds them: with plain new, handed to the
// library at registration.

#include <sorvane/db.h>

#include <initializer_list>
#include <string>
#include <utility>

namespace testing_db {

using namespace sorvane::db;

inline PropertyInfoStd* property(std::string name, VariantTypeStd type, ContainerStd value = ValueStd(0))
{
    auto* p = new PropertyInfoStd;
    p->name = std::move(name);
    p->type = type;
    p->value = std::move(value);
    return p;
}

inline MethodInfoStd* method(std::string name,
                             std::initializer_list<std::pair<const char*, VariantTypeStd>> params = {},
                             bool is_signal = false)
{
    auto* m = new MethodInfoStd;
    m->name = std::move(name);
    m->is_signal = is_signal;
    for (const auto& [param, type] : params)
        m->args.push_back(property(param, type));
    return m;
}

inline MethodInfoStd* signal(std::string name,
                             std::initializer_list<std::pair<const char*, VariantTypeStd>> params = {})
{
    return method(std::move(name), params, true);
}

// An object with the given members, each listed in `members` and in its own map.
inline AbstractContextObjectStd* object(std::string name, std::initializer_list<PropertyInfoStd*> properties,
                                        std::initializer_list<MethodInfoStd*> methods)
{
    auto* o = new AbstractContextObjectStd;
    o->name = std::move(name);
    for (PropertyInfoStd* p : properties) {
        o->properties[p->name] = p;
        o->members[p->name] = p;
    }
    for (MethodInfoStd* m : methods) {
        o->methods[m->name] = m;
        o->members[m->name] = m;
    }
    return o;
}

}  // namespace testing_db
