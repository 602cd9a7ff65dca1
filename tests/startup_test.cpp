// Start-up configurations, each in a probe host process of its own.

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/un.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct ProbeResult {
    std::map<std::string, std::string> values;  // last value of each KEY=VALUE line
    std::vector<std::string> states;
    std::string stderr_text;
    int exit_code = -1;
};

std::string read_file(const std::string& path)
{
    std::string text;
    if (FILE* f = std::fopen(path.c_str(), "rb")) {
        std::array<char, 4096> buffer;
        size_t n;
        while ((n = std::fread(buffer.data(), 1, buffer.size(), f)) > 0)
            text.append(buffer.data(), n);
        std::fclose(f);
    }
    return text;
}

// Runs the probe host. Unless `keep_display`, it runs with no display server to reach and no
// platform asked for (the display variables unset), before `env` is applied.
// `wrapper` runs before everything else of the command.
ProbeResult run_probe(const std::string& args, const std::string& env = "", bool keep_display = false,
                      const std::string& wrapper = "")
{
    char dir_template[] = "/tmp/probe-XXXXXX";
    const std::string dir = mkdtemp(dir_template);
    const std::string out = dir + "/out", err = dir + "/err";
    const std::string unset = keep_display ? "" : "-u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM ";
    const std::string command = wrapper + "env " + unset + env + " " + PROBE_HOST + " --project-root " +
                                TEST_PROJECT_ROOT + " " + args + " >" + out + " 2>" + err;
    ProbeResult result;
    const int status = std::system(command.c_str());
    result.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::istringstream lines(read_file(out));
    for (std::string line; std::getline(lines, line);) {
        const auto eq = line.find('=');
        if (eq == std::string::npos)
            continue;
        const std::string key = line.substr(0, eq), value = line.substr(eq + 1);
        result.values[key] = value;
        if (key == "state")
            result.states.push_back(value);
    }
    result.stderr_text = read_file(err);
    std::system(("rm -rf " + dir).c_str());
    return result;
}

size_t count(const std::string& text, const std::string& what)
{
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

const std::string kUnsandboxed =
    "--disable-gpu-vsync --no-sandbox --disable-web-security "
    "--disable-features=IsolateOrigins,site-per-process --user-data-dir=\"/tmp/test/\" ";

}  // namespace

TEST(Startup, DefaultStartRunsThroughItsStatesAndSetsTheEnvironment)
{
    const ProbeResult r = run_probe("");
    ASSERT_EQ(r.exit_code, 0) << r.stderr_text;
    EXPECT_EQ(r.states, (std::vector<std::string>{"not-started", "starting", "running", "stopped"}));
    // No display server here: the library's own platform, chosen and logged; Qt's "-platform"
    // argument does not stay among the application's arguments.
    EXPECT_EQ(r.values.at("platform"), "headless");
    EXPECT_EQ(r.values.at("arguments"), "libsorvane");
    EXPECT_EQ(count(r.stderr_text, "sorvane: Qt platform headless: no display server needed; no X display to use: "
                                   "DISPLAY is not set"),
              1u)
        << r.stderr_text;
    EXPECT_EQ(r.values.at("view_has_view"), "yes");
    EXPECT_EQ(r.values.at("physical_screens"), "0");
    EXPECT_EQ(r.values.at("version_before"), "0.1.3+f313d43");
    EXPECT_EQ(r.values.at("version_after"), "0.1.3+f313d43");

    const std::string runtime = std::string(TEST_PROJECT_ROOT) + "/addons/webview//linux_x86_64-runtime";
    EXPECT_EQ(r.values.at("QML_IMPORT_PATH"), runtime + "/qml");
    EXPECT_EQ(r.values.at("QT_PLUGIN_PATH"), runtime + "/plugins");
    EXPECT_EQ(r.values.at("QTWEBENGINEPROCESS_PATH"), runtime + "/libexec/QtWebEngineProcess");
    EXPECT_EQ(r.values.at("QTWEBENGINE_RESOURCES_PATH"), runtime + "/resources");
    EXPECT_EQ(r.values.at("QTWEBENGINE_LOCALES_PATH"), runtime + "/translations/qtwebengine_locales");
    EXPECT_EQ(r.values.at("QT_MEDIA_BACKEND"), "ffmpeg");
    EXPECT_EQ(r.values.at("QT_FFMPEG_DEBUG"), "<unset>");
    // Headless: Chromium's software path is added to the options' flags, with one warning.
    EXPECT_EQ(r.values.at("QTWEBENGINE_CHROMIUM_FLAGS"), kUnsandboxed + "--disable-gpu ");
    EXPECT_EQ(count(r.stderr_text, "web views use Chromium's software path"), 1u) << r.stderr_text;

    // A live view answers; a destroyed facade and a view after the loop stopped give defaults.
    EXPECT_EQ(r.values.at("view_refresh_rate"), "63");
    EXPECT_EQ(r.values.at("destroyed_refresh_rate"), "60");
    EXPECT_EQ(r.values.at("after_stop_refresh_rate"), "60");
    EXPECT_LT(std::stol(r.values.at("after_stop_call_ms")), 1000);
    EXPECT_EQ(r.values.at("destroy_returned_after_loop_end"), "yes");
    EXPECT_EQ(r.values.at("gpu_threads_not_parked"), "0");  // its GL set-up cannot race the exit
    EXPECT_EQ(count(r.stderr_text, "application is already constructed"), 0u);
}

namespace {

// The flags a start with these options gives Chromium, on the platform the probe lands on. On
// xcb the options' flags are used as they are; headless adds the software path to them.
void expect_flags_follow_the_options(bool keep_display, const std::string& headless_suffix)
{
    const ProbeResult gpu = run_probe("--gpu-disabled", "", keep_display);
    ASSERT_EQ(gpu.exit_code, 0) << gpu.stderr_text;
    EXPECT_EQ(gpu.values.at("QTWEBENGINE_CHROMIUM_FLAGS"), "--disable-gpu " + kUnsandboxed);
    // GPU_DISABLED asks for the software path already: nothing to warn about.
    EXPECT_EQ(count(gpu.stderr_text, "web views use Chromium's software path"), 0u);

    // Sandboxed: the variable is left as the process had it, except that root cannot be
    // sandboxed: then "--no-sandbox " is added to the host's flags, which stay.
    const ProbeResult sandboxed = run_probe("--sandboxed", "QTWEBENGINE_CHROMIUM_FLAGS=--keep-me", keep_display);
    ASSERT_EQ(sandboxed.exit_code, 0) << sandboxed.stderr_text;
    if (geteuid() == 0) {
        EXPECT_EQ(sandboxed.values.at("QTWEBENGINE_CHROMIUM_FLAGS"), "--keep-me --no-sandbox " + headless_suffix);
        EXPECT_NE(sandboxed.stderr_text.find("running as root"), std::string::npos);
    } else {
        EXPECT_EQ(sandboxed.values.at("QTWEBENGINE_CHROMIUM_FLAGS"),
                  headless_suffix.empty() ? "--keep-me" : "--keep-me " + headless_suffix);
    }
}

}  // namespace

namespace {

// Every entry under `dir`, links not followed, with its kind and size: what a run may change.
std::set<std::string> listing(const std::string& dir)
{
    namespace fs = std::filesystem;
    std::set<std::string> entries;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(dir)) {
        std::string line = entry.path().string();
        if (entry.is_symlink())
            line += " -> " + fs::read_symlink(entry.path()).string();
        else if (entry.is_regular_file())
            line += " " + std::to_string(entry.file_size());
        else if (entry.is_directory())
            line += "/";
        entries.insert(line);
    }
    return entries;
}

std::string describe(const std::set<std::string>& entries)
{
    std::string text;
    for (const std::string& entry : entries)
        text += "  " + entry + "\n";
    return text;
}

}  // namespace

// A game's addon folder is part of its installation: starting the library (and with it the web
// engine's helper processes) writes nothing into it, and a read-only one starts as well.
TEST(Startup, NothingIsWrittenIntoTheAddonFolder)
{
    char dir_template[] = "/tmp/addon-untouched-XXXXXX";
    const std::string game = mkdtemp(dir_template);
    // Copies, as a shipped game has them: no link leads out of the folder.
    const std::string make_runtime = std::string(TEST_SOURCE_DIR) + "/../tools/make-runtime.sh --copy " + game;
    ASSERT_EQ(std::system((make_runtime + " >/dev/null").c_str()), 0) << make_runtime;
    const std::string addon = game + "/addons";
    const std::set<std::string> before = listing(addon);

    const ProbeResult writable = run_probe("--project-root " + game);
    ASSERT_EQ(writable.exit_code, 0) << writable.stderr_text;
    EXPECT_EQ(writable.values.at("view_has_view"), "yes");
    const std::set<std::string> after = listing(addon);
    std::set<std::string> added, removed;
    std::set_difference(after.begin(), after.end(), before.begin(), before.end(), std::inserter(added, added.end()));
    std::set_difference(before.begin(), before.end(), after.begin(), after.end(), std::inserter(removed, removed.end()));
    EXPECT_TRUE(added.empty() && removed.empty()) << "new:\n" << describe(added) << "gone:\n" << describe(removed);

    // Read-only, as an installed game is (a mount namespace of its own, so it needs root).
    ASSERT_EQ(geteuid(), 0u) << "making the addon folder read-only needs root";
    const ProbeResult read_only = run_probe("--project-root " + game, "", false,
                                            "unshare --mount --propagation unchanged " + std::string(TEST_SOURCE_DIR) +
                                                "/support/read_only.sh " + addon + " ");
    ASSERT_NE(read_only.exit_code, 3) << "the addon folder could not be made read-only: " << read_only.stderr_text;
    ASSERT_EQ(read_only.exit_code, 0) << read_only.stderr_text;
    EXPECT_EQ(read_only.states, (std::vector<std::string>{"not-started", "starting", "running", "stopped"}));
    EXPECT_EQ(read_only.values.at("view_has_view"), "yes");
    EXPECT_EQ(listing(addon), before);
    std::system(("rm -rf " + game).c_str());
}

// Most machines without a Wayland desktop have no PipeWire. Qt Multimedia warns about that as it
// is loaded, before the library runs; the lines ask nothing of the host and are dropped, and what
// else is said still arrives.
TEST(Startup, AMachineWithoutPipeWireHearsNothingOfIt)
{
    ASSERT_EQ(geteuid(), 0u) << "taking PipeWire away for the probe needs root";
    const ProbeResult r = run_probe("", "", false,
                                    "unshare --mount --propagation unchanged " + std::string(TEST_SOURCE_DIR) +
                                        "/support/without_library.sh libpipewire-0.3.so.0 ");
    ASSERT_NE(r.exit_code, 3) << "PipeWire could not be taken away: " << r.stderr_text;
    ASSERT_EQ(r.exit_code, 0) << r.stderr_text;
    EXPECT_EQ(r.values.at("view_has_view"), "yes");
    EXPECT_EQ(count(r.stderr_text, "pipewire"), 0u) << r.stderr_text;
    EXPECT_EQ(count(r.stderr_text, "sorvane: Qt platform headless"), 1u) << r.stderr_text;
}

TEST(Startup, ChromiumFlagsFollowTheOptions)
{
    expect_flags_follow_the_options(false, "--disable-gpu ");
}

TEST(Startup, FfmpegDebugComesFromTheOptionNotTheSetter)
{
    const ProbeResult setter = run_probe("--set-ffmpeg-debug");
    EXPECT_EQ(setter.values.at("QT_FFMPEG_DEBUG"), "<unset>");

    const ProbeResult option = run_probe("--ffmpeg-debug", "QT_LOGGING_RULES=qt.qpa.*=false");
    EXPECT_EQ(option.values.at("QT_FFMPEG_DEBUG"), "1");
    EXPECT_EQ(option.values.at("QT_LOGGING_RULES"), "qt.qpa.*=false;qt.multimedia.ffmpeg*=true");
}

TEST(Startup, OnlyOneApplicationEverStarts)
{
    // Two calls at the same moment from two threads: one Qt thread, one message.
    const ProbeResult twice = run_probe("--create-twice");
    ASSERT_EQ(twice.exit_code, 0) << twice.stderr_text;
    EXPECT_EQ(count(twice.stderr_text, "application is already constructed\n"), 1u);
    EXPECT_EQ(twice.values.at("view_refresh_rate"), "63");

    // After destroy() the application cannot come back.
    const ProbeResult restart = run_probe("--restart");
    ASSERT_EQ(restart.exit_code, 0) << restart.stderr_text;
    EXPECT_EQ(count(restart.stderr_text, "application is already constructed\n"), 1u);
}

TEST(Startup, AFacadeMadeBeforeTheStartWaitsForIt)
{
    const ProbeResult r = run_probe("--facade-first");
    ASSERT_EQ(r.exit_code, 0) << r.stderr_text;
    EXPECT_GE(std::stol(r.values.at("early_facade_waited_ms")), 250);
    EXPECT_EQ(r.values.at("early_facade_has_view"), "yes");
}

// A game that showed a scene with images, destroyed it and stopped the library exits without a
// word from Qt (Qt Quick's image cache is destroyed by the exit with its expiry timer still
// set), and without a crash.
TEST(Startup, AGameThatShowedAViewExitsCleanlyAfterDestroy)
{
    const ProbeResult r = run_probe("--show-scene");
    ASSERT_EQ(r.exit_code, 0) << r.stderr_text;
    EXPECT_EQ(r.values.at("scene_loaded"), "yes");
    EXPECT_EQ(r.values.at("state"), "stopped");
    EXPECT_EQ(count(r.stderr_text, "Timers cannot be stopped"), 0u) << r.stderr_text;
    EXPECT_EQ(count(r.stderr_text, "QObject::"), 0u) << r.stderr_text;
}

TEST(Startup, DebugChannelReportsAMissingListenerAndFeedsAPresentOne)
{
    const char* path = "/tmp/webview.debug.sock";
    ::unlink(path);
    const ProbeResult alone = run_probe("--logging-debug");
    ASSERT_EQ(alone.exit_code, 0) << alone.stderr_text;
    EXPECT_NE(alone.stderr_text.find("connect: "), std::string::npos) << alone.stderr_text;

    const int listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(listener, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path, sizeof(address.sun_path) - 1);
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0)
        << std::strerror(errno);
    ASSERT_EQ(::listen(listener, 1), 0);

    // The probe stops about half a second after its start, past the flusher's first period.
    const ProbeResult heard = run_probe("--logging-debug");
    ASSERT_EQ(heard.exit_code, 0) << heard.stderr_text;
    EXPECT_EQ(heard.stderr_text.find("connect: "), std::string::npos) << heard.stderr_text;

    pollfd pending{listener, POLLIN, 0};
    ASSERT_EQ(::poll(&pending, 1, 1000), 1);
    const int connection = ::accept(listener, nullptr, nullptr);
    ASSERT_GE(connection, 0);
    std::string received;
    char buffer[256];
    ssize_t n;
    while ((n = ::recv(connection, buffer, sizeof(buffer), MSG_DONTWAIT)) > 0)
        received.append(buffer, static_cast<size_t>(n));
    ::close(connection);
    ::close(listener);
    ::unlink(path);

    ASSERT_GE(received.size(), 24u);
    uint32_t length = 0;
    std::memcpy(&length, received.data() + 20, 4);
    EXPECT_EQ(received.substr(24, length), "sorvane 0.1.3+f313d43 starting");
}

namespace {

// What a host must see when no Qt platform can start: the process goes on, every call returns at
// once, facades hold no view, one warning says why.
void expect_inert_start(const ProbeResult& r, const std::string& why)
{
    ASSERT_EQ(r.exit_code, 0) << r.stderr_text;
    EXPECT_EQ(r.states, (std::vector<std::string>{"not-started", "no-application", "stopped"}));
    EXPECT_LT(std::stol(r.values.at("ensure_returned_ms")), 1000);
    EXPECT_LT(std::stol(r.values.at("facades_ms")), 1000);
    EXPECT_EQ(r.values.at("quick_has_view"), "no");
    EXPECT_EQ(r.values.at("web_has_view"), "no");
    EXPECT_EQ(r.values.at("quick_load"), "false");
    EXPECT_EQ(r.values.at("quick_texture"), "0");
    EXPECT_EQ(r.values.at("screens"), "0");
    EXPECT_LT(std::stol(r.values.at("destroy_ms")), 1000);
    EXPECT_EQ(count(r.stderr_text, "sorvane: no Qt platform can start"), 1u) << r.stderr_text;
    EXPECT_NE(r.stderr_text.find(why), std::string::npos) << r.stderr_text;
    EXPECT_NE(r.stderr_text.find("Unset QT_QPA_PLATFORM"), std::string::npos) << r.stderr_text;
    EXPECT_EQ(count(r.stderr_text, "no Qt platform could start; create_app() starts nothing more"), 1u);
    EXPECT_EQ(count(r.stderr_text, "application is already constructed"), 0u);
    // Qt's own last words before it aborts the process.
    EXPECT_EQ(r.stderr_text.find("no Qt platform plugin could be initialized"), std::string::npos);
}

}  // namespace

TEST(Startup, ADisplayThatRefusesConnectionsLeadsToHeadless)
{
    const ProbeResult r = run_probe("", "DISPLAY=:1999");
    ASSERT_EQ(r.exit_code, 0) << r.stderr_text;
    EXPECT_EQ(r.values.at("platform"), "headless");
    EXPECT_EQ(r.values.at("view_refresh_rate"), "63");
    EXPECT_NE(r.stderr_text.find("the X display :1999 refuses connections"), std::string::npos) << r.stderr_text;
}

TEST(Startup, AnAskedForPlatformThatCannotStartLeavesTheHostRunningWithEmptyFacades)
{
    expect_inert_start(run_probe("--expect-no-platform", "QT_QPA_PLATFORM=xcb"), "DISPLAY is not set");
    expect_inert_start(run_probe("--expect-no-platform", "QT_QPA_PLATFORM=xcb DISPLAY=:1999"),
                       "the X display :1999 refuses connections");
    expect_inert_start(run_probe("--expect-no-platform", "QT_QPA_PLATFORM=nosuchplatform"),
                       "no Qt platform plugin \"nosuchplatform\"");
}

// Run under an X server (ctest entry startup_xcb_test): a reachable display keeps Qt's xcb
// platform, unless the host asks for another.
TEST(StartupXcb, AReachableXDisplayKeepsXcbUnlessTheHostAsksOtherwise)
{
    ASSERT_NE(std::getenv("DISPLAY"), nullptr) << "run under tools/with-xvfb.sh";
    const ProbeResult x = run_probe("", "-u QT_QPA_PLATFORM", true);
    ASSERT_EQ(x.exit_code, 0) << x.stderr_text;
    EXPECT_EQ(x.values.at("platform"), "xcb");
    EXPECT_EQ(x.values.at("view_refresh_rate"), "63");
    EXPECT_EQ(x.values.at("physical_screens"), "1");
    EXPECT_NE(x.stderr_text.find("sorvane: Qt platform xcb: the X display"), std::string::npos) << x.stderr_text;
    EXPECT_EQ(x.values.at("QTWEBENGINE_CHROMIUM_FLAGS"), kUnsandboxed);  // Chromium's GPU path stays
    expect_flags_follow_the_options(true, "");

    // An engine's instance made for Xlib, not xcb: the view takes it without a word, since it
    // never presents to a window.
    const ProbeResult xlib = run_probe("--instance-extensions VK_KHR_surface,VK_KHR_xlib_surface", "-u QT_QPA_PLATFORM", true);
    ASSERT_EQ(xlib.exit_code, 0) << xlib.stderr_text;
    EXPECT_EQ(xlib.values.at("platform"), "xcb");
    EXPECT_EQ(xlib.values.at("instance_adopted"), "yes");
    EXPECT_EQ(count(xlib.stderr_text, "Failed to find vk"), 0u) << xlib.stderr_text;

    const ProbeResult asked = run_probe("", "QT_QPA_PLATFORM=headless", true);
    ASSERT_EQ(asked.exit_code, 0) << asked.stderr_text;
    EXPECT_EQ(asked.values.at("platform"), "headless");
    EXPECT_EQ(asked.values.at("physical_screens"), "0");
    EXPECT_NE(asked.stderr_text.find("QT_QPA_PLATFORM=headless asks for it"), std::string::npos);
}
