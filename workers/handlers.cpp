// The handlers' work on the session, the lists and the queue.
#include "workers/handlers.h"

#include "base/encoding.h"
#include "base/text.h"
#include "model/audio_kinds.h"
#include "platform/files.h"
#include "ui/ui.h"

namespace kx {

namespace {

void clearTrackLists(Ui& ui) {
    ui.clearItems(videoCombo);
    ui.clearItems(audioCombo);
    ui.clearItems(subtitleCombo);
}

}  // namespace

void waitForAnalysis(AppContext& context) {
    if (context.waitForAnalysis) context.waitForAnalysis();
}

void forgetSource(AppContext& context) {
    std::string home = context.state.with([](AppState& s) {
        s.source.tracks = {};
        s.source.forgetLists();
        return s.homeFolder;
    });
    clearTrackLists(context.ui);
    context.files.removeFile(home + "mediainfo.txt");
}

void chooseSource(AppContext& context, const std::string& chosen) {
    context.state.with([&](AppState& s) {
        s.source.path = chosen;
        s.source.folder = folderPart(chosen);
        s.source.name = filePart(chosen);
    });
}

void loadSource(AppContext& context, const std::string& path) {
    context.state.with([&](AppState& s) {
        s.source.path = path;
        s.source.folder = folderPart(path);
        s.mediaInfoArgs = " \"" + path + "\" --LogFile=\"" + s.homeFolder + "mediainfo.txt\"";
    });
    context.ui.setText(fileNameField, filePart(path));
}

void addExternalSubtitle(AppContext& context, const std::string& srt) {
    // A cancelled dialog leaves the choice as it was.
    if (srt.empty()) return;
    context.state.with([&](AppState& s) { s.source.addExternalSubtitle(srt); });
    context.ui.insertItem(subtitleCombo, 0, filePart(srt));
    context.ui.select(subtitleCombo, 0);
}

void captureChoice(AppContext& context, bool selections) {
    Ui& ui = context.ui;
    TrackChoice choice{ui.selected(videoCombo), ui.selected(audioCombo), ui.selected(subtitleCombo),
                       ui.checked(noSrtCheck)};
    context.state.with([&](AppState& s) {
        if (selections)
            s.source.choice = choice;
        else
            s.source.choice.noSrt = choice.noSrt;
    });
}

RunPlan currentRunPlan(AppContext& context) {
    RunInputs in = context.state.with([&](AppState& s) {
        return s.source.runInputs(context.settings.getOption(Option::remuxdest),
                                  context.settings.getOption(Option::cheminremux));
    });
    in.keepEac3 = context.settings.isOn(Option::keepeac3);
    in.transcoderReadsOgg = fs::transcoderReadsOggAudio();
    return makeRunPlan(in);
}

std::vector<std::string> currentVerdict(AppContext& context) {
    VerdictInputs in = context.state.with([](AppState& s) { return s.source.verdictInputs(); });
    Settings& settings = context.settings;
    // A repair of a track that is not DTS turns the transcode on (applyDtsFixRule).
    const bool repairTurnsOn = settings.isOn(Option::dtsfix) && in.audio && toLower(in.audio->format) != "dts";
    in.converting = settings.isOff(Option::notranscode) || repairTurnsOn;
    in.keepEac3 = settings.isOn(Option::keepeac3);
    in.transcoderReadsOgg = fs::transcoderReadsOggAudio();
    in.rate = ac3Rate(settings.getOption(Option::ac3448));
    return verdictItems(in);
}

void showVerdict(AppContext& context) {
    std::string brief = briefVerdict(currentVerdict(context));
    if (!brief.empty()) brief.insert(0, verdictSeparator);
    context.ui.setStatus(std::string(analysisDoneLowerStatus) + brief);
}

ScriptContext currentScriptContext(AppContext& context) {
    ScriptContext c;
    Settings& settings = context.settings;
    c.option = [&settings](Option key) { return settings.getOption(key); };
    context.state.with([&](AppState& s) {
        c.subtitleSelected = s.source.subtitleSelected();
        c.noSrtChecked = s.source.choice.noSrt;
        c.srtPath = s.source.srtPath;
        c.frameRate = s.source.frameRate;
    });
    c.fileExists = [&files = context.files](const std::string& path) { return files.exists(path); };
    if (!c.srtPath.empty())
        if (auto bytes = context.files.readFile(c.srtPath)) c.srtCharset = std::string(textFileCharset(*bytes));
    return c;
}

void clearCurrentFile(AppContext& context) {
    Ui& ui = context.ui;
    clearTrackLists(ui);
    ui.setText(frameRateField, "");
    ui.setText(fileNameField, "");
    context.state.with([](AppState& s) { s.source.endRun(); });
}

JobQueue::Place reserveJob(AppContext& context) {
    const std::string home = context.state.with([](AppState& s) { return s.homeFolder; });
    JobQueue::Place place = context.queue.add(home);
    if (place.firstOfQueue) context.ui.clearItems(queueList);
    return place;
}

void clearQueue(AppContext& context) {
    context.queue.clear();
    context.ui.clearItems(queueList);
}

void removeLastJob(AppContext& context) {
    if (int removed = context.queue.removeLast()) context.ui.removeRow(queueList, removed - 1);
}

}  // namespace kx
