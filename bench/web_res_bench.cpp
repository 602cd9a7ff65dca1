// "res" serving against file:// in the same view: a page fetches one 32 MiB file and then 1000
// small files, 16 at a time, once through "res" addresses answered by the host's resource
// callback and once through file:// addresses of the same files on disk. Rounds alternate; the
// figures are medians.
//
//   web_res_bench [--rounds N] [--gpu]

#include "web_bench_common.h"

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <random>

using namespace webbench;
using namespace sorvane;

namespace {

constexpr size_t kBigSize = 32u << 20;
constexpr int kSmallCount = 1000;
constexpr size_t kSmallSize = 4096;

// The same page for both schemes: addresses are relative, XMLHttpRequest works for both.
const std::string kPage = R"(<!DOCTYPE html><html><body><script>
function get(url) {
  return new Promise((resolve, reject) => {
    const request = new XMLHttpRequest();
    request.open("GET", url);
    request.responseType = "arraybuffer";
    request.onload = () => request.response ? resolve(request.response.byteLength) : reject(url);
    request.onerror = () => reject(url);
    request.send();
  });
}
async function run() {
  const round = location.hash.substring(1);
  const t0 = performance.now();
  const big = await get("big.bin?" + round);
  const t1 = performance.now();
  let small = 0, next = 0;
  async function worker() {
    while (next < 1000) {
      const i = next++;
      const size = await get("small/" + i + ".txt?" + round);
      small += size;
    }
  }
  await Promise.all(Array.from({length: 16}, worker));
  const t2 = performance.now();
  console.log("result: " + JSON.stringify({big: big, bigMs: t1 - t0, small: small, smallMs: t2 - t1}));
}
run().catch(e => console.log("result: failed " + e));
</script></body></html>)";

struct Round {
    double big_ms;
    double small_ms;
};

Round fetch_all(SWebView& view, Console& console, const std::string& page_url, int round)
{
    view.set_url(page_url + "#" + std::to_string(round));
    const std::string result = console.wait_for(view, "result: ");
    if (result.rfind("failed", 0) == 0)
        throw std::runtime_error(page_url + ": " + result);
    if (json_number(result, "big") != kBigSize || json_number(result, "small") != kSmallCount * kSmallSize)
        throw std::runtime_error(page_url + ": wrong sizes " + result);
    return {json_number(result, "bigMs"), json_number(result, "smallMs")};
}

}  // namespace

int main(int argc, char** argv)
{
    int rounds = 3;
    bool gpu = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--rounds" && i + 1 < argc)
            rounds = std::max(1, std::atoi(argv[++i]));
        else if (arg == "--gpu")
            gpu = true;
        else {
            std::fprintf(stderr, "usage: web_res_bench [--rounds N] [--gpu]\n");
            return 2;
        }
    }

    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / ("web_res_bench_" + std::to_string(getpid()));
    try {
        auto host = start_library(!gpu);

        // The same files in memory for "res" and on disk for file://.
        Site site;
        std::mt19937 random(7);
        std::string big(kBigSize, '\0');
        for (char& c : big)
            c = static_cast<char>(random());
        fs::create_directories(dir / "small");
        std::ofstream(dir / "page.html") << kPage;
        std::ofstream(dir / "big.bin", std::ios::binary) << big;
        site.put("/page.html", kPage);
        site.put("/big.bin", std::move(big));
        for (int i = 0; i < kSmallCount; ++i) {
            std::string text(kSmallSize, static_cast<char>('a' + i % 26));
            std::ofstream(dir / "small" / (std::to_string(i) + ".txt"), std::ios::binary) << text;
            site.put("/small/" + std::to_string(i) + ".txt", std::move(text));
        }
        site.install();

        SWebView view;
        standin::hand_over(*host, view);
        view.set_resolution({512, 512});
        Console console;
        console.attach(view);
        if (!view.load())
            throw std::runtime_error("the web view did not load");

        std::vector<double> res_big, res_small, file_big, file_small;
        fetch_all(view, console, "res://bench/page.html", -1);  // warm-up of both paths
        fetch_all(view, console, "file://" + (dir / "page.html").string(), -1);
        for (int round = 0; round < rounds; ++round) {
            const Round r = fetch_all(view, console, "res://bench/page.html", round);
            const Round f = fetch_all(view, console, "file://" + (dir / "page.html").string(), round);
            res_big.push_back(r.big_ms);
            res_small.push_back(r.small_ms);
            file_big.push_back(f.big_ms);
            file_small.push_back(f.small_ms);
        }
        view.destroy();
        fs::remove_all(dir);

        const double mib = kBigSize / 1048576.0;
        auto mib_s = [mib](double ms) { return mib / (ms / 1000.0); };
        auto files_s = [](double ms) { return kSmallCount / (ms / 1000.0); };
        std::printf("\"res\" serving against file:// in one web view, %d rounds, medians\n", rounds);
        std::printf("  one 32 MiB file       res %8.1f MiB/s   file %8.1f MiB/s   ratio %.2f\n",
                    mib_s(median(res_big)), mib_s(median(file_big)), median(file_big) / median(res_big));
        std::printf("  1000 files of 4 KiB   res %8.0f files/s file %8.0f files/s ratio %.2f\n",
                    files_s(median(res_small)), files_s(median(file_small)), median(file_small) / median(res_small));
        const double res_total = median(res_big) + median(res_small);
        const double file_total = median(file_big) + median(file_small);
        std::printf("  both together         res %8.1f ms      file %8.1f ms      ratio %.2f\n", res_total, file_total,
                    file_total / res_total);
        std::printf("  target: at least 0.8 times the file:// throughput\n");
        std::fflush(stdout);
        S::destroy();
        std::_Exit(0);
    } catch (const std::exception& e) {
        fs::remove_all(dir);
        std::fprintf(stderr, "web_res_bench: %s\n", e.what());
        std::_Exit(1);
    }
}
