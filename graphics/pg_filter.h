#pragma once
// The filter objects that TPixelGraphic::ApplyFilter runs over an image.

#include <cstdint>
#include <span>

class TPixelGraphic;

class TPGFilter {
public:
    TPGFilter() = default;
    virtual ~TPGFilter() = default;
    TPGFilter(const TPGFilter&) = delete;
    TPGFilter& operator=(const TPGFilter&) = delete;

    // Remembers the source image for FilterPixel; it is only read.
    virtual void Init(const TPixelGraphic& Source) { FSource = &Source; }
    // Colour (0x00BBGGRR) of the filtered source pixel.
    virtual uint32_t FilterPixel(int /*X*/, int /*Y*/) { return 0; }
    // FilterPixel for the pixels 0.. of row Y; a filter that reads whole rows faster overrides
    // it with the same colours.
    virtual void FilterRow(int Y, std::span<uint32_t> Colors) {
        for (size_t x = 0; x < Colors.size(); ++x) Colors[x] = FilterPixel(static_cast<int>(x), Y);
    }
    virtual void Done() { FSource = nullptr; }
    // True when the result depends on a pixel's own colour only: such a filter may run in
    // place and over the palette alone.
    virtual bool IsPointFilter() const { return false; }
    virtual uint32_t FilterColor(uint32_t Color) { return Color; }

protected:
    const TPixelGraphic* Source() const { return FSource; }

private:
    const TPixelGraphic* FSource = nullptr;
};
