#pragma once
// The headers of Windows metafiles and enhanced metafiles: signatures, the placeable header, the
// picture's size in screen pixels and its palette. Everything a reader needs before playing.

#include "format_registry.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

enum class TMetafileKind : uint8_t { WMF, EMF };

// Screen resolution the pictures are sized at: a library setting, 96 until the program sets the
// screen's own at start.
int PGScreenDPI();
void SetPGScreenDPI(int dpi);

inline constexpr uint32_t PlaceableKey = 0x9AC6CDD7;
inline constexpr int PlaceableHeaderSize = 22;
inline constexpr int WMFHeaderSize = 18;
inline constexpr int EMFMinHeaderSize = 88;
// The longest side a picture is played at; the other side keeps the aspect.
inline constexpr int MetafileMaxSide = 8192;
// Box of a metafile without a usable placeable header, in its units.
inline constexpr int16_t DefaultMetafileBox[4] = {0, 0, 99, 49};

extern const char* const InvalidMetafile;

bool IsWMFSignature(const TPGHeader& header);
bool IsEMFSignature(const TPGHeader& header);

struct TMetafileHeader {
    TMetafileKind Kind = TMetafileKind::WMF;
    bool Placeable = false; // the file carried its own placeable header
    int64_t RecordsStart = 0;
    int ObjectCount = 0;         // WMF object table slots, EMF handles
    int32_t Box[4] = {};         // left, top, right, bottom: WMF units, EMF frame in 0.01 mm
    int64_t UnitsPerInch = 0;    // WMF; 2540 for the EMF frame
    int32_t Device[2] = {};      // EMF reference device in pixels
    int32_t Millimeters[2] = {}; // and in millimetres
    int Width = 0, Height = 0;   // natural size at the screen resolution, capped
    std::vector<uint32_t> Palette;
};

// Reads and checks the header of a whole file; raises EPixelGraphic "Invalid Metafile".
TMetafileHeader ReadMetafileHeader(std::span<const uint8_t> file, TMetafileKind kind, int dpi);

// The size a picture is drawn at: its natural size, with FastLoad fitted into 130 x 130, then
// into the call's size hint.
void MetafileOutputSize(const TMetafileHeader& header, bool fastLoad, const TPGCallOptions& options,
                        int& width, int& height);

// Image format for a palette of n entries: 1, 4 or 8 bits, else 24 bits.
uint8_t MetafilePixelFormat(size_t paletteEntries);

// The description GetInfo gives of a header.
TPGImageInfo MetafileInfo(const TMetafileHeader& header);
