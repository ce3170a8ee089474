#include "frm_tips.h"

#include "tips.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

TfrmTips::TfrmTips(QWidget* parent, const TTipsFile& tips, TTipCursor& cursor, bool showAtStart)
    : QDialog(parent), FTips(tips), FCursor(cursor) {
    setWindowTitle("Tip of the Day");
    setObjectName("frmTips");
    setWindowFlag(Qt::WindowStaysOnTopHint);
    auto* layout = new QVBoxLayout(this);
    FCaption = new QLabel(this);
    QFont bold = FCaption->font();
    bold.setBold(true);
    FCaption->setFont(bold);
    layout->addWidget(FCaption);
    FText = new QLabel(this);
    FText->setWordWrap(true);
    FText->setTextFormat(Qt::PlainText);
    FText->setMinimumSize(360, 100);
    FText->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    layout->addWidget(FText, 1);
    FShowAtStart = new QCheckBox("Always show a Tip of the Day on start-up", this);
    FShowAtStart->setChecked(showAtStart);
    layout->addWidget(FShowAtStart);
    auto* buttons = new QHBoxLayout;
    auto addButton = [&](const char* caption, auto action) {
        auto* button = new QPushButton(caption, this);
        connect(button, &QPushButton::clicked, this, action);
        buttons->addWidget(button);
    };
    addButton("Show Previous Tip", [this] {
        FCursor.Previous();
        ShowTip();
    });
    addButton("Show Next Tip", [this] {
        FCursor.Next();
        ShowTip();
    });
    addButton("Show Random Tip", [this] {
        FCursor.Random();
        ShowTip();
    });
    addButton("Close", [this] { accept(); });
    layout->addLayout(buttons);
    ShowTip();
}

bool TfrmTips::ShowAtStart() const {
    return FShowAtStart->isChecked();
}

void TfrmTips::ShowTip() {
    FCaption->setText(FCursor.Caption());
    FText->setText(FTips.Tip(FCursor.Number()));
}
