#pragma once
// The logical screen descriptor and the global colour table.

#include <cstdint>
#include <memory>

#include "gif/GIFColorMap.h"
#include "gif/GIFItem.h"

class TGIFHeader : public TGIFItem {
public:
    explicit TGIFHeader(TGIFImage* owner);
    const char* ClassName() const override { return "TGIFHeader"; }

    // The seven descriptor fields, kept exactly as in the file.
    std::uint16_t ScreenWidth = 0;
    std::uint16_t ScreenHeight = 0;
    std::uint8_t ScreenFlags = 0;  // bit 7 table, 4-6 resolution, 3 sorted, 0-2 size code
    std::uint8_t BackgroundIndex = 0;
    std::uint8_t AspectRatio = 0;

    TGIFGlobalColorMap& GlobalColors() { return globalColors_; }
    const TGIFGlobalColorMap& GlobalColors() const { return globalColors_; }

    // Clears the global table and zeroes the descriptor.
    void ResetHeader();
    // From a header: descriptor and table; from a colour table: reset, then the
    // table; anything else raises the cannot-assign error.
    void Assign(const TPersistent* source);
    TColor BackgroundColor() { return globalColors_.GetColor(BackgroundIndex); }

    // Recomputes ScreenFlags from the tables of the image (done before writing).
    void UpdateScreenFlags();

    void SaveToStream(TStream& stream) override;
    void LoadFromStream(TStream& stream) override;

private:
    TGIFGlobalColorMap globalColors_;
};
