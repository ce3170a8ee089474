#pragma once
// Printing one image, fitted to the page.

#include "pixel_graphic.h"

#include <QRect>
#include <QString>

class QPrinter;
class QWidget;

// Where an image of imageW x imageH lands on a page of pageW x pageH printer pixels whose pixels
// have the relative width aspectX and height aspectY: as large as fits, aspect kept, centred.
QRect PGPrintRect(int imageW, int imageH, int pageW, int pageH, int aspectX, int aspectY);
// applicationDisplayName() + " Graphic " + width + "x" + height + "x" + colours.
QString PGPrintJobTitle(const TPixelGraphic& image);

// Prints on the given printer; answers false when nothing was printed (empty image, dialog
// cancelled). With autoOrientation a non-square image switches the page to landscape or
// portrait for the job and the previous orientation is restored afterwards.
bool Print(const TPixelGraphic& image, QPrinter& printer, bool ShowDialog, bool AutoOrientation,
           QWidget* Owner);
// Prints on the default printer.
bool Print(const TPixelGraphic& image, bool ShowDialog, bool AutoOrientation, QWidget* Owner);
