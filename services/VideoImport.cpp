#include "services/VideoImport.h"

#include <algorithm>
#include <memory>

#include "gif/GIFImage.h"
#include "services/VideoReader.h"

TVideoImportResult ImportVideo(const std::string& path, TGIFImage& image, const std::function<bool(int)>& keepGoing) {
    TVideoReader reader(path);
    image.ColorReductionKind = crWebSafe;
    image.DitherKind = dkFloydSteinberg;
    image.Header().ScreenWidth = static_cast<std::uint16_t>(std::min(reader.Width(), 65535));
    image.Header().ScreenHeight = static_cast<std::uint16_t>(std::min(reader.Height(), 65535));
    const long long expected = std::max(1LL, reader.EstimatedFrames());
    const std::uint64_t framePixels = std::uint64_t(reader.Width()) * std::uint64_t(reader.Height());
    TVideoImportResult result;
    TBitmap picture;
    int delay = 0;
    while (reader.Next(picture, delay)) {
        if (std::uint64_t(result.Frames + 1) * framePixels > image.PixelBudget.DocumentPixels) {
            result.Truncated = true;
            break;
        }
        const int index = image.AddFrame(picture);
        TGIFSubImage& frame = *image.Frames()[index];
        if (index == 0) {
            auto loop = std::make_unique<TGIFAppExtNSLoop>(&frame);
            loop->LoopCount = 0;
            frame.ExtensionBlocks().Insert(0, std::move(loop));
        }
        TGIFGraphicControlExtension* control = frame.ControlExtension();
        if (!control) {
            auto made = std::make_unique<TGIFGraphicControlExtension>(&frame);
            control = made.get();
            frame.ExtensionBlocks().Add(std::move(made));
        }
        control->DelayTime = static_cast<std::uint16_t>(delay);
        ++result.Frames;
        if (keepGoing && !keepGoing(int(std::min<long long>(99, 100LL * result.Frames / expected)))) {
            result.Cancelled = true;
            break;
        }
    }
    if (result.Frames == 0) throw TVideoError("The video holds no picture.");
    image.OptimizeColorMaps();
    return result;
}
