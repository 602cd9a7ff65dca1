#include "export_plugin.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "binding.h"
#include "library.h"
#include "variant.h"

namespace sorvane_godot {

namespace fs = std::filesystem;

namespace {

constexpr int kNotificationEnterTree = 10;
constexpr int kNotificationExitTree = 11;
constexpr int kExportMessageError = 3;  // EditorExportPlatform.EXPORT_MESSAGE_ERROR

bool editor_plugin_added = false;

// The EditorExportPlugin: remembers where the game goes at the start of an export and copies the
// addon's files there at its end, after Godot has written the executable.
class WebViewExportPlugin : public ExtensionObject {
public:
    using ExtensionObject::ExtensionObject;

    void begin(const std::vector<std::string>& features, const std::string& path)
    {
        m_target.clear();
        const auto has = [&features](const char* feature) {
            return std::find(features.begin(), features.end(), feature) != features.end();
        };
        if (!has("linux"))
            return;
        if (!has("x86_64")) {
            print_warning("webview: the addon has a runtime for linux x86_64 only; this export gets none");
            return;
        }
        // A pack or archive alone (a patch, content for a game exported before) needs no runtime.
        const std::string extension = fs::path(path).extension().string();
        if (extension == ".pck" || extension == ".zip")
            return;
        m_target = path;
    }

    void end()
    {
        if (m_target.empty())
            return;
        const fs::path executable(m_target);
        m_target.clear();
        std::error_code error;
        if (!fs::exists(executable, error))
            return;  // Godot's export failed and said so
        const std::string problem = copy_addon_for_export(addon_dir(), executable.parent_path().string());
        if (problem.empty())
            return;
        const std::string message = "the exported game lacks the addon's runtime: " + problem;
        print_error("webview: " + message);
        // An error of the export itself, which the export dialog lists. (Godot 4.6 gives an export
        // plugin no way to fail the export from here: a command-line export still ends with
        // status 0, with this error in its output.)
        const Variant platform = self().call("get_export_platform");
        if (!platform.is_nil())
            platform.call("add_message", {Variant(kExportMessageError), Variant("WebView"), Variant(message)});
    }

    static const ClassTable& table()
    {
        static const ClassTable t = [] {
            ClassTable t;
            t.name = "WebViewExportPlugin";
            t.parent = "EditorExportPlugin";
            t.create = [](GDExtensionObjectPtr owner) { return new WebViewExportPlugin(owner); };
            t.virtuals.push_back({"_get_name", [](ExtensionObject&, const GDExtensionConstTypePtr*, GDExtensionTypePtr result) {
                                      Variant("WebView").to_type(GDEXTENSION_VARIANT_TYPE_STRING, result);
                                  }});
            t.virtuals.push_back({"_export_begin", [](ExtensionObject& self, const GDExtensionConstTypePtr* args, GDExtensionTypePtr) {
                                      static_cast<WebViewExportPlugin&>(self).begin(
                                          Variant::from_type(GDEXTENSION_VARIANT_TYPE_PACKED_STRING_ARRAY, args[0]).to_strings(),
                                          Variant::from_type(GDEXTENSION_VARIANT_TYPE_STRING, args[2]).to_string());
                                  }});
            t.virtuals.push_back({"_export_end", [](ExtensionObject& self, const GDExtensionConstTypePtr*, GDExtensionTypePtr) {
                                      static_cast<WebViewExportPlugin&>(self).end();
                                  }});
            return t;
        }();
        return t;
    }

private:
    std::string m_target;  // the executable's path while a Linux export runs
};

// The EditorPlugin that the editor adds by itself: it adds the export plugin while it is in the
// editor's tree.
class WebViewEditorPlugin : public ExtensionObject {
public:
    using ExtensionObject::ExtensionObject;

    void notification(int what) override
    {
        if (what == kNotificationEnterTree) {
            ExtensionObject* instance = nullptr;
            m_export_plugin = instantiate(WebViewExportPlugin::table(), instance);
            self().call("add_export_plugin", {m_export_plugin});
        } else if (what == kNotificationExitTree && !m_export_plugin.is_nil()) {
            self().call("remove_export_plugin", {m_export_plugin});
            m_export_plugin = Variant();
        }
    }

    static const ClassTable& table()
    {
        static const ClassTable t = [] {
            ClassTable t;
            t.name = "WebViewEditorPlugin";
            t.parent = "EditorPlugin";
            t.create = [](GDExtensionObjectPtr owner) { return new WebViewEditorPlugin(owner); };
            return t;
        }();
        return t;
    }

private:
    Variant m_export_plugin;
};

// The folder itself or the first entry below it that is a link by an absolute path (the addon
// folder's own links are relative, so that it works wherever it lies), or "".
std::string link_out_of_folder(const fs::path& folder)
{
    std::error_code error;
    if (fs::is_symlink(fs::symlink_status(folder, error)) && fs::is_directory(folder, error))
        return fs::read_symlink(folder, error).is_absolute() ? folder.string() : std::string();
    if (!fs::is_directory(fs::symlink_status(folder, error)))
        return {};
    for (auto it = fs::recursive_directory_iterator(folder, error); !error && it != fs::recursive_directory_iterator();
         it.increment(error)) {
        if (it->is_symlink(error) && fs::read_symlink(it->path(), error).is_absolute())
            return it->path().string();
    }
    return {};
}

}  // namespace

const std::vector<std::string>& exported_addon_entries()
{
    static const std::vector<std::string> entries{"libsorvane.so.0", "vulkan-layers", "linux_x86_64-runtime", "licenses"};
    return entries;
}

std::string copy_addon_for_export(const std::string& addon, const std::string& export_dir)
{
    if (addon.empty())
        return "the addon folder is unknown (libsorvane.so.0 was not found)";
    const fs::path target = fs::path(export_dir) / "addons" / "webview";
    std::error_code error;
    fs::create_directories(target, error);
    if (error)
        return "cannot create " + target.string() + ": " + error.message();
    for (const std::string& entry : exported_addon_entries()) {
        const fs::path source = fs::path(addon) / entry;
        if (!fs::exists(fs::symlink_status(source, error)))
            return source.string() + " is missing";
        if (const std::string outside = link_out_of_folder(source); !outside.empty())
            return outside + " links out of the addon folder (a development folder, such as "
                             "tools/make-runtime.sh makes?); ship the folder that tools/package-addon.sh makes";
        fs::remove_all(target / entry, error);
        if (fs::is_regular_file(source, error)) {
            // libsorvane.so.0 is a link to the versioned file: the file itself, under the link's name.
            fs::copy_file(source, target / entry, error);
        } else {
            // Recursive, with links kept as links (the runtime's are relative) and modes kept.
            fs::copy(source, target / entry, fs::copy_options::recursive | fs::copy_options::copy_symlinks, error);
        }
        if (error)
            return "cannot copy " + source.string() + " to " + (target / entry).string() + ": " + error.message();
    }
    return {};
}

void register_export_plugin()
{
    if (!gd.editor_add_plugin || !singleton("Engine").call("is_editor_hint").to_bool())
        return;
    register_class(WebViewExportPlugin::table());
    register_class(WebViewEditorPlugin::table());
    gd.editor_add_plugin(sname("WebViewEditorPlugin"));
    editor_plugin_added = true;
}

void unregister_export_plugin()
{
    if (editor_plugin_added && gd.editor_remove_plugin)
        gd.editor_remove_plugin(sname("WebViewEditorPlugin"));
    editor_plugin_added = false;
}

}  // namespace sorvane_godot
