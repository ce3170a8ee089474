#pragma once
// The descriptions store "descrip.dat": one INI section "Descriptions" whose keys are full
// paths, exact as the program holds them, and whose values are ">" + comma text + "<". The
// file stays parsed while its size, time and inode stay; a batch writes once at its end.

#include "ini_file.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <optional>
#include <sys/types.h>

class TPrompter;

// A key survives the profile format: "%" and "=" anywhere, line breaks, and a leading ";" or
// "[" become %XX. Other paths stay as they are.
QString EncodeDescriptionKey(const QString& path);
QString DecodeDescriptionKey(const QString& key);
// Line breaks and "%" in a value become %XX.
QString EncodeDescriptionValue(const QString& value);
QString DecodeDescriptionValue(const QString& value);
// The comma text of a stored value: a leading ">" and a trailing "<" removed.
QString addquotes(const QString& stored);

namespace DescriptionTexts {
inline const QString Off = QStringLiteral(
    "Your description cannot be changed because your description storage file 'descrip.dat' "
    "cannot be located.");
inline const QString SaveFailed =
    QStringLiteral("An error was encounted whilst trying to save your description.  Glimmet's "
                   "data path may be located on a read-only drive.");
} // namespace DescriptionTexts

class TDescriptionStore {
public:
    // Writes the whole file; raises EFileWriteError, keeping the old file.
    using TWriter = std::function<void(const QString& path, const QByteArray& content)>;

    // An empty path: the store is off for the run.
    TDescriptionStore(QString path, TPrompter& prompter, TWriter writer = {});

    bool IsOn() const { return !FPath.isEmpty(); }
    const QString& Path() const { return FPath; }

    // The comma text of the file's description; empty without one or while off.
    QString ReadDescription(const QString& file);
    // Stores the comma text for the file; an empty text deletes the description. Off: the
    // warning, false. A failed write warns and still answers true.
    bool assigninidescription(const QString& file, const QString& commaText);
    // Carries the description to the new path (replacing one it had); an empty new path
    // deletes it. A file without description leaves the new path's own.
    bool moveinidescription(const QString& oldPath, const QString& newPath);

    // Between Begin and End the changes are kept and written once at the end, with one warning
    // for a failed write and one for a store that is off. Batches nest.
    void BeginBatch();
    void EndBatch();

private:
    struct TIdentity {
        dev_t Device = 0;
        ino_t Inode = 0;
        off_t Size = -1;
        int64_t ModifiedNs = 0;
        bool operator==(const TIdentity&) const = default;
    };
    std::optional<TIdentity> IdentityNow() const;
    TIniFile* Parsed();
    // A first lookup in a version of the file reads its one key line without parsing it.
    std::optional<QString> Scanned(const QString& key);
    bool RefuseWhenOff();
    void Written();
    void WarnSaveFailed();

    QString FPath;
    TPrompter& FPrompter;
    TWriter FWriter;
    std::optional<TIniFile> FIni;
    std::optional<TIdentity> FIdentity;
    std::optional<TIdentity> FScannedIdentity;
    int FBatchDepth = 0;
    bool FBatchWarnedOff = false;
    bool FBatchFailed = false;
};

// Begins a batch for its lifetime.
class TDescriptionBatch {
public:
    explicit TDescriptionBatch(TDescriptionStore& store) : FStore(store) { FStore.BeginBatch(); }
    ~TDescriptionBatch() { FStore.EndBatch(); }
    TDescriptionBatch(const TDescriptionBatch&) = delete;
    TDescriptionBatch& operator=(const TDescriptionBatch&) = delete;

private:
    TDescriptionStore& FStore;
};
