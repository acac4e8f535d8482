// Start-up, the event loop and every menu and control handler. Long jobs are
// started here on workers, one per kind; a second "Lancer !" during a run is
// told, other requests for a kind that is still running are dropped. Each
// run holds a stop signal that "Annuler" requests, and so does closing the
// program during a run once the user has said yes.
#include "shell/shell.h"

#include <algorithm>
#include <utility>

#include "workers/analyse_source.h"
#include "model/path_checks.h"
#include "base/text.h"
#include "shell/update_check.h"
#include "workers/handlers.h"
#include "workers/queue.h"
#include "workers/run_checks.h"
#include "workers/run_immediate.h"
#include "base/encoding.h"
#include "platform/files.h"
#include "ui/ui.h"

namespace kx {

namespace {

// Double quotes and control characters would break the quoting of the
// scripts that carry the path.
bool scriptSafe(std::string_view path) {
    for (char c : path)
        if (c == '"' || (unsigned char)c < 0x20 || c == 0x7F) return false;
    return true;
}

// Starts a run on its worker, telling the front end that it starts and,
// however it ends, that it has ended.
void startRun(Ui& ui, RunKind kind, Worker& worker, std::function<void()> run,
              std::function<void(const std::string&)> failed) {
    ui.runStarted(kind);
    worker.start([&ui, kind, run = std::move(run)] { run(); ui.runEnded(kind); },
                 [&ui, kind, failed = std::move(failed)](const std::string& problem) {
                     ui.runEnded(kind);
                     failed(problem);
                 });
}

}  // namespace

namespace {

ShellConfig withDefaults(ShellConfig config) {
    if (config.settingsFile.empty()) config.settingsFile = config.programFolder + "options.txt";
    if (config.workFolder.empty()) config.workFolder = config.programFolder;
    return config;
}

}  // namespace

Shell::Shell(Ui& ui, Services services, ShellConfig config)
    : ui_(ui),
      services_(services),
      config_(withDefaults(std::move(config))),
      settings_(config_.settingsFile, services_.files),
      queue_(services_.files),
      made_(services_.files, config_.workFolder + std::string(madeFilesRecord)),
      context_{ui_, settings_, state_, services_.launcher, services_.desktop, services_.files, queue_, made_,
               [this] { analysisWorker_.waitIdle(); }} {}

Shell::~Shell() { waitIdle(Worker::Clock::now() + std::chrono::seconds(5)); }

std::array<const Worker*, 6> Shell::workers() const {
    return {&analysisWorker_, &runWorker_, &queueAddWorker_, &queueRunWorker_, &updateWorker_, &quitWorker_};
}

bool Shell::busy() const {
    auto all = workers();
    return std::any_of(all.begin(), all.end(), [](const Worker* w) { return w->running(); });
}

bool Shell::waitIdle(Worker::Clock::time_point deadline) const {
    // A job may start another before it ends: wait until all are idle at once.
    for (;;) {
        for (const Worker* w : workers())
            if (!w->waitIdle(deadline)) return false;
        if (!busy()) return true;
    }
}

int Shell::run() {
    if (!startUp()) return 0;
    for (;;) {
        Event event = ui_.waitEvent();
        if (event.kind == Event::close) {
            if (mayQuit()) break;
        } else if (quitting_) {
            // Nothing more is started while the runs stop for the program to quit.
        } else if (event.kind == Event::menu) {
            onMenu(event.id);
        } else {
            onControl(event.id);
        }
    }
    return 0;
}

// A close request ends the program at once unless a run or the queue run is
// going. Then the user is asked: no, and the run goes on; yes, and the runs
// stop as with "Annuler" and the program ends once they have ended (their
// clean-up done), woken by a close request posted then. The windows stay
// served meanwhile, for the runs' own calls; a close request while the runs
// stop ends the program at once.
bool Shell::mayQuit() {
    if (quitting_ || (!runWorker_.running() && !queueRunWorker_.running())) return true;
    if (!ui_.askYesNo(informationTitle, stopRunAndQuitQuestion)) return false;
    quitting_ = true;
    stopRuns();
    quitWorker_.start([this] {
        runWorker_.waitIdle();
        queueRunWorker_.waitIdle();
        ui_.post({Event::close, 0, mainWindow});
    });
    return false;
}

bool Shell::startUp() {
    services_.desktop.loadSound(config_.programFolder + "success.wav");
    const bool settingsRead = settings_.loadOptions();
    loadLastFolder();
    openMainWindow(ui_);
    if (!settingsRead) ui_.messageBox(informationTitle, settingsTooLarge(settings_.path()));
    ui_.setStatus(chooseFileStatus);

    if (!services_.files.listFolder(config_.programFolder + "Applications")) {
        ui_.messageBox(informationTitle, fullArchiveNeeded);
        openWebPage("/");
        ui_.closeWindow(mainWindow);
        return false;
    }
    // The check runs beside the loop, so the window is served meanwhile; the
    // title is added whenever the answer comes.
    if (settings_.getOption(Option::checkupdate) == "1") {
        updateWorker_.start([this] {
            if (newerVersionPublished(services_.files, config_.site, config_.workFolder, programVersion))
                ui_.addMenuTitle(mainWindow, newVersionMenuTitle);
        });
    }
    return true;
}

void Shell::onMenu(int item) {
    switch (item) {
        case menuOptions: openOptions(); break;
        case menuHelp: showHelp("/aide/"); break;
        case menuAbout: openAboutWindow(ui_, config_.site + "/"); break;
        default: break;
    }
}

void Shell::onControl(int control) {
    switch (control) {
        case optionsOkButton: storeOptions(); break;
        case remuxPathButton: chooseRemuxFolder(); break;
        case optionsHelpButton: showHelp("/les-options"); break;
        case aboutOkButton: ui_.closeWindow(aboutWindow); break;
        case aboutSiteLink:  // the link does what the "Site web" button does
        case webSiteButton: openWebPage("/"); break;
        case openButton: openSource(); break;
        case cancelButton: cancel(); break;
        case clearQueueButton: kx::clearQueue(context_); break;
        case removeLastButton: kx::removeLastJob(context_); break;
        case startButton: start(); break;
        case addToQueueButton: addToQueue(); break;
        case processQueueButton: processQueue(); break;
        case chooseSrtButton: chooseSubtitle(); break;
        case videoCombo:
        case audioCombo:
        case subtitleCombo:
        case noSrtCheck: retellVerdict(); break;
        default: break;
    }
}

std::function<void(const std::string&)> Shell::reportFailure() {
    return [this](const std::string& problem) {
        ui_.messageBox(informationTitle, std::string(internalErrorHead) + problem);
    };
}

void Shell::openWebPage(std::string_view path) {
    std::string url = config_.site + std::string(path);
    if (!services_.desktop.open(url)) services_.desktop.open(url);  // tried once more, then given up
}

// The help window has a loop of its own: nothing but a close request is
// served until it is closed.
void Shell::showHelp(std::string_view path) {
    if (!openHelpWindow(ui_, config_.site + std::string(path))) return;
    while (ui_.waitEvent().kind != Event::close) {
    }
    ui_.closeWindow(helpWindow);
}

void Shell::openOptions() {
    openOptionsWindow(ui_);
    for (const OptionDesc& desc : optionTable)
        if (desc.checkBox != noCheckBox) ui_.setChecked(desc.checkBox, settings_.isOn(desc.option));
    std::string folder = settings_.getOption(Option::cheminremux);
    if (!folder.empty()) ui_.setText(remuxPathField, folder);
}

void Shell::storeOptions() {
    for (const OptionDesc& desc : optionTable)
        if (desc.checkBox != noCheckBox) settings_.setOption(desc.option, ui_.checked(desc.checkBox) ? "1" : "0");
    saveSettings(context_);
    ui_.closeWindow(optionsWindow);
    retellVerdict();
}

// Another track chosen, or settings changed: the verdict is told again while
// the file shown waits to be processed (a worker's own texts are left alone).
void Shell::retellVerdict() {
    for (const Worker* w : {&analysisWorker_, &runWorker_, &queueAddWorker_, &queueRunWorker_})
        if (w->running()) return;
    if (ui_.text(fileNameField).empty()) return;
    if (!state_.with([](AppState& s) { return s.source.hasTracks(); })) return;
    captureChoice(context_, true);
    showVerdict(context_);
}

std::string Shell::acceptPath(const ChosenPath& chosen) {
    if (chosen.carriable && scriptSafe(chosen.path) && services_.files.scriptCarries(chosen.path)) return chosen.path;
    ui_.messageBox(informationTitle,
                   unsupportedCharacter);
    return {};
}

void Shell::chooseRemuxFolder() {
    // Starts in the current remux folder, else in the user's home folder.
    std::string folder = acceptPath(ui_.chooseFolder(chooseFolderTitle, settings_.getOption(Option::cheminremux)));
    state_.with([&](AppState& s) { s.chosenRemuxFolder = folder; });
    if (folder.empty()) ui_.messageBox(informationTitle, selectionCancelled);
    settings_.setOption(Option::cheminremux, folder);
    saveSettings(context_);
    ui_.setText(remuxPathField, settings_.getOption(Option::cheminremux));
}

std::string Shell::lastFolderFile() const { return folderPart(config_.settingsFile) + "lastfolder.txt"; }

void Shell::loadLastFolder() {
    auto text = services_.files.fileSize(lastFolderFile()) <= 4096 ? services_.files.readFile(lastFolderFile())
                                                                   : std::nullopt;
    std::vector<std::string> lines = text ? splitLines(*text) : std::vector<std::string>{};
    // Only a folder that is still there and that a dialog can start in.
    std::string folder = lines.empty() ? std::string() : usableRemuxFolder(lines.front());
    if (!folder.empty() && services_.files.isFolder(folder)) lastFolder_ = folder;
}

void Shell::rememberFolder(const std::string& folder) {
    if (folder.empty() || folder == lastFolder_) return;
    lastFolder_ = folder;
    services_.files.replaceFile(lastFolderFile(), folder + "\r\n");  // a convenience: a failure is not told
}

void Shell::openSource() {
    if (!ui_.text(fileNameField).empty() || queueRunWorker_.running()) return;

    ui_.setStatus(chooseFileStatus);
    const std::string& here = config_.programFolder;
    state_.with([&](AppState& s) {
        s.source.folder = here;
        s.toolsFolder = here + "Applications" + fs::separator();
        if (s.homeFolder.empty()) s.homeFolder = config_.workFolder;
    });
    forgetSource(context_);

    // Starts in the folder of the last file opened, this time or before.
    const std::string start = lastFolder_.empty() ? std::string("C:\\*.mkv") : lastFolder_ + "*.mkv";
    std::string chosen = acceptPath(ui_.openFileDialog(chooseFileTitle, start, mkvFilter, 1));
    rememberFolder(folderPart(chosen));
    chooseSource(context_, chosen);
    SourcePathInputs checks = state_.with([&](AppState& s) {
        return SourcePathInputs{chosen,
                                s.source.name,
                                s.chosenRemuxFolder,
                                settings_.getOption(Option::remuxdest),
                                config_.workFolder,
                                fs::renamesAccentedSources()};
    });
    std::string sourcePath = checkAndRenameSource(
        services_.files, checks, [this](const std::string& message) { ui_.messageBox(informationTitle, message); });
    state_.with([&](AppState& s) { s.source.path = sourcePath; });
    if (sourcePath.empty()) return;
    loadSource(context_, sourcePath);

    if (!analysisWorker_.running()) {
        ui_.setStatus(analysisDoneStatus);
        analysisWorker_.start([this] { analyseSource(context_); }, reportFailure());
    }
}

void Shell::chooseSubtitle() {
    // Starts in the source's folder.
    const std::string folder = state_.with([](AppState& s) { return s.source.folder = folderPart(s.source.path); });
    std::string chosen =
        acceptPath(ui_.openFileDialog(chooseFileTitle, folder + "*.srt", srtFilter, 1));
    addExternalSubtitle(context_, chosen);
}

// "Annuler" during a run stops it (the run clears the window itself when it
// has ended); otherwise it forgets the current file.
void Shell::cancel() {
    if (!stopRuns()) cancelSource();
}

bool Shell::stopRuns() {
    const bool immediate = runWorker_.running(), queued = queueRunWorker_.running();
    if (immediate) runStop_.request();
    if (queued) queueStop_.request();
    return immediate || queued;
}

void Shell::cancelSource() {
    ui_.clearItems(videoCombo);
    ui_.clearItems(audioCombo);
    ui_.clearItems(subtitleCombo);
    state_.with([](AppState& s) { s.source.forgetLists(); });
    ui_.setText(frameRateField, "");
    ui_.setText(fileNameField, "");
    ui_.setProgress(progressBar, 0);
    ui_.setStatus(chooseFileStatus);
    services_.files.removeFile(config_.workFolder + "mediainfo.txt");
}

// A result folder must be chosen when the result does not go beside the
// source: without one the result would be a bare name, never found.
bool Shell::remuxFolderReady() {
    if (settings_.isOff(Option::remuxdest) || !settings_.getOption(Option::cheminremux).empty()) return true;
    ui_.messageBox(informationTitle, chooseRemuxFolderFirst);
    return false;
}

bool Shell::fileLoaded() {
    if (!ui_.text(fileNameField).empty()) return true;
    ui_.messageBox(informationTitle, chooseFileFirst);
    return false;
}

void Shell::start() {
    if (!fileLoaded()) return;
    if (runWorker_.running()) return ui_.messageBox(informationTitle, runAlreadyGoing);
    if (!remuxFolderReady()) return;
    captureChoice(context_, !analysisWorker_.running());
    runStop_ = StopSignal();
    startRun(ui_, RunKind::immediate, runWorker_, [this, stop = runStop_] { runImmediate(context_, stop); },
             reportFailure());
}

void Shell::addToQueue() {
    if (!fileLoaded() || queueAddWorker_.running() || !remuxFolderReady()) return;
    JobQueue::Place place = reserveJob(context_);
    ui_.setStatus(chooseFileStatus);  // before the worker's own texts
    captureChoice(context_, !analysisWorker_.running());
    queueAddWorker_.start([this, place] { addJob(context_, place); }, [this, place](const std::string& problem) {
        // A job that was not completed gives its place back.
        if (queue_.adding(place.place)) queue_.giveBack(place.place);
        reportFailure()(problem);
    });
}

void Shell::processQueue() {
    if (queue_.size() == 0 || queueRunWorker_.running()) return;
    queueStop_ = StopSignal();
    startRun(ui_, RunKind::queue, queueRunWorker_, [this, stop = queueStop_] { kx::processQueue(context_, stop); },
             reportFailure());
}

}  // namespace kx
