// The Godot objects a WebView offers its page as godot.<name> (register_object): described from
// Godot's own reflection into the library's data binding (sorvane/db.h), and kept in step.
//
// Threads: the library calls the page's writes and calls on its Qt thread; they only queue here
// and run on Godot's main thread at the next process(), so the Qt thread never waits for the main
// thread. The main thread hands property changes to the page from a per-frame poll of the
// registered properties, and signals as they are emitted (on whatever thread emits them); both
// only post to the library. The library deletes the descriptions it was handed whenever it likes
// (a deregistration, a new page scene, the view's end): each description carries a guard that
// marks its registration gone, under the lock every use of the descriptions takes.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "variant.h"

namespace sorvane { class SWebView; }

namespace sorvane_godot {

class PageObjects {
public:
    PageObjects();
    ~PageObjects();
    PageObjects(const PageObjects&) = delete;
    PageObjects& operator=(const PageObjects&) = delete;

    // Main thread. Describes `object` and offers it under `name` (replacing an object of that
    // name); false, with an error, for an unusable name or object.
    bool add(const std::string& name, const Variant& object);
    // False when no object has that name.
    bool remove(const std::string& name);
    std::vector<std::string> names() const;

    // The view to offer the objects to (null: none). A new view gets every object afresh.
    void attach(sorvane::SWebView* view);
    // Main thread, every frame: (re)registers what the view lost, runs what the page asked,
    // drops objects freed meanwhile and sends the page what changed.
    void process();

private:
    struct Entry;
    struct Inbox;
    void register_entry(Entry& entry);
    void mark_ready(Entry& entry);
    void run_requests();
    void poll(Entry& entry);
    void disconnect_signals(Entry& entry);

    std::map<std::string, std::unique_ptr<Entry>> m_entries;
    std::shared_ptr<Inbox> m_inbox;
    sorvane::SWebView* m_view = nullptr;
};

}  // namespace sorvane_godot
