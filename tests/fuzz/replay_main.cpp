// Replay driver, a fuzz target's main in the normal build: runs every input named
// (files, or directories in name order); fails on an empty directory or an input
// slower than fuzzing allows, timed in processor time so load does not count.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);
extern "C" __attribute__((weak)) int LLVMFuzzerInitialize(int* argc, char*** argv);

namespace {

// Longest run of one input in seconds, as libFuzzer's -timeout in tools/fuzz.sh.
constexpr double input_limit = 2.0;

std::vector<std::string> inputs_of(const std::filesystem::path& path)
{
    std::vector<std::string> files;
    if (!std::filesystem::is_directory(path))
        return {path.string()};
    for (const auto& entry : std::filesystem::directory_iterator(path))
        if (entry.is_regular_file())
            files.push_back(entry.path().string());
    std::sort(files.begin(), files.end());
    return files;
}

// Runs one input: false after saying why when it took too long.
bool replay(const std::string& file)
{
    std::ifstream in(file, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!in.good() && !in.eof()) {
        std::fprintf(stderr, "%s: cannot be read\n", file.c_str());
        return false;
    }
    std::clock_t start = std::clock();
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    double took = static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
    if (took <= input_limit)
        return true;
    std::fprintf(stderr, "%s: took %.2f s, more than %.0f s\n", file.c_str(), took, input_limit);
    return false;
}

}  // namespace

int main(int argc, char** argv)
{
    if (LLVMFuzzerInitialize != nullptr)
        LLVMFuzzerInitialize(&argc, &argv);
    bool good = argc > 1;
    for (int i = 1; i < argc; ++i) {
        std::vector<std::string> files = inputs_of(argv[i]);
        if (files.empty()) {
            std::fprintf(stderr, "%s: no inputs\n", argv[i]);
            good = false;
        }
        for (const std::string& file : files)
            good = replay(file) && good;
        std::printf("%zu inputs run from %s\n", files.size(), argv[i]);
    }
    return good ? 0 : 1;
}
