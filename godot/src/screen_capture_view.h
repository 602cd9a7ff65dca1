// ScreenCaptureView: a Control that shows the live picture of one of the machine's physical
// screens (the library's screen-capture scene), chosen by `physical_screen`, with the capture
// switched by `active`.
#pragma once

#include "view_control.h"

namespace sorvane { class SScreenCaptureView; }

namespace sorvane_godot {

class ScreenCaptureView : public ViewControl {
public:
    using ViewControl::ViewControl;

    static const ClassTable& table();

    void set_active(bool active);
    bool active() const { return m_active; }
    void set_physical_screen(const std::string& hint);
    const std::string& physical_screen() const { return m_physical_screen; }
    // One Dictionary per physical screen, the primary first ("name", "model", "manufacturer",
    // "serialNumber", "availableSize", "virtualSize", "isPortrait", "isLandscape",
    // "refreshRate", each a String); empty while the node is outside the tree.
    Variant physical_screens() const;

protected:
    FacadeSlot create_facade() override;
    void configure(sorvane::SView& facade) override;
    std::function<bool(sorvane::SView&)> loader() const override;
    void handle_event(const Event& event) override;

private:
    sorvane::SScreenCaptureView* capture() const;

    bool m_active = true;
    std::string m_physical_screen;
};

}  // namespace sorvane_godot
