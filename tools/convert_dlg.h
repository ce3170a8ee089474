#pragma once
// The save routine the main window, the thumbnail sheets and the acquisition share: the edit
// image goes to a file chosen by its extension, JPEG files at a quality asked or remembered.
// Every branch writes through a temporary file beside the target, so a failed save keeps the
// old file as it was.

#include "dlg_jpeg.h"
#include "pixel_graphic.h"

#include <QString>

#include <functional>

class QWidget;
class TPrompter;

// The two settings of JPEG saving, held by the caller.
struct TJPEGSettings {
    int32_t& DefaultJPEGQuality;
    bool& AlwaysUseDefaultJPEGQuality;
};

class TConvertdlg {
public:
    using TQualityAsker = std::function<TJPEGChoice(const TJPEGQuestion&)>;

    // Reader and colour warnings of the save are asked through the library's warning box, which
    // the main window installs. The JPEG dialog is modal to parent; its Help opens help.
    TConvertdlg(TPixelGraphic& editImage, TJPEGSettings settings, TPrompter& prompter,
                QWidget* parent = nullptr, const THelpTopic& help = {});

    // On any failure "Error encountered saving the file, <path>!" is shown and false answered.
    bool saveimage(const QString& path);
    // Writes through the JPEG writer whatever the extension; false when the save raised.
    bool savetojpeg(const QString& path, int quality, bool progressive);
    int displayJPEGcompression();
    int askJPEGcompression(const QString& prompt);

    // Replaces the JPEG dialog, for tests.
    void SetQualityAsker(TQualityAsker asker) { FAskQuality = std::move(asker); }

private:
    void savetogif(const QString& path);

    TPixelGraphic& FEditImage;
    TJPEGSettings FSettings;
    TPrompter& FPrompter;
    TQualityAsker FAskQuality;
};
