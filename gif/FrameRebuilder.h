#pragma once
// Rebuilding one frame from the screens before and after it: the smallest
// rectangle of what changes, written in whichever of several ways encodes
// shortest (see FindSmallestEncoding).

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

#include "gif/ColorIndex.h"
#include "gif/GIFImage.h"
#include "gif/KeptImageData.h"
#include "gif/LossyChooser.h"
#include "gif/RunChooser.h"
#include "gif/ScreenKeys.h"
#include "gif/Stream.h"

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
inline TGIFEncoding ComparingEncoding(TGIFEncoding written) { return written == encLZWBest ? encLZW : written; }

// A rectangle of the screen, right and bottom excluded.
struct TScreenArea {
    int left = 0, top = 0, right = 0, bottom = 0;
    bool Empty() const { return right <= left || bottom <= top; }
    void Include(int x, int y) {
        if (Empty()) {
            *this = {x, y, x + 1, y + 1};
            return;
        }
        left = std::min(left, x);
        top = std::min(top, y);
        right = std::max(right, x + 1);
        bottom = std::max(bottom, y + 1);
    }
};

// One way of writing a frame: its rectangle's pixels, its table, its size.
struct TCandidate {
    std::vector<std::uint8_t> pixels;
    std::vector<TGIFRGB> local;  // empty: coloured by the global table
    int transparent = -1;
    std::int64_t bytes = -1;
    double cost = 0;      // lossy: its bits and error together (see LossyCost)
    TReadImageData data;  // the data measured for it
    std::optional<TEncodedWith> encodedWith;  // set where the usual encoder wrote that data
};

class TFrameRebuilder {
public:
    // `bound2`: how far (squared RGB distance) a shown colour may be from the
    // true one; 0 keeps every pixel exact.
    TFrameRebuilder(TGIFImage& image, int bound2) : image_(image), bound2_(bound2), reuse2_(bound2 / 2) {
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
    // changes nothing becomes one transparent pixel). Its rectangle covers
    // `cover` too (the area it clears when it goes).
    bool Rebuild(TGIFSubImage& frame, const std::vector<std::uint32_t>& before, const std::vector<std::uint32_t>& after,
                 const std::vector<std::uint32_t>& wanted, bool always, const TScreenArea& cover = {});

private:
    // Every way of writing the plan through one table, the shortest (lossy:
    // the cheapest, see LossyCost) into best.
    void Consider(const std::vector<TPlanPixel>& plan, bool global, bool keepTransparency, TCandidate& best);
    // A lossy way along the encoder's strings, chosen by `chooser` at its
    // pixel worth: its pixels, its data written as the strings chosen, and
    // its cost (see LossyCost). Where a full table was cleared, keeping it is
    // tried too, as the writer does.
    struct TLossyWay {
        std::vector<std::uint8_t> pixels;
        TMemoryStream data;
        long long error = 0;
        double cost = 0;
    };
    void ChooseLossy(TLossyChooser& chooser, const std::vector<TPlanPixel>& plan,
                     const std::vector<std::uint32_t>& colors, int clear, int bits, int limit, TLossyWay& way) const;
    // Bits written plus the error they leave, at the exchange rate of the bound.
    double LossyCost(std::int64_t bytes, long long error) const;
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
    // when the screen already shows it (half of bound2_).
    int reuse2_ = 0;
    std::array<int, 9> depths_{};
    TColorIndex globalIndex_;
    TRunChooser chooser_;
    // The pixel worths a lossy frame is chosen with (see TLossyChooser): how
    // much error a longer string may buy. Flat and dithered pictures gain
    // from the dearest, smooth ones lose there; each frame takes the cheapest.
    static constexpr std::array<int, 3> kPixelWorths = {100, 200, 400};
    // One per pixel worth, each on its own thread.
    std::array<TLossyChooser, kPixelWorths.size()> lossyChoosers_;
    int width_ = 0, height_ = 0;
    bool interlaced_ = false;
};
