// A web view's sound: mute through the web engine, the view's volume held on the page's media
// elements from a script world of its own, and whether the page is audible, with a page that
// plays a tone.

#include "web_test_support.h"

#include <cmath>
#include <cstdint>
#include <string>

using namespace sorvane;
using namespace webtest;

namespace {

const auto* const g_environment = ::testing::AddGlobalTestEnvironment(new Started(/*gpu_disabled=*/true));

// A WAV file: `seconds` of a 440 Hz tone at 44100 Hz, mono, 16-bit, peak 0.5.
std::string tone_wav(int seconds)
{
    constexpr int kRate = 44100;
    const std::uint32_t samples = static_cast<std::uint32_t>(kRate * seconds);
    std::string out;
    auto put = [&out](std::uint32_t value, int bytes) {
        for (int i = 0; i < bytes; ++i)
            out.push_back(static_cast<char>((value >> (8 * i)) & 0xff));
    };
    out += "RIFF";
    put(36 + samples * 2, 4);
    out += "WAVEfmt ";
    put(16, 4), put(1, 2), put(1, 2), put(kRate, 4), put(kRate * 2, 4), put(2, 2), put(16, 2);
    out += "data";
    put(samples * 2, 4);
    for (std::uint32_t i = 0; i < samples; ++i)
        put(static_cast<std::uint16_t>(static_cast<std::int16_t>(16383 * std::sin(2 * M_PI * 440.0 * i / kRate))), 2);
    return out;
}

// A page whose <audio id="tone"> plays the tone in a loop; its script logs when it plays.
std::string tone_page()
{
    return page("<audio id='tone' src='tone.wav' loop autoplay></audio>"
                "<script>document.getElementById('tone').addEventListener('playing', () => console.log('playing'));</script>");
}

class WebAudioTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        site().put("/tone.wav", tone_wav(3));
        site().put("/tone.html", tone_page());
    }

    // Logs `expression` from the page's own script world and returns what it gave.
    static std::string evaluate(const TestWebView& view, const std::string& expression, const std::string& tag)
    {
        view.run_javascript("console.log('" + tag + " ' + (" + expression + "))");
        return view.wait_for_message(tag + " ");
    }
};

}  // namespace

TEST_F(WebAudioTest, TheVolumeHoldsEveryMediaElementFromAWorldThePageCannotSee)
{
    TestWebView view;
    EXPECT_FLOAT_EQ(view.get_audio_volume(), 1.0f);
    view.set_url("res://app/tone.html");
    ASSERT_TRUE(view.load());
    view.wait_for_message("playing");
    EXPECT_EQ(evaluate(view, "document.getElementById('tone').volume", "before"), "1");

    view.set_audio_volume(0.25f);
    EXPECT_FLOAT_EQ(view.get_audio_volume(), 0.25f);
    ASSERT_TRUE(wait_until(view, [&] { return evaluate(view, "document.getElementById('tone').volume", "now") == "0.25"; }));

    // An element the page adds later gets it when it starts.
    view.run_javascript("const late = new Audio('tone.wav'); document.body.appendChild(late);"
                        "late.addEventListener('playing', () => console.log('late ' + late.volume)); late.play();");
    EXPECT_EQ(view.wait_for_message("late "), "0.25");
    // The view's script leaves nothing in the page's own world.
    EXPECT_EQ(evaluate(view, "typeof window.__viewVolume", "leak"), "undefined");

    // A new document has it from its creation; the clamp keeps it within 0 to 1.
    view.set_audio_volume(7.0f);
    EXPECT_FLOAT_EQ(view.get_audio_volume(), 1.0f);
    view.set_audio_volume(0.5f);
    view.reload();
    view.wait_for_message("playing");
    EXPECT_EQ(evaluate(view, "document.getElementById('tone').volume", "reloaded"), "0.5");
}

TEST_F(WebAudioTest, MuteReachesTheWebEngineAndAudibilityFollowsThePage)
{
    TestWebView view;
    std::atomic<int> audible_reports{0};
    view.set_func_recently_audible_changed([&](bool audible) {
        if (audible)
            ++audible_reports;
    });
    view.set_url("res://app/tone.html");
    ASSERT_TRUE(view.load());
    view.wait_for_message("playing");
    EXPECT_FALSE(view.get_audio_muted());

    const bool audible = wait_until(view, [&] { return view.get_recently_audible(); }, 10s);
    EXPECT_TRUE(audible) << "the web engine never reported the tone as audible";
    if (audible)
        EXPECT_GE(audible_reports.load(), 1);

    view.set_audio_muted(true);
    EXPECT_TRUE(view.get_audio_muted());
    QQuickItem* engine_view = view.page();
    ASSERT_NE(engine_view, nullptr);
    EXPECT_TRUE(view.inside([engine_view](WebView*) { return engine_view->property("audioMuted").toBool(); }));

    view.run_javascript("document.getElementById('tone').pause()");
    EXPECT_TRUE(wait_until(view, [&] { return !view.get_recently_audible(); }, 15s))
        << "the page stayed audible after its sound stopped";
    view.set_audio_muted(false);
    EXPECT_FALSE(view.get_audio_muted());
}
