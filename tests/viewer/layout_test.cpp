#include "pg_image_layout.h"

#include <gtest/gtest.h>

TEST(Layout, MapCoordinate) {
    EXPECT_EQ(PGMapCoordinate(5, 10, 0), 0);
    EXPECT_EQ(PGMapCoordinate(7, 3, 2), 10);
}
