#pragma once

#include <functional>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include <vulkan/vulkan_core.h>

#include "sorvane/export.h"

namespace sorvane {

class View;

// Host-side handles of views. Each facade holds only a pointer to its view on the Qt thread.
//
// Threads: every operation may be called from any host thread; it is carried to the Qt thread.
// Most operations wait for the result. On a facade without a view (a plain SView, or after
// destroy()) every operation returns its default at once. Waited operations called on the Qt
// thread itself (from inside a callback of this library) run inline instead of waiting.
//
// Lifetime: discarding a facade does not touch its view; only destroy() deletes it. Call
// destroy() before S::destroy(): once the Qt event loop has stopped, operations return their
// defaults with a warning.
class SORVANE_EXPORT SView {
public:
    SView();

    // Resets the view (releases its scene and pipeline) and waits for it.
    virtual void reset() const;

    // Deletes the view and forgets it. Idempotent. The view's texture is released with it: stop
    // sampling the texture before calling this.
    void destroy();

    // --- Rendering on the host's Vulkan device ---------------------------------------------
    //
    // Call order: set_view_monitor and set_statistics_monitor with the host's own handles,
    // set_resolution (and optionally set_refresh_rate, set_mipmaps_enabled), then load. After a
    // successful load fetch get_texture() once and call render() once per host frame.
    //
    // The view renders on queue family 0, queue 0 of the host's device, which the host shares
    // with the library. Vulkan requires submissions to one queue to be externally synchronised.
    // With the queue-lock layer (VK_LAYER_SORVANE_queue_lock, enabled by the host before it
    // creates its instance) every submission of every thread is serialised, the library's and
    // the host's alike. Without it the host must not submit to that queue while load() or
    // render() is in progress (the first load() then warns once).
    //
    // A null instance, physical device or device refuses the load with a warning naming it.
    //
    // After a frame the texture is left in VK_IMAGE_LAYOUT_COLOR_ATTACHMENT_OPTIMAL unless
    // set_texture_layout() chose another layout. A host that transitions it (for example to
    // copy from it) must transition it back before the next render(), because the library
    // tracks the layout itself. The image is R8G8B8A8_UNORM holding sRGB-encoded values, created
    // with VK_IMAGE_CREATE_MUTABLE_FORMAT_BIT: sample it through an R8G8B8A8_SRGB view where
    // the shader works in linear colour (3D materials), through a UNORM view where it works on
    // the encoded values (2D drawing that writes them straight out).

    // Adopts the host's VkInstance (the library never creates one of its own).
    void set_view_monitor(VkInstance_T*& instance);
    // Adopts the host's physical device and device.
    void set_statistics_monitor(VkPhysicalDevice_T*& physical_device, VkDevice_T*& device);

    // Width and height of the scene in pixels, each at least 256; read at load. A size beyond
    // the device's limits (its largest 2D image, or more memory than its largest device-local
    // heap) makes the load fail with a warning naming the limit.
    void set_resolution(std::tuple<unsigned, unsigned> size);
    std::tuple<unsigned, unsigned> get_resolution() const;
    // Frames per second, 1 to 120 (higher values are clamped to 120); default about 60.
    void set_refresh_rate(int rate);
    int get_refresh_rate() const;
    // Generates the texture's mip chain after every frame.
    void set_mipmaps_enabled(bool enabled);
    int get_mips_count() const;

    // The same five operations as const members, as earlier releases declared them; kept so
    // that extensions built against those headers still load. They do exactly the same.
    void set_view_monitor(VkInstance_T*& instance) const;
    void set_statistics_monitor(VkPhysicalDevice_T*& physical_device, VkDevice_T*& device) const;
    void set_resolution(std::tuple<unsigned, unsigned> size) const;
    void set_refresh_rate(int rate) const;
    void set_mipmaps_enabled(bool enabled) const;

    // --- How the texture is handed over ------------------------------------------------------
    //
    // The layout the texture is left in after load() and after every render() that renders:
    // VK_IMAGE_LAYOUT_COLOR_ATTACHMENT_OPTIMAL (the default), VK_IMAGE_LAYOUT_SHADER_READ_ONLY_OPTIMAL
    // (what an engine that samples an imported image without transitioning it needs) or
    // VK_IMAGE_LAYOUT_GENERAL. With SHADER_READ_ONLY_OPTIMAL the frame's last barrier makes every
    // mip level visible to the host's later shader reads (vertex, fragment, compute) on the same
    // queue; with GENERAL to every later command. The library takes the texture back itself at
    // the next frame, after the host's reads: the host records no barrier of its own. Any other
    // value warns and keeps the old layout. Takes effect at the next rendered frame (a change
    // makes the next due render() render).
    void set_texture_layout(int layout);
    int get_texture_layout() const;
    // The mip levels that hold the picture: the whole chain (get_mips_count()) with mipmaps
    // enabled, otherwise 1. Import or sample only these levels.
    int get_content_mips_count() const;

    // The texture's VkImage handle (0 before a successful load). It stays the same object until
    // the next load, reset or destroy(), which release it: stop sampling it before those.
    unsigned long get_texture() const;

    // Renders one frame if the view's frame interval has passed since the last one. With render
    // ahead (below) it never waits for a frame.
    void render() const;

    // --- Rendering ahead ---------------------------------------------------------------------
    //
    // By default render() renders a due frame while the calling thread waits. With render ahead
    // the view has two images: the host samples one while the library draws the next frame into
    // the other on its own thread. render() then only hands over the newest finished frame (the
    // image get_current_texture_index() names from then on) and asks for the next one, and
    // returns without waiting for the library's thread. A finished frame is complete on the device
    // and in the hand-over layout before render() hands it over, and the library never writes the
    // image the host was last handed; it writes the other image only after a later render(), so
    // the host must have submitted its work that samples an image before the render() that
    // follows, as in the default mode. A change shows in the frame that the first or the second
    // render() after it hands over: the second for input sent after a render(), whose queued frame
    // was drawn before the input (while the library finishes a frame within one host frame; the
    // engine integration guide says more).
    //
    // Read at load(); default false. Needs the queue-lock layer (the library submits while the
    // host does): without it the load warns and the view renders as by default.
    void set_render_ahead(bool enabled);
    bool get_render_ahead() const;
    // The VkImages the host samples: 2 after a load with render ahead, 1 after another load, 0
    // before a successful load. Both stay the same objects until the next load, reset or
    // destroy(): import each once.
    int get_textures_count() const;
    // The VkImage of image `index` (0 up to get_textures_count() - 1); 0 for any other index.
    unsigned long get_texture_at(int index) const;
    // The image that holds the frame to sample after the last render(); always 0 without render
    // ahead. Answers on the calling thread without waiting. get_texture() answers that image's
    // handle.
    int get_current_texture_index() const;

    // Console messages of the scene: level, message, line number, source. Exported both as a
    // const and as a non-const member: extensions built either way load.
    void set_func_javascript_console_log(std::function<void(int, std::string, int, std::string)> func) const;
    void set_func_javascript_console_log(std::function<void(int, std::string, int, std::string)> func);

    // --- Input, in scene pixels ((0, 0) is the top-left corner) -------------------------------
    void mouse_move(unsigned x, unsigned y) const;
    // button: 0 left, 1 right, 2 middle, 3 back, 4 forward; state: 0 press, 1 release.
    void mouse_click(unsigned short button, unsigned short state, unsigned x, unsigned y) const;
    void mouse_wheel_up(unsigned x, unsigned y) const;
    void mouse_wheel_down(unsigned x, unsigned y) const;
    // key: a Qt key code; state: 0 press, 1 release; text: UTF-8, optionally with one
    // "Ctrl+", "Shift+", "Alt+" or "Meta+" prefix that sets the modifier.
    void key_event(unsigned key, unsigned short state, const std::string& text) const;

    // Text typed through an input method (IME), for the focused item: a QML text field or the
    // focused editable element of a web page. `preedit` is the text being composed, shown
    // underlined with the cursor at character `cursor` (counted in Unicode characters; a
    // negative value shows none); `commit` is text the input method has finished: it replaces
    // the composition so far and is inserted, and `preedit` then becomes the new composition.
    // An empty preedit ends the composition; with an empty commit too, what was being
    // composed is dropped. Posted, in order with key_event.
    void ime_event(std::string preedit, int cursor, std::string commit) const;
    // Where the focused item's text cursor is, in scene pixels, for placing the input method's
    // own window: (x, y, width, height). (0, 0, 0, 0) when the focused item takes no text (or
    // nothing has focus).
    std::tuple<int, int, int, int> get_ime_rect() const;

    // Sets the one callback that answers the "res" addresses of every web view; works on any
    // facade, even one without a view. It runs on the Qt thread with the address's path, which
    // begins with "/" unless it is empty (as for "res://app"); it stores the byte count in `size`
    // and returns a pointer to the bytes, which stay the host's and are copied at once. Return
    // null for "not found".
    //
    // The callback is synchronous: while it runs, the library's Qt thread does nothing else, so
    // every view's render() and every waiting call of every facade waits for it (a callback
    // that takes 2 s holds all views' render() for 2 s). Answer from memory or a cache, and
    // load slow assets before the page asks for them.
    void set_func_resource_file(std::function<unsigned char*(std::string path, bool& flag, unsigned long& size)> func);

    // Accepted and ignored: the library never frees the host's buffers.
    void set_func_resource_file_free(std::function<void()> func);

    // The machine's physical screens, the primary one first: one map per screen with the keys
    // "name", "model", "manufacturer", "serialNumber", "availableSize" and "virtualSize"
    // ("1920x1080"), "isPortrait" and "isLandscape" ("true" or "false") and "refreshRate"
    // ("60.000000"). Runs on the calling thread and works on any facade, even one without a
    // view; empty until the library's application runs.
    std::vector<std::map<std::string, std::string>> get_physical_screens() const;

protected:
    View* m_view;
};

}  // namespace sorvane
