/* Clarend: photo corrections on packed device-independent bitmaps, callable from C.
 *
 * A packed DIB is a 40-byte (or larger) BITMAPINFOHEADER, its colour table, then the rows,
 * bottom row first, each padded to 4 bytes. "h" functions take a memory handle of the kind
 * below, "p" functions a pointer to the header. Results: 0 done, -1 a picture or handle of the
 * wrong form, -2 working memory not available (the picture is left as it was). */
#ifndef CLAREND_H
#define CLAREND_H

#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>

#ifdef __cplusplus
extern "C" {
#endif

#pragma pack(push, 1)
typedef struct BITMAPINFOHEADER {
    uint32_t biSize;
    int32_t biWidth;
    int32_t biHeight;
    uint16_t biPlanes;
    uint16_t biBitCount;
    uint32_t biCompression;
    uint32_t biSizeImage;
    int32_t biXPelsPerMeter;
    int32_t biYPelsPerMeter;
    uint32_t biClrUsed;
    uint32_t biClrImportant;
} BITMAPINFOHEADER;
#pragma pack(pop)

#ifdef __cplusplus
static_assert(sizeof(BITMAPINFOHEADER) == 40, "the header is 40 bytes");
#else
_Static_assert(sizeof(BITMAPINFOHEADER) == 40, "the header is 40 bytes");
#endif

/* A movable memory block: a tagged header, then the caller's bytes. The functions are inline
 * so that the library and its callers share one definition without exporting it. */
typedef struct CLAREND_GLOBAL_BLOCK* HGLOBAL;

struct CLAREND_GLOBAL_BLOCK {
    uint32_t Tag;
    uint32_t LockCount;
    uint64_t Size;
    uint64_t Reserved[2]; /* keeps the bytes after it aligned as malloc's */
};

#define CLAREND_GLOBAL_TAG 0x48474C42u

/* A zero-filled block of size bytes; null when the memory is not available. */
static inline HGLOBAL GlobalAlloc(size_t size) {
    if (size > PTRDIFF_MAX - sizeof(struct CLAREND_GLOBAL_BLOCK)) return NULL;
    HGLOBAL block = (HGLOBAL)calloc(1, sizeof(struct CLAREND_GLOBAL_BLOCK) + size);
    if (block) {
        block->Tag = CLAREND_GLOBAL_TAG;
        block->Size = size;
    }
    return block;
}

static inline int GlobalValid(HGLOBAL block) {
    return block != NULL && block->Tag == CLAREND_GLOBAL_TAG;
}

/* The block's bytes; null for a null or foreign handle or an empty block. */
static inline void* GlobalLock(HGLOBAL block) {
    if (!GlobalValid(block) || block->Size == 0) return NULL;
    ++block->LockCount;
    return block + 1;
}

/* Answers whether the block is still locked. */
static inline int GlobalUnlock(HGLOBAL block) {
    if (!GlobalValid(block) || block->LockCount == 0) return 0;
    return --block->LockCount != 0;
}

static inline size_t GlobalSize(HGLOBAL block) {
    return GlobalValid(block) ? block->Size : 0;
}

/* The handle of a pointer GlobalLock answered. */
static inline HGLOBAL GlobalHandle(const void* data) {
    if (data == NULL) return NULL;
    HGLOBAL block = (HGLOBAL)data - 1;
    return GlobalValid(block) ? block : NULL;
}

/* Answers null when freed, else the handle. */
static inline HGLOBAL GlobalFree(HGLOBAL block) {
    if (!GlobalValid(block)) return block;
    block->Tag = 0;
    free(block);
    return NULL;
}

/* The library is built with hidden symbols; its version script lists what it exports. */
#define CLAREND_API __attribute__((visibility("default")))

/* Red-eye correction of the rectangle left, top, right, bottom (exclusive), counted from the
 * picture's top-left corner and clipped to it. Level 0..2 (strongest 2), Method 0 the whole
 * rectangle, 1 box growing, 2 region growing. The five-argument forms use Level 1, Method 2. */
CLAREND_API int32_t hVuxFixRedEye(HGLOBAL handle, int32_t left, int32_t top, int32_t right,
                                  int32_t bottom);
CLAREND_API int32_t hVuxFixRedEye2(HGLOBAL handle, int32_t left, int32_t top, int32_t right,
                                   int32_t bottom, int32_t level, int32_t method);
CLAREND_API int32_t pVuxFixRedEye(BITMAPINFOHEADER* header, int32_t left, int32_t top,
                                  int32_t right, int32_t bottom);
CLAREND_API int32_t pVuxFixRedEye2(BITMAPINFOHEADER* header, int32_t left, int32_t top,
                                   int32_t right, int32_t bottom, int32_t level, int32_t method);

/* The further corrections. Except VuxFilter_3x3 they leave the input as it is and answer a new,
 * zero-filled block the caller frees (VuxPtrFilter: its locked pointer; GlobalHandle recovers the
 * handle), or null. err, when not null, receives 0 or the failure's code. */

/* brightness and contrast -100..100 move the mid-tone and its slope; gamma above 1 darkens. */
CLAREND_API HGLOBAL VuxBrightContrastGamma(HGLOBAL handle, int32_t brightness, int32_t contrast,
                                           double gamma, int32_t* err);
/* 3x3 sharpening of a 24-bit picture; type 1 and 3 choose lighter weights. */
CLAREND_API HGLOBAL VuxUnSharpMask(HGLOBAL handle, int32_t type, int32_t* err);
/* 3x3 sharpening (1, 3, 16, 17) or softening (32..35) of a 24-bit picture. */
CLAREND_API BITMAPINFOHEADER* VuxPtrFilter(BITMAPINFOHEADER* header, int32_t type, int32_t* err);
/* The convolution over height rows of stride bytes; writes nothing for a width under 3 or a
 * divisor of 0. The answer carries no meaning. */
CLAREND_API int32_t VuxFilter_3x3(const uint8_t* source, uint8_t* destination, int32_t width,
                                  int32_t height, int32_t stride, int32_t corner, int32_t edge,
                                  int32_t centre, int32_t divisor);
/* Removes vertical streaks: flags 1 skips the colour pass, 2 and 4 narrow its window, 8 skips
 * the brightness pass. Answers its copy also when a later step fails, with the code in err. */
CLAREND_API HGLOBAL VuxDestreakImage(HGLOBAL handle, int32_t flags, int32_t* err);
/* Straightens and crops a scanned page; 0 asks for the computed size. */
CLAREND_API HGLOBAL VuxDeskewImage(HGLOBAL handle, int32_t width, int32_t height, int32_t* err);
/* Turns by angle tenths of a degree (-450..450, clockwise as seen) and crops the empty corners;
 * 0 asks for the computed size. Note the height comes first. */
CLAREND_API HGLOBAL VuxRotateImage(HGLOBAL handle, int32_t angle, int32_t height, int32_t width,
                                   int32_t* err);
/* Mode 2 a quarter turn clockwise, 4 a half turn, 6 counter-clockwise; bit 0 flips the rows
 * after the turn. Bottom-up pictures of 4, 8, 16 or 24 bits only. */
CLAREND_API HGLOBAL VuxRotateDib(HGLOBAL handle, int32_t mode, int32_t* err);

#ifdef __cplusplus
}
#endif

#endif
