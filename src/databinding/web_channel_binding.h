#pragma once

#include <QHash>
#include <QMetaObject>
#include <QPointer>
#include <QString>
#include <QWebChannel>

#include <map>
#include <mutex>
#include <string>

#include "sorvane/db.h"

class QObject;

namespace sorvane::db {

class DataBindingContextManager;

// A web view's side of data binding: the registrations made before its page scene exists, and
// the context manager on the scene's web channel once it does. Lives on the Qt thread; only
// find_object may be called from other threads.
class WebChannelBinding {
public:
    WebChannelBinding() = default;
    // Deletes the engine objects that were registered but never handed to a manager.
    ~WebChannelBinding();
    WebChannelBinding(const WebChannelBinding&) = delete;
    WebChannelBinding& operator=(const WebChannelBinding&) = delete;

    // The scene exists: creates the manager on `channel` with the scene's root as its parent,
    // publishes it as "___cm" and hands it every pending registration, in name order.
    void attach(QWebChannel* channel, QObject* root);
    // The scene is going away, and the manager (and every object registered with it) with it.
    void detach();

    // Pending until attach (a second registration under one name replaces the first), straight
    // to the manager afterwards.
    void register_object(const std::string& name, AbstractContextObjectStd* object);
    // Before attach only a warning: pending registrations stay.
    void deregister_object(const std::string& name);
    // The engine object registered with the manager under that name; null before attach.
    AbstractContextObjectStd* find_object(const std::string& name) const;

    // Whether the page may reach the objects. Closed, nothing stays published on the channel: the
    // manager "___cm", every object and every member are taken off it and kept aside, so a page
    // that speaks to the channel finds nothing to read, call or listen to, and registrations made
    // meanwhile are kept aside too. Opening publishes them again, for the next page that connects.
    void set_open(bool open);
    bool is_open() const { return m_open; }

    DataBindingContextManager* manager() const;
    const std::map<std::string, AbstractContextObjectStd*>& pending() const { return m_pending; }

private:
    std::map<std::string, AbstractContextObjectStd*> m_pending;
    mutable std::mutex m_manager_lock;  // the manager pointer is read by engine threads
    DataBindingContextManager* m_manager = nullptr;
    QMetaObject::Connection m_manager_gone;
    // Takes everything published off the channel into m_hidden.
    void hide_published();
    QPointer<QWebChannel> m_channel;
    QHash<QString, QPointer<QObject>> m_hidden;
    bool m_open = true;
};

}  // namespace sorvane::db
