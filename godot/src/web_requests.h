// The objects a WebView hands over with permission_requested and file_chooser_requested: what the
// page asked, what it was answered, and the game's answer for the page's next request of the same
// kind (see page_answers.h for why the page's request itself cannot wait for GDScript).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "binding.h"
#include "page_answers.h"

namespace sorvane_godot {

class WebPermissionRequest : public ExtensionObject {
public:
    using ExtensionObject::ExtensionObject;
    static const ClassTable& table();
    // A new request object (main thread).
    static Variant make(std::shared_ptr<PageAnswers> answers, std::string origin, std::string permission, bool granted);

    void grant();
    void deny();

private:
    std::shared_ptr<PageAnswers> m_answers;
    std::string m_origin;
    std::string m_permission;
    bool m_granted = false;
};

class WebFileChooserRequest : public ExtensionObject {
public:
    using ExtensionObject::ExtensionObject;
    static const ClassTable& table();
    static Variant make(std::shared_ptr<PageAnswers> answers, std::int64_t mode, std::vector<std::string> accepted_types,
                        std::vector<std::string> files, double timeout_seconds);

    void select_files(const std::vector<std::string>& paths);
    void cancel();

private:
    std::shared_ptr<PageAnswers> m_answers;
    std::int64_t m_mode = 0;
    std::vector<std::string> m_accepted_types;
    std::vector<std::string> m_files;
    double m_timeout_seconds = 60;
};

// Absolute file system paths for Godot paths: "res://" and "user://" paths are made absolute,
// other relative paths are left out with a warning naming `what`.
std::vector<std::string> absolute_paths(const std::vector<std::string>& paths, const char* what);

}  // namespace sorvane_godot
