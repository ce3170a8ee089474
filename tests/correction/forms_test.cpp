// The picture forms the exports accept and refuse, by pointer and by memory handle.

#include "test_dib.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

extern "C" int32_t FixOnePixelFromC(uint8_t* red);

namespace {

constexpr TRgb Grey{100, 100, 100}, Red{255, 10, 0}, Corrected{51, 3, 0};

TTestDib redSpot(uint32_t tableEntries = 0) {
    TTestDib dib(5, 3, Grey, tableEntries);
    dib.Set(2, 1, Red);
    return dib;
}

TEST(RedEyeForms, RefusedHeadersLeaveTheBlockAsItWas) {
    const struct {
        std::string Name;
        std::function<void(BITMAPINFOHEADER&)> Spoil;
    } cases[] = {
        {"8 bits per pixel", [](BITMAPINFOHEADER& h) { h.biBitCount = 8; }},
        {"32 bits per pixel", [](BITMAPINFOHEADER& h) { h.biBitCount = 32; }},
        {"header shorter than 40 bytes", [](BITMAPINFOHEADER& h) { h.biSize = 12; }},
        {"JPEG data", [](BITMAPINFOHEADER& h) { h.biCompression = 4; }},
        {"bit fields", [](BITMAPINFOHEADER& h) { h.biCompression = 3; }},
        {"width 0", [](BITMAPINFOHEADER& h) { h.biWidth = 0; }},
        {"negative width", [](BITMAPINFOHEADER& h) { h.biWidth = -5; }},
        {"height 0", [](BITMAPINFOHEADER& h) { h.biHeight = 0; }},
        {"rows beyond the address space",
         [](BITMAPINFOHEADER& h) {
             h.biWidth = INT32_MAX;
             h.biHeight = INT32_MIN;
         }},
    };
    for (const auto& c : cases) {
        TTestDib dib = redSpot();
        c.Spoil(*dib.Header());
        const TTestDib before = dib;
        EXPECT_EQ(pVuxFixRedEye2(dib.Header(), 0, 0, 5, 3, 2, 2), -1) << "p: " << c.Name;
        EXPECT_EQ(dib.Bytes(), before.Bytes()) << "p: " << c.Name;
        TTestHandle handle(dib);
        EXPECT_EQ(hVuxFixRedEye2(handle.Get(), 0, 0, 5, 3, 2, 2), -1) << "h: " << c.Name;
        handle.CopyTo(dib);
        EXPECT_EQ(dib.Bytes(), before.Bytes()) << "h: " << c.Name;
    }
}

TEST(RedEyeForms, NullPointerAndUnusableHandles) {
    EXPECT_EQ(pVuxFixRedEye2(nullptr, 0, 0, 5, 3, 2, 2), -1);
    EXPECT_EQ(pVuxFixRedEye(nullptr, 0, 0, 5, 3), -1);
    EXPECT_EQ(hVuxFixRedEye2(nullptr, 0, 0, 5, 3, 2, 2), -1);
    EXPECT_EQ(hVuxFixRedEye(nullptr, 0, 0, 5, 3), -1);

    // A block that did not come from GlobalAlloc, and an empty one.
    TTestDib dib = redSpot();
    std::vector<uint8_t> foreign(256, 0);
    EXPECT_EQ(hVuxFixRedEye2(reinterpret_cast<HGLOBAL>(foreign.data()), 0, 0, 5, 3, 2, 2), -1);
    HGLOBAL empty = GlobalAlloc(0);
    EXPECT_EQ(hVuxFixRedEye2(empty, 0, 0, 5, 3, 2, 2), -1);
    GlobalFree(empty);
}

TEST(RedEyeForms, ColourTableIsRefusedByPointerAndSkippedInABlock) {
    TTestDib withTable = redSpot(2);
    const TTestDib before = withTable;
    EXPECT_EQ(pVuxFixRedEye2(withTable.Header(), 0, 0, 5, 3, 2, 2), -1);
    EXPECT_EQ(withTable.Bytes(), before.Bytes());

    TTestHandle handle(withTable);
    ASSERT_EQ(hVuxFixRedEye2(handle.Get(), 0, 0, 5, 3, 2, 2), 0);
    handle.CopyTo(withTable);
    EXPECT_EQ(withTable.At(2, 1), Corrected);
    EXPECT_TRUE(
        std::equal(before.Bytes().begin(), before.Bytes().begin() + 48, withTable.Bytes().begin()))
        << "header and colour table unchanged";
}

TEST(RedEyeForms, BlockMustHoldHeaderTableAndRows) {
    for (uint32_t table : {0u, 2u}) {
        TTestDib dib = redSpot(table);
        const struct {
            size_t Size;
            int32_t Result;
        } cases[] = {{20, -1}, {40, -1}, {dib.DibSize() - 1, -1}, {dib.DibSize(), 0}};
        for (const auto& c : cases) {
            TTestHandle handle(dib, c.Size);
            EXPECT_EQ(hVuxFixRedEye2(handle.Get(), 0, 0, 5, 3, 2, 2), c.Result)
                << "table " << table << ", block of " << c.Size;
        }
    }
}

TEST(RedEyeForms, FiveArgumentFormsAreLevelOneWithRegionGrowing) {
    TTestDib viaPointer = DrawnEye(30), expected = DrawnEye(30), viaHandle = DrawnEye(30);
    ASSERT_EQ(pVuxFixRedEye(viaPointer.Header(), 2, 3, 28, 27), 0);
    ASSERT_EQ(pVuxFixRedEye2(expected.Header(), 2, 3, 28, 27, 1, 2), 0);
    EXPECT_EQ(viaPointer.Bytes(), expected.Bytes());
    TTestHandle handle(viaHandle);
    ASSERT_EQ(hVuxFixRedEye(handle.Get(), 2, 3, 28, 27), 0);
    handle.CopyTo(viaHandle);
    EXPECT_EQ(viaHandle.Bytes(), expected.Bytes());
}

TEST(RedEyeForms, HandleIsUnlockedAfterTheCall) {
    TTestDib dib = redSpot();
    TTestHandle handle(dib);
    ASSERT_EQ(hVuxFixRedEye2(handle.Get(), 0, 0, 5, 3, 2, 2), 0);
    ASSERT_NE(GlobalLock(handle.Get()), nullptr);
    EXPECT_EQ(GlobalUnlock(handle.Get()), 0) << "the call left a lock behind";
}

TEST(RedEyeForms, HeaderIsPlainC) {
    uint8_t red = 0;
    EXPECT_EQ(FixOnePixelFromC(&red), 0);
    EXPECT_EQ(red, 51);
}

} // namespace
