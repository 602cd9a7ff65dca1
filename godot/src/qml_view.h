// QmlView: a Control that shows a QML scene: one of the game's own files (source, such as
// "res://ui/hud.qml"), or else a scene of the library's built-in modules (Splash, Debug,
// Multimedia, Web) chosen by module and scene name.
#pragma once

#include "game_scene_files.h"
#include "view_control.h"

namespace sorvane_godot {

class QmlView : public ViewControl {
public:
    using ViewControl::ViewControl;

    static const ClassTable& table();

    void set_module(const std::string& module);
    const std::string& module() const { return m_module; }
    void set_scene(const std::string& scene);
    const std::string& scene() const { return m_scene; }
    void set_source(const std::string& source);
    const std::string& source() const { return m_source; }

    void notification(int what) override;

protected:
    FacadeSlot create_facade() override;
    void configure(sorvane::SView& facade) override;
    std::function<bool(sorvane::SView&)> loader() const override;
    void handle_event(const Event& event) override;

private:
    std::string m_module = "Splash";
    std::string m_scene = "Splash";
    std::string m_source;
    // The game's scene file of the last load, and its folder's stamp then (for reloading).
    mutable GameSceneFile m_scene_file;
    mutable std::uint64_t m_scene_stamp = 0;
    std::uint64_t m_next_check_msec = 0;
};

}  // namespace sorvane_godot
