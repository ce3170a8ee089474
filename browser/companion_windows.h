#pragma once
// The modal windows of start-up: the password prompt, Getting Started and Tip of the Day. The
// Qt implementation shows them; tests pass a fake that answers at once.

#include <QString>

class QWidget;
class TTipsFile;
class TTipCursor;

class TCompanionWindows {
public:
    virtual ~TCompanionWindows() = default;
    // The text typed, empty on Cancel.
    virtual QString AskPassword(QWidget* parent) = 0;
    // Each answers the state of its "show at start-up" check box when the window closes.
    virtual bool ShowGettingStarted(QWidget* parent, bool showAtStart) = 0;
    virtual bool ShowTipOfTheDay(QWidget* parent, const TTipsFile& tips, TTipCursor& cursor,
                                 bool showAtStart) = 0;
};

class TQtCompanionWindows : public TCompanionWindows {
public:
    QString AskPassword(QWidget* parent) override;
    bool ShowGettingStarted(QWidget* parent, bool showAtStart) override;
    bool ShowTipOfTheDay(QWidget* parent, const TTipsFile& tips, TTipCursor& cursor,
                         bool showAtStart) override;
};
