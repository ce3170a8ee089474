#include "file_masks.h"

#include "path_text.h"

bool PassesFilter(const QString& fileName, const QString& filter, bool supportFalseExt) {
    if (!filter.isEmpty()) return ExtInList(fileName, filter);
    return ExtInList(fileName, supportFalseExt ? FileMasks::AllImagesWithFalseExtensions
                                               : FileMasks::AllImages);
}
