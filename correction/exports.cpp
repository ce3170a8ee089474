// The red-eye exports. The five-argument forms are the middle level with region growing.

#include "clarend.h"
#include "dib_form.h"
#include "red_eye.h"

namespace {

constexpr int32_t DefaultLevel = 1, DefaultMethod = 2;

} // namespace

extern "C" {

int32_t hVuxFixRedEye2(HGLOBAL handle, int32_t left, int32_t top, int32_t right, int32_t bottom,
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

int32_t hVuxFixRedEye(HGLOBAL handle, int32_t left, int32_t top, int32_t right, int32_t bottom) {
    return hVuxFixRedEye2(handle, left, top, right, bottom, DefaultLevel, DefaultMethod);
}

int32_t pVuxFixRedEye2(BITMAPINFOHEADER* header, int32_t left, int32_t top, int32_t right,
                       int32_t bottom, int32_t level, int32_t method) {
    TDibRows rows;
    if (!PointerDibRows(header, rows)) return RedEyeWrongForm;
    return FixRedEye(rows, left, top, right, bottom, level, method);
}

int32_t pVuxFixRedEye(BITMAPINFOHEADER* header, int32_t left, int32_t top, int32_t right,
                      int32_t bottom) {
    return pVuxFixRedEye2(header, left, top, right, bottom, DefaultLevel, DefaultMethod);
}
}
