// The program's windows written down once, as data: numbers, kinds, captions,
// geometry, tool-tips, creation order and frames. Every front end builds its
// windows from these descriptions; the rest of the program uses the numbers.
#pragma once

#include <span>
#include <string>
#include <string_view>

namespace kx {

class Ui;

// Windows.
inline constexpr int mainWindow = 0, optionsWindow = 1, aboutWindow = 2, helpWindow = 8;

// Main menu items.
inline constexpr int menuOptions = 0, menuHelp = 1, menuAbout = 2;

// Main window, tab "Principale".
inline constexpr int progressLabel = 0, addToQueueButton = 19, frameRateLabel = 20, frameRateField = 21,
                     noSrtLabel = 22, noSrtCheck = 23, webSiteButton = 24, progressBar = 25, chooseSrtButton = 26,
                     startButton = 27, subtitleCombo = 28, subtitleLabel = 29, audioCombo = 30, videoCombo = 31,
                     logoImage = 32, audioLabel = 33, videoLabel = 34, fileNameField = 35, openButton = 36,
                     cancelButton = 39;
// Main window, the panel and tab "File d'attente".
inline constexpr int mainPanel = 18, queueList = 37, processQueueButton = 38, clearQueueButton = 40,
                     removeLastButton = 41;

// Options window.
inline constexpr int deleteTempLabel = 1, deleteTempCheck = 2, optionsFrame = 3, optionsOkButton = 4,
                     deleteBatLabel = 11, deleteBatCheck = 12, createLogLabel = 42, createLogCheck = 43,
                     openLogLabel = 44, openLogCheck = 45, keepDtsCheck = 46, keepDtsLabel = 47,
                     noTranscodeLabel = 48, noTranscodeCheck = 49, remuxDestLabel = 50, remuxDestCheck = 51,
                     remuxPathButton = 52, remuxPathField = 53, muxSrtLabel = 54, muxSrtCheck = 55,
                     useSonicLabel = 56, useSonicCheck = 57, dtsFixLabel = 58, dtsFixCheck = 59,
                     soundEnableLabel = 60, soundEnableCheck = 61, checkUpdateLabel = 62, checkUpdateCheck = 63,
                     optionsHelpButton = 64, ac3448Label = 71, ac3448Check = 72, keepEac3Label = 73,
                     keepEac3Check = 74;

// About window.
inline constexpr int aboutAuthorLabel = 5, aboutTitleLabel = 6, aboutThanksLabel = 7, aboutSiteLabel = 8,
                     aboutSiteLink = 9, aboutOkButton = 10, aboutVersionLabel = 13, aboutTaglineLabel = 14,
                     aboutUpperFrame = 15, aboutLowerFrame = 16, aboutFeaturesLabel = 17;

// Help window.
inline constexpr int helpPage = 70;

enum class ControlKind {
    label,       // static single-line text, no focus
    button,      // push button
    checkBox,    // two-state box without caption, toggles itself
    dropDown,    // combo box that cannot be typed into; 350 pixels high when open
    columnList,  // list with columns, report view, headers, one row selectable
    progress,    // smooth, range 0 to 100, no text
    image,       // the 64 x 64 program logo
    frame,       // group box without caption (sunken: a recessed rectangle)
    hyperlink,   // black text, not underlined, hand pointer; a release reports the control
    tabPanel,    // the main window's two-tab panel
    webPage,     // shows the page whose address is set as its text
};

struct ControlDesc {
    int id;
    std::string_view name;
    ControlKind kind;
    std::string_view caption;
    int x, y, width, height;
    int page = -1;          // the main panel's page holding the control, -1: the window itself
    bool centred = false;   // text centred (labels)
    bool sunken = false;    // recessed border (fields, frames)
    std::string_view tip{}; // balloon tool-tip text; none when empty
    std::string_view tipTitle{};
    int tipIcon = 0;        // 0 none, 1 information, 2 warning, 3 error
};

enum class WindowFrame {
    fixedWithMinimise,  // title bar, close and minimise boxes, fixed size
    resizableNoClose,   // resizable border, no system menu, no close box
    titleOnly,          // title bar only, fixed size, no close box
    closable,           // title bar with a close box
};

struct MenuItemDesc {
    int id;
    std::string_view text;
};

struct WindowDesc {
    int id;
    std::string_view title;
    int clientWidth, clientHeight;
    bool centred;  // otherwise at the top-left corner of the screen
    WindowFrame frame;
    std::span<const ControlDesc> controls;  // in creation order, which is the Tab order
    std::string_view menuTitle{};           // a menu bar with one title when not empty
    std::span<const MenuItemDesc> menuItems{};
    bool statusBar = false;                 // one field over the full width, at least 18 pixels high
    std::span<const std::string_view> tabs{};  // page titles of the tabPanel control
};

// Whether the user can close a window of this frame (its close box).
constexpr bool hasCloseBox(WindowFrame frame) {
    return frame == WindowFrame::fixedWithMinimise || frame == WindowFrame::closable;
}

// Whether a control of this kind is a stop of the Tab key.
constexpr bool takesFocus(ControlKind kind) {
    switch (kind) {
        case ControlKind::button:
        case ControlKind::checkBox:
        case ControlKind::dropDown:
        case ControlKind::columnList:
        case ControlKind::tabPanel:
        case ControlKind::webPage: return true;
        default: return false;
    }
}

const WindowDesc& mainWindowDesc();
const WindowDesc& optionsWindowDesc();
const WindowDesc& aboutWindowDesc();
const WindowDesc& helpWindowDesc();

// Open a window from its description, then attach its balloon tool-tips.
// The About window's link and the help page get the site's addresses.
bool openMainWindow(Ui& ui);
bool openOptionsWindow(Ui& ui);
bool openAboutWindow(Ui& ui, std::string_view siteRoot);
bool openHelpWindow(Ui& ui, std::string_view pageUrl);

// What the help page shows when its page could not be fetched: that it could
// not be loaded, and the address to open later.
std::string helpPageUnavailableText(std::string_view pageUrl);

}  // namespace kx
