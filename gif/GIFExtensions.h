#pragma once
// Extension blocks: the blocks that precede a frame's image in the file (graphic
// control, comment, plain text, application extensions). Each reads and writes
// itself; the reader picks the class through the registries in
// GIFExtensionRegistry.h.

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "gif/GIFItem.h"

class TGIFExtension;
class TGIFSubImage;

// The class of an extension as a value: what the reader needs to pick and build
// the right object before it exists.
struct TGIFExtensionClass {
    const char* name;
    std::uint8_t label;
    // Builds an instance for the frame (not yet added to its list).
    std::unique_ptr<TGIFExtension> (*create)(TGIFSubImage* frame);
    // Asked with the stream just after the label; answers a more specific class,
    // this class, or null when nothing fits. Null here: always this class.
    const TGIFExtensionClass* (*resolve)(TStream& stream);
};

class TGIFExtension : public TGIFItem {
public:
    explicit TGIFExtension(TGIFSubImage* frame);
    const char* ClassName() const override { return "TGIFExtension"; }

    TGIFSubImage* ParentFrame() const { return parentFrame_; }
    // Moves the extension to another frame (done when it joins that frame's list).
    virtual void SetParentFrame(TGIFSubImage* frame) { parentFrame_ = frame; }
    // The frame's image.
    TGIFImage* OwnerImage() const override;
    TGIFVersion RequiredVersion() const override { return gv89a; }
    virtual std::uint8_t ExtensionLabel() const = 0;
    virtual const TGIFExtensionClass& Class() const = 0;

    // Introducer, label, then the body.
    void SaveToStream(TStream& stream) override;
    // Checks introducer ("Invalid extension introducer") and label ("Internal
    // error: Extension Instance does not match Extension Label"), then the body.
    void LoadFromStream(TStream& stream) override;

protected:
    virtual void SaveBody(TStream& stream) = 0;
    virtual void LoadBody(TStream& stream) = 0;

private:
    friend class TGIFSubImage;
    TGIFSubImage* parentFrame_;
};

// A frame's extensions. An extension taken over from another frame's list
// becomes this frame's, so the frames' control links stay right.
class TGIFExtensionList : public TGIFTypedList<TGIFExtension> {
public:
    TGIFExtensionList(TGIFImage* owner, TGIFSubImage* frame) : TGIFTypedList(owner), frame_(frame) {}
    const char* ClassName() const override { return "TGIFExtensionList"; }
    TGIFSubImage* Frame() const { return frame_; }

protected:
    void ItemInserted(TGIFItem* item) override;

private:
    TGIFSubImage* frame_;
};

// Text lines as data sub-blocks: a line is cut into pieces of at most 255 bytes,
// one sub-block each; an empty line writes nothing; a zero byte ends the list.
// Read back, each sub-block is one line (cut at its first NUL).
void WriteLinesAsBlocks(TStream& stream, const std::vector<std::string>& lines);
void ReadLinesFromBlocks(TStream& stream, std::vector<std::string>& lines);

class TGIFGraphicControlExtension : public TGIFExtension {
public:
    static const TGIFExtensionClass& StaticClass();
    explicit TGIFGraphicControlExtension(TGIFSubImage* frame);
    ~TGIFGraphicControlExtension() override;
    void SetParentFrame(TGIFSubImage* frame) override;
    const char* ClassName() const override { return "TGIFGraphicControlExtension"; }
    std::uint8_t ExtensionLabel() const override { return 0xF9; }
    const TGIFExtensionClass& Class() const override { return StaticClass(); }

    // The six bytes as stored: block size, flags, delay (2), index, terminator.
    std::uint8_t BlockSize = 4;
    std::uint8_t ControlFlags = 0;  // bits 2-4 disposal, bit 1 user input, bit 0 transparency
    std::uint16_t DelayTime = 0;    // hundredths of a second
    std::uint8_t Terminator = 0;

    bool UsesTransparency() const { return (ControlFlags & 0x01) != 0; }
    // Also sets the frame's IsTransparent.
    void SetUsesTransparency(bool value);
    bool WaitForInput() const { return (ControlFlags & 0x02) != 0; }
    void SetWaitForInput(bool value);
    std::uint8_t DisposalMethod() const { return (ControlFlags >> 2) & 7; }
    void SetDisposalMethod(std::uint8_t value);

    std::uint8_t TransparentIndex() const { return transparentIndex_; }
    // An index beyond a non-empty effective table warns "Invalid color index"
    // and stores 0.
    void SetTransparentIndex(int value);
    TColor TransparentColor();
    // Finds the colour in the effective table or adds it (which may raise
    // "Color table overflow").
    void SetTransparentColor(TColor color);

protected:
    void SaveBody(TStream& stream) override;
    void LoadBody(TStream& stream) override;

private:
    friend class TGIFSubImage;
    std::uint8_t transparentIndex_ = 0;
};

class TGIFTextExtension : public TGIFExtension {
public:
    static const TGIFExtensionClass& StaticClass();
    explicit TGIFTextExtension(TGIFSubImage* frame) : TGIFExtension(frame) {}
    const char* ClassName() const override { return "TGIFTextExtension"; }
    std::uint8_t ExtensionLabel() const override { return 0x01; }
    const TGIFExtensionClass& Class() const override { return StaticClass(); }

    std::vector<std::string> Lines;
    std::uint8_t BlockSize = 12;
    std::uint16_t GridLeft = 0, GridTop = 0, GridWidth = 0, GridHeight = 0;
    std::uint8_t CellWidth = 0, CellHeight = 0, ForegroundIndex = 0, TextBackgroundIndex = 0;

protected:
    void SaveBody(TStream& stream) override;
    void LoadBody(TStream& stream) override;
};

class TGIFCommentExtension : public TGIFExtension {
public:
    static const TGIFExtensionClass& StaticClass();
    explicit TGIFCommentExtension(TGIFSubImage* frame) : TGIFExtension(frame) {}
    const char* ClassName() const override { return "TGIFCommentExtension"; }
    std::uint8_t ExtensionLabel() const override { return 0xFE; }
    const TGIFExtensionClass& Class() const override { return StaticClass(); }

    std::vector<std::string> Lines;

protected:
    void SaveBody(TStream& stream) override { WriteLinesAsBlocks(stream, Lines); }
    void LoadBody(TStream& stream) override { ReadLinesFromBlocks(stream, Lines); }
};

using TGIFAppIdent = std::array<std::uint8_t, 11>;

// Application extensions: an 11-byte identifier (8 bytes of name, 3 of
// authentication code) and data sub-blocks the subclass reads and writes.
class TGIFApplicationExtension : public TGIFExtension {
public:
    static const TGIFExtensionClass& StaticClass();
    explicit TGIFApplicationExtension(TGIFSubImage* frame) : TGIFExtension(frame) {}
    const char* ClassName() const override { return "TGIFApplicationExtension"; }
    std::uint8_t ExtensionLabel() const override { return 0xFF; }
    const TGIFExtensionClass& Class() const override { return StaticClass(); }

    TGIFAppIdent AppIdent{};
    // The identifier as text (all 11 bytes, NULs kept).
    std::string AppIdentText() const { return std::string(AppIdent.begin(), AppIdent.end()); }
    void SetAppIdent(const std::string& ident);

    virtual void WriteAppData(TStream& stream) = 0;
    virtual void ReadAppData(TStream& stream) = 0;

protected:
    void SaveBody(TStream& stream) override;
    void LoadBody(TStream& stream) override;
};

// One data sub-block of an application extension nobody interprets.
struct TGIFBlock {
    explicit TGIFBlock(int size) : Data(static_cast<std::size_t>(size), 0) {}
    int Size() const { return static_cast<int>(Data.size()); }
    std::vector<std::uint8_t> Data;
};

class TGIFUnknownAppExtension : public TGIFApplicationExtension {
public:
    static const TGIFExtensionClass& StaticClass();
    explicit TGIFUnknownAppExtension(TGIFSubImage* frame) : TGIFApplicationExtension(frame) {}
    const char* ClassName() const override { return "TGIFUnknownAppExtension"; }
    const TGIFExtensionClass& Class() const override { return StaticClass(); }

    std::vector<TGIFBlock> DataBlocks;

    void WriteAppData(TStream& stream) override;
    void ReadAppData(TStream& stream) override;
};

// The looping extension ("NETSCAPE2.0", also read as "ANIMEXTS1.0").
class TGIFAppExtNSLoop : public TGIFApplicationExtension {
public:
    static const TGIFExtensionClass& StaticClass();
    explicit TGIFAppExtNSLoop(TGIFSubImage* frame);
    const char* ClassName() const override { return "TGIFAppExtNSLoop"; }
    const TGIFExtensionClass& Class() const override { return StaticClass(); }

    std::uint16_t LoopCount = 0;  // repetitions; 0 = without end
    std::uint32_t BufferSize = 0;

    void WriteAppData(TStream& stream) override;
    void ReadAppData(TStream& stream) override;
};
