#pragma once
// Filtered scaling by libswscale. Each channel is scaled as a plane of its
// own, so no colour conversion touches the pixels; the result is bit-exact
// on every machine and equal input gives equal output. The scaler keeps the
// library's context for the last sizes asked, so use one per thread.

#include <memory>
#include <tuple>
#include <vector>

#include "painter/PictureScaler.h"

struct SwsContext;

class TSwsPictureScaler final : public IPictureScaler {
public:
    TSwsPictureScaler();
    ~TSwsPictureScaler() override;
    bool Scale(const TRGBAPicture& source, TRGBAPicture& out, TResizeFilter filter) const override;

private:
    struct TContextFree {
        void operator()(SwsContext* context) const;
    };
    // A cache of the context and the working planes: not the scaler's state.
    mutable std::unique_ptr<SwsContext, TContextFree> context_;
    mutable std::tuple<int, int, int, int, int> key_{};
    mutable std::vector<std::uint8_t> planes_, scaled_;
};
