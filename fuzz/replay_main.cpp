// Feeds every file of the directories (or the files) named on the command line to the fuzz
// target once, as libFuzzer does when it replays a corpus. A fault aborts the process, so the
// test that runs this fails.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

bool RunFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "cannot read %s\n", path.c_str());
        return false;
    }
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    // The input gets its own allocation of exactly its size, as under libFuzzer.
    auto* data = static_cast<std::uint8_t*>(std::malloc(bytes.empty() ? 1 : bytes.size()));
    if (!data) return false;
    if (!bytes.empty()) std::memcpy(data, bytes.data(), bytes.size());
    LLVMFuzzerTestOneInput(data, bytes.size());
    std::free(data);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s CORPUS_DIR_OR_FILE...\n", argv[0]);
        return 2;
    }
    int files = 0;
    for (int i = 1; i < argc; ++i) {
        const std::filesystem::path target = argv[i];
        std::error_code error;
        if (std::filesystem::is_directory(target, error)) {
            std::vector<std::filesystem::path> paths;
            for (const auto& entry : std::filesystem::directory_iterator(target)) {
                if (entry.is_regular_file()) paths.push_back(entry.path());
            }
            std::sort(paths.begin(), paths.end());
            for (const auto& path : paths) {
                if (!RunFile(path)) return 1;
                ++files;
            }
        } else {
            if (!RunFile(target)) return 1;
            ++files;
        }
    }
    if (files == 0) {
        std::fprintf(stderr, "no inputs found\n");
        return 1;
    }
    std::printf("replayed %d inputs\n", files);
    return 0;
}
