#pragma once
// The Tip of the Day texts: section [Tips] of "gmtips.ini", key Number for the count and keys
// Tip_1, Tip_2, ... for the texts. Section and key names compare without case.

#include <QHash>
#include <QString>

#include <functional>
#include <optional>

class TTipsFile {
public:
    // Nothing when the file cannot be read.
    static std::optional<TTipsFile> Load(const QString& path);
    static TTipsFile FromText(const QString& text);

    // The stored count, when it is a number above 0.
    std::optional<int> Count() const;
    // "Hmmm, no more tips.." for a tip that is not there.
    QString Tip(int number) const;

private:
    QHash<QString, QString> FTips; // keys in upper case
};

// The tip window's position in the tips. random(n) answers a number from 0 to n - 1.
class TTipCursor {
public:
    using TRandom = std::function<int(int bound)>;
    // The count read, else the count of the previous showing (initially 125). The first tip is a
    // random one from 1 to count - 1.
    TTipCursor(std::optional<int> count, int previousCount, TRandom random);

    int Count() const { return FCount; }
    int Number() const { return FNumber; }
    QString Caption() const { return "Tip of the Day #" + QString::number(FNumber); }
    void Previous() { SetNumber(FNumber - 1); }
    void Next() { SetNumber(FNumber + 1); }
    void Random() { SetNumber(FRandom(FCount)); }

private:
    // Above the count wraps to 1, 0 or less to the count.
    void SetNumber(int number);
    int FCount;
    int FNumber = 1;
    TRandom FRandom;
};

constexpr int InitialTipCount = 125;
