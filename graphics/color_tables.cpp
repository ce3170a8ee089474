#include "color_tables.h"

#include "pixel_graphic.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

const std::array<TPGSys16Cell, 64> PGSys16Cells = {{
    {0, 0, 0},    {4, 4, 4},   {4, 4, 4},   {12, 12, 12}, // R2 0, G2 0
    {2, 2, 2},    {6, 6, 6},   {6, 6, 6},   {6, 12, 12},  // R2 0, G2 1
    {2, 2, 2},    {6, 6, 6},   {6, 6, 6},   {6, 14, 14},  // R2 0, G2 2
    {10, 10, 10}, {6, 10, 10}, {6, 14, 14}, {14, 14, 14}, // R2 0, G2 3
    {1, 1, 1},    {5, 5, 5},   {5, 5, 5},   {5, 12, 12},  // R2 1, G2 0
    {3, 3, 3},    {8, 8, 8},   {8, 8, 8},   {8, 12, 12},  // R2 1, G2 1
    {3, 3, 3},    {8, 8, 8},   {8, 8, 8},   {7, 8, 14},   // R2 1, G2 2
    {3, 10, 10},  {8, 10, 10}, {7, 8, 14},  {7, 14, 14},  // R2 1, G2 3
    {1, 1, 1},    {5, 5, 5},   {5, 5, 5},   {5, 13, 13},  // R2 2, G2 0
    {3, 3, 3},    {8, 8, 8},   {8, 8, 8},   {7, 8, 13},   // R2 2, G2 1
    {3, 3, 3},    {8, 8, 8},   {7, 8, 8},   {7, 7, 7},    // R2 2, G2 2
    {3, 11, 11},  {7, 8, 11},  {7, 7, 7},   {7, 7, 7},    // R2 2, G2 3
    {9, 9, 9},    {5, 9, 9},   {5, 13, 13}, {13, 13, 13}, // R2 3, G2 0
    {3, 9, 9},    {8, 9, 9},   {7, 8, 13},  {7, 13, 13},  // R2 3, G2 1
    {3, 11, 11},  {7, 8, 11},  {7, 7, 7},   {7, 7, 7},    // R2 3, G2 2
    {11, 11, 11}, {7, 11, 11}, {7, 7, 7},   {7, 15, 15},  // R2 3, G2 3
}};

const std::array<uint8_t, 766>& PGGray236Map() {
    static const std::array<uint8_t, 766> map = [] {
        const std::vector<uint32_t>& greys = PredefinedPalette(pGray236);
        std::array<uint8_t, 766> m{};
        // Compare 3 * grey with the brightness: the distance to brightness / 3 without fractions.
        for (int c = 0; c < 766; ++c) {
            int best = 0;
            for (int i = 1; i < 236; ++i)
                if (std::abs(3 * PGRed(greys[i]) - c) < std::abs(3 * PGRed(greys[best]) - c))
                    best = i;
            m[c] = static_cast<uint8_t>(best);
        }
        return m;
    }();
    return map;
}

namespace {

struct TCellBox {
    int Lo[3], Hi[3];
};

int channel(uint32_t c, int axis) {
    return static_cast<int>((c >> (8 * axis)) & 0xFF);
}

// Smallest value over the box of d(e, c) - d(f, c), squared distances to a colour c. The
// difference is linear in c, so a corner of the box holds the minimum.
int64_t minDistanceGap(uint32_t e, uint32_t f, const TCellBox& box) {
    int64_t gap = 0;
    for (int a = 0; a < 3; ++a) {
        const int64_t ea = channel(e, a), fa = channel(f, a);
        const int64_t c = ea > fa ? box.Hi[a] : box.Lo[a];
        gap += ea * ea - fa * fa - 2 * c * (ea - fa);
    }
    return gap;
}

int64_t boxDistance(uint32_t e, const TCellBox& box, bool farthest) {
    int64_t d = 0;
    for (int a = 0; a < 3; ++a) {
        const int64_t v = channel(e, a);
        const int64_t toLo = v - box.Lo[a], toHi = box.Hi[a] - v;
        const int64_t nearest = std::max<int64_t>({0, toLo < 0 ? -toLo : 0, toHi < 0 ? -toHi : 0});
        const int64_t far = std::max(std::abs(toLo), std::abs(toHi));
        d += farthest ? far * far : nearest * nearest;
    }
    return d;
}

// Entries that are the first nearest entry of some colour of the box. An entry is dropped when
// another is nearer everywhere in the box, or as near everywhere and earlier in the palette; the
// first nearest entry of a colour survives both tests, so the lists stay exact.
std::vector<uint8_t> cellCandidates(const std::vector<uint32_t>& palette, const TCellBox& box) {
    int64_t bound = INT64_MAX;
    for (uint32_t f : palette) bound = std::min(bound, boxDistance(f, box, true));
    std::vector<int> near;
    for (size_t e = 0; e < palette.size(); ++e)
        if (boxDistance(palette[e], box, false) <= bound) near.push_back(static_cast<int>(e));
    std::vector<uint8_t> kept;
    for (int e : near) {
        bool dominated = false;
        for (int f : near) {
            if (f == e) continue;
            const int64_t gap = minDistanceGap(palette[e], palette[f], box);
            dominated = dominated || gap > 0 || (gap == 0 && f < e);
        }
        if (!dominated) kept.push_back(static_cast<uint8_t>(e));
    }
    return kept;
}

struct TCandidateLists {
    std::vector<uint16_t> Start; // 730 offsets: cell k's list is Start[k] .. Start[k + 1]
    std::vector<uint8_t> Entries;
};

TCandidateLists buildCandidateLists() {
    const std::vector<uint32_t>& palette = PredefinedPalette(pSpecial252);
    auto lo = [](int k) { return std::max(0, 32 * k - 16); };
    auto hi = [](int k) { return std::min(255, 32 * k + 15); };
    TCandidateLists lists;
    for (int r = 0; r < 9; ++r)
        for (int g = 0; g < 9; ++g)
            for (int b = 0; b < 9; ++b) {
                const TCellBox box{{lo(r), lo(g), lo(b)}, {hi(r), hi(g), hi(b)}};
                lists.Start.push_back(static_cast<uint16_t>(lists.Entries.size()));
                for (uint8_t e : cellCandidates(palette, box)) lists.Entries.push_back(e);
            }
    lists.Start.push_back(static_cast<uint16_t>(lists.Entries.size()));
    return lists;
}

} // namespace

std::span<const uint8_t> PGSpecial252Candidates(uint32_t color) {
    static const TCandidateLists lists = buildCandidateLists();
    const int cell = ((PGRed(color) + 16) >> 5) * 81 + ((PGGreen(color) + 16) >> 5) * 9 +
                     ((PGBlue(color) + 16) >> 5);
    return std::span<const uint8_t>(lists.Entries)
        .subspan(lists.Start[cell], lists.Start[cell + 1] - lists.Start[cell]);
}
