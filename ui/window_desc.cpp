// The main, options, About and help windows as data, and their opening.
#include "ui/window_desc.h"

#include "ui/texts.h"
#include "ui/ui.h"

namespace kx {

namespace {

using K = ControlKind;
constexpr int principal = 0, queue = 1;
constexpr int warningIcon = 2, infoIcon = 1;

constexpr ControlDesc mainControls[] = {
    {mainPanel, "mainPanel", K::tabPanel, "", 0, 0, 653, 342},
    // Tab mainTabTitle.
    {progressLabel, "progressLabel", K::label, progressText, 397, 149, 90, 19, principal},
    {addToQueueButton, "addToQueueButton", K::button, addToQueueText, 518, 239, 90, 24, principal, false, false,
     addToQueueTip, "", warningIcon},
    {frameRateLabel, "frameRateLabel", K::label, frameRateText, 67, 114, 50, 19, principal, false, false, frameRateTip},
    {frameRateField, "frameRateField", K::label, "", 147, 109, 90, 24, principal, true, true},
    {noSrtLabel, "noSrtLabel", K::label, noSrtText, 187, 285, 100, 19, principal, false, false, "",
     noSrtTipTitle},
    {noSrtCheck, "noSrtCheck", K::checkBox, "", 167, 282, 21, 19, principal, false, false, noSrtCheckTip},
    {webSiteButton, "webSiteButton", K::button, webSiteText, 517, 79, 80, 29, principal, false, false,
     webSiteTip},
    {progressBar, "progressBar", K::progress, "", 397, 169, 220, 24, principal},
    {chooseSrtButton, "chooseSrtButton", K::button, chooseSrtText, 58, 279, 90, 24, principal, false, false,
     chooseSrtTip},
    {startButton, "startButton", K::button, startText, 398, 239, 90, 24, principal, false, false,
     startTip, "", warningIcon},
    {subtitleCombo, "subtitleCombo", K::dropDown, "", 48, 239, 309, 24, principal, false, false,
     subtitleTip},
    {subtitleLabel, "subtitleLabel", K::label, subtitleText, 47, 219, 50, 19, principal},
    {audioCombo, "audioCombo", K::dropDown, "", 48, 168, 310, 24, principal, false, false,
     audioTip},
    {videoCombo, "videoCombo", K::dropDown, "", 48, 68, 310, 24, principal, false, false, videoTip},
    {logoImage, "logoImage", K::image, "", 408, 58, 64, 64, principal},
    {audioLabel, "audioLabel", K::label, audioText, 47, 149, 50, 19, principal},
    {videoLabel, "videoLabel", K::label, videoText, 48, 48, 50, 19, principal},
    {fileNameField, "fileNameField", K::label, "", 148, 9, 460, 24, principal, false, true, fileNameTip},
    {openButton, "openButton", K::button, openText, 37, 9, 90, 24, principal, false, false,
     openTip},
    {cancelButton, "cancelButton", K::button, cancelText, 458, 279, 90, 24, principal},
    // Tab "File d'attente".
    {queueList, "queueList", K::columnList, fileNameColumn, -2, -1, 650, 289, queue},
    {processQueueButton, "processQueueButton", K::button, processQueueText, 158, 291, 80, 25, queue, false, false,
     startTip, "", warningIcon},
    {clearQueueButton, "clearQueueButton", K::button, clearQueueText, 278, 291, 80, 25, queue},
    {removeLastButton, "removeLastButton", K::button, removeLastText, 398, 291, 130, 25, queue},
};

constexpr MenuItemDesc mainMenuItems[] = {
    {menuOptions, optionsMenuItem},
    {menuHelp, helpMenuItem},
    {menuAbout, aboutMenuItem},
};

constexpr std::string_view mainTabs[] = {mainTabTitle, queueTabTitle};

constexpr ControlDesc optionsControls[] = {
    {deleteTempLabel, "deleteTempLabel", K::label, deleteTempText, 40, 30, 170, 20},
    {deleteTempCheck, "deleteTempCheck", K::checkBox, "", 275, 28, 20, 20},
    {optionsFrame, "optionsFrame", K::frame, "", 10, 10, 580, 340},
    {optionsOkButton, "optionsOkButton", K::button, okText, 90, 300, 130, 30},
    {deleteBatLabel, "deleteBatLabel", K::label, deleteBatText, 40, 60, 170, 20},
    {deleteBatCheck, "deleteBatCheck", K::checkBox, "", 275, 58, 20, 20},
    {createLogLabel, "createLogLabel", K::label, createLogText, 40, 90, 140, 20},
    {createLogCheck, "createLogCheck", K::checkBox, "", 275, 88, 20, 20},
    {openLogLabel, "openLogLabel", K::label, openLogText, 40, 120, 180, 20},
    {openLogCheck, "openLogCheck", K::checkBox, "", 275, 118, 20, 20},
    {keepDtsCheck, "keepDtsCheck", K::checkBox, "", 275, 148, 20, 20},
    {keepDtsLabel, "keepDtsLabel", K::label, keepDtsText, 40, 150, 180, 20},
    {noTranscodeLabel, "noTranscodeLabel", K::label, noTranscodeText, 40, 180, 180, 20},
    {noTranscodeCheck, "noTranscodeCheck", K::checkBox, "", 275, 178, 20, 20},
    {remuxDestLabel, "remuxDestLabel", K::label, remuxDestText, 40, 210, 180, 20},
    {remuxDestCheck, "remuxDestCheck", K::checkBox, "", 275, 208, 20, 20},
    {remuxPathButton, "remuxPathButton", K::button, remuxPathText, 280, 250, 30, 20},
    {remuxPathField, "remuxPathField", K::label, "", 20, 250, 250, 20, -1, false, true},
    {muxSrtLabel, "muxSrtLabel", K::label, muxSrtText, 340, 30, 170, 20},
    {muxSrtCheck, "muxSrtCheck", K::checkBox, "", 560, 28, 20, 20},
    {useSonicLabel, "useSonicLabel", K::label, useSonicText, 340, 60, 170, 20, -1, false, false,
     useSonicTip, "", infoIcon},
    {useSonicCheck, "useSonicCheck", K::checkBox, "", 560, 58, 20, 20, -1, false, false,
     useSonicTip, "", infoIcon},
    {dtsFixLabel, "dtsFixLabel", K::label, dtsFixText, 340, 90, 170, 20},
    {dtsFixCheck, "dtsFixCheck", K::checkBox, "", 560, 88, 20, 20},
    {soundEnableLabel, "soundEnableLabel", K::label, soundEnableText, 340, 120, 170, 20},
    {soundEnableCheck, "soundEnableCheck", K::checkBox, "", 560, 118, 20, 20},
    {checkUpdateLabel, "checkUpdateLabel", K::label, checkUpdateText, 340, 150, 200, 20},
    {checkUpdateCheck, "checkUpdateCheck", K::checkBox, "", 560, 148, 20, 20},
    {optionsHelpButton, "optionsHelpButton", K::button, optionsHelpText, 390, 300, 130, 30},
    {ac3448Label, "ac3448Label", K::label, ac3448Text, 340, 180, 170, 20},
    {ac3448Check, "ac3448Check", K::checkBox, "", 560, 178, 20, 20},
    {keepEac3Label, "keepEac3Label", K::label, keepEac3Text, 340, 210, 170, 20},
    {keepEac3Check, "keepEac3Check", K::checkBox, "", 560, 208, 20, 20},
};

constexpr ControlDesc aboutControls[] = {
    {aboutAuthorLabel, "aboutAuthorLabel", K::label, aboutAuthorText, 80, 130, 110, 20, -1, true},
    {aboutTitleLabel, "aboutTitleLabel", K::label, aboutTitleText, 130, 20, 240, 20},
    {aboutThanksLabel, "aboutThanksLabel", K::label, aboutThanksText, 260, 130, 180, 20,
     -1, true},
    {aboutSiteLabel, "aboutSiteLabel", K::label, aboutSiteText, 110, 160, 50, 20, -1, true},
    {aboutSiteLink, "aboutSiteLink", K::hyperlink, "", 290, 160, 200, 20},
    {aboutOkButton, "aboutOkButton", K::button, okText, 181, 220, 130, 50},
    {aboutVersionLabel, "aboutVersionLabel", K::label, aboutVersionText, 440, 260, 50, 20},
    {aboutTaglineLabel, "aboutTaglineLabel", K::label, aboutTaglineText, 160, 50, 170, 20},
    {aboutUpperFrame, "aboutUpperFrame", K::frame, "", 10, 10, 490, 90, -1, false, true},
    {aboutLowerFrame, "aboutLowerFrame", K::frame, "", 10, 110, 490, 90, -1, false, true},
    {aboutFeaturesLabel, "aboutFeaturesLabel", K::label, aboutFeaturesText, 150, 70, 180, 20},
};

constexpr ControlDesc helpControls[] = {
    {helpPage, "helpPage", K::webPage, "", 10, 10, 1024, 768},
};

const WindowDesc mainDesc{mainWindow,   mainWindowTitle, 650,           383,  true, WindowFrame::fixedWithMinimise,
                          mainControls, mainMenuTitle,   mainMenuItems, true, mainTabs};
const WindowDesc optionsDesc{optionsWindow,   optionsWindowTitle, 600, 362, true, WindowFrame::resizableNoClose,
                             optionsControls};
const WindowDesc aboutDesc{aboutWindow, aboutWindowTitle, 508, 286, true, WindowFrame::titleOnly, aboutControls};
const WindowDesc helpDesc{helpWindow, helpWindowTitle, 1040, 768, false, WindowFrame::closable, helpControls};

bool openWithTips(Ui& ui, const WindowDesc& desc) {
    if (!ui.openWindow(desc)) return false;
    for (const ControlDesc& c : desc.controls)
        if (!c.tip.empty() || !c.tipTitle.empty()) ui.showBalloonTip(c.id, c.tip, c.tipTitle, c.tipIcon);
    return true;
}

}  // namespace

const WindowDesc& mainWindowDesc() { return mainDesc; }
const WindowDesc& optionsWindowDesc() { return optionsDesc; }
const WindowDesc& aboutWindowDesc() { return aboutDesc; }
const WindowDesc& helpWindowDesc() { return helpDesc; }

bool openMainWindow(Ui& ui) { return openWithTips(ui, mainDesc); }

bool openOptionsWindow(Ui& ui) { return openWithTips(ui, optionsDesc); }

bool openAboutWindow(Ui& ui, std::string_view siteRoot) {
    if (!openWithTips(ui, aboutDesc)) return false;
    ui.setText(aboutSiteLink, siteRoot);
    return true;
}

bool openHelpWindow(Ui& ui, std::string_view pageUrl) {
    if (!openWithTips(ui, helpDesc)) return false;
    ui.setText(helpPage, pageUrl);
    return true;
}

std::string helpPageUnavailableText(std::string_view pageUrl) {
    std::string text(helpPageUnavailableHead);
    return text.append(pageUrl);
}

}  // namespace kx
