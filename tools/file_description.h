#pragma once
// "File Description...": one file opens the information window on its memo; several get one
// answer from the input window, stored for each through the main window's selection runner
// and written to the store once.

#include <QString>

#include <functional>

class TDescriptionStore;
class TMainWindowServices;

namespace FileDescriptionTexts {
inline const QString Caption = QStringLiteral("Image Description");
inline const QString Cancelled = QStringLiteral("ZZZCANCEL");
inline const QString RemoveAll = QStringLiteral(
    "Are you sure you want to remove the Image Description from all selected files?");
inline const QString Failed =
    QStringLiteral("An error was encountered adding descriptions to the selected files");
QString Question(int count);
QString Progress(const QString& file);
} // namespace FileDescriptionTexts

// showFileInfo runs "File Information..."; memoText is the main window's description memo.
void mkFileDescription(TMainWindowServices& services, TDescriptionStore& store,
                       bool& focusDescription, const QString& memoText,
                       const std::function<void()>& showFileInfo);
