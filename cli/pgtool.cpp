// pgtool: the image library from the shell.
//   pgtool info FILE [INDEX]
//   pgtool convert IN OUT [--index N] [--fast]

#include "format_registry.h"

#include <cstdio>
#include <cstring>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

namespace {

int usage() {
    std::cerr << "usage: pgtool info FILE [INDEX]\n"
                 "       pgtool convert IN OUT [--index N] [--fast]\n";
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

struct ConvertOptions {
    std::string In, Out;
    int Index = 0;
    bool Fast = false;
};

bool parseConvert(const std::vector<std::string>& args, ConvertOptions& o) {
    std::vector<std::string> files;
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
        } else if (a.rfind("--", 0) == 0) {
            return false;
        } else {
            files.push_back(a);
        }
    }
    if (files.size() != 2) return false;
    o.In = files[0];
    o.Out = files[1];
    return true;
}

int convert(const std::vector<std::string>& args) {
    ConvertOptions o;
    if (!parseConvert(args, o)) return usage();
    TPixelGraphic image;
    image.SetFastLoad(o.Fast);
    image.SetReadWarningAction(pgwaIgnore);
    image.SetSaveColorResWarningAction(pgwaIgnore);
    image.LoadFromFile(o.In, o.Index);
    image.SaveToFile(o.Out);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) return usage();
    const std::string command = argv[1];
    const std::vector<std::string> args(argv + 2, argv + argc);
    try {
        if (command == "info") return info(args);
        if (command == "convert") return convert(args);
    } catch (const std::exception& e) {
        std::cerr << "pgtool: " << e.what() << "\n";
        return 1;
    }
    return usage();
}
