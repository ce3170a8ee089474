#include "test_support.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace {

std::string nextToken(std::istream& in) {
    std::string token;
    char c;
    while (in.get(c)) {
        if (c == '#') {
            std::string comment;
            std::getline(in, comment);
            continue;
        }
        if (std::isspace(static_cast<unsigned char>(c))) {
            if (!token.empty()) return token;
            continue;
        }
        token += c;
    }
    return token;
}

} // namespace

TRefImage LoadReferencePPM(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot open reference " + path.string());
    if (nextToken(in) != "P6") throw std::runtime_error("not a binary PPM: " + path.string());
    TRefImage ref;
    ref.Width = std::stoi(nextToken(in));
    ref.Height = std::stoi(nextToken(in));
    if (std::stoi(nextToken(in)) != 255)
        throw std::runtime_error("maxval not 255: " + path.string());
    std::vector<uint8_t> rgb(static_cast<size_t>(ref.Width) * ref.Height * 3);
    in.read(reinterpret_cast<char*>(rgb.data()), static_cast<std::streamsize>(rgb.size()));
    if (!in) throw std::runtime_error("short reference " + path.string());
    ref.Pixels.resize(rgb.size() / 3);
    for (size_t i = 0; i < ref.Pixels.size(); ++i)
        ref.Pixels[i] = PGColor(rgb[3 * i], rgb[3 * i + 1], rgb[3 * i + 2]);
    return ref;
}

TRefImage ToReference(const TPixelGraphic& image) {
    TRefImage ref;
    ref.Width = image.Width();
    ref.Height = image.Height();
    for (int y = 0; y < image.Height(); ++y)
        for (int x = 0; x < image.Width(); ++x) ref.Pixels.push_back(image.GetPixelColor(x, y));
    return ref;
}

void WriteReferencePPM(const std::filesystem::path& path, const TRefImage& image) {
    std::ofstream out(path, std::ios::binary);
    out << "P6\n" << image.Width << " " << image.Height << "\n255\n";
    for (uint32_t c : image.Pixels) out << PGRed(c) << PGGreen(c) << PGBlue(c);
}

::testing::AssertionResult SamePixels(const TPixelGraphic& image, const TRefImage& expected) {
    if (image.Width() != expected.Width || image.Height() != expected.Height)
        return ::testing::AssertionFailure()
               << "size " << image.Width() << "x" << image.Height() << ", expected "
               << expected.Width << "x" << expected.Height;
    std::ostringstream report;
    int differences = 0;
    for (int y = 0; y < expected.Height; ++y)
        for (int x = 0; x < expected.Width; ++x) {
            const uint32_t got = image.GetPixelColor(x, y), want = expected.At(x, y);
            if (got != want && ++differences <= 5)
                report << " (" << x << "," << y << ") got " << std::hex << got << " want " << want
                       << std::dec << ";";
        }
    if (differences == 0) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << differences << " pixels differ:" << report.str();
}

TTempDir::TTempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "glimmet-test-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    FPath = pattern;
}

TTempDir::~TTempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(FPath, ignored);
}

std::vector<uint8_t> ReadFileBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteFileBytes(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

int RunCommand(const std::string& command) {
    int status = std::system(command.c_str());
    return status == -1 ? -1 : WEXITSTATUS(status);
}

bool ToolAvailable(const std::string& tool) {
    return RunCommand("command -v " + tool + " >/dev/null 2>&1") == 0;
}

TPGImageInfo InfoOf(const std::filesystem::path& file, int index) {
    TPGImageInfo info;
    if (!GetImageInfo(file, index, info)) {
        ADD_FAILURE() << "no info for " << file << " index " << index;
        return {};
    }
    return info;
}

void PrintTo(const TPGImageInfo& info, std::ostream* out) {
    *out << "{\"" << info.FormatName << "\", " << info.ImageCount << " image(s), " << info.Width
         << " x " << info.Height << ", " << info.BitCount << " bits, colours \"" << info.Colors
         << "\", sub-format \"" << info.SubFormat << "\", options \"" << info.Options << "\"}";
}
