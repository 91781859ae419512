#pragma once
// The shared test files: every GIF under the data folder, and whole-file reads.
// Callers skip cleanly when the list is empty (the data is not installed):
//   const auto files = TestGifFiles();
//   if (files.empty()) GTEST_SKIP() << "no test data under " << REELIX_TESTDATA_DIR;

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

// Every file with a .gif extension (any case) under `root`, sorted; empty when
// `root` is not a folder.
inline std::vector<std::filesystem::path> GifFilesUnder(const std::filesystem::path& root) {
    std::vector<std::filesystem::path> files;
    if (!std::filesystem::is_directory(root)) return files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
        std::string ext = entry.path().extension().string();
        std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
        if (entry.is_regular_file() && ext == ".gif") files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

#ifdef REELIX_TESTDATA_DIR
inline std::vector<std::filesystem::path> TestGifFiles() {
    return GifFilesUnder(std::filesystem::path(REELIX_TESTDATA_DIR) / "gif");
}
#endif

inline std::vector<std::uint8_t> ReadFileBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline std::string ReadFileText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}
