#include "pixel_graphic.h"

#include <gtest/gtest.h>

TEST(PixelGraphic, Placeholder) { EXPECT_TRUE(TPixelGraphic().Empty()); }
