#pragma once
// Shared helpers of the platform tests: a temporary home with its own XDG folders, and file
// helpers.

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

#include <map>
#include <optional>
#include <ostream>

// Readable failure messages.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}
inline void PrintTo(const QByteArray& bytes, std::ostream* out) {
    *out << '"' << bytes.toStdString() << '"';
}

// Points HOME, the XDG folders and TMPDIR at a fresh folder, for as long as the object lives.
// XDG_RUNTIME_DIR is a private folder inside it.
class TTempHome {
public:
    TTempHome();
    ~TTempHome();
    TTempHome(const TTempHome&) = delete;
    TTempHome& operator=(const TTempHome&) = delete;

    // The folder, ending in "/".
    QString Path() const { return FDir.path() + u'/'; }
    // Sets a variable for the life of the object; nullopt unsets it.
    void SetVariable(const char* name, const std::optional<QString>& value);

private:
    QTemporaryDir FDir;
    std::map<QByteArray, std::optional<QByteArray>> FSaved;
};

QByteArray ReadWholeFile(const QString& path);
void WriteWholeFile(const QString& path, const QByteArray& bytes);
// The permission bits of a path (links not followed); -1 when it is missing.
int FileMode(const QString& path);
