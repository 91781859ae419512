// Octree quantisation: hand-worked trees and a plain recursive reference.

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>
#include <set>
#include <vector>

#include "color/ColorQuantizer.h"
#include "raster/Bitmap.h"

namespace {

struct RGB {
    int r, g, b;
    friend bool operator==(const RGB&, const RGB&) = default;
};

std::ostream& operator<<(std::ostream& os, const RGB& c) { return os << '(' << c.r << ',' << c.g << ',' << c.b << ')'; }

// A reference octree written the obvious way: owning children, per-level
// stacks whose back is the most recently created inner node.
class RefOctree {
public:
    RefOctree(int maxColors, int bits) : max_(maxColors), bits_(bits) {}
    void Add(RGB c) {
        Add(root_, c, 0);
        while (leaves_ > max_) Reduce();
    }
    std::vector<RGB> Table() const {
        std::vector<RGB> out;
        Walk(root_.get(), out);
        return out;
    }

private:
    struct Node {
        bool leaf = false;
        long long n = 0, r = 0, g = 0, b = 0;
        std::unique_ptr<Node> child[8];
    };
    void Add(std::unique_ptr<Node>& node, RGB c, int level) {
        if (!node) {
            node = std::make_unique<Node>();
            node->leaf = level == bits_;
            if (node->leaf)
                ++leaves_;
            else
                reducible_[level].push_back(node.get());
        }
        if (node->leaf) {
            ++node->n;
            node->r += c.r;
            node->g += c.g;
            node->b += c.b;
            return;
        }
        const int bit = 0x80 >> level;
        const int i = ((c.r & bit) ? 4 : 0) + ((c.g & bit) ? 2 : 0) + ((c.b & bit) ? 1 : 0);
        Add(node->child[i], c, level + 1);
    }
    void Reduce() {
        int level = bits_ - 1;
        while (level > 0 && reducible_[level].empty()) --level;
        Node* n = reducible_[level].back();
        reducible_[level].pop_back();
        int count = 0;
        for (auto& c : n->child) {
            if (!c) continue;
            n->n += c->n;
            n->r += c->r;
            n->g += c->g;
            n->b += c->b;
            c.reset();
            ++count;
        }
        n->leaf = true;
        leaves_ += 1 - count;
    }
    static void Walk(const Node* n, std::vector<RGB>& out) {
        if (!n) return;
        if (n->leaf) {
            out.push_back(n->n ? RGB{int(n->r / n->n), int(n->g / n->n), int(n->b / n->n)} : RGB{0, 0, 0});
            return;
        }
        for (const auto& c : n->child) Walk(c.get(), out);
    }

    std::unique_ptr<Node> root_;
    std::vector<Node*> reducible_[8];
    int leaves_ = 0;
    int max_, bits_;
};

std::vector<RGB> TableOf(const TColorQuantizer& q) {
    std::vector<RGB> out;
    for (const TRGBQuad& c : q.GetColorTable()) out.push_back({c.red, c.green, c.blue});
    return out;
}

// Octree order of exact colours: the bits interleaved from the top, red first.
unsigned OctreeKey(RGB c) {
    unsigned key = 0;
    for (int level = 0; level < 8; ++level) {
        const int bit = 0x80 >> level;
        key = (key << 3) | ((c.r & bit) ? 4u : 0u) | ((c.g & bit) ? 2u : 0u) | ((c.b & bit) ? 1u : 0u);
    }
    return key;
}

}  // namespace

TEST(ColorQuantizer, FewColoursComeBackExactlyInOctreeOrder) {
    const std::vector<RGB> colours = {{255, 0, 0}, {0, 0, 1}, {0, 0, 0}, {128, 128, 128}, {127, 127, 127}, {0, 255, 0}};
    TColorQuantizer q(256, 8);
    for (int repeat = 0; repeat < 3; ++repeat)
        for (RGB c : colours)
            q.AddPixel(static_cast<std::uint8_t>(c.r), static_cast<std::uint8_t>(c.g), static_cast<std::uint8_t>(c.b));
    std::vector<RGB> want = colours;
    std::sort(want.begin(), want.end(), [](RGB a, RGB b) { return OctreeKey(a) < OctreeKey(b); });
    EXPECT_EQ(TableOf(q), want);
    EXPECT_EQ(q.LeafCount(), 6);
}

TEST(ColorQuantizer, ReductionMergesNewestDeepestNodeFirst) {
    // Limit 2. A = black twice, B = (0, 0, 3) once: their paths split at level 6.
    // C = white makes a third leaf. The level-7 nodes fold newest first (C's, B's,
    // A's: one child each, still three leaves), then C's level-6 node, then the
    // level-6 node A and B share: two leaves, A and B merged into (0, 0, 3/3 = 1).
    TColorQuantizer q(2, 8);
    q.AddPixel(0, 0, 0);
    q.AddPixel(0, 0, 0);
    q.AddPixel(0, 0, 3);
    EXPECT_EQ(q.LeafCount(), 2);
    q.AddPixel(255, 255, 255);
    EXPECT_EQ(q.LeafCount(), 2);
    EXPECT_EQ(TableOf(q), (std::vector<RGB>{{0, 0, 1}, {255, 255, 255}}));
}

TEST(ColorQuantizer, LowestBitNeighboursStayApartBelowTheLimit) {
    TColorQuantizer q(256, 8);
    std::set<unsigned> distinct;
    for (int i = 0; i < 100; ++i) {
        q.AddPixel(static_cast<std::uint8_t>(2 * i), 50, 60);
        q.AddPixel(static_cast<std::uint8_t>(2 * i + 1), 50, 60);
    }
    const auto table = TableOf(q);
    ASSERT_EQ(table.size(), 200u);
    for (std::size_t i = 0; i < table.size(); ++i) EXPECT_EQ(table[i].r, static_cast<int>(i)) << "entry " << i;
}

TEST(ColorQuantizer, MatchesReferenceOnRandomPictures) {
    std::mt19937 rng(11);
    for (int maxColors : {1, 2, 7, 16, 236, 256}) {
        for (int bits : {8, 5}) {
            TColorQuantizer q(maxColors, bits);
            RefOctree ref(maxColors, bits);
            for (int i = 0; i < 6000; ++i) {
                // Clustered colours so merges happen at several depths.
                const int base = static_cast<int>(rng() % 4) * 60;
                const RGB c{base + static_cast<int>(rng() % 40), base / 2 + static_cast<int>(rng() % 90),
                            static_cast<int>(rng() % 256)};
                q.AddPixel(static_cast<std::uint8_t>(c.r), static_cast<std::uint8_t>(c.g), static_cast<std::uint8_t>(c.b));
                ref.Add(c);
                ASSERT_LE(q.LeafCount(), maxColors) << "pixel " << i;
            }
            EXPECT_EQ(TableOf(q), ref.Table()) << "limit " << maxColors << " bits " << bits;
        }
    }
}

TEST(ColorQuantizer, ProcessImageReadsRowsTopDownBgr) {
    TBitmap bmp(3, 2, pf24bit);
    bmp.SetPixel(0, 0, RGBColor(10, 20, 30));
    bmp.SetPixel(2, 1, RGBColor(200, 100, 50));
    TColorQuantizer q(256, 8);
    q.ProcessImage(bmp);
    // Four black pixels, one each of the others.
    EXPECT_EQ(TableOf(q), (std::vector<RGB>{{0, 0, 0}, {10, 20, 30}, {200, 100, 50}}));

    TBitmap b32 = bmp;
    b32.SetPixelFormat(pf32bit);
    TColorQuantizer q32(256, 8);
    q32.ProcessImage(b32);
    EXPECT_EQ(TableOf(q32), TableOf(q));
}

TEST(ColorQuantizer, LargeSingleColourAverageDoesNotOverflow) {
    TColorQuantizer q(4, 8);
    // 17 million pixels of 255 would overflow 32-bit sums.
    for (int i = 0; i < 17'000'000; ++i) q.AddPixel(255, 255, 254);
    EXPECT_EQ(TableOf(q), (std::vector<RGB>{{255, 255, 254}}));
}
