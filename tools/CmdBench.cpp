// reelix-tool bench [-n REPS] [-m index|rgba] FILE...: decoding speed from memory.
// Files are read once; each repetition decodes all of them into the model.
// With -m rgba each repetition also composes every frame onto an RGBA picture
// of the logical screen, as the painter plays it (without waiting).

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "gif/GIFImage.h"
#include "painter/GIFCompositor.h"
#include "tools/Command.h"

namespace {
std::vector<std::uint8_t> ReadFile(const std::string& path) {
    TFileStream stream(path, TFileStream::Mode::Read);
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(stream.Size()));
    stream.ReadBuffer(bytes.data(), bytes.size());
    return bytes;
}

// Decodes every file once; answers the decoded pixels (sum of frame areas), or
// with `composite` the composed pixels (frames composed times screen area).
std::uint64_t DecodeAll(const std::vector<std::vector<std::uint8_t>>& files, bool composite) {
    std::uint64_t pixels = 0;
    for (const auto& bytes : files) {
        TGIFImage image;
        TMemoryStream stream(bytes.data(), bytes.size());
        try {
            image.LoadFromStream(stream);
        } catch (const GIFException&) {
            // Damaged files still count with the frames read before the damage.
        }
        if (composite) {
            const int frames = TGIFCompositor(image).Run();
            pixels += static_cast<std::uint64_t>(frames) * static_cast<std::uint64_t>(image.Width()) *
                      static_cast<std::uint64_t>(image.Height());
            continue;
        }
        for (int i = 0; i < image.Frames().Count(); ++i)
            pixels += static_cast<std::uint64_t>(image.Frames()[i]->PixelDataSize());
    }
    return pixels;
}

int RunBench(const std::vector<std::string>& args) {
    int reps = 5;
    std::string mode = "index";
    std::vector<std::string> paths;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "-n" && i + 1 < args.size()) {
            reps = std::stoi(args[++i]);
        } else if (args[i] == "-m" && i + 1 < args.size()) {
            mode = args[++i];
        } else {
            paths.push_back(args[i]);
        }
    }
    if (paths.empty() || reps < 1) {
        std::fputs("usage: reelix-tool bench [-n REPS] [-m index|rgba] FILE...\n", stderr);
        return 1;
    }
    if (mode != "index" && mode != "rgba") {
        std::fprintf(stderr, "reelix-tool bench: unsupported mode '%s'\n", mode.c_str());
        return 1;
    }
    std::vector<std::vector<std::uint8_t>> files;
    std::uint64_t inBytes = 0;
    for (const std::string& p : paths) {
        files.push_back(ReadFile(p));
        inBytes += files.back().size();
    }
    std::vector<double> seconds;
    std::uint64_t pixels = 0;
    for (int r = 0; r < reps; ++r) {
        const auto start = std::chrono::steady_clock::now();
        pixels = DecodeAll(files, mode == "rgba");
        seconds.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(seconds.begin(), seconds.end());
    const double median = seconds.size() % 2 ? seconds[seconds.size() / 2]
                                             : (seconds[seconds.size() / 2 - 1] + seconds[seconds.size() / 2]) / 2;
    const double best = seconds.front();
    const double mpix = static_cast<double>(pixels) / 1e6;
    std::printf("RESULT decoder=reelix mode=%s files=%zu reps=%d mpix=%.3f median_s=%.6f best_s=%.6f "
                "mpps_median=%.2f mpps_best=%.2f in_mb=%.3f\n",
                mode.c_str(), files.size(), reps, mpix, median, best, median > 0 ? mpix / median : 0.0,
                best > 0 ? mpix / best : 0.0, static_cast<double>(inBytes) / 1e6);
    return 0;
}

const bool registered = RegisterToolCommand({"bench", "bench [-n REPS] [-m index|rgba] FILE...", &RunBench});
}  // namespace
