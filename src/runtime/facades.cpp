// SView and SQuickView: construction, destruction, rendering, input and scene loading.

#include "sorvane/app.h"
#include "sorvane/views.h"

#include "quick/quick_view.h"
#include "runtime/carry.h"
#include "runtime/facade_support.h"
#include "runtime/runtime_state.h"
#include "web/godot_scheme_handler.h"

#include <utility>


namespace sorvane {


SView::SView() : m_view(nullptr) {}

void SView::reset() const
{
    carry::blocking(m_view, [](View* v) { v->reset(); });
}

void SView::destroy()
{
    if (!m_view)
        return;
    // A view already destroyed through another copy of this facade is not on the live list:
    // the carrying then warns and leaves it alone.
    carry::blocking(m_view, [](View* v) {
        live::Tracked::withdraw(v);  // from here no caller thread touches it
        delete v;
    });
    m_view = nullptr;
}

void SView::set_func_resource_file(std::function<unsigned char*(std::string, bool&, unsigned long&)> func)
{
    carry::blocking(runtime().scheme_handler,
                    [func = std::move(func)](GodotSchemeHandler* h) { h->m_resource_file.set(func); });
}

void SView::set_func_resource_file_free(std::function<void()>) {}

void SView::set_view_monitor(VkInstance_T*& instance)
{
    carry::blocking(m_view, [instance](View* v) { v->set_vulkan_instance(instance); });
}

void SView::set_statistics_monitor(VkPhysicalDevice_T*& physical_device, VkDevice_T*& device)
{
    carry::blocking(m_view,
                    [physical_device, device](View* v) { v->set_graphics_device(physical_device, device); });
}

void SView::set_resolution(std::tuple<unsigned, unsigned> size)
{
    const auto [width, height] = size;
    carry::waited(m_view, [width, height](View* v) { v->set_resolution(width, height); });
}

std::tuple<unsigned, unsigned> SView::get_resolution() const
{
    return carry::waited(m_view, [](View* v) {
        const QSizeF size = v->resolution();
        return std::tuple<unsigned, unsigned>(static_cast<unsigned>(size.width()),
                                              static_cast<unsigned>(size.height()));
    });
}

void SView::set_refresh_rate(int rate)
{
    carry::waited(m_view, [rate](View* v) { v->set_refresh_rate(rate); });
}

int SView::get_refresh_rate() const
{
    return carry::waited(m_view, [](View* v) { return v->refresh_rate(); }, 60);
}

void SView::set_mipmaps_enabled(bool enabled)
{
    carry::waited(m_view, [enabled](View* v) { v->set_mipmaps_enabled(enabled); });
}

int SView::get_mips_count() const
{
    return carry::waited(m_view, [](View* v) { return v->mips_count(); }, 1);
}

void SView::set_texture_layout(int layout)
{
    carry::waited(m_view, [layout](View* v) { v->set_texture_layout(layout); });
}

int SView::get_texture_layout() const
{
    return carry::waited(m_view, [](View* v) { return v->texture_layout(); },
                         int(VK_IMAGE_LAYOUT_COLOR_ATTACHMENT_OPTIMAL));
}

int SView::get_content_mips_count() const
{
    return carry::waited(m_view, [](View* v) { return v->content_mips_count(); }, 1);
}

unsigned long SView::get_texture() const
{
    return carry::waited(m_view, [](View* v) { return static_cast<unsigned long>(v->native_texture()); });
}

void SView::render() const
{
    if (View::is_rendering_blocked())
        return;
    // A view that renders ahead is handed its newest finished frame on this thread, under a
    // short lock, and the next frame is drawn on the Qt thread after this call returns.
    const auto next = carry::direct(m_view, [](View* v) { return v->hand_over_frame(); },
                                    FrameExchange::Next::Nothing);
    if (next == FrameExchange::Next::QueueStep)
        carry::posted(m_view, [](View* v) { v->render_ahead_step(); });
    else if (next == FrameExchange::Next::RenderWaited)
        carry::blocking(m_view, [](View* v) { v->render_frame(); });
}

void SView::set_render_ahead(bool enabled)
{
    carry::waited(m_view, [enabled](View* v) { v->set_render_ahead(enabled); });
}

bool SView::get_render_ahead() const
{
    return carry::waited(m_view, [](View* v) { return v->render_ahead(); }, false);
}

int SView::get_textures_count() const
{
    return carry::waited(m_view, [](View* v) { return v->texture_count(); }, 0);
}

unsigned long SView::get_texture_at(int index) const
{
    return carry::waited(m_view, [index](View* v) { return static_cast<unsigned long>(v->native_texture_at(index)); });
}

int SView::get_current_texture_index() const
{
    return carry::direct(m_view, [](View* v) { return v->shown_texture(); }, 0);
}

void SView::set_func_javascript_console_log(std::function<void(int, std::string, int, std::string)> func) const
{
    carry::blocking(m_view, [func = std::move(func)](View* v) { v->m_console_log_func.set(func); });
}

void SView::mouse_move(unsigned x, unsigned y) const
{
    carry::blocking(m_view, [x, y](View* v) { v->mouse_move(QPointF(x, y)); });
}

void SView::mouse_click(unsigned short button, unsigned short state, unsigned x, unsigned y) const
{
    carry::waited(m_view, [button, state, x, y](View* v) { v->mouse_click(button, state, QPointF(x, y)); });
}

void SView::mouse_wheel_up(unsigned x, unsigned y) const
{
    carry::posted(m_view, [x, y](View* v) { v->mouse_wheel(QPointF(x, y), 120); });
}

void SView::mouse_wheel_down(unsigned x, unsigned y) const
{
    carry::posted(m_view, [x, y](View* v) { v->mouse_wheel(QPointF(x, y), -120); });
}

void SView::key_event(unsigned key, unsigned short state, const std::string& text) const
{
    carry::posted(m_view, [key, state, text = QString::fromStdString(text)](View* v) {
        v->key_event(key, state, text);
    });
}

void SView::ime_event(std::string preedit, int cursor, std::string commit) const
{
    carry::posted(m_view, [preedit = QString::fromStdString(preedit), cursor,
                           commit = QString::fromStdString(commit)](View* v) { v->ime_event(preedit, cursor, commit); });
}

std::tuple<int, int, int, int> SView::get_ime_rect() const
{
    return carry::waited(m_view, [](View* v) {
        const QRect rect = v->ime_rect();
        return std::tuple<int, int, int, int>(rect.x(), rect.y(), rect.width(), rect.height());
    });
}

bool SQuickView::load(std::string module, std::string name) const
{
    return carry::blocking(m_view, [module = std::move(module), name = std::move(name)](View* v) {
        return static_cast<QuickView*>(v)->load(QString::fromStdString(module), QString::fromStdString(name));
    }, false);
}

bool SQuickView::load_file(std::string path) const
{
    return carry::blocking(m_view, [path = std::move(path)](View* v) {
        return static_cast<QuickView*>(v)->load_file(QString::fromStdString(path));
    }, false);
}

SQuickView::SQuickView() : SView()
{
    m_view = create_view(&SorvaneCtx::_create_quickview);
}

SQuickView::SQuickView(NoView) : SView() {}

// The const forms of earlier releases: the same calls (none of them changes the facade itself).
void SView::set_view_monitor(VkInstance_T*& instance) const
{
    const_cast<SView*>(this)->set_view_monitor(instance);
}

void SView::set_statistics_monitor(VkPhysicalDevice_T*& physical_device, VkDevice_T*& device) const
{
    const_cast<SView*>(this)->set_statistics_monitor(physical_device, device);
}

void SView::set_resolution(std::tuple<unsigned, unsigned> size) const
{
    const_cast<SView*>(this)->set_resolution(size);
}

void SView::set_refresh_rate(int rate) const
{
    const_cast<SView*>(this)->set_refresh_rate(rate);
}

void SView::set_mipmaps_enabled(bool enabled) const
{
    const_cast<SView*>(this)->set_mipmaps_enabled(enabled);
}

void SView::set_func_javascript_console_log(std::function<void(int, std::string, int, std::string)> func)
{
    std::as_const(*this).set_func_javascript_console_log(std::move(func));
}

}  // namespace sorvane
