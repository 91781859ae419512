// reelix-tool edit IN OUT EDIT...: the editor's frame operations on a file,
// applied left to right as given, then the result saved as the editor saves
// it (the looping block on the first frame, count 0 unless one is set).
//   --delete=N[,N...]   frames N (numbers of the frames as they are then)
//   --move=FROM:TO      frame FROM to place TO
//   --delay=all:CS      every frame's delay, in hundredths of a second
//   --delay=N:CS        frame N's delay
//   --loop=N            repeat N times (0: for ever)
//   --optimize          every frame optimisation, as Optimize Animation does

#include <algorithm>
#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "gif/FrameDefaults.h"
#include "gif/FrameEditLog.h"
#include "gif/GIFFrameOptimizer.h"
#include "gif/GIFImage.h"
#include "gif/Stream.h"
#include "painter/FrameOperations.h"
#include "tools/Command.h"

namespace {
constexpr const char* kUsage =
    "edit IN OUT [--delete=N[,N...]] [--move=FROM:TO] [--delay=all|N:CS] [--loop=N] [--optimize]   "
    "the editor's frame edits, left to right";

// A whole non-negative number, or -1.
int Number(const std::string& text) {
    if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos) return -1;
    return std::stoi(text);
}

// "A:B" into its two parts; false without a colon.
bool Pair(const std::string& text, std::string& a, std::string& b) {
    const std::size_t colon = text.find(':');
    if (colon == std::string::npos) return false;
    a = text.substr(0, colon);
    b = text.substr(colon + 1);
    return true;
}

using TEdit = std::function<bool(TGIFImage&, TFrameEditLog&)>;

// The edit an option asks for; an empty function with `error` set when the
// option is not understood.
TEdit ParseEdit(const std::string& option, std::string& error) {
    const auto value = [&](const char* name) -> std::optional<std::string> {
        const std::string prefix = std::string(name) + "=";
        if (option.rfind(prefix, 0) != 0) return std::nullopt;
        return option.substr(prefix.size());
    };
    if (const std::optional<std::string> v = value("--delete")) {
        std::vector<int> frames;
        std::size_t start = 0;
        while (start <= v->size()) {
            const std::size_t comma = std::min(v->find(',', start), v->size());
            const int n = Number(v->substr(start, comma - start));
            if (n < 0) {
                error = "--delete wants frame numbers, as --delete=3 or --delete=3,5";
                return {};
            }
            frames.push_back(n);
            start = comma + 1;
        }
        // Highest first, so every number names a frame of the animation as it was.
        std::sort(frames.rbegin(), frames.rend());
        frames.erase(std::unique(frames.begin(), frames.end()), frames.end());
        return [frames](TGIFImage& image, TFrameEditLog& log) {
            for (const int n : frames)
                if (!DeleteFrame(image, n, log)) return false;
            return true;
        };
    }
    if (const std::optional<std::string> v = value("--move")) {
        std::string a, b;
        const int from = Pair(*v, a, b) ? Number(a) : -1;
        const int to = from >= 0 ? Number(b) : -1;
        if (to < 0) {
            error = "--move wants FROM:TO, as --move=0:4";
            return {};
        }
        return [from, to](TGIFImage& image, TFrameEditLog& log) {
            return from == to || MoveFrame(image, from, to, log);
        };
    }
    if (const std::optional<std::string> v = value("--delay")) {
        std::string a, b;
        const bool pair = Pair(*v, a, b);
        const int frame = pair ? (a == "all" ? -1 : Number(a)) : -2;
        const int delay = pair ? Number(b) : -1;
        if (frame < -1 || delay < 0 || delay > 0xFFFF) {
            error = "--delay wants all:CS or N:CS (hundredths of a second, 0 to 65535), as --delay=all:8";
            return {};
        }
        return [frame, delay](TGIFImage& image, TFrameEditLog& log) {
            SetDelay(image, frame, delay, log);
            return frame == -1 || frame < image.Frames().Count();
        };
    }
    if (const std::optional<std::string> v = value("--loop")) {
        const int count = Number(*v);
        if (count < 0 || count > 0xFFFF) {
            error = "--loop wants a count from 0 (for ever) to 65535";
            return {};
        }
        return [count](TGIFImage& image, TFrameEditLog& log) {
            SetLoopCount(image, count, log);
            return image.Frames().Count() > 0;
        };
    }
    if (option == "--optimize") {
        return [](TGIFImage& image, TFrameEditLog&) {
            image.OptimizeAnimation(kAllFrameOptimizations | ooSmallest);
            return true;
        };
    }
    error = "unknown edit '" + option + "'";
    return {};
}

int Edit(const std::vector<std::string>& args) {
    std::vector<std::string> files;
    std::vector<std::pair<std::string, TEdit>> edits;
    for (const std::string& arg : args) {
        if (arg.rfind("--", 0) != 0) {
            files.push_back(arg);
            continue;
        }
        std::string error;
        TEdit edit = ParseEdit(arg, error);
        if (!edit) {
            std::fprintf(stderr, "reelix-tool edit: %s\n", error.c_str());
            return 1;
        }
        edits.emplace_back(arg, std::move(edit));
    }
    if (files.size() != 2) {
        std::fprintf(stderr, "usage: reelix-tool %s\n", kUsage);
        return 1;
    }
    TGIFImage image;
    image.OnWarn = [](TPersistent*, int, const std::string& text) {
        std::fprintf(stderr, "warning: %s\n", text.c_str());
    };
    image.PixelBudget = ToolPixelBudget();
    image.LoadFromFile(files[0]);
    for (auto& [option, edit] : edits) {
        TFrameEditLog log;
        if (!edit(image, log)) {
            std::fprintf(stderr, "reelix-tool edit: %s: no such frame (the animation has %d)\n", option.c_str(),
                         image.Frames().Count());
            return 1;
        }
    }
    if (image.Frames().Count() == 0) {
        std::fputs("reelix-tool edit: no frame is left to save\n", stderr);
        return 1;
    }
    // Encoded completely before the file is touched, as the editor saves.
    TMemoryStream encoded;
    PreparedForSaving(image, 0)->SaveToStream(encoded);
    TFileStream out(files[1], TFileStream::Mode::Create);
    out.Write(encoded.Data(), static_cast<std::size_t>(encoded.Size()));
    return 0;
}

const bool registered = RegisterToolCommand({"edit", kUsage, Edit});

}  // namespace
