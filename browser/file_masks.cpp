#include "file_masks.h"

#include "path_text.h"

bool PassesFilter(const QString& fileName, const QString& filter, bool supportFalseExt) {
    if (!filter.isEmpty()) return ExtInList(fileName, filter);
    return ExtInList(fileName, supportFalseExt ? FileMasks::AllImagesWithFalseExtensions
                                               : FileMasks::AllImages);
}

namespace {

constexpr TFilterCommand Filters[] = {{"mkFilterAll", ""},
                                      {"mkFilterFiles", "*.*"},
                                      {"mkFilterGIF", "*.GIF"},
                                      {"mkFilterJPEG", "*.JPG; *.JPE;*.JPEG"},
                                      {"mkFilterPortable", "*.PBM;*.PGM;*.PPM"},
                                      {"mkFilterPNG", "*.PNG"},
                                      {"mkFilterTIFF", "*.TIFF;*.TIF"},
                                      {"mkFilterTGA", "*.TGA"},
                                      {"mkFilterPCX", "*.PCX"},
                                      {"mkFilterBMP", "*.BMP;*.RLE;*.DIB"},
                                      {"mkFilterICO", "*.ICO"},
                                      {"mkFilterWMF", "*.WMF;*.EMF"},
                                      {"mkFilterFalse", "*.GLM;*.PIX;*.QTE;*.X;*.XXX"}};

} // namespace

std::span<const TFilterCommand> FilterCommands() {
    return Filters;
}

std::optional<QString> FilterOfCommand(const QString& name) {
    for (const TFilterCommand& command : Filters)
        if (name == command.Name) return QString::fromLatin1(command.Filter);
    return std::nullopt;
}

QString TickedFilterCommand(const QString& filter) {
    if (filter == FileMasks::AllImages || filter == FileMasks::AllImagesWithFalseExtensions)
        return Filters[0].Name;
    for (const TFilterCommand& command : Filters)
        if (filter == command.Filter) return command.Name;
    return {};
}
