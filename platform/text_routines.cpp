#include "text_routines.h"

#include "file_routines.h"

#include <algorithm>
#include <cmath>

QString RemoveAll(const QString& text, const QString& part) {
    return ReplaceAll(text, part, QString());
}

QString DropFirst(const QString& text, qsizetype n) {
    return n <= 0 ? text : text.mid(n);
}

QString ReplaceAll(const QString& text, const QString& oldPart, const QString& newPart) {
    if (oldPart.isEmpty()) return text;
    if (newPart.contains(oldPart)) throw EError("Circular replacement error");
    QString result = text;
    // A replacement may join its neighbours into a new occurrence, so search again from the
    // start of the one replaced, less the part's length.
    qsizetype from = 0;
    for (qsizetype at = result.indexOf(oldPart); at >= 0; at = result.indexOf(oldPart, from)) {
        result.replace(at, oldPart.size(), newPart);
        from = std::max<qsizetype>(0, at - oldPart.size() + 1);
    }
    return result;
}

QString ReplaceChar(const QString& text, QChar from, QChar to) {
    QString result = text;
    return result.replace(from, to);
}

QString TextAfter(const QString& text, const QString& marker) {
    const qsizetype at = text.indexOf(marker, 0, Qt::CaseInsensitive);
    return at < 0 ? text : text.mid(at + marker.size());
}

QString BoolText(bool value) {
    return value ? QStringLiteral("True") : QStringLiteral("False");
}

bool TextBool(const QString& text, bool defaultValue) {
    if (text.compare("TRUE", Qt::CaseInsensitive) == 0) return true;
    if (text.compare("FALSE", Qt::CaseInsensitive) == 0) return false;
    return defaultValue;
}

int ClampText(const QString& text, int defaultValue, int low, int high) {
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    return std::min(std::max(ok ? value : defaultValue, low), high);
}

int64_t Percent(int64_t a, int64_t b) {
    return std::llround(static_cast<double>(a) * static_cast<double>(b) / 100.0);
}

int ScaleByDPI(int n, int dpi) {
    return static_cast<int>(static_cast<int64_t>(n) * dpi / 96);
}
