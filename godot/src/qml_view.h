// QmlView: a Control that shows a scene of the library's built-in QML modules (Splash, Debug,
// Multimedia, Web), chosen by module and scene name.
#pragma once

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

protected:
    FacadeSlot create_facade() override;
    void configure(sorvane::SView& facade) override;
    std::function<bool(sorvane::SView&)> loader() const override;
    void handle_event(const Event& event) override;

private:
    std::string m_module = "Splash";
    std::string m_scene = "Splash";
};

}  // namespace sorvane_godot
