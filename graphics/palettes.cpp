#include "pixel_graphic.h"

#include <array>
#include <cmath>

namespace {

struct RGB {
    uint8_t r, g, b;
};

constexpr std::array<RGB, 16> sys16 = {{{0, 0, 0},
                                        {128, 0, 0},
                                        {0, 128, 0},
                                        {128, 128, 0},
                                        {0, 0, 128},
                                        {128, 0, 128},
                                        {0, 128, 128},
                                        {192, 192, 192},
                                        {128, 128, 128},
                                        {255, 0, 0},
                                        {0, 255, 0},
                                        {255, 255, 0},
                                        {0, 0, 255},
                                        {255, 0, 255},
                                        {0, 255, 255},
                                        {255, 255, 255}}};

// Entries 125..251 of the fixed 252-colour palette.
constexpr RGB special252Tail[] = {
    {32, 32, 32},    {96, 96, 96},    {160, 160, 160}, {224, 224, 224}, {255, 224, 255},
    {224, 224, 255}, {224, 255, 255}, {224, 255, 224}, {255, 255, 224}, {255, 224, 224},
    {255, 192, 224}, {224, 192, 255}, {192, 224, 255}, {192, 255, 224}, {224, 255, 192},
    {255, 224, 192}, {224, 192, 224}, {192, 192, 224}, {192, 224, 224}, {192, 224, 192},
    {224, 224, 192}, {224, 192, 192}, {255, 160, 192}, {255, 160, 224}, {255, 160, 255},
    {224, 160, 255}, {192, 160, 255}, {160, 160, 255}, {160, 192, 255}, {160, 224, 255},
    {160, 255, 255}, {160, 255, 224}, {160, 255, 192}, {160, 255, 160}, {192, 255, 160},
    {224, 255, 160}, {255, 255, 160}, {255, 224, 160}, {255, 192, 160}, {255, 160, 160},
    {224, 160, 192}, {224, 160, 224}, {192, 160, 224}, {160, 160, 224}, {160, 192, 224},
    {160, 224, 224}, {160, 224, 192}, {160, 224, 160}, {192, 224, 160}, {224, 224, 160},
    {224, 192, 160}, {224, 160, 160}, {255, 128, 160}, {255, 128, 224}, {224, 128, 255},
    {160, 128, 255}, {128, 160, 255}, {128, 224, 255}, {128, 255, 224}, {128, 255, 160},
    {160, 255, 128}, {224, 255, 128}, {255, 224, 128}, {255, 160, 128}, {192, 160, 192},
    {160, 160, 192}, {160, 192, 192}, {160, 192, 160}, {192, 192, 160}, {192, 160, 160},
    {224, 128, 160}, {224, 128, 192}, {224, 128, 224}, {192, 128, 224}, {160, 128, 224},
    {128, 128, 224}, {128, 160, 224}, {128, 192, 224}, {128, 224, 224}, {128, 224, 192},
    {128, 224, 160}, {128, 224, 128}, {160, 224, 128}, {192, 224, 128}, {224, 224, 128},
    {224, 192, 128}, {224, 160, 128}, {224, 128, 128}, {255, 96, 128},  {255, 96, 160},
    {255, 96, 192},  {255, 96, 224},  {255, 96, 255},  {224, 96, 255},  {192, 96, 255},
    {160, 96, 255},  {128, 96, 255},  {96, 96, 255},   {96, 128, 255},  {96, 160, 255},
    {96, 192, 255},  {96, 224, 255},  {96, 255, 255},  {96, 255, 224},  {96, 255, 192},
    {96, 255, 160},  {96, 255, 128},  {96, 255, 96},   {128, 255, 96},  {160, 255, 96},
    {192, 255, 96},  {224, 255, 96},  {255, 255, 96},  {255, 224, 96},  {255, 192, 96},
    {255, 160, 96},  {255, 128, 96},  {255, 96, 96},   {192, 128, 160}, {160, 128, 192},
    {128, 160, 192}, {128, 192, 160}, {160, 192, 128}, {192, 160, 128}, {224, 96, 128},
    {224, 96, 160},  {224, 96, 192}};
static_assert(std::size(special252Tail) == 127);

uint32_t packed(RGB c) {
    return PGColor(c.r, c.g, c.b);
}

std::vector<uint32_t> greys(int count, uint32_t (*level)(int)) {
    std::vector<uint32_t> p(count);
    for (int i = 0; i < count; ++i) p[i] = PGColor(level(i), level(i), level(i));
    return p;
}

std::vector<uint32_t> cube(int n, uint32_t (*level)(int)) {
    std::vector<uint32_t> p;
    for (int r = 0; r < n; ++r)
        for (int g = 0; g < n; ++g)
            for (int b = 0; b < n; ++b) p.push_back(PGColor(level(r), level(g), level(b)));
    return p;
}

uint32_t cube5Level(int k) {
    return (k * 255 + 3) >> 2;
}
uint32_t cube6Level(int k) {
    return (k * 255 + 4) / 5;
}

std::vector<uint32_t> special252() {
    std::vector<uint32_t> p;
    for (RGB c : sys16) p.push_back(packed(c));
    for (uint32_t c : cube(5, cube5Level)) {
        bool known = false;
        for (size_t i = 0; i < 16; ++i) known = known || p[i] == c;
        if (!known) p.push_back(c);
    }
    for (RGB c : special252Tail) p.push_back(packed(c));
    return p;
}

} // namespace

namespace {

std::vector<uint32_t> buildPalette(TPaletteIdent ident) {
    switch (ident) {
    case pBlackWhite:
        return {0, 0xFFFFFF};
    case pSysGray4:
        return {0, 0x808080, 0xC0C0C0, 0xFFFFFF};
    case pSys16: {
        std::vector<uint32_t> p;
        for (RGB c : sys16) p.push_back(packed(c));
        return p;
    }
    case pGray4:
        return greys(4, [](int i) { return uint32_t(i * 255 / 3); });
    case pGray16:
        return greys(16, [](int i) { return uint32_t(i * 255 / 15); });
    case pGray236:
        return greys(236, [](int i) { return uint32_t(std::lround(i * 255.0 / 235.0)); });
    case pGray256:
        return greys(256, [](int i) { return uint32_t(i); });
    case pSpecial125:
        return cube(5, cube5Level);
    case pSpecial216:
        return cube(6, cube6Level);
    case pSpecial252:
        return special252();
    default:
        return {};
    }
}

} // namespace

const std::vector<uint32_t>& PredefinedPalette(TPaletteIdent ident) {
    static const std::vector<std::vector<uint32_t>> all = [] {
        std::vector<std::vector<uint32_t>> v;
        for (int i = 0; i <= pSource; ++i) v.push_back(buildPalette(static_cast<TPaletteIdent>(i)));
        return v;
    }();
    return all[ident <= pSource ? ident : pNone];
}
