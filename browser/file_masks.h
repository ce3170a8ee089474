#pragma once
// The mask lists of the folder list, such as "*.GIF" or "*.BMP;*.RLE;*.DIB", and the file
// test against them (ExtInList).

#include <QString>

#include <optional>
#include <span>

namespace FileMasks {
inline const QString AllImages = QStringLiteral(
    "*.JPE;*.JPEG;*.JPG;*.GIF;*.BMP;*.DIB;*.RLE;*.PCX;*.WMF;*.ICO;*.EMF;*.JIF;*.PNG;*.TIF;*.TIFF;"
    "*.TGA;*.PBM;*.PGM;*.PPM;");
inline const QString FalseExtensions = QStringLiteral("*.GLM;*.PIX;*.QTE;*.X;*.XXX");
inline const QString AllImagesWithFalseExtensions = AllImages + FalseExtensions;
// The formats the program cannot write, with the false extensions.
inline const QString Unsaveable =
    QStringLiteral("*.PCX;*.GIF;*.WMF;*.ICO;*.EMF;") + FalseExtensions;
inline const QString AllFiles = QStringLiteral("*.*");
} // namespace FileMasks

// The file test of the folder list: the filter, else every image format (with the false
// extensions when they are supported).
bool PassesFilter(const QString& fileName, const QString& filter, bool supportFalseExt);

// The File Filter menu: each command and the filter it sets.
struct TFilterCommand {
    const char* Name;
    const char* Filter;
};
std::span<const TFilterCommand> FilterCommands();
// The filter a command sets; nothing for a command of another menu.
std::optional<QString> FilterOfCommand(const QString& name);
// The command ticked for the filter: "All Image Formats" also for either full list; empty when
// no item sets it.
QString TickedFilterCommand(const QString& filter);
