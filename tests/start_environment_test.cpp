// The environment, flags and Qt platform that the start sequence derives from the options and
// the process environment.

#include "runtime/start_environment.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

using namespace sorvane;

TEST(StartEnvironment, RuntimePathsKeepTheDoubledSlashAfterTheAddonDirectory)
{
    const auto empty_root = runtime_paths(addon_directory(""));
    ASSERT_EQ(empty_root.size(), 5u);
    for (const auto& [name, value] : empty_root)
        EXPECT_EQ(value.rfind("/addons/webview//linux_x86_64-runtime/", 0), 0u) << name << "=" << value;

    const auto paths = runtime_paths(addon_directory("/games/demo"));
    EXPECT_STREQ(paths[0].first, "QML_IMPORT_PATH");
    EXPECT_EQ(paths[0].second, "/games/demo/addons/webview//linux_x86_64-runtime/qml");
    EXPECT_STREQ(paths[2].first, "QTWEBENGINEPROCESS_PATH");
    EXPECT_EQ(paths[2].second, "/games/demo/addons/webview//linux_x86_64-runtime/libexec/QtWebEngineProcess");
    EXPECT_STREQ(paths[4].first, "QTWEBENGINE_LOCALES_PATH");
    EXPECT_EQ(paths[4].second,
              "/games/demo/addons/webview//linux_x86_64-runtime/translations/qtwebengine_locales");
}

TEST(StartEnvironment, ChromiumFlags)
{
    const std::string unsandboxed =
        "--disable-gpu-vsync --no-sandbox --disable-web-security "
        "--disable-features=IsolateOrigins,site-per-process --user-data-dir=\"/tmp/test/\" ";
    ASSERT_EQ(unsandboxed.size(), 136u);

    EXPECT_EQ(chromium_flags(false, true, false), "");
    EXPECT_EQ(chromium_flags(true, true, false), "--disable-gpu ");
    EXPECT_EQ(chromium_flags(false, false, false), unsandboxed);
    EXPECT_EQ(chromium_flags(true, false, false), "--disable-gpu " + unsandboxed);
    EXPECT_EQ(chromium_flags(true, false, false).size(), 150u);

    // As root the web engine cannot start sandboxed; unsandboxed flag sets stay exactly as they are.
    EXPECT_EQ(chromium_flags(false, true, true), "--no-sandbox ");
    EXPECT_EQ(chromium_flags(true, true, true), "--disable-gpu --no-sandbox ");
    EXPECT_EQ(chromium_flags(false, false, true), unsandboxed);
}

TEST(StartEnvironment, ChromiumFlagsVariableKeepsTheHostsFlagsWhenOnlyRootAddsOne)
{
    using std::nullopt;
    // Sandboxed, not root: the host's value (or its absence) is left alone.
    EXPECT_EQ(chromium_flags_variable(nullopt, false, true, false), nullopt);
    EXPECT_EQ(chromium_flags_variable("--ignore-gpu-blocklist", false, true, false), nullopt);
    // Sandboxed as root: "--no-sandbox " joins the host's flags.
    EXPECT_EQ(chromium_flags_variable(nullopt, false, true, true), "--no-sandbox ");
    EXPECT_EQ(chromium_flags_variable("", false, true, true), "--no-sandbox ");
    EXPECT_EQ(chromium_flags_variable("--ignore-gpu-blocklist", false, true, true),
              "--ignore-gpu-blocklist --no-sandbox ");
    EXPECT_EQ(chromium_flags_variable("--a --b ", false, true, true), "--a --b --no-sandbox ");
    EXPECT_EQ(chromium_flags_variable("--no-sandbox --x", false, true, true), nullopt);
    // The options' own flags replace whatever the host had.
    EXPECT_EQ(chromium_flags_variable("--keep", true, true, false), "--disable-gpu ");
    EXPECT_EQ(chromium_flags_variable("--keep", true, true, true), "--disable-gpu --no-sandbox ");
    EXPECT_EQ(chromium_flags_variable("--keep", false, false, true), chromium_flags(false, false, true));
}

TEST(StartEnvironment, FfmpegLoggingRulesAppendToExistingRules)
{
    EXPECT_EQ(ffmpeg_logging_rules(""), "qt.multimedia.ffmpeg*=true");
    EXPECT_EQ(ffmpeg_logging_rules("qt.qpa.*=false"), "qt.qpa.*=false;qt.multimedia.ffmpeg*=true");
}

TEST(StartEnvironment, RemoteDebuggingListensOnLoopbackOnlyAndOnlyForAPort)
{
    EXPECT_EQ(remote_debugging_variable(0), std::nullopt);
    EXPECT_EQ(remote_debugging_variable(-1), std::nullopt);
    EXPECT_EQ(remote_debugging_variable(65536), std::nullopt);
    EXPECT_EQ(remote_debugging_variable(1), "127.0.0.1:1");
    EXPECT_EQ(remote_debugging_variable(9222), "127.0.0.1:9222");
    EXPECT_EQ(remote_debugging_variable(65535), "127.0.0.1:65535");
}

TEST(StartEnvironment, SoftwareCompositingIsAddedOnceToWhateverFlagsThereAre)
{
    EXPECT_EQ(with_software_compositing(""), "--disable-gpu ");
    EXPECT_EQ(with_software_compositing("--no-sandbox "), "--no-sandbox --disable-gpu ");
    EXPECT_EQ(with_software_compositing("--keep-me"), "--keep-me --disable-gpu ");
    EXPECT_EQ(with_software_compositing("--disable-gpu --no-sandbox "), std::nullopt);
    EXPECT_EQ(with_software_compositing("--no-sandbox --disable-gpu"), std::nullopt);
    // A different switch that merely begins alike is not the same one.
    EXPECT_EQ(with_software_compositing("--disable-gpu-vsync "), "--disable-gpu-vsync --disable-gpu ");
}

namespace {

// Platforms that can start, as a probe would answer; every other name has a problem.
struct Machine {
    explicit Machine(std::vector<std::string> usable_platforms = {}) : usable(std::move(usable_platforms)) {}
    std::vector<std::string> usable;
    mutable std::vector<std::string> asked;
    std::string operator()(const std::string& name) const
    {
        asked.push_back(name);
        return std::find(usable.begin(), usable.end(), name) != usable.end() ? "" : name + " is broken";
    }
};

PlatformChoice choose(const PlatformEnvironment& environment, const Machine& machine)
{
    return choose_platform(environment, std::cref(machine));
}

}  // namespace

TEST(PlatformChoice, WithoutARequestAReachableXDisplayKeepsXcbAndAnythingElseIsHeadless)
{
    Machine x_works{{"xcb"}};
    EXPECT_EQ(choose({"", ":0", ""}, x_works).platform, "xcb");
    EXPECT_NE(choose({"", ":0", ""}, x_works).reason.find(":0"), std::string::npos);

    // No DISPLAY: the X display is not even tried.
    Machine nothing_asked{{"xcb"}};
    const PlatformChoice no_display = choose({"", "", ""}, nothing_asked);
    EXPECT_EQ(no_display.platform, "headless");
    EXPECT_NE(no_display.reason.find("DISPLAY is not set"), std::string::npos);
    EXPECT_TRUE(nothing_asked.asked.empty());

    // A display that refuses: headless, and the reason carries the probe's answer.
    const PlatformChoice refused = choose({"", ":55", ""}, Machine{});
    EXPECT_EQ(refused.platform, "headless");
    EXPECT_NE(refused.reason.find("xcb is broken"), std::string::npos);

    // A Wayland display alone is not used unasked, even where Qt's Wayland platform would start.
    const PlatformChoice wayland_only = choose({"", "", "wayland-0"}, Machine{{"wayland"}});
    EXPECT_EQ(wayland_only.platform, "headless");
    EXPECT_NE(wayland_only.reason.find("QT_QPA_PLATFORM=wayland"), std::string::npos);
}

TEST(PlatformChoice, AnExplicitRequestIsRespectedAndNeverReplacedByAnotherPlatform)
{
    EXPECT_EQ(choose({"xcb", ":0", ""}, Machine{{"xcb"}}).platform, "xcb");
    EXPECT_EQ(choose({"headless", ":0", ""}, Machine{{"xcb", "headless"}}).platform, "headless");

    // The requested platform cannot start: no platform at all, and the reason says what to do.
    const PlatformChoice failed = choose({"xcb", ":55", ""}, Machine{{"headless"}});
    EXPECT_EQ(failed.platform, "");
    EXPECT_NE(failed.reason.find("QT_QPA_PLATFORM=xcb"), std::string::npos);
    EXPECT_NE(failed.reason.find("xcb is broken"), std::string::npos);
    EXPECT_NE(failed.reason.find("Unset QT_QPA_PLATFORM"), std::string::npos);

    // A list is tried in order; options after ':' stay with the entry, spaces around go.
    Machine second_works{{"xcb"}};
    const PlatformChoice listed = choose({"wayland; xcb:nograb ;headless", "", ""}, second_works);
    EXPECT_EQ(listed.platform, "xcb:nograb");
    EXPECT_EQ(second_works.asked, (std::vector<std::string>{"wayland", "xcb"}));

    const PlatformChoice none = choose({"wayland;eglfs", ":0", ""}, Machine{{"xcb"}});
    EXPECT_EQ(none.platform, "");
    EXPECT_NE(none.reason.find("wayland: wayland is broken; eglfs: eglfs is broken"), std::string::npos);

    // Only separators is no request.
    EXPECT_EQ(choose({" ; ", "", ""}, Machine{}).platform, "headless");
}

TEST(PlatformChoice, PlatformsThatCannotAdoptTheHostsVulkanInstanceAreNamed)
{
    EXPECT_EQ(platform_caveat("xcb"), "");
    EXPECT_EQ(platform_caveat("headless"), "");
    EXPECT_NE(platform_caveat("offscreen").find("cannot adopt the host's Vulkan instance"), std::string::npos);
    EXPECT_NE(platform_caveat("minimal:enable_fonts").find("minimal"), std::string::npos);
}
