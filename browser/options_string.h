#pragma once
// The packed options value: 22 decimal digits, positions counted from 1, followed by two check
// digits (the digit sum modulo 100).

#include <QString>

#include <optional>

enum class TOptionField {
    BrowseMode,         // 3 Folders, 4 Favorites
    SlideshowOrder,     // 1 reverse, 2 forward, 3 random
    Shrink,             // shrink images to the window
    Stretch,            // stretch images to the window
    RememberFolder,     // the last folder becomes LastDir at exit
    Loop,               // loop slideshows
    SlideshowDelay,     // two digits, 0 to 20
    FastMethod,         // 1 to 4
    IncrementalDisplay, // 0 never, 1 only during slideshow, 2 always
    CancelOnSelect      // selecting a new image cancels the current load
};

constexpr int BrowseFolders = 3;
constexpr int BrowseFavorites = 4;

class TOptions {
public:
    static constexpr int DigitCount = 22;
    static QString DefaultDigits() { return QStringLiteral("1111132101010200100011"); }

    TOptions() : FDigits(DefaultDigits()) {}
    // Nothing unless the text is exactly 22 decimal digits.
    static std::optional<TOptions> FromDigits(const QString& digits);

    const QString& Digits() const { return FDigits; }
    // The digits followed by their check digits.
    QString Encoded() const;

    // A field whose digits lie outside its range reads as its default.
    int Value(TOptionField field) const;
    // Values outside the field's range are refused with std::out_of_range.
    void SetValue(TOptionField field, int value);
    bool Flag(TOptionField field) const { return Value(field) != 0; }
    void SetFlag(TOptionField field, bool on) { SetValue(field, on ? 1 : 0); }

    // What the program writes into the positions it does not use.
    void ClearUnusedPositions();
    // "Reset Settings" sets positions 2 to 5 to "1".
    void ResetLeadingPositions();

    bool operator==(const TOptions&) const = default;

private:
    explicit TOptions(QString digits) : FDigits(std::move(digits)) {}
    void SetPosition(int position, QChar digit) { FDigits[position - 1] = digit; }
    QString FDigits;
};

// The two check digits of a digit string; nothing when it holds anything but decimal digits.
std::optional<QString> chqoptions(const QString& digits);

struct TOptionsDecode {
    TOptions Options;
    // The stored check digits did not match while the stored version was ours: the user is
    // told and the defaults are used.
    bool Corrupted = false;
    // The digits that would have been used hold something else than a digit: the defaults are
    // used, and the user is told that the preferences could not be loaded.
    bool Malformed = false;
};

// After a version change the check digits are not trusted to match, so they are not checked;
// digits of the wrong length are replaced by the defaults without a word.
TOptionsDecode DecodeOptions(const QString& stored, bool versionMatched);
