// The application shell: start-up, the one event loop that serves every
// window, and the handlers of the menu items and controls.
#pragma once

#include <array>
#include <functional>
#include <string>

#include "platform/stop_signal.h"
#include "workers/context.h"
#include "shell/worker.h"

namespace kx {

struct ShellConfig {
    std::string programFolder;  // holds success.wav and Applications; ends in a separator
    std::string site;           // scheme and host of the project web site
    std::string settingsFile{};  // options.txt; empty: the one of the program's folder
    std::string workFolder{};    // where the program writes its files; empty: the program's folder
};

class Shell {
public:
    Shell(Ui& ui, Services services, ShellConfig config);
    // Gives the workers still running a few seconds to end: they use the
    // shell's state until they do.
    ~Shell();
    Shell(const Shell&) = delete;
    Shell& operator=(const Shell&) = delete;
    // Start-up and the event loop; returns the exit status once the main
    // window has been closed (or the tools folder was missing).
    int run();
    // Whether any worker (the update check included) is still running.
    bool busy() const;
    // Blocks until no worker runs (woken by their ends), or until
    // `deadline`; true when none runs.
    bool waitIdle(Worker::Clock::time_point deadline) const;

private:
    std::array<const Worker*, 6> workers() const;
    bool startUp();
    void onMenu(int item);
    void onControl(int control);
    void showHelp(std::string_view path);
    void openWebPage(std::string_view path);
    void openOptions();
    void storeOptions();
    void retellVerdict();
    void chooseRemuxFolder();
    void openSource();
    void chooseSubtitle();
    void cancel();
    // Asks the immediate run and the queue run that are going to stop, as
    // "Annuler" does; false when neither was going.
    bool stopRuns();
    // Whether a close request ends the program now; see run().
    bool mayQuit();
    void cancelSource();
    void start();
    void addToQueue();
    void processQueue();
    // What a worker that fails calls: the user is told, the program goes on.
    std::function<void(const std::string&)> reportFailure();
    bool fileLoaded();
    bool remuxFolderReady();
    // A path that the scripts can carry (quoting and the command
    // interpreter's code page); otherwise the user is told and the dialog
    // counts as cancelled (the empty path is returned).
    std::string acceptPath(const struct ChosenPath& chosen);
    // The folder of the last file opened, kept across starts beside the
    // settings file (lastfolder.txt), so the open dialog starts there.
    std::string lastFolderFile() const;
    void loadLastFolder();
    void rememberFolder(const std::string& folder);

    Ui& ui_;
    Services services_;
    ShellConfig config_;
    Settings settings_;
    std::string lastFolder_;
    SharedState state_;
    JobQueue queue_;
    MadeFiles made_;
    AppContext context_;
    Worker analysisWorker_, runWorker_, queueAddWorker_, queueRunWorker_, updateWorker_;
    // Waits, once the user chose to quit during a run, for the runs to end.
    Worker quitWorker_;
    bool quitting_ = false;  // the runs are stopping for the program to quit
    // The stops of the running immediate run and queue run (a fresh one per run).
    StopSignal runStop_, queueStop_;
};

}  // namespace kx
