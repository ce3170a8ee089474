#pragma once
// Where the program keeps things for the current user. Every folder path ends in "/". The
// XDG variables are read at each call, so a test can point them at a temporary home; a
// relative value is ignored, as the XDG base directory rules ask.

#include <QString>

QString HomeFolder();
// $XDG_CONFIG_HOME/Corvane/: the settings store.
QString ConfigFolder();
// $XDG_DATA_HOME/Corvane/Glimmet/: lists, descriptions, GIF timings.
QString DataFolder();
// $XDG_CACHE_HOME/Corvane/Common/Cache/: thumbnails and image dimensions.
QString CacheFolder();
// XDG_PICTURES_DIR of user-dirs.dirs, else ~/Pictures/.
QString PicturesFolder();
// $XDG_RUNTIME_DIR/ when it is a private folder of ours, else a private folder under the cache
// home for this machine (created when missing). Empty when neither can be had.
QString RuntimeFolder();
// The folder of the running executable.
QString ProgramFolder();

// Creates the folder and its missing parents, each new one with mode 0700; true when the
// folder exists afterwards.
bool EnsurePrivateFolder(const QString& path);

// A fresh folder of mode 0700 with an unpredictable name under $TMPDIR (or /tmp), removed with
// everything in it when the object goes. Nothing else of ours goes into the shared folder.
class TPrivateTempFolder {
public:
    TPrivateTempFolder();
    ~TPrivateTempFolder();
    TPrivateTempFolder(const TPrivateTempFolder&) = delete;
    TPrivateTempFolder& operator=(const TPrivateTempFolder&) = delete;

    // Empty when the folder could not be created.
    const QString& Path() const { return FPath; }

private:
    QString FPath;
};
