#include "bench_inputs.h"

#include "pixel_graphic.h"

#include <cmath>
#include <cstdint>
#include <string>

namespace {

// Smooth shading, a few hard edges and fine noise: compresses and resamples like a photo.
void paintPhoto(TPixelGraphic& image) {
    uint32_t seed = 12345;
    auto noise = [&seed] {
        seed = seed * 1664525u + 1013904223u;
        return static_cast<int>(seed >> 28) - 8;
    };
    const double w = image.Width(), h = image.Height();
    for (int y = 0; y < image.Height(); ++y) {
        uint8_t* row = image.ScanLine(y);
        for (int x = 0; x < image.Width(); ++x) {
            const double u = x / w, v = y / h;
            const double sky = 0.5 + 0.5 * std::sin(6.0 * u + 3.0 * v);
            const bool hill = v > 0.55 + 0.1 * std::sin(9.0 * u);
            const bool disc = (u - 0.7) * (u - 0.7) + (v - 0.3) * (v - 0.3) < 0.01;
            int r = disc   ? 250
                    : hill ? static_cast<int>(40 + 80 * v)
                           : static_cast<int>(90 + 100 * sky);
            int g = disc   ? 220
                    : hill ? static_cast<int>(110 + 60 * u)
                           : static_cast<int>(140 + 80 * sky);
            int b = disc ? 90 : hill ? 50 : static_cast<int>(200 + 50 * (1 - v));
            r += noise(), g += noise(), b += noise();
            row[3 * x] = static_cast<uint8_t>(std::clamp(b, 0, 255));
            row[3 * x + 1] = static_cast<uint8_t>(std::clamp(g, 0, 255));
            row[3 * x + 2] = static_cast<uint8_t>(std::clamp(r, 0, 255));
        }
    }
}

void writePhoto(const std::filesystem::path& file, int width, int height) {
    TPixelGraphic image;
    image.SetSizeAndFormat(width, height, pf24Bit);
    paintPhoto(image);
    image.SaveToFile(file);
}

void writeEightBit(const std::filesystem::path& from, const std::filesystem::path& file) {
    TPixelGraphic source;
    source.LoadFromFile(from);
    TPixelGraphic image;
    image.SetSizeAndFormat(source.Width(), source.Height(), pf8Bit);
    image.SetPaletteIdent(pSpecial216);
    image.CopyRect(0, 0, source, 0, 0, source.Height(), source.Width());
    image.SaveToFile(file);
}

} // namespace

void MakeBenchInputs(const std::filesystem::path& folder, bool tiny) {
    std::filesystem::create_directories(folder);
    writePhoto(folder / "photo-L.bmp", tiny ? 96 : 6000, tiny ? 64 : 4000);
    writePhoto(folder / "photo-M.bmp", tiny ? 48 : 1024, tiny ? 32 : 768);
    writeEightBit(folder / "photo-M.bmp", folder / "photo-M8.bmp");
    // The same picture through our own writers, for the decoders of each format.
    TPixelGraphic photo;
    photo.LoadFromFile(folder / "photo-L.bmp");
    photo.SetSaveColorResWarningAction(pgwaIgnore);
    for (const char* extension : {"jpg", "png", "tif", "tga"})
        photo.SaveToFile(folder / (std::string("photo-L.") + extension));
}
