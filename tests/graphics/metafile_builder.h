#pragma once
// Builds Windows metafiles and enhanced metafiles record by record, for well-formed and
// malformed test files.

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace mfb {

inline void put16(std::vector<uint8_t>& b, uint32_t v) {
    b.push_back(uint8_t(v)), b.push_back(uint8_t(v >> 8));
}
inline void put32(std::vector<uint8_t>& b, uint32_t v) {
    put16(b, v & 0xFFFF), put16(b, v >> 16);
}

} // namespace mfb

class TWMFBuilder {
public:
    struct TPlaceable {
        int16_t Box[4] = {0, 0, 1000, 500};
        uint16_t UnitsPerInch = 1000;
    };
    // Without a placeable header, or with one.
    explicit TWMFBuilder(uint16_t objects = 8) : FObjects(objects) {}
    TWMFBuilder(TPlaceable placeable, uint16_t objects = 8)
        : FObjects(objects), FPlaceable(true), FHeader(placeable) {}

    // A record of 16-bit parameters, in the order the file stores them.
    TWMFBuilder& Record(uint16_t function, std::initializer_list<int> params) {
        return Record(function, std::vector<int>(params));
    }
    TWMFBuilder& Record(uint16_t function, const std::vector<int>& params) {
        mfb::put32(FRecords, uint32_t(3 + params.size()));
        mfb::put16(FRecords, function);
        for (int p : params) mfb::put16(FRecords, uint32_t(p));
        return *this;
    }
    // Bytes as they stand, for records that lie about their size.
    TWMFBuilder& Raw(const std::vector<uint8_t>& bytes) {
        FRecords.insert(FRecords.end(), bytes.begin(), bytes.end());
        return *this;
    }
    TWMFBuilder& WithoutEOF() {
        FEOF = false;
        return *this;
    }

    std::vector<uint8_t> Bytes() const {
        std::vector<uint8_t> out;
        if (FPlaceable) {
            mfb::put32(out, 0x9AC6CDD7);
            mfb::put16(out, 0);
            for (int16_t v : FHeader.Box) mfb::put16(out, uint16_t(v));
            mfb::put16(out, FHeader.UnitsPerInch);
            mfb::put32(out, 0);
            uint16_t sum = 0;
            for (size_t i = 0; i < 20; i += 2) sum ^= uint16_t(out[i] | out[i + 1] << 8);
            mfb::put16(out, sum);
        }
        std::vector<uint8_t> records = FRecords;
        if (FEOF) mfb::put32(records, 3), mfb::put16(records, 0);
        mfb::put16(out, 1);
        mfb::put16(out, 9);
        mfb::put16(out, 0x300);
        mfb::put32(out, uint32_t(9 + records.size() / 2));
        mfb::put16(out, FObjects);
        mfb::put32(out, 64);
        mfb::put16(out, 0);
        out.insert(out.end(), records.begin(), records.end());
        return out;
    }

private:
    uint16_t FObjects;
    bool FPlaceable = false;
    TPlaceable FHeader;
    bool FEOF = true;
    std::vector<uint8_t> FRecords;
};

class TEMFBuilder {
public:
    struct TFrame {
        int32_t Frame[4] = {0, 0, 10000, 5000}; // 0.01 mm: 100 mm by 50 mm
        int32_t Device[2] = {1000, 500};        // reference pixels
        int32_t Millimeters[2] = {100, 50};
        uint32_t HeaderSize = 88;
        std::u16string Description;
        uint16_t Handles = 8;
        std::vector<uint32_t> Palette; // 0x00BBGGRR, written with the EOF record
    };
    TEMFBuilder() = default;
    explicit TEMFBuilder(TFrame frame) : F(std::move(frame)) {}

    TEMFBuilder& Record(uint32_t type, std::initializer_list<uint32_t> params) {
        return Record(type, std::vector<uint32_t>(params));
    }
    TEMFBuilder& Record(uint32_t type, const std::vector<uint32_t>& params) {
        mfb::put32(FRecords, type);
        mfb::put32(FRecords, uint32_t(8 + 4 * params.size()));
        for (uint32_t p : params) mfb::put32(FRecords, p);
        return *this;
    }
    // A record of raw parameter bytes, padded to 4.
    TEMFBuilder& RecordBytes(uint32_t type, std::vector<uint8_t> params) {
        while (params.size() % 4) params.push_back(0);
        mfb::put32(FRecords, type);
        mfb::put32(FRecords, uint32_t(8 + params.size()));
        FRecords.insert(FRecords.end(), params.begin(), params.end());
        return *this;
    }
    TEMFBuilder& Raw(const std::vector<uint8_t>& bytes) {
        FRecords.insert(FRecords.end(), bytes.begin(), bytes.end());
        return *this;
    }
    TEMFBuilder& WithoutEOF() {
        FEOF = false;
        return *this;
    }

    std::vector<uint8_t> Bytes() const {
        std::vector<uint8_t> head;
        const uint32_t descBytes = uint32_t(2 * F.Description.size());
        const uint32_t size = F.HeaderSize + ((descBytes + 3) & ~3u);
        mfb::put32(head, 1);
        mfb::put32(head, size);
        for (int32_t v : {0, 0, 100, 50}) mfb::put32(head, uint32_t(v)); // bounds
        for (int32_t v : F.Frame) mfb::put32(head, uint32_t(v));
        mfb::put32(head, 0x464D4520);
        mfb::put32(head, 0x10000);
        mfb::put32(head, 0); // bytes, set below
        mfb::put32(head, 0); // records
        mfb::put16(head, F.Handles);
        mfb::put16(head, 0);
        mfb::put32(head, uint32_t(F.Description.size()));
        mfb::put32(head, descBytes ? F.HeaderSize : 0);
        mfb::put32(head, uint32_t(F.Palette.size()));
        for (int32_t v : F.Device) mfb::put32(head, uint32_t(v));
        for (int32_t v : F.Millimeters) mfb::put32(head, uint32_t(v));
        while (head.size() < F.HeaderSize) head.push_back(0);
        for (char16_t c : F.Description) mfb::put16(head, c);
        while (head.size() < size) head.push_back(0);
        std::vector<uint8_t> out = head;
        out.insert(out.end(), FRecords.begin(), FRecords.end());
        if (FEOF) {
            mfb::put32(out, 14);
            mfb::put32(out, uint32_t(20 + 4 * F.Palette.size()));
            mfb::put32(out, uint32_t(F.Palette.size()));
            mfb::put32(out, 16);
            for (uint32_t c : F.Palette) mfb::put32(out, c);
            mfb::put32(out, uint32_t(20 + 4 * F.Palette.size()));
        }
        const uint32_t total = uint32_t(out.size());
        for (int i = 0; i < 4; ++i) out[48 + size_t(i)] = uint8_t(total >> (8 * i));
        return out;
    }

private:
    TFrame F;
    bool FEOF = true;
    std::vector<uint8_t> FRecords;
};

// A 24-bit packed DIB of w x h pixels of one colour (0x00BBGGRR).
inline std::vector<uint8_t> SolidDIB(int w, int h, uint32_t color) {
    std::vector<uint8_t> b;
    mfb::put32(b, 40);
    mfb::put32(b, uint32_t(w));
    mfb::put32(b, uint32_t(h));
    mfb::put16(b, 1);
    mfb::put16(b, 24);
    for (int i = 0; i < 6; ++i) mfb::put32(b, 0);
    const int row = (3 * w + 3) & ~3;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < row; ++x)
            b.push_back(x < 3 * w ? uint8_t(color >> (8 * (2 - x % 3))) : 0);
    return b;
}

// Little-endian 32-bit words of bytes, padded with zeros.
inline std::vector<uint32_t> Words32(const std::vector<uint8_t>& bytes) {
    std::vector<uint32_t> words((bytes.size() + 3) / 4);
    for (size_t i = 0; i < bytes.size(); ++i) words[i / 4] |= uint32_t(bytes[i]) << (8 * (i % 4));
    return words;
}

// 16-bit words of bytes, padded with a zero.
inline std::vector<int> Words16(const std::vector<uint8_t>& bytes) {
    std::vector<int> words((bytes.size() + 1) / 2);
    for (size_t i = 0; i < bytes.size(); ++i) words[i / 2] |= int(bytes[i]) << (8 * (i % 2));
    return words;
}
