#include "databinding/web_channel_binding.h"

#include "databinding/data_binding_context_manager.h"
#include "databinding/db_abstract_context_object.h"
#include "databinding/db_method_info.h"
#include "databinding/db_property_info.h"

#include <QObject>
#include <QWebChannel>
#include <QtDebug>
#include <QtQml/qqml.h>

#include <utility>

namespace sorvane::db {

namespace {

void register_qml_types()
{
    static const bool registered = [] {
        qmlRegisterUncreatableType<DBAbstractContextObject>("com.ziderav.DBAbstractContextObject", 1, 0,
                                                            "DBAbstractContextObject", "Cannot create");
        qmlRegisterUncreatableType<DBMethodInfo>("com.ziderav.DBMethodInfo", 1, 0, "DBMethodInfo",
                                                 "Cannot create");
        qmlRegisterUncreatableType<DBPropertyInfo>("com.ziderav.DBPropertyInfo", 1, 0, "DBPropertyInfo",
                                                   "Cannot create");
        return true;
    }();
    Q_UNUSED(registered);
}

// Deletes an engine object that no adapter took over, with every description it hands over.
void delete_object(AbstractContextObjectStd* object)
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

WebChannelBinding::~WebChannelBinding()
{
    detach();
    for (const auto& [name, object] : m_pending)
        delete_object(object);
}

void WebChannelBinding::attach(QWebChannel* channel, QObject* root)
{
    detach();
    if (!channel) {
        qWarning() << "the page scene has no web channel: engine objects cannot be published";
        return;
    }
    channel->setPropertyUpdateInterval(-1);
    auto* manager = new DataBindingContextManager(channel, root);
    channel->registerObject(QStringLiteral("___cm"), manager);
    register_qml_types();
    {
        std::lock_guard lock(m_manager_lock);
        m_manager = manager;
    }
    // The manager ends with the scene's root; lookups must stop seeing it before it goes.
    m_manager_gone = QObject::connect(manager, &QObject::destroyed, [this] { detach(); });

    // Handed over for good: after a reload the manager of the old scene has deleted them.
    const auto pending = std::exchange(m_pending, {});
    for (const auto& [name, object] : pending)
        manager->registerObject(name, object);
}

void WebChannelBinding::detach()
{
    QObject::disconnect(m_manager_gone);
    std::lock_guard lock(m_manager_lock);
    m_manager = nullptr;
}

void WebChannelBinding::register_object(const std::string& name, AbstractContextObjectStd* object)
{
    if (DataBindingContextManager* current = manager()) {
        current->registerObject(name, object);
        return;
    }
    AbstractContextObjectStd*& slot = m_pending[name];
    if (slot && slot != object)
        delete_object(slot);  // replaced before anyone could reach it
    slot = object;
}

void WebChannelBinding::deregister_object(const std::string& name)
{
    if (DataBindingContextManager* current = manager()) {
        current->deregisterObject(name);
        return;
    }
    qWarning() << "data-binding manager not initialized";
}

AbstractContextObjectStd* WebChannelBinding::find_object(const std::string& name) const
{
    std::lock_guard lock(m_manager_lock);
    return m_manager ? m_manager->find_object(name) : nullptr;
}

DataBindingContextManager* WebChannelBinding::manager() const
{
    std::lock_guard lock(m_manager_lock);
    return m_manager;
}

}  // namespace sorvane::db
