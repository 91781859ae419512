// reelix-tool edit IN OUT EDIT...: the editor's frame operations on a file,
// applied left to right as given, then the result saved as the editor saves
// it (the looping block on the first frame, count 0 unless one is set).
//   --delete=N[,N...]   frames N (numbers of the frames as they are then)
//   --move=FROM:TO      frame FROM to place TO
//   --delay=all:CS      every frame's delay, in hundredths of a second
//   --delay=N:CS        frame N's delay
//   --loop=N            repeat N times (0: for ever)
//   --disposal=all|N:D  the disposal method (0 none, 1 keep, 2 background, 3 previous)
//   --interlace=all|N:on|off
//   --offset=N:X,Y      frame N's place on the screen
//   --transparent=all|N:RRGGBB|off   the colour shown as transparent, or none
//   --comment=TEXT      a comment (each line of TEXT a line of it)
//   --remove-comments   every comment out
//   --add=FILE[:N]      the first picture of a GIF file as a new frame (at N; else at the end)
//   --large=clip|grow|fit   how the --add edits after it take a larger picture
//   --select=0-4,9      the frames the next edits act on (one frame, or none: all)
//   --delay=CS|+CS|-CS|N%   the selected frames' delays set, shifted or scaled
//   --duplicate         each selected frame followed by a copy
//   --reverse           the selected frames in reverse order
//   --pingpong          the selected frames again in reverse, the ends not repeated
//   --dedupe            a frame showing what the one before shows goes, its time kept
//   --drop-every=N      every Nth selected frame goes, its time to the one before
//   --optimize          every frame optimisation, as Optimize Animation does
//   and the picture tools (CmdEditPicture.cpp): --crop, --rotate, --flip,
//   --resize with --filter, --text with its style

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "gif/FrameDefaults.h"
#include "gif/FrameEditLog.h"
#include "gif/GIFFrameOptimizer.h"
#include "gif/GIFImage.h"
#include "gif/Stream.h"
#include "gif/CommentEdits.h"
#include "painter/AnimationInfoEdit.h"
#include "painter/AnimationResize.h"
#include "painter/FrameImport.h"
#include "painter/FrameOperations.h"
#include "painter/FrameSequence.h"
#include "tools/Command.h"
#include "tools/EditOptions.h"

int Number(const std::string& text) {
    if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos) return -1;
    return std::stoi(text);
}

namespace {
constexpr const char* kUsage =
    "edit IN OUT [--delete=N[,N...]] [--move=FROM:TO] [--delay=all|N:CS] [--loop=N] [--disposal=all|N:D] "
    "[--interlace=all|N:on|off] [--offset=N:X,Y] [--transparent=all|N:RRGGBB|off] [--comment=TEXT] "
    "[--remove-comments] [--add=FILE[:N]] [--large=clip|grow|fit] [--select=0-4,9] [--delay=CS|+CS|-CS|N%] [--duplicate] "
    "[--reverse] [--pingpong] [--dedupe] [--drop-every=N] [--optimize] [--crop=X,Y,W,H] [--rotate=90|180|270] "
    "[--flip=h|v] [--resize=WxH|N%] [--filter=smooth|bilinear|nearest] [--text=TEXT [--font=F] [--font-size=PX] "
    "[--text-color=RRGGBB] [--outline=RRGGBB:W] [--text-at=PLACE|X,Y]]   the editor's edits, left to right";

// "A:B" into its two parts; false without a colon.
bool Pair(const std::string& text, std::string& a, std::string& b) {
    const std::size_t colon = text.find(':');
    if (colon == std::string::npos) return false;
    a = text.substr(0, colon);
    b = text.substr(colon + 1);
    return true;
}

// "all" (-1) or a frame number; -2 when it is neither.
int FrameOrAll(const std::string& text) {
    return text == "all" ? -1 : (Number(text) >= 0 ? Number(text) : -2);
}

// Frame Properties on one frame or every frame: only what Values sets.
TEdit Properties(int frame, TFramePropertyValues values) {
    return [frame, values](TGIFImage& image, TFrameEditLog& log) {
        if (frame >= image.Frames().Count()) return false;
        SetFrameProperties(image, {frame}, values, log);
        return true;
    };
}

// Values that change nothing yet.
TFramePropertyValues Untouched() {
    TFramePropertyValues v;
    v.Transparent.reset();
    v.Interlaced.reset();
    v.Disposal.reset();
    return v;
}

// The per-frame options: --disposal, --interlace, --offset, --transparent.
TEdit ParseProperty(const std::string& name, const std::string& value, std::string& error) {
    std::string a, b;
    const int frame = Pair(value, a, b) ? FrameOrAll(a) : -2;
    TFramePropertyValues v = Untouched();
    if (name == "--disposal") {
        const int d = Number(b);
        if (frame < -1 || d < 0 || d > 3) {
            error = "--disposal wants all:D or N:D with D from 0 to 3, as --disposal=all:2";
            return {};
        }
        v.Disposal = d;
    } else if (name == "--interlace") {
        if (frame < -1 || (b != "on" && b != "off")) {
            error = "--interlace wants all:on, all:off, N:on or N:off";
            return {};
        }
        v.Interlaced = b == "on";
    } else if (name == "--offset") {
        const std::size_t comma = b.find(',');
        const int x = comma == std::string::npos ? -1 : Number(b.substr(0, comma));
        const int y = comma == std::string::npos ? -1 : Number(b.substr(comma + 1));
        if (frame < 0 || x < 0 || y < 0 || x > 0xFFFF || y > 0xFFFF) {
            error = "--offset wants N:X,Y, as --offset=2:10,0";
            return {};
        }
        v.Left = x;
        v.Top = y;
    } else {
        const bool off = b == "off";
        const bool hex = b.size() == 6 && b.find_first_not_of("0123456789abcdefABCDEF") == std::string::npos;
        if (frame < -1 || (!off && !hex)) {
            error = "--transparent wants all:RRGGBB, N:RRGGBB or N:off, as --transparent=all:ffffff";
            return {};
        }
        v.Transparent = !off;
        if (hex) {
            const unsigned rgb = static_cast<unsigned>(std::stoul(b, nullptr, 16));
            // Colours are stored red in the low byte.
            v.TransparentColor = TColor(((rgb >> 16) & 0xFF) | (rgb & 0xFF00) | ((rgb & 0xFF) << 16));
        }
    }
    return Properties(frame, v);
}

// Splits TEXT at its line breaks.
std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (true) {
        const std::size_t end = text.find('\n', start);
        lines.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos) return lines;
        start = end + 1;
    }
}

// The first picture of a GIF file, as it shows on its screen.
TEdit AddPictureFrom(const std::string& file, int position, const TPictureOptions& settings) {
    return [file, position, settings](TGIFImage& image, TFrameEditLog& log) {
        TGIFImage picture;
        picture.PixelBudget = ToolPixelBudget();
        picture.LoadFromFile(file);
        const TBitmap* flat = picture.GetFlatBitmap();
        if (!flat || flat->Empty()) throw GIFException(file + ": the file holds no picture");
        // As the editor adds it with its settings as they come: clipped to
        // the screen (or as --large says), one shared palette, 1 s, looping
        // for ever.
        TAddPicture add;
        TakeLargePictures(settings, add);
        add.Picture = *flat;
        add.Position = position < 0 ? image.Frames().Count() : position;
        AddPicture(image, add, log);
        return true;
    };
}

// The edit an option asks for; an empty function with `error` set when the
// option is not understood.
// "0-4,9" into frame numbers; empty with a bad part.
std::vector<int> Ranges(const std::string& text) {
    std::vector<int> frames;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t comma = std::min(text.find(',', start), text.size());
        const std::string part = text.substr(start, comma - start);
        const std::size_t dash = part.find('-');
        const int first = Number(dash == std::string::npos ? part : part.substr(0, dash));
        const int last = dash == std::string::npos ? first : Number(part.substr(dash + 1));
        if (first < 0 || last < first || last - first > 100000) return {};
        for (int i = first; i <= last; ++i) frames.push_back(i);
        start = comma + 1;
    }
    return frames;
}

// --delay=CS, +CS, -CS or N% over the selection.
TEdit SelectionDelay(const std::string& value, const TSelection& selection, std::string& error) {
    const bool percent = !value.empty() && value.back() == '%';
    const bool sign = !value.empty() && (value[0] == '+' || value[0] == '-');
    const std::string digits = value.substr(sign ? 1 : 0, value.size() - (sign ? 1 : 0) - (percent ? 1 : 0));
    const int n = Number(digits);
    if (n < 0 || n > 0xFFFF || (percent && sign) || (percent && n == 0)) {
        error = "--delay wants CS, +CS, -CS or N% (or all:CS, N:CS), as --delay=8 or --delay=50%";
        return {};
    }
    if (percent)
        return [selection, n](TGIFImage& image, TFrameEditLog& log) { ScaleDelays(image, *selection, n, log); return true; };
    if (sign) {
        const int delta = value[0] == '-' ? -n : n;
        return [selection, delta](TGIFImage& image, TFrameEditLog& log) {
            ShiftDelays(image, *selection, delta, log);
            return true;
        };
    }
    return [selection, n](TGIFImage& image, TFrameEditLog& log) { SetDelays(image, *selection, n, log); return true; };
}

TEdit ParseEdit(const std::string& option, const TSelection& selection, const TPictureOptions& settings,
                std::string& error) {
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
            if (frames.front() >= image.Frames().Count()) return false;
            return DeleteFrames(image, frames, log);
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
    if (const std::optional<std::string> v = value("--delay"); v && v->find(':') == std::string::npos)
        return SelectionDelay(*v, selection, error);
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
    for (const char* name : {"--disposal", "--interlace", "--offset", "--transparent"})
        if (const std::optional<std::string> v = value(name)) return ParseProperty(name, *v, error);
    if (const std::optional<std::string> v = value("--comment")) {
        const std::vector<std::string> lines = Lines(*v);
        return [lines](TGIFImage& image, TFrameEditLog& log) { return AddComment(image, lines, log) != nullptr; };
    }
    if (option == "--remove-comments") {
        return [](TGIFImage& image, TFrameEditLog& log) {
            for (TGIFCommentExtension* comment : AllComments(image)) RemoveComment(image, *comment, log);
            return true;
        };
    }
    if (const std::optional<std::string> v = value("--add")) {
        std::string file = *v;
        int position = -1;
        const std::size_t colon = v->rfind(':');
        if (colon != std::string::npos && Number(v->substr(colon + 1)) >= 0) {
            position = Number(v->substr(colon + 1));
            file = v->substr(0, colon);
        }
        if (file.empty()) {
            error = "--add wants a GIF file, as --add=logo.gif or --add=logo.gif:0";
            return {};
        }
        return AddPictureFrom(file, position, settings);
    }
    if (const std::optional<std::string> v = value("--select")) {
        const std::vector<int> frames = Ranges(*v);
        if (frames.empty()) {
            error = "--select wants frame numbers and ranges, as --select=0-4,9";
            return {};
        }
        return [selection, frames](TGIFImage& image, TFrameEditLog&) {
            *selection = frames;
            return frames.back() < image.Frames().Count();
        };
    }
    using TSequenceEdit = bool (*)(TGIFImage&, const std::vector<int>&, TFrameEditLog&);
    const struct {
        const char* name;
        TSequenceEdit edit;
    } sequences[] = {{"--duplicate", DuplicateFrames},
                     {"--reverse", ReverseFrames},
                     {"--pingpong", PingPongFrames},
                     {"--dedupe", RemoveDuplicateFrames}};
    for (const auto& s : sequences)
        if (option == s.name)
            return [selection, edit = s.edit](TGIFImage& image, TFrameEditLog& log) {
                edit(image, *selection, log);
                return true;
            };
    if (const std::optional<std::string> v = value("--drop-every")) {
        const int n = Number(*v);
        if (n < 2) {
            error = "--drop-every wants N of 2 or more, as --drop-every=3";
            return {};
        }
        return [selection, n](TGIFImage& image, TFrameEditLog& log) {
            DropEveryNthFrame(image, *selection, n, log);
            return true;
        };
    }
    if (option == "--optimize") {
        return [](TGIFImage& image, TFrameEditLog&) {
            image.OptimizeAnimation(kAllFrameOptimizations | ooSmallest);
            return true;
        };
    }
    if (TEdit picture = ParsePictureEdit(option, selection, settings, error); picture || !error.empty()) return picture;
    error = "unknown edit '" + option + "'";
    return {};
}

int Edit(const std::vector<std::string>& args) {
    std::vector<std::string> files;
    std::vector<std::pair<std::string, TEdit>> edits;
    // What --select chose, for the edits after it (empty: every frame).
    const TSelection selection = std::make_shared<std::vector<int>>();
    const TPictureOptions pictureSettings = MakePictureOptions();
    for (const std::string& arg : args) {
        if (arg.rfind("--", 0) != 0) {
            files.push_back(arg);
            continue;
        }
        std::string error;
        TEdit edit = ParseEdit(arg, selection, pictureSettings, error);
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
    SaveAsTheEditorSaves(image, files[1]);
    return 0;
}


const bool registered = RegisterToolCommand({"edit", kUsage, Edit});

}  // namespace

void SaveAsTheEditorSaves(const TGIFImage& image, const std::string& path) {
    TMemoryStream encoded;
    PreparedForSaving(image, 0)->SaveToStream(encoded);
    TFileStream out(path, TFileStream::Mode::Create);
    out.Write(encoded.Data(), static_cast<std::size_t>(encoded.Size()));
}
