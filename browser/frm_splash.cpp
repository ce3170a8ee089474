#include "frm_splash.h"

#include "pg_qt_view.h"

#include <QFile>
#include <QGuiApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QScreen>

TfrmSplash::TfrmSplash(const QString& pictureFile, const QString& versionText)
    : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      FVersion(versionText) {
    setObjectName("frmSplash");
    setAttribute(Qt::WA_DeleteOnClose);
    QSize size(380, 220);
    if (QFile::exists(pictureFile)) {
        // A picture that cannot be read leaves the built-in one.
        try {
            auto picture = std::make_unique<TPixelGraphic>();
            picture->LoadFromFile(QFile::encodeName(pictureFile).toStdString());
            size = QSize(picture->Width(), picture->Height());
            if (size.width() > 640 || size.height() > 480)
                size = size.scaled(640, 480, Qt::KeepAspectRatio);
            FPicture = std::move(picture);
        } catch (const std::exception&) {
        }
    }
    resize(size);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());
}

TfrmSplash::~TfrmSplash() = default;

void TfrmSplash::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (FPicture) {
        Draw(painter, rect(), *FPicture);
    } else {
        QLinearGradient gradient(rect().topLeft(), rect().bottomRight());
        gradient.setColorAt(0, QColor(24, 40, 72));
        gradient.setColorAt(1, QColor(96, 140, 200));
        painter.fillRect(rect(), gradient);
        QFont title = font();
        title.setPointSize(34);
        title.setBold(true);
        painter.setFont(title);
        painter.setPen(Qt::white);
        painter.drawText(rect().adjusted(0, 0, 0, -40), Qt::AlignCenter, "Glimmet");
    }
    painter.setFont(font());
    painter.setPen(FPicture ? Qt::black : Qt::white);
    painter.drawText(rect().adjusted(12, 12, -12, -12), Qt::AlignRight | Qt::AlignBottom,
                     "Version " + FVersion);
}
