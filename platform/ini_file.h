#pragma once
// A profile (INI) file held as its lines, so that everything not touched stays as it was:
// comments, blank lines, other sections and the order of the keys. Section names are found
// without case; keys are exact and run to the first "="; nothing is trimmed. Lines end in
// LF or CR LF when read and in CR LF when written; the text is UTF-8.

#include <QByteArray>
#include <QHash>
#include <QString>

#include <optional>
#include <vector>

class TIniFile {
public:
    TIniFile() = default;
    explicit TIniFile(const QByteArray& content);
    // Nothing when the file cannot be read; a missing file reads as an empty one.
    static std::optional<TIniFile> Load(const QString& path);

    // The first value of the key in the first section of that name.
    std::optional<QString> ReadString(const QString& section, const QString& key) const;
    // Replaces the first value in place and drops later lines of the same key; otherwise
    // appends the key to the section, the section to the file when it is missing.
    void WriteString(const QString& section, const QString& key, const QString& value);
    // Removes every line of the key; false (and no change) when there was none.
    bool DeleteKey(const QString& section, const QString& key);

    // Whether a write or delete changed the text since it was read or saved.
    bool Modified() const { return FModified; }
    QByteArray Content() const;
    // Through WriteFileAtomically, so a failure (EFileWriteError) keeps the old file.
    void Save(const QString& path);
    // For a caller that wrote Content() itself.
    void MarkSaved() { FModified = false; }

private:
    struct TLine {
        QString Text;
        bool Removed = false;
    };
    struct TSection {
        std::vector<TLine> Lines;       // the header first, except for the lines before any header
        QHash<QString, qsizetype> Keys; // the first line of each key
        QMultiHash<QString, qsizetype> Later; // lines of keys already met
    };

    void AddLine(TSection& section, const QString& text);
    TSection* Find(const QString& section);
    const TSection* Find(const QString& section) const;
    void RemoveLater(TSection& section, const QString& key);

    std::vector<TSection> FSections{TSection{}}; // the first holds the lines before any header
    QHash<QString, qsizetype> FByName;           // lower-case name: first section of the name
    bool FModified = false;
};
