#pragma once
// Mask lists such as "*.GIF" or "*.BMP;*.RLE;*.DIB" and the file test against them.

#include <QString>

namespace FileMasks {
inline const QString AllImages = QStringLiteral(
    "*.JPE;*.JPEG;*.JPG;*.GIF;*.BMP;*.DIB;*.RLE;*.PCX;*.WMF;*.ICO;*.EMF;*.JIF;*.PNG;*.TIF;*.TIFF;"
    "*.TGA;*.PBM;*.PGM;*.PPM;");
inline const QString AllImagesWithFalseExtensions = QStringLiteral(
    "*.JPE;*.JPEG;*.JPG;*.GIF;*.BMP;*.DIB;*.RLE;*.PCX;*.WMF;*.ICO;*.EMF;*.JIF;*.PNG;*.TIF;*.TIFF;"
    "*.TGA;*.PBM;*.PGM;*.PPM;*.GLM;*.PIX;*.QTE;*.X;*.XXX");
inline const QString AllFiles = QStringLiteral("*.*");
} // namespace FileMasks

// Whether the file's extension (".NOTHING" when it has none) is one of the masks, compared
// without case; "*.*" passes every file. Each mask is compared whole, so ".PE" does not pass
// "*.JPE".
bool PassesMaskList(const QString& fileName, const QString& maskList);

// The file test of the folder list: the filter, else every image format (with the false
// extensions when they are supported).
bool PassesFilter(const QString& fileName, const QString& filter, bool supportFalseExt);
