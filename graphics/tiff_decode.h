#pragma once
// Strip data of TIFF files: a buffered byte source per strip and the row decoders of the
// compressions the reader understands (none, PackBits, LZW, Deflate).

#include "pg_stream.h"

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

enum TTIFFCompression : uint32_t {
    tcNone = 1,
    tcCCITT1D = 2,
    tcGroup3Fax = 3,
    tcGroup4Fax = 4,
    tcLZW = 5,
    tcOldJPEG = 6,
    tcJPEG = 7,
    tcAdobeDeflate = 8,
    tcDeflate = 32946,
    tcPackBits = 32773
};

bool TIFFCanDecode(uint32_t compression);

// The bytes of one strip, read through a 4096-byte window. The strip ends with the stream:
// decoders stop on their own once the rows are filled.
class TTIFFStripSource {
public:
    explicit TTIFFStripSource(TStream& stream) : FStream(stream) {}
    // Moves to a strip starting at this stream position; raises at a position past the end.
    void Start(int64_t position);
    bool Next(uint8_t& b) {
        if (FAt == FEnd && !refill()) return false;
        b = FWindow[FAt++];
        return true;
    }
    // Copies up to count bytes; answers how many there were.
    size_t Read(uint8_t* dest, size_t count);
    // The unread part of the window, refilled when empty; empty at the end of the stream.
    std::span<const uint8_t> Peek();
    void Skip(size_t count) { FAt += count; }

private:
    bool refill();

    TStream& FStream;
    std::array<uint8_t, 4096> FWindow{};
    size_t FAt = 0;
    size_t FEnd = 0;
};

// Decodes the rows of one strip after another. StartStrip resets the state at each strip;
// DecodeRow fills the whole row or raises (y is the image row, for messages).
class TTIFFRowDecoder {
public:
    virtual ~TTIFFRowDecoder() = default;
    virtual void StartStrip() {}
    virtual void DecodeRow(TTIFFStripSource& source, std::span<uint8_t> row, int y) = 0;
};

// For a compression TIFFCanDecode accepts.
std::unique_ptr<TTIFFRowDecoder> MakeTIFFRowDecoder(uint32_t compression);

// Undoes horizontal differencing of 8-bit samples in place.
void UndoTIFFHorizontalPredictor(std::span<uint8_t> row, int samplesPerPixel);

[[noreturn]] void TIFFError(const std::string& detail);
