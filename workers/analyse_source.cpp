// MediaInfo run (hidden, waited for) and the filling of the main window's lists.
#include "workers/analyse_source.h"

#include "base/encoding.h"
#include "model/verdict.h"
#include "platform/files.h"
#include "ui/ui.h"
#include "workers/handlers.h"

namespace kx {

namespace {

void fill(Ui& ui, int control, const std::vector<std::string>& items) {
    for (const std::string& item : items) {
        ui.addItem(control, item);
        ui.select(control, 0);
    }
}

}  // namespace

void analyseSource(AppContext& context) {
    AppState s = context.state.snapshot();
    std::string commandLine = "\"" + s.toolsFolder + "MediaInfo.exe\"" + s.mediaInfoArgs;
    context.launcher.run(commandLine, "", s.toolsFolder, runWait | runHidden);

    ReportLines lines;
    if (auto report = context.files.readFile(s.homeFolder + "mediainfo.txt")) lines = reportLinesOf(*report);
    ReportScan scan = scanReport(lines);

    const bool found = !scan.videoItems.empty() || !scan.audioItems.empty() || !scan.subtitleItems.empty();
    std::string frameRate = context.state.with([&](AppState& st) {
        st.source.takeScan(scan);
        // Nothing found: nothing of the previous file may stay shown.
        if (!found) st.source.frameRate.clear();
        return st.source.frameRate;
    });
    Ui& ui = context.ui;
    fill(ui, audioCombo, scan.audioItems);
    fill(ui, subtitleCombo, scan.subtitleItems);
    fill(ui, videoCombo, scan.videoItems);
    ui.setText(frameRateField, frameRate);
    captureChoice(context, false);  // "Ne pas extraire de srt" as it is now
    showVerdict(context);
    if (context.settings.isOn(Option::soundenable)) context.desktop.playSound();
    if (!found) {
        ui.messageBox(informationTitle, noTrackFound);
    } else if (scan.frameRate && !plausibleFrameRate(frameRate)) {
        ui.messageBox(informationTitle,
                      std::string(frameRateDoubtfulHead) + frameRate + std::string(frameRateDoubtfulTail));
    }
}

}  // namespace kx
