// The red-eye exports. The five-argument forms are the middle level with region growing.

#include "clarend.h"
#include "dib_form.h"
#include "fix_red_eye.h"

namespace {

constexpr int32_t DefaultLevel = 1, DefaultMethod = 2;

// The exports call these, not each other, so a program defining the same names cannot
// step in between.
int32_t fixBlock(HGLOBAL handle, int32_t left, int32_t top, int32_t right, int32_t bottom,
                 int32_t level, int32_t method) {
    void* block = GlobalLock(handle);
    if (!block) return RedEyeWrongForm;
    TDibRows rows;
    const int32_t result = BlockDibRows(block, GlobalSize(handle), rows)
                               ? FixRedEye(rows, left, top, right, bottom, level, method)
                               : RedEyeWrongForm;
    GlobalUnlock(handle);
    return result;
}

int32_t fixPointer(BITMAPINFOHEADER* header, int32_t left, int32_t top, int32_t right,
                   int32_t bottom, int32_t level, int32_t method) {
    TDibRows rows;
    if (!PointerDibRows(header, rows)) return RedEyeWrongForm;
    return FixRedEye(rows, left, top, right, bottom, level, method);
}

} // namespace

extern "C" {

int32_t hVuxFixRedEye2(HGLOBAL handle, int32_t left, int32_t top, int32_t right, int32_t bottom,
                       int32_t level, int32_t method) {
    return fixBlock(handle, left, top, right, bottom, level, method);
}

int32_t hVuxFixRedEye(HGLOBAL handle, int32_t left, int32_t top, int32_t right, int32_t bottom) {
    return fixBlock(handle, left, top, right, bottom, DefaultLevel, DefaultMethod);
}

int32_t pVuxFixRedEye2(BITMAPINFOHEADER* header, int32_t left, int32_t top, int32_t right,
                       int32_t bottom, int32_t level, int32_t method) {
    return fixPointer(header, left, top, right, bottom, level, method);
}

int32_t pVuxFixRedEye(BITMAPINFOHEADER* header, int32_t left, int32_t top, int32_t right,
                      int32_t bottom) {
    return fixPointer(header, left, top, right, bottom, DefaultLevel, DefaultMethod);
}
}
