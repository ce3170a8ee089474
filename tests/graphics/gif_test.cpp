#include "gif_format.h"
#include "test_support.h"

#include <fstream>
#include <sstream>
#include <thread>

namespace {

// LZW data for a code sequence, each code at the width a decoder reads it with: the minimum
// code size byte, the codes packed least significant bit first, sub-blocks and terminator.
std::vector<uint8_t> lzwData(int minCodeSize, const std::vector<int>& codes) {
    const int clear = 1 << minCodeSize;
    int width = minCodeSize + 1, next = clear + 2;
    bool first = true;
    std::vector<uint8_t> packed;
    uint32_t acc = 0;
    int bits = 0;
    for (int code : codes) {
        acc |= uint32_t(code) << bits, bits += width;
        for (; bits >= 8; bits -= 8, acc >>= 8) packed.push_back(uint8_t(acc));
        if (code == clear) {
            width = minCodeSize + 1, next = clear + 2, first = true;
        } else if (first) {
            first = false;
        } else if (next < 4096 && ++next == 1 << width && width < 12) {
            ++width;
        }
    }
    if (bits > 0) packed.push_back(uint8_t(acc));
    std::vector<uint8_t> out{uint8_t(minCodeSize)};
    for (size_t at = 0; at < packed.size(); at += 255) {
        const size_t n = std::min<size_t>(255, packed.size() - at);
        out.push_back(uint8_t(n));
        out.insert(out.end(), packed.begin() + long(at), packed.begin() + long(at + n));
    }
    out.push_back(0);
    return out;
}

// Clear, the pixels as literal codes, end: never compressed, so the width grows every time the
// table reaches the next power of two and the table fills without a clear.
std::vector<uint8_t> literals(int minCodeSize, const std::vector<int>& pixels) {
    std::vector<int> codes{1 << minCodeSize};
    codes.insert(codes.end(), pixels.begin(), pixels.end());
    codes.push_back((1 << minCodeSize) + 1);
    return lzwData(minCodeSize, codes);
}

// A GIF assembled block by block; the global table is a grey ramp of 2^depth entries.
struct GifBuilder {
    std::vector<uint8_t> B;

    explicit GifBuilder(int globalDepth, int width = 8, int height = 8) {
        B = {'G', 'I', 'F', '8', '9', 'a', 0, 0, 0, 0, 0, 0, 0};
        PutLE16(&B[6], uint16_t(width));
        PutLE16(&B[8], uint16_t(height));
        if (globalDepth > 0) {
            B[10] = uint8_t(0x80 | (globalDepth - 1));
            for (int i = 0; i < 1 << globalDepth; ++i)
                B.insert(B.end(), 3, uint8_t(i * 255 / ((1 << globalDepth) - 1)));
        }
    }
    GifBuilder& Frame(int w, int h, const std::vector<uint8_t>& data, uint8_t flags = 0) {
        std::vector<uint8_t> d{',', 0, 0, 0, 0, 0, 0, 0, 0, flags};
        PutLE16(&d[5], uint16_t(w));
        PutLE16(&d[7], uint16_t(h));
        B.insert(B.end(), d.begin(), d.end());
        B.insert(B.end(), data.begin(), data.end());
        return *this;
    }
    GifBuilder& Raw(const std::vector<uint8_t>& bytes) {
        B.insert(B.end(), bytes.begin(), bytes.end());
        return *this;
    }
    std::vector<uint8_t> Done() const {
        std::vector<uint8_t> out = B;
        out.push_back(';');
        return out;
    }
};

const tGifFileFormatReader gifReader;

std::string loadError(TPixelGraphic& image, const std::vector<uint8_t>& bytes, int index = 0) {
    TBorrowedStream stream(bytes);
    return ErrorOf([&] { gifReader.ReadImage(stream, image, index); });
}

std::string infoError(const std::vector<uint8_t>& bytes, int index) {
    TBorrowedStream stream(bytes);
    TPGImageInfo info;
    return ErrorOf([&] { gifReader.GetInfo(stream, index, info); });
}

std::vector<uint32_t> rowOf(const TPixelGraphic& image, int y) {
    std::vector<uint32_t> row;
    for (int x = 0; x < image.Width(); ++x) row.push_back(image.GetPixel(x, y));
    return row;
}

std::vector<uint32_t> allPixels(const TPixelGraphic& image) {
    std::vector<uint32_t> all;
    for (int y = 0; y < image.Height(); ++y) {
        const std::vector<uint32_t> row = rowOf(image, y);
        all.insert(all.end(), row.begin(), row.end());
    }
    return all;
}

std::string readText(const std::filesystem::path& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

} // namespace

struct GifCase {
    const char* File;
    int Index;
    const char* Reference;
};

class GifFixture : public ::testing::TestWithParam<GifCase> {};

TEST_P(GifFixture, FrameDecodesLikeTheIndependentDecoder) {
    const GifCase& c = GetParam();
    TPixelGraphic image;
    image.LoadFromFile(TestData(std::string("gif/") + c.File + ".gif"), c.Index);
    EXPECT_TRUE(
        SamePixels(image, LoadReferencePPM(TestData(std::string("gif/") + c.Reference + ".ppm"))));
}

INSTANTIATE_TEST_SUITE_P(
    Files, GifFixture,
    ::testing::Values(GifCase{"anim", 0, "anim-0"}, GifCase{"anim", 1, "anim-1"},
                      GifCase{"anim", 2, "anim-2"}, GifCase{"interlaced", 0, "interlaced"},
                      GifCase{"im-depth2", 0, "im-depth2"}, GifCase{"im-87a", 0, "im-87a"},
                      GifCase{"im-interlaced", 0, "im-interlaced"},
                      GifCase{"im-noise", 0, "im-noise"},
                      GifCase{"netpbm-1bit", 0, "netpbm-1bit"}));

TEST(Gif, FormatAndPaletteFollowTheTableDepth) {
    struct Case {
        const char* File;
        int Index;
        uint8_t Format;
        int PaletteCount;
    } cases[] = {
        {"netpbm-1bit", 0, pf1Bit, 2}, {"im-depth2", 0, pf4Bit, 4}, {"anim", 1, pf4Bit, 8},
        {"interlaced", 0, pf4Bit, 16}, {"im-87a", 0, pf8Bit, 32},   {"im-noise", 0, pf8Bit, 256},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.File);
        TPixelGraphic image;
        image.LoadFromFile(TestData(std::string("gif/") + c.File + ".gif"), c.Index);
        EXPECT_EQ(image.PixelFormat(), c.Format);
        EXPECT_EQ(image.PaletteCount(), c.PaletteCount);
    }
    TPixelGraphic local;
    local.LoadFromFile(TestData("gif/anim.gif"), 1);
    EXPECT_EQ(local.GetPaletteEntry(1), PGColor(200, 100, 50)) << "the frame's own table";

    TPixelGraphic noTable;
    EXPECT_EQ(loadError(noTable, GifBuilder(0).Frame(2, 1, literals(2, {1, 0})).Done()), "");
    EXPECT_EQ(noTable.PixelFormat(), pf1Bit);
    EXPECT_EQ(noTable.PaletteCount(), 1) << "no table at all: one black entry";
    EXPECT_EQ(noTable.GetPixelColor(0, 0), 0u);
}

TEST(Gif, FramesByIndexAtTheirOwnSize) {
    TPGImageInfo info;
    ASSERT_TRUE(GetImageInfo(TestData("gif/anim.gif"), 0, info));
    EXPECT_EQ(info.FormatName, "GIF");
    EXPECT_EQ(info.ImageCount, 3);
    TPixelGraphic image;
    image.LoadFromFile(TestData("gif/anim.gif"), 1);
    EXPECT_EQ(image.Width(), 10) << "not the 100 x 100 screen";
    EXPECT_EQ(image.Height(), 10);
    for (int index : {3, 40, -1}) {
        SCOPED_TRACE(index);
        EXPECT_NO_THROW(image.LoadFromFile(TestData("gif/anim.gif"), index));
        EXPECT_TRUE(image.Empty());
    }
}

TEST(Gif, GetInfoDescribesTheFile) {
    struct Case {
        const char* File;
        int Index;
        int Width, Height, ImageCount, BitCount;
        const char* Colors;
        const char* SubFormat;
        const char* Options;
    } cases[] = {
        // Depth and colours come from the last frame, the size from the frame asked for.
        {"anim", 1, 10, 10, 3, 2, "4", "89a", "Interlaced"},
        {"anim", 2, 7, 5, 3, 2, "4", "89a", "Interlaced"},
        {"im-87a", 0, 13, 7, 1, 5, "32", "87a", "Non-interlaced"},
        {"netpbm-1bit", 0, 19, 7, 1, 1, "2", "87a", "Non-interlaced"},
        {"unknown-extension", 0, 2, 2, 1, 1, "2", "87a", "Non-interlaced"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.File);
        TPGImageInfo info;
        ASSERT_TRUE(GetImageInfo(TestData(std::string("gif/") + c.File + ".gif"), c.Index, info));
        EXPECT_EQ(info.Width, c.Width);
        EXPECT_EQ(info.Height, c.Height);
        EXPECT_EQ(info.ImageCount, c.ImageCount);
        EXPECT_EQ(info.BitCount, c.BitCount);
        EXPECT_EQ(info.Colors, c.Colors);
        EXPECT_EQ(info.SubFormat, c.SubFormat);
        EXPECT_EQ(info.Options, c.Options);
    }
    const std::vector<uint8_t> anim = ReadFileBytes(TestData("gif/anim.gif"));
    EXPECT_EQ(infoError(anim, 3), "Index out of bounds");
    EXPECT_EQ(infoError(anim, -1), "Index out of bounds");
    EXPECT_EQ(infoError({'G', 'I', 'F', '8', '9'}, 0), "Not a proper GIF file");
    EXPECT_EQ(infoError(ReadFileBytes(TestData("bmp/netpbm-24.bmp")), 0), "Not a proper GIF file");
}

TEST(Gif, UnknownExtensionEndsTheFrames) {
    // An independent decoder sees two frames here; this reader stops at the unknown label.
    TPixelGraphic image;
    image.LoadFromFile(TestData("gif/unknown-extension.gif"), 1);
    EXPECT_TRUE(image.Empty());
    image.LoadFromFile(TestData("gif/unknown-extension.gif"), 0);
    EXPECT_EQ(rowOf(image, 0), (std::vector<uint32_t>{0, 1}));
}

TEST(Gif, InterlacedRowsArriveInPassOrderWithProgress) {
    const std::vector<int> order = {0, 8, 4, 2, 6, 1, 3, 5, 7, 9};
    for (int stopAfter = 1; stopAfter <= 10; ++stopAfter) {
        SCOPED_TRACE(stopAfter);
        TPixelGraphic image;
        std::vector<int> steps;
        int starts = 0, ends = 0;
        image.OnProgressStart = [&](TPixelGraphic&) { ++starts; };
        image.OnProgressEnd = [&](TPixelGraphic&) { ++ends; };
        image.OnProgress = [&](TPixelGraphic&, int step, int max, bool& abort) {
            EXPECT_EQ(max, 9);
            steps.push_back(step);
            abort = step == stopAfter;
        };
        image.LoadFromFile(TestData("gif/interlaced.gif"));
        EXPECT_EQ(starts, 1);
        EXPECT_EQ(ends, 1);
        EXPECT_EQ(int(steps.size()), stopAfter);
        EXPECT_EQ(steps.back(), stopAfter);
        // Row y of the file holds index y + 1 everywhere; rows not reached yet stay 0.
        for (int y = 0; y < 10; ++y) {
            const bool filled =
                std::find(order.begin(), order.begin() + stopAfter, y) != order.begin() + stopAfter;
            EXPECT_EQ(image.GetPixel(2, y), filled ? uint32_t(y + 1) : 0u) << "row " << y;
        }
    }
}

TEST(Gif, AnimationGeometryOfEveryFrame) {
    TFileStream stream(TestData("gif/anim.gif"), TFileStream::fmOpenRead);
    const TGifAnimation a = ReadGifAnimation(stream);
    EXPECT_EQ(a.ScreenWidth, 100);
    EXPECT_EQ(a.ScreenHeight, 100);
    EXPECT_EQ(a.BackgroundIndex, 1);
    EXPECT_EQ(a.LoopCount, 3);
    ASSERT_EQ(a.Frames.size(), 3u);
    struct Expected {
        int Left, Top, Width, Height, Disposal;
        bool HasTransparency;
        int TransparentIndex, Delay;
        bool Interlaced;
        const char* Comment;
    } expected[] = {
        {0, 0, 24, 16, 1, false, 255, 100, false, "first frame"},
        {5, 5, 10, 10, 2, true, 2, 250, false, ""},
        {60, 40, 7, 5, 3, false, 255, 500, true, ""},
    };
    for (size_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        const TGifFrameGeometry& f = a.Frames[i];
        const Expected& e = expected[i];
        EXPECT_EQ(f.Left, e.Left);
        EXPECT_EQ(f.Top, e.Top);
        EXPECT_EQ(f.Width, e.Width);
        EXPECT_EQ(f.Height, e.Height);
        EXPECT_EQ(f.Disposal, e.Disposal);
        EXPECT_EQ(f.HasTransparency, e.HasTransparency);
        EXPECT_EQ(f.TransparentIndex, e.TransparentIndex);
        EXPECT_EQ(f.Delay, e.Delay);
        EXPECT_EQ(f.Interlaced, e.Interlaced);
        EXPECT_EQ(f.Comment, e.Comment);
    }
    TFileStream still(TestData("gif/interlaced.gif"), TFileStream::fmOpenRead);
    EXPECT_EQ(ReadGifAnimation(still).LoopCount, 1) << "no loop block";
    const std::vector<uint8_t> bmp = ReadFileBytes(TestData("bmp/netpbm-24.bmp"));
    TBorrowedStream garbage(bmp);
    EXPECT_THROW(ReadGifAnimation(garbage), EPixelGraphic);
}

TEST(Gif, FramesDecodeFromOneReadingOfTheFile) {
    std::unique_ptr<TGifFrames> frames;
    {
        TFileStream stream(TestData("gif/anim.gif"), TFileStream::fmOpenRead);
        frames = std::make_unique<TGifFrames>(stream);
    }
    ASSERT_EQ(frames->FrameCount(), 3);
    EXPECT_EQ(frames->Animation().LoopCount, 3);
    EXPECT_EQ(frames->Animation().Frames[2].Left, 60);
    for (int index : {2, 0, 1}) {
        SCOPED_TRACE(index);
        TPixelGraphic image;
        frames->ReadFrame(index, image);
        EXPECT_TRUE(SamePixels(
            image, LoadReferencePPM(TestData("gif/anim-" + std::to_string(index) + ".ppm"))));
    }
    TPixelGraphic beyond;
    frames->ReadFrame(3, beyond);
    EXPECT_TRUE(beyond.Empty());
    const std::vector<uint8_t> bmp = ReadFileBytes(TestData("bmp/netpbm-24.bmp"));
    TBorrowedStream garbage(bmp);
    EXPECT_THROW(TGifFrames{garbage}, EPixelGraphic);
}

TEST(Gif, CodeStreamsDecodeExactly) {
    auto pattern = [](int count, int modulo) {
        std::vector<int> p;
        for (int i = 0; i < count; ++i) p.push_back((i * 7 + i / 13) % modulo);
        return p;
    };
    struct Case {
        const char* Name;
        int Depth, Width, Height;
        std::vector<uint8_t> Data;
        std::vector<int> Pixels;
    } cases[] = {
        // 5000 literals: the width grows 3 -> 12 bits and the full table waits for a clear.
        {"two-bit codes, table full", 2, 100, 50, literals(2, pattern(5000, 4)), pattern(5000, 4)},
        {"eight-bit codes, table full", 8, 100, 50, literals(8, pattern(5000, 256)),
         pattern(5000, 256)},
        // 300 literals take the width to 10 bits; after the clear it is 9 again.
        {"clear midway resets the width", 8, 600, 1,
         lzwData(8,
                 [&] {
                     std::vector<int> c{256};
                     for (int round = 0; round < 2; ++round) {
                         const std::vector<int> p = pattern(300, 256);
                         c.insert(c.end(), p.begin(), p.end());
                         c.push_back(round == 0 ? 256 : 257);
                     }
                     return c;
                 }()),
         [&] {
             std::vector<int> p = pattern(300, 256);
             const std::vector<int> again = p;
             p.insert(p.end(), again.begin(), again.end());
             return p;
         }()},
        // After 4091 literals the table is full and its last slot, 4095, holds the last two.
        {"the last table slot", 2, 4093, 1,
         lzwData(2,
                 [&] {
                     std::vector<int> c{4};
                     const std::vector<int> p = pattern(4091, 4);
                     c.insert(c.end(), p.begin(), p.end());
                     c.insert(c.end(), {4095, 5});
                     return c;
                 }()),
         [&] {
             std::vector<int> p = pattern(4091, 4);
             p.insert(p.end(), {p[4089], p[4090]});
             return p;
         }()},
        // Code 6 is the entry being defined: "1" + its own first pixel, then 7 likewise.
        {"code defined by itself", 2, 6, 1, lzwData(2, {4, 1, 6, 7, 5}), {1, 1, 1, 1, 1, 1}},
        {"clear codes before the first pixel", 2, 2, 1, lzwData(2, {4, 4, 4, 3, 2, 5}), {3, 2}},
        {"data after the end code is ignored", 2, 3, 1, lzwData(2, {4, 1, 5, 2, 2}), {1, 0, 0}},
        {"undefined code keeps the pixels so far",
         2,
         5,
         1,
         lzwData(2, {4, 1, 2, 3, 9, 3, 3, 5}),
         {1, 2, 3, 0, 0}},
        {"first code after a clear must be a pixel", 2, 2, 1, lzwData(2, {4, 6, 1, 5}), {0, 0}},
        {"codes end inside a row", 2, 4, 2, literals(2, {1, 2, 3, 1, 2}), {1, 2, 3, 1, 2, 0, 0, 0}},
        {"more pixels than the frame",
         2,
         2,
         2,
         literals(2, {1, 2, 3, 1, 2, 3, 3, 3}),
         {1, 2, 3, 1}},
        // Values the table cannot show are stored as a single pixel write would store them.
        {"wide literals in a one-bit frame", 1, 3, 1, lzwData(9, {512, 257, 1, 3, 513}), {0, 1, 0}},
        {"wide literals in an eight-bit frame", 8, 2, 1, lzwData(9, {512, 300, 44, 513}), {44, 44}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TPixelGraphic image;
        ASSERT_EQ(loadError(image, GifBuilder(c.Depth).Frame(c.Width, c.Height, c.Data).Done()),
                  "");
        ASSERT_EQ(image.Width(), c.Width);
        EXPECT_EQ(allPixels(image), std::vector<uint32_t>(c.Pixels.begin(), c.Pixels.end()));
    }
}

TEST(Gif, DamagedFilesAreNotProperGifs) {
    auto frame = [](GifBuilder b) { return b.Frame(2, 1, literals(2, {1, 2})).Done(); };
    std::vector<uint8_t> cutTable = GifBuilder(8).B;
    cutTable.resize(100);
    std::vector<uint8_t> cutDescriptor = GifBuilder(2).Raw({',', 0, 0, 0}).B;
    struct Case {
        const char* Name;
        std::vector<uint8_t> Bytes;
    } cases[] = {
        {"no frame", GifBuilder(2).Done()},
        {"header only", {'G', 'I', 'F', '8', '9', 'a', 2, 0}},
        {"global table cut off", cutTable},
        {"frame descriptor cut off", cutDescriptor},
        {"frame without data", GifBuilder(2).Raw({',', 0, 0, 0, 0, 2, 0, 1, 0, 0}).B},
        {"minimum code size 1", GifBuilder(2).Frame(2, 1, lzwData(1, {2, 1, 0, 3})).Done()},
        {"minimum code size 12", GifBuilder(2).Frame(2, 1, {12, 2, 0, 0, 0}).Done()},
        {"minimum code size 255", GifBuilder(2).Frame(2, 1, {255, 2, 0, 0, 0}).Done()},
        // 65535 x 65535 pixels cannot come out of three bytes of codes.
        {"frame far larger than its data",
         GifBuilder(2).Frame(65535, 65535, literals(2, {1, 2})).Done()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TPixelGraphic image;
        EXPECT_EQ(loadError(image, c.Bytes), "Not a proper GIF file");
        EXPECT_TRUE(image.Empty());
        EXPECT_EQ(infoError(c.Bytes, 0), "Not a proper GIF file");
    }
    TPixelGraphic image;
    EXPECT_EQ(loadError(image, frame(GifBuilder(2))), "") << "the same frame, whole";
    EXPECT_EQ(image.Width(), 2);
}

TEST(Gif, OneDamagedFrameLeavesTheOthers) {
    const std::vector<uint8_t> bytes = GifBuilder(2)
                                           .Frame(2, 1, literals(2, {1, 2}))
                                           .Frame(65535, 65535, literals(2, {1, 2}))
                                           .Frame(1, 1, {12, 1, 0, 0})
                                           .Frame(1, 1, literals(2, {3}))
                                           .Raw({0x21, 0xFE, 200, 'c', 'u', 't'})
                                           .B;
    struct Case {
        int Index;
        int Width;
    } cases[] = {{0, 2}, {1, 0}, {2, 0}, {3, 1}, {4, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Index);
        TPixelGraphic image;
        EXPECT_EQ(loadError(image, bytes, c.Index), "");
        EXPECT_EQ(image.Width(), c.Width);
    }
    EXPECT_EQ(infoError(bytes, 3), "") << "four frames counted, the cut comment ends it";
    EXPECT_EQ(infoError(bytes, 4), "Index out of bounds");
}

TEST(Gif, SubBlocksRunningPastTheEndAreCut) {
    // The last sub-block claims 200 bytes and the file stops after three of them.
    std::vector<uint8_t> data = literals(2, {1, 2, 3, 1});
    data.pop_back();
    data[1] = 200;
    TPixelGraphic image;
    EXPECT_EQ(loadError(image, GifBuilder(2).Frame(4, 1, data).B), "");
    EXPECT_EQ(allPixels(image), (std::vector<uint32_t>{1, 2, 3, 1}));
}

TEST(Gif, ThreadsReadAtOnce) {
    auto load = [](int index, bool& same) {
        const TRefImage ref =
            LoadReferencePPM(TestData("gif/anim-" + std::to_string(index) + ".ppm"));
        same = true;
        for (int i = 0; i < 20; ++i) {
            TPixelGraphic image;
            image.LoadFromFile(TestData("gif/anim.gif"), index);
            same = same && SamePixels(image, ref);
        }
    };
    bool same0 = false, same1 = false;
    std::thread a(load, 0, std::ref(same0)), b(load, 1, std::ref(same1));
    a.join();
    b.join();
    EXPECT_TRUE(same0);
    EXPECT_TRUE(same1);
}

TEST(Gif, ReaderRegisteredLastAfterIcons) {
    TPGRegistry registry;
    RegisterStandardFormats(registry);
    const auto& readers = registry.Readers();
    auto position = [&](const std::string& className) {
        return std::find_if(readers.begin(), readers.end(),
                            [&](const auto& r) { return r->ClassName == className; });
    };
    ASSERT_NE(position("tGifFileFormatReader"), readers.end());
    EXPECT_EQ(position("tGifFileFormatReader"), readers.end() - 1);
    EXPECT_LT(position("tIcoFileFormatReader"), position("tGifFileFormatReader"));
    EXPECT_EQ(readers.back()->FormatName, "GIF");
    EXPECT_EQ(readers.back()->Extension, "gif");
    const std::vector<uint8_t> bytes = GifBuilder(2).Done();
    TBorrowedStream gif(bytes);
    const TFileFormatReader* found = PGRegistry().FindReader(gif, "");
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->ClassName, "tGifFileFormatReader");
}

TEST(Gif, PgtoolReportsFramesAndConvertsOne) {
    TTempDir dir;
    const std::string tool = GLIMMET_PGTOOL;
    const std::string gif = TestData("gif/anim.gif").string();
    ASSERT_EQ(RunCommand(tool + " info " + gif + " 2 > " + (dir / "info.txt").string()), 0);
    const std::string info = readText(dir / "info.txt");
    EXPECT_NE(info.find("FormatName: GIF\n"), std::string::npos) << info;
    EXPECT_NE(info.find("ImageCount: 3\n"), std::string::npos) << info;
    EXPECT_NE(info.find("Width: 7\nHeight: 5\n"), std::string::npos) << info;
    ASSERT_EQ(
        RunCommand(tool + " convert " + gif + " " + (dir / "out.bmp").string() + " --index 2"), 0);
    TPixelGraphic frame;
    frame.LoadFromFile(dir / "out.bmp");
    EXPECT_TRUE(SamePixels(frame, LoadReferencePPM(TestData("gif/anim-2.ppm"))));
    // Past the last frame: an error and no file, never an empty picture that other tools reject.
    const auto beyond = dir / "beyond.bmp";
    const auto said = dir / "said.txt";
    EXPECT_EQ(RunCommand(tool + " convert " + gif + " " + beyond.string() + " --index 3 2> " +
                         said.string()),
              1);
    EXPECT_FALSE(std::filesystem::exists(beyond));
    EXPECT_NE(readText(said).find("has no picture 3 (it holds 3)"), std::string::npos)
        << readText(said);
}
