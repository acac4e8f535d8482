// Adding a job (its folder, scripts and row) and the queue run. Every script
// is started with its job folder as working folder, so runs, additions and
// the queue never depend on a shared current folder. A job folder holds only
// the scripts its job wrote; the job's clean-up script names exactly the
// files the job makes, which is also what the queue run checks before it.
#include "workers/queue.h"

#include "base/batch_command.h"
#include "base/command_line.h"
#include "base/encoding.h"
#include "base/text.h"
#include "workers/run_steps.h"
#include "ui/ui.h"

namespace kx {

namespace {

constexpr std::string_view jobScripts[] = {extractScriptName, dtsFixScriptName, eac3toScriptName, remuxScriptName,
                                           purgeScriptName};

std::string jobFolder(const std::string& home, int job) {
    return home + "job" + std::to_string(job) + fs::separator();
}

// Removes the program's scripts from a job folder; false when one stays.
bool removeJobScripts(FileSystem& files, const std::string& folder) {
    bool ok = true;
    for (std::string_view name : jobScripts) {
        std::string path = folder + std::string(name);
        if (files.exists(path) && !(files.removeFile(path) && !files.exists(path))) ok = false;
    }
    return ok;
}

// What a job's own scripts say about it: the files its clean-up deletes
// (those it makes) and the result its remux writes.
struct JobFiles {
    RunFiles run;
    bool readable = false;
};

JobFiles jobFilesOf(FileSystem& files, const std::string& folder) {
    JobFiles job;
    auto purge = files.readScriptFile(folder + std::string(purgeScriptName));
    auto remux = files.readScriptFile(folder + std::string(remuxScriptName));
    if (!purge || !remux) return job;
    for (const std::string& line : splitLines(*purge)) {
        BatchCommand command = parseBatchLine(line);
        if (command.kind == BatchCommand::Kind::deleteFiles)
            job.run.purgeNames.insert(job.run.purgeNames.end(), command.names.begin(), command.names.end());
    }
    for (const std::string& line : splitLines(*remux)) {
        BatchCommand command = parseBatchLine(line);
        if (command.kind != BatchCommand::Kind::runProgram) continue;
        std::vector<std::string> args = splitCommandLine(command.commandLine);
        for (std::size_t i = 1; i + 1 < args.size(); ++i)
            if (args[i] == "-o") job.run.result = args[i + 1];
    }
    job.readable = !job.run.result.empty();
    return job;
}

// Runs one job's scripts in order. Nothing when every step ended well and
// the result is there; otherwise the reason to tell, empty when the tools'
// failure speaks for itself (the row turns red either way).
std::optional<std::string> runJob(AppContext& context, const std::string& folder, const std::string& name,
                                  const std::string& source) {
    if (!context.files.isFolder(folder)) return std::string();
    JobFiles jobFiles = jobFilesOf(context.files, folder);
    if (!jobFiles.readable) return std::string();
    SourceClaim claim(context, source);
    if (!claim.held()) return std::string(sourceAlreadyInWork);
    if (auto problem = filesInTheWay(context.files, jobFiles.run)) return problem;

    Ui& ui = context.ui;
    Settings& settings = context.settings;
    bool ok = true;
    // A script the job does not have is not started.
    auto run = [&](std::string_view script) {
        if (!ok || !context.files.exists(folder + std::string(script))) return;
        ok = endedWell(runScript(context, folder, script));
    };
    bool transcodes = context.files.exists(folder + std::string(eac3toScriptName));
    if (transcodes || settings.isOn(Option::dtsfix)) {
        ui.setStatus("extraction de " + name + " en cours");
        run(extractScriptName);
        if (settings.isOn(Option::dtsfix)) {
            ui.setStatus("nettoyage en cours");
            run(dtsFixScriptName);
        }
        if (transcodes) {
            ui.setStatus("encodage de " + name + " en cours");
            run(eac3toScriptName);
        }
    }
    ui.setStatus("remuxage de " + name + " en cours");
    if (ok && !context.files.exists(folder + std::string(remuxScriptName))) ok = false;
    run(remuxScriptName);
    if (settings.isOn(Option::deletetemp)) runScript(context, folder, purgeScriptName);
    if (ok && outputPresent(context.files, jobFiles.run.result, source)) return std::nullopt;
    return std::string();
}

// Gives the job number back after a refused addition and says why.
void refuseJob(AppContext& context, int job, std::string_view message) {
    context.state.with([job](AppState& s) {
        if (s.queueCount == job) --s.queueCount;
    });
    context.ui.messageBox(informationTitle, message);
    context.ui.setStatus("Choisir un fichier");
}

}  // namespace

void addJob(AppContext& context) {
    Ui& ui = context.ui;
    Settings& settings = context.settings;
    FileSystem& files = context.files;
    const int job = context.state.with([](AppState& s) { return s.queueCount; });
    ui.setStatus("Création des fichiers .bat"_cp);
    waitForAnalysis(context);

    RunPlan plan = currentRunPlan(context);
    const std::string home = context.state.with([](AppState& s) { return s.homeFolder; });
    const std::string folder = jobFolder(home, job);
    if (touchesSource(files, plan, folder)) return refuseJob(context, job, sourceWouldBeOverwritten);
    if (sourceInWork(context, plan.sourcePath)) return refuseJob(context, job, sourceAlreadyInWork);

    applyDtsFixRule(context, plan);
    ScriptContext scripts = currentScriptContext(context);
    const RunFiles made = runFiles(plan, runChoices(scripts));
    if (auto problem = filesInTheWay(files, made)) return refuseJob(context, job, *problem);

    // The folder keeps only what this job writes: scripts of an earlier job
    // of the same number would otherwise run with it.
    if (!files.makeFolder(folder) || !files.isFolder(folder) || !removeJobScripts(files, folder))
        return refuseJob(context, job, notWritten(folder));
    // The remux script is written before anything runs: it takes the files
    // the job's own steps will have made by then.
    ScriptContext remux = scripts;
    remux.fileExists = [&](const std::string& path) {
        for (const std::string& temporary : made.temporaries)
            if (equalsNoCase(temporary, path)) return true;
        return files.exists(path);
    };
    const ScriptPlace place = ScriptPlace::jobFolder;
    bool written = true;
    std::string failed;
    auto write = [&](std::string_view name, bool ok) {
        if (written && !ok) failed = folder + std::string(name);
        written = written && ok;
    };
    if (takesExtractionPath(scripts)) {
        write(extractScriptName, writeExtractScript(files, folder, place, plan, scripts));
        if (settings.isOn(Option::dtsfix)) write(dtsFixScriptName, writeDtsFixScript(files, folder, place, plan));
        if (settings.isOff(Option::notranscode))
            write(eac3toScriptName, writeEac3toScript(files, folder, place, plan, scripts));
        write(remuxScriptName, writeRemuxScript(files, folder, place, plan, remux, RemuxForm::extraction));
    } else {
        write(remuxScriptName, writeRemuxScript(files, folder, place, plan, remux, RemuxForm::direct));
    }
    ui.setFocus(queueList);
    write(purgeScriptName, writePurgeScript(files, folder, plan, scripts));
    if (!written) {
        removeJobScripts(files, folder);
        return refuseJob(context, job, notWritten(failed));
    }

    if (ui.columnCount(queueList) == 1) {
        ui.addColumn(queueList, "chemin", 300);
        ui.addColumn(queueList, "codec audio", 70);
        ui.addColumn(queueList, "sous titres", 70);
    }
    ui.addRow(queueList, {plan.baseName, plan.sourcePath, plan.audioFormat, subtitleChosen(scripts) ? plan.subLang : ""});

    clearCurrentFile(context);
    ui.setStatus("Choisir un fichier");
}

void processQueue(AppContext& context) {
    Ui& ui = context.ui;
    const std::string home = context.state.with([](AppState& s) { return s.homeFolder; });
    std::string problems;
    for (int n = 1;; ++n) {
        bool more = context.state.with([n](AppState& s) {
            s.runningJob = n <= s.queueCount ? n : 0;
            return s.runningJob != 0;
        });
        if (!more) break;
        int row = n - 1;
        std::string name = ui.cellText(queueList, row, 0);
        std::string source = ui.cellText(queueList, row, 1);
        auto problem = source.empty() ? std::optional<std::string>("") : runJob(context, jobFolder(home, n), name, source);
        ui.setRowColour(queueList, row, problem ? RowColour::red : RowColour::green);
        if (problem && !problem->empty()) problems += name + " : " + *problem + "\r\n";
    }
    ui.setStatus("file d'attente traitée, choisir un fichier"_cp);
    if (!problems.empty()) ui.messageBox(informationTitle, problems);
    ui.messageBox(informationTitle, "file d'attente traitée"_cp);
    context.state.with([](AppState& s) { s.queueCount = 0; });
    ui.setProgress(progressBar, 0);
}

void forgetJobs(AppContext& context, int from, int to) {
    const std::string home = context.state.with([](AppState& s) { return s.homeFolder; });
    const int running = context.state.with([](AppState& s) { return s.runningJob; });
    if (home.empty()) return;
    for (int n = from; n <= to; ++n)
        if (n != running) removeJobScripts(context.files, jobFolder(home, n));
}

}  // namespace kx
