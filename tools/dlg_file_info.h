#pragma once
// "Image Information": one file's facts and its description, edited in a memo. The window
// writes the description only when the memo was edited; an emptied memo deletes it.

#include <QDialog>
#include <QString>

class QCheckBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class TDescriptionStore;

// The memo's lines from a comma text, and the comma text of its lines.
void setcommatext(QPlainTextEdit& memo, const QString& commaText);
QString readcommatext(const QPlainTextEdit& memo);

// The label texts for a file; a fact that cannot be read stays empty, the date "Unknown".
struct TFileInfoTexts {
    QString Image, Folder, Type, Options, Dimensions, Colors, Images, Size;
    QString Date = QStringLiteral("Unknown");
};
TFileInfoTexts FileInfoTexts(const QString& file);

class TdlgFileInfo : public QDialog {
public:
    // focusDescription is the program-wide flag: set, the memo gets the focus as the window
    // opens; opening clears it, an OK that saved an edit sets it.
    TdlgFileInfo(const QString& file, TDescriptionStore& store, bool& focusDescription,
                 QWidget* parent = nullptr);

    void btnokClick();

    QLabel* lblImage;
    QLabel* lblLocation;
    QLabel* lblType;
    QLabel* lblOptions;
    QLabel* lblDimensions;
    QLabel* lblColors;
    QLabel* lblImages;
    QLabel* lblSize;
    QLabel* lblDate;
    QPlainTextEdit* txtDescription;
    QCheckBox* chkdescrchanged;
    QPushButton* btnok;
    QPushButton* btncancel;
    QPushButton* btnhelp;

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void FormShow();
    void FitLocation();

    const QString FFile;
    TDescriptionStore& FStore;
    bool& FFocusDescription;
    QString FFolder;
    bool FShown = false;
};
