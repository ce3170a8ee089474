#include "tips.h"

#include <QFile>
#include <QStringList>

std::optional<TTipsFile> TTipsFile::Load(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
    return FromText(QString::fromUtf8(file.readAll()));
}

TTipsFile TTipsFile::FromText(const QString& text) {
    TTipsFile tips;
    bool inTips = false;
    for (const QString& raw : text.split(u'\n')) {
        const QString line = raw.trimmed();
        if (line.startsWith(u'[')) {
            inTips = line.compare(u"[Tips]", Qt::CaseInsensitive) == 0;
            continue;
        }
        const qsizetype equals = line.indexOf(u'=');
        if (!inTips || equals <= 0) continue;
        tips.FTips.insert(line.left(equals).trimmed().toUpper(), line.mid(equals + 1).trimmed());
    }
    return tips;
}

std::optional<int> TTipsFile::Count() const {
    bool ok = false;
    const int count = FTips.value(QStringLiteral("NUMBER")).toInt(&ok);
    if (!ok || count < 1) return std::nullopt;
    return count;
}

QString TTipsFile::Tip(int number) const {
    return FTips.value("TIP_" + QString::number(number), QStringLiteral("Hmmm, no more tips.."));
}

TTipCursor::TTipCursor(std::optional<int> count, int previousCount, TRandom random)
    : FCount(count.value_or(previousCount)), FRandom(std::move(random)) {
    if (FCount < 1) FCount = InitialTipCount;
    SetNumber(FCount > 1 ? 1 + FRandom(FCount - 1) : 1);
}

void TTipCursor::SetNumber(int number) {
    if (number > FCount)
        number = 1;
    else if (number <= 0)
        number = FCount;
    FNumber = number;
}
