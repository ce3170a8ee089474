// Feeds one reader (FUZZ_EXTENSION) or the whole registry with arbitrary bytes: every declared
// frame or page is loaded and the result must be a consistent image.

#include "format_registry.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

constexpr int64_t maxFuzzPixels = int64_t(1) << 25;

void require(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "invariant broken: %s\n", what);
        std::abort();
    }
}

void checkImage(const TPixelGraphic& image) {
    require(image.Width() >= 0 && image.Height() >= 0, "sizes not negative");
    require(image.PaletteCount() >= 0 && image.PaletteCount() <= 256, "palette within 0..256");
    if (image.Empty()) {
        require(image.ImageSize() == 0 || image.Width() == 0 || image.Height() == 0,
                "no sizes without memory");
        return;
    }
    require(image.BytesPerRow() == BytesPerRowOf(image.BitCount(), image.Width()), "row stride");
    require(image.ImageSize() == image.BytesPerRow() * image.Height(), "memory matches sizes");
    require(image.PixelFormat() != pf24Bit || image.PaletteCount() == 0, "no palette at 24 bits");
    uint32_t mix = 0;
    // 64-bit steps: a width near 2^31 must not wrap the sample position.
    for (int64_t y = 0; y < image.Height(); y += 1 + image.Height() / 64)
        for (int64_t x = 0; x < image.Width(); x += 1 + image.Width() / 64) {
            const uint32_t v = image.GetPixel(int(x), int(y));
            require(image.PixelFormat() == pf24Bit || v < static_cast<uint32_t>(image.ColorCount()),
                    "index fits the format");
            mix ^= image.GetPixelColor(int(x), int(y));
        }
    require(mix <= 0xFFFFFF, "packed colours");
}

// The reader the pipeline would choose, if it is one of the target's formats.
const TFileFormatReader* readerFor(TStream& stream) {
#ifdef FUZZ_EXTENSIONS
    const std::string wanted = "," FUZZ_EXTENSIONS ",";
    const std::string first = wanted.substr(1, wanted.find(',', 1) - 1);
    const TFileFormatReader* reader = PGRegistry().FindReader(stream, first);
    if (!reader || wanted.find("," + reader->Extension + ",") == std::string::npos) return nullptr;
    return reader;
#else
    return PGRegistry().FindReader(stream, "tga");
#endif
}

// With a hint, the picture must come out no larger than twice the box allows.
void loadIndex(const TFileFormatReader& reader, TStream& stream, int index, int hint) {
    TPixelGraphic image;
    TPGCallOptions options;
    options.WarningAction = pgwaIgnore;
    options.HintWidth = options.HintHeight = hint;
    image.SetCallOptions(options);
    // A few hundred bytes of JPEG may rightly declare a picture of a gigabyte, which decodes in
    // seconds, not the milliseconds a fuzzer needs: such loads are stopped at their first
    // progress step, which also runs the readers' abort paths.
    image.OnProgress = [](TPixelGraphic& sender, int, int, bool& abort) {
        abort = abort || int64_t(sender.Width()) * sender.Height() > maxFuzzPixels;
    };
    stream.SetPosition(0);
    try {
        PGLoadImage(PGRegistry(), image, stream, reader.Extension, index);
        if (hint > 0 && !image.Empty())
            require(image.Width() < 2 * hint || image.Height() < 2 * hint, "reduced to the hint");
    } catch (const std::exception&) {
    }
    checkImage(image);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TBorrowedStream stream({data, size});
    const TFileFormatReader* reader = readerFor(stream);
    if (!reader) return 0;
    TPGImageInfo info;
    int count = 1;
    try {
        reader->GetInfo(stream, 0, info);
        count = info.ImageCount;
    } catch (const std::exception&) {
    }
    // Every other input also goes through the reduced load a thumbnail would ask for.
    const int hint = size % 2 ? 48 : 0;
    for (int index = 0; index < std::clamp(count, 1, 8); ++index)
        loadIndex(*reader, stream, index, hint);
    return 0;
}
