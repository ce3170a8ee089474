#pragma once
// Where readers put decoded rows. Without a size hint, or when the hint does not halve the
// picture, the rows are the image's own. Loaded for a small box, only the rows and columns the
// reduction picks are kept (at most four times the fitted size in each direction) and averaged
// into the fitted picture at the end, so a large picture never exists in memory at full size.

#include "pixel_graphic.h"

#include <vector>

// How a w x h picture comes down to the image's size hint.
struct TPGReduction {
    int FitW = 0, FitH = 0;       // the picture fitted into the box
    int SampleW = 0, SampleH = 0; // what is picked before averaging
    bool Reduces = false;         // false: the picture stays as it is
};
TPGReduction PGPlanReduction(const TPGCallOptions& options, int w, int h);

// The source position picked for sample i of n along a side of size pixels: the cell's middle.
inline int PGSamplePick(int i, int n, int size) {
    return static_cast<int>((2 * int64_t(i) + 1) * size / (2 * int64_t(n)));
}

// Corrects the gamma of image (already reduced to a sample, any format) and averages it into
// fitW x fitH true colour.
void PGAverageSample(TPixelGraphic& image, int fitW, int fitH);

class TPGRowSink {
public:
    // Sizes the image for a width x height picture of the given format, refusing what
    // SetSizeAndFormat refuses for the full size; the palette is set on the image as usual.
    // Not reducible: the rows are the image's own whatever the hint.
    TPGRowSink(TPixelGraphic& image, int width, int height, uint8_t pixelFormat,
               bool reducible = true);
    TPGRowSink(const TPGRowSink&) = delete;
    TPGRowSink& operator=(const TPGRowSink&) = delete;

    TPixelGraphic& Image() { return FImage; }
    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    bool Reduces() const { return FPlan.Reduces; }
    // Memory for picture row y (0 at the top) in the image's row layout, zero-filled when
    // reduced. Rows may come in any order; a row is kept when the next is asked for or at Finish.
    uint8_t* Row(int y);
    // Ends the load: a reduced picture is averaged from the rows kept so far, so an aborted or
    // truncated load shows what was read. Runs once; later calls do nothing.
    void Finish();

private:
    void keepPending();

    TPixelGraphic& FImage;
    int FWidth, FHeight;
    uint8_t FFormat;
    TPGReduction FPlan;
    std::vector<int> FRowPicks, FColumnPicks;
    std::vector<uint8_t> FScratch;
    int FPending = -1;
    bool FFinished = false;
};

// Runs read, then Finish, also when read raises: the rows read stay in the picture.
template <class F>
void PGReadRows(TPGRowSink& sink, F&& read) {
    try {
        read();
    } catch (...) {
        sink.Finish();
        throw;
    }
    sink.Finish();
}
