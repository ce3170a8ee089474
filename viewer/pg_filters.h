#pragma once
// The colour effects and convolution filters that ApplyFilter runs, the kernels built from a
// distribution, and the sharpen, smooth and contour presets. No Qt: pgtool and the benchmarks
// use them as the dialogs do.

#include "pg_filter.h"
#include "pixel_graphic.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <vector>

using TPGTable = std::array<uint8_t, 256>;

class TGrayScaleFilter : public TPGFilter {
public:
    bool RGBWeighting() const { return FRGBWeighting; }
    void SetRGBWeighting(bool v) { FRGBWeighting = v; }

    bool IsPointFilter() const override { return true; }
    uint32_t FilterColor(uint32_t Color) override { return grey(Color); }
    uint32_t FilterPixel(int X, int Y) override;
    void FilterRow(int Y, std::span<uint32_t> Colors) override;

private:
    uint32_t grey(uint32_t color) const;
    bool FRGBWeighting = true;
};

// Three tables of 256 entries, one per channel of some colour space; identity when new.
class TXXXFilter : public TPGFilter {
public:
    TXXXFilter();
    TPGTable& Table1() { return FTables[0]; }
    TPGTable& Table2() { return FTables[1]; }
    TPGTable& Table3() { return FTables[2]; }
    const TPGTable& Table1() const { return FTables[0]; }
    const TPGTable& Table2() const { return FTables[1]; }
    const TPGTable& Table3() const { return FTables[2]; }

    bool IsPointFilter() const override { return true; }
    uint32_t FilterPixel(int X, int Y) override {
        return FilterColor(Source()->GetPixelColor(X, Y));
    }

protected:
    std::array<TPGTable, 3> FTables;
};

class TRGBFilter : public TXXXFilter {
public:
    uint32_t FilterColor(uint32_t Color) override { return mapped(Color); }
    void FilterRow(int Y, std::span<uint32_t> Colors) override;

private:
    uint32_t mapped(uint32_t color) const {
        return PGColor(FTables[0][PGRed(color)], FTables[1][PGGreen(color)],
                       FTables[2][PGBlue(color)]);
    }
};

// Tables for hue (a turn in 256 steps), saturation and value.
class THSVFilter : public TXXXFilter {
public:
    uint32_t FilterColor(uint32_t Color) override { return mapped(Color); }
    void FilterRow(int Y, std::span<uint32_t> Colors) override;

private:
    uint32_t mapped(uint32_t color) const;
    uint32_t remembered(uint32_t color);
    // Answers of the row path by colour, hashed; a photo repeats its colours often enough.
    std::vector<uint64_t> FMemo;
};

// Table k becomes clamp(i + Percent x 255 div 100): the RGB dialog's shift of one channel, and
// the HSV dialog's for saturation and value.
void PGFillPercentTable(TPGTable& Table, int Percent);
// The hue table of a turn by Degrees: (i + Degrees x 256 div 360) modulo 256.
void PGFillHueTable(TPGTable& Table, int Degrees);
void PGSetRGBPercents(TRGBFilter& Filter, int Red, int Green, int Blue);
void PGSetHSVValues(THSVFilter& Filter, int H, int S, int V);

// HSV with channels 0..1 and the hue in degrees; HueDefined is false for greys.
struct TPGHSV {
    double H = 0, S = 0, V = 0;
    bool HueDefined = false;
};
TPGHSV PGRGBToHSV(double r, double g, double b);
// Raises EPGSaturationHue for saturation 0 with a defined hue.
void PGHSVToRGB(const TPGHSV& hsv, double& r, double& g, double& b);

class TBCGFilter : public TPGFilter {
public:
    bool UseY() const { return FUseY; }
    void SetUseY(bool v) { FUseY = v; }
    int Brightness() const { return FBrightness; }
    void SetBrightness(int v) { FBrightness = v; }
    double Contrast() const { return FContrast; }
    void SetContrast(double v) { FContrast = v; }
    double Gamma() const { return FGamma; }
    void SetGamma(double v) { FGamma = v; }
    // Rebuilt from the three values by Init (and by RebuildTable for a palette-only run).
    const TPGTable& Table() const { return FTable; }
    void RebuildTable();

    void Init(const TPixelGraphic& Source) override;
    bool IsPointFilter() const override { return true; }
    uint32_t FilterColor(uint32_t Color) override { return mapped(Color); }
    uint32_t FilterPixel(int X, int Y) override { return mapped(Source()->GetPixelColor(X, Y)); }
    void FilterRow(int Y, std::span<uint32_t> Colors) override;

private:
    uint32_t mapped(uint32_t color) const;
    uint32_t mappedLuminance(uint32_t color) const;
    TPGTable FTable{};
    bool FUseY = false;
    int FBrightness = 0;
    double FContrast = 1.0, FGamma = 1.0;
};

// Convolution with an integer kernel; near the border only the cells on the picture count,
// renormalised by their weights.
class TConvFilter : public TPGFilter {
public:
    TConvFilter();
    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    // 1..99; a changed size clears the kernel to 0.
    void SetWidth(int v);
    void SetHeight(int v);
    int32_t Kernel(int X, int Y) const;
    void SetKernel(int X, int Y, int32_t Value);
    int ColumnOffset() const { return FColumnOffset; }
    void SetColumnOffset(int v) { FColumnOffset = v; }
    int RowOffset() const { return FRowOffset; }
    void SetRowOffset(int v) { FRowOffset = v; }
    double Factor() const { return FFactor; }
    void SetFactor(double v) { FFactor = v; }
    // Percent of full scale added to every channel.
    double Bias() const { return FBias; }
    void SetBias(double v) { FBias = v; }
    int64_t KernelSum() const;

    uint32_t FilterPixel(int X, int Y) override;
    void FilterRow(int Y, std::span<uint32_t> Colors) override;

private:
    void resize(int w, int h);
    uint8_t finish(int64_t sum, int64_t weight) const;
    uint32_t interiorPixel(const uint8_t* const* rows, int x, int64_t weight) const;
    int FWidth = 1, FHeight = 1;
    std::vector<int32_t> FKernel;
    int FColumnOffset = 0, FRowOffset = 0;
    double FFactor = 1.0, FBias = 0.0;
};

enum TDistributionShape : uint8_t { dsGaussian, dsTent, dsRect };

// Fills the filter with the kernel of a distribution of standard deviation StdDeviation
// (centre 16, or 1 for dsRect), centred on the pixel, Factor 1 and Bias 0.
void PGMakeKernel(TConvFilter& Filter, TDistributionShape Shape, bool UseDistance,
                  double StdDeviation);
// The presets over that kernel; Percent is the strength.
void PGSharpenKernel(TConvFilter& Filter, int Percent);
void PGSmoothKernel(TConvFilter& Filter, int Percent);
void PGContourKernel(TConvFilter& Filter, int Percent, bool BlackBk);

// Makes a filter with fixed values; every thread that filters gets its own.
using TPGFilterFactory = std::function<std::unique_ptr<TPGFilter>()>;
// Rows filtered so far and of all; answers true to stop.
using TPGRowProgress = std::function<bool(int Done, int Rows)>;
// Target.ApplyFilter(filter, Source) with a filter made by Make. A 24-bit target's rows are
// split into Bands bands, one thread and one filter each, giving the same bytes as one thread.
// Answers false when Progress stopped it: rows not reached are then left as they were.
bool PGApplyFilter(const TPGFilterFactory& Make, TPixelGraphic& Target, const TPixelGraphic& Source,
                   int Bands, const TPGRowProgress& Progress = {});

// The picture as an effect leaves it, made aside so the picture itself stays as it is: a colour
// filter on a copy in place (a palette picture changes its palette only), a convolution into a
// new 24-bit picture. Empty when Progress stopped it.
std::unique_ptr<TPixelGraphic> PGFilteredCopy(const TPGFilterFactory& Make,
                                              const TPixelGraphic& Picture, int Bands,
                                              const TPGRowProgress& Progress = {});
