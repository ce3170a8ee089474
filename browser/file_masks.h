#pragma once
// The mask lists of the folder list, such as "*.GIF" or "*.BMP;*.RLE;*.DIB", and the file
// test against them (ExtInList).

#include <QString>

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
