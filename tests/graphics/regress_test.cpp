// Files the fuzzers found, each named after what it shows: every one now gives its format's
// message without a crash, a hang or a runaway allocation.

#include "format_registry.h"
#include "test_support.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <new>

namespace {

// The largest single request to operator new since the last reset: a damaged file of a few
// bytes must not make a reader ask for gigabytes, even when it ends in the right message.
std::atomic<size_t> largestRequest{0};

} // namespace

void* operator new(size_t size, const std::nothrow_t&) noexcept {
    size_t seen = largestRequest.load();
    while (size > seen && !largestRequest.compare_exchange_weak(seen, size)) {
    }
    return std::malloc(std::max<size_t>(size, 1));
}

void* operator new(size_t size) {
    if (void* p = operator new(size, std::nothrow)) return p;
    throw std::bad_alloc();
}

// The replaced new takes its memory from malloc, so free is the matching release.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif
void operator delete(void* p) noexcept {
    std::free(p);
}

void operator delete(void* p, size_t) noexcept {
    std::free(p);
}

TEST(Regress, FuzzerFindsGiveTheirMessagesWithinSmallAllocations) {
    const std::pair<const char*, const char*> cases[] = {
        {"tiff-huge-sample-count-without-bits-per-sample.tif", "TIFF: Invalid SamplesPerPixel"},
    };
    for (const auto& [file, message] : cases) {
        SCOPED_TRACE(file);
        const std::filesystem::path path = TestData(std::string("regress/") + file);
        largestRequest = 0;
        TPixelGraphic image;
        EXPECT_EQ(ErrorOf([&] { image.LoadFromFile(path); }), message);
        TPGImageInfo info;
        EXPECT_FALSE(GetImageInfo(path, 0, info));
        EXPECT_LT(largestRequest.load(), size_t(16) << 20);
    }
}

// A row as wide as an int allows: the file ends early, and what was set up stays addressable to
// its last pixel.
TEST(Regress, RowOfTwoBillionPixelsEndsEarlyAndStaysAddressable) {
    TPixelGraphic image;
    EXPECT_EQ(ErrorOf([&] {
                  image.LoadFromFile(TestData("regress/bmp-rle4-row-of-two-billion-pixels.bmp"));
              }),
              "BMP: Unexpected end of file");
    ASSERT_EQ(image.Width(), 2147483646);
    ASSERT_EQ(image.Height(), 1);
    ASSERT_EQ(image.BitCount(), 4);
    const int last = image.Width() - 1;
    EXPECT_EQ(image.GetPixel(last, 0), 0u);
    image.SetPixel(last, 0, 5);
    EXPECT_EQ(image.GetPixel(last, 0), 5u);
    EXPECT_EQ(image.GetPixel(last - 1, 0), 0u);
    EXPECT_EQ(image.ScanLine(0)[last / 2], 0x05); // odd pixel: the low nibble
}

// The same row, complete: the load ends without error, and the size-hint check that follows it
// must not overflow on a width near the int limit when no hint is asked.
TEST(Regress, CompleteRowOfTwoBillionPixelsLoadsWithoutAHint) {
    TPixelGraphic image;
    EXPECT_EQ(ErrorOf([&] {
                  image.LoadFromFile(
                      TestData("regress/bmp-rle4-complete-row-of-two-billion-pixels.bmp"));
              }),
              "");
    EXPECT_EQ(image.Width(), 2147483646);
    EXPECT_EQ(image.Height(), 1);
}

// A row of fifty million pixels loaded for a thumbnail: the reduction samples down to a few
// times the box before averaging, so it touches thousands of pixels, not the whole row.
TEST(Regress, HugeRowReducedToAThumbnailOnlySamplesIt) {
    TPixelGraphic image;
    TPGCallOptions options;
    options.HintWidth = options.HintHeight = 48;
    options.WarningAction = pgwaIgnore;
    image.SetCallOptions(options);
    EXPECT_EQ(ErrorOf([&] {
                  image.LoadFromFile(TestData(
                      "regress/bmp-rle8-row-of-fifty-million-pixels-reduced-to-a-thumbnail.bmp"));
              }),
              "");
    EXPECT_EQ(std::make_pair(image.Width(), image.Height()), std::make_pair(48, 1));
}
