// pgtool: the image library from the shell.
//   pgtool info FILE [INDEX]
//   pgtool correct IN OUT redeye L,T,R,B [--level N] [--method N]
//   pgtool correct IN OUT bcg B,C,G | unsharp TYPE | filter TYPE | destreak FLAGS | turn MODE |
//                         rotate TENTHS [--size WxH] | deskew [--size WxH]
//     hands IN as a 24-bit packed DIB to the correction library, linked as callers link it
//   pgtool convert IN OUT [--index N] [--fast] [--rotate DEG] [--flip h|v]
//                  [--resize WxH[:fast|medium|precise]] [--bits 1|4|8|24]
//                  [--palette optimal|fixed] [--quality N] [--progressive] [--effect EFFECT]
// The transforms and effects run in the order given, the depth conversion after them; --quality
// and --progressive set the JPEG writer.

#include "bmp_format.h"
#include "clarend.h"
#include "format_registry.h"
#include "jpeg_format.h"
#include "metafile_readers.h"
#include "optimal_palette.h"
#include "pg_effect_text.h"

#include <QGuiApplication>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <iostream>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace {

int usage() {
    std::cerr << "usage: pgtool info FILE [INDEX]\n"
                 "       pgtool correct IN OUT redeye L,T,R,B [--level 0..2] [--method 0..2]\n"
                 "       pgtool correct IN OUT bcg B,C,G | unsharp TYPE | filter TYPE |\n"
                 "                      destreak FLAGS | turn MODE | rotate TENTHS [--size WxH] |\n"
                 "                      deskew [--size WxH]\n"
                 "       pgtool convert IN OUT [--index N] [--fast] [--rotate DEG] [--flip h|v]\n"
                 "                      [--resize WxH[:fast|medium|precise]] [--bits 1|4|8|24]\n"
                 "                      [--palette optimal|fixed] [--quality N] [--progressive]\n"
                 "                      [--effect EFFECT]\n"
                 "  --bits converts to that depth before saving (the writer may convert further);\n"
                 "  --palette optimal (default) computes the palette from the image: 2 colours\n"
                 "  for 1 bit, 16 for 4 bits, 252 for 8 bits (the last 16 the system colours);\n"
                 "  fixed uses black and white for 1 bit, the 16 system colours for 4 bits and\n"
                 "  the fixed 252-colour palette for 8 bits.\n"
                 "  --quality N (1..100) and --progressive apply to JPEG files.\n"
                 "  --effect grey[:plain] | rgb:R,G,B | hsv:H,S,V | bcg:B,C,G[:y] |\n"
                 "           sharpen:SD,S | smooth:SD,S | contour:SD,S[:black]\n"
                 "  (percents and degrees as the effect dialogs' sliders; C, G: contrast factor\n"
                 "  and gamma; SD: standard deviation; S: strength in percent).\n";
    return 1;
}

std::optional<int> parseInt(const std::string& text) {
    try {
        size_t used = 0;
        int value = std::stoi(text, &used);
        if (used == text.size()) return value;
    } catch (const std::exception&) {
    }
    return std::nullopt;
}

int info(const std::vector<std::string>& args) {
    if (args.empty() || args.size() > 2) return usage();
    int index = 0;
    if (args.size() == 2) {
        auto parsed = parseInt(args[1]);
        if (!parsed) return usage();
        index = *parsed;
    }
    TPGImageInfo i;
    if (!GetImageInfo(args[0], index, i)) {
        std::cerr << "pgtool: " << args[0] << ": not a readable image\n";
        return 1;
    }
    std::cout << "FormatName: " << i.FormatName << "\nImageCount: " << i.ImageCount
              << "\nBitCount: " << i.BitCount << "\nColors: " << i.Colors << "\nWidth: " << i.Width
              << "\nHeight: " << i.Height << "\nOptions: " << i.Options
              << "\nSubFormat: " << i.SubFormat << "\n";
    return 0;
}

using Transform = std::function<void(TPixelGraphic&)>;

struct ConvertOptions {
    std::string In, Out;
    int Index = 0;
    bool Fast = false;
    std::vector<Transform> Transforms;
    int Bits = 0; // 0: keep the depth
    bool FixedPalette = false;
    int Quality = JPEGQuality(); // JPEG only, 1..100
    bool Progressive = false;    // JPEG only
};

std::optional<Transform> rotation(const std::string& text) {
    try {
        size_t used = 0;
        const double angle = std::stod(text, &used);
        if (used != text.size()) return std::nullopt;
        return [angle](TPixelGraphic& image) {
            TPixelGraphic source;
            source.Assign(&image);
            image.Rotate(true, source, angle);
        };
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

std::optional<Transform> flip(const std::string& text) {
    if (text == "h") return [](TPixelGraphic& image) { image.FlipHorizontal(); };
    if (text == "v") return [](TPixelGraphic& image) { image.FlipVertical(); };
    return std::nullopt;
}

// Colour effects change the picture in place, kernels make a new 24-bit picture.
std::optional<Transform> effect(const std::string& text) {
    auto make = PGParseEffect(text);
    if (!make) return std::nullopt;
    return [make = *make](TPixelGraphic& image) {
        image.Assign(PGFilteredCopy(make, image, 1).get());
    };
}

std::optional<Transform> resize(const std::string& text) {
    const size_t x = text.find('x'), colon = text.find(':');
    if (x == std::string::npos) return std::nullopt;
    auto w = parseInt(text.substr(0, x));
    auto h = parseInt(text.substr(x + 1, colon == std::string::npos ? colon : colon - x - 1));
    const std::string quality = colon == std::string::npos ? "precise" : text.substr(colon + 1);
    const TStretchMode mode = quality == "fast"     ? smFast
                              : quality == "medium" ? smMedium
                                                    : smPrecise;
    if (!w || !h || *w < 1 || *h < 1 ||
        (quality != "fast" && quality != "medium" && quality != "precise"))
        return std::nullopt;
    return [w = *w, h = *h, mode](TPixelGraphic& image) {
        TPixelGraphic source;
        source.Assign(&image);
        image.SetSizeAndFormat(w, h, source.PixelFormat());
        image.SetStretchMode(mode);
        image.CopyFrom(source);
    };
}

bool parseConvert(const std::vector<std::string>& args, ConvertOptions& o) {
    std::vector<std::string> files;
    bool palette = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&]() -> std::optional<std::string> {
            if (i + 1 >= args.size()) return std::nullopt;
            return args[++i];
        };
        if (a == "--fast") {
            o.Fast = true;
        } else if (a == "--index") {
            auto v = value();
            auto n = v ? parseInt(*v) : std::nullopt;
            if (!n) return false;
            o.Index = *n;
        } else if (a == "--rotate" || a == "--flip" || a == "--resize" || a == "--effect") {
            auto v = value();
            auto t = !v                ? std::nullopt
                     : a == "--rotate" ? rotation(*v)
                     : a == "--flip"   ? flip(*v)
                     : a == "--effect" ? effect(*v)
                                       : resize(*v);
            if (!t) return false;
            o.Transforms.push_back(*t);
        } else if (a == "--bits") {
            auto v = value();
            auto n = v ? parseInt(*v) : std::nullopt;
            if (!n || (*n != 1 && *n != 4 && *n != 8 && *n != 24)) return false;
            o.Bits = *n;
        } else if (a == "--palette") {
            auto v = value();
            if (!v || (*v != "optimal" && *v != "fixed")) return false;
            o.FixedPalette = *v == "fixed";
            palette = true;
        } else if (a == "--quality") {
            auto v = value();
            auto n = v ? parseInt(*v) : std::nullopt;
            if (!n || *n < 1 || *n > 100) return false;
            o.Quality = *n;
        } else if (a == "--progressive") {
            o.Progressive = true;
        } else if (a.rfind("--", 0) == 0) {
            return false;
        } else {
            files.push_back(a);
        }
    }
    if (files.size() != 2 || (palette && o.Bits == 0)) return false;
    o.In = files[0];
    o.Out = files[1];
    return true;
}

// The image at the asked depth, converted with the library's defaults (dithering on).
void convertDepth(TPixelGraphic& image, int bits, bool fixedPalette) {
    static constexpr TPaletteIdent fixed[4] = {pBlackWhite, pSys16, pSpecial252, pTrueColor};
    static constexpr int optimalColors[4] = {2, 16, 252, 0};
    const uint8_t format = PixelFormatOfBitCount(bits);
    TPixelGraphic target;
    target.SetSizeAndFormat(image.Width(), image.Height(), format);
    if (format == pf24Bit || fixedPalette)
        target.SetPaletteIdent(fixed[format]);
    else
        CreateOptimalPalette(target, image, optimalColors[format], format == pf8Bit);
    target.CopyRect(0, 0, image, 0, 0, image.Height(), image.Width());
    target.ClassifyPalette();
    image.Assign(&target);
}

int convert(const std::vector<std::string>& args) {
    ConvertOptions o;
    if (!parseConvert(args, o)) return usage();
    TPixelGraphic image;
    image.SetFastLoad(o.Fast);
    TPGCallOptions options;
    options.WarningAction = pgwaIgnore;
    options.JPEGQuality = o.Quality;
    options.JPEGProgressive = o.Progressive;
    image.SetCallOptions(options);
    image.LoadFromFile(o.In, o.Index);
    // Some readers answer an index past the last picture with an empty one; never save that.
    if (image.Empty()) {
        TPGImageInfo info;
        const int count = GetImageInfo(o.In, 0, info) ? info.ImageCount : 0;
        std::cerr << "pgtool: " << o.In << " has no picture " << o.Index << " (it holds " << count
                  << ")\n";
        return 1;
    }
    for (const Transform& t : o.Transforms) t(image);
    if (o.Bits != 0) convertDepth(image, o.Bits, o.FixedPalette);
    image.SaveToFile(o.Out);
    return 0;
}

// The red-eye rectangle counts from the top-left corner, right and bottom exclusive; level 2
// and method 2 (region growing) are the program's own choice.
struct CorrectOptions {
    std::string In, Out;
    std::vector<int> Rect;
    int Level = 2, Method = 2;
};

std::optional<std::vector<int>> parseList(const std::string& text) {
    std::vector<int> values;
    size_t start = 0;
    for (;;) {
        const size_t comma = text.find(',', start);
        auto value =
            parseInt(text.substr(start, comma == std::string::npos ? comma : comma - start));
        if (!value) return std::nullopt;
        values.push_back(*value);
        if (comma == std::string::npos) return values;
        start = comma + 1;
    }
}

bool parseCorrect(const std::vector<std::string>& args, CorrectOptions& o) {
    if (args.size() < 4 || args[2] != "redeye") return false;
    o.In = args[0];
    o.Out = args[1];
    auto rect = parseList(args[3]);
    if (!rect || rect->size() != 4) return false;
    o.Rect = *rect;
    for (size_t i = 4; i < args.size(); i += 2) {
        auto n = i + 1 < args.size() ? parseInt(args[i + 1]) : std::nullopt;
        if (!n || (args[i] != "--level" && args[i] != "--method")) return false;
        (args[i] == "--level" ? o.Level : o.Method) = *n;
    }
    return true;
}

// The further corrections: NAME VALUES [--size WxH], each answered by the library as a new block.
struct FurtherOptions {
    std::string In, Out, Name;
    std::vector<double> Values;
    int Width = 0, Height = 0;
};

std::optional<std::vector<double>> parseNumbers(const std::string& text) {
    std::vector<double> values;
    std::string item;
    for (size_t start = 0; start <= text.size();) {
        const size_t comma = std::min(text.find(',', start), text.size());
        item = text.substr(start, comma - start);
        try {
            size_t used = 0;
            values.push_back(std::stod(item, &used));
            if (used != item.size()) return std::nullopt;
        } catch (const std::exception&) {
            return std::nullopt;
        }
        start = comma + 1;
    }
    return values;
}

bool parseFurther(const std::vector<std::string>& args, FurtherOptions& o) {
    const std::vector<std::pair<std::string, size_t>> counts = {
        {"bcg", 3},  {"unsharp", 1}, {"filter", 1}, {"destreak", 1},
        {"turn", 1}, {"rotate", 1},  {"deskew", 0}};
    if (args.size() < 3) return false;
    o.In = args[0];
    o.Out = args[1];
    o.Name = args[2];
    auto count = std::find_if(counts.begin(), counts.end(),
                              [&](const auto& c) { return c.first == o.Name; });
    if (count == counts.end()) return false;
    size_t next = 3;
    if (count->second > 0) {
        auto values = next < args.size() ? parseNumbers(args[next]) : std::nullopt;
        if (!values || values->size() != count->second) return false;
        o.Values = *values;
        ++next;
    }
    const bool sized = o.Name == "rotate" || o.Name == "deskew";
    if (sized && next + 1 < args.size() && args[next] == "--size") {
        const std::string& size = args[next + 1];
        const size_t x = size.find('x');
        auto w = parseInt(size.substr(0, x)),
             h = parseInt(x == std::string::npos ? "" : size.substr(x + 1));
        if (!w || !h) return false;
        o.Width = *w;
        o.Height = *h;
        next += 2;
    }
    return next == args.size();
}

// The export's answer for the packed DIB in block; null with the code in err on failure.
HGLOBAL runFurther(const FurtherOptions& o, HGLOBAL block, int32_t& err) {
    const auto value = [&](size_t i) { return int32_t(o.Values[i]); };
    if (o.Name == "bcg")
        return VuxBrightContrastGamma(block, value(0), value(1), o.Values[2], &err);
    if (o.Name == "unsharp") return VuxUnSharpMask(block, value(0), &err);
    if (o.Name == "destreak") return VuxDestreakImage(block, value(0), &err);
    if (o.Name == "turn") return VuxRotateDib(block, value(0), &err);
    if (o.Name == "rotate") return VuxRotateImage(block, value(0), o.Height, o.Width, &err);
    if (o.Name == "deskew") return VuxDeskewImage(block, o.Width, o.Height, &err);
    void* header = GlobalLock(block);
    BITMAPINFOHEADER* result = VuxPtrFilter(static_cast<BITMAPINFOHEADER*>(header), value(0), &err);
    GlobalUnlock(block);
    HGLOBAL handle = GlobalHandle(result);
    GlobalUnlock(handle);
    return handle;
}

// The correction library takes 24-bit packed DIBs; reader warnings have no one to ask.
std::vector<uint8_t> loadAsDib(const std::string& path, TPixelGraphic& image, uint32_t& format) {
    TPGCallOptions options;
    options.WarningAction = pgwaIgnore;
    image.SetCallOptions(options);
    image.LoadFromFile(path);
    if (image.PixelFormat() != pf24Bit) convertDepth(image, 24, false);
    return image.SaveToClipboardFormat(format);
}

int correctFurther(const std::vector<std::string>& args) {
    FurtherOptions o;
    if (!parseFurther(args, o)) return usage();
    TPixelGraphic image;
    uint32_t format = 0;
    const std::vector<uint8_t> dib = loadAsDib(o.In, image, format);
    HGLOBAL block = GlobalAlloc(dib.size());
    std::memcpy(GlobalLock(block), dib.data(), dib.size());
    GlobalUnlock(block);
    int32_t err = 0;
    HGLOBAL result = runFurther(o, block, err);
    GlobalFree(block);
    if (!result || err != 0) {
        GlobalFree(result);
        std::cerr << "pgtool: the " << o.Name << " correction answered " << err << "\n";
        return 1;
    }
    const auto* bytes = static_cast<const uint8_t*>(GlobalLock(result));
    image.LoadFromClipboardFormat(format, std::span<const uint8_t>(bytes, GlobalSize(result)));
    GlobalUnlock(result);
    GlobalFree(result);
    image.SaveToFile(o.Out);
    return 0;
}

int correct(const std::vector<std::string>& args) {
    if (args.size() >= 3 && args[2] != "redeye") return correctFurther(args);
    CorrectOptions o;
    if (!parseCorrect(args, o)) return usage();
    TPixelGraphic image;
    uint32_t format = 0;
    std::vector<uint8_t> dib = loadAsDib(o.In, image, format);
    const int32_t result =
        pVuxFixRedEye2(reinterpret_cast<BITMAPINFOHEADER*>(dib.data()), o.Rect[0], o.Rect[1],
                       o.Rect[2], o.Rect[3], o.Level, o.Method);
    if (result != 0) {
        std::cerr << "pgtool: the red-eye correction answered " << result << "\n";
        return 1;
    }
    image.LoadFromClipboardFormat(format, dib);
    image.SaveToFile(o.Out);
    return 0;
}

// Starting Qt costs more than converting a small picture; only metafile text needs it (fonts).
bool playsMetafile(const std::vector<std::string>& args) {
    if (args.empty()) return false;
    try {
        TFileStream stream(args[0], TFileStream::fmOpenRead);
        const auto extension = std::filesystem::path(args[0]).extension().string();
        return dynamic_cast<const TMetafileReader*>(PGRegistry().FindReader(stream, extension));
    } catch (const std::exception&) {
        return false;
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) return usage();
    InstallMetafileReaders();
    const std::vector<std::string> args(argv + 2, argv + argc);
    // The application runs without a display, its runtime folder a private one rather than a
    // fixed name under /tmp.
    std::optional<QTemporaryDir> runtime;
    int qtArgc = 1;
    std::optional<QGuiApplication> application;
    if (playsMetafile(args)) {
        if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        if (!qEnvironmentVariableIsSet("XDG_RUNTIME_DIR") && runtime.emplace().isValid())
            qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime->path()));
        application.emplace(qtArgc, argv);
    }
    const std::string command = argv[1];
    try {
        if (command == "info") return info(args);
        if (command == "convert") return convert(args);
        if (command == "correct") return correct(args);
    } catch (const std::exception& e) {
        std::cerr << "pgtool: " << e.what() << "\n";
        return 1;
    }
    return usage();
}
