#include "registry_text.h"

#include <QStringDecoder>

#include <algorithm>

namespace {

const QString Header = QStringLiteral("Windows Registry Editor Version 5.00");
constexpr qsizetype HexLineWidth = 77;

struct TLogicalLine {
    int Number; // of its first physical line
    QString Text;
};

QString DecodeUtf8(const QByteArray& text) {
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString decoded = decoder(text);
    if (decoder.hasError()) throw ERegistryFormatError(0, "The file is not valid UTF-8");
    if (decoded.startsWith(QChar(0xFEFF))) decoded.remove(0, 1);
    return decoded;
}

// Joins lines ending in a backslash with the next, as long hex lists are written.
std::vector<TLogicalLine> LogicalLines(const QString& text) {
    std::vector<TLogicalLine> lines;
    bool continued = false;
    int number = 0;
    for (const QString& raw : text.split(u'\n')) {
        ++number;
        QString line = raw.trimmed();
        if (continued)
            lines.back().Text += line;
        else
            lines.push_back({number, line});
        continued = line.endsWith(u'\\');
        if (continued) lines.back().Text.chop(1);
    }
    return lines;
}

bool IsHexDigit(QChar c) {
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

class TLineParser {
public:
    explicit TLineParser(const TLogicalLine& line) : FLine(line) {}

    [[noreturn]] void Fail(const QString& what) const {
        throw ERegistryFormatError(FLine.Number, what);
    }

    bool AtEnd() const { return FPos >= FLine.Text.size(); }
    bool Take(QStringView prefix) {
        if (!QStringView(FLine.Text).mid(FPos).startsWith(prefix)) return false;
        FPos += prefix.size();
        return true;
    }
    void SkipBlanks() {
        while (!AtEnd() && (FLine.Text[FPos] == u' ' || FLine.Text[FPos] == u'\t')) ++FPos;
    }
    QString Rest() const { return FLine.Text.mid(FPos); }

    // A double-quoted text with \\ and \" as its only escapes.
    QString Quoted() {
        if (!Take(u"\"")) Fail("Expected a quoted text");
        QString result;
        while (!AtEnd()) {
            QChar c = FLine.Text[FPos++];
            if (c == u'"') return result;
            if (c == u'\\') {
                if (AtEnd() || (FLine.Text[FPos] != u'\\' && FLine.Text[FPos] != u'"'))
                    Fail("Unknown escape in a quoted text");
                c = FLine.Text[FPos++];
            }
            result += c;
        }
        Fail("Unterminated quoted text");
    }

private:
    const TLogicalLine& FLine;
    qsizetype FPos = 0;
};

QByteArray ParseHexBytes(TLineParser& parser) {
    QByteArray bytes;
    const QString rest = parser.Rest();
    if (rest.isEmpty()) return bytes;
    for (const QString& part : rest.split(u',')) {
        const QString digits = part.trimmed();
        if (digits.isEmpty() || digits.size() > 2 ||
            !std::all_of(digits.begin(), digits.end(), IsHexDigit))
            parser.Fail("Malformed hex byte list");
        bytes.append(static_cast<char>(digits.toUInt(nullptr, 16)));
    }
    return bytes;
}

QString Utf16FromBytes(const QByteArray& bytes, TLineParser& parser) {
    if (bytes.size() % 2 != 0) parser.Fail("A hex(1) text needs an even number of bytes");
    QString text;
    for (qsizetype i = 0; i < bytes.size(); i += 2)
        text += QChar(static_cast<char16_t>(static_cast<uint8_t>(bytes[i]) |
                                            static_cast<uint8_t>(bytes[i + 1]) << 8));
    if (text.endsWith(QChar(0))) text.chop(1);
    return text;
}

TRegValue ParseData(TLineParser& parser) {
    if (parser.Rest().startsWith(u'"')) {
        QString text = parser.Quoted();
        if (!parser.AtEnd()) parser.Fail("Unexpected text after a quoted value");
        return TRegValue::String(text);
    }
    if (parser.Take(u"dword:")) {
        const QString digits = parser.Rest();
        if (digits.isEmpty() || digits.size() > 8 ||
            !std::all_of(digits.begin(), digits.end(), IsHexDigit))
            parser.Fail("Malformed dword value");
        return TRegValue::DWord(digits.toUInt(nullptr, 16));
    }
    if (parser.Take(u"hex:")) return TRegValue::Binary(ParseHexBytes(parser));
    if (parser.Take(u"hex(1):")) {
        QByteArray bytes = ParseHexBytes(parser);
        return TRegValue::String(Utf16FromBytes(bytes, parser));
    }
    parser.Fail("Unknown value type");
}

TRegKey& ParseSection(const TLogicalLine& line, TRegHives& hives) {
    TLineParser parser(line);
    if (!line.Text.endsWith(u']')) parser.Fail("Unterminated key name");
    const QString path = line.Text.mid(1, line.Text.size() - 2);
    if (path.startsWith(u'-')) parser.Fail("Key deletions cannot be stored");
    QStringList names = SplitKeyPath(path);
    std::optional<TRegHive> hive = names.isEmpty() ? std::nullopt : HiveByName(names.front());
    if (!hive) parser.Fail("Unknown hive");
    TRegKey* key = &HiveRoot(hives, *hive);
    try {
        for (qsizetype i = 1; i < names.size(); ++i) key = &key->CreateSubKey(names[i]);
    } catch (const ERegistryError& e) {
        parser.Fail(QString::fromUtf8(e.what()));
    }
    return *key;
}

void ParseValue(const TLogicalLine& line, TRegKey& key) {
    TLineParser parser(line);
    QString name;
    if (!parser.Take(u"@")) name = parser.Quoted();
    parser.SkipBlanks();
    if (!parser.Take(u"=")) parser.Fail("Expected \"=\" after the value name");
    parser.SkipBlanks();
    TRegValue value = ParseData(parser);
    try {
        key.SetValue(name, std::move(value));
    } catch (const ERegistryError& e) {
        parser.Fail(QString::fromUtf8(e.what()));
    }
}

QString QuotedText(const QString& text) {
    QString escaped = text;
    escaped.replace(u'\\', "\\\\").replace(u'"', "\\\"");
    return u'"' + escaped + u'"';
}

QByteArray Utf16Bytes(const QString& text) {
    QByteArray bytes;
    for (QChar c : text + QChar(0)) {
        bytes.append(static_cast<char>(c.unicode() & 0xFF));
        bytes.append(static_cast<char>(c.unicode() >> 8));
    }
    return bytes;
}

QString HexList(const QString& prefix, const QByteArray& bytes) {
    QString out;
    QString line = prefix;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        QString token = QString::asprintf("%02x", static_cast<uint8_t>(bytes[i]));
        if (i + 1 < bytes.size()) token += u',';
        if (line.size() + token.size() > HexLineWidth && line != prefix) {
            out += line + "\\\r\n";
            line = QStringLiteral("  ");
        }
        line += token;
    }
    return out + line;
}

QString ValueLine(const TRegNamedValue& named) {
    const QString prefix =
        (named.Name.isEmpty() ? QStringLiteral("@") : QuotedText(named.Name)) + u'=';
    const TRegValue& value = named.Value;
    switch (value.Type()) {
    case TRegValueType::String:
        if (!IsLineSafe(value.AsString()))
            return HexList(prefix + "hex(1):", Utf16Bytes(value.AsString()));
        return prefix + QuotedText(value.AsString());
    case TRegValueType::DWord:
        return prefix + QString::asprintf("dword:%08x", value.AsDWord());
    case TRegValueType::Binary:
        return HexList(prefix + "hex:", value.AsBinary());
    }
    return prefix;
}

// A hive root gets a section only when it holds values; every other key gets one, so empty
// keys survive the round trip.
void FormatKey(const TRegKey& key, const QString& path, bool isRoot, QString& out) {
    if (!isRoot || !key.Values().empty()) {
        out += u'[' + path + "]\r\n";
        for (const TRegNamedValue& value : key.Values()) out += ValueLine(value) + "\r\n";
        out += "\r\n";
    }
    for (const auto& sub : key.SubKeys()) FormatKey(*sub, path + u'\\' + sub->Name(), false, out);
}

} // namespace

ERegistryFormatError::ERegistryFormatError(int line, const QString& what)
    : ERegistryError(QStringLiteral("Line %1: %2").arg(line).arg(what).toStdString()), FLine(line) {
}

TRegHives ParseRegistryText(const QByteArray& text) {
    TRegHives hives = NewRegHives();
    bool headerSeen = false;
    TRegKey* current = nullptr;
    for (const TLogicalLine& line : LogicalLines(DecodeUtf8(text))) {
        if (line.Text.isEmpty() || line.Text.startsWith(u';')) continue;
        if (!headerSeen) {
            if (line.Text != Header) throw ERegistryFormatError(line.Number, "Missing header");
            headerSeen = true;
        } else if (line.Text.startsWith(u'[')) {
            current = &ParseSection(line, hives);
        } else if (current) {
            ParseValue(line, *current);
        } else {
            throw ERegistryFormatError(line.Number, "A value outside of any key");
        }
    }
    if (!headerSeen) throw ERegistryFormatError(0, "Missing header");
    return hives;
}

QByteArray FormatRegistryText(const TRegHives& hives) {
    QString out = Header + "\r\n\r\n";
    for (const TRegKey& root : hives) FormatKey(root, root.Name(), true, out);
    return out.toUtf8();
}
