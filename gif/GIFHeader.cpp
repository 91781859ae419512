#include "gif/GIFHeader.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "raster/GIFException.h"
#include "gif/GIFImage.h"
#include "gif/Stream.h"

namespace {
bool IsSignature(const std::uint8_t* bytes) {
    // Compared without regard to case; the version letters are not checked.
    return std::toupper(bytes[0]) == 'G' && std::toupper(bytes[1]) == 'I' && std::toupper(bytes[2]) == 'F';
}
std::uint16_t Get16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }
}  // namespace

TGIFHeader::TGIFHeader(TGIFImage* owner) : TGIFItem(owner), globalColors_(this) {}

void TGIFHeader::ResetHeader() {
    globalColors_.ClearColors();
    ScreenWidth = ScreenHeight = 0;
    ScreenFlags = BackgroundIndex = AspectRatio = 0;
}

void TGIFHeader::Assign(const TPersistent* source) {
    if (source == this) return;
    if (const auto* header = dynamic_cast<const TGIFHeader*>(source)) {
        ScreenWidth = header->ScreenWidth;
        ScreenHeight = header->ScreenHeight;
        ScreenFlags = header->ScreenFlags;
        BackgroundIndex = header->BackgroundIndex;
        AspectRatio = header->AspectRatio;
        globalColors_.Assign(&header->GlobalColors());
    } else if (dynamic_cast<const TGIFColorMap*>(source)) {
        ResetHeader();
        globalColors_.Assign(source);
    } else {
        RaiseCannotAssign(source, *this);
    }
}

void TGIFHeader::UpdateScreenFlags() {
    const TGIFImage* image = OwnerImage();
    const bool hasTable = !globalColors_.IsEmpty();
    const int maxResolution = image ? image->MaxResolutionBits() : globalColors_.BitDepth() - 1;
    const int maxDepth = image ? image->MaxBitDepth() : globalColors_.BitDepth();
    std::uint8_t flags = 0;
    if (hasTable) flags |= 0x80;
    if (hasTable && globalColors_.Sorted()) flags |= 0x08;
    flags |= static_cast<std::uint8_t>((maxResolution & 7) << 4);
    flags |= static_cast<std::uint8_t>(hasTable ? (globalColors_.BitDepth() - 1) & 7 : (maxDepth - 1) & 7);
    ScreenFlags = flags;
}

void TGIFHeader::SaveToStream(TStream& stream) {
    const TGIFVersion version = OwnerImage() ? OwnerImage()->FileVersion() : gvUnknown;
    if (version == gvUnknown) throw GIFException("Unsupported GIF version");
    UpdateScreenFlags();
    std::uint8_t bytes[13] = {'G', 'I', 'F'};
    std::memcpy(bytes + 3, GIFVersionText(version), 3);
    bytes[6] = static_cast<std::uint8_t>(ScreenWidth & 0xFF);
    bytes[7] = static_cast<std::uint8_t>(ScreenWidth >> 8);
    bytes[8] = static_cast<std::uint8_t>(ScreenHeight & 0xFF);
    bytes[9] = static_cast<std::uint8_t>(ScreenHeight >> 8);
    bytes[10] = ScreenFlags;
    bytes[11] = BackgroundIndex;
    bytes[12] = AspectRatio;
    stream.Write(bytes, sizeof bytes);
    if (ScreenFlags & 0x80) globalColors_.SaveEntries(stream);
}

void TGIFHeader::LoadFromStream(TStream& stream) {
    const std::int64_t start = stream.Position();
    std::uint8_t signature[6];
    stream.ReadBuffer(signature, sizeof signature);
    if (!IsSignature(signature)) {
        // Some files carry a 4-byte prefix in front of the signature.
        stream.SetPosition(start + 4);
        stream.ReadBuffer(signature, sizeof signature);
        if (!IsSignature(signature)) throw GIFException("Invalid GIF signature");
    }
    std::uint8_t d[7];
    stream.ReadBuffer(d, sizeof d);
    ScreenWidth = Get16(d);
    ScreenHeight = Get16(d + 2);
    ScreenFlags = d[4];
    BackgroundIndex = d[5];
    AspectRatio = d[6];
    if (ScreenFlags & 0x80) {
        globalColors_.LoadEntries(stream, 2 << (ScreenFlags & 7));
        globalColors_.SetSorted((ScreenFlags & 0x08) != 0);
    } else {
        globalColors_.ClearColors();
    }
}
