#include "painter/FrameCaption.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <map>
#include <utility>

#include "gif/FrameControl.h"
#include "gif/FrameEditLog.h"
#include "gif/GIFImage.h"
#include "gif/GIFSubImage.h"
#include "gif/OptimizeChoices.h"
#include "painter/AnimationResize.h"

namespace {

constexpr std::array<std::pair<TCaptionPlace, const char*>, 9> kPlaceNames{{
    {TCaptionPlace::TopLeft, "top-left"},
    {TCaptionPlace::Top, "top"},
    {TCaptionPlace::TopRight, "top-right"},
    {TCaptionPlace::Left, "left"},
    {TCaptionPlace::Center, "center"},
    {TCaptionPlace::Right, "right"},
    {TCaptionPlace::BottomLeft, "bottom-left"},
    {TCaptionPlace::Bottom, "bottom"},
    {TCaptionPlace::BottomRight, "bottom-right"},
}};

// Edges are drawn in five strengths (none, a quarter ... all), so a caption
// brings few new mixtures into a table.
constexpr int kEdgeLevels = 4;

TColor FromRGB(std::uint32_t rgb) { return MakeColor(std::uint8_t(rgb >> 16), std::uint8_t(rgb >> 8), std::uint8_t(rgb)); }

int Distance(TColor a, TColor b) {
    const int dr = ColorRed(a) - ColorRed(b), dg = ColorGreen(a) - ColorGreen(b), db = ColorBlue(a) - ColorBlue(b);
    return dr * dr + dg * dg + db * db;
}

TColor Mix(TColor under, TColor over, int level) {
    auto channel = [level](int u, int o) { return std::uint8_t((u * (kEdgeLevels - level) + o * level + kEdgeLevels / 2) / kEdgeLevels); };
    return MakeColor(channel(ColorRed(under), ColorRed(over)), channel(ColorGreen(under), ColorGreen(over)),
                     channel(ColorBlue(under), ColorBlue(over)));
}

// One frame's colours as a plain list, with the transparent index left out
// of every search.
class TFrameColors {
public:
    explicit TFrameColors(TGIFSubImage& frame) : frame_(frame) {
        const TGIFColorMap* table = frame.EffectiveColors();
        for (int i = 0; table && i < table->Count(); ++i) {
            const TGIFRGB& e = table->Entry(i);
            colors_.push_back(MakeColor(e.red, e.green, e.blue));
        }
        const TGIFGraphicControlExtension* control = frame.ControlExtension();
        transparent_ = control && control->UsesTransparency() ? control->TransparentIndex() : -1;
    }
    int Transparent() const { return transparent_; }
    TColor Color(int index) const { return std::size_t(index) < colors_.size() ? colors_[std::size_t(index)] : 0; }
    int Find(TColor color) const {
        for (std::size_t i = 0; i < colors_.size(); ++i)
            if (int(i) != transparent_ && colors_[i] == color) return int(i);
        return -1;
    }
    int Nearest(TColor color, int except = -1) const {
        int best = -1, bestDistance = 1 << 30;
        for (std::size_t i = 0; i < colors_.size(); ++i) {
            if (int(i) == transparent_ || int(i) == except) continue;
            const int d = Distance(colors_[i], color);
            if (d < bestDistance) bestDistance = d, best = int(i);
        }
        return best;
    }
    bool Room() const { return colors_.size() < 256; }
    void Add(TColor color) { colors_.push_back(color); }
    // Makes room for one more colour in a full table: the least used entry's
    // pixels take their nearest other entry, and the entry takes `color`.
    bool Replace(TColor color) {
        std::vector<std::uint64_t> use(colors_.size(), 0);
        const std::uint8_t* p = frame_.PixelData();
        for (std::int64_t i = 0; i < frame_.PixelDataSize(); ++i) ++use[std::min<std::size_t>(p[i], use.size() - 1)];
        int least = -1;
        for (std::size_t i = 0; i < colors_.size(); ++i)
            if (int(i) != transparent_ && (least < 0 || use[i] < use[std::size_t(least)])) least = int(i);
        if (least < 0) return false;
        const int into = Nearest(colors_[std::size_t(least)], least);
        if (into < 0) return false;
        std::uint8_t* q = frame_.PixelData();
        for (std::int64_t i = 0; i < frame_.PixelDataSize(); ++i)
            if (q[i] == least) q[i] = std::uint8_t(into);
        colors_[std::size_t(least)] = color;
        return true;
    }
    // The list becomes the frame's own table.
    void Install() {
        frame_.LocalColors().ClearColors();
        for (TColor c : colors_) frame_.LocalColors().AddColor(c);
    }

private:
    TGIFSubImage& frame_;
    std::vector<TColor> colors_;
    int transparent_ = -1;
};

// The caption over one frame that covers the whole screen at 0,0.
void DrawOnFrame(TGIFSubImage& frame, const TRGBAPicture& caption, TPoint origin, const TCaptionColors& main) {
    const int W = frame.Width(), H = frame.Height();
    TFrameColors colors(frame);
    std::uint8_t* pixels = frame.PixelData();
    // What each covered pixel becomes.
    std::vector<std::pair<std::size_t, TColor>> wanted;
    std::map<TColor, std::uint64_t> count;
    for (int y = std::max(0, origin.y); y < std::min(H, origin.y + caption.Height); ++y)
        for (int x = std::max(0, origin.x); x < std::min(W, origin.x + caption.Width); ++x) {
            const std::uint8_t* c = caption.Pixel(x - origin.x, y - origin.y);
            const int level = (c[3] * kEdgeLevels + 127) / 255;
            if (level == 0) continue;
            const std::size_t at = std::size_t(y) * std::size_t(W) + std::size_t(x);
            const TColor over = MakeColor(c[0], c[1], c[2]);
            const bool nothing = pixels[at] == colors.Transparent();
            if (nothing && 2 * level < kEdgeLevels) continue;  // a faint edge over nothing stays nothing
            const TColor color = nothing ? over : Mix(colors.Color(pixels[at]), over, level);
            wanted.emplace_back(at, color);
            ++count[color];
        }
    if (wanted.empty()) return;
    for (const std::optional<std::uint32_t>& rgb : {std::optional<std::uint32_t>(main.Text), main.Outline}) {
        if (!rgb || !count.contains(FromRGB(*rgb)) || colors.Find(FromRGB(*rgb)) >= 0) continue;
        if (colors.Room()) colors.Add(FromRGB(*rgb));
        else colors.Replace(FromRGB(*rgb));
    }
    std::vector<std::pair<std::uint64_t, TColor>> byUse;
    for (const auto& [color, n] : count)
        if (colors.Find(color) < 0) byUse.emplace_back(n, color);
    std::sort(byUse.begin(), byUse.end(), [](const auto& a, const auto& b) { return a.first > b.first || (a.first == b.first && a.second < b.second); });
    for (const auto& entry : byUse) {
        if (!colors.Room()) break;
        colors.Add(entry.second);
    }
    for (const auto& [at, color] : wanted) {
        const int index = colors.Find(color);
        pixels[at] = std::uint8_t(index >= 0 ? index : colors.Nearest(color));
    }
    colors.Install();
    frame.DropBitmap();
    frame.DropMask();
}

bool ShowsNothingAt(const TGIFSubImage& frame, std::size_t at) {
    const TGIFGraphicControlExtension* control = frame.ControlExtension();
    return control && control->UsesTransparency() && frame.PixelData()[at] == control->TransparentIndex();
}

// Whole frames: one is cleared after it where the next shows nothing over
// something it shows (the caption may have drawn on nothing).
void ClearWhereNextShowsNothing(TGIFImage& image) {
    std::vector<TGIFSubImage*> whole;
    for (int i = 0; i < image.Frames().Count(); ++i)
        if (!image.Frames()[i]->IsEmpty()) whole.push_back(image.Frames()[i]);
    for (std::size_t i = 0; i < whole.size(); ++i) {
        TGIFSubImage& frame = *whole[i];
        const TGIFSubImage& next = *whole[(i + 1) % whole.size()];
        const std::size_t size = std::size_t(frame.PixelDataSize());
        for (std::size_t at = 0; at < size; ++at)
            if (ShowsNothingAt(next, at) && !ShowsNothingAt(frame, at)) {
                RequireControl(frame).SetDisposalMethod(2);
                break;
            }
    }
}

}  // namespace

std::optional<TCaptionPlace> CaptionPlaceNamed(std::string_view name) {
    for (const auto& [place, text] : kPlaceNames)
        if (name == text) return place;
    return std::nullopt;
}

std::string CaptionPlaceName(TCaptionPlace place) {
    for (const auto& [value, text] : kPlaceNames)
        if (value == place) return text;
    return "bottom";
}

TPoint CaptionOrigin(int screenWidth, int screenHeight, int width, int height, TCaptionPlace place, int margin) {
    const int column = int(place) % 3, row = int(place) / 3;
    const int x = column == 0 ? margin : column == 1 ? (screenWidth - width) / 2 : screenWidth - width - margin;
    const int y = row == 0 ? margin : row == 1 ? (screenHeight - height) / 2 : screenHeight - height - margin;
    return {x, y};
}

bool AddCaption(TGIFImage& image, const std::vector<int>& frames, const TRGBAPicture& caption, TPoint origin,
                const TCaptionColors& colors, TFrameEditLog& log) {
    const int count = image.Frames().Count();
    const TRect placed = MakeRect(origin.x, origin.y, caption.Width, caption.Height);
    if (count == 0 || caption.Empty() || placed.Intersect({0, 0, image.Width(), image.Height()}).IsEmpty() ||
        std::any_of(frames.begin(), frames.end(), [count](int f) { return f < 0 || f >= count; }))
        return false;
    // Every frame first becomes the whole picture it shows, so the caption
    // is drawn on exactly that; the optimiser then stores only what changes.
    TGIFImage changed;
    changed.Assign(&image);
    FlattenAnimation(changed);
    for (int i = 0; i < count; ++i) {
        TGIFSubImage& frame = *changed.Frames()[i];
        const bool chosen = frames.empty() || std::find(frames.begin(), frames.end(), i) != frames.end();
        if (chosen && !frame.IsEmpty()) DrawOnFrame(frame, caption, origin, colors);
    }
    ClearWhereNextShowsNothing(changed);
    OptimizeCopy(changed, TOptimizeChoices{});
    log.ReplaceImage(image, changed);
    return true;
}
