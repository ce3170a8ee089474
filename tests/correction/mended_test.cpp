// Rectangles past the picture, working memory that is not there, and sizes past 32 bits.

#include "test_dib.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <string>

namespace {

constexpr TRgb Grey{100, 100, 100}, Red{255, 10, 0}, Corrected{51, 3, 0};

constexpr bool Sanitized =
#if defined(__SANITIZE_ADDRESS__)
    true;
#elif defined(__has_feature)
    __has_feature(address_sanitizer);
#else
    false;
#endif

TEST(RedEyeRectangle, IsClippedToThePicture) {
    // A red pixel in each corner; the guard after the rows and the header never change.
    const struct {
        std::string Name;
        int Left, Top, Right, Bottom;
        int Corrected; // corners corrected, counted from the top-left one, clockwise
    } cases[] = {
        {"far past every edge", -1000, -1000, 1000, 1000, 1},
        {"past the right and bottom edges", 4, 3, 9, 7, 1},
        {"past the left and top edges", INT32_MIN, INT32_MIN, 2, 2, 1},
        {"wholly right of the picture", 8, 0, 20, 6, 0},
        {"wholly below the picture", 0, 6, 8, 60, 0},
        {"reversed", 6, 4, 2, 1, 0},
    };
    for (const auto& c : cases) {
        TTestDib dib(8, 6, Grey);
        for (auto [x, y] : {std::pair{0, 0}, {7, 0}, {7, 5}, {0, 5}}) dib.Set(x, y, Red);
        const TTestDib before = dib;
        ASSERT_EQ(pVuxFixRedEye2(dib.Header(), c.Left, c.Top, c.Right, c.Bottom, 2, 2), 0)
            << c.Name;
        EXPECT_EQ(dib.ChangedPixels(before).size(), size_t(c.Corrected)) << c.Name;
        EXPECT_TRUE(std::equal(before.Bytes().begin() + long(before.DibSize()),
                               before.Bytes().end(), dib.Bytes().begin() + long(dib.DibSize())))
            << c.Name << ": the bytes after the rows changed";
        EXPECT_TRUE(
            std::equal(before.Bytes().begin(), before.Bytes().begin() + 40, dib.Bytes().begin()))
            << c.Name << ": the header changed";
    }
}

TEST(RedEyeRectangle, SeedInTheLastColumnStaysInside) {
    // The red pixel sits in the rectangle's last column and its neighbour outside is reddish:
    // box growing must not reach it.
    for (int method : {0, 1, 2}) {
        TTestDib dib(9, 5, Grey);
        dib.Set(5, 2, Red);
        dib.Set(6, 2, {200, 100, 100});
        ASSERT_EQ(pVuxFixRedEye2(dib.Header(), 2, 0, 6, 5, 2, method), 0);
        EXPECT_EQ(dib.At(5, 2), Corrected) << "method " << method;
        EXPECT_EQ(dib.At(6, 2), (TRgb{200, 100, 100})) << "method " << method;
    }
}

TEST(RedEyeSizes, RectangleTooBigToAllocateIsRefusedBeforeAnyPixelIsRead) {
    // The header claims a picture whose working arrays wrap 64 bits, or wrap 32 bits and ask
    // more than the address space holds; only the header exists, so reading the rows would
    // fault. The sanitizers stop a program that asks for the second, so it runs without them.
    const struct { int32_t Width, Height; } cases[] = {{INT32_MAX, 1400000000}, {1 << 24, 1 << 24}};
    for (const auto& c : cases) {
        if (c.Width == 1 << 24 && Sanitized) continue;
        TTestDib dib(1, 1, Red);
        dib.Header()->biWidth = c.Width;
        dib.Header()->biHeight = c.Height;
        EXPECT_EQ(pVuxFixRedEye2(dib.Header(), 0, 0, c.Width, c.Height, 2, 2), -2)
            << c.Width << " x " << c.Height;
    }
}

int64_t addressSpaceInUse() {
    std::ifstream statm("/proc/self/statm");
    int64_t pages = 0;
    statm >> pages;
    return pages * sysconf(_SC_PAGESIZE);
}

// Runs the correction in a child whose address space ends headroom bytes above what it uses;
// answers 0 when the call answered -2 and left the picture alone.
int fixWithHeadroom(TTestDib& dib, int64_t headroom) {
    const TTestDib before = dib;
    const pid_t child = fork();
    if (child == 0) {
        const rlim_t limit = rlim_t(addressSpaceInUse() + headroom);
        const rlimit lowered{limit, limit};
        if (setrlimit(RLIMIT_AS, &lowered) != 0) _exit(3);
        const int32_t result = pVuxFixRedEye2(dib.Header(), 0, 0, dib.Width(), dib.Height(), 2, 2);
        _exit(result != -2 ? 1 : dib.Bytes() != before.Bytes() ? 2 : 0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 100 + WTERMSIG(status);
}

TEST(RedEyeMemory, WorkingMemoryNotAvailableAnswersMinusTwoAndChangesNothing) {
    if (Sanitized) GTEST_SKIP() << "the sanitizers reserve more address space than any limit";
    // 1200 x 1200 needs 11.5 MB for the redness map and as much for the growth queue: the
    // first fails with 2 MB to spare, the second with 14 MB.
    for (int64_t headroom : {int64_t(2) << 20, int64_t(14) << 20}) {
        TTestDib dib = DrawnEye(1200);
        EXPECT_EQ(fixWithHeadroom(dib, headroom), 0) << (headroom >> 20) << " MB to spare";
    }
    TTestDib dib = DrawnEye(1200);
    EXPECT_EQ(fixWithHeadroom(dib, int64_t(64) << 20), 1) << "with room the call corrects";
}

} // namespace
