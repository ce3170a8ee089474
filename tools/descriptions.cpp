#include "descriptions.h"

#include "prompter.h"
#include "safe_file.h"

#include <QFile>

#include <sys/stat.h>

namespace {

const QString Section = QStringLiteral("Descriptions");

template <class Needs>
QString Escaped(const QString& text, Needs needs) {
    QString result;
    result.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (needs(c, i))
            result += u'%' + QStringLiteral("%1").arg(c.unicode(), 2, 16, QChar(u'0')).toUpper();
        else
            result += c;
    }
    return result;
}

QString Unescaped(const QString& text) {
    if (!text.contains(u'%')) return text;
    QString result;
    for (qsizetype i = 0; i < text.size(); ++i) {
        bool ok = false;
        const ushort code = i + 2 < text.size() && text[i] == u'%'
                                ? QStringView(text).mid(i + 1, 2).toUShort(&ok, 16)
                                : 0;
        if (ok) {
            result += QChar(code);
            i += 2;
        } else {
            result += text[i];
        }
    }
    return result;
}

bool IsLineBreak(QChar c) {
    return c == u'\r' || c == u'\n';
}

// The raw value of the key in a file of one section, read as the profile parse would read it;
// nothing when the file has other sections, whose order the parse would have to weigh.
std::optional<QString> KeyLineValue(const QByteArray& bytes, const QString& key) {
    const qsizetype header = bytes.startsWith('[') ? 0 : bytes.indexOf("\n[") + 1;
    if (header == 0 && !bytes.startsWith('[')) return QString(); // no section at all
    if (bytes.indexOf("\n[", header) >= 0) return std::nullopt;
    const qsizetype close = bytes.indexOf(']', header);
    const qsizetype lineEnd = bytes.indexOf('\n', header);
    const qsizetype nameEnd = close < 0 || (lineEnd >= 0 && close > lineEnd)
                                  ? (lineEnd < 0 ? bytes.size() : lineEnd)
                                  : close;
    const QString name = QString::fromUtf8(bytes.mid(header + 1, nameEnd - header - 1));
    if (name.compare(Section, Qt::CaseInsensitive) != 0) return QString();
    const QByteArray needle = "\n" + key.toUtf8() + '=';
    const qsizetype at = bytes.indexOf(needle, header);
    if (at < 0) return QString();
    const qsizetype start = at + needle.size();
    const qsizetype end = bytes.indexOf('\n', start);
    QByteArray value = bytes.mid(start, end < 0 ? -1 : end - start);
    if (value.endsWith('\r')) value.chop(1);
    return QString::fromUtf8(value);
}

} // namespace

QString EncodeDescriptionKey(const QString& path) {
    return Escaped(path, [](QChar c, qsizetype at) {
        return c == u'%' || c == u'=' || IsLineBreak(c) || (at == 0 && (c == u';' || c == u'['));
    });
}

QString DecodeDescriptionKey(const QString& key) {
    return Unescaped(key);
}

QString EncodeDescriptionValue(const QString& value) {
    return Escaped(value, [](QChar c, qsizetype) { return c == u'%' || IsLineBreak(c); });
}

QString DecodeDescriptionValue(const QString& value) {
    return Unescaped(value);
}

QString addquotes(const QString& stored) {
    QString text = stored;
    if (text.startsWith(u'>')) text.remove(0, 1);
    if (text.endsWith(u'<')) text.chop(1);
    return text;
}

TDescriptionStore::TDescriptionStore(QString path, TPrompter& prompter, TWriter writer)
    : FPath(std::move(path)), FPrompter(prompter), FWriter(std::move(writer)) {
    if (!FWriter)
        FWriter = [](const QString& target, const QByteArray& content) {
            WriteFileAtomically(target, content);
        };
}

std::optional<TDescriptionStore::TIdentity> TDescriptionStore::IdentityNow() const {
    struct stat st {};
    if (::stat(QFile::encodeName(FPath).constData(), &st) != 0) return std::nullopt;
    return TIdentity{st.st_dev, st.st_ino, st.st_size,
                     int64_t{st.st_mtim.tv_sec} * 1'000'000'000 + st.st_mtim.tv_nsec};
}

TIniFile* TDescriptionStore::Parsed() {
    if (FBatchDepth > 0 && FIni) return &*FIni;
    const std::optional<TIdentity> now = IdentityNow();
    if (FIni && now && FIdentity == now) return &*FIni;
    std::optional<TIniFile> loaded = TIniFile::Load(FPath);
    FIni = std::move(loaded);
    FIdentity = now;
    return FIni ? &*FIni : nullptr;
}

bool TDescriptionStore::RefuseWhenOff() {
    if (IsOn()) return false;
    if (FBatchDepth == 0 || !FBatchWarnedOff)
        FPrompter.Message(TPromptKind::Warning, DescriptionTexts::Off);
    if (FBatchDepth > 0) FBatchWarnedOff = true;
    return true;
}

void TDescriptionStore::WarnSaveFailed() {
    if (FBatchDepth > 0) {
        FBatchFailed = true;
        return;
    }
    FIni.reset(); // the file keeps what it held; so does the next reading
    FPrompter.Message(TPromptKind::Warning, DescriptionTexts::SaveFailed);
}

void TDescriptionStore::Written() {
    if (FBatchDepth > 0 || !FIni || !FIni->Modified()) return;
    try {
        FWriter(FPath, FIni->Content());
        FIni->MarkSaved();
        FIdentity = IdentityNow();
    } catch (const EFileWriteError&) {
        WarnSaveFailed();
    }
}

std::optional<QString> TDescriptionStore::Scanned(const QString& key) {
    if (FBatchDepth > 0) return std::nullopt;
    const std::optional<TIdentity> now = IdentityNow();
    if (!now || (FIni && FIdentity == now) || FScannedIdentity == now) return std::nullopt;
    FScannedIdentity = now;
    QFile file(FPath);
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
    return KeyLineValue(file.readAll(), key);
}

QString TDescriptionStore::ReadDescription(const QString& file) {
    if (!IsOn()) return {};
    const QString key = EncodeDescriptionKey(file);
    std::optional<QString> raw = Scanned(key);
    if (!raw) {
        const TIniFile* ini = Parsed();
        if (!ini) return {};
        raw = ini->ReadString(Section, key).value_or(QString());
    }
    return addquotes(DecodeDescriptionValue(*raw));
}

bool TDescriptionStore::assigninidescription(const QString& file, const QString& commaText) {
    if (RefuseWhenOff()) return false;
    TIniFile* ini = Parsed();
    if (!ini) {
        WarnSaveFailed();
        return true;
    }
    const QString key = EncodeDescriptionKey(file);
    if (commaText.isEmpty())
        ini->DeleteKey(Section, key);
    else
        ini->WriteString(Section, key, u'>' + EncodeDescriptionValue(commaText) + u'<');
    Written();
    return true;
}

bool TDescriptionStore::moveinidescription(const QString& oldPath, const QString& newPath) {
    if (RefuseWhenOff()) return false;
    TIniFile* ini = Parsed();
    if (!ini) {
        WarnSaveFailed();
        return true;
    }
    const QString oldKey = EncodeDescriptionKey(oldPath);
    const QString raw =
        newPath.isEmpty() ? QString() : ini->ReadString(Section, oldKey).value_or(QString());
    ini->DeleteKey(Section, oldKey);
    if (!raw.isEmpty()) ini->WriteString(Section, EncodeDescriptionKey(newPath), raw);
    Written();
    return true;
}

void TDescriptionStore::BeginBatch() {
    if (FBatchDepth++ == 0) FBatchWarnedOff = FBatchFailed = false;
}

void TDescriptionStore::EndBatch() {
    if (--FBatchDepth > 0) return;
    Written();
    if (FBatchFailed) {
        FBatchFailed = false;
        WarnSaveFailed();
    }
}
