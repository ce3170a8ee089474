// Files from independent writers, played by our readers and compared with the pixels independent
// players gave (scripts/make-fixtures metafile). Players antialias and round edges their own way,
// so pixels within one pixel of an edge of the reference are not compared; everywhere else the
// colours agree exactly, except in the areas a case names.

#include "metafile_readers.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

namespace {

const bool installed = [] {
    InstallMetafileReaders();
    return true;
}();

struct TNamedArea {
    std::string Reason;
    int Left, Top, Right, Bottom; // pixels, right and bottom excluded
};

struct FixtureCase {
    std::string File, Reference;
    std::vector<TNamedArea> Differences;
};

void PrintTo(const FixtureCase& c, std::ostream* os) {
    *os << c.Reference;
}

// A pixel whose 3 x 3 neighbourhood in the reference is one colour.
bool awayFromEdges(const TPixelGraphic& reference, int x, int y) {
    const uint32_t colour = reference.GetPixelColor(x, y);
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) {
            const int nx = x + dx, ny = y + dy;
            if (nx < 0 || ny < 0 || nx >= reference.Width() || ny >= reference.Height()) continue;
            if (reference.GetPixelColor(nx, ny) != colour) return false;
        }
    return true;
}

bool named(const FixtureCase& c, int x, int y) {
    for (const TNamedArea& a : c.Differences)
        if (x >= a.Left && x < a.Right && y >= a.Top && y < a.Bottom) return true;
    return false;
}

class MetafileFixtures : public testing::TestWithParam<FixtureCase> {};

TEST_P(MetafileFixtures, AgreeWithTheReferenceAwayFromEdges) {
    const FixtureCase& c = GetParam();
    TPixelGraphic ours, reference;
    ours.LoadFromFile(TestData(c.File));
    reference.LoadFromFile(TestData(c.Reference));
    ASSERT_EQ(ours.Width(), reference.Width());
    ASSERT_EQ(ours.Height(), reference.Height());
    int compared = 0, inked = 0, differing = 0;
    std::string first;
    for (int y = 0; y < ours.Height(); ++y)
        for (int x = 0; x < ours.Width(); ++x) {
            if (!awayFromEdges(reference, x, y) || named(c, x, y)) continue;
            const uint32_t want = reference.GetPixelColor(x, y), got = ours.GetPixelColor(x, y);
            ++compared;
            inked += want != 0xFFFFFF;
            if (got == want) continue;
            if (differing++ == 0)
                first = std::to_string(x) + "," + std::to_string(y) + ": " + std::to_string(got) +
                        " for " + std::to_string(want);
        }
    EXPECT_EQ(differing, 0) << "first at " << first;
    // The comparison must cover the shapes, not only the white around them.
    EXPECT_GT(inked, compared / 5);
}

INSTANTIATE_TEST_SUITE_P(
    Independent, MetafileFixtures,
    testing::Values(FixtureCase{"wmf/libuemf-shapes.wmf", "wmf/libuemf-shapes.imagemagick.png", {}},
                    FixtureCase{
                        "wmf/libuemf-shapes.wmf",
                        "wmf/libuemf-shapes.wmf2gd.png",
                        {{"wmf2gd leaves an ellipse without outline unfilled", 88, 8, 152, 62}}},
                    FixtureCase{"emf/fig2dev-shapes.emf", "emf/fig2dev-shapes.emf2svg.png", {}}),
    [](const testing::TestParamInfo<FixtureCase>& info) {
        std::string name = info.param.Reference.substr(info.param.Reference.find('/') + 1);
        for (char& ch : name)
            if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
        return name;
    });

} // namespace
