#pragma once
// Straightening and cropping of scanned pages: the page area is trimmed, its four borders are
// profiled, the slope is the peak of a histogram of profile slopes, and the page is resampled
// through the row pipeline between the fitted border lines.

#include "row_pipeline.h"

HGLOBAL DeskewImage(HGLOBAL handle, int32_t width, int32_t height, int32_t* err);
