#include "sources.h"

#include <array>
#include <fstream>
#include <functional>
#include <vector>

namespace {

using Samples = std::function<std::vector<uint8_t>(int x, int y)>;

void writeNetpbm(const std::filesystem::path& path, const std::string& header, int width,
                 int height, const Samples& samples) {
    std::ofstream out(path, std::ios::binary);
    out << header;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (uint8_t s : samples(x, y)) out.put(static_cast<char>(s));
}

void writeBitmap(const std::filesystem::path& path, int width, int height,
                 const std::function<bool(int, int)>& black) {
    std::ofstream out(path, std::ios::binary);
    out << "P4\n" << width << " " << height << "\n";
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; x += 8) {
            uint8_t byte = 0;
            for (int k = 0; k < 8 && x + k < width; ++k)
                if (black(x + k, y)) byte |= static_cast<uint8_t>(0x80 >> k);
            out.put(static_cast<char>(byte));
        }
}

// Distinct colours for every palette size up to 256 (71 and 151 are odd, so the reds and the
// greens each run through all 256 values).
std::vector<uint8_t> paletteColour(int i) {
    return {static_cast<uint8_t>(i * 71), static_cast<uint8_t>(i * 151 + 40),
            static_cast<uint8_t>(255 - i * 23)};
}

Samples paletted(int colours) {
    return [colours](int x, int y) { return paletteColour((x * 7 + y * 13 + x * y) % colours); };
}

void writeSource(const std::filesystem::path& path, const std::string& name, int w, int h) {
    const std::string size = std::to_string(w) + " " + std::to_string(h) + "\n";
    const auto colour = [](int x, int y) {
        return std::vector<uint8_t>{static_cast<uint8_t>(x * 37 + y * 11),
                                    static_cast<uint8_t>(x * 5 + y * 29),
                                    static_cast<uint8_t>(200 - 13 * x + 7 * y)};
    };
    if (name == "rgb.ppm") writeNetpbm(path, "P6\n" + size + "255\n", w, h, colour);
    if (name == "c2.ppm") writeNetpbm(path, "P6\n" + size + "255\n", w, h, paletted(2));
    if (name == "c4.ppm") writeNetpbm(path, "P6\n" + size + "255\n", w, h, paletted(4));
    if (name == "c16.ppm") writeNetpbm(path, "P6\n" + size + "255\n", w, h, paletted(16));
    if (name == "c256.ppm") writeNetpbm(path, "P6\n" + size + "255\n", w, h, paletted(256));
    if (name == "grey.pgm")
        writeNetpbm(path, "P5\n" + size + "255\n", w, h, [](int x, int y) {
            return std::vector<uint8_t>{static_cast<uint8_t>(x * 16 + y * 37)};
        });
    if (name == "bw.pbm")
        writeBitmap(path, w, h, [](int x, int y) { return (x * x + y) % 3 == 0; });
    if (name == "mask.pbm")
        writeBitmap(path, w, h, [](int x, int y) { return (x + 2 * y) % 5 == 0 || x == 0; });
    const auto wide = [](std::vector<uint16_t> samples) {
        std::vector<uint8_t> bytes;
        for (uint16_t v : samples) bytes.insert(bytes.end(), {uint8_t(v >> 8), uint8_t(v)});
        return bytes;
    };
    if (name == "rgb16.ppm")
        writeNetpbm(path, "P6\n" + size + "65535\n", w, h, [&](int x, int y) {
            return wide({uint16_t(x * 5003 + y * 7919), uint16_t(x * 311 + y * 9973),
                         uint16_t(60000 - 4001 * x + 77 * y)});
        });
    if (name == "grey16.pgm")
        writeNetpbm(path, "P5\n" + size + "65535\n", w, h,
                    [&](int x, int y) { return wide({uint16_t(x * 4099 + y * 9001)}); });
    if (name == "rgba.pam") {
        static constexpr std::array<uint8_t, 5> alphas = {0, 255, 128, 64, 201};
        writeNetpbm(path,
                    "P7\nWIDTH " + std::to_string(w) + "\nHEIGHT " + std::to_string(h) +
                        "\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n",
                    w, h, [&](int x, int y) {
                        std::vector<uint8_t> s = colour(x, y);
                        s.push_back(alphas[(x + 2 * y) % alphas.size()]);
                        return s;
                    });
    }
}

} // namespace

void WriteSources(const std::filesystem::path& folder, const std::string& recipe, int width,
                  int height) {
    for (const char* name : SourceNames)
        if (recipe.find(name) != std::string::npos) writeSource(folder / name, name, width, height);
}
