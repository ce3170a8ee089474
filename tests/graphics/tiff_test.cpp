#include "tiff_format.h"

#include "test_support.h"

#include <map>
#include <zlib.h>

namespace {

// ---------------------------------------------------------------------------------------------
// Small TIFF files built in code: header, the strip data, the directory, then the values that do
// not fit into their entries. StripOffsets are given relative to the strip data, which follows
// the header or, to make truncated strips end with the file, comes last.

constexpr uint16_t tByte = 1, tShort = 3, tLong = 4, tRational = 5;

class TTiffBuilder {
public:
    explicit TTiffBuilder(bool bigEndian = false) : FBig(bigEndian) {}

    // Replaces an entry with the same tag, or adds one.
    TTiffBuilder& Set(uint16_t tag, uint16_t type, std::vector<uint32_t> values) {
        Remove(tag);
        return Append(tag, type, std::move(values));
    }
    TTiffBuilder& Append(uint16_t tag, uint16_t type, std::vector<uint32_t> values) {
        FEntries.push_back({tag, type, std::move(values)});
        return *this;
    }
    TTiffBuilder& Remove(uint16_t tag) {
        std::erase_if(FEntries, [tag](const Entry& e) { return e.Tag == tag; });
        return *this;
    }
    TTiffBuilder& Data(std::vector<uint8_t> bytes) {
        FData = std::move(bytes);
        return *this;
    }
    TTiffBuilder& DataLast() {
        FDataLast = true;
        return *this;
    }
    TTiffBuilder& Magic(uint16_t value) {
        FMagic = value;
        return *this;
    }

    std::vector<uint8_t> Bytes() const {
        size_t longBytes = 0;
        for (const Entry& e : FEntries)
            if (field(e, 0).size() > 4) longBytes += field(e, 0).size();
        const size_t ifd = FDataLast ? 8 : even(8 + FData.size());
        const size_t valuesAt = ifd + 2 + 12 * FEntries.size() + 4;
        const size_t dataAt = FDataLast ? even(valuesAt + longBytes) : 8;

        std::vector<uint8_t> out = {uint8_t(FBig ? 'M' : 'I'), uint8_t(FBig ? 'M' : 'I')};
        put(out, 2, FMagic);
        put(out, 4, static_cast<uint32_t>(ifd));
        if (!FDataLast) out.insert(out.end(), FData.begin(), FData.end());
        out.resize(ifd);
        put(out, 2, static_cast<uint32_t>(FEntries.size()));
        std::vector<uint8_t> longValues;
        for (const Entry& e : FEntries) {
            put(out, 2, e.Tag);
            put(out, 2, e.Type);
            put(out, 4, static_cast<uint32_t>(e.Values.size() / (e.Type == tRational ? 2 : 1)));
            std::vector<uint8_t> bytes = field(e, static_cast<uint32_t>(dataAt));
            if (bytes.size() <= 4) {
                bytes.resize(4);
                out.insert(out.end(), bytes.begin(), bytes.end());
            } else {
                put(out, 4, static_cast<uint32_t>(valuesAt + longValues.size()));
                longValues.insert(longValues.end(), bytes.begin(), bytes.end());
            }
        }
        put(out, 4, 0);
        out.insert(out.end(), longValues.begin(), longValues.end());
        if (FDataLast) {
            out.resize(dataAt);
            out.insert(out.end(), FData.begin(), FData.end());
        }
        return out;
    }

private:
    struct Entry {
        uint16_t Tag, Type;
        std::vector<uint32_t> Values;
    };
    static int elementSize(uint16_t type) { return type == tByte ? 1 : type == tShort ? 2 : 4; }
    static size_t even(size_t n) { return n + (n & 1); }
    std::vector<uint8_t> field(const Entry& e, uint32_t dataAt) const {
        std::vector<uint8_t> bytes;
        for (uint32_t v : e.Values) put(bytes, elementSize(e.Type), e.Tag == 273 ? v + dataAt : v);
        return bytes;
    }
    void put(std::vector<uint8_t>& out, int size, uint32_t v) const {
        for (int i = 0; i < size; ++i)
            out.push_back(static_cast<uint8_t>(v >> (8 * (FBig ? size - 1 - i : i))));
    }

    bool FBig;
    uint16_t FMagic = 42;
    std::vector<Entry> FEntries;
    std::vector<uint8_t> FData;
    bool FDataLast = false;
};

// An uncompressed single-strip image with one sample per pixel.
TTiffBuilder Image(uint32_t width, uint32_t height, uint32_t bits, uint32_t photometric,
                   std::vector<uint8_t> data, bool bigEndian = false) {
    TTiffBuilder b(bigEndian);
    const auto size = static_cast<uint32_t>(data.size());
    b.Set(256, tShort, {width})
        .Set(257, tShort, {height})
        .Set(258, tShort, {bits})
        .Set(259, tShort, {1})
        .Set(262, tShort, {photometric})
        .Set(273, tLong, {0})
        .Set(277, tShort, {1})
        .Set(278, tLong, {height})
        .Set(279, tLong, {size})
        .Data(std::move(data));
    return b;
}

TTiffBuilder Gray8(uint32_t width, uint32_t height, std::vector<uint8_t> data) {
    return Image(width, height, 8, 1, std::move(data));
}

TTiffBuilder FourSamples(uint32_t photometric, std::vector<uint8_t> data) {
    TTiffBuilder b = Image(static_cast<uint32_t>(data.size() / 4), 1, 8, photometric, data);
    b.Set(258, tShort, {8, 8, 8, 8}).Set(277, tShort, {4});
    return b;
}

void Load(const std::vector<uint8_t>& bytes, TPixelGraphic& image) {
    TMemoryStream stream(bytes);
    image.LoadFromStream(stream);
}

std::string LoadError(const std::vector<uint8_t>& bytes, TPixelGraphic& image) {
    return ErrorOf<EPGTIFFileFormatReader>([&] { Load(bytes, image); });
}

std::string LoadError(const std::vector<uint8_t>& bytes) {
    TPixelGraphic image;
    return LoadError(bytes, image);
}

std::vector<uint8_t> Deflated(const std::vector<uint8_t>& raw) {
    uLongf size = compressBound(static_cast<uLong>(raw.size()));
    std::vector<uint8_t> out(size);
    EXPECT_EQ(compress(out.data(), &size, raw.data(), static_cast<uLong>(raw.size())), Z_OK);
    out.resize(size);
    return out;
}

// LZW codes of 9 bits, most significant bit first.
std::vector<uint8_t> Lzw9(const std::vector<int>& codes) {
    std::vector<uint8_t> out((codes.size() * 9 + 7) / 8, 0);
    size_t bit = 0;
    for (int code : codes)
        for (int i = 8; i >= 0; --i, ++bit)
            if (code & (1 << i)) out[bit / 8] |= static_cast<uint8_t>(0x80 >> (bit % 8));
    return out;
}

std::vector<uint32_t> RowColors(const TPixelGraphic& image, int y) {
    std::vector<uint32_t> row;
    for (int x = 0; x < image.Width(); ++x) row.push_back(image.GetPixelColor(x, y));
    return row;
}

uint32_t Gray(uint32_t v) {
    return PGColor(v, v, v);
}

// ---------------------------------------------------------------------------------------------
// Fixtures made by libtiff's tools, ImageMagick and netpbm.

struct TFixture {
    const char* File;
    uint8_t Format;
    bool Palette; // a palette from the file rather than black-white or grey
};

void PrintTo(const TFixture& f, std::ostream* out) {
    *out << f.File;
}

class TiffFixture : public ::testing::TestWithParam<TFixture> {};

TEST_P(TiffFixture, LoadsThePixelsTheToolsDecode) {
    const TFixture& f = GetParam();
    const std::string name = f.File;
    TPixelGraphic image;
    image.SetReadWarningAction(pgwaRaise); // none of these files deserves a warning
    image.LoadFromFile(TestData("tiff/" + name + ".tif"));
    EXPECT_TRUE(SamePixels(image, LoadReferencePPM(TestData("tiff/" + name + ".ppm"))));
    EXPECT_EQ(image.PixelFormat(), f.Format);
    if (f.Format != pf24Bit) {
        EXPECT_EQ(image.PaletteIdent() == pUnknown, f.Palette);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Tiff, TiffFixture,
    ::testing::Values(
        TFixture{"rgb-none", pf24Bit, false}, TFixture{"rgb-packbits", pf24Bit, false},
        TFixture{"rgb-lzw", pf24Bit, false}, TFixture{"rgb-lzw-2", pf24Bit, false},
        TFixture{"rgb-zip", pf24Bit, false}, TFixture{"rgb-zip-2", pf24Bit, false},
        TFixture{"rgb-lzw-2-strips", pf24Bit, false}, TFixture{"rgb-zip-strips", pf24Bit, false},
        TFixture{"rgb-packbits-strips", pf24Bit, false},
        TFixture{"rgb-big-endian-strips", pf24Bit, false},
        // tifftopnm composites the alpha onto black; the reference is
        // ImageMagick's, which drops the extra sample as the reader does.
        TFixture{"rgba", pf24Bit, false}, TFixture{"gray8", pf8Bit, false},
        TFixture{"gray4", pf4Bit, false}, TFixture{"palette8", pf8Bit, true},
        TFixture{"palette8-packbits", pf8Bit, true}, TFixture{"palette4", pf4Bit, true},
        // Two colours from a colour map, not black and white.
        TFixture{"palette1", pf1Bit, true}, TFixture{"bw-white", pf1Bit, false},
        TFixture{"bw-white-big-endian", pf1Bit, false},
        // RowsPerStrip 1638 for 23 rows: one strip, no warning.
        TFixture{"bw-black", pf1Bit, false}),
    [](const auto& info) {
        std::string n = info.param.File;
        std::replace(n.begin(), n.end(), '-', '_');
        return n;
    });

TEST(TiffReader, RefusesFixturesItCannotDecodeWithTheirMessages) {
    const std::pair<const char*, const char*> cases[] = {
        {"bw-g3", "TIFF: Unsupported compression Group 3 Fax"},
        {"bw-g4", "TIFF: Unsupported compression Group 4 Fax"},
        {"gray8-jpeg", "TIFF: Unsupported compression 7"},
        // YCbCr is no accepted form, and the form is checked before the compression.
        {"rgb-jpeg", "TIFF: Invalid SamplesPerPixel"},
        {"rgb-separate", "TIFF: PlanarConfiguration invalid"},
        // Tiles instead of strips: no StripOffsets and no RowsPerStrip.
        {"rgb-tiled", "TIFF: Invalid RowsPerStrip"},
    };
    for (const auto& [file, message] : cases) {
        SCOPED_TRACE(file);
        TPixelGraphic image;
        EXPECT_EQ(ErrorOf<EPGTIFFileFormatReader>(
                      [&] { image.LoadFromFile(TestData(std::string("tiff/") + file + ".tif")); }),
                  message);
    }
}

TEST(TiffReader, MultiPageFileLoadsItsFirstPageAndRefusesIndexOne) {
    const auto path = TestData("tiff/multi-page.tif");
    TPixelGraphic image;
    image.LoadFromFile(path);
    EXPECT_TRUE(SamePixels(image, LoadReferencePPM(TestData("tiff/multi-page.ppm"))));
    EXPECT_EQ(ErrorOf<EPGTIFFileFormatReader>([&] { image.LoadFromFile(path, 1); }),
              "TIFF: Index invalid");
    TPGImageInfo info;
    ASSERT_TRUE(GetImageInfo(path, 0, info));
    EXPECT_EQ(info.ImageCount, 1);
    EXPECT_FALSE(GetImageInfo(path, 1, info));
}

TEST(TiffReader, GetInfoDescribesFilesIncludingUndecodableOnes) {
    struct Case {
        const char* File;
        const char* SubFormat;
        const char* Options;
        int BitCount;
        const char* Colors;
    };
    const Case cases[] = {
        {"rgb-none", "I, Uncompr., RGB", "", 24, "16.7 M"},
        {"rgb-lzw-2", "I, LZW, RGB", "", 24, "16.7 M"},
        {"rgb-zip", "I, Deflate, RGB", "", 24, "16.7 M"},
        {"rgba", "I, Uncompr., RGB", "", 32, "16.7 M"},
        {"palette8-packbits", "I, PackBits, RGB Palette", "", 8, "256"},
        {"gray4", "I, Uncompr., BlackIsZero", "", 4, "16"},
        {"bw-white-big-endian", "M, Uncompr., WhiteIsZero", "", 1, "2"},
        {"bw-g3", "I, Group 3 F., WhiteIsZero", "(Unsupported compression)", 1, "2"},
        {"bw-g4", "I, Group 4 F., WhiteIsZero", "(Unsupported compression)", 1, "2"},
        {"gray8-jpeg", "I, JPEG, BlackIsZero", "(Unsupported compression)", 8, "256"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.File);
        EXPECT_EQ(InfoOf(TestData(std::string("tiff/") + c.File + ".tif")),
                  (TPGImageInfo{.FormatName = "Tagged Image File Format",
                                .ImageCount = 1,
                                .BitCount = c.BitCount,
                                .Colors = c.Colors,
                                .Height = 23,
                                .Width = 37,
                                .Options = c.Options,
                                .SubFormat = c.SubFormat}));
    }
}

// ---------------------------------------------------------------------------------------------
// Signature, registration

TEST(TiffReader, SignatureNeedsMatchingByteOrderAnd42) {
    const std::pair<std::vector<uint8_t>, bool> cases[] = {
        {{'I', 'I', 42, 0}, true},  {{'M', 'M', 0, 42}, true},  {{'I', 'I', 0, 42}, false},
        {{'M', 'M', 42, 0}, false}, {{'I', 'M', 42, 0}, false}, {{'I', 'I', 43, 0}, false}};
    const TTIFFileFormatReader reader;
    for (const auto& [bytes, accepted] : cases) {
        TPGHeader header{};
        std::copy(bytes.begin(), bytes.end(), header.begin());
        EXPECT_EQ(reader.IsFormat(header), accepted) << int(bytes[0]) << int(bytes[2]);
    }
}

TEST(TiffReader, NotATiffFileWhenReadDirectly) {
    TMemoryStream stream(TTiffBuilder().Magic(43).Bytes());
    TPixelGraphic image;
    EXPECT_EQ(ErrorOf<EPGTIFFileFormatReader>(
                  [&] { TTIFFileFormatReader().ReadImage(stream, image, 0); }),
              "TIFF: Not a TIF file");
}

TEST(TiffFormats, RegisteredForTifAndTiff) {
    const TPGRegistry& registry = PGRegistry();
    for (const char* ext : {"tif", "tiff"}) {
        SCOPED_TRACE(ext);
        const auto reader = std::find_if(registry.Readers().begin(), registry.Readers().end(),
                                         [&](const auto& r) { return r->Extension == ext; });
        ASSERT_NE(reader, registry.Readers().end());
        EXPECT_TRUE((*reader)->DetectsByContent);
        EXPECT_EQ((*reader)->FormatName, "Tagged Image File Format");
        const TFileFormatWriter& writer = registry.FindWriter(ext);
        EXPECT_EQ(writer.FormatName, "Tagged Image File Format");
        EXPECT_EQ(writer.CanWriteResolutions, PGAllResolutions & ~PGResolutions({res2Colors}));
        EXPECT_EQ(writer.ListedInDialogs, std::string(ext) == "tif");
    }
}

// ---------------------------------------------------------------------------------------------
// Decoding built files

TEST(TiffReader, ConvertsSamplesOfEveryForm) {
    struct Case {
        const char* Name;
        std::vector<uint8_t> File;
        std::vector<uint32_t> Expected;
    };
    const Case cases[] = {
        {"8-bit WhiteIsZero",
         Image(3, 1, 8, 0, {0, 64, 255}).Bytes(),
         {Gray(255), Gray(191), Gray(0)}},
        {"4-bit WhiteIsZero",
         Image(3, 1, 4, 0, {0x0F, 0x30}).Bytes(),
         {Gray(255), Gray(0), Gray(12 * 17)}},
        {"1-bit WhiteIsZero", Image(3, 1, 1, 0, {0xA0}).Bytes(), {0, 0xFFFFFF, 0}},
        {"RGB with an extra sample",
         FourSamples(2, {10, 20, 30, 99, 40, 50, 60, 0}).Bytes(),
         {PGColor(10, 20, 30), PGColor(40, 50, 60)}},
        // The inks are subtracted with black, not multiplied as tifftopnm does.
        {"CMYK",
         FourSamples(5, {0, 0, 0, 0, 255, 0, 0, 0, 100, 50, 20, 10, 200, 150, 60, 100}).Bytes(),
         {PGColor(255, 255, 255), PGColor(0, 255, 255), PGColor(145, 195, 225), PGColor(0, 5, 95)}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TPixelGraphic image;
        Load(c.File, image);
        EXPECT_EQ(RowColors(image, 0), c.Expected);
    }
}

TEST(TiffReader, AcceptsValidFilesTheDirectoryRulesOnceRefused) {
    struct Case {
        const char* Name;
        TTiffBuilder File;
        std::vector<uint32_t> LastRow;
    };
    const std::vector<uint8_t> pixels = {1, 2, 3, 4};
    const Case cases[] = {
        // BitsPerSample and SamplesPerPixel default to 1.
        {"no BitsPerSample or SamplesPerPixel",
         Image(4, 1, 1, 1, {0x50}).Remove(258).Remove(277),
         {0, 0xFFFFFF, 0, 0xFFFFFF}},
        {"RowsPerStrip 2^32-1",
         Gray8(2, 2, pixels).Set(278, tLong, {0xFFFFFFFF}),
         {Gray(3), Gray(4)}},
        {"no RowsPerStrip", Gray8(2, 2, pixels).Remove(278), {Gray(3), Gray(4)}},
        {"BYTE and LONG values",
         Gray8(2, 2, pixels).Set(256, tByte, {2}).Set(257, tLong, {2}),
         {Gray(3), Gray(4)}},
        {"the last of two entries counts", Gray8(2, 2, pixels).Append(256, tShort, {1}), {Gray(2)}},
        {"only the last of two entries is read",
         Gray8(2, 2, pixels).Remove(256).Append(256, tRational, {1, 1}).Append(256, tShort, {2}),
         {Gray(3), Gray(4)}},
        {"a tag the reader ignores has any type",
         Gray8(2, 2, pixels).Set(282, tRational, {72, 1}).Set(305, 2, {0x41}),
         {Gray(3), Gray(4)}},
        {"a colour map longer than the bits need",
         Image(2, 1, 1, 3, {0x40})
             .Set(320, tShort, {0x1100, 0x2200, 0, 0, 0x3300, 0x4400, 0, 0, 0x5500, 0x6600, 0, 0}),
         {PGColor(0x11, 0x33, 0x55), PGColor(0x22, 0x44, 0x66)}},
        {"big-endian SHORTs stand at the start of the field",
         Image(3, 2, 8, 1, {1, 2, 3, 4, 5, 6}, true),
         {Gray(4), Gray(5), Gray(6)}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TPixelGraphic image;
        image.SetReadWarningAction(pgwaRaise);
        Load(c.File.Bytes(), image);
        EXPECT_EQ(RowColors(image, image.Height() - 1), c.LastRow);
    }
}

TEST(TiffReader, RefusesDamagedDirectoriesWithTheirMessages) {
    const std::string eof = "TIFF: Unexpected end of file";
    const std::string samples = "TIFF: Invalid SamplesPerPixel";
    auto gray = [] { return Gray8(2, 2, {1, 2, 3, 4}); };
    std::vector<uint8_t> shortDirectory = gray().Bytes();
    shortDirectory.resize(20);
    std::vector<uint8_t> directoryPastEnd = gray().Bytes();
    directoryPastEnd[4] = 0xF0;
    const std::pair<std::vector<uint8_t>, std::string> cases[] = {
        {gray().Set(256, tRational, {2, 1}).Bytes(), "TIFF: Unsupported field Type: 5"},
        {gray().Set(273, 7, {8}).Bytes(), "TIFF: Unsupported field Type: 7"},
        {shortDirectory, eof},
        {directoryPastEnd, eof},
        // 1000 strip offsets whose array lies beyond the file.
        {[&] {
             std::vector<uint8_t> b = gray().Set(273, tLong, {0, 0}).Bytes();
             for (size_t i = GetLE32(&b[4]) + 2; i + 12 <= b.size(); i += 12)
                 if (GetLE16(&b[i]) == 273) PutLE32(&b[i + 4], 1000);
             return b;
         }(),
         eof},
        {gray().Set(256, tShort, {0}).Bytes(), "TIFF: Width = 0 or Height = 0"},
        {gray().Remove(257).Bytes(), "TIFF: Width = 0 or Height = 0"},
        {gray().Set(284, tShort, {2}).Bytes(), "TIFF: PlanarConfiguration invalid"},
        {gray().Set(277, tShort, {2}).Bytes(), samples},
        // Without bits per sample, four billion samples must not size a default list first.
        {gray().Remove(258).Set(277, tLong, {0xFFFFFFFF}).Bytes(), samples},
        {gray().Set(277, tShort, {3}).Bytes(), "TIFF: Invalid count of SamplesPerPixel"},
        {gray().Set(262, tShort, {2}).Bytes(), samples},
        {gray().Set(258, tShort, {16}).Bytes(), samples},
        {gray().Remove(262).Bytes(), samples},
        {gray().Set(273, tLong, {0, 2}).Set(278, tLong, {0}).Bytes(), "TIFF: Invalid RowsPerStrip"},
        {Gray8(2, 3, {1, 2, 3, 4, 5, 6}).Set(273, tLong, {0, 2}).Set(278, tLong, {1}).Bytes(),
         "TIFF: NumStripOffsets<>(ImageLength+RowsPerStrip-1) div RowsPerStrip"},
        {gray().Remove(273).Bytes(),
         "TIFF: NumStripOffsets<>(ImageLength+RowsPerStrip-1) div RowsPerStrip"},
        {Image(2, 2, 8, 3, {0, 1, 1, 0}).Set(320, tShort, std::vector<uint32_t>(3 * 255)).Bytes(),
         "TIFF: ColorMap invalid"},
        {Image(2, 2, 8, 3, {0, 1, 1, 0}).Bytes(), "TIFF: ColorMap invalid"},
        {gray().Set(259, tShort, {5}).Set(317, tShort, {3}).Bytes(), "TIFF: Predictor invalid"},
        {Image(8, 1, 1, 1, {0}).Set(259, tShort, {8}).Set(317, tShort, {2}).Bytes(),
         "TIFF: Predictor invalid"},
    };
    for (const auto& [bytes, message] : cases) {
        SCOPED_TRACE(message);
        EXPECT_EQ(LoadError(bytes), message);
    }
}

TEST(TiffReader, UnsupportedCompressionsKeepTheirMessages) {
    const std::pair<uint32_t, std::string> cases[] = {{2, "CCITT 1D"},    {3, "Group 3 Fax"},
                                                      {4, "Group 4 Fax"}, {6, "JPEG"},
                                                      {7, "7"},           {34712, "34712"}};
    for (const auto& [compression, name] : cases) {
        SCOPED_TRACE(compression);
        const std::vector<uint8_t> bytes =
            Gray8(2, 2, {1, 2, 3, 4}).Set(259, tShort, {compression}).Bytes();
        EXPECT_EQ(LoadError(bytes), "TIFF: Unsupported compression " + name);
        TPGImageInfo info;
        TMemoryStream stream(bytes);
        TTIFFileFormatReader().GetInfo(stream, 0, info);
        EXPECT_EQ(info.Options, "(Unsupported compression)");
    }
}

TEST(TiffReader, RefusesImagesTheFileCannotHoldBeforeAllocating) {
    // 30000 x 30000 grey pixels declared in a file of about a hundred bytes.
    const std::pair<uint32_t, const char*> cases[] = {
        {1, "none"}, {32773, "PackBits"}, {5, "LZW"}, {8, "Deflate"}};
    for (const auto& [compression, name] : cases) {
        SCOPED_TRACE(name);
        TPixelGraphic image;
        const auto bytes =
            Gray8(30000, 30000, {1, 2, 3, 4}).Set(259, tShort, {compression}).Bytes();
        EXPECT_EQ(LoadError(bytes, image), "TIFF: Unexpected end of file");
        EXPECT_TRUE(image.Empty());
    }
}

TEST(TiffReader, ShortUncompressedFileKeepsItsRowsDownToAnEighthOfThePixels) {
    // 100 x 160 grey: 16000 bytes of pixels at the end of the file, 100 to a row. The file,
    // headers included, must hold an eighth of them: 2000 bytes.
    std::vector<uint8_t> pixels(16000);
    for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = uint8_t(i % 251 + 1);
    const std::vector<uint8_t> whole = Gray8(100, 160, pixels).DataLast().Bytes();
    const size_t dataAt = whole.size() - pixels.size();
    const struct {
        const char* What;
        size_t FileSize;
        bool Refused;
    } cases[] = {{"one byte short", whole.size() - 1, false},
                 {"an eighth left", 2000, false},
                 {"less than an eighth", 1999, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.What);
        TPixelGraphic image;
        const std::vector<uint8_t> bytes(whole.begin(), whole.begin() + c.FileSize);
        EXPECT_EQ(LoadError(bytes, image), "TIFF: Unexpected end of file");
        if (c.Refused) {
            EXPECT_TRUE(image.Empty()) << "refused before allocating";
            continue;
        }
        ASSERT_EQ(image.Height(), 160);
        const size_t kept = c.FileSize - dataAt;
        for (size_t y = 0; y < 160; ++y) {
            const std::vector<uint8_t> row(image.ScanLine(int(y)), image.ScanLine(int(y)) + 100);
            const size_t from = 100 * y;
            // The row the data ends in is not checked.
            if (from < kept && from + 100 > kept) continue;
            const std::vector<uint8_t> expected =
                from < kept ? std::vector<uint8_t>(&pixels[from], &pixels[from] + 100)
                            : std::vector<uint8_t>(100, 0);
            EXPECT_EQ(row, expected) << "row " << y;
        }
    }
}

TEST(TiffReader, StripPastTheEndKeepsTheRowsBefore) {
    // Two strips of two rows; the second starts far beyond the file.
    TPixelGraphic image;
    const auto bytes = Gray8(2, 4, {1, 2, 3, 4, 5, 6, 7, 8})
                           .Set(273, tLong, {0, 100000})
                           .Set(278, tLong, {2})
                           .Bytes();
    EXPECT_EQ(LoadError(bytes, image), "TIFF: Unexpected end of file");
    ASSERT_EQ(image.Height(), 4);
    EXPECT_EQ(RowColors(image, 1), (std::vector<uint32_t>{Gray(3), Gray(4)}));
    EXPECT_EQ(RowColors(image, 2), (std::vector<uint32_t>{0, 0}));
}

TEST(TiffReader, TruncatedStripsFailInEveryCompression) {
    const std::vector<uint8_t> raw = {1, 2, 3, 4, 5, 6};
    std::vector<uint8_t> deflated = Deflated(raw);
    deflated.resize(4); // the stream header and the start of the data
    const std::pair<uint32_t, std::vector<uint8_t>> cases[] = {
        {1, {1, 2, 3, 4, 5}},
        {32773, {2, 1, 2, 3, 2, 4, 5}}, // the second literal run of 3 ends after 2
        {5, Lzw9({256, 1, 257})},       // Clear, 1, EOI: one byte where six are due
        {5, Lzw9({256, 1})},            // no EOI either
        {32946, deflated}};
    for (const auto& [compression, strip] : cases) {
        SCOPED_TRACE(compression);
        TTiffBuilder file = Gray8(3, 2, strip).Set(259, tShort, {compression}).DataLast();
        EXPECT_EQ(LoadError(file.Bytes()), "TIFF: Unexpected end of file");
    }
}

TEST(TiffReader, DecodesBuiltLZWAndDeflateStrips) {
    // 1, 2, 3, 258 = "1 2", then 261 = "1 2 1" before the table holds it: 1 2 3 1 | 2 1 2 1,
    // the string "1 2" split between the rows.
    const std::vector<uint8_t> lzw = Lzw9({256, 1, 2, 3, 258, 261, 257});
    // Each strip starts a new table; the "2" left over from the first row is dropped.
    const std::vector<uint8_t> strip = Lzw9({256, 1, 2, 3, 258, 257});
    std::vector<uint8_t> twoStrips = strip;
    twoStrips.insert(twoStrips.end(), strip.begin(), strip.end());
    const auto second = static_cast<uint32_t>(strip.size());
    const std::vector<uint8_t> deflated = Deflated({9, 8, 7, 6, 5, 4});
    struct Case {
        const char* Name;
        TTiffBuilder File;
        std::vector<uint32_t> Row0, Row1;
    };
    const std::vector<uint32_t> row1231 = {Gray(1), Gray(2), Gray(3), Gray(1)};
    const Case cases[] = {
        {"LZW",
         Gray8(4, 2, lzw).Set(259, tShort, {5}),
         row1231,
         {Gray(2), Gray(1), Gray(2), Gray(1)}},
        {"LZW, a strip per row",
         Gray8(4, 2, twoStrips)
             .Set(259, tShort, {5})
             .Set(278, tLong, {1})
             .Set(273, tLong, {0, second}),
         row1231, row1231},
        {"Deflate 32946",
         Gray8(3, 2, deflated).Set(259, tShort, {32946}),
         {Gray(9), Gray(8), Gray(7)},
         {Gray(6), Gray(5), Gray(4)}},
        // Horizontal differences of 8-bit samples: 10, +5, +5.
        {"Deflate with predictor",
         Gray8(3, 1, Deflated({10, 5, 5})).Set(259, tShort, {8}).Set(317, tShort, {2}),
         {Gray(10), Gray(15), Gray(20)},
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TPixelGraphic image;
        Load(c.File.Bytes(), image);
        EXPECT_EQ(RowColors(image, 0), c.Row0);
        if (!c.Row1.empty()) {
            EXPECT_EQ(RowColors(image, 1), c.Row1);
        }
    }
}

TEST(TiffReader, DamagedCompressedDataIsRefused) {
    const std::pair<uint32_t, std::vector<uint8_t>> cases[] = {
        {5, Lzw9({256, 300})}, // a code the table does not hold yet
        {8, {0x78, 0x9C, 0xFF, 0xFF, 0xFF, 0xFF}}};
    const char* messages[] = {"TIFF: LZW code invalid", "TIFF: Deflate data invalid"};
    for (int i = 0; i < 2; ++i) {
        SCOPED_TRACE(messages[i]);
        EXPECT_EQ(
            LoadError(Gray8(3, 1, cases[i].second).Set(259, tShort, {cases[i].first}).Bytes()),
            messages[i]);
    }
}

TEST(TiffReader, PackBitsRunsThatOverflowTheRowNameTheRow) {
    // Row 0 decodes (a skipped -128, a literal 3 and a run of 1); row 1 runs one byte over.
    const std::pair<std::vector<uint8_t>, const char*> cases[] = {
        {{0x80, 0x02, 1, 2, 3, 0x00, 4, 0x04, 1, 2, 3, 4, 5}, "literal"},
        {{0x80, 0x02, 1, 2, 3, 0x00, 4, 0xFC, 9}, "repeat"}};
    for (const auto& [strip, name] : cases) {
        SCOPED_TRACE(name);
        TPixelGraphic image;
        EXPECT_EQ(LoadError(Gray8(4, 2, strip).Set(259, tShort, {32773}).Bytes(), image),
                  "TIFF (PackBits): Invalid count of bytes in row 1");
        EXPECT_EQ(RowColors(image, 0), (std::vector<uint32_t>{Gray(1), Gray(2), Gray(3), Gray(4)}));
    }
}

TEST(TiffReader, SingleStripWithTooFewRowsWarnsAsTheImageSays) {
    // RowsPerStrip 1 for 3 rows in one strip: the strip then holds the whole image.
    const auto bytes = Gray8(2, 3, {1, 2, 3, 4, 5, 6}).Set(278, tLong, {1}).Bytes();
    const std::string text = "NumStripOffsets<>(ImageLength+RowsPerStrip-1) div RowsPerStrip";
    struct Case {
        TPGWarningAction Action;
        bool Answer;
        std::string Error;
        int Boxes;
    };
    const Case cases[] = {{pgwaIgnore, true, "", 0},
                          {pgwaOKBox, true, "", 1},
                          {pgwaOKCancelBox, true, "", 1},
                          {pgwaOKCancelBox, false, "TIFF: " + text, 1},
                          {pgwaRaise, true, "TIFF: " + text, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.Action));
        int boxes = 0;
        SetPGWarningBox([&](const std::string& caption, const std::string& shown, bool withCancel) {
            ++boxes;
            EXPECT_EQ(caption, "TIFF-Warning");
            EXPECT_EQ(shown, "TIFF: " + text);
            EXPECT_EQ(withCancel, c.Action == pgwaOKCancelBox);
            return c.Answer;
        });
        TPixelGraphic image;
        image.SetReadWarningAction(c.Action);
        EXPECT_EQ(LoadError(bytes, image), c.Error);
        EXPECT_EQ(boxes, c.Boxes);
        if (c.Error.empty()) {
            EXPECT_EQ(RowColors(image, 2), (std::vector<uint32_t>{Gray(5), Gray(6)}));
        }
    }
    SetPGWarningBox(nullptr);
}

TEST(TiffReader, ReportsEveryRowAndStopsOnAbort) {
    const TRefImage reference = LoadReferencePPM(TestData("tiff/rgb-lzw-2-strips.ppm"));
    for (int abortAt : {-1, 5}) {
        SCOPED_TRACE(abortAt);
        TPixelGraphic image;
        std::vector<int> steps;
        int starts = 0, ends = 0;
        image.OnProgressStart = [&](TPixelGraphic&) { ++starts; };
        image.OnProgressEnd = [&](TPixelGraphic&) { ++ends; };
        image.OnProgress = [&](TPixelGraphic&, int step, int max, bool& abort) {
            EXPECT_EQ(max, 23);
            steps.push_back(step);
            abort = step == abortAt;
        };
        image.LoadFromFile(TestData("tiff/rgb-lzw-2-strips.tif"));
        const int rows = abortAt < 0 ? 23 : abortAt + 1;
        ASSERT_EQ(steps.size(), static_cast<size_t>(rows));
        for (int i = 0; i < rows; ++i) EXPECT_EQ(steps[i], i);
        EXPECT_EQ(starts, 1);
        EXPECT_EQ(ends, 1);
        for (int x = 0; x < 37; ++x) {
            EXPECT_EQ(image.GetPixelColor(x, rows - 1), reference.At(x, rows - 1));
            if (rows < 23) {
                EXPECT_EQ(image.GetPixelColor(x, rows), 0u);
            }
        }
    }
}

// ---------------------------------------------------------------------------------------------
// Writer

struct TEntry {
    uint16_t Type;
    uint32_t Count;
    std::vector<uint32_t> Values;
};

// The entries of a little-endian file's first directory, in file order.
std::vector<std::pair<uint16_t, TEntry>> ReadDirectory(const std::vector<uint8_t>& f) {
    std::vector<std::pair<uint16_t, TEntry>> entries;
    const uint8_t* ifd = f.data() + GetLE32(&f[4]);
    for (int i = 0; i < GetLE16(ifd); ++i) {
        const uint8_t* e = ifd + 2 + 12 * i;
        TEntry entry{GetLE16(e + 2), GetLE32(e + 4), {}};
        const int size = entry.Type == tShort ? 2 : 4;
        const uint32_t n = entry.Count * (entry.Type == tRational ? 2 : 1);
        const uint8_t* p = n * size <= 4 ? e + 8 : f.data() + GetLE32(e + 8);
        if (n * size > 4) {
            EXPECT_EQ(GetLE32(e + 8) % 2, 0u) << "odd value offset";
        }
        for (uint32_t k = 0; k < n; ++k)
            entry.Values.push_back(size == 2 ? GetLE16(p + 2 * k) : GetLE32(p + 4 * k));
        entries.emplace_back(GetLE16(e), std::move(entry));
    }
    return entries;
}

std::map<uint16_t, TEntry> DirectoryMap(const std::vector<uint8_t>& file) {
    std::map<uint16_t, TEntry> map;
    for (auto& [tag, entry] : ReadDirectory(file)) map[tag] = entry;
    return map;
}

// Images of every class the writer stores, 13 x 7 so rows end in partial bytes.
std::unique_ptr<TPixelGraphic> Pattern(uint8_t format, TPaletteIdent ident, int paletteCount = 0) {
    auto image = std::make_unique<TPixelGraphic>();
    image->SetSizeAndFormat(13, 7, format);
    if (paletteCount > 0) {
        image->SetPaletteCount(paletteCount);
        for (int i = 0; i < paletteCount; ++i)
            image->SetPaletteEntry(i, i == 0 ? PGColor(255, 255, 255)
                                             : PGColor(i * 37, 250 - i * 9, i * 5 + 1));
    } else if (format != pf24Bit) {
        image->SetPaletteIdent(ident);
    }
    const uint32_t span = paletteCount > 0    ? paletteCount
                          : format == pf24Bit ? 0
                                              : image->ColorCount();
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 13; ++x)
            image->SetPixel(x, y,
                            span ? (x * 3 + y * 5) % span
                                 : PGColor(x * 19, y * 36, (x * y * 7) % 256 ^ 255));
    image->ClassifyPalette();
    return image;
}

struct TWriterCase {
    const char* Name;
    uint8_t Format;
    TPaletteIdent Ident;
    int PaletteCount;
    uint32_t Photometric;
    std::vector<uint32_t> BitsPerSample;
};

const TWriterCase writerCases[] = {
    {"black_and_white", pf1Bit, pBlackWhite, 0, 1, {1}},
    {"gray16", pf4Bit, pGray16, 0, 1, {4}},
    {"sys16", pf4Bit, pSys16, 0, 3, {4}},
    {"colors16_of_12_entries", pf4Bit, pUnknown, 12, 3, {4}},
    {"gray256", pf8Bit, pGray256, 0, 1, {8}},
    {"colors256_of_200_entries", pf8Bit, pUnknown, 200, 3, {8}},
    {"true_color", pf24Bit, pTrueColor, 0, 2, {8, 8, 8}},
};

void PrintTo(const TWriterCase& c, std::ostream* out) {
    *out << c.Name;
}

class TiffWriter : public ::testing::TestWithParam<TWriterCase> {
protected:
    std::vector<uint8_t> Written(TPixelGraphic& image) {
        TMemoryStream stream;
        image.SaveToStreamAs(stream, "tif");
        return stream.Data();
    }
};

TEST_P(TiffWriter, RoundTripsWithTheExpectedDirectory) {
    const TWriterCase& c = GetParam();
    auto image = Pattern(c.Format, c.Ident, c.PaletteCount);
    ASSERT_EQ(image->PaletteIdent(), c.Ident);
    const std::vector<uint8_t> file = Written(*image);
    ASSERT_GE(file.size(), 8u);
    EXPECT_EQ(std::vector<uint8_t>(file.begin(), file.begin() + 8),
              (std::vector<uint8_t>{'I', 'I', 42, 0, 8, 0, 0, 0}));

    std::vector<uint16_t> tags;
    for (const auto& [tag, entry] : ReadDirectory(file)) tags.push_back(tag);
    std::vector<uint16_t> expectedTags = {254, 256, 257, 258, 259, 262, 273,
                                          277, 278, 279, 282, 283, 296};
    if (c.Photometric == 3) expectedTags.push_back(320);
    EXPECT_EQ(tags, expectedTags);

    auto d = DirectoryMap(file);
    EXPECT_EQ(d[254].Values, std::vector<uint32_t>{0});
    EXPECT_EQ(d[256].Values, std::vector<uint32_t>{13});
    EXPECT_EQ(d[257].Values, std::vector<uint32_t>{7});
    EXPECT_EQ(d[258].Values, c.BitsPerSample);
    EXPECT_EQ(d[259].Values, std::vector<uint32_t>{1});
    EXPECT_EQ(d[262].Values, std::vector<uint32_t>{c.Photometric});
    EXPECT_EQ(d[277].Values, std::vector<uint32_t>{static_cast<uint32_t>(c.BitsPerSample.size())});
    EXPECT_EQ(d[282].Values, (std::vector<uint32_t>{300, 1}));
    EXPECT_EQ(d[283].Values, (std::vector<uint32_t>{300, 1}));
    EXPECT_EQ(d[296].Values, std::vector<uint32_t>{2});
    if (c.Photometric == 3) {
        const size_t n = size_t(1) << c.BitsPerSample[0];
        const std::vector<uint32_t>& map = d[320].Values;
        ASSERT_EQ(map.size(), 3 * n);
        for (size_t i = 0; i < n; ++i) {
            const uint32_t color = i < size_t(image->PaletteCount()) ? image->Palette()[i] : 0;
            EXPECT_EQ(map[i], PGRed(color) * 257u) << i;
            EXPECT_EQ(map[n + i], PGGreen(color) * 257u) << i;
            EXPECT_EQ(map[2 * n + i], PGBlue(color) * 257u) << i;
        }
    }

    TPixelGraphic back;
    back.SetReadWarningAction(pgwaRaise);
    Load(file, back);
    EXPECT_TRUE(SamePixels(back, ToReference(*image)));
    EXPECT_EQ(back.PixelFormat(), c.Format);
}

TEST_P(TiffWriter, OtherDecodersSeeTheSamePixelsAndNoWarnings) {
    for (const char* tool : {"tifftopnm", "tiffinfo", "ppmtoppm", "pamdepth", "/usr/bin/convert"})
        if (!ToolAvailable(tool)) GTEST_SKIP() << tool << " is not installed";
    auto image = Pattern(GetParam().Format, GetParam().Ident, GetParam().PaletteCount);
    TTempDir dir;
    const auto tif = dir / "image.tif";
    WriteFileBytes(tif, Written(*image));
    const TRefImage ours = ToReference(*image);
    const std::string t = "'" + tif.string() + "'";
    ASSERT_EQ(RunCommand("tifftopnm " + t + " 2>/dev/null | ppmtoppm | pamdepth 255 >'" +
                         (dir / "netpbm.ppm").string() + "'"),
              0);
    ASSERT_EQ(
        RunCommand("/usr/bin/convert " + t + " -depth 8 'ppm:" + (dir / "im.ppm").string() + "'"),
        0);
    for (const char* decoded : {"netpbm.ppm", "im.ppm"}) {
        SCOPED_TRACE(decoded);
        const TRefImage theirs = LoadReferencePPM(dir / decoded);
        EXPECT_EQ(theirs.Width, ours.Width);
        EXPECT_EQ(theirs.Height, ours.Height);
        EXPECT_EQ(theirs.Pixels, ours.Pixels);
    }
    ASSERT_EQ(RunCommand("tiffinfo " + t + " >/dev/null 2>'" + (dir / "err").string() + "'"), 0);
    const std::vector<uint8_t> warnings = ReadFileBytes(dir / "err");
    EXPECT_TRUE(warnings.empty()) << std::string(warnings.begin(), warnings.end());
}

INSTANTIATE_TEST_SUITE_P(Tiff, TiffWriter, ::testing::ValuesIn(writerCases),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST(TiffWriterStrips, RowsPerStripFollowTheRowSize) {
    struct Case {
        int Width, Height;
        uint32_t RowsPerStrip;
        size_t Strips;
    };
    const Case cases[] = {{10922, 3, 1, 3}, {100, 250, 109, 3}, {4, 5, 5, 1}, {20000, 2, 1, 2}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Width);
        TPixelGraphic image;
        image.SetSizeAndFormat(c.Width, c.Height, pf24Bit);
        image.SetPixel(c.Width - 1, c.Height - 1, PGColor(1, 2, 3));
        TMemoryStream stream;
        TTIFFileFormatWriter().WriteImage(stream, image);
        auto d = DirectoryMap(stream.Data());
        EXPECT_EQ(d[278].Values, std::vector<uint32_t>{c.RowsPerStrip});
        const std::vector<uint32_t>& offsets = d[273].Values;
        const std::vector<uint32_t>& counts = d[279].Values;
        ASSERT_EQ(offsets.size(), c.Strips);
        ASSERT_EQ(counts.size(), c.Strips);
        for (size_t i = 0; i + 1 < c.Strips; ++i) {
            EXPECT_EQ(counts[i], c.RowsPerStrip * 3u * c.Width);
            EXPECT_EQ(offsets[i + 1], offsets[i] + counts[i]);
        }
        EXPECT_EQ(offsets.back() + counts.back(), stream.Data().size());
        // The last pixel, red first.
        EXPECT_EQ(std::vector<uint8_t>(stream.Data().end() - 3, stream.Data().end()),
                  (std::vector<uint8_t>{1, 2, 3}));
    }
}

TEST(TiffWriterStrips, ReportsEveryRowAndWritesZerosAfterAnAbort) {
    auto image = Pattern(pf24Bit, pTrueColor);
    std::vector<int> steps;
    image->OnProgress = [&](TPixelGraphic&, int step, int max, bool& abort) {
        EXPECT_EQ(max, 7);
        steps.push_back(step);
        abort = step == 2;
    };
    TMemoryStream stream;
    TTIFFileFormatWriter().WriteImage(stream, *image);
    EXPECT_EQ(steps, (std::vector<int>{0, 1, 2}));
    TPixelGraphic back;
    Load(stream.Data(), back);
    ASSERT_EQ(back.Height(), 7);
    EXPECT_EQ(RowColors(back, 2), RowColors(*image, 2));
    EXPECT_EQ(RowColors(back, 3), std::vector<uint32_t>(13, 0));
}

TEST(TiffWriterStrips, TwoColorImagesAreStoredWithSixteenColors) {
    TPixelGraphic image;
    image.SetSizeAndFormat(5, 2, pf1Bit);
    image.SetPaletteCount(2);
    image.SetPaletteEntry(0, PGColor(200, 0, 0));
    image.SetPaletteEntry(1, PGColor(0, 0, 200));
    image.SetPixel(1, 1, 1);
    image.SetSaveColorResWarningAction(pgwaRaise);
    TMemoryStream refused;
    EXPECT_EQ(ErrorOf<EPGCannotWriteColorRes>([&] { image.SaveToStreamAs(refused, "tif"); }),
              "The graphic cannot be saved with to a Tagged Image File Format "
              "file with the current color resolution (2 colors)");
    image.SetSaveColorResWarningAction(pgwaIgnore);
    TMemoryStream stream;
    image.SaveToStreamAs(stream, "tif");
    auto d = DirectoryMap(stream.Data());
    EXPECT_EQ(d[258].Values, std::vector<uint32_t>{4});
    EXPECT_EQ(d[262].Values, std::vector<uint32_t>{3});
}

TEST(TiffWriterStrips, RefusesAnEmptyImage) {
    TPixelGraphic image;
    TMemoryStream stream;
    EXPECT_EQ(
        ErrorOf<EPGTIFFileFormatWriter>([&] { TTIFFileFormatWriter().WriteImage(stream, image); }),
        "TIFF: Width = 0 or Height = 0");
}

} // namespace
