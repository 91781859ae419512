#include "gif/LookaheadPass.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include "gif/GIFImage.h"
#include "gif/GIFSubImage.h"
#include "gif/KeptImageData.h"
#include "gif/LZW.h"
#include "gif/RunInParallel.h"

namespace {

// Frames are parsed two at a time, one on each core; which frames to try is
// decided between pairs from what earlier pairs gained, so the result never
// depends on which thread finished first.
constexpr std::size_t kPair = 2;
constexpr std::int64_t kPixelsForTwoCores = 4096;

// A share of the bytes below which the slower parse is not worth its time.
constexpr double kWorthwhile = 0.01;

// Whether the slower parse is still worth trying: a moving mean of the
// share of bytes it saved on the frames tried.
class TPayingSchedule {
public:
    bool ShouldTry(int frame) const { return meanSaving_ >= kWorthwhile || frame % kProbeEvery == 0; }
    void Record(double saving) { meanSaving_ = 0.75 * meanSaving_ + 0.25 * saving; }

private:
    // Starts as if a frame had saved 2%: three frames that save nothing stop it.
    static constexpr int kProbeEvery = 32;
    double meanSaving_ = 0.02;
};

// The share of bytes the slower parse saves on a band of the frame's rows
// from its middle, as a cheap first look at a large frame; 1 for a small
// frame, which is tried whole. The strings of one picture are much alike
// throughout.
double SavingOnABand(const TGIFSubImage& frame, const TEncodedWith& with) {
    constexpr std::size_t kBandPixels = std::size_t(1) << 15;
    const int width = frame.Width(), height = frame.Height();
    const int rows = int(std::max<std::size_t>(1, kBandPixels / std::size_t(width)));
    if (rows * 2 > height) return 1.0;
    const std::uint8_t* band = frame.PixelData() + std::size_t((height - rows) / 2) * std::size_t(width);
    TMemoryStream usual, parsed;
    EncodeImageDataOnce(usual, encLZW, with.Bits, with.ColorLimit, band, false, rows, width);
    EncodeImageDataLookingAhead(parsed, with.Bits, with.ColorLimit, band, false, rows, width);
    return 1.0 - double(parsed.Size()) / double(usual.Size());
}

// Whether saving would encode the frame again: its kept data, if any, is
// not marked as no longer than the usual encoder's.
bool EncodedOnSaving(const TGIFSubImage& frame, const TEncodedWith& with) {
    const TKeptImageData* kept = frame.KeptData();
    return !kept || !kept->EncodedWith(encLZW, with.Bits, with.ColorLimit);
}

// Makes the frame's kept data the shortest of what it keeps (where that
// still holds its pixels), the usual encoder's and, when `parseAhead`, the
// slower parse's, marked so that saving writes it as it is.
struct TParsedAhead {
    double saving = 0;  // the share of bytes saved (on a band, where only that was tried)
    bool kept = false;  // the slower parse's data is kept
};
TParsedAhead KeepShortest(TGIFSubImage& frame, const TEncodedWith& with, bool parseAhead) {
    if (EncodedOnSaving(frame, with)) {
        // What saving would otherwise work out itself.
        TMemoryStream usual;
        EncodeImageDataOnce(usual, encLZW, with.Bits, with.ColorLimit, frame.PixelData(), frame.IsInterlaced(),
                            frame.Height(), frame.Width());
        if (frame.KeptDataSizeBelow(usual.Size()) < 0)
            frame.KeepImageData(JoinedImageData(usual.Data(), std::size_t(usual.Size())), with);
        else  // kept data shorter than the usual encoder's is marked as such
            frame.KeepImageData(frame.KeptData()->Data(), with);
    }
    if (!parseAhead) return {};
    if (const double band = SavingOnABand(frame, with); band < kWorthwhile) return {std::max(0.0, band), false};
    const std::int64_t before = frame.KeptData()->Size();
    TMemoryStream parsed;
    EncodeImageDataLookingAhead(parsed, with.Bits, with.ColorLimit, frame.PixelData(), frame.IsInterlaced(),
                                frame.Height(), frame.Width());
    if (parsed.Size() >= before) return {};
    frame.KeepImageData(JoinedImageData(parsed.Data(), std::size_t(parsed.Size())), with);
    return {1.0 - double(parsed.Size()) / double(before), true};
}

}  // namespace

int ParseAheadWherePaying(TGIFImage& image) {
    // Run-length data is asked for by name; the best encoding still keeps
    // this parse where its own are longer.
    if (image.Encoding == encRLE) return 0;
    TGIFImageList& frames = image.Frames();
    // The pass changes no table: the depth global frames are written with stays.
    const int depth = image.MaxBitDepth();
    TPayingSchedule schedule;
    int shortened = 0;
    for (int first = 0; first < frames.Count(); first += int(kPair)) {
        const int count = std::min(frames.Count() - first, int(kPair));
        std::array<bool, kPair> parseAhead{};
        std::array<TParsedAhead, kPair> parsed{};
        for (int k = 0; k < count; ++k)
            parseAhead[std::size_t(k)] = !frames[first + k]->IsEmpty() && schedule.ShouldTry(first + k);
        std::int64_t pixels = 0;
        for (int k = 0; k < count; ++k) pixels += frames[first + k]->PixelDataSize();
        auto keepShortest = [&](std::size_t k) {
            TGIFSubImage& frame = *frames[first + int(k)];
            if (!frame.IsEmpty()) parsed[k] = KeepShortest(frame, frame.WrittenWith(depth), parseAhead[k]);
        };
        // Small frames are not worth a thread.
        if (pixels < kPixelsForTwoCores)
            for (std::size_t k = 0; k < std::size_t(count); ++k) keepShortest(k);
        else
            RunInParallel(std::size_t(count), keepShortest);
        for (std::size_t k = 0; k < std::size_t(count); ++k) {
            if (parseAhead[k]) schedule.Record(parsed[k].saving);
            shortened += parsed[k].kept ? 1 : 0;
        }
    }
    return shortened;
}
