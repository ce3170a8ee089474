#pragma once
// The filter objects that TPixelGraphic::ApplyFilter runs over an image.

#include <cstdint>

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
