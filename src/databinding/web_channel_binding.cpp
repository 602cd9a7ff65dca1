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
    m_channel = channel;
    m_hidden.clear();
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
    if (!m_open)
        hide_published();
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
        if (!m_open)
            hide_published();
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
        if (!m_open && m_channel) {
            // Put back on the channel what the manager takes off, within this one turn of the
            // Qt thread: no page message is handled in between.
            const QString key = QString::fromStdString(name);
            for (auto it = m_hidden.begin(); it != m_hidden.end();) {
                if (it.key() == key || it.key().startsWith(key + u'.')) {
                    if (it.value())
                        m_channel->registerObject(it.key(), it.value());
                    it = m_hidden.erase(it);
                } else {
                    ++it;
                }
            }
        }
        current->deregisterObject(name);
        return;
    }
    qWarning() << "data-binding manager not initialized";
}

void WebChannelBinding::set_open(bool open)
{
    if (open == m_open)
        return;
    m_open = open;
    if (!m_channel)
        return;
    if (!open) {
        hide_published();
        return;
    }
    // The manager first, as attach() publishes it; objects deleted meanwhile stay away.
    const auto hidden = std::exchange(m_hidden, {});
    if (QObject* manager = hidden.value(QStringLiteral("___cm")))
        m_channel->registerObject(QStringLiteral("___cm"), manager);
    for (auto it = hidden.cbegin(); it != hidden.cend(); ++it)
        if (it.value() && it.key() != QStringLiteral("___cm"))
            m_channel->registerObject(it.key(), it.value());
}

void WebChannelBinding::hide_published()
{
    if (!m_channel)
        return;
    const QHash<QString, QObject*> published = m_channel->registeredObjects();
    for (auto it = published.cbegin(); it != published.cend(); ++it) {
        m_hidden.insert(it.key(), it.value());
        m_channel->deregisterObject(it.value());
    }
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
