#include "ini_file.h"

#include "safe_file.h"

#include <QFile>

namespace {

std::optional<QString> SectionName(const QString& line) {
    if (!line.startsWith(u'[')) return std::nullopt;
    const qsizetype end = line.indexOf(u']');
    return line.mid(1, end < 0 ? -1 : end - 1);
}

// The key of a line; nothing for comments, headers and lines without "=".
std::optional<QString> KeyOf(const QString& line) {
    if (line.startsWith(u';') || line.startsWith(u'[')) return std::nullopt;
    const qsizetype equals = line.indexOf(u'=');
    if (equals < 0) return std::nullopt;
    return line.left(equals);
}

QString NameKey(const QString& section) {
    return section.toCaseFolded();
}

} // namespace

TIniFile::TIniFile(const QByteArray& content) {
    QString text = QString::fromUtf8(content);
    if (text.endsWith(u'\n')) text.chop(1);
    if (text.isEmpty()) return;
    for (QStringView line : QStringView(text).split(u'\n')) {
        if (line.endsWith(u'\r')) line.chop(1);
        const QString copy = line.toString();
        if (const std::optional<QString> name = SectionName(copy)) {
            FByName.insert(NameKey(*name), static_cast<qsizetype>(FSections.size()));
            FSections.emplace_back();
        }
        AddLine(FSections.back(), copy);
    }
}

std::optional<TIniFile> TIniFile::Load(const QString& path) {
    QFile file(path);
    if (!file.exists()) return TIniFile();
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
    return TIniFile(file.readAll());
}

void TIniFile::AddLine(TSection& section, const QString& text) {
    const qsizetype index = static_cast<qsizetype>(section.Lines.size());
    section.Lines.push_back({text});
    if (const std::optional<QString> key = KeyOf(text)) {
        if (section.Keys.contains(*key))
            section.Later.insert(*key, index);
        else
            section.Keys.insert(*key, index);
    }
}

TIniFile::TSection* TIniFile::Find(const QString& section) {
    const auto it = FByName.constFind(NameKey(section));
    return it == FByName.cend() ? nullptr : &FSections[static_cast<size_t>(*it)];
}

const TIniFile::TSection* TIniFile::Find(const QString& section) const {
    return const_cast<TIniFile*>(this)->Find(section);
}

std::optional<QString> TIniFile::ReadString(const QString& section, const QString& key) const {
    const TSection* found = Find(section);
    if (!found) return std::nullopt;
    const auto it = found->Keys.constFind(key);
    if (it == found->Keys.cend()) return std::nullopt;
    return found->Lines[static_cast<size_t>(*it)].Text.mid(key.size() + 1);
}

void TIniFile::RemoveLater(TSection& section, const QString& key) {
    for (auto it = section.Later.find(key); it != section.Later.end() && it.key() == key;
         it = section.Later.erase(it))
        section.Lines[static_cast<size_t>(*it)].Removed = true;
}

void TIniFile::WriteString(const QString& section, const QString& key, const QString& value) {
    const QString line = key + u'=' + value;
    TSection* found = Find(section);
    if (!found) {
        FByName.insert(NameKey(section), static_cast<qsizetype>(FSections.size()));
        FSections.emplace_back();
        found = &FSections.back();
        AddLine(*found, u'[' + section + u']');
    }
    FModified = true;
    RemoveLater(*found, key);
    const auto it = found->Keys.constFind(key);
    if (it == found->Keys.cend())
        AddLine(*found, line);
    else
        found->Lines[static_cast<size_t>(*it)].Text = line;
}

bool TIniFile::DeleteKey(const QString& section, const QString& key) {
    TSection* found = Find(section);
    if (!found) return false;
    const auto it = found->Keys.constFind(key);
    if (it == found->Keys.cend()) return false;
    found->Lines[static_cast<size_t>(*it)].Removed = true;
    found->Keys.erase(it);
    RemoveLater(*found, key);
    FModified = true;
    return true;
}

QByteArray TIniFile::Content() const {
    QString text;
    for (const TSection& section : FSections)
        for (const TLine& line : section.Lines)
            if (!line.Removed) text += line.Text + QStringLiteral("\r\n");
    return text.toUtf8();
}

void TIniFile::Save(const QString& path) {
    WriteFileAtomically(path, Content());
    MarkSaved();
}
