#include "main_commands.h"

#include <array>
#include <cstring>

namespace {

using B = TCommandBar;

constexpr std::array<const char*, 6> MenuNames{"File", "Edit",   "Thumbnails",
                                               "View", "Window", "Help"};
constexpr std::array<const char*, 6> MenuCaptions{"&File", "&Edit",   "&Thumbnails",
                                                  "&View", "&Window", "&Help"};

// clang-format off
constexpr TCommand Commands[] = {
    // Toolbar-only buttons of the main toolbar.
    {"btnfirst", nullptr, "First", "First image", B::Main, "|<"},
    {"btnprevious", nullptr, "Previous", "Previous image", B::Main, "<"},
    {"btnnext", nullptr, "Next", "Next image", B::Main, ">"},
    {"btnlast", nullptr, "Last", "Last image", B::Main, ">|"},
    {"btnrandom", nullptr, "Random", "Shows an image at random [*]", B::Main, "*"},
    {"btnzoomin", nullptr, "Zoom In", "Zoom In (Ctrl+click: Stretch to Fit) [+]", B::Main, "+"},
    {"btnzoomout", nullptr, "Zoom Out", "Zoom Out", B::Main, "-"},
    {"btnstop", nullptr, "Stop", "Stop loading current image (Ctrl+click: Reset All) [0]", B::Main, "x"},
    {"btnfullscreen", nullptr, "Full Screen", "Show image full screen [Space]", B::Main, "[ ]"},
    {"btnslideshow", nullptr, "Slideshow", "Slideshow (Ctrl+click: Reset Slideshow Options) [S]", B::Main, "S"},
    {"btnmultishow", nullptr, "Multishow", "Displays images in sequence in multiple rows and columns", B::Main, "::"},
    {"btnnewwindow", nullptr, "New Window", "Launch into a new image window [N] (Ctrl+click: Close All Image Windows) ", B::Main, "N"},
    {"btnthumbmode", nullptr, "File Display", "Switch between Thumbnails, Small Thumbs and Filenames", B::Main, "Th"},
    {"btnsort", nullptr, "Sort", "File sorting", B::Main, "Az"}, // drops down the File Sorting menu
    {"btnbookmark", nullptr, "Add to Favorites", "Add the selected file(s) to your current Favorites list [B]", B::Main, "B+"},
    {"btnRemoveBookmark", nullptr, "Remove Favorite", "Removes the selected Favorite(s) [Alt+B]", B::Main, "B-"},
    {"Renamebtn", nullptr, "Rename", "Rename the selected file(s)", B::Main, "ab"},
    {"btnMove", nullptr, "Move", "Move the selected file(s) to a new folder [X]", B::Main, "Mv"},
    {"btnCopy", nullptr, "Copy", "Copy the selected file(s) to a new folder [C]", B::Main, "Cp"},
    {"Deletebtn", nullptr, "Delete", "Delete the selected file(s) and or file reference(s) [Del]", B::Main, "Del"},
    {"btnemail", nullptr, "E-mail", "E-mails the selected file(s)", B::Main, "@"},
    {"btnFileInfo", nullptr, "File Information", "Show information on the current file", B::Main, "i"},
    {"Printbtn", nullptr, "Print", "Print the current image  [Ctrl+P]", B::Main, "P"},
    {"btnHelp", nullptr, "Help", "Display Help contents [F1]", B::Main, "?"},

    // File menu.
    {"mkAddtoFavorites", "File", "Add to Favorites", "", B::None, nullptr},
    {"mkRename", "File", "&Rename...", "", B::None, nullptr},
    {"mkCopy", "File", "&Copy...", "", B::None, nullptr},
    {"mkMove", "File", "&Move...", "", B::None, nullptr},
    {"mkDelete", "File", "&Delete... ", "", B::None, nullptr},
    {"mkFileInfo", "File", "File Information...", "", B::None, nullptr},
    {"mkEmail", "File", "E-mail Image...", "", B::None, nullptr},
    {"", "File", "-", "", B::None, nullptr},
    {"mkSave", "File", "Save", "Save the current file changes [Ctrl+S]", B::Main, "Sv"},
    {"mkSaveAs", "File", "&Save as...", "", B::None, nullptr},
    {"mkWallpaperCentered", "File/Set Image as Wallpaper", "   Centered", "", B::None, nullptr},
    {"mkWallpaperTiled", "File/Set Image as Wallpaper", "   Tiled", "", B::None, nullptr},
    {"mkWallpaperStretched", "File/Set Image as Wallpaper", "   Stretched", "", B::None, nullptr},
    {"", "File", "-", "", B::None, nullptr},
    {"mkPrint", "File", "&Print...", "", B::None, nullptr},
    {"mkExternalPrint", "File", "External Print...", "", B::None, nullptr},
    {"mkCreateHTML", "File", "Create Web Page Thumbnail Index...", "", B::None, nullptr},
    {"mkCreateLists", "File", "Create File List...", "", B::None, nullptr},
    {"mkThumbsheets", "File", "Create Thumbnail Sheets...", "", B::None, nullptr},
    {"", "File", "-", "", B::None, nullptr},
    {"mkAcquire", "File", "&Acquire from Camera/Scanner...", "Acquire from Camera/Scanner", B::Main, "Aq"},
    {"mkWatchdirectory", "File", "Watch Folder...", "", B::None, nullptr},
    {"mkOptions", "File", "Options...", "", B::None, nullptr},
    {"", "File", "-", "", B::None, nullptr},
    {"mkExit", "File", "E&xit", "", B::None, nullptr},

    // Edit menu and the editing toolbar.
    {"mkUndo", "Edit", "Undo Changes", "Undo the last action [Ctrl+Z]", B::Main, "Un"},
    {"mkOpenInEditor", "Edit", "Open in &Editor", "", B::None, nullptr},
    {"mkClipboard", "Edit", "Copy Image to Clipboard", "Copy the image to the clipboard [Ctrl+C]", B::Editing, "Clp"},
    {"btnrotate90", nullptr, "Rotate 90", "Rotate Image 90 deg. clockwise", B::Editing, "R+"},
    {"btnrotate270", nullptr, "Rotate 270", "Rotate Image 90 deg. counter-clockwise", B::Editing, "R-"},
    {"mkRotate", "Edit", "&Rotate and Flip Image", "Rotate or Flip the image", B::Editing, "R"},
    {"mkCrop", "Edit", "Crop Image", "Crop the image to remove unwanted sections from its borders", B::Editing, "Cr"},
    {"mkResize", "Edit", "Resize Image", "Resize the image", B::Editing, "Rs"},
    {"mkRedEye", "Edit", "Remove Red Eye", "Remove the red eye effect that occurs with flash photography", B::Editing, "Eye"},
    {"mkBCG", "Edit/Effects", "  BCG Filter", "", B::None, nullptr},
    {"mkHSV", "Edit/Effects", "  HSV Filter", "", B::None, nullptr},
    {"mkRGB", "Edit/Effects", "  RGB Filter", "", B::None, nullptr},
    {"mkGreyScale", "Edit/Effects", "  Grey Scale", "", B::None, nullptr},
    {"mkSharpen", "Edit/Effects", "  Sharpen Image", "", B::None, nullptr},
    {"mkSmooth", "Edit/Effects", "  Smooth Image", "", B::None, nullptr},
    {"mkContour", "Edit/Effects", "  Contour Image", "", B::None, nullptr},

    // Thumbnails menu.
    {"mkFilterAll", "Thumbnails/File Filter", "All Image Formats", "", B::None, nullptr},
    {"mkFilterFiles", "Thumbnails/File Filter", "All Files", "", B::None, nullptr},
    {"mkFilterGIF", "Thumbnails/File Filter", "Compuserve GIF (*.gif)", "", B::None, nullptr},
    {"mkFilterJPEG", "Thumbnails/File Filter", "JPEG Image (*.jpg, *.jpeg)", "", B::None, nullptr},
    {"mkFilterPortable", "Thumbnails/File Filter", "Portable Formats (*.pbm, *.pgm, *.ppm)", "", B::None, nullptr},
    {"mkFilterPNG", "Thumbnails/File Filter", "Portable Network Graphics (*.png)", "", B::None, nullptr},
    {"mkFilterTIFF", "Thumbnails/File Filter", "Tagged Image File Format (*.tif)", "", B::None, nullptr},
    {"mkFilterTGA", "Thumbnails/File Filter", "Truevision Targa (*.tga)", "", B::None, nullptr},
    {"mkFilterPCX", "Thumbnails/File Filter", "PC Paintbrush (*.pcx)", "", B::None, nullptr},
    {"mkFilterBMP", "Thumbnails/File Filter", "Windows Bitmap (*.bmp, *.rle, *.dib)", "", B::None, nullptr},
    {"mkFilterICO", "Thumbnails/File Filter", "Windows Icon (*.ico)", "", B::None, nullptr},
    {"mkFilterWMF", "Thumbnails/File Filter", "Windows Metafiles (*.wmf,*.emf)", "", B::None, nullptr},
    {"mkSortName", "Thumbnails/File Sorting", "Filename", "", B::None, nullptr},
    {"mkSortType", "Thumbnails/File Sorting", "File Type", "", B::None, nullptr},
    {"mkSortSize", "Thumbnails/File Sorting", "File Size", "", B::None, nullptr},
    {"mkSortDate", "Thumbnails/File Sorting", "File Date", "", B::None, nullptr},
    {"", "Thumbnails/File Sorting", "-", "", B::None, nullptr},
    {"mkSortDescending", "Thumbnails/File Sorting", "Descending", "", B::None, nullptr},
    {"", "Thumbnails", "-", "", B::None, nullptr},
    {"pukFilenames", "Thumbnails", "Filenames", "", B::None, nullptr},
    {"pukSmallThumbs", "Thumbnails", "Small Thumbs", "", B::None, nullptr},
    {"pukThumbnails", "Thumbnails", "Thumbnails", "", B::None, nullptr},
    {"mkFSThumbs", "Thumbnails", "Show Thumbnails Full-Screen", "", B::None, nullptr},

    // View menu and the slideshow toolbar.
    {"mkFullScreen", "View", "&Full Screen &View", "", B::None, nullptr},
    {"mkNewWindow", "View", "Open in &New Window", "", B::None, nullptr},
    {"mkSlideshow", "View", "&Slideshow", "", B::None, nullptr},
    {"mkMultishow", "View", "Multishow", "", B::None, nullptr},
    {"btnssdown", nullptr, "Reverse", "Slideshow in reverse order", B::Slideshow, "<<"},
    {"btnssup", nullptr, "Forward", "Slideshow in forward order", B::Slideshow, ">>"},
    {"btnssrandom", nullptr, "Random", "Slideshow in random order", B::Slideshow, "?"},
    {"btnssloop", nullptr, "Loop", "Loops the slideshow continuously", B::Slideshow, "Lp"},
    {"mkZoom10", "View/Zoom", "   10%", "", B::None, nullptr},
    {"mkZoom25", "View/Zoom", "   25%", "", B::None, nullptr},
    {"mkZoom50", "View/Zoom", "   50%", "", B::None, nullptr},
    {"mkZoom75", "View/Zoom", "   75%", "", B::None, nullptr},
    {"mkZoom100", "View/Zoom", "   100%", "", B::None, nullptr},
    {"mkZoom125", "View/Zoom", "   125%", "", B::None, nullptr},
    {"mkZoom150", "View/Zoom", "   150%", "", B::None, nullptr},
    {"mkZoom175", "View/Zoom", "   175%", "", B::None, nullptr},
    {"mkZoom200", "View/Zoom", "   200%", "", B::None, nullptr},
    {"mkCustom", "View/Zoom", "   Custom...", "", B::None, nullptr},
    {"mkfast", "View", "&Fast Loading", "Fast Loading [F]", B::Main, "F"},
    {"mkMenu", "View/Display Settings", "Menu Bar", "", B::None, nullptr},
    {"mkmaintoolbar", "View/Display Settings", "Main Toolbar", "", B::None, nullptr},
    {"mkSlideshowToolbar", "View/Display Settings", "Slideshow Toolbar", "", B::None, nullptr},
    {"mkEditingToolbar", "View/Display Settings", "Editing Toolbar", "", B::None, nullptr},
    {"mkStatusBar", "View/Display Settings", "Status Bar", "", B::None, nullptr},
    {"", "View/Display Settings", "-", "", B::None, nullptr},
    {"mkResetSettings", "View/Display Settings", "Reset Settings", "", B::None, nullptr},

    // Window menu.
    {"mkCloseAllWindows", "Window", "&Close all other windows", "", B::None, nullptr},
    {"mkAddWindowsToFavorites", "Window", "&Add all other windows to Favorites", "", B::None, nullptr},

    // Help menu.
    {"Contents1", "Help", "&Contents", "", B::None, nullptr},
    {"mkkeyboard", "Help", "&Keyboard Shortcuts", "", B::None, nullptr},
    {"mkGettingStarted", "Help", "&Getting Started", "", B::None, nullptr},
    {"mkTipOfTheDay", "Help", "&Tip of the Day", "", B::None, nullptr},
    {"", "Help", "-", "", B::None, nullptr},
    {"About1", "Help", "&About...", "", B::None, nullptr},
};
// clang-format on

} // namespace

std::span<const char* const> MainMenuNames() {
    return MenuNames;
}

const char* MainMenuCaption(const char* name) {
    for (size_t i = 0; i < MenuNames.size(); ++i)
        if (std::strcmp(MenuNames[i], name) == 0) return MenuCaptions[i];
    return name;
}

std::span<const TCommand> MainCommands() {
    return Commands;
}
