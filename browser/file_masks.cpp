#include "file_masks.h"

#include <QFileInfo>
#include <QStringList>

namespace {

QString UpperExtension(const QString& fileName) {
    const QString name = QFileInfo(fileName).fileName();
    const qsizetype dot = name.lastIndexOf(u'.');
    if (dot < 0 || dot == name.size() - 1) return QStringLiteral(".NOTHING");
    return name.mid(dot).toUpper();
}

} // namespace

bool PassesMaskList(const QString& fileName, const QString& maskList) {
    const QString extension = u'*' + UpperExtension(fileName);
    for (const QString& mask : maskList.split(u';', Qt::SkipEmptyParts)) {
        const QString upper = mask.trimmed().toUpper();
        if (upper == FileMasks::AllFiles || upper == extension) return true;
    }
    return false;
}

bool PassesFilter(const QString& fileName, const QString& filter, bool supportFalseExt) {
    if (!filter.isEmpty()) return PassesMaskList(fileName, filter);
    return PassesMaskList(fileName, supportFalseExt ? FileMasks::AllImagesWithFalseExtensions
                                                    : FileMasks::AllImages);
}
