#include "databinding/data_binding_context_manager.h"

#include "databinding/db_abstract_context_object.h"

#include <QMutexLocker>
#include <QWebChannel>
#include <QtDebug>

namespace sorvane::db {

DataBindingContextManager::DataBindingContextManager(QWebChannel* channel, QObject* parent)
    : QObject(parent), m_channel(channel)
{
}

DataBindingContextManager::~DataBindingContextManager()
{
    QMutexLocker lock(&m_lock);
    for (DBAbstractContextObject* adapter : std::as_const(m_registry)) {
        if (m_channel)
            m_channel->deregisterObject(adapter);
        adapter->deleteLater();
    }
    m_registry.clear();
}

AbstractContextObjectStd* DataBindingContextManager::find_object(const std::string& name) const
{
    QMutexLocker lock(&m_lock);
    const auto it = m_registry.constFind(name);
    return it == m_registry.constEnd() ? nullptr : (*it)->object();
}

bool DataBindingContextManager::registerObject(std::string name, AbstractContextObjectStd* obj)
{
    const QString object_name = QString::fromStdString(name);
    {
        QMutexLocker lock(&m_lock);
        if (m_registry.contains(name)) {
            qWarning() << "cannot add context object '" << object_name
                       << "', already occupied by another object. Use a different name.";
            return false;
        }
    }
    auto* adapter = new DBAbstractContextObject(obj, this);
    {
        QMutexLocker lock(&m_lock);
        m_registry.insert(name, adapter);
    }
    if (m_channel)
        m_channel->registerObject(object_name, adapter);
    emit objectRegistered(object_name);
    return true;
}

bool DataBindingContextManager::deregisterObject(std::string name_str)
{
    const QString object_name = QString::fromStdString(name_str);
    DBAbstractContextObject* adapter = nullptr;
    {
        QMutexLocker lock(&m_lock);
        adapter = m_registry.value(name_str, nullptr);
    }
    if (!adapter) {
        qWarning() << "cannot remove context object '" << object_name << "', does not exist.";
        return false;
    }
    if (m_channel)
        m_channel->deregisterObject(adapter);
    {
        // Out of the registry before the descriptions go, so no lookup returns a deleted object.
        QMutexLocker lock(&m_lock);
        m_registry.remove(name_str);
    }
    delete adapter;
    emit objectdeRegistered(object_name);
    return true;
}

}  // namespace sorvane::db
