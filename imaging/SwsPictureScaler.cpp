#include "imaging/SwsPictureScaler.h"

#include <tuple>
#include <vector>

extern "C" {
#include <libswscale/swscale.h>
}

namespace {

int FlagsFor(TResizeFilter filter, const TRGBAPicture& source, const TRGBAPicture& out) {
    const bool shrinking = out.Width <= source.Width && out.Height <= source.Height;
    const int method = filter == TResizeFilter::Nearest    ? SWS_POINT
                       : filter == TResizeFilter::Bilinear ? SWS_BILINEAR
                       : shrinking                         ? SWS_AREA
                                                           : SWS_LANCZOS;
    return method | SWS_ACCURATE_RND | SWS_BITEXACT;
}

}  // namespace

void TSwsPictureScaler::TContextFree::operator()(SwsContext* context) const { sws_freeContext(context); }

TSwsPictureScaler::TSwsPictureScaler() = default;
TSwsPictureScaler::~TSwsPictureScaler() = default;

bool TSwsPictureScaler::Scale(const TRGBAPicture& source, TRGBAPicture& out, TResizeFilter filter) const {
    if (source.Empty() || out.Empty()) return false;
    const int flags = FlagsFor(filter, source, out);
    const auto key = std::make_tuple(source.Width, source.Height, out.Width, out.Height, flags);
    if (!context_ || key != key_) {
        context_.reset(sws_getContext(source.Width, source.Height, AV_PIX_FMT_GRAY8, out.Width, out.Height,
                                      AV_PIX_FMT_GRAY8, flags, nullptr, nullptr, nullptr));
        if (!context_) return false;
        // Full range in and out: the planes are channels, not video luma.
        const int* table = sws_getCoefficients(SWS_CS_DEFAULT);
        sws_setColorspaceDetails(context_.get(), table, 1, table, 1, 0, 1 << 16, 1 << 16);
        key_ = key;
    }
    const std::size_t sourcePixels = std::size_t(source.Width) * std::size_t(source.Height);
    const std::size_t outPixels = std::size_t(out.Width) * std::size_t(out.Height);
    planes_.resize(sourcePixels * 4);
    scaled_.resize(outPixels * 4);
    // The channels apart, in one pass; each scaled as a plane; then together again.
    const std::uint8_t* p = source.Pixels.data();
    std::uint8_t* r = planes_.data();
    for (std::size_t i = 0; i < sourcePixels; ++i, p += 4) {
        r[i] = p[0];
        r[i + sourcePixels] = p[1];
        r[i + 2 * sourcePixels] = p[2];
        r[i + 3 * sourcePixels] = p[3];
    }
    for (std::size_t channel = 0; channel < 4; ++channel) {
        const std::uint8_t* in[1] = {planes_.data() + channel * sourcePixels};
        const int inStride[1] = {source.Width};
        std::uint8_t* dst[1] = {scaled_.data() + channel * outPixels};
        const int dstStride[1] = {out.Width};
        if (sws_scale(context_.get(), in, inStride, 0, source.Height, dst, dstStride) != out.Height) return false;
    }
    out.Pixels.resize(outPixels * 4);
    std::uint8_t* q = out.Pixels.data();
    const std::uint8_t* s = scaled_.data();
    for (std::size_t i = 0; i < outPixels; ++i, q += 4) {
        q[0] = s[i];
        q[1] = s[i + outPixels];
        q[2] = s[i + 2 * outPixels];
        q[3] = s[i + 3 * outPixels];
    }
    return true;
}
