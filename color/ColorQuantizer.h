#pragma once
// Octree colour quantisation: builds an adaptive palette of at most MaxColors
// colours from a picture's pixels.
//
// Every pixel descends the tree by one bit per channel and level; whenever the
// tree holds more leaves than allowed, the most recently created inner node of
// the deepest level that still has one is folded into a leaf. Which nodes merge,
// and the depth-first order of the colour table, are fixed so the palettes are
// reproducible.

#include <array>
#include <cstdint>
#include <deque>
#include <vector>

class TBitmap;

struct TOctreeNode {
    bool LeafNode = false;
    std::uint32_t PixelCount = 0;
    std::uint64_t RedSum = 0;  // 64-bit: a big single-colour picture overflows 32 bits
    std::uint64_t GreenSum = 0;
    std::uint64_t BlueSum = 0;
    std::array<TOctreeNode*, 8> Child{};  // owned by the quantiser's node pool
    TOctreeNode* Next = nullptr;          // next reducible node of the same level
};

// One palette colour (the window system's RGB quad, reserved byte 0).
struct TRGBQuad {
    std::uint8_t blue = 0;
    std::uint8_t green = 0;
    std::uint8_t red = 0;
    std::uint8_t reserved = 0;
    friend bool operator==(const TRGBQuad&, const TRGBQuad&) = default;
};

class TColorQuantizer {
public:
    // maxColors: the leaf limit (at least 1 is kept); colorBits: tree depth 1..8.
    TColorQuantizer(int maxColors, int colorBits);
    TColorQuantizer(const TColorQuantizer&) = delete;
    TColorQuantizer& operator=(const TColorQuantizer&) = delete;

    // Adds every pixel of a 24 or 32-bit bitmap, rows from the top, pixels from
    // the left. Other formats are read through a 24-bit copy.
    void ProcessImage(const TBitmap& bitmap);
    // Adds one pixel colour and reduces the tree back to the limit.
    void AddPixel(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
        AddColor(root_, red, green, blue, 0);
        while (leafCount_ > maxColors_ && ReduceTree()) {
        }
    }

    // The colours in depth-first order, children 0..7 (red bit * 4 + green bit * 2
    // + blue bit); each is its leaf's average, truncated.
    std::vector<TRGBQuad> GetColorTable() const;

    int LeafCount() const { return leafCount_; }
    int MaxColors() const { return maxColors_; }
    int ColorBits() const { return colorBits_; }

private:
    void AddColor(TOctreeNode*& node, std::uint8_t red, std::uint8_t green, std::uint8_t blue, int level);
    TOctreeNode* NewNode(int level);
    void FreeNode(TOctreeNode* node);
    bool ReduceTree();

    TOctreeNode* root_ = nullptr;
    int leafCount_ = 0;
    std::array<TOctreeNode*, 9> reducibleNodes_{};
    int maxColors_;
    int colorBits_;
    // Nodes live in a pool (stable addresses) and are recycled through a free
    // list, so a long picture does not allocate per new colour once warm.
    std::deque<TOctreeNode> pool_;
    std::vector<TOctreeNode*> free_;
};
