// A library of the right name that lacks the pointer export the program looks up.

#include "clarend.h"

extern "C" int32_t hVuxFixRedEye2(HGLOBAL, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t) {
    return 0;
}
