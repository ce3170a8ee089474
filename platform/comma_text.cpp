#include "comma_text.h"

namespace {

// Code 0 counts as well, so that no character stops the reading.
bool IsBlank(QChar c) {
    return c.unicode() <= 32;
}

bool NeedsQuotes(const QString& line) {
    if (line.isEmpty()) return true;
    for (QChar c : line)
        if (c == u'"' || c == u',' || IsBlank(c)) return true;
    return false;
}

qsizetype SkipBlanks(const QString& text, qsizetype at) {
    while (at < text.size() && IsBlank(text[at])) ++at;
    return at;
}

// The quoted item starting at `at`; `at` ends past the closing quote.
QString QuotedItem(const QString& text, qsizetype& at) {
    QString item;
    for (++at; at < text.size(); ++at) {
        if (text[at] != u'"') {
            item += text[at];
        } else if (at + 1 < text.size() && text[at + 1] == u'"') {
            item += u'"';
            ++at;
        } else {
            ++at;
            break;
        }
    }
    return item;
}

QString PlainItem(const QString& text, qsizetype& at) {
    const qsizetype start = at;
    while (at < text.size() && text[at] != u',' && !IsBlank(text[at])) ++at;
    return text.mid(start, at - start);
}

} // namespace

QString ToCommaText(const QStringList& lines) {
    QStringList items;
    for (const QString& line : lines) {
        if (!NeedsQuotes(line)) {
            items << line;
            continue;
        }
        QString doubled = line;
        items << u'"' + doubled.replace(u'"', QStringLiteral("\"\"")) + u'"';
    }
    return items.join(u',');
}

QStringList FromCommaText(const QString& text) {
    QStringList lines;
    qsizetype at = SkipBlanks(text, 0);
    while (at < text.size()) {
        lines << (text[at] == u'"' ? QuotedItem(text, at) : PlainItem(text, at));
        at = SkipBlanks(text, at);
        if (at < text.size() && text[at] == u',') at = SkipBlanks(text, at + 1);
    }
    return lines;
}

QString commatexttostring(const QString& text) {
    QString joined;
    for (const QString& line : FromCommaText(text))
        joined += line.endsWith(u' ') ? line : line + u' ';
    if (joined.endsWith(u' ')) joined.chop(1);
    return joined;
}
