// Text composed through an input method, as a player types Chinese, Japanese or Korean, reaching
// an <input> of a real page, and the page's text cursor reported where the host places the input
// method's window.

#include "web_test_support.h"

using namespace sorvane;
using namespace webtest;

namespace {

const auto* const g_environment = ::testing::AddGlobalTestEnvironment(new Started(/*gpu_disabled=*/true));

// An input at (50, 100), 300 x 40 CSS pixels, that reports its focus, its compositions and its
// value.
const char* const kInputPage = R"(<!DOCTYPE html><html><body style='margin: 0; background: rgb(255, 0, 0)'>
<input id='field' style='position: absolute; left: 50px; top: 100px; width: 300px; height: 40px;
    font-size: 24px; border: 0; padding: 0'>
<script>
const field = document.getElementById('field');
field.addEventListener('focus', () => console.log('focused: yes'));
for (const type of ['compositionstart', 'compositionupdate', 'compositionend'])
  field.addEventListener(type, e => console.log('composition: ' + type + ' ' + e.data));
field.addEventListener('input', () => console.log('value: ' + field.value));
</script></body></html>)";

// The last console message that starts with `prefix`, once no new one has come for 300 ms.
std::string settled(const TestWebView& view, const std::string& prefix)
{
    std::string last;
    size_t count = 0;
    auto deadline = std::chrono::steady_clock::now() + 300ms;
    wait_until(view, [&] {
        const auto messages = view.recorded->console();
        if (messages.size() != count) {
            count = messages.size();
            deadline = std::chrono::steady_clock::now() + 300ms;
        }
        return std::chrono::steady_clock::now() > deadline;
    }, 5s);
    for (const Console& c : view.recorded->console())
        if (c.message.rfind(prefix, 0) == 0)
            last = c.message.substr(prefix.size());
    return last;
}

}  // namespace

class TextInputTest : public WebTest {};

TEST_F(TextInputTest, ComposedTextReachesAFocusedPageInputAndItsCursorIsReported)
{
    site().put("/input.html", kInputPage);
    TestWebView view;
    view.set_zoom_factor(100);
    view.set_url("res://app/input.html");
    ASSERT_TRUE(view.load());
    ASSERT_EQ(view.wait_for_load("res://app/input.html").status, 2);
    view.wait_for_pixel(10, 10, qRgba(255, 0, 0, 255));

    // Nothing editable has focus yet.
    EXPECT_EQ(view.get_ime_rect(), std::make_tuple(0, 0, 0, 0));

    for (int attempt = 0; attempt < 10 && !view.recorded->has_message("focused: "); ++attempt) {
        view.mouse_move(100, 120);
        view.mouse_click(0, 0, 100, 120);
        view.mouse_click(0, 1, 100, 120);
        wait_until(view, [&] { return view.recorded->has_message("focused: "); }, 500ms);
    }
    ASSERT_TRUE(view.recorded->has_message("focused: "));

    // The cursor rectangle is in the field, at its start.
    std::tuple<int, int, int, int> rect;
    wait_until(view, [&] { return std::get<3>(rect = view.get_ime_rect()) > 0; });
    const auto [x, y, width, height] = rect;
    EXPECT_GE(x, 48);
    EXPECT_LE(x, 60);
    EXPECT_GE(y, 98);
    EXPECT_LE(y + height, 142);
    EXPECT_GT(height, 10);

    size_t mark = view.recorded->console().size();
    view.ime_event("にほ", 2, "");
    EXPECT_EQ(message_after(view, mark, "composition: compositionupdate "), "にほ");
    EXPECT_EQ(message_after(view, mark, "value: "), "にほ");
    // The cursor follows the composition.
    EXPECT_TRUE(wait_until(view, [&] { return std::get<0>(view.get_ime_rect()) > x + 20; }));

    mark = view.recorded->console().size();
    view.ime_event("", 0, "日本");
    EXPECT_EQ(message_after(view, mark, "composition: compositionend "), "日本");
    EXPECT_EQ(settled(view, "value: "), "日本");

    // A commit with a new composition after it; an empty event cancels that composition.
    mark = view.recorded->console().size();
    view.ime_event("ご", 1, "語");
    EXPECT_EQ(message_after(view, mark, "composition: compositionupdate "), "ご");
    EXPECT_EQ(settled(view, "value: "), "日本語ご");
    mark = view.recorded->console().size();
    view.ime_event("", 0, "");
    EXPECT_EQ(message_after(view, mark, "composition: compositionend "), "");
    EXPECT_EQ(settled(view, "value: "), "日本語");
    // Plain keys type after it.
    view.key_event(Qt::Key_A, 0, "a");
    view.key_event(Qt::Key_A, 1, "a");
    EXPECT_EQ(settled(view, "value: "), "日本語a");
}
