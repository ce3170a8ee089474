#include "registry.h"

#include "registry_text.h"
#include "safe_file.h"
#include "user_folders.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>

TRegistry::TRegistry(QString filePath) : FFilePath(std::move(filePath)), FHives(NewRegHives()) {
    Load();
}

QString TRegistry::UserFilePath() {
    return ConfigFolder() + "registry.reg";
}

void TRegistry::Load() {
    QFile file(FFilePath);
    if (!file.exists()) return;
    if (!file.open(QIODevice::ReadOnly)) return KeepAsBackup(file.errorString());
    const QByteArray text = file.readAll();
    if (file.error() != QFileDevice::NoError) return KeepAsBackup(file.errorString());
    try {
        FHives = ParseRegistryText(text);
        FLoadState = TRegLoadState::Loaded;
    } catch (const ERegistryFormatError& e) {
        FHives = NewRegHives();
        KeepAsBackup(QString::fromUtf8(e.what()));
    }
}

// The file the user may still want goes aside, replacing an older backup, before the store
// starts from nothing; if it cannot, the store must never write over it.
void TRegistry::KeepAsBackup(const QString& reason) {
    FLoadError = reason;
    const bool moved = std::rename(QFile::encodeName(FFilePath).constData(),
                                   QFile::encodeName(BackupPath()).constData()) == 0;
    FLoadState = moved ? TRegLoadState::KeptAsBackup : TRegLoadState::Unusable;
}

namespace {

// Key is TRegKey or const TRegKey.
template <class Key>
Key* FindBelow(Key& root, const QString& path) {
    Key* current = &root;
    for (const QString& name : SplitKeyPath(path)) {
        current = current->SubKey(name);
        if (!current) return nullptr;
    }
    return current;
}

} // namespace

const TRegKey* TRegistry::FindKey(TRegHive hive, const QString& key) const {
    return FindBelow(HiveRoot(FHives, hive), key);
}

TRegKey* TRegistry::FindKey(TRegHive hive, const QString& key) {
    return FindBelow(HiveRoot(FHives, hive), key);
}

TRegKey& TRegistry::OpenKey(TRegHive hive, const QString& key) {
    TRegKey* current = &HiveRoot(FHives, hive);
    for (const QString& name : SplitKeyPath(key)) {
        TRegKey* next = current->SubKey(name);
        if (!next) {
            next = &current->CreateSubKey(name);
            FModified = true;
        }
        current = next;
    }
    return *current;
}

bool TRegistry::KeyExists(TRegHive hive, const QString& key) const {
    return FindKey(hive, key) != nullptr;
}

void TRegistry::CreateKey(TRegHive hive, const QString& key) {
    OpenKey(hive, key);
}

bool TRegistry::DeleteKey(TRegHive hive, const QString& key) {
    QStringList names = SplitKeyPath(key);
    if (names.isEmpty()) return false;
    const QString last = names.takeLast();
    TRegKey* parent = FindKey(hive, names.join(u'\\'));
    if (!parent || !parent->RemoveSubKey(last)) return false;
    FModified = true;
    return true;
}

QStringList TRegistry::SubKeyNames(TRegHive hive, const QString& key) const {
    QStringList names;
    if (const TRegKey* found = FindKey(hive, key))
        for (const auto& sub : found->SubKeys()) names << sub->Name();
    return names;
}

QStringList TRegistry::ValueNames(TRegHive hive, const QString& key) const {
    QStringList names;
    if (const TRegKey* found = FindKey(hive, key))
        for (const TRegNamedValue& value : found->Values()) names << value.Name;
    return names;
}

std::optional<TRegValue> TRegistry::Value(TRegHive hive, const QString& key,
                                          const QString& name) const {
    const TRegKey* found = FindKey(hive, key);
    const TRegValue* value = found ? found->Value(name) : nullptr;
    if (!value) return std::nullopt;
    return *value;
}

void TRegistry::SetValue(TRegHive hive, const QString& key, const QString& name, TRegValue value) {
    TRegKey& target = OpenKey(hive, key);
    const TRegValue* old = target.Value(name);
    if (old && *old == value) return;
    target.SetValue(name, std::move(value));
    FModified = true;
}

bool TRegistry::DeleteValue(TRegHive hive, const QString& key, const QString& name) {
    TRegKey* found = FindKey(hive, key);
    if (!found || !found->RemoveValue(name)) return false;
    FModified = true;
    return true;
}

std::optional<QString> TRegistry::ReadString(TRegHive hive, const QString& key,
                                             const QString& name) const {
    std::optional<TRegValue> value = Value(hive, key, name);
    if (!value) return std::nullopt;
    return value->AsString();
}

void TRegistry::WriteString(TRegHive hive, const QString& key, const QString& name,
                            const QString& text) {
    SetValue(hive, key, name, TRegValue::String(text));
}

std::optional<int32_t> TRegistry::ReadInteger(TRegHive hive, const QString& key,
                                              const QString& name) const {
    std::optional<TRegValue> value = Value(hive, key, name);
    if (!value) return std::nullopt;
    return static_cast<int32_t>(value->AsDWord());
}

void TRegistry::WriteInteger(TRegHive hive, const QString& key, const QString& name,
                             int32_t number) {
    SetValue(hive, key, name, TRegValue::DWord(static_cast<uint32_t>(number)));
}

std::optional<QByteArray> TRegistry::ReadBinary(TRegHive hive, const QString& key,
                                                const QString& name) const {
    std::optional<TRegValue> value = Value(hive, key, name);
    if (!value) return std::nullopt;
    return value->AsBinary();
}

void TRegistry::WriteBinary(TRegHive hive, const QString& key, const QString& name,
                            const QByteArray& bytes) {
    SetValue(hive, key, name, TRegValue::Binary(bytes));
}

void TRegistry::Save() {
    if (FLoadState == TRegLoadState::Unusable)
        throw ERegistryError("The settings file \"" + FFilePath.toStdString() +
                             "\" could not be read nor moved aside; it is left as it is");
    if (!EnsurePrivateFolder(QFileInfo(FFilePath).absolutePath()))
        throw ERegistryError("Cannot create the folder of \"" + FFilePath.toStdString() + "\". " +
                             std::strerror(errno));
    try {
        WriteFileAtomically(FFilePath, FormatRegistryText(FHives));
    } catch (const EFileWriteError& e) {
        throw ERegistryError(e.what());
    }
    FModified = false;
}
