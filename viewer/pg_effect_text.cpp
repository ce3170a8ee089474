#include "pg_effect_text.h"

#include <charconv>
#include <sstream>
#include <vector>

namespace {

std::vector<std::string> split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::stringstream stream(text);
    std::string part;
    while (std::getline(stream, part, separator)) parts.push_back(part);
    if (!text.empty() && text.back() == separator) parts.emplace_back();
    return parts;
}

std::optional<double> number(const std::string& text) {
    try {
        size_t used = 0;
        const double v = std::stod(text, &used);
        if (used == text.size()) return v;
    } catch (const std::exception&) {
    }
    return std::nullopt;
}

std::optional<int> integer(const std::string& text) {
    int v = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return v;
}

// Exactly count comma-separated values, each read by parse.
template <class T>
std::optional<std::vector<T>> values(const std::string& text, size_t count, auto parse) {
    const auto parts = split(text, ',');
    if (parts.size() != count) return std::nullopt;
    std::vector<T> out;
    for (const std::string& p : parts) {
        auto v = parse(p);
        if (!v) return std::nullopt;
        out.push_back(*v);
    }
    return out;
}

template <class F, class Setup>
TPGFilterFactory factory(Setup setup) {
    return [setup] {
        auto f = std::make_unique<F>();
        setup(*f);
        return std::unique_ptr<TPGFilter>(std::move(f));
    };
}

std::optional<TPGFilterFactory> colourEffect(const std::string& name,
                                             const std::vector<std::string>& parts) {
    const std::string args = parts.size() > 1 ? parts[1] : "";
    if (name == "grey" && parts.size() <= 2 && (parts.size() == 1 || args == "plain")) {
        const bool weighted = parts.size() == 1;
        return factory<TGrayScaleFilter>([weighted](auto& f) { f.SetRGBWeighting(weighted); });
    }
    if ((name == "rgb" || name == "hsv") && parts.size() == 2) {
        auto v = values<int>(args, 3, integer);
        if (!v) return std::nullopt;
        if (name == "rgb")
            return factory<TRGBFilter>(
                [v = *v](auto& f) { PGSetRGBPercents(f, v[0], v[1], v[2]); });
        return factory<THSVFilter>([v = *v](auto& f) { PGSetHSVValues(f, v[0], v[1], v[2]); });
    }
    if (name == "bcg" && (parts.size() == 2 || (parts.size() == 3 && parts[2] == "y"))) {
        auto v = values<double>(args, 3, number);
        if (!v || (*v)[0] != int((*v)[0])) return std::nullopt;
        const bool useY = parts.size() == 3;
        return factory<TBCGFilter>([v = *v, useY](auto& f) {
            f.SetBrightness(int(v[0]));
            f.SetContrast(v[1]);
            f.SetGamma(v[2]);
            f.SetUseY(useY);
        });
    }
    return std::nullopt;
}

std::optional<TPGFilterFactory> kernelEffect(const std::string& name,
                                             const std::vector<std::string>& parts) {
    const bool contour = name == "contour";
    const bool black = contour && parts.size() == 3 && parts[2] == "black";
    if (parts.size() != 2 && !black) return std::nullopt;
    auto v = values<double>(parts[1], 2, number);
    if (!v || (*v)[0] <= 0 || (*v)[1] < 1 || (*v)[1] != int((*v)[1])) return std::nullopt;
    const double sd = (*v)[0];
    const int strength = int((*v)[1]);
    return factory<TConvFilter>([=](TConvFilter& f) {
        PGMakeKernel(f, contour ? dsRect : dsGaussian, true, sd);
        if (name == "sharpen") PGSharpenKernel(f, strength);
        if (name == "smooth") PGSmoothKernel(f, strength);
        if (contour) PGContourKernel(f, strength, black);
    });
}

} // namespace

std::optional<TPGFilterFactory> PGParseEffect(const std::string& Text) {
    const auto parts = split(Text, ':');
    if (parts.empty()) return std::nullopt;
    const std::string& name = parts[0];
    if (name == "sharpen" || name == "smooth" || name == "contour")
        return kernelEffect(name, parts);
    return colourEffect(name, parts);
}
