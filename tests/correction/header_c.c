/* Compiled as C, so the library's header stays plain C: a one-pixel picture corrected through
 * a memory handle, answering the result and the pixel's red. */
#include "clarend.h"

#include <string.h>

int32_t FixOnePixelFromC(uint8_t* red) {
    BITMAPINFOHEADER header;
    memset(&header, 0, sizeof header);
    header.biSize = sizeof header;
    header.biWidth = 1;
    header.biHeight = 1;
    header.biPlanes = 1;
    header.biBitCount = 24;
    HGLOBAL handle = GlobalAlloc(sizeof header + 4);
    uint8_t* block = (uint8_t*)GlobalLock(handle);
    if (!block) return 1;
    memcpy(block, &header, sizeof header);
    block[40] = 0;   /* blue */
    block[41] = 10;  /* green */
    block[42] = 255; /* red */
    GlobalUnlock(handle);
    const int32_t result = hVuxFixRedEye2(handle, 0, 0, 1, 1, 2, 2);
    block = (uint8_t*)GlobalLock(handle);
    *red = block[42];
    GlobalUnlock(handle);
    if (GlobalFree(handle) != NULL) return 2;
    return result;
}
