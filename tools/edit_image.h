#pragma once
// What the edit dialogs share: the main window's progress gauge, fed by an image's progress
// events while an operation runs, and new images that keep the edit image's format and settings.

#include "pixel_graphic.h"

#include <functional>
#include <memory>

// The main window's gauge: Show with a percentage while an operation runs, Hide after it.
struct TProgressGauge {
    std::function<void(int Percent)> Show;
    std::function<void()> Hide;
};

// Feeds an image's progress events to the gauge while it lives; at its end the gauge is hidden,
// also when the operation ends by an error.
class TGaugeScope {
public:
    TGaugeScope(TPixelGraphic& image, const TProgressGauge& gauge);
    ~TGaugeScope();
    TGaugeScope(const TGaugeScope&) = delete;
    TGaugeScope& operator=(const TGaugeScope&) = delete;

private:
    TPixelGraphic& FImage;
    const TProgressGauge& FGauge;
    TPGProgressEvent FOldProgress;
};

// A new w x h image with the format, palette and settings of source, so that the edit image can
// take it over by Assign without losing any of its own. Raises the library's error when the size
// is beyond its cap.
std::unique_ptr<TPixelGraphic> NewImageLike(const TPixelGraphic& source, int w, int h);
