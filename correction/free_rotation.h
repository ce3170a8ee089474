#pragma once
// Rotation by a free angle in tenths of a degree, cropped to the largest upright rectangle
// inside the turned picture, in the fixed point of the row pipeline: sine and cosine x 32768.

#include "row_pipeline.h"

// Sizes and pass positions for a W x H picture; false when a side or a span comes out below 1.
struct TRotationPlan {
    int64_t Width = 0, Height = 0;
    TPassSpan Pass1{}, Pass2{};
};
bool PlanRotation(int64_t w, int64_t h, int32_t angle, TRotationPlan& plan);

// Applies a requested size: 0 keeps the computed side, one given side scales the other.
bool RequestedSize(int64_t& width, int64_t& height, int64_t wantWidth, int64_t wantHeight);

HGLOBAL RotateImage(HGLOBAL handle, int32_t angle, int32_t height, int32_t width, int32_t* err);
