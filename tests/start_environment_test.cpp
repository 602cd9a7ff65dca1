// The environment and flags that the start sequence derives from the options.

#include "runtime/start_environment.h"

#include <gtest/gtest.h>

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
