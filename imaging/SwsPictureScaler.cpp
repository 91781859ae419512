#include "imaging/SwsPictureScaler.h"

#include <memory>
#include <vector>

extern "C" {
#include <libswscale/swscale.h>
}

namespace {

struct TContextFree {
    void operator()(SwsContext* context) const { sws_freeContext(context); }
};

int FlagsFor(TResizeFilter filter, const TRGBAPicture& source, const TRGBAPicture& out) {
    const bool shrinking = out.Width <= source.Width && out.Height <= source.Height;
    const int method = filter == TResizeFilter::Nearest    ? SWS_POINT
                       : filter == TResizeFilter::Bilinear ? SWS_BILINEAR
                       : shrinking                         ? SWS_AREA
                                                           : SWS_LANCZOS;
    return method | SWS_ACCURATE_RND | SWS_BITEXACT;
}

}  // namespace

bool TSwsPictureScaler::Scale(const TRGBAPicture& source, TRGBAPicture& out, TResizeFilter filter) const {
    if (source.Empty() || out.Empty()) return false;
    std::unique_ptr<SwsContext, TContextFree> context(sws_getContext(source.Width, source.Height, AV_PIX_FMT_GRAY8,
                                                                     out.Width, out.Height, AV_PIX_FMT_GRAY8,
                                                                     FlagsFor(filter, source, out), nullptr, nullptr,
                                                                     nullptr));
    if (!context) return false;
    // Full range in and out: the planes are channels, not video luma.
    const int* table = sws_getCoefficients(SWS_CS_DEFAULT);
    sws_setColorspaceDetails(context.get(), table, 1, table, 1, 0, 1 << 16, 1 << 16);
    const std::size_t sourcePixels = std::size_t(source.Width) * std::size_t(source.Height);
    const std::size_t outPixels = std::size_t(out.Width) * std::size_t(out.Height);
    std::vector<std::uint8_t> plane(sourcePixels), scaled(outPixels);
    out.Pixels.resize(outPixels * 4);
    for (int channel = 0; channel < 4; ++channel) {
        for (std::size_t i = 0; i < sourcePixels; ++i) plane[i] = source.Pixels[i * 4 + std::size_t(channel)];
        const std::uint8_t* in[1] = {plane.data()};
        const int inStride[1] = {source.Width};
        std::uint8_t* dst[1] = {scaled.data()};
        const int dstStride[1] = {out.Width};
        if (sws_scale(context.get(), in, inStride, 0, source.Height, dst, dstStride) != out.Height) return false;
        for (std::size_t i = 0; i < outPixels; ++i) out.Pixels[i * 4 + std::size_t(channel)] = scaled[i];
    }
    return true;
}
