#include "color/ColorQuantizer.h"

#include <algorithm>

#include "raster/Bitmap.h"

TColorQuantizer::TColorQuantizer(int maxColors, int colorBits)
    : maxColors_(std::max(maxColors, 1)), colorBits_(std::clamp(colorBits, 1, 8)) {}

TOctreeNode* TColorQuantizer::NewNode(int level) {
    TOctreeNode* node;
    if (!free_.empty()) {
        node = free_.back();
        free_.pop_back();
        *node = TOctreeNode{};
    } else {
        node = &pool_.emplace_back();
    }
    node->LeafNode = level == colorBits_;
    if (node->LeafNode) {
        ++leafCount_;
    } else {
        // Pushed on the front: the newest inner node of a level is reduced first.
        node->Next = reducibleNodes_[static_cast<std::size_t>(level)];
        reducibleNodes_[static_cast<std::size_t>(level)] = node;
    }
    return node;
}

void TColorQuantizer::FreeNode(TOctreeNode* node) { free_.push_back(node); }

void TColorQuantizer::AddColor(TOctreeNode*& start, std::uint8_t red, std::uint8_t green, std::uint8_t blue,
                               int startLevel) {
    // Iterative descent: same path as the recursive definition, no call per level.
    TOctreeNode** slot = &start;
    for (int level = startLevel;; ++level) {
        if (*slot == nullptr) *slot = NewNode(level);
        TOctreeNode* node = *slot;
        if (node->LeafNode) {
            ++node->PixelCount;
            node->RedSum += red;
            node->GreenSum += green;
            node->BlueSum += blue;
            return;
        }
        const int shift = 7 - level;
        const int index = (((red >> shift) & 1) << 2) | (((green >> shift) & 1) << 1) | ((blue >> shift) & 1);
        slot = &node->Child[static_cast<std::size_t>(index)];
    }
}

bool TColorQuantizer::ReduceTree() {
    int level = colorBits_ - 1;
    while (level > 0 && reducibleNodes_[static_cast<std::size_t>(level)] == nullptr) --level;
    TOctreeNode* node = reducibleNodes_[static_cast<std::size_t>(level)];
    if (node == nullptr) return false;  // a single leaf is left: nothing to merge
    reducibleNodes_[static_cast<std::size_t>(level)] = node->Next;
    node->Next = nullptr;

    int children = 0;
    for (TOctreeNode*& child : node->Child) {
        if (child == nullptr) continue;
        node->PixelCount += child->PixelCount;
        node->RedSum += child->RedSum;
        node->GreenSum += child->GreenSum;
        node->BlueSum += child->BlueSum;
        FreeNode(child);
        child = nullptr;
        ++children;
    }
    node->LeafNode = true;
    leafCount_ = leafCount_ - children + 1;
    return true;
}

std::vector<TRGBQuad> TColorQuantizer::GetColorTable() const {
    std::vector<TRGBQuad> table;
    table.reserve(static_cast<std::size_t>(leafCount_));
    // Explicit stack, children pushed in reverse so they pop in index order.
    std::vector<const TOctreeNode*> stack;
    if (root_) stack.push_back(root_);
    while (!stack.empty()) {
        const TOctreeNode* node = stack.back();
        stack.pop_back();
        if (node->LeafNode) {
            TRGBQuad q;
            if (node->PixelCount > 0) {
                q.red = static_cast<std::uint8_t>(node->RedSum / node->PixelCount);
                q.green = static_cast<std::uint8_t>(node->GreenSum / node->PixelCount);
                q.blue = static_cast<std::uint8_t>(node->BlueSum / node->PixelCount);
            }
            table.push_back(q);
            continue;
        }
        for (int i = 7; i >= 0; --i)
            if (const TOctreeNode* c = node->Child[static_cast<std::size_t>(i)]) stack.push_back(c);
    }
    return table;
}

void TColorQuantizer::ProcessImage(const TBitmap& bitmap) {
    if (bitmap.Empty()) return;
    const TBitmap* source = &bitmap;
    TBitmap converted;
    if (bitmap.PixelFormat() != pf24bit && bitmap.PixelFormat() != pf32bit) {
        converted = bitmap;
        converted.SetPixelFormat(pf24bit);
        source = &converted;
    }
    const int step = source->PixelFormat() == pf32bit ? 4 : 3;
    for (int y = 0; y < source->Height(); ++y) {
        const std::uint8_t* p = source->ScanLine(y);
        for (int x = 0; x < source->Width(); ++x, p += step) AddPixel(p[2], p[1], p[0]);
    }
}
