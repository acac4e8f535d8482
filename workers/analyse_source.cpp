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

}  // namespace

void analyseSource(AppContext& context) {
    AppState s = context.state.snapshot();
    std::string commandLine = "\"" + s.toolsFolder + "MediaInfo.exe\"" + s.mediaInfoArgs;
    context.launcher.run(commandLine, "", s.toolsFolder, runWait | runHidden);

    ReportLines lines;
    if (auto report = context.files.readFile(s.homeFolder + "mediainfo.txt")) lines = reportLinesOf(*report);
    ReportScan scan = scanReport(lines);

    std::string frameRate = context.state.with([&](AppState& st) {
        st.source.takeScan(scan);
        return st.source.frameRate;
    });
    Ui& ui = context.ui;
    fill(ui, audioCombo, scan.audioItems);
    fill(ui, subtitleCombo, scan.subtitleItems);
    fill(ui, videoCombo, scan.videoItems);
    ui.setText(frameRateField, frameRate);
    ui.setStatus(std::string(analysisDoneLowerStatus) + audioVerdictOf(scan, context.settings));
    if (context.settings.isOn(Option::soundenable)) context.desktop.playSound();
}

}  // namespace kx
