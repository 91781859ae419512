#include "gif/SmallestEncoding.h"

#include <algorithm>
#include <atomic>
#include <array>
#include <cstring>
#include <exception>
#include <future>
#include <thread>
#include <unordered_map>
#include <vector>

#include "gif/FrameControl.h"
#include "gif/GIFImage.h"
#include "gif/LZW.h"
#include "gif/LZWInterlace.h"
#include "gif/LossyChooser.h"

namespace {

// Screen pixels as colour keys: nothing drawn yet, or a colour.
constexpr std::uint32_t kNothing = 0;
constexpr std::uint32_t kShown = 0x01000000;
// In a candidate's pixels: this pixel is left transparent.
constexpr std::uint32_t kClear = 0xFFFFFFFF;

std::uint32_t KeyOf(const TGIFRGB& c) {
    return kShown | std::uint32_t(c.red) | (std::uint32_t(c.green) << 8) | (std::uint32_t(c.blue) << 16);
}
TGIFRGB ColorOfKey(std::uint32_t key) {
    return {static_cast<std::uint8_t>(key), static_cast<std::uint8_t>(key >> 8), static_cast<std::uint8_t>(key >> 16)};
}

int BitsFor(int count) {
    int n = 1;
    while ((1 << n) < count) ++n;
    return n;
}
std::int64_t TableBytes(int count) { return count > 0 ? std::int64_t(3) << BitsFor(count) : 0; }

// Counts what an encoder writes, keeping nothing.
class TCountingStream : public TStream {
public:
    std::size_t Read(void*, std::size_t) override { return 0; }
    void Write(const void*, std::size_t count) override { size_ += std::int64_t(count); }
    std::int64_t Position() const override { return size_; }
    void SetPosition(std::int64_t) override {}
    std::int64_t Size() const override { return size_; }

private:
    std::int64_t size_ = 0;
};

// Candidates are compared by the usual encoder even when the image is written
// with the best one, which takes several times as long: the shorter
// candidate is nearly always shorter with both.
TGIFEncoding ComparingEncoding(TGIFEncoding written) { return written == encLZWBest ? encLZW : written; }

std::int64_t DataBytes(const TGIFImage& image, const std::uint8_t* pixels, int width, int height, int bits,
                       int limit, bool interlaced) {
    TCountingStream counter;
    EncodeImageData(counter, ComparingEncoding(image.Encoding), bits, limit, pixels, interlaced, height, width);
    return counter.Size();
}

// The pixels of an interlaced frame in the order it shows them and in the
// order its data stores them.
class TRowOrder {
public:
    TRowOrder(int width, int height) : width_(std::size_t(width)), rows_(InterlacedRowOrder(height)) {}
    template <typename T>
    std::vector<T> Stored(const std::vector<T>& shown) const {
        std::vector<T> stored;
        stored.reserve(shown.size());
        for (int row : rows_) {
            const auto start = shown.begin() + std::ptrdiff_t(std::size_t(row) * width_);
            stored.insert(stored.end(), start, start + std::ptrdiff_t(width_));
        }
        return stored;
    }
    template <typename T>
    std::vector<T> Shown(const std::vector<T>& stored) const {
        std::vector<T> shown(stored.size());
        for (std::size_t k = 0; k < rows_.size(); ++k)
            std::copy_n(stored.begin() + std::ptrdiff_t(k * width_), width_,
                        shown.begin() + std::ptrdiff_t(std::size_t(rows_[k]) * width_));
        return shown;
    }

private:
    std::size_t width_;
    std::vector<int> rows_;  // in stored order
};

// Colour key -> index of the first table entry of that colour: open
// addressing over 1024 slots for at most 256 entries, so that a lookup is
// one or two probes in the first-level cache.
class TColorIndex {
public:
    TColorIndex() { keys_.fill(kNothing); }
    void Add(std::uint32_t key, int index) {
        std::uint32_t h = SlotOf(key);
        while (keys_[h] != kNothing) {
            if (keys_[h] == key) return;
            h = (h + 1) & kMask;
        }
        keys_[h] = key;
        indices_[h] = static_cast<std::uint8_t>(index);
    }
    // -1 when no entry has the colour.
    int Find(std::uint32_t key) const {
        for (std::uint32_t h = SlotOf(key);; h = (h + 1) & kMask) {
            if (keys_[h] == key) return indices_[h];
            if (keys_[h] == kNothing) return -1;
        }
    }

private:
    static constexpr std::uint32_t kMask = 1023;
    static std::uint32_t SlotOf(std::uint32_t key) { return (key * 2654435761u) >> 22; }
    std::array<std::uint32_t, 1024> keys_;
    std::array<std::uint8_t, 1024> indices_{};
};

// Runs task(0) .. task(count - 1), in that order of starting, on this
// thread and one more when there are several and the machine has a second
// core; the first failure is raised here once both are done.
template <typename TTask>
void RunInParallel(std::size_t count, TTask&& task) {
    std::atomic<std::size_t> next{0};
    auto work = [&] {
        for (std::size_t i = next++; i < count; i = next++) task(i);
    };
    if (count < 2 || std::thread::hardware_concurrency() < 2) {
        work();
        return;
    }
    std::exception_ptr failure;
    std::thread other([&] {
        try {
            work();
        } catch (...) {
            failure = std::current_exception();
            next = count;
        }
    });
    try {
        work();
    } catch (...) {
        next = count;
        other.join();
        throw;
    }
    other.join();
    if (failure) std::rethrow_exception(failure);
}

// Every frame is drawable as the optimiser sees it: inside the screen, with a
// table, and no pixel past it.
bool Simple(const TGIFImage& image) {
    const TGIFImageList& frames = image.Frames();
    for (int i = 0; i < frames.Count(); ++i) {
        const TGIFSubImage& frame = *frames[i];
        if (frame.IsEmpty()) continue;
        if (frame.PixelDataSize() != std::int64_t(frame.Width()) * frame.Height()) return false;
        if (frame.Left() + frame.Width() > image.Width() || frame.Top() + frame.Height() > image.Height()) return false;
        const TGIFColorMap* table = frame.EffectiveColors();
        if (!table || table->IsEmpty()) return false;
        const int transparent = UsesTransparency(frame) ? frame.ControlExtension()->TransparentIndex() : -1;
        const std::uint8_t* p = frame.PixelData();
        for (std::int64_t k = 0; k < frame.PixelDataSize(); ++k)
            if (p[k] >= table->Count() && p[k] != transparent) return false;
    }
    return true;
}

// One way of writing a frame: its rectangle's pixels, its table, its size.
struct TCandidate {
    std::vector<std::uint8_t> pixels;
    std::vector<TGIFRGB> local;  // empty: coloured by the global table
    int transparent = -1;
    std::int64_t bytes = -1;
};

// Pixels that may be transparent or keep their colour take whichever
// continues the string the LZW encoder is building (when both do, the one the
// next pixel continues too); otherwise the clear one.
// `want` holds the fixed index of each pixel, or -1 where `option` (the
// pixel's colour, or -1 when the table lacks it) and `clear` are both right.
class TRunChooser {
public:
    void Choose(const std::vector<int>& want, const std::vector<int>& option, int clear, int bits,
                std::vector<std::uint8_t>& out) {
        TEncoderModel model(dictionary_, bits);
        const TStringDictionary& dictionary = model.Dictionary();
        out.resize(want.size());
        for (std::size_t k = 0; k < want.size(); ++k) {
            const int prefix = model.Prefix();
            auto extends = [&](int from, int symbol) { return from >= 0 && dictionary.Find(from, symbol) >= 0; };
            int symbol = want[k];
            if (symbol < 0) {
                symbol = clear;
                const bool keepExtends = option[k] >= 0 && extends(prefix, option[k]);
                const bool clearExtends = extends(prefix, clear);
                if (keepExtends && !clearExtends) {
                    symbol = option[k];
                } else if (keepExtends && k + 1 < want.size()) {
                    // Both continue the string: the one the next pixel can continue too.
                    auto continues = [&](int code) {
                        if (want[k + 1] >= 0) return extends(code, want[k + 1]);
                        return extends(code, clear) || (option[k + 1] >= 0 && extends(code, option[k + 1]));
                    };
                    if (continues(dictionary.Find(prefix, option[k])) && !continues(dictionary.Find(prefix, clear)))
                        symbol = option[k];
                }
            }
            out[k] = static_cast<std::uint8_t>(symbol);
            model.Feed(symbol);
        }
    }

private:
    TStringDictionary dictionary_;
};

class TFrameRebuilder {
public:
    // `bound2`: how far (squared RGB distance) a shown colour may be from the
    // true one; 0 keeps every pixel exact.
    TFrameRebuilder(TGIFImage& image, int bound2) : image_(image), bound2_(bound2), reuse2_(bound2 / 4) {
        const TGIFGlobalColorMap& global = image.GlobalColors();
        for (int i = 0; i < global.Count(); ++i) globalIndex_.Add(KeyOf(global.Entry(i)), i);
        // The image's deepest table, kept as a tally of every table's depth
        // so that it is known at once after each frame's table changes
        // (asking the image scans every frame: quadratic over an animation).
        Tally(global.BitDepth(), +1);
        for (int i = 0; i < image.Frames().Count(); ++i) Tally(image.Frames()[i]->BitDepth(), +1);
    }

    // Rebuilds frame `frame` from the screens before and after it; answers
    // whether a shorter encoding was found and put in place.
    // `wanted`, when lossy: what the animation showed before this frame (a
    // pixel it does not change keeps the error it was given).
    // With `always`, a frame that is not shorter is rebuilt too (one that
    // changes nothing becomes one transparent pixel).
    bool Rebuild(TGIFSubImage& frame, const std::vector<std::uint32_t>& before, const std::vector<std::uint32_t>& after,
                 const std::vector<std::uint32_t>& wanted, bool always);

private:
    // Every way of writing the plan through one table, the shortest into best.
    void Consider(const std::vector<TPlanPixel>& plan, bool global, bool keepTransparency, TCandidate& best);
    std::int64_t CurrentBytes(const TGIFSubImage& frame) const;
    bool LocalCouldPay(const std::vector<TPlanPixel>& plan) const;

    void Tally(int depth, int change) { depths_[static_cast<std::size_t>(std::clamp(depth, 0, 8))] += change; }
    // What image_.MaxBitDepth() answers.
    int MaxBitDepth() const {
        for (int depth = 8; depth > 0; --depth)
            if (depths_[static_cast<std::size_t>(depth)] > 0) return depth;
        return 0;
    }

    TGIFImage& image_;
    int bound2_;
    // How far a pixel the animation changes may stay from its new colour
    // when the screen already shows it (half the distance of bound2_).
    int reuse2_ = 0;
    std::array<int, 9> depths_{};
    TColorIndex globalIndex_;
    TRunChooser chooser_;
    TLossyChooser lossyChooser_;
    int width_ = 0, height_ = 0;
    bool interlaced_ = false;
};

std::int64_t TFrameRebuilder::CurrentBytes(const TGIFSubImage& frame) const {
    const TGIFLocalColorMap& local = frame.LocalColors();
    const int bits = local.IsEmpty() ? MaxBitDepth() : local.BitDepth();
    const int limit = local.IsEmpty() ? 1 << bits : local.Count();
    return TableBytes(local.Count()) +
           DataBytes(image_, frame.PixelData(), frame.Width(), frame.Height(), bits, limit, frame.IsInterlaced());
}

bool TFrameRebuilder::LocalCouldPay(const std::vector<TPlanPixel>& plan) const {
    std::unordered_map<std::uint32_t, bool> colors;
    for (const TPlanPixel& pixel : plan)
        if (pixel.kind == kMustDraw) colors[pixel.key] = true;
    return BitsFor(static_cast<int>(colors.size()) + 1) < MaxBitDepth();
}

void TFrameRebuilder::Consider(const std::vector<TPlanPixel>& plan, bool global, bool keepTransparency,
                               TCandidate& best) {
    const std::size_t n = plan.size();
    // The index of each colour drawn or kept, and of transparency.
    std::vector<int> want(n), option(n, -1);
    std::vector<TGIFRGB> local;
    int clear = -1;
    bool needsClear = keepTransparency;
    if (global) {
        const TGIFGlobalColorMap& table = image_.GlobalColors();
        std::vector<bool> drawn(static_cast<std::size_t>(table.Count()), false);
        for (std::size_t k = 0; k < n; ++k) {
            if (plan[k].kind == kMustClear) {
                needsClear = true;
                continue;
            }
            const int found = globalIndex_.Find(plan[k].key);
            if (plan[k].kind == kMustDraw) {
                if (found < 0) return;  // a colour the table lacks
                drawn[static_cast<std::size_t>(found)] = true;
                want[k] = found;
            } else {
                needsClear = true;
                option[k] = found;
            }
        }
        // Any entry no pixel must draw can stand for transparency: where an
        // unchanged pixel has that colour, either reading is right.
        for (int i = 0; needsClear && i < table.Count() && clear < 0; ++i)
            if (!drawn[static_cast<std::size_t>(i)]) clear = i;
        if (needsClear && clear < 0) return;
        for (std::size_t k = 0; k < n; ++k)
            if (plan[k].kind != kMustDraw) want[k] = plan[k].kind == kMustClear ? clear : -1;
    } else {
        // A table of the colours that must be drawn, most used first, then the clear one.
        std::unordered_map<std::uint32_t, int> uses;
        for (const TPlanPixel& pixel : plan) {
            if (pixel.kind == kMustDraw) ++uses[pixel.key];
            else needsClear = true;
        }
        if (uses.size() + (needsClear ? 1 : 0) > 256 || uses.empty()) return;
        std::vector<std::pair<int, std::uint32_t>> order;
        order.reserve(uses.size());
        for (const auto& [key, count] : uses) order.emplace_back(-count, key);
        std::sort(order.begin(), order.end());
        std::unordered_map<std::uint32_t, int> index;
        for (const auto& [count, key] : order) {
            index[key] = static_cast<int>(local.size());
            local.push_back(ColorOfKey(key));
        }
        if (needsClear) {
            clear = static_cast<int>(local.size());
            local.push_back({0, 0, 0});
        }
        for (std::size_t k = 0; k < n; ++k) {
            if (plan[k].kind == kMustDraw) {
                want[k] = index[plan[k].key];
            } else if (plan[k].kind == kMustClear) {
                want[k] = clear;
            } else {
                want[k] = -1;
                const auto found = index.find(plan[k].key);
                if (found != index.end()) option[k] = found->second;
            }
        }
    }
    const int count = global ? image_.GlobalColors().Count() : static_cast<int>(local.size());
    const int bits = global ? MaxBitDepth() : BitsFor(count);
    const int limit = global ? 1 << bits : count;
    const std::int64_t tableBytes = global ? 0 : TableBytes(count);

    // Unchanged pixels: all clear; drawn wherever the table has them; kept
    // only to continue a run of one colour; or chosen along the encoder's strings.
    // Each way is encoded once (several often come out the same), two at a
    // time, while the slowest to make (along the encoder's strings) is made;
    // the first of the shortest, in this order, wins.
    std::vector<std::uint8_t> pixels(n);
    std::vector<std::vector<std::uint8_t>> trials;
    auto offer = [&] {
        if (std::find(trials.begin(), trials.end(), pixels) == trials.end()) trials.push_back(pixels);
    };
    for (std::size_t k = 0; k < n; ++k) pixels[k] = static_cast<std::uint8_t>(want[k] >= 0 ? want[k] : clear);
    offer();
    for (std::size_t k = 0; k < n; ++k)
        if (want[k] < 0 && option[k] >= 0) pixels[k] = static_cast<std::uint8_t>(option[k]);
    offer();
    const std::size_t alongStrings = trials.size();
    trials.emplace_back();  // made by its task below
    // Unchanged pixels go clear only in runs of at least `shortest`; shorter
    // runs keep their colour, so scattered changes do not break strings.
    for (std::size_t shortest : {6u, 12u, 24u}) {
        for (std::size_t k = 0; k < n;) {
            if (want[k] >= 0) {
                pixels[k] = static_cast<std::uint8_t>(want[k]);
                ++k;
                continue;
            }
            std::size_t end = k;
            while (end < n && want[end] < 0) ++end;
            const bool keep = end - k < shortest;
            for (; k < end; ++k)
                pixels[k] = static_cast<std::uint8_t>(keep && option[k] >= 0 ? option[k] : clear);
        }
        offer();
    }
    std::vector<std::int64_t> sizes(trials.size());
    RunInParallel(trials.size(), [&](std::size_t task) {
        // Task 0, started first, makes the way along the encoder's strings.
        const std::size_t i = task == 0 ? alongStrings : task <= alongStrings ? task - 1 : task;
        if (i == alongStrings) {
            auto choose = [&](const std::vector<TPlanPixel>& planned, const std::vector<int>& wanted,
                              const std::vector<int>& options) {
                if (bound2_ > 0) {
                    std::vector<std::uint32_t> colors(static_cast<std::size_t>(count));
                    for (int e = 0; e < count; ++e)
                        colors[static_cast<std::size_t>(e)] = global ? KeyOf(image_.GlobalColors().Entry(e))
                                                                     : KeyOf(local[static_cast<std::size_t>(e)]);
                    lossyChooser_.Choose(planned, colors, clear, bound2_, bits, trials[i]);
                } else {
                    chooser_.Choose(wanted, options, clear, bits, trials[i]);
                }
            };
            if (interlaced_) {
                // The encoder's strings run in the order the rows are stored.
                const TRowOrder order(width_, height_);
                choose(order.Stored(plan), order.Stored(want), order.Stored(option));
                trials[i] = order.Shown(trials[i]);
            } else {
                choose(plan, want, option);
            }
        }
        sizes[i] = tableBytes + DataBytes(image_, trials[i].data(), width_, height_, bits, limit, interlaced_);
    });
    for (std::size_t i = 0; i < trials.size(); ++i) {
        if (best.bytes >= 0 && sizes[i] >= best.bytes) continue;
        best.pixels = std::move(trials[i]);
        best.local = local;
        best.transparent = needsClear ? clear : -1;
        best.bytes = sizes[i];
    }
}

bool TFrameRebuilder::Rebuild(TGIFSubImage& frame, const std::vector<std::uint32_t>& before,
                              const std::vector<std::uint32_t>& after, const std::vector<std::uint32_t>& wanted,
                              bool always) {
    const int screenWidth = image_.Width();
    const int screenHeight = image_.Height();
    // A pixel the screen already shows closely enough needs no drawing: one
    // the animation leaves as it was keeps the error it has; one it changes
    // may stay only closer to its new colour (errors left in place pile up
    // over frames).
    const bool lossy = bound2_ > 0;
    auto sameAt = [&](std::size_t at) {
        const std::uint32_t under = before[at], shown = after[at];
        if (under == shown) return true;
        if (!lossy || under == kNothing || shown == kNothing) return false;
        return ColorDistance2(under, shown) <= (wanted[at] == shown ? bound2_ : reuse2_);
    };
    // The smallest rectangle holding every changed pixel.
    int left = screenWidth, top = screenHeight, right = 0, bottom = 0;
    for (int y = 0; y < screenHeight; ++y) {
        const std::size_t row = std::size_t(y) * std::size_t(screenWidth);
        int x0 = 0;
        while (x0 < screenWidth && sameAt(row + std::size_t(x0))) ++x0;
        if (x0 == screenWidth) continue;
        int x1 = screenWidth - 1;
        while (sameAt(row + std::size_t(x1))) --x1;
        left = std::min(left, x0);
        right = std::max(right, x1 + 1);
        top = std::min(top, y);
        bottom = y + 1;
    }
    if (right <= left) {
        if (!always) return false;  // nothing changes: the usual steps handle such frames
        left = top = 0;
        right = bottom = 1;
    }
    // Outside the first frame readers differ: some show the background
    // colour there, browsers nothing. The first frame keeps what it covers.
    const bool first = &frame == image_.Frames()[0];
    bool coversNothing = false;
    for (int y = frame.Top(); first && y < frame.Top() + frame.Height() && !coversNothing; ++y) {
        const std::uint32_t* a = before.data() + std::size_t(y) * std::size_t(screenWidth) + std::size_t(frame.Left());
        coversNothing = std::find(a, a + frame.Width(), kNothing) != a + frame.Width();
    }
    if (coversNothing) {
        left = std::min(left, int(frame.Left()));
        top = std::min(top, int(frame.Top()));
        right = std::max(right, int(frame.Left()) + frame.Width());
        bottom = std::max(bottom, int(frame.Top()) + frame.Height());
    }
    width_ = right - left;
    height_ = bottom - top;
    interlaced_ = frame.IsInterlaced();

    // What each pixel of the rectangle may be.
    std::vector<TPlanPixel> plan(std::size_t(width_) * std::size_t(height_));
    std::size_t k = 0;
    for (int y = top; y < bottom; ++y) {
        const std::size_t row = std::size_t(y) * std::size_t(screenWidth);
        for (int x = left; x < right; ++x, ++k) {
            const std::size_t at = row + std::size_t(x);
            const std::uint32_t shown = after[at];
            const std::uint8_t kind = !sameAt(at) ? kMustDraw : shown == kNothing ? kMustClear : kOptional;
            plan[k] = {shown, kind, kind == kOptional ? before[at] : 0};
        }
    }

    // Readers that show the background colour where nothing is drawn yet
    // leave it out when the first frame is transparent: it stays so.
    const bool keepTransparency = first && UsesTransparency(frame);
    // What the frame costs as it is, measured beside the candidates.
    std::future<std::int64_t> current;
    if (!always) current = std::async(std::launch::async, [this, &frame] { return CurrentBytes(frame); });
    TCandidate best;
    const bool hasGlobal = image_.GlobalColors().Count() > 0;
    if (hasGlobal) Consider(plan, true, keepTransparency, best);
    // A table of its own pays only with fewer bits per pixel than the global one.
    if (!hasGlobal || best.bytes < 0 || LocalCouldPay(plan)) Consider(plan, false, keepTransparency, best);
    if (best.bytes < 0 || (!always && best.bytes >= current.get())) return false;

    frame.PlaceFrame(left, top, width_, height_);
    std::memcpy(frame.PixelData(), best.pixels.data(), best.pixels.size());
    Tally(frame.BitDepth(), -1);
    if (best.local.empty()) frame.LocalColors().ClearColors();
    else frame.LocalColors().LoadFromTable(best.local.data(), static_cast<int>(best.local.size()));
    Tally(frame.BitDepth(), +1);
    if (best.transparent >= 0) {
        TGIFGraphicControlExtension& control = RequireControl(frame);
        control.SetUsesTransparency(true);
        control.SetTransparentIndex(static_cast<std::uint8_t>(best.transparent));
    } else if (TGIFGraphicControlExtension* control = frame.ControlExtension()) {
        control->SetUsesTransparency(false);
    }
    frame.DropBitmap();
    frame.DropMask();
    return true;
}

// Draws the frame's visible pixels onto the screen.
void Draw(const TGIFSubImage& frame, int screenWidth, std::vector<std::uint32_t>& screen) {
    if (frame.IsEmpty()) return;
    const TGIFColorMap& table = *frame.EffectiveColors();
    std::array<std::uint32_t, 256> keys{};
    for (int i = 0; i < table.Count(); ++i) keys[static_cast<std::size_t>(i)] = KeyOf(table.Entry(i));
    const int transparent = UsesTransparency(frame) ? frame.ControlExtension()->TransparentIndex() : -1;
    const std::uint8_t* p = frame.PixelData();
    for (int y = 0; y < frame.Height(); ++y) {
        std::uint32_t* row = screen.data() + std::size_t(frame.Top() + y) * std::size_t(screenWidth) + std::size_t(frame.Left());
        for (int x = 0; x < frame.Width(); ++x, ++p)
            if (*p != transparent) row[x] = keys[*p];
    }
}

void Fill(const TGIFSubImage& frame, int screenWidth, std::vector<std::uint32_t>& screen,
          const std::vector<std::uint32_t>* from) {
    for (int y = frame.Top(); y < frame.Top() + frame.Height(); ++y) {
        const std::size_t start = std::size_t(y) * std::size_t(screenWidth) + std::size_t(frame.Left());
        if (from) std::copy_n(from->begin() + std::ptrdiff_t(start), frame.Width(), screen.begin() + std::ptrdiff_t(start));
        else std::fill_n(screen.begin() + std::ptrdiff_t(start), frame.Width(), kNothing);
    }
}

// Entries past the last one in use go; the writer pads what is left to the
// next power of two.
void TrimTable(TGIFColorMap& table, int needed) {
    needed = std::max(needed, 1);
    if (needed < table.Count()) {
        std::vector<TGIFRGB> kept(table.Entries(), table.Entries() + needed);
        table.LoadFromTable(kept.data(), needed);
    }
}

void TrimTables(TGIFImage& image) {
    TGIFImageList& frames = image.Frames();
    int globalNeeded = image.Header().BackgroundIndex + 1;
    for (int i = 0; i < frames.Count(); ++i) {
        TGIFSubImage& frame = *frames[i];
        if (frame.IsEmpty()) continue;
        int needed = UsesTransparency(frame) ? frame.ControlExtension()->TransparentIndex() + 1 : 0;
        const std::uint8_t* p = frame.PixelData();
        const std::uint8_t highest = *std::max_element(p, p + frame.PixelDataSize());
        needed = std::max(needed, int(highest) + 1);
        if (!frame.LocalColors().IsEmpty()) TrimTable(frame.LocalColors(), needed);
        else globalNeeded = std::max(globalNeeded, needed);
    }
    if (!image.GlobalColors().IsEmpty()) TrimTable(image.GlobalColors(), globalNeeded);
}

// Whether every frame that clears or restores its area could leave its
// picture instead, the next frame drawing what changes: true when no pixel
// ever goes from shown to nothing. The trial works on a copy, and a copied
// frame without pixels loses its extensions (its time): such animations
// are left out.
bool CanLeaveEveryPicture(const TGIFImage& image, std::size_t area) {
    const TGIFImageList& frames = image.Frames();
    bool any = false;
    for (int i = 0; i < frames.Count(); ++i) {
        if (frames[i]->IsEmpty()) return false;
        if (!LeavesPicture(Disposal(*frames[i]))) any = true;
    }
    if (!any) return false;
    std::vector<std::uint32_t> screen(area, kNothing), shown, saved;
    for (int i = 0; i < frames.Count(); ++i) {
        const TGIFSubImage& frame = *frames[i];
        const int disposal = Disposal(frame);
        if (disposal == dispPrevious) saved = screen;
        Draw(frame, image.Width(), screen);
        for (std::size_t at = 0; !shown.empty() && at < area; ++at)
            if (shown[at] != kNothing && screen[at] == kNothing) return false;
        shown = screen;
        if (disposal == dispBackground) Fill(frame, image.Width(), screen, nullptr);
        else if (disposal == dispPrevious) Fill(frame, image.Width(), screen, &saved);
    }
    return true;
}

// Rebuilds every frame that leaves its picture; with `leaveAll` (see
// CanLeaveEveryPicture) every frame then leaves it, and the frame after one
// that no longer clears or restores is rebuilt whatever its size. Answers the
// frames rebuilt, or -1 when such a frame could not be.
int RebuildFrames(TGIFImage& image, int lossy, bool leaveAll) {
    const int width = image.Width();
    const std::size_t area = std::size_t(width) * std::size_t(image.Height());
    // What the animation shows (the target) and what the rebuilt frames show
    // (the same, unless lossy).
    std::vector<std::uint32_t> target(area, kNothing), actual(area, kNothing), savedTarget, savedActual, wanted;
    const int bound = std::clamp(lossy, 0, 200) * 27 / 100;
    TFrameRebuilder rebuilder(image, bound * bound);
    int rebuilt = 0;
    bool mustRebuild = false;
    TGIFImageList& frames = image.Frames();
    for (int i = 0; i < frames.Count(); ++i) {
        TGIFSubImage& frame = *frames[i];
        const int disposal = Disposal(frame);
        if (disposal == dispPrevious) {
            savedTarget = target;
            savedActual = actual;
        }
        const bool switched = leaveAll && !LeavesPicture(disposal) && !frame.IsEmpty();
        if (switched) RequireControl(frame).SetDisposalMethod(dispLeave);
        // Only a frame that stays on the screen may change its rectangle:
        // restoring would clear or bring back a different area otherwise.
        const bool free = (switched || LeavesPicture(disposal)) && !frame.IsEmpty();
        if (lossy > 0) wanted = target;
        Draw(frame, width, target);
        if (free && rebuilder.Rebuild(frame, actual, target, wanted, mustRebuild)) ++rebuilt;
        else if (mustRebuild) return -1;
        mustRebuild = switched;
        Draw(frame, width, actual);
        if (frame.IsEmpty()) continue;
        if (disposal == dispBackground) {
            Fill(frame, width, target, nullptr);
            if (!switched) Fill(frame, width, actual, nullptr);
        } else if (disposal == dispPrevious) {
            Fill(frame, width, target, &savedTarget);
            if (!switched) Fill(frame, width, actual, &savedActual);
        }
    }
    TrimTables(image);
    return rebuilt;
}

std::int64_t ComparedSize(TGIFImage& image) {
    const TGIFEncoding written = image.Encoding;
    image.Encoding = ComparingEncoding(written);
    TCountingStream counter;
    image.SaveToStream(counter);
    image.Encoding = written;
    return counter.Size();
}

}  // namespace

int FindSmallestEncoding(TGIFImage& image, int lossy) {
    if (image.Frames().Count() == 0 || image.Width() <= 0 || image.Height() <= 0 || !Simple(image)) return 0;
    // Its screens hold 4 bytes a pixel, up to four of them: a screen that
    // would be refused as a picture is not worth that memory.
    if (!image.PixelBudget.FrameFits(std::uint64_t(image.Width()), std::uint64_t(image.Height()))) return 0;
    const std::size_t area = std::size_t(image.Width()) * std::size_t(image.Height());
    // Frames that clear or restore keep their rectangles; leaving every
    // picture instead frees them, which is tried beside and kept when shorter.
    if (CanLeaveEveryPicture(image, area)) {
        // Copying reports progress and drops the copy's listeners: the
        // image's own are set aside meanwhile.
        struct TSetAside {
            TGIFImage& image;
            decltype(TGIFImage::OnProgress) progress = std::move(image.OnProgress);
            decltype(TGIFImage::OnWarn) warn = std::move(image.OnWarn);
            ~TSetAside() {
                image.OnProgress = std::move(progress);
                image.OnWarn = std::move(warn);
            }
        } setAside{image};
        image.OnProgress = nullptr;
        image.OnWarn = nullptr;
        TGIFImage leaving;
        leaving.Assign(&image);
        leaving.Encoding = image.Encoding;
        const int rebuilt = RebuildFrames(leaving, lossy, true);
        if (rebuilt >= 0) {
            const int kept = RebuildFrames(image, lossy, false);
            if (ComparedSize(leaving) >= ComparedSize(image)) return kept;
            image.Assign(&leaving);
            return rebuilt;
        }
    }
    return RebuildFrames(image, lossy, false);
}
