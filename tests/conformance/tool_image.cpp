#include "tool_image.h"

#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <stdexcept>

namespace {

[[noreturn]] void notAnImage(const std::filesystem::path& path, const std::string& why) {
    throw std::runtime_error("tool output " + path.string() + ": " + why);
}

// Whitespace-separated header fields; comments run to the end of the line.
std::string field(std::istream& in) {
    std::string token;
    for (int c = in.get(); c != EOF; c = in.get()) {
        if (c == '#') {
            std::string comment;
            std::getline(in, comment);
        } else if (std::isspace(c)) {
            if (!token.empty()) return token;
        } else {
            token += static_cast<char>(c);
        }
    }
    return token;
}

void readPamHeader(std::istream& in, TToolImage& image) {
    std::map<std::string, std::string> fields;
    for (std::string line; std::getline(in, line) && line != "ENDHDR";) {
        std::istringstream words(line);
        std::string key, value;
        if (words >> key && key[0] != '#' && words >> value) fields[key] = value;
    }
    image.Width = std::stoi(fields.at("WIDTH"));
    image.Height = std::stoi(fields.at("HEIGHT"));
    image.Channels = std::stoi(fields.at("DEPTH"));
    image.MaxVal = static_cast<uint32_t>(std::stoul(fields.at("MAXVAL")));
    image.TupleType = fields["TUPLTYPE"];
}

void readBitmapRows(std::istream& in, TToolImage& image) {
    const size_t rowBytes = (static_cast<size_t>(image.Width) + 7) / 8;
    std::vector<uint8_t> row(rowBytes);
    for (int y = 0; y < image.Height; ++y) {
        if (!in.read(reinterpret_cast<char*>(row.data()), static_cast<std::streamsize>(rowBytes)))
            return;
        for (int x = 0; x < image.Width; ++x)
            image.Samples.push_back(((row[x / 8] >> (7 - x % 8)) & 1) ? 0
                                                                      : 1); // set bits are black
    }
}

void readSamples(std::istream& in, TToolImage& image) {
    const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in),
                                     std::istreambuf_iterator<char>()};
    const size_t count = static_cast<size_t>(image.Width) * image.Height * image.Channels;
    const size_t width = image.MaxVal > 255 ? 2 : 1;
    if (bytes.size() < count * width) return;
    for (size_t i = 0; i < count; ++i)
        image.Samples.push_back(width == 1 ? bytes[i] : (bytes[2 * i] << 8) | bytes[2 * i + 1]);
}

} // namespace

double TToolImage::Level(int x, int y, int c) const {
    return static_cast<double>(Colour(x, y, c)) / MaxVal;
}

double TToolImage::Alpha(int x, int y) const {
    return HasAlpha() ? static_cast<double>(Sample(x, y, Channels - 1)) / MaxVal : 1.0;
}

TToolImage ReadToolImage(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    const std::string magic = field(in);
    TToolImage image;
    if (magic == "P7") {
        readPamHeader(in, image);
    } else if (magic == "P4" || magic == "P5" || magic == "P6") {
        image.Width = std::stoi(field(in));
        image.Height = std::stoi(field(in));
        image.MaxVal = magic == "P4" ? 1 : static_cast<uint32_t>(std::stoul(field(in)));
        image.Channels = magic == "P6" ? 3 : 1;
    } else {
        notAnImage(path, "no raw PNM or PAM header");
    }
    if (image.MaxVal == 0 || image.MaxVal > 65535) notAnImage(path, "maxval out of range");
    if (magic == "P4")
        readBitmapRows(in, image);
    else
        readSamples(in, image);
    if (image.Samples.size() != static_cast<size_t>(image.Width) * image.Height * image.Channels)
        notAnImage(path, "fewer samples than the header declares");
    return image;
}

TRefImage Rounded(const TToolImage& image) {
    TRefImage ref;
    ref.Width = image.Width;
    ref.Height = image.Height;
    const uint32_t top = image.MaxVal;
    auto eight = [top](uint32_t v) { return (v * 255 + top / 2) / top; };
    for (int y = 0; y < image.Height; ++y)
        for (int x = 0; x < image.Width; ++x)
            ref.Pixels.push_back(PGColor(eight(image.Colour(x, y, 0)), eight(image.Colour(x, y, 1)),
                                         eight(image.Colour(x, y, 2))));
    return ref;
}

TPixelModel PerChannel(std::function<uint8_t(uint8_t)> f) {
    return [f](const TToolImage& image) {
        TRefImage ref = Rounded(image);
        for (uint32_t& p : ref.Pixels) p = PGColor(f(PGRed(p)), f(PGGreen(p)), f(PGBlue(p)));
        return ref;
    };
}
