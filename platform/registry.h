#pragma once
// The settings store: hives of keys with typed values, kept for the user in one file
// (ConfigFolder() + "registry.reg") in the registry export text format. Key paths are
// backslash-separated and compare without case. The file is read once, when the store is
// made, and written by Save() alone.

#include "registry_tree.h"

#include <QString>
#include <QStringList>

#include <optional>

enum class TRegLoadState {
    NoFile,       // nothing stored yet: the store starts empty
    Loaded,       // the file was read
    KeptAsBackup, // the file could not be read or parsed; it is now BackupPath(), the store empty
    Unusable      // as KeptAsBackup, but the file could not be moved aside: Save() refuses
};

class TRegistry {
public:
    explicit TRegistry(QString filePath = UserFilePath());
    static QString UserFilePath();

    const QString& FilePath() const { return FFilePath; }
    QString BackupPath() const { return FFilePath + ".bak"; }
    TRegLoadState LoadState() const { return FLoadState; }
    // Why the file could not be read, for KeptAsBackup and Unusable.
    const QString& LoadError() const { return FLoadError; }

    bool KeyExists(TRegHive hive, const QString& key) const;
    // Opens the key, creating it and its missing parents.
    void CreateKey(TRegHive hive, const QString& key);
    // Deletes the key with all its subkeys; false when there was none.
    bool DeleteKey(TRegHive hive, const QString& key);
    QStringList SubKeyNames(TRegHive hive, const QString& key) const;
    QStringList ValueNames(TRegHive hive, const QString& key) const;

    // Empty name: the key's default value. Missing key or value: nothing.
    std::optional<TRegValue> Value(TRegHive hive, const QString& key, const QString& name) const;
    // Creates the key when missing.
    void SetValue(TRegHive hive, const QString& key, const QString& name, TRegValue value);
    bool DeleteValue(TRegHive hive, const QString& key, const QString& name);

    // Typed access. A read answers nothing for a missing value and raises ERegistryError for
    // a value of another type. Integers are stored as DWORDs holding their 32 bits.
    std::optional<QString> ReadString(TRegHive hive, const QString& key, const QString& name) const;
    void WriteString(TRegHive hive, const QString& key, const QString& name, const QString& text);
    std::optional<int32_t> ReadInteger(TRegHive hive, const QString& key,
                                       const QString& name) const;
    void WriteInteger(TRegHive hive, const QString& key, const QString& name, int32_t number);
    std::optional<QByteArray> ReadBinary(TRegHive hive, const QString& key,
                                         const QString& name) const;
    void WriteBinary(TRegHive hive, const QString& key, const QString& name,
                     const QByteArray& bytes);

    // Whether anything changed since loading or the last Save().
    bool Modified() const { return FModified; }
    // Writes the whole store atomically, creating the folder (mode 0700) when missing. Raises
    // ERegistryError when the file cannot be written, and in the Unusable state, so that a file
    // that could not be read is never overwritten.
    void Save();

private:
    const TRegKey* FindKey(TRegHive hive, const QString& key) const;
    TRegKey* FindKey(TRegHive hive, const QString& key);
    TRegKey& OpenKey(TRegHive hive, const QString& key);
    void Load();
    void KeepAsBackup(const QString& reason);

    QString FFilePath;
    TRegHives FHives;
    TRegLoadState FLoadState = TRegLoadState::NoFile;
    QString FLoadError;
    bool FModified = false;
};
