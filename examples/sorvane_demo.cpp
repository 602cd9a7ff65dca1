// The stand-in engine host's demo: it starts the library the way an engine extension does, hands
// its own Vulkan instance and device to each view, renders the built-in scenes into the views'
// textures, reads the textures back through their VkImage handles and writes them as PNG files.
//
// Like a game engine it uses no Qt of its own, so it runs where Qt is only inside the addon
// folder (tools/package-addon.sh).

#include <sorvane/sorvane.h>

#include "standin_host/hand_over.h"
#include "standin_host/vulkan_host_base.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

extern char** environ;

using namespace sorvane;
using Clock = std::chrono::steady_clock;

namespace {

struct Scene {
    std::string module;
    std::string name;
};

const std::vector<Scene> kDefaultScenes = {
    {"Splash", "Splash"},       {"Splash", "StackViewFancy"}, {"Debug", "Debug"},
    {"Debug", "DebugMouse"},    {"Debug", "DebugLatency"},    {"Debug", "DebugVideo"},
};

struct Options {
    std::vector<Scene> scenes = kDefaultScenes;
    unsigned width = 1920;
    unsigned height = 1080;
    int frames = 60;
    std::string output = "out";
    std::string project_root;
    std::string clip;  // empty: make one with ffmpeg
    bool web_page = true;
    bool video = true;
};

void usage()
{
    std::printf(
        "usage: sorvane-demo [options]\n"
        "Renders the library's built-in scenes on this machine's Vulkan device and writes the\n"
        "last frame of each as a PNG file.\n\n"
        "  --scene MODULE/NAME   a scene to render (repeatable; default: every Splash and Debug scene)\n"
        "  --resolution WxH      view size in pixels (default 1920x1080)\n"
        "  --frames N            frames to render per scene (default 60)\n"
        "  --output DIR          where the PNG files go (default ./out)\n"
        "  --project-root DIR    game project root holding addons/webview/linux_x86_64-runtime\n"
        "  --no-web              skip the demo's web page (served through \"res\" by this host)\n"
        "  --no-video            skip the frame of a test video (made with ffmpeg)\n"
        "  --clip FILE           play this video instead of making one with ffmpeg\n"
        "  --help                this text\n");
}

bool parse(int argc, char** argv, Options& options)
{
    bool scenes_given = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= argc)
                throw std::runtime_error(arg + " needs a value");
            return argv[++i];
        };
        if (arg == "--help" || arg == "-h") {
            usage();
            std::exit(0);
        } else if (arg == "--scene") {
            const std::string scene = value();
            const auto slash = scene.find('/');
            if (slash == std::string::npos)
                throw std::runtime_error("--scene takes MODULE/NAME, for example Debug/DebugMouse");
            if (!scenes_given)
                options.scenes.clear();
            scenes_given = true;
            options.scenes.push_back({scene.substr(0, slash), scene.substr(slash + 1)});
        } else if (arg == "--resolution") {
            if (std::sscanf(value().c_str(), "%ux%u", &options.width, &options.height) != 2)
                throw std::runtime_error("--resolution takes WIDTHxHEIGHT, for example 1920x1080");
        } else if (arg == "--frames") {
            options.frames = std::max(1, std::atoi(value().c_str()));
        } else if (arg == "--output") {
            options.output = value();
        } else if (arg == "--project-root") {
            options.project_root = value();
        } else if (arg == "--no-web") {
            options.web_page = false;
        } else if (arg == "--no-video") {
            options.video = false;
        } else if (arg == "--clip") {
            options.clip = value();
        } else {
            throw std::runtime_error("unknown option " + arg + " (see --help)");
        }
    }
    return true;
}

double ms_since(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Moves the mouse in a circle, holds the left button, scrolls and types, so that the picture of
// DebugMouse shows input.
void drive_input(const SView& view, int frame, unsigned width, unsigned height)
{
    const unsigned x = width / 2 + static_cast<unsigned>(static_cast<int>(width / 4) * (frame % 20) / 20);
    const unsigned y = height / 2;
    view.mouse_move(x, y);
    if (frame == 5)
        view.mouse_click(0, 0, x, y);  // left button held until the end
    if (frame == 10 || frame == 12)
        view.mouse_wheel_up(x, y);
    if (frame == 14)
        view.key_event(0x41 /* Qt::Key_A */, 0, "Ctrl+a");
}


// --- The web page ----------------------------------------------------------------------------
//
// The demo's own small site, served from memory through "res" addresses by this host's resource
// callback, as an engine serves files from its own packs. The page loads a stylesheet, an image
// and a script through "res" and shows what it found.

const std::map<std::string, std::string> kDemoSite = {
    {"/index.html", R"(<!DOCTYPE html>
<html><head><meta charset="utf-8"><link rel="stylesheet" href="style.css"><title>sorvane</title></head>
<body>
  <header><img src="images/logo.svg" alt=""><h1>A web page in the engine's texture</h1></header>
  <main>
    <p>Rendered by the web engine offscreen, composited by Qt Quick on the host's own Vulkan
       device, read back by the stand-in host through the texture's VkImage.</p>
    <ul id="files"></ul>
    <p id="greeting"></p>
  </main>
  <script src="app.js"></script>
</body></html>)"},
    {"/style.css", R"(html, body { margin: 0; height: 100%; font-family: "DejaVu Sans", sans-serif; }
body { background: linear-gradient(135deg, #1d2b64, #0f8a8a); color: #f4f4f4; }
header { display: flex; align-items: center; gap: 24px; padding: 32px 48px; background: rgba(0, 0, 0, 0.25); }
header img { width: 96px; height: 96px; }
h1 { font-size: 40px; margin: 0; }
main { padding: 24px 48px; font-size: 22px; line-height: 1.5; }
li { list-style: none; margin: 6px 0; padding: 6px 14px; border-radius: 6px; background: rgba(255, 255, 255, 0.12); }
li.ok::before { content: "\2714  "; color: #7CFC9A; }
#greeting { font-size: 28px; color: #f9c74f; })"},
    {"/images/logo.svg", R"(<svg xmlns="http://www.w3.org/2000/svg" viewBox="0 0 96 96">
<circle cx="48" cy="48" r="44" fill="#f9c74f"/><circle cx="48" cy="48" r="28" fill="#f3722c"/>
<circle cx="48" cy="48" r="12" fill="#ffffff"/></svg>)"},
    {"/app.js", R"(window.addEventListener("load", () => {
  const logo = document.querySelector("header img");
  const parts = [
    ["index.html", true],
    ["style.css", document.styleSheets.length > 0 && document.styleSheets[0].cssRules.length > 0],
    ["images/logo.svg", logo.complete && logo.naturalWidth > 0],
    ["app.js", true],
  ];
  const list = document.getElementById("files");
  for (const [name, loaded] of parts) {
    const item = document.createElement("li");
    item.className = loaded ? "ok" : "";
    item.textContent = "res://demo/" + name + (loaded ? " served by the host" : " missing");
    list.appendChild(item);
  }
  console.log("demo page ready");
});
// Data binding: the host's object "demo" (make_demo_object below), as godot.demo.
function bind() {
  const greeting = document.getElementById("greeting");
  greeting.textContent = godot.demo.greeting.value;
  godot.demo.greeting.on("changed", value => greeting.textContent = value);
  godot.demo.page_says("the page shows: " + godot.demo.greeting.value);
}
if (window.godot) bind(); else window.addEventListener("godot.ready", bind);)"},
};

// --- Data binding: a host object in the page ---------------------------------------------------
//
// The page shows the host's "greeting" and calls the host's "page_says", which prints the call.
// The library takes the object over at registration and deletes it with the view.
db::AbstractContextObjectStd* make_demo_object(Clock::time_point start, std::shared_ptr<std::atomic<bool>> called)
{
    auto* greeting = new db::PropertyInfoStd;
    greeting->name = "greeting";
    greeting->type = db::VariantTypeStd::STRING;
    greeting->value = db::ValueStd(std::string("Hello from the stand-in host"));
    auto* text = new db::PropertyInfoStd;
    text->name = "text";
    text->type = db::VariantTypeStd::STRING;
    auto* page_says = new db::MethodInfoStd;
    page_says->name = "page_says";
    page_says->args = {text};
    page_says->func_call_method = [start, called](db::MethodInfoStd*, std::vector<db::ContainerStd> args) {
        const auto* said = std::get_if<std::string>(&std::get<db::ValueStd>(args.at(0)));
        std::printf("[%8.1f ms] %-22s the page called demo.page_says(\"%s\")\n", ms_since(start), "data binding",
                    said ? said->c_str() : "?");
        *called = true;
    };
    auto* object = new db::AbstractContextObjectStd;
    object->name = "demo";
    object->properties[greeting->name] = greeting;
    object->members[greeting->name] = greeting;
    object->methods[page_says->name] = page_says;
    object->members[page_says->name] = page_says;
    return object;
}

// Renders the demo's web page into `file`. Returns false (and says why) when it cannot.
bool render_web_page(standin::VulkanHostBase& host, const Options& options, const std::string& file,
                     Clock::time_point start)
{
    SView().set_func_resource_file([](std::string path, bool&, unsigned long& size) -> unsigned char* {
        const auto it = kDemoSite.find(path);
        if (it == kDemoSite.end())
            return nullptr;
        size = it->second.size();
        return reinterpret_cast<unsigned char*>(const_cast<char*>(it->second.data()));
    });

    SWebView view;
    standin::hand_over(host, view);
    view.set_resolution({options.width, options.height});
    view.set_zoom_factor(100);
    auto ready = std::make_shared<std::atomic<bool>>(false);
    view.set_func_javascript_console_log([ready](int, std::string message, int, std::string) {
        if (message == "demo page ready")
            *ready = true;
    });
    view.set_url("res://demo/");
    auto called = std::make_shared<std::atomic<bool>>(false);
    db::AbstractContextObjectStd* demo = make_demo_object(start, called);
    view.webchannel_registerObject(demo->name, demo);

    const auto load_start = Clock::now();
    if (!view.load()) {
        std::printf("[%8.1f ms] %-22s FAILED to load (see the warnings above)\n", ms_since(start), "web page");
        view.destroy();
        return false;
    }
    const auto [width, height] = view.get_resolution();
    const unsigned long texture = view.get_texture();
    // Render at 60 Hz until the page says it is ready and has shown the host's update, then a
    // few frames more.
    int frames = 0;
    int after_ready = 0;
    bool updated = false;
    while (after_ready < 15 && ms_since(load_start) < 15000) {
        std::this_thread::sleep_for(std::chrono::milliseconds(17));
        view.render();
        ++frames;
        if (*ready && updated)
            ++after_ready;
        if (*called && !updated) {
            // Once the page has read the value, the host changes it; the page shows the new one.
            db::PropertyInfoStd* greeting = demo->properties.at("greeting");
            greeting->value = db::ValueStd("Hello from the stand-in host, frame " + std::to_string(frames));
            greeting->func_valueChanged_updateWeb(greeting);
            updated = true;
        }
    }
    const standin::RgbaImage image = host.read_back_rgba(texture, static_cast<int>(width), static_cast<int>(height));
    view.destroy();
    SView().set_func_resource_file({});
    if (!*ready) {
        std::printf("[%8.1f ms] %-22s the page did not finish loading in 15 s\n", ms_since(start), "web page");
        return false;
    }
    if (!updated) {
        std::printf("[%8.1f ms] %-22s the page did not call the host's object in 15 s\n", ms_since(start),
                    "data binding");
        return false;
    }
    const bool saved = standin::write_png(image, file);
    std::printf("[%8.1f ms] %-22s ready after %7.1f ms, %d frames -> %s\n", ms_since(start), "Web/Webview",
                ms_since(load_start), frames, saved ? file.c_str() : "(not saved)");
    return saved;
}

// --- The video -------------------------------------------------------------------------------
//
// A test clip made with ffmpeg (a moving test pattern and a tone), played by a video player view
// with its on-screen controls; the frame after about two seconds of playback is written.

// Makes the clip; returns false (and says why) when ffmpeg cannot.
bool make_test_clip(const std::string& file)
{
    std::vector<std::string> args = {"ffmpeg", "-y", "-nostdin", "-loglevel", "error", "-f", "lavfi", "-i",
                                     "testsrc2=s=1280x720:r=30:d=6", "-f", "lavfi", "-i",
                                     "sine=frequency=440:duration=6", "-c:v", "libx264", "-preset", "ultrafast",
                                     "-pix_fmt", "yuv420p", "-c:a", "aac", "-metadata", "title=sorvane test clip",
                                     file};
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    const int spawned = posix_spawnp(&pid, "ffmpeg", nullptr, nullptr, argv.data(), environ);
    if (spawned != 0) {
        std::printf("could not make the test clip: ffmpeg could not be started: %s (pass --clip FILE)\n",
                    std::strerror(spawned));
        return false;
    }
    // ffmpeg's own messages go to this process's standard error. It gets a minute.
    int status = 0;
    const auto deadline = Clock::now() + std::chrono::seconds(60);
    pid_t done = 0;
    while ((done = waitpid(pid, &status, WNOHANG)) == 0 && Clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    if (done == 0) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
        std::printf("could not make the test clip: ffmpeg did not finish within 60 s\n");
        return false;
    }
    if (done < 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::printf("could not make the test clip: ffmpeg failed (see its messages above)\n");
        return false;
    }
    return true;
}

// Plays `clip` in a video player view and writes a frame of it into `file`.
bool render_video_frame(standin::VulkanHostBase& host, const Options& options, const std::string& clip,
                        const std::string& file, Clock::time_point start)
{
    SVideoPlayerView view;
    standin::hand_over(host, view);
    view.set_resolution({options.width, options.height});
    view.set_source(clip);
    const auto load_start = Clock::now();
    if (!view.load("Multimedia", "VideoPlayer")) {
        std::printf("[%8.1f ms] %-22s FAILED to load (see the warnings above)\n", ms_since(start), "video");
        view.destroy();
        return false;
    }
    const auto [width, height] = view.get_resolution();
    const unsigned long texture = view.get_texture();
    // Render at 60 Hz until two seconds of the clip have played.
    int frames = 0;
    while (view.get_position() < 2000 && ms_since(load_start) < 15000) {
        std::this_thread::sleep_for(std::chrono::milliseconds(17));
        view.render();
        ++frames;
    }
    const long long position = view.get_position();
    const standin::RgbaImage image = host.read_back_rgba(texture, static_cast<int>(width), static_cast<int>(height));
    view.destroy();
    if (position < 2000) {
        std::printf("[%8.1f ms] %-22s the clip did not play (position %lld ms after 15 s)\n", ms_since(start),
                    "video", position);
        return false;
    }
    const bool saved = standin::write_png(image, file);
    std::printf("[%8.1f ms] %-22s %lld ms played, %d frames -> %s\n", ms_since(start), "Multimedia/VideoPlayer",
                position, frames, saved ? file.c_str() : "(not saved)");
    return saved;
}

}  // namespace

int main(int argc, char** argv)
{
    Options options;
    try {
        parse(argc, argv, options);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "sorvane-demo: %s\n", e.what());
        return 2;
    }
    namespace fs = std::filesystem;
    std::error_code error;
    // The web engine's helper process is found through this path, so it must not be relative.
    if (!options.project_root.empty())
        options.project_root = fs::absolute(options.project_root).lexically_normal().string();
    opts::PATH_PROJECT_ROOT = options.project_root;
    fs::create_directories(options.output, error);
    if (error) {
        std::fprintf(stderr, "sorvane-demo: cannot make %s: %s\n", options.output.c_str(), error.message().c_str());
        return 2;
    }
    const std::string output = fs::absolute(options.output).lexically_normal().string();
    if (!options.clip.empty())
        options.clip = fs::absolute(options.clip).lexically_normal().string();

    const auto start = Clock::now();
    std::printf("libsorvane %s\n", S::get_version_full().c_str());
    std::printf("[%8.1f ms] state: not started\n", ms_since(start));

    try {
        standin::HostOptions host_options;
        host_options.instance_extensions = {"VK_KHR_surface", "VK_KHR_xcb_surface"};
        // As an engine extension does: the queue-lock layer of the addon folder (or of the
        // build, when run from it) goes into the instance, so every submission is serialised.
        for (const std::string& dir : {options.project_root + "/addons/webview/vulkan-layers",
                                      std::string(SORVANE_LAYER_DIR)}) {
            if (fs::exists(dir + "/VkLayer_sorvane_queue_lock.json", error)) {
                host_options.queue_lock_layer_dir = dir;
                break;
            }
        }
        standin::VulkanHostBase host(host_options);
        std::printf("[%8.1f ms] host Vulkan device: %s\n", ms_since(start), host.device_name().c_str());

        S::create_app();
        std::printf("[%8.1f ms] state: starting\n", ms_since(start));
        S::ensure_qt_eventloop_is_running();
        std::printf("[%8.1f ms] state: running\n", ms_since(start));

        int failures = 0;
        std::vector<std::string> written;
        for (const Scene& scene : options.scenes) {
            const std::string label = scene.module + "/" + scene.name;
            SQuickView view;
            standin::hand_over(host, view);
            view.set_resolution({options.width, options.height});

            const auto load_start = Clock::now();
            if (!view.load(scene.module, scene.name)) {
                std::printf("[%8.1f ms] %-22s FAILED to load (see the warnings above)\n", ms_since(start),
                            label.c_str());
                ++failures;
                view.destroy();
                continue;
            }
            const double load_ms = ms_since(load_start);
            const auto [width, height] = view.get_resolution();
            const unsigned long texture = view.get_texture();

            std::vector<double> frame_ms;
            for (int frame = 0; frame < options.frames; ++frame) {
                if (scene.name == "DebugMouse")
                    drive_input(view, frame, width, height);
                std::this_thread::sleep_for(std::chrono::milliseconds(17));  // one engine frame at 60 Hz
                const auto frame_start = Clock::now();
                view.render();
                frame_ms.push_back(ms_since(frame_start));
            }
            view.mouse_click(0, 1, width / 2, height / 2);

            const standin::RgbaImage image =
                host.read_back_rgba(texture, static_cast<int>(width), static_cast<int>(height));
            const std::string file = output + "/" + scene.module + "-" + scene.name + ".png";
            const bool saved = standin::write_png(image, file);
            std::sort(frame_ms.begin(), frame_ms.end());
            std::printf("[%8.1f ms] %-22s load %7.1f ms, %d frames, render median %6.2f ms, max %6.2f ms -> %s\n",
                        ms_since(start), label.c_str(), load_ms, options.frames, frame_ms[frame_ms.size() / 2],
                        frame_ms.back(), saved ? file.c_str() : "(not saved)");
            if (saved)
                written.push_back(file);
            else
                ++failures;
            view.destroy();
        }

        // The web page, served through "res" by this host.
        if (options.web_page) {
            const std::string file = output + "/Web-Webview.png";
            if (render_web_page(host, options, file, start))
                written.push_back(file);
            else
                ++failures;
        }

        // A frame of a test video.
        if (options.video) {
            const bool made = options.clip.empty();
            const std::string clip = made ? output + "/test-clip.mp4" : options.clip;
            const std::string file = output + "/Multimedia-VideoPlayer.png";
            if ((!made || make_test_clip(clip)) && render_video_frame(host, options, clip, file, start))
                written.push_back(file);
            else
                ++failures;
            if (made)
                fs::remove(clip, error);
        }

        S::destroy();
        std::printf("[%8.1f ms] state: stopped\n", ms_since(start));
        std::printf("\n%zu PNG file(s) in %s\n", written.size(), output.c_str());
        std::fflush(stdout);
        std::_Exit(failures == 0 ? 0 : 1);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "sorvane-demo: %s\n", e.what());
        std::_Exit(1);
    }
}
