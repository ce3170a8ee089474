#include "main_commands.h"

#include "frm_main.h"

namespace {

using B = TCommandBar;

constexpr TMenu Menus[] = {{"File", "&File"}, {"Edit", "&Edit"},     {"Thumbnails", "&Thumbnails"},
                           {"View", "&View"}, {"Window", "&Window"}, {"Help", "&Help"}};

// The menu bar on its own line, then the main toolbar, then the slideshow and editing toolbars
// sharing a line (they are never shown together).
constexpr TToolbar Toolbars[] = {
    {"MenuBar", B::None, &TSettings::MenuViz, true, 0, 0},
    {"MainToolbar", B::Main, &TSettings::ToolbarViz, true, 1, 0},
    {"SlideshowToolbar", B::Slideshow, nullptr, false, 2, 0},
    {"EditingToolbar", B::Editing, &TSettings::EditingViz, false, 2, 1}};

// clang-format off
constexpr TCommand Commands[] = {
    // Toolbar-only buttons of the main toolbar.
    {"btnfirst", nullptr, "First", "First image", B::Main, "go-first"},
    {"btnprevious", nullptr, "Previous", "Previous image", B::Main, "go-previous"},
    {"btnnext", nullptr, "Next", "Next image", B::Main, "go-next"},
    {"btnlast", nullptr, "Last", "Last image", B::Main, "go-last"},
    {"btnrandom", nullptr, "Random", "Shows an image at random [*]", B::Main, "media-playlist-shuffle"},
    {"btnzoomin", nullptr, "Zoom In", "Zoom In (Ctrl+click: Stretch to Fit) [+]", B::Main, "zoom-in"},
    {"btnzoomout", nullptr, "Zoom Out", "Zoom Out", B::Main, "zoom-out"},
    {"btnstop", nullptr, "Stop", "Stop loading current image (Ctrl+click: Reset All) [0]", B::Main, "process-stop"},
    {"btnfullscreen", nullptr, "Full Screen", "Show image full screen [Space]", B::Main, "view-fullscreen"},
    {"btnslideshow", nullptr, "Slideshow", "Slideshow (Ctrl+click: Reset Slideshow Options) [S]", B::Main, "media-playback-start"},
    {"btnmultishow", nullptr, "Multishow", "Displays images in sequence in multiple rows and columns", B::Main, "view-grid"},
    {"btnnewwindow", nullptr, "New Window", "Launch into a new image window [N] (Ctrl+click: Close All Image Windows) ", B::Main, "window-new"},
    {"btnthumbmode", nullptr, "File Display", "Switch between Thumbnails, Small Thumbs and Filenames", B::Main, "view-list-icons", nullptr, &TfrmMain::SetThumbModeFromCommand},
    {"btnsort", nullptr, "Sort", "File sorting", B::Main, "view-sort-ascending", nullptr, &TfrmMain::popFileSortPopup}, // drops down the File Sorting menu
    {"btnbookmark", nullptr, "Add to Favorites", "Add the selected file(s) to your current Favorites list [B]", B::Main, "bookmark-new"},
    {"btnRemoveBookmark", nullptr, "Remove Favorite", "Removes the selected Favorite(s) [Alt+B]", B::Main, "bookmark-remove"},
    {"Renamebtn", nullptr, "Rename", "Rename the selected file(s)", B::Main, "edit-rename"},
    {"btnMove", nullptr, "Move", "Move the selected file(s) to a new folder [X]", B::Main, "glimmet-move-to-folder"},
    {"btnCopy", nullptr, "Copy", "Copy the selected file(s) to a new folder [C]", B::Main, "glimmet-copy-to-folder"},
    {"Deletebtn", nullptr, "Delete", "Delete the selected file(s) and or file reference(s) [Del]", B::Main, "edit-delete"},
    {"btnemail", nullptr, "E-mail", "E-mails the selected file(s)", B::Main, "mail-send"},
    {"btnFileInfo", nullptr, "File Information", "Show information on the current file", B::Main, "document-properties", nullptr, &TfrmMain::mkFileInfoClick},
    {"Printbtn", nullptr, "Print", "Print the current image  [Ctrl+P]", B::Main, "document-print"},
    {"btnHelp", nullptr, "Help", "Display Help contents [F1]", B::Main, "help-contents"},

    // File menu.
    {"mkAddtoFavorites", "File", "Add to Favorites"},
    {"mkRename", "File", "&Rename..."},
    {"mkCopy", "File", "&Copy..."},
    {"mkMove", "File", "&Move..."},
    {"mkDelete", "File", "&Delete... "},
    {"mkFileInfo", "File", "File Information...", "", B::None, nullptr, nullptr, &TfrmMain::mkFileInfoClick},
    {"mkEmail", "File", "E-mail Image..."},
    {"", "File", "-"},
    {"mkSave", "File", "Save", "Save the current file changes [Ctrl+S]", B::Main, "document-save", "Ctrl+S"},
    {"mkSaveAs", "File", "&Save as..."},
    {"mkWallpaperCentered", "File/Set Image as Wallpaper", "   Centered"},
    {"mkWallpaperTiled", "File/Set Image as Wallpaper", "   Tiled"},
    {"mkWallpaperStretched", "File/Set Image as Wallpaper", "   Stretched"},
    {"", "File", "-"},
    {"mkPrint", "File", "&Print...", "", B::None, nullptr, "Ctrl+P"},
    {"mkExternalPrint", "File", "External Print...", "", B::None, nullptr, nullptr, nullptr, nullptr, true},
    {"mkCreateHTML", "File", "Create Web Page Thumbnail Index..."},
    {"mkCreateLists", "File", "Create File List..."},
    {"mkThumbsheets", "File", "Create Thumbnail Sheets..."},
    {"", "File", "-"},
    {"mkAcquire", "File", "&Acquire from Camera/Scanner...", "Acquire from Camera/Scanner", B::Main, "scanner"},
    {"mkWatchdirectory", "File", "Watch Folder...", "", B::None, nullptr, nullptr, nullptr, nullptr, true},
    {"mkOptions", "File", "Options..."},
    {"", "File", "-"},
    {"mkExit", "File", "E&xit", "", B::None, nullptr, nullptr, &TfrmMain::mkExitClick},

    // The file pop-up menu's own commands (file_popup.cpp places them).
    {"mkFileDescription", nullptr, "File Description...", "", B::None, nullptr, nullptr, &TfrmMain::mkFileDescriptionClick},

    // Edit menu and the editing toolbar.
    {"mkUndo", "Edit", "Undo Changes", "Undo the last action [Ctrl+Z]", B::Main, "edit-undo", "Ctrl+Z"},
    {"mkOpenInEditor", "Edit", "Open in &Editor"},
    {"mkClipboard", "Edit", "Copy Image to Clipboard", "Copy the image to the clipboard [Ctrl+C]", B::Editing, "edit-copy", "Ctrl+C"},
    {"btnrotate90", nullptr, "Rotate 90", "Rotate Image 90 deg. clockwise", B::Editing, "object-rotate-right"},
    {"btnrotate270", nullptr, "Rotate 270", "Rotate Image 90 deg. counter-clockwise", B::Editing, "object-rotate-left"},
    {"mkRotate", "Edit", "&Rotate and Flip Image", "Rotate or Flip the image", B::Editing, "object-flip-horizontal"},
    {"mkCrop", "Edit", "Crop Image", "Crop the image to remove unwanted sections from its borders", B::Editing, "transform-crop"},
    {"mkResize", "Edit", "Resize Image", "Resize the image", B::Editing, "transform-scale"},
    {"mkRedEye", "Edit", "Remove Red Eye", "Remove the red eye effect that occurs with flash photography", B::Editing, "glimmet-red-eye"},
    {"mkBCG", "Edit/Effects", "  BCG Filter"},
    {"mkHSV", "Edit/Effects", "  HSV Filter"},
    {"mkRGB", "Edit/Effects", "  RGB Filter"},
    {"mkGreyScale", "Edit/Effects", "  Grey Scale"},
    {"mkSharpen", "Edit/Effects", "  Sharpen Image"},
    {"mkSmooth", "Edit/Effects", "  Smooth Image"},
    {"mkContour", "Edit/Effects", "  Contour Image"},

    // Thumbnails menu.
    {"mkFilterAll", "Thumbnails/File Filter", "All Image Formats", "", B::None, nullptr, nullptr, &TfrmMain::mkeffalseClick},
    {"mkFilterFiles", "Thumbnails/File Filter", "All Files", "", B::None, nullptr, nullptr, &TfrmMain::mkeffalseClick},
    {"mkFilterGIF", "Thumbnails/File Filter", "Compuserve GIF (*.gif)", "", B::None, nullptr, nullptr, &TfrmMain::mkeffalseClick},
    {"mkFilterJPEG", "Thumbnails/File Filter", "JPEG Image (*.jpg, *.jpeg)", "", B::None, nullptr, nullptr, &TfrmMain::mkeffalseClick},
    {"mkFilterPortable", "Thumbnails/File Filter", "Portable Formats (*.pbm, *.pgm, *.ppm)", "", B::None, nullptr, nullptr, &TfrmMain::mkeffalseClick},
    {"mkFilterPNG", "Thumbnails/File Filter", "Portable Network Graphics (*.png)", "", B::None, nullptr, nullptr, &TfrmMain::mkeffalseClick},
    {"mkFilterTIFF", "Thumbnails/File Filter", "Tagged Image File Format (*.tif)", "", B::None, nullptr, nullptr, &TfrmMain::mkeffalseClick},
    {"mkFilterTGA", "Thumbnails/File Filter", "Truevision Targa (*.tga)", "", B::None, nullptr, nullptr, &TfrmMain::mkeffalseClick},
    {"mkFilterPCX", "Thumbnails/File Filter", "PC Paintbrush (*.pcx)", "", B::None, nullptr, nullptr, &TfrmMain::mkeffalseClick},
    {"mkFilterBMP", "Thumbnails/File Filter", "Windows Bitmap (*.bmp, *.rle, *.dib)", "", B::None, nullptr, nullptr, &TfrmMain::mkeffalseClick},
    {"mkFilterICO", "Thumbnails/File Filter", "Windows Icon (*.ico)", "", B::None, nullptr, nullptr, &TfrmMain::mkeffalseClick},
    {"mkFilterWMF", "Thumbnails/File Filter", "Windows Metafiles (*.wmf,*.emf)", "", B::None, nullptr, nullptr, &TfrmMain::mkeffalseClick},
    {"mkFilterFalse", "Thumbnails/File Filter", "Glimmet False Extensions", "", B::None, nullptr, nullptr, &TfrmMain::mkeffalseClick},
    {"mkSortName", "Thumbnails/File Sorting", "Filename", "", B::None, nullptr, nullptr, &TfrmMain::mkSortClick},
    {"mkSortType", "Thumbnails/File Sorting", "File Type", "", B::None, nullptr, nullptr, &TfrmMain::mkSortClick},
    {"mkSortSize", "Thumbnails/File Sorting", "File Size", "", B::None, nullptr, nullptr, &TfrmMain::mkSortClick},
    {"mkSortDate", "Thumbnails/File Sorting", "File Date", "", B::None, nullptr, nullptr, &TfrmMain::mkSortClick},
    {"", "Thumbnails/File Sorting", "-"},
    {"mkSortDescending", "Thumbnails/File Sorting", "Descending", "", B::None, nullptr, nullptr, &TfrmMain::mkSortClick},
    {"", "Thumbnails", "-"},
    {"pukFilenames", "Thumbnails", "Filenames", "", B::None, nullptr, nullptr, &TfrmMain::SetThumbModeFromCommand},
    {"pukSmallThumbs", "Thumbnails", "Small Thumbs", "", B::None, nullptr, nullptr, &TfrmMain::SetThumbModeFromCommand},
    {"pukThumbnails", "Thumbnails", "Thumbnails", "", B::None, nullptr, nullptr, &TfrmMain::SetThumbModeFromCommand},
    {"mkFSThumbs", "Thumbnails", "Show Thumbnails Full-Screen"},

    // View menu and the slideshow toolbar.
    {"mkFullScreen", "View", "&Full Screen &View"},
    {"mkNewWindow", "View", "Open in &New Window"},
    {"mkSlideshow", "View", "&Slideshow"},
    {"mkMultishow", "View", "Multishow"},
    {"btnssdown", nullptr, "Reverse", "Slideshow in reverse order", B::Slideshow, "media-seek-backward"},
    {"btnssup", nullptr, "Forward", "Slideshow in forward order", B::Slideshow, "media-seek-forward"},
    {"btnssrandom", nullptr, "Random", "Slideshow in random order", B::Slideshow, "media-playlist-shuffle"},
    {"btnssloop", nullptr, "Loop", "Loops the slideshow continuously", B::Slideshow, "media-playlist-repeat"},
    {"mkZoom10", "View/Zoom", "   10%"},
    {"mkZoom25", "View/Zoom", "   25%"},
    {"mkZoom50", "View/Zoom", "   50%"},
    {"mkZoom75", "View/Zoom", "   75%"},
    {"mkZoom100", "View/Zoom", "   100%"},
    {"mkZoom125", "View/Zoom", "   125%"},
    {"mkZoom150", "View/Zoom", "   150%"},
    {"mkZoom175", "View/Zoom", "   175%"},
    {"mkZoom200", "View/Zoom", "   200%"},
    {"mkCustom", "View/Zoom", "   Custom..."},
    {"mkfast", "View", "&Fast Loading", "Fast Loading [F]", B::Main, "glimmet-fast"},
    {"mkMenu", "View/Display Settings", "Menu Bar", "", B::None, nullptr, "Ctrl+M", &TfrmMain::ToggleBar, &TSettings::MenuViz},
    {"mkmaintoolbar", "View/Display Settings", "Main Toolbar", "", B::None, nullptr, "Ctrl+T", &TfrmMain::ToggleBar, &TSettings::ToolbarViz},
    {"mkSlideshowToolbar", "View/Display Settings", "Slideshow Toolbar", "", B::None, nullptr, nullptr, &TfrmMain::ToggleBar, &TSettings::SlideshowViz},
    {"mkEditingToolbar", "View/Display Settings", "Editing Toolbar", "", B::None, nullptr, nullptr, &TfrmMain::ToggleBar, &TSettings::EditingViz},
    {"mkStatusBar", "View/Display Settings", "Status Bar", "", B::None, nullptr, "Ctrl+B", &TfrmMain::ToggleBar, &TSettings::StatusViz},
    {"", "View/Display Settings", "-"},
    {"mkResetSettings", "View/Display Settings", "Reset Settings", "", B::None, nullptr, nullptr, &TfrmMain::mkResetSettingsClick},

    // Window menu.
    {"mkCloseAllWindows", "Window", "&Close all other windows"},
    {"mkAddWindowsToFavorites", "Window", "&Add all other windows to Favorites"},

    // Help menu.
    {"Contents1", "Help", "&Contents"},
    {"mkkeyboard", "Help", "&Keyboard Shortcuts"},
    {"mkGettingStarted", "Help", "&Getting Started", "", B::None, nullptr, nullptr, &TfrmMain::mkGettingStartedClick},
    {"mkTipOfTheDay", "Help", "&Tip of the Day", "", B::None, nullptr, nullptr, &TfrmMain::mkTipOfTheDayClick},
    {"", "Help", "-"},
    {"About1", "Help", "&About..."},
};
// clang-format on

} // namespace

std::span<const TMenu> MainMenus() {
    return Menus;
}

std::span<const TCommand> MainCommands() {
    return Commands;
}

std::span<const TToolbar> MainToolbars() {
    return Toolbars;
}
