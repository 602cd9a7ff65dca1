// Runs a fuzz target once on each given file, and on every file of each given directory, the way
// a libFuzzer program does with -runs=0. Used where the targets are built without libFuzzer
// (any compiler), so that the seed corpora replay as ordinary tests.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);
extern "C" __attribute__((weak)) int LLVMFuzzerInitialize(int* argc, char*** argv);

namespace {

bool replay(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "cannot read %s\n", file.c_str());
        return false;
    }
    const std::vector<char> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    // A copy of exactly the input's size, so that a read past its end is caught as it is
    // under libFuzzer.
    std::vector<std::uint8_t> input(bytes.begin(), bytes.end());
    static std::uint8_t nothing = 0;  // libFuzzer, too, never hands over a null pointer
    LLVMFuzzerTestOneInput(input.empty() ? &nothing : input.data(), input.size());
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    if (LLVMFuzzerInitialize)
        LLVMFuzzerInitialize(&argc, &argv);
    std::vector<std::filesystem::path> files;
    for (int i = 1; i < argc; ++i) {
        const std::filesystem::path path(argv[i]);
        if (std::filesystem::is_directory(path)) {
            for (const auto& entry : std::filesystem::directory_iterator(path))
                if (entry.is_regular_file())
                    files.push_back(entry.path());
        } else {
            files.push_back(path);
        }
    }
    std::sort(files.begin(), files.end());
    if (files.empty()) {
        std::fprintf(stderr, "no inputs given\n");
        return 1;
    }
    for (const auto& file : files)
        if (!replay(file))
            return 1;
    std::printf("replayed %zu inputs\n", files.size());
    return 0;
}
