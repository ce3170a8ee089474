#include "frm_getting_started.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QVBoxLayout>

namespace {

const char* const Page =
    "<h3>Welcome to Glimmet</h3>"
    "<p><b>Browse</b> &ndash; pick a folder in the <i>Folders</i> page on the left; its images "
    "are listed beside it and the selected one is shown in the image area.</p>"
    "<p><b>Favorites</b> &ndash; collect images from any folder into a favorites list and "
    "browse it on the <i>Favorites</i> page.</p>"
    "<p><b>View</b> &ndash; zoom, fit to the window, full screen, slideshows and separate "
    "image windows.</p>"
    "<p><b>Organise and edit</b> &ndash; rename, move, copy and delete files, rotate, resize, "
    "crop and correct images, and save them in another format.</p>"
    "<p><b>Publish and acquire</b> &ndash; web-page indexes, thumbnail sheets, printing, and "
    "pictures from a camera or scanner.</p>"
    "<p>The <i>View</i> menu's <i>Display Settings</i> choose which bars are shown; "
    "<i>Help</i> brings this window back.</p>";

} // namespace

TfrmGettingStarted::TfrmGettingStarted(QWidget* parent, bool showAtStart) : QDialog(parent) {
    setWindowTitle("Getting Started");
    setObjectName("frmGettingStarted");
    auto* layout = new QVBoxLayout(this);
    auto* text = new QLabel(Page, this);
    text->setWordWrap(true);
    text->setTextFormat(Qt::RichText);
    layout->addWidget(text);
    FShowAtStart = new QCheckBox("Always display this dialog on start-up.", this);
    FShowAtStart->setChecked(showAtStart);
    layout->addWidget(FShowAtStart);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    resize(460, 380);
}

bool TfrmGettingStarted::ShowAtStart() const {
    return FShowAtStart->isChecked();
}
