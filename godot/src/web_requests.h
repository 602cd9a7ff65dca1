// The objects a WebView hands over with permission_requested and file_chooser_requested: what the
// page asked, and the answer to that very request, given from GDScript whenever the game is ready
// (the page waits for it; see waiting_requests.h). A request that the node's properties answered
// at once arrives already answered.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "binding.h"
#include "waiting_requests.h"

namespace sorvane_godot {

class WebPermissionRequest : public ExtensionObject {
public:
    using ExtensionObject::ExtensionObject;
    static const ClassTable& table();
    // A new request object (main thread). `id` 0: already answered, with `granted`.
    static Variant make(std::shared_ptr<WaitingRequests> waiting, int id, std::string origin, std::string permission,
                        bool granted);

    void answer(bool granted, const char* method);
    bool answered() const;

private:
    std::shared_ptr<WaitingRequests> m_waiting;
    int m_id = 0;
    std::string m_origin;
    std::string m_permission;
    bool m_granted = false;
};

class WebFileChooserRequest : public ExtensionObject {
public:
    using ExtensionObject::ExtensionObject;
    static const ClassTable& table();
    // `id` 0: already answered, with `files` (empty: cancelled).
    static Variant make(std::shared_ptr<WaitingRequests> waiting, int id, std::int64_t mode,
                        std::vector<std::string> accepted_types, std::vector<std::string> files);

    void answer(const std::vector<std::string>& paths, const char* method);
    bool answered() const;

private:
    std::shared_ptr<WaitingRequests> m_waiting;
    int m_id = 0;
    std::int64_t m_mode = 0;
    std::vector<std::string> m_accepted_types;
    std::vector<std::string> m_files;
};

// Absolute file system paths for Godot paths: "res://" and "user://" paths are made absolute,
// other relative paths are left out with a warning naming `what`.
std::vector<std::string> absolute_paths(const std::vector<std::string>& paths, const char* what);

}  // namespace sorvane_godot
