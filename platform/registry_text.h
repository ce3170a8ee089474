#pragma once
// The store's file: the registry export text format in UTF-8. A header line, then one
// "[HIVE\key\path]" section per key with its values: "name"="text", "name"=dword:0000000a,
// "name"=hex:01,02 (long lists continue on the next line after ",\"), @ for the default value.
// Texts that cannot stand on one line (line breaks, other control characters) are written as
// hex(1): UTF-16LE, so every string survives the round trip.

#include "registry_tree.h"

#include <QByteArray>

class ERegistryFormatError : public ERegistryError {
public:
    ERegistryFormatError(int line, const QString& what);
    int Line() const { return FLine; }

private:
    int FLine;
};

// Raises ERegistryFormatError at the first line that does not follow the format.
TRegHives ParseRegistryText(const QByteArray& text);
QByteArray FormatRegistryText(const TRegHives& hives);
