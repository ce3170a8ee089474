// The working-memory pools and the row sources' operations, below the exports: the refusals of
// each operation and the tag check that guards the pools' bookkeeping.

#include "row_pipeline.h"
#include "work_pool.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

TEST(WorkPool, ClosesNestedPoolsAndFindsDamagedTags) {
    TWorkPool outer;
    ASSERT_TRUE(outer.Valid());
    auto* kept = outer.TakeArray<uint32_t>(16);
    ASSERT_NE(kept, nullptr);
    EXPECT_EQ(kept[15], 0u) << "blocks are zero-filled";
    {
        TWorkPool inner(&outer);
        ASSERT_NE(inner.TakeArray<uint8_t>(100), nullptr);
        EXPECT_EQ(inner.Close(), 0);
    }
    TWorkPool leftOpen(&outer); // the outer pool frees it with its blocks
    ASSERT_NE(leftOpen.TakeArray<uint8_t>(10), nullptr);
    EXPECT_EQ(outer.Give(kept), 0);
    EXPECT_EQ(outer.Close(), 0);
    EXPECT_FALSE(leftOpen.Valid()) << "closed with its parent";
    EXPECT_EQ(leftOpen.Close(), 0);

    TWorkPool damaged;
    auto* block = damaged.TakeArray<uint8_t>(8);
    ASSERT_NE(block, nullptr);
    std::memset(block - sizeof(TPoolLink) + offsetof(TPoolLink, Tag), 0x55, 4);
    EXPECT_EQ(damaged.Give(block), -1548);
    EXPECT_EQ(damaged.Close(), -1548);
    std::free(block - sizeof(TPoolLink)); // a damaged block is left to its owner, here the test
    EXPECT_EQ(TWorkPool().TakeArray<uint64_t>(UINT64_MAX / 4), nullptr) << "a size past 64 bits";
}

TEST(RowSources, OperationsAndTheirRefusals) {
    std::vector<uint8_t> bytes(40 + 12 * 3, 7);
    BITMAPINFOHEADER h{};
    h.biSize = 40;
    h.biWidth = 4;
    h.biHeight = 3;
    h.biBitCount = 24;
    std::memcpy(bytes.data(), &h, sizeof h);
    TDibBlock dib;
    ASSERT_EQ(CheckDib(bytes.data(), bytes.size(), Depth24, dib), 0);
    TWorkPool pool;
    TDibRowSource source(dib, pool, {0, 3, 4});
    TVerticalPass vertical(source, pool, 3, {0, 0, 3});
    THorizontalPass horizontal(vertical, pool, 4, {0, 0, 4});
    for (TRowSource* s : std::initializer_list<TRowSource*>{&source, &vertical, &horizontal}) {
        EXPECT_EQ(s->AcceptFormat(0x1802), 0);
        EXPECT_EQ(s->AcceptFormat(0x0801), -1016);
        EXPECT_EQ(s->SetTrims(0, 0), 0);
        EXPECT_EQ(s->SetTrims(1, 0), -1016);
        EXPECT_EQ(s->Further(), -1016);
    }
    EXPECT_EQ(vertical.Restart(), -1016);
    EXPECT_EQ(horizontal.Restart(), -1016);
    EXPECT_EQ(source.Restart(), 0) << "before its first row";
    std::vector<uint8_t> rows(3 * 12);
    int64_t delivered = 0;
    EXPECT_EQ(horizontal.Deliver(rows.data(), 3, delivered), 0);
    EXPECT_EQ(delivered, 3);
    EXPECT_EQ(rows, std::vector<uint8_t>(36, 7)) << "an identity pass keeps the pixels";
    EXPECT_EQ(source.Restart(), -1016) << "after it";
    EXPECT_EQ(horizontal.Release() | vertical.Release() | source.Release(), 0);
    EXPECT_EQ(pool.Close(), 0);

    h.biBitCount = 16;
    std::memcpy(bytes.data(), &h, sizeof h);
    TDibBlock grey;
    MeasureDib(bytes.data(), grey);
    TWorkPool other;
    TDibRowSource wrong(grey, other, {0, 3, 4});
    uint8_t row[12];
    EXPECT_EQ(wrong.Deliver(row, 1, delivered), -7012);
    EXPECT_EQ(wrong.Release(), 0);
}

} // namespace
