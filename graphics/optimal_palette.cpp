#include "optimal_palette.h"

#include "pixel_rows.h"

#include <algorithm>
#include <array>
#include <climits>
#include <set>

namespace {

// Counters over (red >> 3, green >> 2, blue >> 3), each stopping at 65535.
class THistogram {
public:
    static int Cell(int r5, int g6, int b5) { return r5 * 2048 + g6 * 32 + b5; }
    void Add(uint32_t color, uint64_t weight) {
        uint16_t& c = FCells[Cell(PGRed(color) >> 3, PGGreen(color) >> 2, PGBlue(color) >> 3)];
        c = static_cast<uint16_t>(std::min<uint64_t>(65535, c + weight));
    }
    uint16_t At(int r5, int g6, int b5) const { return FCells[Cell(r5, g6, b5)]; }

private:
    std::vector<uint16_t> FCells = std::vector<uint16_t>(32 * 64 * 32, 0);
};

// Inclusive cell ranges: axis 0 red (0..31), 1 green (0..63), 2 blue (0..31).
struct TBox {
    std::array<int, 3> Lo, Hi;
    int64_t Diagonal = 0;
    int64_t Volume = 0;

    int64_t Extent(int axis) const {
        static constexpr int weight[3] = {16, 12, 16};
        return int64_t(Hi[axis] - Lo[axis]) * weight[axis];
    }
    int SplitAxis() const {
        const int64_t er = Extent(0), eg = Extent(1), eb = Extent(2);
        if (std::max(eg, er) < eb) return 2;
        return eg >= er ? 1 : 0;
    }
};

template <class F>
void forEachCell(const TBox& box, F f) {
    for (int r = box.Lo[0]; r <= box.Hi[0]; ++r)
        for (int g = box.Lo[1]; g <= box.Hi[1]; ++g)
            for (int b = box.Lo[2]; b <= box.Hi[2]; ++b) f(r, g, b);
}

// Narrows the box to its occupied cells; it must hold at least one.
void shrink(TBox& box, const THistogram& h) {
    std::array<int, 3> lo = {INT_MAX, INT_MAX, INT_MAX}, hi = {-1, -1, -1};
    forEachCell(box, [&](int r, int g, int b) {
        if (!h.At(r, g, b)) return;
        const int v[3] = {r, g, b};
        for (int a = 0; a < 3; ++a) {
            lo[a] = std::min(lo[a], v[a]);
            hi[a] = std::max(hi[a], v[a]);
        }
    });
    box.Lo = lo;
    box.Hi = hi;
    box.Diagonal = box.Extent(0) * box.Extent(0) + box.Extent(1) * box.Extent(1) +
                   box.Extent(2) * box.Extent(2);
    box.Volume = int64_t(hi[0] - lo[0] + 1) * (hi[1] - lo[1] + 1) * (hi[2] - lo[2] + 1);
}

// While there is room to double, the box with the largest volume is split, afterwards the one
// with the largest diagonal; boxes of one cell are never split.
int pickBox(const std::vector<TBox>& boxes, bool byVolume) {
    int pick = -1;
    for (size_t i = 0; i < boxes.size(); ++i) {
        const TBox& b = boxes[i];
        if (b.Diagonal <= 0) continue;
        const int64_t key = byVolume ? b.Volume : b.Diagonal;
        const int64_t best = pick < 0 ? -1 : byVolume ? boxes[pick].Volume : boxes[pick].Diagonal;
        if (key > best) pick = static_cast<int>(i);
    }
    return pick;
}

uint32_t boxMean(const TBox& box, const THistogram& h) {
    uint64_t s = 0, r = 0, g = 0, b = 0;
    forEachCell(box, [&](int cr, int cg, int cb) {
        const uint64_t c = h.At(cr, cg, cb);
        s += c;
        r += c * (8 * cr + 4);
        g += c * (4 * cg + 2);
        b += c * (8 * cb + 4);
    });
    return PGColor(uint32_t((r + s / 2) / s), uint32_t((g + s / 2) / s), uint32_t((b + s / 2) / s));
}

// The histogram must hold at least one pixel.
std::vector<uint32_t> medianCut(const THistogram& h, int n) {
    std::vector<TBox> boxes{TBox{{0, 0, 0}, {31, 63, 31}}};
    shrink(boxes[0], h);
    while (static_cast<int>(boxes.size()) < n) {
        const int pick = pickBox(boxes, n >= 2 * static_cast<int>(boxes.size()));
        if (pick < 0) break;
        TBox upper = boxes[pick];
        const int axis = upper.SplitAxis();
        const int mid = (upper.Lo[axis] + upper.Hi[axis]) / 2;
        boxes[pick].Hi[axis] = mid;
        upper.Lo[axis] = mid + 1;
        shrink(boxes[pick], h);
        shrink(upper, h);
        boxes.push_back(upper);
    }
    std::vector<uint32_t> palette;
    for (const TBox& box : boxes) palette.push_back(boxMean(box, h));
    return palette;
}

// Octree over weighted colours. A node with two children is reducible; after each insertion
// the tree is reduced until it has at most the allowed number of leaves.
class TOctree {
public:
    explicit TOctree(int maxLeaves) : FMaxLeaves(maxLeaves) { newNode(0); }

    void Insert(uint32_t color, uint64_t weight) {
        int node = 0;
        for (;;) {
            add(node, color, weight);
            const int level = FNodes[node].Level;
            if (FNodes[node].Leaf) break;
            if (level >= FMaxDepth) {
                // An inner node left below a reduced depth takes the colour as a leaf.
                makeLeaf(node);
                break;
            }
            const int k = ((PGRed(color) >> (7 - level)) & 1) * 4 +
                          ((PGGreen(color) >> (7 - level)) & 1) * 2 +
                          ((PGBlue(color) >> (7 - level)) & 1);
            if (FNodes[node].Child[k] < 0) {
                const int child = newNode(level + 1);
                FNodes[node].Child[k] = child;
                if (++FNodes[node].ChildCount == 2) list(node);
            }
            node = FNodes[node].Child[k];
        }
        while (FLeaves > FMaxLeaves && reduce()) {
        }
    }

    // Leaves depth first, children in index order.
    std::vector<uint32_t> Palette() const {
        std::vector<uint32_t> palette;
        collect(0, palette);
        return palette;
    }

private:
    struct TNode {
        int Level = 0;
        bool Leaf = false;
        bool Listed = false;
        uint64_t Count = 0, Red = 0, Green = 0, Blue = 0;
        int ChildCount = 0;
        std::array<int, 8> Child = {-1, -1, -1, -1, -1, -1, -1, -1};
    };

    int newNode(int level) {
        TNode node;
        node.Level = level;
        node.Leaf = level >= FMaxDepth;
        if (node.Leaf) ++FLeaves;
        FNodes.push_back(node);
        return static_cast<int>(FNodes.size()) - 1;
    }
    void add(int node, uint32_t color, uint64_t weight) {
        TNode& n = FNodes[node];
        n.Count += weight;
        n.Red += weight * PGRed(color);
        n.Green += weight * PGGreen(color);
        n.Blue += weight * PGBlue(color);
    }
    // The newest member is the list's head, kept at the back.
    void list(int node) {
        FNodes[node].Listed = true;
        FReducible[FNodes[node].Level].push_back(node);
    }
    void unlist(int node) {
        std::vector<int>& l = FReducible[FNodes[node].Level];
        l.erase(std::find(l.begin(), l.end(), node));
        FNodes[node].Listed = false;
    }
    void freeChildren(int node) {
        for (int& child : FNodes[node].Child) {
            if (child < 0) continue;
            if (FNodes[child].Leaf) --FLeaves;
            if (FNodes[child].Listed) unlist(child);
            freeChildren(child);
            child = -1;
        }
        FNodes[node].ChildCount = 0;
    }
    void makeLeaf(int node) {
        if (FNodes[node].Listed) unlist(node);
        freeChildren(node);
        FNodes[node].Leaf = true;
        ++FLeaves;
    }
    // Merges, at the deepest level that has one, the reducible node with the smallest
    // 2 red + 3 green + blue sum (the one nearer the head among equals).
    bool reduce() {
        for (int level = 7; level >= 0; --level) {
            const std::vector<int>& l = FReducible[level];
            if (l.empty()) continue;
            int best = l.back();
            for (auto it = l.rbegin(); it != l.rend(); ++it)
                if (key(*it) < key(best)) best = *it;
            makeLeaf(best);
            if (level < FMaxDepth - 1) FMaxDepth = level + 1;
            return true;
        }
        return false;
    }
    uint64_t key(int node) const {
        return 2 * FNodes[node].Red + 3 * FNodes[node].Green + FNodes[node].Blue;
    }
    void collect(int node, std::vector<uint32_t>& palette) const {
        const TNode& n = FNodes[node];
        if (n.Leaf) {
            palette.push_back(PGColor(uint32_t(n.Red / n.Count), uint32_t(n.Green / n.Count),
                                      uint32_t(n.Blue / n.Count)));
            return;
        }
        for (int child : n.Child)
            if (child >= 0) collect(child, palette);
    }

    std::vector<TNode> FNodes;
    std::array<std::vector<int>, 8> FReducible;
    int FMaxDepth = 8;
    int FLeaves = 0;
    int FMaxLeaves;
};

THistogram countTrueColor(TPixelGraphic& target, const TPixelGraphic& source) {
    THistogram h;
    TPGProgressScope progress(target);
    for (int y = 0; y < source.Height(); ++y) {
        const uint8_t* p = source.ScanLine(y);
        for (int x = 0; x < source.Width(); ++x, p += 3) h.Add(PGColor(p[2], p[1], p[0]), 1);
        if (progress.Step(y, source.Height() - 1)) break;
    }
    return h;
}

std::array<uint64_t, 256> countIndices(TPixelGraphic& target, const TPixelGraphic& source) {
    std::array<uint64_t, 256> use{};
    TPGProgressScope progress(target);
    for (int y = 0; y < source.Height(); ++y) {
        const uint8_t* row = source.ScanLine(y);
        for (int x = 0; x < source.Width(); ++x) ++use[PGRowIndex(row, source.PixelFormat(), x)];
        if (progress.Step(y, source.Height() - 1)) break;
    }
    return use;
}

// Merging a node can leave fewer leaves than wanted; median cut over the same weighted colours
// then fills the palette instead.
std::vector<uint32_t> paletteOfPaletteImage(TPixelGraphic& target, const TPixelGraphic& source,
                                            int n) {
    const std::array<uint64_t, 256> use = countIndices(target, source);
    TOctree tree(n);
    std::set<uint32_t> distinct;
    for (uint32_t i = 0; i < use.size(); ++i) {
        if (!use[i]) continue;
        tree.Insert(source.ColorTableEntry(i), use[i]);
        distinct.insert(source.ColorTableEntry(i));
    }
    std::vector<uint32_t> palette = tree.Palette();
    if (palette.size() >= std::min<size_t>(n, distinct.size())) return palette;
    THistogram h;
    for (uint32_t i = 0; i < use.size(); ++i)
        if (use[i]) h.Add(source.ColorTableEntry(i), use[i]);
    return medianCut(h, n);
}

} // namespace

void CreateOptimalPalette(TPixelGraphic& Target, const TPixelGraphic& Source, int N,
                          bool ReserveSystemColors) {
    if (N < 0 || N > 256) throw EPixelGraphic(PGLangStr(msgInvalidValue, "N"));
    const int n = ReserveSystemColors ? N - 16 : N;
    if (Source.Width() < 1 || Source.Height() < 1 || n < 1) {
        Target.SetPaletteIdent(pSys16);
        Target.SetPaletteCount(std::min(N, 16));
        return;
    }
    // The palette is built aside, so a target that is also the source is read unchanged.
    std::vector<uint32_t> palette = Source.PixelFormat() == pf24Bit
                                        ? medianCut(countTrueColor(Target, Source), n)
                                        : paletteOfPaletteImage(Target, Source, n);
    if (ReserveSystemColors)
        for (uint32_t c : PredefinedPalette(pSys16))
            if (static_cast<int>(palette.size()) < N) palette.push_back(c);
    Target.SetPaletteCount(static_cast<int>(palette.size()));
    for (size_t i = 0; i < palette.size(); ++i)
        Target.SetPaletteEntry(static_cast<int>(i), palette[i]);
}
