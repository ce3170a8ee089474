#include "options_string.h"

#include "settings_table.h"

#include <stdexcept>

namespace {

struct TFieldLayout {
    int Position; // of the first digit
    int Width;
    int Min, Max;
};

TFieldLayout LayoutOf(TOptionField field) {
    switch (field) {
    case TOptionField::BrowseMode:
        return {6, 1, BrowseFolders, BrowseFavorites};
    case TOptionField::SlideshowOrder:
        return {7, 1, 1, 3};
    case TOptionField::Shrink:
        return {8, 1, 0, 1};
    case TOptionField::Stretch:
        return {9, 1, 0, 1};
    case TOptionField::RememberFolder:
        return {10, 1, 0, 1};
    case TOptionField::Loop:
        return {12, 1, 0, 1};
    case TOptionField::SlideshowDelay:
        return {13, 2, 0, 20};
    case TOptionField::FastMethod:
        return {17, 1, 1, 4};
    case TOptionField::IncrementalDisplay:
        return {18, 1, 0, 2};
    case TOptionField::CancelOnSelect:
        return {21, 1, 0, 1};
    }
    throw std::invalid_argument("Unknown options field");
}

int ReadDigits(const QString& digits, const TFieldLayout& layout) {
    return digits.mid(layout.Position - 1, layout.Width).toInt();
}

bool AllDigits(const QString& text) {
    for (QChar c : text)
        if (c < u'0' || c > u'9') return false;
    return true;
}

} // namespace

QString DefaultOptionsString() {
    return TOptions().Encoded();
}

std::optional<TOptions> TOptions::FromDigits(const QString& digits) {
    if (digits.size() != DigitCount || !AllDigits(digits)) return std::nullopt;
    return TOptions(digits);
}

QString TOptions::Encoded() const {
    return FDigits + *chqoptions(FDigits);
}

int TOptions::Value(TOptionField field) const {
    const TFieldLayout layout = LayoutOf(field);
    const int value = ReadDigits(FDigits, layout);
    if (value >= layout.Min && value <= layout.Max) return value;
    return ReadDigits(DefaultDigits(), layout);
}

void TOptions::SetValue(TOptionField field, int value) {
    const TFieldLayout layout = LayoutOf(field);
    if (value < layout.Min || value > layout.Max)
        throw std::out_of_range("Options value out of range");
    const QString text = QString::number(value).rightJustified(layout.Width, u'0');
    for (int i = 0; i < layout.Width; ++i) SetPosition(layout.Position + i, text[i]);
}

void TOptions::ClearUnusedPositions() {
    for (int position : {11, 19, 20, 22}) SetPosition(position, u'0');
}

void TOptions::ResetLeadingPositions() {
    for (int position = 2; position <= 5; ++position) SetPosition(position, u'1');
}

std::optional<QString> chqoptions(const QString& digits) {
    if (!AllDigits(digits)) return std::nullopt;
    int sum = 0;
    for (QChar c : digits) sum += c.unicode() - u'0';
    return QString::number(sum % 100).rightJustified(2, u'0');
}

TOptionsDecode DecodeOptions(const QString& stored, bool versionMatched) {
    const QString rest = stored.left(std::max<qsizetype>(stored.size() - 2, 0));
    const QString check = stored.mid(rest.size());
    TOptionsDecode result;
    if (!rest.isEmpty() && versionMatched) {
        const std::optional<QString> computed = chqoptions(rest);
        result.Malformed = !computed;
        result.Corrupted = computed && *computed != check;
        if (!computed || result.Corrupted) return result;
    }
    if (std::optional<TOptions> options = TOptions::FromDigits(rest))
        result.Options = *options;
    else
        result.Malformed = rest.size() == TOptions::DigitCount;
    return result;
}
