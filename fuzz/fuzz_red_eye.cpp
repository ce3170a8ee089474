// Feeds red-eye correction random headers, block sizes and rectangles through both forms. The
// first 12 bytes choose the call, the rest is the packed DIB. Whatever the input, the answer is
// 0 or -1, a refused picture is left as it was, and no byte outside the rectangle's pixels
// changes.

#include "clarend.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

constexpr size_t ParamBytes = 12;
constexpr uint64_t MaxBlock = 8 << 20;

void require(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "invariant broken: %s\n", what);
        std::abort();
    }
}

struct TCall {
    int32_t Left, Top, Right, Bottom, Level, Method;
    bool ByHandle;
    int32_t SizeSlack; // the block is this many bytes shorter or longer than the input
};

TCall callOf(const uint8_t* p) {
    auto i16 = [&](int at) { return int32_t(int16_t(p[at] | p[at + 1] << 8)); };
    return {i16(0),       i16(2),       i16(4),           i16(6),
            int8_t(p[8]), int8_t(p[9]), (p[10] & 1) != 0, int32_t(int8_t(p[11])) * 16};
}

// What the header announces, read on its own terms: rows of 24-bit pixels after the header
// (and, in a block, after the colour table). Zero when the library must refuse it.
struct TForm {
    uint64_t Offset = 0, Stride = 0, Height = 0, Width = 0;
    bool Readable = false;
};

TForm formOf(const BITMAPINFOHEADER& h, bool byHandle) {
    TForm f;
    if (h.biSize < 40 || h.biBitCount != 24 || h.biCompression != 0 || h.biWidth < 1 ||
        h.biHeight == 0 || (!byHandle && h.biClrUsed != 0))
        return f;
    f.Width = uint64_t(h.biWidth);
    f.Height = h.biHeight < 0 ? uint64_t(-int64_t(h.biHeight)) : uint64_t(h.biHeight);
    f.Stride = (f.Width * 24 + 31) / 32 * 4;
    f.Offset = uint64_t(h.biSize) + (byHandle ? uint64_t(h.biClrUsed) * 4 : 0);
    f.Readable = true;
    return f;
}

// Whether byte i of the block lies in a pixel of the rectangle, clipped to the picture.
bool inRectangle(const TForm& f, const TCall& c, uint64_t i) {
    if (!f.Readable || i < f.Offset) return false;
    const uint64_t row = (i - f.Offset) / f.Stride, column = (i - f.Offset) % f.Stride / 3;
    if (row >= f.Height || column >= f.Width || (i - f.Offset) % f.Stride >= f.Width * 3)
        return false;
    const int64_t y = int64_t(f.Height) - 1 - int64_t(row);
    return int64_t(column) >= c.Left && int64_t(column) < c.Right && y >= c.Top && y < c.Bottom;
}

void checkUnchangedOutside(const std::vector<uint8_t>& before, const uint8_t* after, const TForm& f,
                           const TCall& c, int32_t result) {
    require(result == 0 || result == -1, "answer is 0 or -1");
    for (uint64_t i = 0; i < before.size(); ++i)
        if (before[i] != after[i])
            require(result == 0 && inRectangle(f, c, i), "only the rectangle's pixels change");
}

void fuzzPointer(const TCall& c, std::vector<uint8_t> dib) {
    BITMAPINFOHEADER header;
    std::memcpy(&header, dib.data(), sizeof header);
    const TForm f = formOf(header, false);
    // The pointer form cannot check its block, so it gets every row its header announces.
    if (f.Readable) {
        if (f.Offset > MaxBlock || f.Stride * f.Height > MaxBlock - f.Offset) return;
        dib.resize(std::max<uint64_t>(dib.size(), f.Offset + f.Stride * f.Height));
    }
    const std::vector<uint8_t> before = dib;
    const int32_t result = pVuxFixRedEye2(reinterpret_cast<BITMAPINFOHEADER*>(dib.data()), c.Left,
                                          c.Top, c.Right, c.Bottom, c.Level, c.Method);
    require(f.Readable == (result == 0), "the pointer form refuses exactly what it cannot read");
    checkUnchangedOutside(before, dib.data(), f, c, result);
}

void fuzzHandle(const TCall& c, const std::vector<uint8_t>& dib) {
    const int64_t size = std::max<int64_t>(0, int64_t(dib.size()) + c.SizeSlack);
    HGLOBAL handle = GlobalAlloc(size_t(size));
    uint8_t* block = static_cast<uint8_t*>(GlobalLock(handle));
    if (!block) {
        require(size == 0 && hVuxFixRedEye2(handle, 0, 0, 1, 1, 2, 2) == -1, "empty block refused");
        GlobalFree(handle);
        return;
    }
    std::memcpy(block, dib.data(), std::min<size_t>(dib.size(), size_t(size)));
    const std::vector<uint8_t> before(block, block + size);
    TForm f;
    if (size >= 40) f = formOf(*reinterpret_cast<BITMAPINFOHEADER*>(block), true);
    const bool fits = f.Readable && f.Offset <= uint64_t(size) &&
                      f.Stride * f.Height <= uint64_t(size) - f.Offset;
    const int32_t result =
        hVuxFixRedEye2(handle, c.Left, c.Top, c.Right, c.Bottom, c.Level, c.Method);
    require(fits == (result == 0), "the handle form refuses exactly what its block cannot hold");
    checkUnchangedOutside(before, block, f, c, result);
    require(GlobalUnlock(handle) == 0, "the call leaves no lock behind");
    GlobalFree(handle);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < ParamBytes || size - ParamBytes > MaxBlock) return 0;
    const TCall call = callOf(data);
    std::vector<uint8_t> dib(data + ParamBytes, data + size);
    if (dib.size() < sizeof(BITMAPINFOHEADER)) dib.resize(sizeof(BITMAPINFOHEADER));
    if (call.ByHandle)
        fuzzHandle(call, dib);
    else
        fuzzPointer(call, dib);
    return 0;
}
