// The exports of the further corrections. Each calls its family's function, never another
// export, so a program defining the same names cannot step in between.

#include "clarend.h"
#include "deskew.h"
#include "destreak.h"
#include "filter_3x3.h"
#include "free_rotation.h"
#include "quarter_turns.h"
#include "tone_curve.h"

extern "C" {

HGLOBAL VuxBrightContrastGamma(HGLOBAL handle, int32_t brightness, int32_t contrast, double gamma,
                               int32_t* err) {
    return BrightContrastGamma(handle, brightness, contrast, gamma, err);
}

HGLOBAL VuxUnSharpMask(HGLOBAL handle, int32_t type, int32_t* err) {
    return UnsharpMask(handle, type, err);
}

BITMAPINFOHEADER* VuxPtrFilter(BITMAPINFOHEADER* header, int32_t type, int32_t* err) {
    return PtrFilter(header, type, err);
}

int32_t VuxFilter_3x3(const uint8_t* source, uint8_t* destination, int32_t width, int32_t height,
                      int32_t stride, int32_t corner, int32_t edge, int32_t centre,
                      int32_t divisor) {
    Filter3x3(source, destination, width, height, stride, {corner, edge, centre, divisor});
    return 0;
}

HGLOBAL VuxDestreakImage(HGLOBAL handle, int32_t flags, int32_t* err) {
    return DestreakImage(handle, flags, err);
}

HGLOBAL VuxDeskewImage(HGLOBAL handle, int32_t width, int32_t height, int32_t* err) {
    return DeskewImage(handle, width, height, err);
}

HGLOBAL VuxRotateImage(HGLOBAL handle, int32_t angle, int32_t height, int32_t width, int32_t* err) {
    return RotateImage(handle, angle, height, width, err);
}

HGLOBAL VuxRotateDib(HGLOBAL handle, int32_t mode, int32_t* err) {
    return RotateDib(handle, mode, err);
}
}
