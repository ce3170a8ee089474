#pragma once
// The splash window: borderless, on top and centred, with the program's picture (or the
// executable's name with ".spl" from the resource folder, when that file can be read) and the
// product version. Set-up closes it.

#include "pixel_graphic.h"

#include <QWidget>

#include <memory>

class TfrmSplash : public QWidget {
public:
    TfrmSplash(const QString& pictureFile, const QString& versionText);
    ~TfrmSplash() override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::unique_ptr<TPixelGraphic> FPicture;
    QString FVersion;
};
