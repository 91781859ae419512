// reelix-tool bench [-n REPS] [-m index|rgba] FILE...: decoding speed from memory.
// Files are read once; each repetition decodes all of them into the model.
// With -m rgba each repetition also composes every frame onto an RGBA picture
// of the logical screen, as the painter plays it (without waiting).
//
// reelix-tool bench -i FILE...: what was decoded, for comparison with other
// decoders: one line per file with a 64-bit FNV-1a digest of each image's
// palette indices (rows in display order) and of each composed RGBA screen
// (straight alpha, 0 where nothing was drawn).

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
            image.PixelBudget = ToolPixelBudget();
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

// 64-bit FNV-1a, easy to reproduce in any language.
class TDigest {
public:
    void Add(const std::uint8_t* bytes, std::size_t size) {
        for (std::size_t i = 0; i < size; ++i) hash_ = (hash_ ^ bytes[i]) * 0x100000001B3ull;
    }
    std::string Hex() const {
        char text[17];
        std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash_));
        return text;
    }

private:
    std::uint64_t hash_ = 0xCBF29CE484222325ull;
};

std::string Joined(const std::vector<std::string>& items) {
    std::string text;
    for (const std::string& item : items) text += (text.empty() ? "" : ",") + item;
    return text.empty() ? "-" : text;
}

// One line: FILE frames=N index=D,D,... rgba=D,D,... (or error=TEXT when the
// file is refused). Images without pixels are not listed.
void PrintDigests(const std::string& path) {
    TGIFImage image;
    try {
        image.PixelBudget = ToolPixelBudget();
        image.LoadFromFile(path);
    } catch (const GIFException& e) {
        std::printf("%s error=\"%s\"\n", path.c_str(), e.what());
        return;
    }
    std::vector<std::string> indices, screens;
    for (int i = 0; i < image.Frames().Count(); ++i) {
        TGIFSubImage* frame = image.Frames()[i];
        if (frame->IsEmpty()) continue;
        TDigest digest;
        digest.Add(frame->PixelData(), static_cast<std::size_t>(frame->PixelDataSize()));
        indices.push_back(digest.Hex());
    }
    std::vector<std::uint8_t> rgba;
    TGIFCompositor(image).Run([&](int, const TBitmap& screen) {
        TGIFCompositor::ToRGBA(screen, rgba);
        TDigest digest;
        digest.Add(rgba.data(), rgba.size());
        screens.push_back(digest.Hex());
    });
    std::printf("%s frames=%zu index=%s rgba=%s\n", path.c_str(), indices.size(), Joined(indices).c_str(),
                Joined(screens).c_str());
}

int RunBench(const std::vector<std::string>& args) {
    int reps = 5;
    std::string mode = "index";
    bool digests = false;
    std::vector<std::string> paths;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "-i") {
            digests = true;
        } else if (args[i] == "-n" && i + 1 < args.size()) {
            reps = std::stoi(args[++i]);
        } else if (args[i] == "-m" && i + 1 < args.size()) {
            mode = args[++i];
        } else {
            paths.push_back(args[i]);
        }
    }
    if (paths.empty() || reps < 1) {
        std::fputs("usage: reelix-tool bench [-n REPS] [-m index|rgba] FILE...\n"
                   "       reelix-tool bench -i FILE...\n",
                   stderr);
        return 1;
    }
    if (digests) {
        for (const std::string& p : paths) PrintDigests(p);
        return 0;
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

const bool registered = RegisterToolCommand({"bench", "bench [-n REPS] [-m index|rgba] FILE... | bench -i FILE...", &RunBench});
}  // namespace
