#pragma once
// Red-eye correction of a rectangle of a checked 24-bit picture.

#include "dib_form.h"

#include <stdint.h>

inline constexpr int32_t RedEyeDone = 0;
inline constexpr int32_t RedEyeWrongForm = -1;
inline constexpr int32_t RedEyeNoMemory = -2;

// The rectangle is in picture pixels from the top-left corner, right and bottom exclusive,
// and is clipped to the picture. Every working array is obtained before the first pixel
// changes, so RedEyeNoMemory leaves the picture as it was.
int32_t FixRedEye(const TDibRows& picture, int32_t left, int32_t top, int32_t right, int32_t bottom,
                  int32_t level, int32_t method);
