// Feeds the further corrections random headers, block sizes and arguments. The first 8 bytes
// choose the export and its arguments, the rest is the packed DIB. Whatever the input: the
// input block is never changed, a failure answers null with a listed code (destreak may keep its
// copy), an answer is an unlocked block whose header's rows fit inside it, and no lock is left.

#include "clarend.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

constexpr size_t ParamBytes = 8;
constexpr uint64_t MaxBlock = 4 << 20;

void require(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "invariant broken: %s\n", what);
        std::abort();
    }
}

bool listedCode(int32_t code) {
    for (int32_t c :
         {0, -1020, -7079, -2004, -2007, -1009, -7012, -1016, -1548, -1007, -1008, -7003})
        if (code == c) return true;
    return false;
}

// Offset of the rows, as the library reads it.
uint64_t pixelOffset(const BITMAPINFOHEADER& h) {
    const uint64_t entries = h.biClrUsed         ? h.biClrUsed
                             : h.biBitCount == 4 ? 16
                             : h.biBitCount == 8 ? 256
                                                 : 0;
    return uint64_t(h.biSize) + (h.biCompression == 3 ? 12 : entries * 4);
}

void checkAnswer(HGLOBAL answer, int32_t err, bool keepsCopy) {
    require(listedCode(err), "the code is one of the listed ones");
    if (!answer) {
        require(err != 0, "null comes with a failure code");
        return;
    }
    require(err == 0 || keepsCopy, "an answer comes with 0, or is destreak's copy");
    require(answer->LockCount == 0, "the answer is unlocked");
    const size_t size = GlobalSize(answer);
    require(size >= sizeof(BITMAPINFOHEADER), "the answer holds a header");
    BITMAPINFOHEADER h;
    std::memcpy(&h, GlobalLock(answer), sizeof h);
    GlobalUnlock(answer);
    require(h.biWidth > 0 && h.biHeight != 0, "the answer has a size");
    const uint64_t rows = h.biHeight < 0 ? uint64_t(-int64_t(h.biHeight)) : uint64_t(h.biHeight);
    const uint64_t stride = (uint64_t(h.biWidth) * h.biBitCount + 31) / 32 * 4;
    require(pixelOffset(h) + stride * rows <= size, "the answer's rows fit its block");
    GlobalFree(answer);
}

HGLOBAL callHandle(const uint8_t* p, HGLOBAL block, int32_t& err) {
    const int32_t a = int8_t(p[1]), b = int8_t(p[2]);
    const int32_t angle = int16_t(p[3] | p[4] << 8) % 500;
    switch (p[0] % 6) {
    case 0:
        return VuxBrightContrastGamma(block, a * 2, b * 2, p[3] / 16.0, &err);
    case 1:
        return VuxUnSharpMask(block, a, &err);
    case 2:
        return VuxDestreakImage(block, a, &err);
    case 3:
        return VuxRotateDib(block, int32_t(p[1] | p[2] << 8 | p[3] << 16), &err);
    case 4:
        return VuxRotateImage(block, angle, b & 0x3F, p[5] & 0x3F, &err);
    default:
        return VuxDeskewImage(block, p[5] & 0x3F, b & 0x3F, &err);
    }
}

void fuzzHandle(const uint8_t* p, const std::vector<uint8_t>& dib) {
    const int64_t size = std::max<int64_t>(0, int64_t(dib.size()) + int8_t(p[6]) * 16);
    HGLOBAL block = GlobalAlloc(size_t(size));
    if (auto* bytes = static_cast<uint8_t*>(GlobalLock(block))) {
        std::memcpy(bytes, dib.data(), std::min<size_t>(dib.size(), size_t(size)));
        GlobalUnlock(block);
    }
    std::vector<uint8_t> before(static_cast<size_t>(size));
    if (size) std::memcpy(before.data(), block + 1, size_t(size));
    int32_t err = 1;
    HGLOBAL answer = callHandle(p, block, err);
    require(block->LockCount == 0, "the input is left unlocked");
    require(size == 0 || std::memcmp(before.data(), block + 1, size_t(size)) == 0,
            "the input is unchanged");
    checkAnswer(answer, err, p[0] % 6 == 2);
    GlobalFree(block);
}

void fuzzPointer(const uint8_t* p, std::vector<uint8_t> dib) {
    BITMAPINFOHEADER h;
    std::memcpy(&h, dib.data(), sizeof h);
    // The pointer form cannot check its block, so it gets every row its header announces.
    if (h.biWidth > 0 && h.biHeight != 0 && h.biBitCount == 24) {
        const uint64_t rows =
            h.biHeight < 0 ? uint64_t(-int64_t(h.biHeight)) : uint64_t(h.biHeight);
        const uint64_t need = pixelOffset(h) + (uint64_t(h.biWidth) * 24 + 31) / 32 * 4 * rows;
        if (need > MaxBlock) return;
        dib.resize(std::max<uint64_t>(dib.size(), need));
    }
    const std::vector<uint8_t> before = dib;
    int32_t err = 1;
    BITMAPINFOHEADER* out =
        VuxPtrFilter(reinterpret_cast<BITMAPINFOHEADER*>(dib.data()), int8_t(p[1]), &err);
    require(before == dib, "the input is unchanged");
    HGLOBAL answer = GlobalHandle(out);
    require(!out || answer, "the pointer is of a block");
    if (answer) require(GlobalUnlock(answer) == 0, "the block was locked once");
    checkAnswer(answer, err, false);
}

void fuzzCore(const uint8_t* p, const std::vector<uint8_t>& bytes) {
    const int32_t width = p[1] % 40, height = p[2] % 40, stride = p[3];
    if (uint64_t(height) * uint64_t(stride) > bytes.size()) return;
    std::vector<uint8_t> out(bytes.size(), 0x5A);
    VuxFilter_3x3(bytes.data(), out.data(), width, height, stride, int8_t(p[4]), int8_t(p[5]),
                  int8_t(p[6]), int8_t(p[7]));
    for (size_t i = size_t(height) * size_t(stride); i < out.size(); ++i)
        require(out[i] == 0x5A, "nothing is written past the rows");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < ParamBytes || size - ParamBytes > MaxBlock) return 0;
    std::vector<uint8_t> dib(data + ParamBytes, data + size);
    if (dib.size() < sizeof(BITMAPINFOHEADER)) dib.resize(sizeof(BITMAPINFOHEADER));
    switch (data[7] % 8) {
    case 0:
        fuzzPointer(data, dib);
        break;
    case 1:
        fuzzCore(data, dib);
        break;
    default:
        fuzzHandle(data, dib);
        break;
    }
    return 0;
}
