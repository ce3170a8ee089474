#pragma once
// Opening the files the grid reads: only regular files, so a FIFO or a device in a folder
// never blocks a reader, and the time and size come from the very file that is read.

#include <QString>

#include <cstdint>
#include <memory>
#include <optional>

class TFileStream;

struct TFileStamp {
    int64_t MTime = 0; // seconds since the epoch
    int64_t Size = 0;
};

// The stamp of a regular file (links followed); nothing for anything else.
std::optional<TFileStamp> RegularFileStamp(const QString& path);

struct TOpenedFile {
    std::unique_ptr<TFileStream> Stream;
    TFileStamp Stamp;
};

// Opens without blocking, then checks the opened file; nothing unless it is a regular file.
std::optional<TOpenedFile> OpenRegularFile(const QString& path);
