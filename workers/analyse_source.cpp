// MediaInfo run (hidden, waited for) and the filling of the main window's lists.
#include "workers/analyse_source.h"

#include "base/encoding.h"
#include "model/audio_kinds.h"
#include "platform/files.h"
#include "ui/ui.h"

namespace kx {

namespace {

void fill(Ui& ui, int control, const std::vector<std::string>& items) {
    for (const std::string& item : items) {
        ui.addItem(control, item);
        ui.select(control, 0);
    }
}

// What becomes of the first audio track (the one chosen after the analysis)
// with the settings of now, after a dash; empty without audio.
std::string audioVerdictOf(const ReportScan& scan, Settings& settings) {
    if (scan.audioRecords.empty()) return {};
    const TrackRecord& track = scan.tracks[scan.audioRecords.front()];
    AudioTreatment audio = audioTreatment(track.format, track.profile, track.channels,
                                          settings.isOn(Option::keepeac3), fs::transcoderReadsOggAudio());
    const bool converting = settings.isOff(Option::notranscode);
    return std::string(verdictSeparator) +
           audioVerdict(audio, track.channels, converting, ac3Rate(settings.getOption(Option::ac3448)));
}

// A frame rate a video can have: 10 to 121 images a second. A rate read
// wrongly from the report (0.599) would give a result of a wrong length.
// Read with a dot whatever the system's locale ("23.976").
bool plausibleFrameRate(const std::string& rate) {
    double value = 0, scale = 0;
    bool digits = false;
    for (char c : rate) {
        if (c == '.' && scale == 0) {
            scale = 1;
        } else if (c >= '0' && c <= '9') {
            digits = true;
            if (scale == 0) {
                value = value * 10 + (c - '0');
            } else {
                scale /= 10;
                value += (c - '0') * scale;
            }
            if (value > 1000) return false;
        } else {
            break;
        }
    }
    return digits && value >= 10.0 && value <= 121.0;
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
    ui.setStatus(std::string(analysisDoneLowerStatus) + audioVerdictOf(scan, context.settings));
    if (context.settings.isOn(Option::soundenable)) context.desktop.playSound();
    if (!found) {
        ui.messageBox(informationTitle, noTrackFound);
    } else if (scan.frameRate && !plausibleFrameRate(frameRate)) {
        ui.messageBox(informationTitle,
                      std::string(frameRateDoubtfulHead) + frameRate + std::string(frameRateDoubtfulTail));
    }
}

}  // namespace kx
