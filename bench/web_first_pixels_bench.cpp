// Time to the first page pixels: a small HTML page, from SWebView::load() to the first frame in
// the host's texture that shows the page. Baseline in the same run: Debian's Chromium, headless
// with the GPU off, from a cold start to its screenshot of the same page.
//
//   web_first_pixels_bench [--runs N] [--gpu] [--chromium PATH]
//
// --gpu leaves opts::GPU_DISABLED off (the baseline always runs with --disable-gpu).

#include "web_bench_common.h"

#include <QImage>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>

extern char** environ;

using namespace webbench;
using namespace sorvane;

namespace {

constexpr unsigned kWidth = 800;
constexpr unsigned kHeight = 600;

const std::string kPage =
    "<!DOCTYPE html><html><head><title>bench</title></head>"
    "<body style='margin: 0; background: rgb(255, 0, 0); color: white; font: 32px sans-serif'>"
    "<h1>First pixels</h1><p>A small page.</p></body></html>";

// The page's colour, where no text is.
bool shows_page(const QImage& image)
{
    const QRgb pixel = image.pixel(static_cast<int>(kWidth) - 10, static_cast<int>(kHeight) - 10);
    return qRed(pixel) > 250 && qGreen(pixel) < 5 && qBlue(pixel) < 5 && qAlpha(pixel) > 250;
}

// One cold Chromium: start, load the page, write the screenshot, exit. Returns milliseconds.
double chromium_run(const std::string& chromium, int run)
{
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / ("web_first_pixels_" + std::to_string(getpid()) + "_" +
                                                      std::to_string(run));
    fs::remove_all(dir);
    fs::create_directories(dir / "profile");
    std::ofstream(dir / "page.html") << kPage;
    const std::string shot = (dir / "shot.png").string();

    std::vector<std::string> args = {chromium,
                                     "--headless",
                                     "--no-sandbox",
                                     "--disable-gpu",
                                     "--disable-background-networking",
                                     "--disable-component-update",
                                     "--disable-sync",
                                     "--no-first-run",
                                     "--user-data-dir=" + (dir / "profile").string(),
                                     "--window-size=" + std::to_string(kWidth) + "," + std::to_string(kHeight),
                                     "--screenshot=" + shot,
                                     "file://" + (dir / "page.html").string()};
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const auto start = Clock::now();
    pid_t pid = 0;
    if (posix_spawn(&pid, chromium.c_str(), &actions, nullptr, argv.data(), environ) != 0)
        throw std::runtime_error("cannot start " + chromium);
    int status = 0;
    waitpid(pid, &status, 0);
    const double ms = ms_between(start, Clock::now());
    posix_spawn_file_actions_destroy(&actions);

    QImage image(QString::fromStdString(shot));
    const bool ok = !image.isNull() && shows_page(image.convertToFormat(QImage::Format_RGBA8888));
    fs::remove_all(dir);
    if (!ok)
        throw std::runtime_error("Chromium wrote no screenshot of the page (exit status " +
                                 std::to_string(status) + ")");
    return ms;
}

// Loads the page in a new view and renders until its pixels are in the texture. Returns the
// milliseconds from load() to that frame; `start` gets the moment load() was called.
double view_run(standin::VulkanHost& host, Clock::time_point* start = nullptr)
{
    SWebView view;
    standin::hand_over(host, view);
    view.set_resolution({kWidth, kHeight});
    view.set_refresh_rate(120);
    view.set_zoom_factor(100);
    view.set_url("res://bench/page.html");
    const auto begin = Clock::now();
    if (start)
        *start = begin;
    if (!view.load())
        throw std::runtime_error("the web view did not load");
    const unsigned long texture = view.get_texture();
    for (;;) {
        view.render();
        if (shows_page(host.read_back(texture, kWidth, kHeight)))
            break;
        if (ms_between(begin, Clock::now()) > 30000)
            throw std::runtime_error("no page pixels within 30 s");
        std::this_thread::sleep_for(1ms);
    }
    const double ms = ms_between(begin, Clock::now());
    view.destroy();
    return ms;
}

}  // namespace

int main(int argc, char** argv)
{
    int runs = 5;
    bool gpu = false;
    std::string chromium = "/usr/bin/chromium";
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--runs" && i + 1 < argc)
            runs = std::max(1, std::atoi(argv[++i]));
        else if (arg == "--gpu")
            gpu = true;
        else if (arg == "--chromium" && i + 1 < argc)
            chromium = argv[++i];
        else {
            std::fprintf(stderr, "usage: web_first_pixels_bench [--runs N] [--gpu] [--chromium PATH]\n");
            return 2;
        }
    }

    try {
        if (access(chromium.c_str(), X_OK) != 0)
            throw std::runtime_error(chromium + " is missing: the baseline needs Debian's chromium package");

        // The baseline first, before the library's processes exist.
        std::vector<double> baseline;
        for (int run = 0; run < runs; ++run)
            baseline.push_back(chromium_run(chromium, run));

        const auto app_start = Clock::now();
        auto host = start_library(!gpu);
        Site site;
        site.put("/page.html", kPage);
        site.install();
        Clock::time_point first_load;
        const double first = view_run(*host, &first_load);
        const double cold = ms_between(app_start, first_load) + first;
        std::vector<double> warm;
        for (int run = 1; run < runs; ++run)
            warm.push_back(view_run(*host));

        const double base = median(baseline);
        std::printf("first page pixels, %ux%u page, GPU_DISABLED %s, %d runs\n", kWidth, kHeight,
                    gpu ? "off" : "on", runs);
        std::printf("  chromium --headless --disable-gpu, cold start to screenshot   median %8.1f ms  (min %.1f)\n",
                    base, *std::min_element(baseline.begin(), baseline.end()));
        std::printf("  web view, load() to first page pixels, first view            %8.1f ms   ratio %.2f\n", first,
                    first / base);
        if (!warm.empty())
            std::printf("  web view, load() to first page pixels, later views    median %8.1f ms   ratio %.2f\n",
                        median(warm), median(warm) / base);
        std::printf("  library cold start (create_app() to first page pixels)       %8.1f ms   ratio %.2f\n", cold,
                    cold / base);
        std::printf("  target: load() to first pixels at most 1.0 times the baseline\n");
        std::fflush(stdout);
        S::destroy();
        std::_Exit(0);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "web_first_pixels_bench: %s\n", e.what());
        std::_Exit(1);
    }
}
