// Names of the thumbnail files: the path hashes, the date part, the cache name and the shared
// desktop thumbnail name, against vectors worked out by hand.

#include "platform_test_support.h"
#include "thumb_names.h"

#include <gtest/gtest.h>

namespace {

struct HashCase {
    const char* Path;
    uint32_t Hash1, Hash2;
};

TEST(ThumbNames, PathHashesReadUtf8BytesUnsigned) {
    const HashCase cases[] = {
        {"/home/user/Pictures/a.jpg", 66697821, 64441},
        // Two spellings that differ only in case are two files: hash 1 collides, hash 2 parts.
        {"/p/Aa.jpg", 95506657, 28207},
        {"/p/BB.jpg", 95506657, 16684},
    };
    for (const HashCase& c : cases) {
        SCOPED_TRACE(c.Path);
        EXPECT_EQ(ThumbPathHash1(c.Path), c.Hash1);
        EXPECT_EQ(ThumbPathHash2(c.Path), c.Hash2);
    }
    // Bytes above 127 count as 195 and 169, not as negative chars.
    const QByteArray accented = QString::fromUtf8("\xC3\xA9").toUtf8();
    EXPECT_EQ(ThumbPathHash1(accented), 195u * 31u + 169u);
    EXPECT_EQ(ThumbPathHash2(accented), 0xA9C3u);
}

TEST(ThumbNames, DatePartIsTheDayCountWithoutItsLeadAndPoint) {
    const struct {
        std::optional<int64_t> MTime;
        const char* Expected;
    } cases[] = {
        {1704110400, "29250000"}, // 2024-01-01 12:00 UTC = day 45292.5
        {1704067200, "29200000"}, // midnight
        {1704067201, "29200001"}, // one second rounds to the fifth decimal
        {std::nullopt, ""},
    };
    for (const auto& c : cases) EXPECT_EQ(ThumbDatePart(c.MTime), QString(c.Expected));
}

TEST(ThumbNames, CacheNameCarriesBothSidesOfTheBox) {
    const QString path = "/home/user/Pictures/a.jpg";
    TThumbNameParts parts{90, 75, 1704110400, true, true};
    EXPECT_EQ(ThumbCacheName(path, parts), "~x90x75_6669782129250000F64441e");
    // 120 x 105 has the same difference as 90 x 75, yet must not reuse its thumbnails.
    TThumbNameParts taller = parts;
    taller.Width = 120;
    taller.Height = 105;
    EXPECT_NE(ThumbCacheName(path, taller), ThumbCacheName(path, parts));
    parts.Jpeg = false;
    parts.MTime.reset();
    EXPECT_EQ(ThumbCacheName(path, parts), "~x90x75_66697821F64441b");
    parts.NoExtension = false;
    EXPECT_EQ(ThumbCacheName(path, parts), "~x90x75_66697821F64441.bmp");
}

TEST(ThumbNames, OnlyTheCachesOwnNamesMatchItsPattern) {
    const struct {
        const char* Name;
        bool Ours;
    } cases[] = {
        {"~x90x75_6669782129250000F64441e", true},
        {"~x90x75_66697821F64441.jpg", true},
        {"~cche.idx", false},
        {"~ImgeDim.che", false},
        {"~x90x75_66697821F64441e.txt", false},
        {"holiday.jpg", false},
    };
    for (const auto& c : cases) EXPECT_EQ(IsThumbCacheName(c.Name), c.Ours) << c.Name;
}

TEST(ThumbNames, DesktopThumbnailNameIsTheMd5OfTheEncodedUri) {
    const QString path = QString::fromUtf8("/home/user/Pictures/a b;\xC3\xA9.jpg");
    EXPECT_EQ(DesktopThumbUri(path), QByteArray("file:///home/user/Pictures/a%20b%3B%C3%A9.jpg"));
    EXPECT_EQ(DesktopThumbName(path), "99161656c86e63c41df16fae736b276e.png");
    EXPECT_EQ(DesktopThumbUri("/a/!$&'()*+,-.:=@_~Z9#%?"),
              QByteArray("file:///a/!$&'()*+,-.:=@_~Z9%23%25%3F"));
}

} // namespace
