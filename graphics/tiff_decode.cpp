#include "tiff_decode.h"

#include "pg_messages.h"

#include <algorithm>
#include <cstring>
#include <zlib.h>

void TIFFError(const std::string& detail) {
    throw EPGTIFFileFormatReader("TIFF: " + detail);
}

namespace {

[[noreturn]] void unexpectedEnd() {
    TIFFError(PGLangStr(msgUnexpectedEOF));
}

class TRawDecoder : public TTIFFRowDecoder {
public:
    void DecodeRow(TTIFFStripSource& source, std::span<uint8_t> row, int) override {
        if (source.Read(row.data(), row.size()) != row.size()) unexpectedEnd();
    }
};

// Each row is packed on its own; a run may not reach into the next row.
class TPackBitsDecoder : public TTIFFRowDecoder {
public:
    void DecodeRow(TTIFFStripSource& source, std::span<uint8_t> row, int y) override {
        size_t at = 0;
        while (at < row.size()) {
            const int n = static_cast<int8_t>(next(source));
            if (n == -128) continue;
            const size_t count = n >= 0 ? static_cast<size_t>(n) + 1 : static_cast<size_t>(1 - n);
            if (count > row.size() - at)
                throw EPGTIFFileFormatReader("TIFF (PackBits): " +
                                             PGLangStr(msgInvalidRowBytes, std::to_string(y)));
            if (n >= 0) {
                if (source.Read(&row[at], count) != count) unexpectedEnd();
            } else {
                std::memset(&row[at], next(source), count);
            }
            at += count;
        }
    }

private:
    static uint8_t next(TTIFFStripSource& source) {
        uint8_t b;
        if (!source.Next(b)) unexpectedEnd();
        return b;
    }
};

// Codes of 9 to 12 bits, most significant bit first; the code width grows one code early.
class TLZWDecoder : public TTIFFRowDecoder {
public:
    void StartStrip() override {
        resetTable();
        FPrevious = -1;
        FBits = 0;
        FBitCount = 0;
        FPendingAt = FPendingEnd = 0;
    }

    void DecodeRow(TTIFFStripSource& source, std::span<uint8_t> row, int) override {
        size_t at = std::min(row.size(), FPendingEnd - FPendingAt);
        std::memcpy(row.data(), &FPending[FPendingAt], at);
        FPendingAt += at;
        while (at < row.size()) {
            const int code = nextCode(source);
            if (code < 0 || code == codeEnd) unexpectedEnd();
            if (code == codeClear) {
                resetTable();
                FPrevious = -1;
                continue;
            }
            if (code < FNext) {
                if (FPrevious >= 0) addEntry(FPrevious, FFirst[code]);
            } else if (code == FNext && FPrevious >= 0) {
                addEntry(FPrevious, FFirst[FPrevious]);
            } else {
                TIFFError(PGLangStr(msgInvalid, "LZW code"));
            }
            at += emit(code, row.subspan(at));
            FPrevious = code;
        }
    }

private:
    static constexpr int codeClear = 256, codeEnd = 257, tableSize = 4096;

    void resetTable() {
        for (int c = 0; c < 256; ++c) {
            FSuffix[c] = FFirst[c] = static_cast<uint8_t>(c);
            FLength[c] = 1;
        }
        FNext = 258;
        FWidth = 9;
    }

    void addEntry(int prefix, uint8_t last) {
        if (FNext == tableSize) return;
        FPrefix[FNext] = static_cast<uint16_t>(prefix);
        FSuffix[FNext] = last;
        FFirst[FNext] = FFirst[prefix];
        FLength[FNext] = static_cast<uint16_t>(FLength[prefix] + 1);
        if (++FNext >= (1 << FWidth) - 1 && FWidth < 12) ++FWidth;
    }

    int nextCode(TTIFFStripSource& source) {
        while (FBitCount < FWidth) {
            uint8_t b;
            if (!source.Next(b)) return -1;
            FBits = (FBits << 8) | b;
            FBitCount += 8;
        }
        FBitCount -= FWidth;
        return static_cast<int>((FBits >> FBitCount) & ((1u << FWidth) - 1));
    }

    // Writes the string of code backwards from its end; what does not fit waits for the next row.
    size_t emit(int code, std::span<uint8_t> out) {
        const size_t length = FLength[code];
        uint8_t* end = length <= out.size() ? out.data() + length : FPending.data() + length;
        for (uint8_t* p = end; p != end - length; code = FPrefix[code]) *--p = FSuffix[code];
        if (length <= out.size()) return length;
        std::memcpy(out.data(), FPending.data(), out.size());
        FPendingAt = out.size();
        FPendingEnd = length;
        return out.size();
    }

    std::array<uint16_t, tableSize> FPrefix{};
    std::array<uint8_t, tableSize> FSuffix{};
    std::array<uint8_t, tableSize> FFirst{};
    std::array<uint16_t, tableSize> FLength{};
    std::array<uint8_t, tableSize> FPending{};
    size_t FPendingAt = 0, FPendingEnd = 0;
    int FNext = 258, FWidth = 9, FPrevious = -1;
    uint32_t FBits = 0;
    int FBitCount = 0;
};

class TDeflateDecoder : public TTIFFRowDecoder {
public:
    ~TDeflateDecoder() override {
        if (FStarted) inflateEnd(&FZ);
    }

    void StartStrip() override {
        if (!FStarted && inflateInit(&FZ) != Z_OK) TIFFError(PGLangStr(msgFailed, "inflateInit"));
        if (FStarted) inflateReset(&FZ);
        FStarted = true;
        FStreamEnded = false;
    }

    void DecodeRow(TTIFFStripSource& source, std::span<uint8_t> row, int) override {
        FZ.next_out = row.data();
        FZ.avail_out = static_cast<uInt>(row.size());
        while (FZ.avail_out > 0) {
            const std::span<const uint8_t> in = source.Peek();
            if (FStreamEnded || in.empty()) unexpectedEnd();
            FZ.next_in = const_cast<Bytef*>(in.data());
            FZ.avail_in = static_cast<uInt>(in.size());
            const int result = inflate(&FZ, Z_NO_FLUSH);
            source.Skip(in.size() - FZ.avail_in);
            if (result == Z_STREAM_END)
                FStreamEnded = true;
            else if (result != Z_OK)
                TIFFError(PGLangStr(msgInvalid, "Deflate data"));
        }
    }

private:
    z_stream FZ{};
    bool FStarted = false;
    bool FStreamEnded = false;
};

} // namespace

bool TIFFCanDecode(uint32_t compression) {
    return compression == tcNone || compression == tcPackBits || compression == tcLZW ||
           compression == tcAdobeDeflate || compression == tcDeflate;
}

std::unique_ptr<TTIFFRowDecoder> MakeTIFFRowDecoder(uint32_t compression) {
    switch (compression) {
    case tcPackBits:
        return std::make_unique<TPackBitsDecoder>();
    case tcLZW:
        return std::make_unique<TLZWDecoder>();
    case tcAdobeDeflate:
    case tcDeflate:
        return std::make_unique<TDeflateDecoder>();
    default:
        return std::make_unique<TRawDecoder>();
    }
}

void UndoTIFFHorizontalPredictor(std::span<uint8_t> row, int samplesPerPixel) {
    for (size_t i = static_cast<size_t>(samplesPerPixel); i < row.size(); ++i)
        row[i] = static_cast<uint8_t>(row[i] + row[i - samplesPerPixel]);
}

void TTIFFStripSource::Start(int64_t position) {
    if (position > FStream.Size()) unexpectedEnd();
    FStream.SetPosition(position);
    FAt = FEnd = 0;
}

bool TTIFFStripSource::refill() {
    FAt = 0;
    FEnd = static_cast<size_t>(std::max<int64_t>(0, FStream.Read(FWindow.data(), FWindow.size())));
    return FEnd > 0;
}

size_t TTIFFStripSource::Read(uint8_t* dest, size_t count) {
    size_t done = 0;
    while (done < count) {
        if (FAt == FEnd) {
            // Large rows go straight from the stream into the row.
            if (count - done >= FWindow.size())
                return done +
                       static_cast<size_t>(std::max<int64_t>(
                           0, FStream.Read(dest + done, static_cast<int64_t>(count - done))));
            if (!refill()) break;
        }
        const size_t n = std::min(count - done, FEnd - FAt);
        std::memcpy(dest + done, &FWindow[FAt], n);
        FAt += n;
        done += n;
    }
    return done;
}

std::span<const uint8_t> TTIFFStripSource::Peek() {
    if (FAt == FEnd) refill();
    return {FWindow.data() + FAt, FEnd - FAt};
}
