#include "convert_dlg.h"

#include "atomic_file.h"
#include "format_registry.h"
#include "jpeg_format.h"
#include "optimal_palette.h"
#include "prompter.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>

#include <exception>

namespace {

// The busy pointer for one save, back to normal on every way out.
class TBusyCursor {
public:
    TBusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~TBusyCursor() { QApplication::restoreOverrideCursor(); }
    TBusyCursor(const TBusyCursor&) = delete;
    TBusyCursor& operator=(const TBusyCursor&) = delete;
};

std::filesystem::path fileOf(const QString& path) {
    return std::filesystem::path(QFile::encodeName(path).toStdString());
}

// The options of one JPEG save travel with the image, so no other thread's save can change them
// half-way; the call's own options come back afterwards.
class TJPEGOptionsScope {
public:
    TJPEGOptionsScope(TPixelGraphic& image, int quality, bool progressive)
        : FImage(image), FOld(image.CallOptions()) {
        TPGCallOptions options = FOld;
        options.JPEGQuality = quality;
        options.JPEGProgressive = progressive;
        FImage.SetCallOptions(std::move(options));
    }
    ~TJPEGOptionsScope() { FImage.SetCallOptions(std::move(FOld)); }
    TJPEGOptionsScope(const TJPEGOptionsScope&) = delete;
    TJPEGOptionsScope& operator=(const TJPEGOptionsScope&) = delete;

private:
    TPixelGraphic& FImage;
    TPGCallOptions FOld;
};

} // namespace

TConvertdlg::TConvertdlg(TPixelGraphic& editImage, TJPEGSettings settings, TPrompter& prompter,
                         QWidget* parent, const THelpTopic& help)
    : FEditImage(editImage), FSettings(settings), FPrompter(prompter),
      FAskQuality([parent, help](const TJPEGQuestion& question) {
          return RunJPEGDialog(question, parent, help);
      }) {}

bool TConvertdlg::saveimage(const QString& path) {
    const TBusyCursor busy;
    const QString extension = QFileInfo(path).suffix().toUpper();
    bool saved = false;
    try {
        if (extension == "JPG" || extension == "JPE" || extension == "JPEG") {
            saved = savetojpeg(path, displayJPEGcompression(), false);
        } else if (extension == "GIF") {
            savetogif(path);
            saved = true;
        } else {
            FEditImage.SaveToFile(fileOf(path));
            saved = true;
        }
    } catch (const std::exception&) {
        saved = false;
    }
    if (!saved)
        FPrompter.Message(TPromptKind::Warning, "Error encountered saving the file, " + path + "!");
    return saved;
}

bool TConvertdlg::savetojpeg(const QString& path, int quality, bool progressive) {
    try {
        SetJPEGQuality(quality);
        SetJPEGProgressive(progressive);
        const TJPEGOptionsScope options(FEditImage, quality, progressive);
        PGWriteFileAtomically(fileOf(path), [&](TStream& stream) {
            PGSaveImage(PGRegistry(), FEditImage, stream, "jpg");
        });
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

void TConvertdlg::savetogif(const QString& path) {
    TPixelGraphic gif;
    gif.SetSizeAndFormat(FEditImage.Width(), FEditImage.Height(), pf8Bit);
    CreateOptimalPalette(gif, FEditImage, 252, false);
    gif.CopyFrom(FEditImage);
    gif.SaveToFile(fileOf(path));
}

int TConvertdlg::displayJPEGcompression() {
    if (FSettings.AlwaysUseDefaultJPEGQuality) return FSettings.DefaultJPEGQuality;
    const TJPEGChoice choice = FAskQuality({QString(), FSettings.DefaultJPEGQuality, true});
    if (choice.SetAsDefault) {
        FSettings.DefaultJPEGQuality = choice.Quality;
        FSettings.AlwaysUseDefaultJPEGQuality = true;
    }
    return choice.Quality;
}

int TConvertdlg::askJPEGcompression(const QString& prompt) {
    return FAskQuality({prompt, 80, false}).Quality;
}
