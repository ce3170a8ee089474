#include "ico_format.h"
#include "test_support.h"

#include <fstream>
#include <sstream>
#include <zlib.h>

namespace {

constexpr uint32_t white = 0xFFFFFF, red = PGColor(255, 0, 0);

// A one-bit icon picture: black and red in the colour table, every pixel red, and the mask
// hiding the top-left pixel only.
struct IconPicture {
    int Width = 16;
    int Height = 16;
    std::vector<uint8_t> Bytes;
};

IconPicture bitmapPicture(int w, int h) {
    IconPicture p{w, h, std::vector<uint8_t>(40, 0)};
    PutLE32(&p.Bytes[0], 40);
    PutLE32(&p.Bytes[4], uint32_t(w));
    PutLE32(&p.Bytes[8], uint32_t(2 * h));
    PutLE16(&p.Bytes[12], 1);
    PutLE16(&p.Bytes[14], 1);
    p.Bytes.resize(48, 0); // colour table: black, then red
    p.Bytes[46] = 255;
    const size_t row = size_t(BytesPerRowOf(1, w));
    p.Bytes.insert(p.Bytes.end(), row * h, 0xFF);
    const size_t maskStart = p.Bytes.size();
    p.Bytes.insert(p.Bytes.end(), row * h, 0);
    p.Bytes[maskStart + row * (h - 1)] = 0x80; // rows are stored bottom-up
    return p;
}

// The directory describes each picture by its size, one bit per pixel and its byte count.
std::vector<uint8_t> iconFile(const std::vector<IconPicture>& pictures) {
    std::vector<uint8_t> f = {0, 0, 1, 0, 0, 0};
    PutLE16(&f[4], uint16_t(pictures.size()));
    uint32_t offset = uint32_t(6 + 16 * pictures.size());
    for (const IconPicture& p : pictures) {
        uint8_t e[16] = {uint8_t(p.Width), uint8_t(p.Height), 2, 0, 1, 0, 1, 0};
        PutLE32(e + 8, uint32_t(p.Bytes.size()));
        PutLE32(e + 12, offset);
        f.insert(f.end(), e, e + 16);
        offset += uint32_t(p.Bytes.size());
    }
    for (const IconPicture& p : pictures) f.insert(f.end(), p.Bytes.begin(), p.Bytes.end());
    return f;
}

const tIcoFileFormatReader icoReader;

std::string readError(TPixelGraphic& image, const std::vector<uint8_t>& bytes, int index = 0) {
    TBorrowedStream stream(bytes);
    return ErrorOf([&] { icoReader.ReadImage(stream, image, index); });
}

bool pngReaderRegistered() {
    static const std::vector<uint8_t> signature = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n',
                                                   0,    0,   0,   13,  'I',  'H',  'D',  'R'};
    TBorrowedStream stream(signature);
    return PGRegistry().FindReader(stream, "") != nullptr;
}

void expectIconLoad(const TPixelGraphic& image) {
    EXPECT_EQ(image.PixelFormat(), pf24Bit);
    EXPECT_EQ(image.PaletteCount(), 0);
    EXPECT_TRUE(image.Transparent());
    EXPECT_EQ(image.TransparentColor(), white);
}

} // namespace

struct IcoCase {
    const char* File;
    int Index;
    const char* Reference;
};

class IcoFixture : public ::testing::TestWithParam<IcoCase> {};

TEST_P(IcoFixture, IconDecodesLikeTheIndependentDecoderOverWhite) {
    const IcoCase& c = GetParam();
    TPixelGraphic image;
    image.LoadFromFile(TestData(std::string("ico/") + c.File + ".ico"), c.Index);
    expectIconLoad(image);
    EXPECT_TRUE(
        SamePixels(image, LoadReferencePPM(TestData(std::string("ico/") + c.Reference + ".ppm"))));
}

// One, four and eight bits with masks; 24 bits with a mask; 32 bits with graded alpha.
INSTANTIATE_TEST_SUITE_P(Files, IcoFixture,
                         ::testing::Values(IcoCase{"netpbm-multi", 0, "netpbm-multi-0"},
                                           IcoCase{"netpbm-multi", 1, "netpbm-multi-1"},
                                           IcoCase{"netpbm-multi", 2, "netpbm-multi-2"},
                                           IcoCase{"icotool-24", 0, "icotool-24"},
                                           IcoCase{"icotool-32", 0, "icotool-32"},
                                           IcoCase{"icotool-png", 0, "icotool-png-0"},
                                           IcoCase{"im-32", 0, "im-32"}));

TEST(Ico, CompressedEntryGoesThroughThePngReader) {
    if (!pngReaderRegistered()) GTEST_SKIP() << "no reader for PNG content registered yet";
    TPixelGraphic image;
    image.LoadFromFile(TestData("ico/icotool-png.ico"), 1);
    expectIconLoad(image);
    EXPECT_TRUE(SamePixels(image, LoadReferencePPM(TestData("ico/icotool-png-1.ppm"))));
}

namespace {

void appendBE32(std::vector<uint8_t>& v, uint32_t x) {
    v.insert(v.end(), {uint8_t(x >> 24), uint8_t(x >> 16), uint8_t(x >> 8), uint8_t(x)});
}

// An 8 x 8 PNG of one colour type at 8 bits, with the chunks given between IHDR and IDAT; every
// row holds rowSamples.
std::vector<uint8_t>
pngFile(uint8_t colorType, const std::vector<std::pair<std::string, std::vector<uint8_t>>>& chunks,
        const std::vector<uint8_t>& rowSamples) {
    std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    auto chunk = [&](const std::string& type, const std::vector<uint8_t>& data) {
        appendBE32(png, uint32_t(data.size()));
        const size_t typeAt = png.size();
        png.insert(png.end(), type.begin(), type.end());
        png.insert(png.end(), data.begin(), data.end());
        appendBE32(png, uint32_t(crc32(0, &png[typeAt], uInt(png.size() - typeAt))));
    };
    std::vector<uint8_t> header;
    appendBE32(header, 8);
    appendBE32(header, 8);
    header.insert(header.end(), {8, colorType, 0, 0, 0});
    chunk("IHDR", header);
    for (const auto& [type, data] : chunks) chunk(type, data);
    std::vector<uint8_t> raw;
    for (int y = 0; y < 8; ++y) {
        raw.push_back(0);
        raw.insert(raw.end(), rowSamples.begin(), rowSamples.end());
    }
    uLongf size = compressBound(uLong(raw.size()));
    std::vector<uint8_t> packed(size);
    EXPECT_EQ(compress(packed.data(), &size, raw.data(), uLong(raw.size())), Z_OK);
    packed.resize(size);
    chunk("IDAT", packed);
    chunk("IEND", {});
    return png;
}

} // namespace

TEST(Ico, CompressedEntryIsLaidOverWhiteWhateverItsBackgroundChunk) {
    if (!pngReaderRegistered()) GTEST_SKIP() << "no reader for PNG content registered yet";
    constexpr uint32_t blue = PGColor(0, 0, 255);
    // Even columns transparent, odd columns opaque blue; the bKGD chunk names red.
    std::vector<uint8_t> rgba, indices;
    for (int x = 0; x < 8; ++x) {
        rgba.insert(rgba.end(), {0, 0, uint8_t(x % 2 ? 255 : 0), uint8_t(x % 2 ? 255 : 0)});
        indices.push_back(uint8_t(x % 2));
    }
    const struct {
        const char* Name;
        std::vector<uint8_t> Png;
    } cases[] = {
        {"alpha channel", pngFile(6, {{"bKGD", {0, 255, 0, 0, 0, 0}}}, rgba)},
        {"transparent palette entry",
         pngFile(3, {{"PLTE", {0, 255, 0, 0, 0, 255, 255, 0, 0}}, {"tRNS", {0}}, {"bKGD", {2}}},
                 indices)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        TPixelGraphic image;
        ASSERT_EQ(readError(image, iconFile({{8, 8, c.Png}})), "");
        expectIconLoad(image);
        for (int y = 0; y < 8; y += 7)
            for (int x = 0; x < 8; ++x)
                EXPECT_EQ(image.GetPixelColor(x, y), x % 2 ? blue : white) << x << "," << y;
    }
}

TEST(Ico, SizesFromEightTo256) {
    struct Case {
        int Width, Height;
        bool Accepted;
    } cases[] = {{7, 16, false},  {16, 7, false},   {8, 8, true},     {128, 128, true},
                 {64, 256, true}, {256, 256, true}, {257, 16, false}, {16, 257, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.Width) + "x" + std::to_string(c.Height));
        TPixelGraphic image;
        const std::string error = readError(image, iconFile({bitmapPicture(c.Width, c.Height)}));
        if (!c.Accepted) {
            EXPECT_EQ(error, "Index out of bounds");
            continue;
        }
        ASSERT_EQ(error, "");
        EXPECT_EQ(image.Width(), c.Width);
        EXPECT_EQ(image.Height(), c.Height);
        expectIconLoad(image);
        EXPECT_EQ(image.GetPixelColor(0, 0), white) << "masked";
        EXPECT_EQ(image.GetPixelColor(1, 0), red);
        EXPECT_EQ(image.GetPixelColor(c.Width - 1, c.Height - 1), red);
    }
}

TEST(Ico, DamagedFilesGiveTheirMessages) {
    const std::vector<uint8_t> good = iconFile({bitmapPicture(16, 16)});
    struct Case {
        const char* Name;
        void (*Change)(std::vector<uint8_t>&);
        int Index;
        const char* Message;
    } cases[] = {
        {"reserved word", [](std::vector<uint8_t>& f) { f[0] = 1; }, 0, "Not an Icon file"},
        {"cursor", [](std::vector<uint8_t>& f) { f[2] = 2; }, 0, "Not an Icon file"},
        {"no entries", [](std::vector<uint8_t>& f) { f[4] = 0; }, 0, "Not an Icon file"},
        {"directory cut off", [](std::vector<uint8_t>& f) { f[4] = 200; }, 0, "Not an Icon file"},
        {"index past the entries", [](std::vector<uint8_t>&) {}, 1, "Index out of bounds"},
        {"negative index", [](std::vector<uint8_t>&) {}, -1, "Index out of bounds"},
        {"offset past the end", [](std::vector<uint8_t>& f) { PutLE32(&f[18], 0x7FFFFFFF); }, 0,
         "Index out of bounds"},
        {"size past the end", [](std::vector<uint8_t>& f) { f.pop_back(); }, 0,
         "Index out of bounds"},
        {"byte count too small",
         [](std::vector<uint8_t>& f) { PutLE32(&f[14], GetLE32(&f[14]) - 4); }, 0,
         "Index out of bounds"},
        {"two bits per pixel", [](std::vector<uint8_t>& f) { f[22 + 14] = 2; }, 0,
         "Index out of bounds"},
        {"core header", [](std::vector<uint8_t>& f) { f[22] = 12; }, 0, "Index out of bounds"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        std::vector<uint8_t> bytes = good;
        c.Change(bytes);
        TPixelGraphic image;
        EXPECT_EQ(readError(image, bytes, c.Index), c.Message);
    }
    TPixelGraphic image;
    EXPECT_EQ(readError(image, good), "");
}

TEST(Ico, GetInfoForOneAndSeveralIcons) {
    struct Case {
        const char* File;
        int ImageCount, Width, Height, BitCount;
        const char* Colors;
        const char* SubFormat;
        const char* Options;
    } cases[] = {
        {"netpbm-multi", 3, 16, 16, 1, "", "Sizes 16..32", "Colors 2..256"},
        {"icotool-png", 2, 16, 16, 1, "", "Sizes 16..32", "Colors 2..16.7M"},
        {"icotool-32", 1, 20, 20, 32, "16.7M", "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.File);
        EXPECT_EQ(InfoOf(TestData(std::string("ico/") + c.File + ".ico")),
                  (TPGImageInfo{.FormatName = "Windows Icon",
                                .ImageCount = c.ImageCount,
                                .BitCount = c.BitCount,
                                .Colors = c.Colors,
                                .Height = c.Height,
                                .Width = c.Width,
                                .Options = c.Options,
                                .SubFormat = c.SubFormat}));
    }
    // The second entry lies outside the file: the directory's size byte 0 stands for 256.
    std::vector<uint8_t> bytes = iconFile({bitmapPicture(8, 8), bitmapPicture(16, 16)});
    bytes[22] = 0;
    bytes.resize(bytes.size() - 10);
    TBorrowedStream stream(bytes);
    TPGImageInfo info;
    icoReader.GetInfo(stream, 0, info);
    EXPECT_EQ(info.SubFormat, "Sizes 8..256");
    EXPECT_EQ(info.Options, "Colors 2..2");

    const std::vector<uint8_t> gif = ReadFileBytes(TestData("gif/anim.gif"));
    TBorrowedStream notIcon(gif);
    EXPECT_EQ(ErrorOf([&] { icoReader.GetInfo(notIcon, 0, info); }), "Not an Icon file");
}

TEST(Ico, ProgressPerRowAndAbortKeepsTheRowsDone) {
    TPixelGraphic image;
    std::vector<int> steps;
    int starts = 0, ends = 0;
    image.OnProgressStart = [&](TPixelGraphic&) { ++starts; };
    image.OnProgressEnd = [&](TPixelGraphic&) { ++ends; };
    image.OnProgress = [&](TPixelGraphic&, int step, int max, bool& abort) {
        EXPECT_EQ(max, 31);
        steps.push_back(step);
        abort = step == 1;
    };
    image.LoadFromFile(TestData("ico/netpbm-multi.ico"), 1);
    EXPECT_EQ(starts, 1);
    EXPECT_EQ(ends, 1);
    EXPECT_EQ(steps, (std::vector<int>{0, 1}));
    const TRefImage ref = LoadReferencePPM(TestData("ico/netpbm-multi-1.ppm"));
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            ASSERT_EQ(image.GetPixelColor(x, y), y < 2 ? ref.At(x, y) : 0u) << x << "," << y;
}

TEST(Ico, PgtoolReportsSizesAndConvertsOne) {
    TTempDir dir;
    const std::string tool = GLIMMET_PGTOOL;
    const std::string ico = TestData("ico/netpbm-multi.ico").string();
    ASSERT_EQ(RunCommand(tool + " info " + ico + " > " + (dir / "info.txt").string()), 0);
    std::ifstream in(dir / "info.txt");
    std::stringstream text;
    text << in.rdbuf();
    const std::string info = text.str();
    EXPECT_NE(info.find("FormatName: Windows Icon\n"), std::string::npos) << info;
    EXPECT_NE(info.find("ImageCount: 3\n"), std::string::npos) << info;
    EXPECT_NE(info.find("SubFormat: Sizes 16..32\n"), std::string::npos) << info;
    ASSERT_EQ(
        RunCommand(tool + " convert " + ico + " " + (dir / "out.bmp").string() + " --index 2"), 0);
    TPixelGraphic icon;
    icon.LoadFromFile(dir / "out.bmp");
    EXPECT_TRUE(SamePixels(icon, LoadReferencePPM(TestData("ico/netpbm-multi-2.ppm"))));
}
