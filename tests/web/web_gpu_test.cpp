// A web view with Chromium on its default path (opts::GPU_DISABLED off): the page still renders
// into the host's texture and takes clicks. Run with no display server (the headless platform,
// where Chromium takes its software path on its own) and again under Xvfb on xcb, where its GPU
// path runs.

#include "web_test_support.h"

using namespace sorvane;
using namespace webtest;

namespace {

const auto* const g_environment = ::testing::AddGlobalTestEnvironment(new Started(/*gpu_disabled=*/false));

}  // namespace

class WebGpuTest : public WebTest {};

TEST_F(WebGpuTest, APageRendersAndALinkClickNavigates)
{
    site().put("/start.html",
               "<!DOCTYPE html><body style='margin: 0; background: rgb(255, 0, 0)'>"
               "<a href='next.html' style='display: block; width: 100px; height: 100px; "
               "background: rgb(0, 0, 255)'></a></body>");
    site().put("/next.html", "<!DOCTYPE html><body style='background: rgb(0, 255, 0)'></body>");
    TestWebView view;
    view.set_url("res://app/start.html");
    ASSERT_TRUE(view.load());

    // At the initial zoom of 2.0 the link covers 200 by 200 pixels. The page's background may
    // reach the texture a frame before the link does.
    view.wait_for_pixel(300, 300, qRgba(255, 0, 0, 255));
    QImage image = view.wait_for_pixel(190, 190, qRgba(0, 0, 255, 255));
    EXPECT_TRUE(near(image.pixel(300, 300), qRgba(255, 0, 0, 255)));
    EXPECT_TRUE(near(image.pixel(190, 190), qRgba(0, 0, 255, 255)));

    view.mouse_move(150, 150);
    view.mouse_click(0, 0, 150, 150);
    view.mouse_click(0, 1, 150, 150);
    image = view.wait_for_pixel(150, 150, qRgba(0, 255, 0, 255));
    EXPECT_TRUE(near(image.pixel(150, 150), qRgba(0, 255, 0, 255)));
}
