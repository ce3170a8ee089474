// The 3x3 filters: the core's rules, the two picture exports' weights, forms and checks.

#include "raw_dib.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// A picture with a different level in every byte, so any misplaced read shows.
TRawDib textured(int width, int height, uint32_t tableEntries = 0) {
    TRawDib dib(width, height, 24, tableEntries);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            dib.Set(x, y, uint32_t((x * 37 + y * 91) % 256) * 0x010101u ^ uint32_t(x * 11 + y * 3));
    return dib;
}

TRawDib flat(int width, int height) {
    TRawDib dib(width, height, 24);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) dib.Set(x, y, 0x64A0C8);
    return dib;
}

TAnswer ptrFilter(TRawDib& in, int type, int32_t* err = nullptr) {
    BITMAPINFOHEADER* out = VuxPtrFilter(in.Header(), type, err);
    HGLOBAL handle = GlobalHandle(out);
    if (out) {
        EXPECT_EQ(handle->LockCount, 1u) << "the pointer is of a locked block";
    }
    GlobalUnlock(handle);
    return Take(handle);
}

TAnswer unsharp(const TRawDib& in, int type, int32_t* err = nullptr, size_t size = 0) {
    TBlock block(in.Bytes, size);
    TAnswer a = Take(VuxUnSharpMask(block.Get(), type, err));
    EXPECT_EQ(
        block.Bytes(),
        std::vector<uint8_t>(in.Bytes.begin(), in.Bytes.begin() + long(GlobalSize(block.Get()))));
    if (a) {
        EXPECT_TRUE(a.Unlocked);
    }
    return a;
}

TEST(Filter3x3, FlatPicturesStayFlatForEveryListedType) {
    // Type 18 and the unlisted ones take the default weights, which sum to their divisor.
    for (int type : {1, 2, 3, 16, 17, 18, 32, 33, 34, 35, 99}) {
        TRawDib in = flat(6, 4);
        EXPECT_EQ(ptrFilter(in, type).Bytes, in.Bytes) << "pointer type " << type;
        EXPECT_EQ(unsharp(in, type).Bytes, in.Bytes) << "handle type " << type;
    }
}

TEST(Filter3x3, WeightsOfAPointOnGrey) {
    // A white point at (2, 1) of a grey 5 x 3 picture; the values at the point and its neighbours.
    struct Case {
        int Type;
        bool Pointer;
        uint32_t AtPoint, Beside, Diagonal;
    } cases[] = {
        {32, true, 117, 117, 117}, // (8 x 100 + 255) / 9, the point counted once in each
        {33, true, 151, 125, 100}, // centre weight 2, edges 1, over 6
        {16, true, 255, 0, 100},   // 5 x 255 - 400, then limited; 500 - 355 - 300
        {1, false, 255, 82, 82},   // (17 x 255 - 800) / 9; (1700 - 255 - 700) / 9
        {7, false, 255, 88, 88},   // the default: (43 x 255 - 1600) / 27; (4300 - 510 - 1400) / 27
    };
    for (const Case& c : cases) {
        TRawDib in(5, 3, 24);
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 5; ++x) in.Set(x, y, 0x646464);
        in.Set(2, 1, 0xFFFFFF);
        TRawDib out = AsDib(c.Pointer ? ptrFilter(in, c.Type) : unsharp(in, c.Type));
        EXPECT_EQ(out.Get(2, 1) & 0xFF, c.AtPoint) << c.Type;
        EXPECT_EQ(out.Get(3, 1) & 0xFF, c.Beside) << c.Type;
        EXPECT_EQ(out.Get(3, 0) & 0xFF, c.Diagonal) << c.Type;
    }
}

TEST(Filter3x3, EdgeColumnsAreCopiesAndEdgeRowsStandInForTheirNeighbours) {
    TRawDib in = textured(7, 5);
    TRawDib out = AsDib(ptrFilter(in, 32));
    for (int y = 0; y < 5; ++y) {
        EXPECT_EQ(out.Get(0, y), in.Get(0, y));
        EXPECT_EQ(out.Get(6, y), in.Get(6, y));
    }
    // Box blur of the first stored row: the row itself replaces the one below it.
    int sum = 0;
    for (int dx = -1; dx <= 1; ++dx)
        sum += 2 * int(in.Get(3 + dx, 0) & 0xFF) + int(in.Get(3 + dx, 1) & 0xFF);
    EXPECT_EQ(int(out.Get(3, 0) & 0xFF), sum / 9);
}

TEST(Filter3x3, CoreWritesNothingWhereItCannotFilter) {
    const struct {
        std::string Name;
        int Width, Height, Stride, Divisor;
    } cases[] = {
        {"width 2", 2, 3, 8, 9},
        {"no rows", 4, 0, 12, 9},
        {"divisor 0", 4, 3, 12, 0},
        {"stride short of the width", 4, 3, 8, 9},
    };
    for (const auto& c : cases) {
        std::vector<uint8_t> source(64, 200), destination(64, 7);
        VuxFilter_3x3(source.data(), destination.data(), c.Width, c.Height, c.Stride, 1, 1, 1,
                      c.Divisor);
        EXPECT_EQ(destination, std::vector<uint8_t>(64, 7)) << c.Name;
    }
    std::vector<uint8_t> source(36, 90), destination(36, 7);
    VuxFilter_3x3(source.data(), destination.data(), 3, 3, 12, 1, 1, 1, 9);
    EXPECT_EQ(destination[4], 90) << "the middle pixel is filtered";
    EXPECT_EQ(destination[9], 7) << "padding is not written";
}

TEST(Filter3x3, NarrowPicturesComeBackAsCopies) {
    for (int width : {1, 2}) {
        TRawDib in = textured(width, 4);
        EXPECT_EQ(ptrFilter(in, 1).Bytes, in.Bytes) << width;
        EXPECT_EQ(unsharp(in, 1).Bytes, in.Bytes) << width;
    }
}

TEST(Filter3x3, TablesAndMasksAreLeftBehind) {
    TRawDib in = textured(6, 3, 5);
    TRawDib plain = textured(6, 3);
    for (bool pointer : {true, false}) {
        TAnswer a = pointer ? ptrFilter(in, 33) : unsharp(in, 33);
        TAnswer b = pointer ? ptrFilter(plain, 33) : unsharp(plain, 33);
        ASSERT_TRUE(a);
        EXPECT_EQ(a.Header().biSize, 40u);
        EXPECT_EQ(a.Header().biClrUsed, 0u);
        EXPECT_EQ(a.Bytes, b.Bytes) << "the pixels after the table are the ones filtered";
    }
}

TEST(Filter3x3, ResultIsSizedFromTheRows) {
    // A biSizeImage of 4 once sized the result and the rows were written past it.
    for (uint32_t claimed : {4u, 0u, 0xFFFFFF00u}) {
        TRawDib in = textured(9, 7);
        in.Header()->biSizeImage = claimed;
        const size_t rows = size_t(in.Stride()) * 7;
        EXPECT_EQ(ptrFilter(in, 1).Bytes.size(), 40 + rows) << claimed;
        EXPECT_EQ(unsharp(in, 1).Bytes.size(), 40 + rows) << claimed;
    }
}

TEST(Filter3x3, ChecksInOrder) {
    struct Case {
        std::string Name;
        int Width, Height, Bits;
        long Slack;
        int32_t Expected;
    } cases[] = {
        {"negative width", -3, 2, 24, 0, -1020},
        {"zero height", 3, 0, 8, 0, -1020},
        {"8 bits", 3, 2, 8, 0, -7079},
        {"32 bits", 3, 2, 32, 0, -7079},
        {"block one byte short", 3, 2, 24, -1, -2007},
    };
    for (const Case& c : cases) {
        TRawDib in(c.Width > 0 ? c.Width : 1, c.Height, c.Bits);
        in.Header()->biWidth = c.Width;
        int32_t err = 1;
        EXPECT_FALSE(unsharp(in, 1, &err, size_t(long(in.Bytes.size()) + c.Slack))) << c.Name;
        EXPECT_EQ(err, c.Expected) << c.Name;
        if (c.Slack != 0) continue; // a pointer carries no block size
        err = 1;
        EXPECT_EQ(VuxPtrFilter(in.Header(), 1, &err), nullptr) << c.Name;
        EXPECT_EQ(err, c.Expected) << c.Name;
    }
    int32_t err = 1;
    EXPECT_EQ(VuxPtrFilter(nullptr, 1, &err), nullptr);
    EXPECT_EQ(err, -2007);
    EXPECT_EQ(VuxUnSharpMask(nullptr, 1, nullptr), nullptr);
}

} // namespace
