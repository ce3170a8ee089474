#include "metafile_builder.h"
#include "metafile_header.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace {

TPGHeader headerOf(const std::vector<uint8_t>& file) {
    TPGHeader h{};
    std::copy_n(file.begin(), std::min<size_t>(file.size(), PGHeaderSize), h.begin());
    return h;
}

std::vector<uint8_t> prefix(std::vector<uint8_t> bytes, size_t n) {
    bytes.resize(n);
    return bytes;
}

// A bare file long enough for the signature test, which wants more than 18 words.
TWMFBuilder bare() {
    return TWMFBuilder().Record(0x0103, {8}).Record(0x0103, {8});
}

TMetafileHeader wmf(const std::vector<uint8_t>& file) {
    return ReadMetafileHeader(file, TMetafileKind::WMF, 96);
}

TMetafileHeader emf(const std::vector<uint8_t>& file) {
    return ReadMetafileHeader(file, TMetafileKind::EMF, 96);
}

// A CREATEPALETTE record of n grey entries.
std::vector<int> paletteParams(int n) {
    std::vector<int> p = {0x300, n};
    for (int i = 0; i < n; ++i) p.push_back((i & 0xFF) | (i & 0xFF) << 8), p.push_back(i & 0xFF);
    return p;
}

struct SizeCase {
    const char* Name;
    std::vector<uint8_t> File;
    int Width, Height;
    const char* SubFormat;
};

TEST(MetafileHeader, WMFSizesFromTheBoxOrTheNewHeader) {
    using P = TWMFBuilder::TPlaceable;
    const SizeCase cases[] = {
        {"bare: the new header's box at the screen's resolution", bare().Bytes(), 99, 49,
         "No header"},
        {"placeable: box over units per inch", TWMFBuilder(P{{0, 0, 1000, 500}, 1000}).Bytes(), 96,
         48, "Placeable, Aldus header"},
        {"offset box", TWMFBuilder(P{{-500, 100, 500, 600}, 500}).Bytes(), 192, 96,
         "Placeable, Aldus header"},
        {"empty box takes the default", TWMFBuilder(P{{10, 10, 10, 400}, 96}).Bytes(), 99, 49,
         "Placeable, Aldus header"},
        {"box reaching 0x7FFF takes the default", TWMFBuilder(P{{0, 0, 0x7FFF, 100}, 96}).Bytes(),
         99, 49, "Placeable, Aldus header"},
        {"units per inch 0 take the new header", TWMFBuilder(P{{0, 0, 1000, 500}, 0}).Bytes(), 99,
         49, "Placeable, Aldus header"},
        {"units per inch 1 are capped at 8192 keeping the aspect",
         TWMFBuilder(P{{0, 0, 0x7FFE, 0x3FFF}, 1}).Bytes(), 8192, 4096, "Placeable, Aldus header"},
        {"a sliver keeps one pixel", TWMFBuilder(P{{0, 0, 20000, 1}, 96}).Bytes(), 8192, 1,
         "Placeable, Aldus header"},
    };
    for (const SizeCase& c : cases) {
        SCOPED_TRACE(c.Name);
        ASSERT_TRUE(IsWMFSignature(headerOf(c.File)));
        const TMetafileHeader h = wmf(c.File);
        const TPGImageInfo info = MetafileInfo(h);
        EXPECT_EQ(info.Width, c.Width);
        EXPECT_EQ(info.Height, c.Height);
        EXPECT_EQ(info.SubFormat, c.SubFormat);
        EXPECT_EQ(info.ImageCount, 1);
    }
}

TEST(MetafileHeader, OutputSizeWithFastLoadAndTheSizeHint) {
    const TMetafileHeader h =
        wmf(TWMFBuilder(TWMFBuilder::TPlaceable{{0, 0, 400, 200}, 96}).Bytes());
    int w = 0, hh = 0;
    MetafileOutputSize(h, false, {}, w, hh);
    EXPECT_EQ(w, 400);
    EXPECT_EQ(hh, 200);
    MetafileOutputSize(h, true, {}, w, hh);
    EXPECT_EQ(w, 130);
    EXPECT_EQ(hh, 65);
    TPGCallOptions hint;
    hint.HintWidth = 100, hint.HintHeight = 100;
    MetafileOutputSize(h, false, hint, w, hh);
    EXPECT_EQ(w, 100);
    EXPECT_EQ(hh, 50);
    const TMetafileHeader tall =
        wmf(TWMFBuilder(TWMFBuilder::TPlaceable{{0, 0, 50, 400}, 96}).Bytes());
    MetafileOutputSize(tall, true, {}, w, hh);
    EXPECT_EQ(w, 16);
    EXPECT_EQ(hh, 130);
}

TEST(MetafileHeader, PaletteSizeChoosesTheFormat) {
    struct Case {
        int Entries;
        int BitCount;
        const char* Colors;
    };
    for (const Case c : {Case{0, 24, "16.7M"}, Case{2, 1, "2"}, Case{16, 4, "16"},
                         Case{256, 8, "256"}, Case{300, 24, "16.7M"}}) {
        SCOPED_TRACE(c.Entries);
        TWMFBuilder b;
        if (c.Entries) b.Record(0x00F7, paletteParams(c.Entries));
        const TMetafileHeader h = wmf(b.Bytes());
        EXPECT_EQ(int(h.Palette.size()), c.Entries);
        EXPECT_EQ(MetafileInfo(h).BitCount, c.BitCount);
        EXPECT_EQ(MetafileInfo(h).Colors, c.Colors);

        TEMFBuilder::TFrame frame;
        for (int i = 0; i < c.Entries; ++i) frame.Palette.push_back(uint32_t(i) * 0x010101u);
        const TMetafileHeader e = emf(TEMFBuilder(frame).Bytes());
        EXPECT_EQ(int(e.Palette.size()), c.Entries);
        EXPECT_EQ(MetafileInfo(e).BitCount, c.BitCount);
    }
}

TEST(MetafileHeader, PaletteEntriesAreTheFilesColours) {
    TEMFBuilder::TFrame frame;
    frame.Palette = {0x0000FF, 0x00FF00, 0xFF0000};
    EXPECT_EQ(emf(TEMFBuilder(frame).Bytes()).Palette,
              (std::vector<uint32_t>{0x0000FF, 0x00FF00, 0xFF0000}));
    // Red, green, blue, flags as the record stores them.
    const auto h = wmf(TWMFBuilder().Record(0x00F7, {0x300, 1, 0x2010, 0x0030}).Bytes());
    EXPECT_EQ(h.Palette, std::vector<uint32_t>{PGColor(0x10, 0x20, 0x30)});
}

TEST(MetafileHeader, EMFHeadersOfEveryLength) {
    struct Case {
        const char* Name;
        uint32_t Size;
        std::u16string Description;
    };
    for (const Case& c :
         {Case{"88", 88, u""}, Case{"100 with pixel format", 100, u""},
          Case{"108 with micrometres", 108, u""},
          Case{"108 and a description", 108, std::u16string(u"Writer\0Picture\0\0", 16)}}) {
        SCOPED_TRACE(c.Name);
        TEMFBuilder::TFrame frame;
        frame.HeaderSize = c.Size;
        frame.Description = c.Description;
        const auto file = TEMFBuilder(frame).Bytes();
        EXPECT_TRUE(IsEMFSignature(headerOf(file)));
        const TMetafileHeader h = emf(file);
        EXPECT_EQ(h.Width, 378); // the frame: 100 mm by 50 mm
        EXPECT_EQ(h.Height, 189);
        EXPECT_EQ(MetafileInfo(h).SubFormat, "");
    }
}

TEST(MetafileHeader, RefusedHeaders) {
    auto emfWith = [](auto change) {
        auto file = TEMFBuilder().Bytes();
        change(file);
        return file;
    };
    const auto shortHeader = emfWith([](auto& f) { f[4] = 84; });
    EXPECT_FALSE(IsEMFSignature(headerOf(shortHeader)));
    const auto odd = emfWith([](auto& f) { f[4] = 90; });
    EXPECT_FALSE(IsEMFSignature(headerOf(odd)));
    struct Case {
        const char* Name;
        std::vector<uint8_t> File;
        TMetafileKind Kind;
    };
    const Case cases[] = {
        {"EMF without its signature", emfWith([](auto& f) { f[40] = 'X'; }), TMetafileKind::EMF},
        {"EMF header past the file", emfWith([](auto& f) { f[5] = 0x10; }), TMetafileKind::EMF},
        {"EMF without frame or bounds",
         emfWith([](auto& f) { std::fill(f.begin() + 8, f.begin() + 40, 0); }), TMetafileKind::EMF},
        {"WMF cut in its header", prefix(TWMFBuilder().Bytes(), 12), TMetafileKind::WMF},
        {"placeable header before nothing",
         prefix(TWMFBuilder(TWMFBuilder::TPlaceable{}).Bytes(), 30), TMetafileKind::WMF},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(ErrorOf([&] { ReadMetafileHeader(c.File, c.Kind, 96); }), "Invalid Metafile");
    }
}

TEST(MetafileHeader, EMFWithoutAFrameTakesItsBounds) {
    auto file = TEMFBuilder().Bytes();
    std::fill(file.begin() + 24, file.begin() + 40, 0);
    // Bounds 100 x 50 reference pixels at 10 pixels a millimetre: 10 mm by 5 mm.
    const TMetafileHeader h = emf(file);
    EXPECT_EQ(h.Width, 38);
    EXPECT_EQ(h.Height, 19);
    // Bounds of 2^31 pixels at 2^31 mm a pixel: the frame saturates, the size is capped.
    TEMFBuilder::TFrame huge;
    huge.Frame[2] = huge.Frame[3] = 0;
    huge.Device[0] = 1;
    huge.Millimeters[0] = INT32_MAX;
    file = TEMFBuilder(huge).Bytes();
    for (int i = 0; i < 4; ++i) file[16 + size_t(i)] = i == 3 ? 0x7F : 0xFF;
    const TMetafileHeader capped = emf(file);
    EXPECT_EQ(capped.Width, MetafileMaxSide);
    EXPECT_EQ(capped.Height, 1);
}

TEST(MetafileHeader, Signatures) {
    EXPECT_TRUE(IsWMFSignature(headerOf(TWMFBuilder(TWMFBuilder::TPlaceable{}).Bytes())));
    EXPECT_TRUE(IsWMFSignature(headerOf(bare().Bytes())));
    EXPECT_FALSE(IsWMFSignature(headerOf(TWMFBuilder().Bytes())));  // 12 words
    EXPECT_FALSE(IsWMFSignature(headerOf(TWMFBuilder(0).Bytes()))); // no objects
    EXPECT_FALSE(IsEMFSignature(headerOf(TWMFBuilder().Bytes())));
    EXPECT_FALSE(IsWMFSignature(headerOf(TEMFBuilder().Bytes())));
}

} // namespace
