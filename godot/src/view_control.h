// What every view node shares: a Control that shows a view of the library. It creates the view
// when it enters the scene tree and destroys it when it leaves; the view is loaded at the
// control's size (and again after a resize), rendered once per frame on Godot's render thread,
// imported as a Texture2DRD and drawn over the whole control; mouse, wheel and key input that
// reaches the control goes to the view; what the view reports arrives as signals on the main
// thread.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "binding.h"
#include "events.h"
#include "library.h"

namespace sorvane_godot {

class ViewControl : public ExtensionObject {
public:
    explicit ViewControl(GDExtensionObjectPtr owner);
    ~ViewControl() override;

    void notification(int what) override;
    void gui_input(GDExtensionObjectPtr event);
    // An input event at a point of the view given by texture coordinates (0 to 1 each way, from
    // the top left), such as the UV of a mesh where a ray hit it: how a screen in a 3D world
    // passes on clicks and typing. Keys ignore the point. True when the view took the event.
    bool push_input_at_uv(GDExtensionObjectPtr event, float u, float v);

    int refresh_rate() const { return m_refresh_rate; }
    // Whether the view renders ahead (default): Godot's render thread never waits for the view's
    // frame and the textures follow the newest finished one. A change loads the view again.
    bool render_ahead() const { return m_render_ahead; }
    void set_render_ahead(bool enabled);
    void set_refresh_rate(int rate);
    // The Texture2DRD the view renders into (nil before the view is loaded), for 2D drawing:
    // canvas items, TextureRect, 2D shaders. It hands over the sRGB-encoded values as they are.
    Variant texture() const;
    // The same image for 3D materials (nil before the view is loaded): sampled as sRGB, so a
    // material sees linear colours and shows the view as 2D drawing does. Imported on first use.
    Variant texture_3d() const;

    // The members every view node has, for the class tables.
    static void add_common_members(ClassTable& table);

protected:
    // Creates the view's facade (main thread, once per entry into the tree).
    virtual FacadeSlot create_facade() = 0;
    // Sets callbacks and the settings kept while the view did not exist (main thread, right after
    // the facade is created).
    virtual void configure(sorvane::SView& facade) = 0;
    // The load of the content, run later on the render thread: it must carry copies of what it
    // needs, not read the node.
    virtual std::function<bool(sorvane::SView&)> loader() const = 0;
    // An event of the view, on the main thread.
    virtual void handle_event(const Event& event);
    // Whether the texture follows the control's scale on the screen (the window's content scale
    // and stretch): then the view renders at the size the control covers on the screen, sharp,
    // and is told the scale through screen_scale_changed() to lay its content out as at scale 1.
    // Views that cannot keep their layout at another scale (QML scenes) keep their control's size.
    virtual bool follows_screen_scale() const { return false; }
    virtual void screen_scale_changed(double /*scale*/) {}
    double screen_scale() const { return m_screen_scale; }

    // The view's facade while the node is in the tree, else null. Main thread.
    sorvane::SView* facade() const;
    const std::shared_ptr<EventQueue>& events() const { return m_events; }
    // Loads the content again at the next frame.
    void request_load() { m_load_requested = true; }
    bool is_running() const { return m_state != nullptr; }

private:
    struct State;

    void enter_tree();
    void exit_tree();
    // Destroys the view and releases its texture, on the render thread.
    void release_view();
    void process();
    void draw();
    void queue_load(unsigned width, unsigned height);
    // The view's size in pixels for the control's size, times the screen scale where the view
    // follows it (the library takes at least 256 each way).
    void wanted_size(unsigned& width, unsigned& height) const;
    bool to_view_pixels(const Variant& event, unsigned& x, unsigned& y) const;
    bool uv_to_view_pixels(float u, float v, unsigned& x, unsigned& y) const;
    // Passes a mouse, wheel or key event to the view; mouse events need `has_point` and go to
    // (x, y) in view pixels. True when the view took it.
    bool send_input(const Variant& event, bool has_point, unsigned x, unsigned y);

    std::shared_ptr<State> m_state;
    std::shared_ptr<EventQueue> m_events;
    int m_refresh_rate = 60;
    double m_screen_scale = 1.0;
    bool m_render_ahead = true;
    bool m_load_requested = false;
    bool m_texture_ready = false;
    unsigned m_loaded_width = 0;
    unsigned m_loaded_height = 0;
    unsigned m_pending_width = 0;
    unsigned m_pending_height = 0;
    std::uint64_t m_resize_at_msec = 0;
};

}  // namespace sorvane_godot
