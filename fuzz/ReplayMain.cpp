// Runs a fuzz target over files instead of a fuzzing engine, so that every input
// that once crashed stays an ordinary test. Arguments are files or folders
// (searched recursively); the run fails when a folder is missing or unreadable.

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

bool RunFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "cannot read %s\n", path.string().c_str());
        return false;
    }
    const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    int files = 0;
    bool ok = true;
    for (int i = 1; i < argc; ++i) {
        const std::filesystem::path arg(argv[i]);
        std::error_code error;
        if (std::filesystem::is_directory(arg, error)) {
            for (const auto& entry : std::filesystem::recursive_directory_iterator(arg, error)) {
                if (!entry.is_regular_file()) continue;
                ok = RunFile(entry.path()) && ok;
                ++files;
            }
        } else if (std::filesystem::is_regular_file(arg, error)) {
            ok = RunFile(arg) && ok;
            ++files;
        } else {
            std::fprintf(stderr, "no such file or folder: %s\n", argv[i]);
            ok = false;
        }
    }
    std::printf("%d inputs replayed\n", files);
    return ok ? 0 : 1;
}
