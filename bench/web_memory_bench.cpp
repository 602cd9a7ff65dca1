// Resident size added per web view: this process and every process it started (the web engine's
// zygote, renderer, GPU and utility processes), measured with no view and after each of four
// views has loaded a small page and rendered it. PSS shares pages between processes fairly; RSS
// counts shared pages in every process.
//
//   web_memory_bench [--views N] [--gpu]

#include "web_bench_common.h"

#include <unistd.h>

#include <QImage>

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

using namespace webbench;
using namespace sorvane;

namespace {

struct Memory {
    double own_rss = 0, own_pss = 0, all_rss = 0, all_pss = 0;  // MiB
    int processes = 0;
};

// Rss and Pss of one process, in MiB, from /proc/<pid>/smaps_rollup.
std::pair<double, double> rss_pss(int pid)
{
    std::ifstream rollup("/proc/" + std::to_string(pid) + "/smaps_rollup");
    double rss = 0, pss = 0;
    for (std::string line; std::getline(rollup, line);) {
        if (line.rfind("Rss:", 0) == 0)
            rss = std::strtod(line.c_str() + 4, nullptr) / 1024;
        else if (line.rfind("Pss:", 0) == 0)
            pss = std::strtod(line.c_str() + 4, nullptr) / 1024;
    }
    return {rss, pss};
}

int parent_of(int pid)
{
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    std::getline(stat, line);
    const auto close = line.rfind(')');
    if (close == std::string::npos)
        return -1;
    std::istringstream rest(line.substr(close + 2));
    char state = 0;
    int ppid = -1;
    rest >> state >> ppid;
    return ppid;
}

Memory measure()
{
    const int self = getpid();
    std::set<int> family{self};
    bool grew = true;
    while (grew) {
        grew = false;
        for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
            const std::string name = entry.path().filename();
            if (name.find_first_not_of("0123456789") != std::string::npos)
                continue;
            const int pid = std::stoi(name);
            if (!family.count(pid) && family.count(parent_of(pid))) {
                family.insert(pid);
                grew = true;
            }
        }
    }
    Memory m;
    for (int pid : family) {
        const auto [rss, pss] = rss_pss(pid);
        m.all_rss += rss;
        m.all_pss += pss;
        if (pid == self) {
            m.own_rss = rss;
            m.own_pss = pss;
        }
    }
    m.processes = static_cast<int>(family.size());
    return m;
}

void print_row(const char* label, const Memory& m)
{
    std::printf("  %-22s %3d processes   own RSS %7.1f  PSS %7.1f   all RSS %7.1f  PSS %7.1f MiB\n", label,
                m.processes, m.own_rss, m.own_pss, m.all_rss, m.all_pss);
}

}  // namespace

int main(int argc, char** argv)
{
    int count = 4;
    bool gpu = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--views" && i + 1 < argc)
            count = std::max(1, std::atoi(argv[++i]));
        else if (arg == "--gpu")
            gpu = true;
        else {
            std::fprintf(stderr, "usage: web_memory_bench [--views N] [--gpu]\n");
            return 2;
        }
    }

    try {
        auto host = start_library(!gpu);
        Site site;
        site.put("/page.html", "<!DOCTYPE html><html><body style='background: rgb(0, 128, 255)'>"
                               "<h1>A small page</h1><p>Some text.</p></body></html>");
        site.install();
        std::this_thread::sleep_for(1s);

        std::printf("resident size per web view (1280x720, a small page), GPU_DISABLED %s\n", gpu ? "off" : "on");
        std::vector<Memory> rows{measure()};
        print_row("no view", rows.back());
        std::vector<std::unique_ptr<SWebView>> views;
        for (int n = 1; n <= count; ++n) {
            auto view = std::make_unique<SWebView>();
            standin::hand_over(*host, *view);
            view->set_resolution({1280, 720});
            view->set_url("res://bench/page.html");
            if (!view->load())
                throw std::runtime_error("a web view did not load");
            const unsigned long texture = view->get_texture();
            const auto start = Clock::now();
            for (;;) {  // until the page is in the texture
                std::this_thread::sleep_for(16ms);
                view->render();
                const QRgb pixel = host->read_back(texture, 1280, 720).pixel(1270, 710);
                if (qBlue(pixel) > 250 && qAlpha(pixel) > 250)
                    break;
                if (ms_between(start, Clock::now()) > 30000)
                    throw std::runtime_error("no page pixels within 30 s");
            }
            views.push_back(std::move(view));
            for (int i = 0; i < 30; ++i) {  // settle, still rendering as an engine would
                std::this_thread::sleep_for(16ms);
                for (auto& v : views)
                    v->render();
            }
            rows.push_back(measure());
            print_row((std::to_string(n) + (n == 1 ? " view" : " views")).c_str(), rows.back());
        }
        const Memory& none = rows.front();
        const Memory& one = rows[1];
        const Memory& all = rows.back();
        std::printf("  added per view, %d views:   own RSS %6.1f  all RSS %6.1f  all PSS %6.1f MiB\n", count,
                    (all.own_rss - none.own_rss) / count, (all.all_rss - none.all_rss) / count,
                    (all.all_pss - none.all_pss) / count);
        if (count > 1)
            std::printf("  added per view after the first: own RSS %6.1f  all RSS %6.1f  all PSS %6.1f MiB\n",
                        (all.own_rss - one.own_rss) / (count - 1), (all.all_rss - one.all_rss) / (count - 1),
                        (all.all_pss - one.all_pss) / (count - 1));
        std::fflush(stdout);
        for (auto& v : views)
            v->destroy();
        S::destroy();
        std::_Exit(0);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "web_memory_bench: %s\n", e.what());
        std::_Exit(1);
    }
}
