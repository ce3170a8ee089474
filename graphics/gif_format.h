#pragma once
// GIF files: any frame by its index, and the frame placement an animation composites with.

#include "format_registry.h"

#include <memory>
#include <string>
#include <vector>

class tGifFileFormatReader : public TFileFormatReader {
public:
    tGifFileFormatReader() : TFileFormatReader("tGifFileFormatReader", "gif", "GIF", true) {}
    bool IsFormat(const TPGHeader& Header) const override;
    // Loads frame Index at its own size; an index beyond the frames leaves the image empty.
    void ReadImage(TStream& Stream, TPixelGraphic& Image, int Index) const override;
    void GetInfo(TStream& Stream, int Index, TPGImageInfo& Info) const override;
};

// Where and how long one frame shows on the logical screen.
struct TGifFrameGeometry {
    int Left = 0;
    int Top = 0;
    int Width = 0;
    int Height = 0;
    uint8_t Disposal = 0; // 0 none given, 1 keep, 2 restore background, 3 restore previous
    bool HasTransparency = false;
    uint8_t TransparentIndex = 0;
    int Delay = 0; // milliseconds
    bool Interlaced = false;
    std::string Comment;
};

struct TGifAnimation {
    int ScreenWidth = 0;
    int ScreenHeight = 0;
    uint8_t BackgroundIndex = 0;
    int LoopCount = 1;
    std::vector<TGifFrameGeometry> Frames;
};

// Reads the placement of every frame without decoding pixels, from the stream's position.
// Raises EPixelGraphic "Not a proper GIF file" when no frame can be decoded.
TGifAnimation ReadGifAnimation(TStream& Stream);

struct TGifFile;

// A GIF file read and parsed once, so an animation decodes frame after frame without reading
// the whole file again for each.
class TGifFrames {
public:
    // Reads from the stream's position; raises like ReadGifAnimation.
    explicit TGifFrames(TStream& Stream);
    ~TGifFrames();
    const TGifAnimation& Animation() const { return FAnimation; }
    int FrameCount() const { return int(FAnimation.Frames.size()); }
    // Loads frame Index at its own size, as the registered reader does.
    void ReadFrame(int Index, TPixelGraphic& Image) const;

private:
    std::vector<uint8_t> FData;
    std::unique_ptr<TGifFile> FFile;
    TGifAnimation FAnimation;
};

void RegisterGIFFormat(TPGRegistry& registry);
