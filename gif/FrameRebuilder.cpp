#include "gif/FrameRebuilder.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <future>
#include <limits>
#include <unordered_map>

#include "gif/FrameControl.h"
#include "gif/LZW.h"
#include "gif/LZWInterlace.h"
#include "gif/ParsedLZWEncoder.h"
#include "gif/RunInParallel.h"

namespace {

int BitsFor(int count) {
    int n = 1;
    while ((1 << n) < count) ++n;
    return n;
}
std::int64_t TableBytes(int count) { return count > 0 ? std::int64_t(3) << BitsFor(count) : 0; }

// What one bit of data is worth in squared error, as a share of the bound's
// square, when the ways are compared. Measured on the lossy curve benchmark.
constexpr double kBitWorthOfBound = 0.1;

std::int64_t DataBytes(const TGIFImage& image, const std::uint8_t* pixels, int width, int height, int bits,
                       int limit, bool interlaced) {
    TCountingStream counter;
    EncodeImageDataOnce(counter, image.Encoding, bits, limit, pixels, interlaced, height, width);
    return counter.Size();
}

// Candidates measured side by side: each that is done lowers the cap, and one
// still being encoded gives up once past it (it cannot be the shortest), which
// spares encoding most of it. A candidate as long as the shortest so far is
// measured in full: the first of equals wins.
class TCandidateCap {
public:
    static constexpr std::int64_t kNone = std::numeric_limits<std::int64_t>::max();
    explicit TCandidateCap(std::int64_t cap) : cap_(cap) {}
    // The data bytes of the candidate, or kNone when it went past the cap;
    // `data` holds them.
    std::int64_t Measure(const TGIFImage& image, const std::uint8_t* pixels, int width, int height, int bits,
                         int limit, bool interlaced, TMemoryStream& data) {
        TCapped counter(cap_, data);
        try {
            EncodeImageDataOnce(counter, image.Encoding, bits, limit, pixels, interlaced, height, width);
        } catch (const TPastCap&) {
            return kNone;
        }
        const std::int64_t size = data.Size();
        for (std::int64_t cap = cap_.load(); size < cap && !cap_.compare_exchange_weak(cap, size);) {
        }
        return size;
    }

private:
    struct TPastCap {};
    // Passes the bytes on to `data` until they go past the cap.
    class TCapped : public TCountingStream {
    public:
        TCapped(const std::atomic<std::int64_t>& cap, TMemoryStream& data) : cap_(cap), data_(data) {}
        void Write(const void* buffer, std::size_t count) override {
            TCountingStream::Write(buffer, count);
            if (Size() > cap_.load(std::memory_order_relaxed)) throw TPastCap{};
            data_.Write(buffer, count);
        }

    private:
        const std::atomic<std::int64_t>& cap_;
        TMemoryStream& data_;
    };
    std::atomic<std::int64_t> cap_;
};

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

}  // namespace

std::int64_t TFrameRebuilder::CurrentBytes(const TGIFSubImage& frame) const {
    const TGIFLocalColorMap& local = frame.LocalColors();
    const int bits = local.IsEmpty() ? MaxBitDepth() : local.BitDepth();
    const int limit = local.IsEmpty() ? 1 << bits : local.Count();
    std::int64_t data =
        DataBytes(image_, frame.PixelData(), frame.Width(), frame.Height(), bits, limit, frame.IsInterlaced());
    // Saving writes the data as it was read where that is shorter.
    const std::int64_t kept = frame.KeptDataSizeBelow(data);
    if (kept >= 0) data = kept;
    return TableBytes(local.Count()) + data;
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
        std::uint32_t lastKey = 0;
        int lastFound = globalIndex_.Find(lastKey);  // neighbours mostly share a colour
        for (std::size_t k = 0; k < n; ++k) {
            if (plan[k].kind == kMustClear) {
                needsClear = true;
                continue;
            }
            if (plan[k].key != lastKey) {
                lastKey = plan[k].key;
                lastFound = globalIndex_.Find(lastKey);
            }
            const int found = lastFound;
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
    // runs keep their colour (as `pixels` has them now), so scattered changes
    // do not break strings.
    std::vector<std::pair<std::size_t, std::size_t>> runs;  // [start, end) of pixels not to draw
    for (std::size_t k = 0; k < n;) {
        if (want[k] >= 0) {
            ++k;
            continue;
        }
        const std::size_t start = k;
        while (k < n && want[k] < 0) ++k;
        runs.emplace_back(start, k);
    }
    const std::vector<std::uint8_t> kept = pixels;
    for (std::size_t shortest : {6u, 12u, 24u}) {
        pixels = kept;
        for (const auto& [start, end] : runs)
            if (end - start >= shortest)
                std::fill(pixels.begin() + std::ptrdiff_t(start), pixels.begin() + std::ptrdiff_t(end),
                          static_cast<std::uint8_t>(clear));
        offer();
    }
    std::vector<std::int64_t> sizes(trials.size());
    std::vector<TMemoryStream> encoded(trials.size());
    // The lossy choice is written as the strings it chose: measured so, and
    // that data kept for the frame.
    const bool lossy = bound2_ > 0;
    const bool parsed = lossy && image_.Encoding != encRLE;
    // Lossy, each pixel worth makes a way (run-length data only the middle
    // one: it is not written as chosen), and the cheapest is the candidate.
    const std::size_t ways = !lossy ? 0 : parsed ? kPixelWorths.size() : 1;
    std::array<TLossyWay, kPixelWorths.size()> lossyWays;
    std::vector<std::uint32_t> colors;
    for (int e = 0; lossy && e < count; ++e)
        colors.push_back(global ? KeyOf(image_.GlobalColors().Entry(e)) : KeyOf(local[static_cast<std::size_t>(e)]));
    TMemoryStream parsedData;
    // Only a candidate shorter than the best of the other table is measured
    // whole (lossy, a longer one with less error is left out too).
    TCandidateCap cap(best.bytes >= 0 ? best.bytes - tableBytes - 1 : TCandidateCap::kNone);
    // The slowest to make start first: the lossy ways, or else the way along
    // the encoder's strings; then the other trials in order.
    const std::size_t tasks = lossy ? ways + trials.size() - 1 : trials.size();
    RunInParallel(tasks, [&](std::size_t task) {
        if (task < ways) {
            TLossyChooser& chooser = lossyChoosers_[task];
            chooser.SetPixelWorth(kPixelWorths[parsed ? task : 1]);
            ChooseLossy(chooser, plan, colors, clear, bits, limit, lossyWays[task]);
            return;
        }
        const std::size_t other = task - ways;  // the trials but the one along strings, when lossy
        const std::size_t i = lossy ? (other < alongStrings ? other : other + 1)
                              : task == 0 ? alongStrings
                              : task <= alongStrings ? task - 1
                                                     : task;
        if (i == alongStrings) {
            if (interlaced_) {
                // The encoder's strings run in the order the rows are stored.
                const TRowOrder order(width_, height_);
                chooser_.Choose(order.Stored(want), order.Stored(option), clear, bits, trials[i]);
                trials[i] = order.Shown(trials[i]);
            } else {
                chooser_.Choose(want, option, clear, bits, trials[i]);
            }
        }
        const std::int64_t data =
            cap.Measure(image_, trials[i].data(), width_, height_, bits, limit, interlaced_, encoded[i]);
        sizes[i] = data == TCandidateCap::kNone ? data : tableBytes + data;
    });
    long long lossyError = 0;  // of the lossy way
    if (lossy) {
        std::size_t cheapest = 0;
        for (std::size_t w = 1; w < ways; ++w)
            if (lossyWays[w].cost < lossyWays[cheapest].cost) cheapest = w;
        TLossyWay& way = lossyWays[cheapest];
        trials[alongStrings] = std::move(way.pixels);
        lossyError = way.error;
        if (parsed) {
            parsedData = std::move(way.data);
            sizes[alongStrings] = tableBytes + parsedData.Size();
        } else {
            const std::int64_t data = cap.Measure(image_, trials[alongStrings].data(), width_, height_, bits, limit,
                                                  interlaced_, encoded[alongStrings]);
            sizes[alongStrings] = data == TCandidateCap::kNone ? data : tableBytes + data;
        }
    }
    // Lossless, the shortest wins. Lossy, the cheapest in bits and error:
    // a trial that leaves pixels the screen shows closely enough clear has
    // their error, and is worth a few bytes more than the lossy way where
    // that error is less.
    for (std::size_t i = 0; i < trials.size(); ++i) {
        if (sizes[i] == TCandidateCap::kNone) continue;
        double cost = 0;
        if (lossy) {
            long long error = lossyError;
            if (i != alongStrings) {
                error = 0;
                for (std::size_t k = 0; k < n; ++k)
                    if (trials[i][k] == clear && plan[k].kind == kOptional)
                        error += ColorDistance2(plan[k].under, plan[k].key);
            }
            cost = LossyCost(sizes[i], error);
            if (best.bytes >= 0 && cost >= best.cost) continue;
        } else if (best.bytes >= 0 && sizes[i] >= best.bytes) {
            continue;
        }
        best.cost = cost;
        best.pixels = std::move(trials[i]);
        best.local = local;
        best.transparent = needsClear ? clear : -1;
        best.bytes = sizes[i];
        // Saving writes the data measured rather than encode the pixels again.
        const TMemoryStream& data = i == alongStrings && parsed ? parsedData : encoded[i];
        best.data = JoinedImageData(data.Data(), std::size_t(data.Size()));
        // The usual encoder's own bytes, which saving with it writes as they are.
        const bool usual = image_.Encoding == encLZW && !(i == alongStrings && parsed);
        best.encodedWith = usual ? std::optional(TEncodedWith{bits, limit}) : std::nullopt;
    }
}

double TFrameRebuilder::LossyCost(std::int64_t bytes, long long error) const {
    return double(bytes) * 8 + double(error) / (kBitWorthOfBound * double(bound2_));
}

void TFrameRebuilder::ChooseLossy(TLossyChooser& chooser, const std::vector<TPlanPixel>& plan,
                                  const std::vector<std::uint32_t>& colors, int clear, int bits, int limit,
                                  TLossyWay& way) const {
    // The encoder's strings run in the order the rows are stored.
    const TRowOrder order(width_, height_);
    std::vector<TPlanPixel> stored;
    if (interlaced_) stored = order.Stored(plan);
    const std::vector<TPlanPixel>& encoded = interlaced_ ? stored : plan;
    std::vector<std::uint8_t> chosen, starts;
    for (const bool keepFullTable : {false, true}) {
        chooser.Choose(encoded, colors, clear, bound2_, bits, chosen, starts, keepFullTable);
        const long long error = chooser.ErrorOfChoice(encoded, chosen);
        std::vector<std::uint8_t> shown = interlaced_ ? order.Shown(chosen) : chosen;
        TMemoryStream trial;
        EncodeParsedImageData(trial, bits, limit, shown.data(), starts, interlaced_, height_, width_, keepFullTable);
        const double cost = LossyCost(trial.Size(), error);
        if (!keepFullTable || cost < way.cost) {
            way.cost = cost;
            way.error = error;
            way.data = std::move(trial);
            way.pixels = std::move(shown);
        }
        if (!chooser.TableCleared()) break;
    }
}

bool TFrameRebuilder::Rebuild(TGIFSubImage& frame, const std::vector<std::uint32_t>& before,
                              const std::vector<std::uint32_t>& after, const std::vector<std::uint32_t>& wanted,
                              bool always, const TScreenArea& cover) {
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
    if (!cover.Empty()) {
        left = std::min(left, cover.left);
        top = std::min(top, cover.top);
        right = std::max(right, cover.right);
        bottom = std::max(bottom, cover.bottom);
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
    if (!best.data.Bytes.empty()) frame.KeepImageData(std::move(best.data), best.encodedWith);
    frame.DropBitmap();
    frame.DropMask();
    return true;
}
