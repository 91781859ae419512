#include "gif/FrameEditLog.h"

#include "gif/GIFImage.h"
#include "gif/ImageContents.h"

#include <algorithm>
#include <cstring>

struct TFrameEditLog::TChange {
    virtual ~TChange() = default;
    virtual void Undo(TGIFImage& image) = 0;
    virtual void Redo(TGIFImage& image) = 0;
};

namespace {
using TChange = TFrameEditLog::TChange;

// A frame that is in the animation after Redo and out (held here) after Undo.
struct TFrameIn : TChange {
    int Index;
    std::unique_ptr<TGIFSubImage> Held;
    explicit TFrameIn(int index) : Index(index) {}
    void Undo(TGIFImage& image) override { Held = image.Frames().Extract(Index); }
    void Redo(TGIFImage& image) override { image.Frames().Insert(Index, std::move(Held)); }
};

struct TFrameOut : TChange {
    TFrameIn In;
    explicit TFrameOut(int index) : In(index) {}
    void Undo(TGIFImage& image) override { In.Redo(image); }
    void Redo(TGIFImage& image) override { In.Undo(image); }
};

struct TFrameMove : TChange {
    int From, To;
    TFrameMove(int from, int to) : From(from), To(to) {}
    void Undo(TGIFImage& image) override { image.Frames().Move(To, From); }
    void Redo(TGIFImage& image) override { image.Frames().Move(From, To); }
};

// An extension present at Index of Frame's list after Redo.
struct TExtensionIn : TChange {
    TGIFSubImage* Frame; // stays alive: the frame is in the animation or held by an older change
    int Index;
    std::unique_ptr<TGIFExtension> Held;
    TExtensionIn(TGIFSubImage* frame, int index) : Frame(frame), Index(index) {}
    void Undo(TGIFImage&) override { Held = Frame->ExtensionBlocks().Extract(Index); }
    void Redo(TGIFImage&) override { Frame->ExtensionBlocks().Insert(Index, std::move(Held)); }
};

struct TExtensionOut : TChange {
    TExtensionIn In;
    TExtensionOut(TGIFSubImage* frame, int index) : In(frame, index) {}
    void Undo(TGIFImage& image) override { In.Redo(image); }
    void Redo(TGIFImage& image) override { In.Undo(image); }
};

struct TScreenSize : TChange {
    std::uint16_t OldWidth, OldHeight, NewWidth, NewHeight;
    void Undo(TGIFImage& image) override {
        image.Header().ScreenWidth = OldWidth;
        image.Header().ScreenHeight = OldHeight;
    }
    void Redo(TGIFImage& image) override {
        image.Header().ScreenWidth = NewWidth;
        image.Header().ScreenHeight = NewHeight;
    }
};

struct TEncodingChange : TChange {
    TGIFEncoding Old, New;
    void Undo(TGIFImage& image) override { image.Encoding = Old; }
    void Redo(TGIFImage& image) override { image.Encoding = New; }
};

// The colours of a whole animation at one moment.
struct TColorState {
    struct TTable {
        std::vector<TGIFRGB> Entries;
        bool Sorted = false;
    };
    struct TFrameColors {
        TGIFSubImage* Frame;
        TTable Table;
        std::vector<std::uint8_t> Pixels;
        int TransparentIndex = -1;
    };
    TTable Global;
    std::uint8_t Background = 0;
    std::vector<TFrameColors> Frames;

    static TTable TableOf(const TGIFColorMap& map) {
        return {{map.Entries(), map.Entries() + map.Count()}, map.Sorted()};
    }
    static void SetTable(TGIFColorMap& map, const TTable& table) {
        map.ClearColors();
        for (const TGIFRGB& c : table.Entries)
            map.AddColor(TColor(c.red) | (TColor(c.green) << 8) | (TColor(c.blue) << 16));
        map.SetSorted(table.Sorted);
    }

    void Capture(TGIFImage& image) {
        Global = TableOf(image.GlobalColors());
        Background = image.Header().BackgroundIndex;
        Frames.clear();
        for (int i = 0; i < image.Frames().Count(); ++i) {
            TGIFSubImage* f = image.Frames()[i];
            TFrameColors c{f, TableOf(f->LocalColors()), {}, -1};
            if (f->PixelData())
                c.Pixels.assign(f->PixelData(), f->PixelData() + f->PixelDataSize());
            if (f->ControlExtension())
                c.TransparentIndex = f->ControlExtension()->TransparentIndex();
            Frames.push_back(std::move(c));
        }
    }
    void Restore(TGIFImage& image) const {
        SetTable(image.GlobalColors(), Global);
        image.Header().BackgroundIndex = Background;
        for (const TFrameColors& c : Frames) {
            SetTable(c.Frame->LocalColors(), c.Table);
            if (!c.Pixels.empty() && static_cast<std::int64_t>(c.Pixels.size()) == c.Frame->PixelDataSize())
                std::memcpy(c.Frame->PixelData(), c.Pixels.data(), c.Pixels.size());
            if (c.TransparentIndex >= 0 && c.Frame->ControlExtension())
                c.Frame->ControlExtension()->SetTransparentIndex(c.TransparentIndex);
            c.Frame->DropBitmap();
            c.Frame->DropMask();
        }
        image.FlatBitmap.reset();
    }
};

// What the properties of one frame are at one moment.
struct TPropertyState {
    std::uint16_t Left = 0, Top = 0;
    std::uint8_t DescriptorFlags = 0;
    bool HasControl = false;
    std::uint8_t ControlFlags = 0;
    std::uint16_t Delay = 0;
    int TransparentIndex = 0;
    TColorState::TTable Local, Global;

    void Capture(TGIFImage& image, TGIFSubImage& f) {
        Left = f.Left();
        Top = f.Top();
        DescriptorFlags = f.DescriptorFlags();
        const TGIFGraphicControlExtension* c = f.ControlExtension();
        HasControl = c != nullptr;
        if (c) {
            ControlFlags = c->ControlFlags;
            Delay = c->DelayTime;
            TransparentIndex = c->TransparentIndex();
        }
        Local = TColorState::TableOf(f.LocalColors());
        Global = TColorState::TableOf(image.GlobalColors());
    }
    void Restore(TGIFImage& image, TGIFSubImage& f) const {
        TColorState::SetTable(image.GlobalColors(), Global);
        TColorState::SetTable(f.LocalColors(), Local);
        // Placement without a new size keeps the pixels.
        f.PlaceFrame(Left, Top, f.Width(), f.Height());
        f.SetDescriptorFlags(DescriptorFlags);
        if (TGIFGraphicControlExtension* c = f.ControlExtension(); c && HasControl) {
            c->DelayTime = Delay;
            c->SetTransparentIndex(TransparentIndex);
            c->SetUsesTransparency((ControlFlags & 1) != 0);
            c->ControlFlags = ControlFlags;
        }
        f.DropBitmap();
        f.DropMask();
    }
};

struct TProperties : TChange {
    TGIFSubImage* Frame;
    TPropertyState Before, After;
    explicit TProperties(TGIFSubImage* frame) : Frame(frame) {}
    void Undo(TGIFImage& image) override { Before.Restore(image, *Frame); }
    void Redo(TGIFImage& image) override { After.Restore(image, *Frame); }
};

struct TColors : TChange {
    TColorState Before, After;
    // Frames the change left as they were need not be kept twice.
    void DropUnchangedFrames() {
        auto same = [](const TColorState::TFrameColors& a, const TColorState::TFrameColors& b) {
            return a.Frame == b.Frame && a.Table.Entries == b.Table.Entries && a.Table.Sorted == b.Table.Sorted &&
                   a.Pixels == b.Pixels && a.TransparentIndex == b.TransparentIndex;
        };
        std::vector<TColorState::TFrameColors> before, after;
        for (auto& b : Before.Frames) {
            auto a = std::find_if(After.Frames.begin(), After.Frames.end(),
                                  [&b](const TColorState::TFrameColors& x) { return x.Frame == b.Frame; });
            if (a != After.Frames.end() && same(b, *a)) {
                After.Frames.erase(a);
                continue;
            }
            before.push_back(std::move(b));
        }
        Before.Frames = std::move(before);
    }
    void Undo(TGIFImage& image) override { Before.Restore(image); }
    void Redo(TGIFImage& image) override { After.Restore(image); }
};
} // namespace

TFrameEditLog::TFrameEditLog() = default;
TFrameEditLog::~TFrameEditLog() = default;
TFrameEditLog::TFrameEditLog(TFrameEditLog&&) noexcept = default;
TFrameEditLog& TFrameEditLog::operator=(TFrameEditLog&&) noexcept = default;

void TFrameEditLog::RemoveFrame(TGIFImage& image, int index) {
    auto change = std::make_unique<TFrameOut>(index);
    change->Redo(image);
    changes_.push_back(std::move(change));
}

void TFrameEditLog::FrameAdded(TGIFImage&, int index) {
    changes_.push_back(std::make_unique<TFrameIn>(index));
}

void TFrameEditLog::MoveFrame(TGIFImage& image, int from, int to) {
    if (from == to)
        return;
    auto change = std::make_unique<TFrameMove>(from, to);
    change->Redo(image);
    changes_.push_back(std::move(change));
}

int TFrameEditLog::TakeLoop(TGIFImage& image) {
    if (image.Frames().Count() == 0)
        return 0;
    TGIFSubImage* first = image.Frames()[0];
    TGIFExtensionList& list = first->ExtensionBlocks();
    for (int e = 0; e < list.Count(); ++e)
        if (auto* loop = dynamic_cast<TGIFAppExtNSLoop*>(list[e])) {
            const int count = loop->LoopCount;
            auto change = std::make_unique<TExtensionOut>(first, e);
            change->Redo(image);
            changes_.push_back(std::move(change));
            return count;
        }
    return 0;
}

void TFrameEditLog::GiveLoop(TGIFImage& image, int count) {
    if (image.Frames().Count() == 0)
        return;
    TGIFSubImage* first = image.Frames()[0];
    auto loop = std::make_unique<TGIFAppExtNSLoop>(first);
    loop->LoopCount = static_cast<std::uint16_t>(std::clamp(count, 0, 0xFFFF));
    first->ExtensionBlocks().Insert(0, std::move(loop));
    ExtensionAdded(*first, 0);
}

void TFrameEditLog::MoveFrameKeepingLoop(TGIFImage& image, int from, int to) {
    const int count = image.Frames().Count();
    if (from < 0 || from >= count || to < 0 || to >= count || from == to)
        return;
    const bool touchesFirst = from == 0 || to == 0;
    const int loops = touchesFirst ? TakeLoop(image) : 0;
    MoveFrame(image, from, to);
    if (touchesFirst)
        GiveLoop(image, loops);
}

void TFrameEditLog::ExtensionAdded(TGIFSubImage& frame, int index) {
    changes_.push_back(std::make_unique<TExtensionIn>(&frame, index));
}

void TFrameEditLog::RemoveExtension(TGIFSubImage& frame, int index) {
    if (index < 0 || index >= frame.ExtensionBlocks().Count())
        return;
    auto change = std::make_unique<TExtensionOut>(&frame, index);
    change->In.Held = frame.ExtensionBlocks().Extract(index);
    changes_.push_back(std::move(change));
}

namespace {
struct TCommentText : TChange {
    TGIFCommentExtension* Comment; // alive: in its frame, or held by a later change of this log
    std::vector<std::string> Other;
    void Undo(TGIFImage&) override { std::swap(Comment->Lines, Other); }
    void Redo(TGIFImage&) override { std::swap(Comment->Lines, Other); }
};
}  // namespace

void TFrameEditLog::SetCommentLines(TGIFCommentExtension& comment, std::vector<std::string> lines) {
    auto change = std::make_unique<TCommentText>();
    change->Comment = &comment;
    change->Other = std::move(lines);
    std::swap(comment.Lines, change->Other);
    changes_.push_back(std::move(change));
}

namespace {
// The whole animation before a change that rewrites all of it; each Undo or
// Redo trades the held animation with the document's.
struct TWholeImage : TChange {
    TGIFImage Held;
    void Undo(TGIFImage& image) override { TradeImageContents(image, Held); }
    void Redo(TGIFImage& image) override { TradeImageContents(image, Held); }
};
}  // namespace

void TFrameEditLog::ReplaceImage(TGIFImage& image, TGIFImage& replacement) {
    auto change = std::make_unique<TWholeImage>();
    TradeImageContents(change->Held, replacement);
    change->Redo(image);
    changes_.push_back(std::move(change));
}

void TFrameEditLog::SetScreenSize(TGIFImage& image, int width, int height) {
    auto change = std::make_unique<TScreenSize>();
    change->OldWidth = image.Header().ScreenWidth;
    change->OldHeight = image.Header().ScreenHeight;
    change->NewWidth = static_cast<std::uint16_t>(std::clamp(width, 0, 0xFFFF));
    change->NewHeight = static_cast<std::uint16_t>(std::clamp(height, 0, 0xFFFF));
    change->Redo(image);
    changes_.push_back(std::move(change));
}

void TFrameEditLog::SetEncoding(TGIFImage& image, TGIFEncoding encoding) {
    auto change = std::make_unique<TEncodingChange>();
    change->Old = image.Encoding;
    change->New = encoding;
    change->Redo(image);
    changes_.push_back(std::move(change));
}

void TFrameEditLog::Colors(TGIFImage& image) {
    auto change = std::make_unique<TColors>();
    change->Before.Capture(image);
    changes_.push_back(std::move(change));
}

void TFrameEditLog::ColorsChanged(TGIFImage& image) {
    for (auto it = changes_.rbegin(); it != changes_.rend(); ++it)
        if (auto* colors = dynamic_cast<TColors*>(it->get())) {
            colors->After.Capture(image);
            colors->DropUnchangedFrames();
            return;
        }
}

void TFrameEditLog::Undo(TGIFImage& image) {
    image.StopPainting();
    for (auto it = changes_.rbegin(); it != changes_.rend(); ++it)
        (*it)->Undo(image);
    image.FlatBitmap.reset();
}

void TFrameEditLog::Redo(TGIFImage& image) {
    image.StopPainting();
    for (auto& change : changes_)
        change->Redo(image);
    image.FlatBitmap.reset();
}

void TFrameEditLog::FrameProperties(TGIFImage& image, TGIFSubImage& frame) {
    auto change = std::make_unique<TProperties>(&frame);
    change->Before.Capture(image, frame);
    changes_.push_back(std::move(change));
}

void TFrameEditLog::FramePropertiesChanged(TGIFImage& image) {
    for (auto it = changes_.rbegin(); it != changes_.rend(); ++it)
        if (auto* p = dynamic_cast<TProperties*>(it->get())) {
            p->After.Capture(image, *p->Frame);
            return;
        }
}
