#include "dib_form.h"

namespace {

constexpr uint32_t InfoHeaderSize = 40;
constexpr uint32_t UncompressedRGB = 0;

// Checks what both forms share and fills everything but Bits. The rows must fit the address
// space, so no offset into them can overflow.
bool checkHeader(const BITMAPINFOHEADER& header, TDibRows& rows) {
    if (header.biSize < InfoHeaderSize || header.biBitCount != 24 ||
        header.biCompression != UncompressedRGB || header.biWidth < 1 || header.biHeight == 0)
        return false;
    rows.Width = header.biWidth;
    rows.Height = header.biHeight < 0 ? -int64_t(header.biHeight) : int64_t(header.biHeight);
    rows.Stride = (rows.Width * 24 + 31) / 32 * 4;
    int64_t bytes = 0;
    return !__builtin_mul_overflow(rows.Stride, rows.Height, &bytes);
}

} // namespace

bool PointerDibRows(BITMAPINFOHEADER* header, TDibRows& rows) {
    if (!header || header->biClrUsed != 0 || !checkHeader(*header, rows)) return false;
    rows.Bits = reinterpret_cast<uint8_t*>(header) + header->biSize;
    return true;
}

bool BlockDibRows(void* block, uint64_t size, TDibRows& rows) {
    if (!block || size < InfoHeaderSize) return false;
    auto* header = static_cast<BITMAPINFOHEADER*>(block);
    if (!checkHeader(*header, rows)) return false;
    const uint64_t offset = uint64_t(header->biSize) + uint64_t(header->biClrUsed) * 4;
    const uint64_t rowBytes = uint64_t(rows.Stride) * uint64_t(rows.Height);
    if (offset > size || rowBytes > size - offset) return false;
    rows.Bits = static_cast<uint8_t*>(block) + offset;
    return true;
}
