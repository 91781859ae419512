#include "gif/GIFExtensions.h"

#include <algorithm>
#include <cstring>

#include "raster/GIFException.h"
#include "gif/GIFExtensionRegistry.h"
#include "gif/GIFImage.h"
#include "gif/Stream.h"

namespace {
void Put16(std::uint8_t* p, std::uint16_t v) {
    p[0] = static_cast<std::uint8_t>(v & 0xFF);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}
std::uint16_t Get16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }

template <class T>
std::unique_ptr<TGIFExtension> Create(TGIFSubImage* frame) {
    return std::make_unique<T>(frame);
}
}  // namespace

// --- base -------------------------------------------------------------------

TGIFExtension::TGIFExtension(TGIFSubImage* frame)
    : TGIFItem(frame ? frame->OwnerImage() : nullptr), parentFrame_(frame) {}

TGIFImage* TGIFExtension::OwnerImage() const { return parentFrame_ ? parentFrame_->OwnerImage() : ownerImage_; }

void TGIFExtension::SaveToStream(TStream& stream) {
    const std::uint8_t head[2] = {'!', ExtensionLabel()};
    stream.Write(head, 2);
    SaveBody(stream);
}

void TGIFExtension::LoadFromStream(TStream& stream) {
    std::uint8_t head[2];
    stream.ReadBuffer(head, 2);
    if (head[0] != '!') throw GIFException("Invalid extension introducer");
    if (head[1] != ExtensionLabel())
        throw GIFException("Internal error: Extension Instance does not match Extension Label");
    LoadBody(stream);
}

void TGIFExtensionList::ItemInserted(TGIFItem* item) {
    static_cast<TGIFExtension*>(item)->SetParentFrame(frame_);
}

void WriteLinesAsBlocks(TStream& stream, const std::vector<std::string>& lines) {
    for (const std::string& line : lines) {
        for (std::size_t at = 0; at < line.size(); at += 255) {
            const std::size_t n = std::min<std::size_t>(255, line.size() - at);
            stream.WriteByte(static_cast<std::uint8_t>(n));
            stream.Write(line.data() + at, n);
        }
    }
    stream.WriteByte(0);
}

void ReadLinesFromBlocks(TStream& stream, std::vector<std::string>& lines) {
    lines.clear();
    char block[255];
    for (;;) {
        // A missing length byte at the very end is taken as the end of the lines.
        const int size = stream.ReadByte();
        if (size <= 0) break;
        stream.ReadBuffer(block, static_cast<std::size_t>(size));
        lines.emplace_back(block, std::find(block, block + size, '\0'));
    }
}

// --- graphic control --------------------------------------------------------

const TGIFExtensionClass& TGIFGraphicControlExtension::StaticClass() {
    static const TGIFExtensionClass cls{"TGIFGraphicControlExtension", 0xF9, &Create<TGIFGraphicControlExtension>,
                                        nullptr};
    return cls;
}

TGIFGraphicControlExtension::TGIFGraphicControlExtension(TGIFSubImage* frame) : TGIFExtension(frame) {
    if (frame && !frame->controlExtension_) frame->controlExtension_ = this;
}

TGIFGraphicControlExtension::~TGIFGraphicControlExtension() {
    if (TGIFSubImage* frame = ParentFrame()) {
        if (UsesTransparency()) frame->isTransparent_ = false;
        if (frame->controlExtension_ == this) frame->controlExtension_ = nullptr;
    }
}

void TGIFGraphicControlExtension::SetParentFrame(TGIFSubImage* frame) {
    TGIFSubImage* old = ParentFrame();
    if (frame == old) return;
    if (old) {
        if (UsesTransparency()) old->isTransparent_ = false;
        if (old->controlExtension_ == this) old->controlExtension_ = nullptr;
    }
    TGIFExtension::SetParentFrame(frame);
    if (frame) {
        if (!frame->controlExtension_) frame->controlExtension_ = this;
        if (UsesTransparency()) frame->isTransparent_ = true;
    }
}

void TGIFGraphicControlExtension::SetUsesTransparency(bool value) {
    ControlFlags = static_cast<std::uint8_t>(value ? ControlFlags | 0x01 : ControlFlags & ~0x01);
    if (ParentFrame()) ParentFrame()->isTransparent_ = value;
}

void TGIFGraphicControlExtension::SetWaitForInput(bool value) {
    ControlFlags = static_cast<std::uint8_t>(value ? ControlFlags | 0x02 : ControlFlags & ~0x02);
}

void TGIFGraphicControlExtension::SetDisposalMethod(std::uint8_t value) {
    ControlFlags = static_cast<std::uint8_t>((ControlFlags & ~0x1C) | ((value & 7) << 2));
}

void TGIFGraphicControlExtension::SetTransparentIndex(int value) {
    const int count = ParentFrame() ? ParentFrame()->EffectiveColors()->Count() : 0;
    if (count > 0 && (value < 0 || value >= count)) {
        ReportWarning(1, "Invalid color index");
        value = 0;
    }
    transparentIndex_ = static_cast<std::uint8_t>(value);
}

TColor TGIFGraphicControlExtension::TransparentColor() {
    if (!ParentFrame()) throw GIFException("Color table is empty");
    return ParentFrame()->EffectiveColors()->GetColor(transparentIndex_);
}

void TGIFGraphicControlExtension::SetTransparentColor(TColor color) {
    if (!ParentFrame()) throw GIFException("Color table is empty");
    TGIFColorMap* table = ParentFrame()->EffectiveColors();
    int index = table->FindColor(color);
    if (index < 0) index = table->AddColor(color);
    transparentIndex_ = static_cast<std::uint8_t>(index);
}

void TGIFGraphicControlExtension::SaveBody(TStream& stream) {
    // Always the well-formed block of 4 bytes and its terminator.
    std::uint8_t b[6] = {4, ControlFlags, 0, 0, transparentIndex_, 0};
    Put16(b + 2, DelayTime);
    stream.Write(b, 6);
}

void TGIFGraphicControlExtension::LoadBody(TStream& stream) {
    // The block's own size is honoured, as browsers read it: the fields it holds
    // are taken (missing ones stay 0), and whatever follows them up to the
    // terminator is stepped over, so an odd size does not misplace the rest of
    // the file. A block cut off by the end of the data is tolerated: the frame
    // stays, with nothing taken from it.
    const int size = stream.ReadByte();
    std::uint8_t b[4] = {};
    const std::size_t fields = size < 0 ? 0 : std::min<std::size_t>(static_cast<std::size_t>(size), 4);
    if (size < 0 || stream.Read(b, fields) < fields) {
        ReportWarning(1, "Premature end of data");
        return;
    }
    stream.Seek(std::min<std::int64_t>(size - static_cast<int>(fields), stream.Remaining()));
    int next = stream.ReadByte();
    for (; next > 0; next = stream.ReadByte()) stream.Seek(std::min<std::int64_t>(next, stream.Remaining()));
    if (next < 0) {
        ReportWarning(1, "Premature end of data");
        return;
    }
    BlockSize = static_cast<std::uint8_t>(size);
    ControlFlags = b[0];
    DelayTime = Get16(b + 1);
    transparentIndex_ = b[3];
    Terminator = 0;
    if (UsesTransparency() && ParentFrame()) ParentFrame()->isTransparent_ = true;
}

// --- plain text -------------------------------------------------------------

const TGIFExtensionClass& TGIFTextExtension::StaticClass() {
    static const TGIFExtensionClass cls{"TGIFTextExtension", 0x01, &Create<TGIFTextExtension>, nullptr};
    return cls;
}

void TGIFTextExtension::SaveBody(TStream& stream) {
    std::uint8_t b[13] = {BlockSize};
    Put16(b + 1, GridLeft);
    Put16(b + 3, GridTop);
    Put16(b + 5, GridWidth);
    Put16(b + 7, GridHeight);
    b[9] = CellWidth;
    b[10] = CellHeight;
    b[11] = ForegroundIndex;
    b[12] = TextBackgroundIndex;
    stream.Write(b, 13);
    WriteLinesAsBlocks(stream, Lines);
}

void TGIFTextExtension::LoadBody(TStream& stream) {
    std::uint8_t b[13];
    stream.ReadBuffer(b, 13);
    BlockSize = b[0];
    GridLeft = Get16(b + 1);
    GridTop = Get16(b + 3);
    GridWidth = Get16(b + 5);
    GridHeight = Get16(b + 7);
    CellWidth = b[9];
    CellHeight = b[10];
    ForegroundIndex = b[11];
    TextBackgroundIndex = b[12];
    ReadLinesFromBlocks(stream, Lines);
}

// --- comment ----------------------------------------------------------------

const TGIFExtensionClass& TGIFCommentExtension::StaticClass() {
    static const TGIFExtensionClass cls{"TGIFCommentExtension", 0xFE, &Create<TGIFCommentExtension>, nullptr};
    return cls;
}

// --- application ------------------------------------------------------------

namespace {
// Block size 10 is a known writer mistake: the identifier is then taken as the
// ten bytes and the next one. Sizes above 11 carry an identifier we skip past;
// their data is kept unread so that it survives a round trip.
const TGIFExtensionClass* ResolveApplication(TStream& stream) {
    const int size = stream.ReadByte();
    TGIFAppIdent ident{};
    if (size == 10) {
        if (stream.Read(ident.data(), 10) < 10) return nullptr;
        return &TGIFUnknownAppExtension::StaticClass();
    }
    if (size == 11) {
        if (stream.Read(ident.data(), 11) < 11) return &TGIFUnknownAppExtension::StaticClass();
        const TGIFExtensionClass* cls = FindApplicationClass(ident);
        return cls ? cls : &TGIFUnknownAppExtension::StaticClass();
    }
    if (size > 11) return &TGIFUnknownAppExtension::StaticClass();
    return &TGIFApplicationExtension::StaticClass();
}
}  // namespace

const TGIFExtensionClass& TGIFApplicationExtension::StaticClass() {
    // The base reads no data of its own; an instance of it stands for a block
    // whose header is refused while loading, so it is built as an unknown one.
    static const TGIFExtensionClass cls{"TGIFApplicationExtension", 0xFF, &Create<TGIFUnknownAppExtension>,
                                        &ResolveApplication};
    return cls;
}

void TGIFApplicationExtension::SetAppIdent(const std::string& ident) {
    AppIdent.fill(0);
    std::copy_n(ident.begin(), std::min(ident.size(), AppIdent.size()), AppIdent.begin());
}

void TGIFApplicationExtension::SaveBody(TStream& stream) {
    stream.WriteByte(11);
    stream.Write(AppIdent.data(), AppIdent.size());
    WriteAppData(stream);
}

void TGIFApplicationExtension::LoadBody(TStream& stream) {
    const int size = stream.ReadByte();
    if (size < 0) throw GIFException("Premature end of data");
    if (size < 10) throw GIFException("Unsupported Application Extension block size");
    stream.ReadBuffer(AppIdent.data(), AppIdent.size());
    stream.Seek(size - 11);
    ReadAppData(stream);
}

// --- unknown application ----------------------------------------------------

const TGIFExtensionClass& TGIFUnknownAppExtension::StaticClass() {
    static const TGIFExtensionClass cls{"TGIFUnknownAppExtension", 0xFF, &Create<TGIFUnknownAppExtension>, nullptr};
    return cls;
}

void TGIFUnknownAppExtension::WriteAppData(TStream& stream) {
    for (const TGIFBlock& block : DataBlocks) {
        stream.WriteByte(static_cast<std::uint8_t>(block.Size()));
        stream.Write(block.Data.data(), block.Data.size());
    }
    stream.WriteByte(0);
}

void TGIFUnknownAppExtension::ReadAppData(TStream& stream) {
    DataBlocks.clear();
    for (;;) {
        const int size = stream.ReadByte();
        if (size <= 0) break;
        TGIFBlock block(size);
        stream.ReadBuffer(block.Data.data(), block.Data.size());
        DataBlocks.push_back(std::move(block));
    }
}

// --- looping ----------------------------------------------------------------

const TGIFExtensionClass& TGIFAppExtNSLoop::StaticClass() {
    static const TGIFExtensionClass cls{"TGIFAppExtNSLoop", 0xFF, &Create<TGIFAppExtNSLoop>, nullptr};
    return cls;
}

TGIFAppExtNSLoop::TGIFAppExtNSLoop(TGIFSubImage* frame) : TGIFApplicationExtension(frame) {
    SetAppIdent("NETSCAPE2.0");
}

void TGIFAppExtNSLoop::WriteAppData(TStream& stream) {
    std::uint8_t loop[4] = {3, 1, 0, 0};
    Put16(loop + 2, LoopCount);
    stream.Write(loop, 4);
    if (BufferSize != 0) {
        const std::uint8_t buffer[6] = {5,
                                        2,
                                        static_cast<std::uint8_t>(BufferSize),
                                        static_cast<std::uint8_t>(BufferSize >> 8),
                                        static_cast<std::uint8_t>(BufferSize >> 16),
                                        static_cast<std::uint8_t>(BufferSize >> 24)};
        stream.Write(buffer, 6);
    }
    stream.WriteByte(0);
}

void TGIFAppExtNSLoop::ReadAppData(TStream& stream) {
    std::uint8_t block[255];
    for (;;) {
        std::uint8_t size = 0;
        stream.ReadBuffer(&size, 1);
        if (size == 0) break;
        stream.ReadBuffer(block, size);
        switch (block[0] & 7) {
            case 1:
                // A short looping block is ignored, as browsers ignore it.
                if (size < 3) {
                    ReportWarning(1, "Invalid GIF data");
                    break;
                }
                LoopCount = Get16(block + 1);
                break;
            case 2:
                if (size < 5) {
                    ReportWarning(1, "Invalid GIF data");
                    break;
                }
                BufferSize = std::uint32_t(block[1]) | (std::uint32_t(block[2]) << 8) |
                             (std::uint32_t(block[3]) << 16) | (std::uint32_t(block[4]) << 24);
                break;
            default:
                break;  // other sub-blocks are skipped
        }
    }
}
