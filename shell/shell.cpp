// Start-up, the event loop and every menu and control handler. Long jobs are
// started here on workers, one per kind; a request for a kind that is still
// running is dropped without a message.
#include "shell/shell.h"

#include <algorithm>
#include <utility>

#include "workers/analyse_source.h"
#include "model/path_checks.h"
#include "base/text.h"
#include "shell/update_check.h"
#include "workers/queue.h"
#include "workers/run_immediate.h"
#include "workers/run_steps.h"
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
      context_{ui_, settings_, state_, services_.launcher, services_.desktop, services_.files,
               config_.programFolder, config_.site,
               [this] { analysisWorker_.waitIdle(); }} {}

std::array<const Worker*, 5> Shell::workers() const {
    return {&analysisWorker_, &runWorker_, &queueAddWorker_, &queueRunWorker_, &updateWorker_};
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
        if (event.kind == Event::close) break;
        if (event.kind == Event::menu) onMenu(event.id);
        else onControl(event.id);
    }
    return 0;
}

bool Shell::startUp() {
    services_.desktop.loadSound(config_.programFolder + "success.wav");
    const bool settingsRead = settings_.loadOptions();
    openMainWindow(ui_);
    if (!settingsRead) ui_.messageBox(informationTitle, settingsTooLarge(settings_.path()));
    state_.with([](AppState& s) { s.queueCount = 0; });
    ui_.setStatus("Choisir un fichier");

    if (!services_.files.listFolder(config_.programFolder + "Applications")) {
        ui_.messageBox(informationTitle, "Vous devez télécharger l'archive complète"_cp);
        openWebPage("/");
        ui_.closeWindow(mainWindow);
        return false;
    }
    // The check runs beside the loop, so the window is served meanwhile; the
    // title is added whenever the answer comes.
    if (settings_.getOption(Option::checkupdate) == "1") {
        updateWorker_.start([this] {
            if (newerVersionPublished(config_.site, config_.workFolder, programVersion))
                ui_.addMenuTitle(mainWindow, "Une nouvelle version est en ligne !");
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
        case cancelButton: cancelSource(); break;
        case clearQueueButton: clearQueue(); break;
        case removeLastButton: removeLastJob(); break;
        case startButton: start(); break;
        case addToQueueButton: addToQueue(); break;
        case processQueueButton: processQueue(); break;
        case chooseSrtButton: chooseSubtitle(); break;
        default: break;
    }
}

void Shell::clearQueue() {
    int count = state_.with([](AppState& s) { return std::exchange(s.queueCount, 0); });
    ui_.clearItems(queueList);
    forgetJobs(context_, 1, count);
}

void Shell::removeLastJob() {
    int removed = state_.with([](AppState& s) { return s.queueCount > 0 ? s.queueCount-- : 0; });
    if (removed == 0) return;
    ui_.removeRow(queueList, removed - 1);
    forgetJobs(context_, removed, removed);
}

std::function<void(const std::string&)> Shell::reportFailure() {
    return [this](const std::string& problem) {
        ui_.messageBox(informationTitle, std::string("Une erreur interne a interrompu l'opération : "_cp) + problem);
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
}

std::string Shell::acceptPath(const ChosenPath& chosen) {
    if (chosen.carriable && scriptSafe(chosen.path) && services_.files.scriptCarries(chosen.path)) return chosen.path;
    ui_.messageBox(informationTitle,
                   "Ce chemin contient un caractère non pris en charge, merci de renommer le fichier ou le dossier"_cp);
    return {};
}

void Shell::chooseRemuxFolder() {
    std::string folder = acceptPath(ui_.chooseFolder("Choisissez un répertoire"_cp, "C:\\"));
    state_.with([&](AppState& s) { s.chosenRemuxFolder = folder; });
    if (folder.empty()) ui_.messageBox(informationTitle, "La sélection a été annulée."_cp);
    settings_.setOption(Option::cheminremux, folder);
    saveSettings(context_);
    ui_.setText(remuxPathField, settings_.getOption(Option::cheminremux));
}

void Shell::openSource() {
    if (!ui_.text(fileNameField).empty() || queueRunWorker_.running()) return;

    ui_.setStatus("Choisir un fichier");
    const std::string& here = config_.programFolder;
    state_.with([&](AppState& s) {
        s.trackTable = {};
        s.sourceFolder = here;
        s.toolsFolder = here + "Applications" + fs::separator();
        if (s.homeFolder.empty()) s.homeFolder = config_.workFolder;
    });
    ui_.clearItems(videoCombo);
    ui_.clearItems(audioCombo);
    ui_.clearItems(subtitleCombo);
    services_.files.removeFile(config_.workFolder + "mediainfo.txt");

    std::string chosen = acceptPath(ui_.openFileDialog("Choisissez un fichier à charger"_cp, "C:\\*.mkv",
                                                       "mkv (*.mkv)|*.mkv|Tous les fichiers (*.*)|*.*", 1));
    SourcePathInputs checks = state_.with([&](AppState& s) {
        s.sourcePath = chosen;
        s.sourceFolder = folderPart(chosen);
        s.sourceName = filePart(chosen);
        return SourcePathInputs{chosen,
                                s.sourceName,
                                s.chosenRemuxFolder,
                                settings_.getOption(Option::remuxdest),
                                config_.workFolder,
                                fs::renamesAccentedSources()};
    });
    std::string sourcePath = checkAndRenameSource(
        services_.files, checks, [this](const std::string& message) { ui_.messageBox(informationTitle, message); });
    std::string homeFolder = state_.with([&](AppState& s) {
        s.sourcePath = sourcePath;
        return s.homeFolder;
    });
    if (sourcePath.empty()) return;

    state_.with([&](AppState& s) {
        s.sourceFolder = folderPart(sourcePath);
        s.mediaInfoArgs = " \"" + sourcePath + "\" --LogFile=\"" + homeFolder + "mediainfo.txt\"";
    });
    ui_.setText(fileNameField, filePart(sourcePath));

    if (!analysisWorker_.running()) {
        ui_.setStatus("Analyse terminée"_cp);
        analysisWorker_.start([this] { analyseSource(context_); }, reportFailure());
    }
}

void Shell::chooseSubtitle() {
    state_.with([](AppState& s) { s.sourceFolder = folderPart(s.sourcePath); });
    std::string chosen =
        acceptPath(ui_.openFileDialog("Choisissez un fichier à charger"_cp, "*.srt",
                                      "srt (*.srt)|*.srt|Tous les fichiers (*.*)|*.*", 1));
    state_.with([&](AppState& s) { s.srtPath = chosen; });
    ui_.insertItem(subtitleCombo, 0, filePart(chosen));
    ui_.select(subtitleCombo, 0);
}

void Shell::cancelSource() {
    ui_.clearItems(videoCombo);
    ui_.clearItems(audioCombo);
    ui_.clearItems(subtitleCombo);
    ui_.setText(frameRateField, "");
    ui_.setText(fileNameField, "");
    ui_.setProgress(progressBar, 0);
    ui_.setStatus("Choisir un fichier");
    services_.files.removeFile(config_.workFolder + "mediainfo.txt");
}

// A result folder must be chosen when the result does not go beside the
// source: without one the result would be a bare name, never found.
bool Shell::remuxFolderReady() {
    if (settings_.isOff(Option::remuxdest) || !settings_.getOption(Option::cheminremux).empty()) return true;
    ui_.messageBox(informationTitle, "Veuillez choisir un répertoire de remuxage dans les options"_cp);
    return false;
}

bool Shell::fileLoaded() {
    if (!ui_.text(fileNameField).empty()) return true;
    ui_.messageBox(informationTitle, "Veuillez sélectionner un fichier à traiter"_cp);
    return false;
}

void Shell::start() {
    if (!fileLoaded() || runWorker_.running() || !remuxFolderReady()) return;
    startRun(ui_, RunKind::immediate, runWorker_, [this] { runImmediate(context_); }, reportFailure());
}

void Shell::addToQueue() {
    if (!fileLoaded() || queueAddWorker_.running() || !remuxFolderReady()) return;
    bool emptyQueue = state_.with([](AppState& s) { return s.queueCount == 0; });
    if (emptyQueue) ui_.clearItems(queueList);
    state_.with([](AppState& s) { ++s.queueCount; });
    ui_.setStatus("Choisir un fichier");  // before the worker's own texts
    int job = state_.with([](AppState& s) { return s.queueCount; });
    queueAddWorker_.start([this] { addJob(context_); }, [this, job](const std::string& problem) {
        // A job that left no row gives its number back.
        int rows = ui_.itemCount(queueList);
        state_.with([&](AppState& s) {
            if (s.queueCount == job && rows < job) --s.queueCount;
        });
        reportFailure()(problem);
    });
}

void Shell::processQueue() {
    bool empty = state_.with([](AppState& s) { return s.queueCount == 0; });
    if (empty || queueRunWorker_.running()) return;
    startRun(ui_, RunKind::queue, queueRunWorker_, [this] { kx::processQueue(context_); }, reportFailure());
}

}  // namespace kx
