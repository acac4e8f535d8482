// The in-process test bench: a scratch program folder in the system's temp
// folder, the fake front end, launcher and desktop, the real file system and
// settings, and the workers called directly on the test's own thread.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "mock/fake_desktop.h"
#include "mock/fake_launcher.h"
#include "mock/fake_ui.h"
#include "model/options.h"
#include "platform/file_system.h"
#include "platform/stop_signal.h"
#include "workers/context.h"

namespace kx::test {

// A run's verdict as the fake front end notes it.
inline const std::string success = "message: Le traitement s'est bien passé";
inline const std::string failure = "message: Il y'a eu un problème lors du traitement";

// The settings as delivered with the program.
std::string deliveredOptions();
// MediaInfo reports (CR LF lines). A film with a video track (25 fps), a DTS
// track (French, 1 s 500 ms late), an AC3 track (English) and a UTF-8
// subtitle (French):
std::string dtsFilmReport();
// A film with two audio tracks (AC3 French, E-AC3 English) and three
// subtitles (UTF-8 French, PGS without language, ASS), 23.976 fps.
std::string twoAudioReport();

// The system's file operations, with writes that can be made to fail.
class BenchFiles : public FileSystem {
public:
    // Whether writing `path` fails (a full disk, a locked file).
    std::function<bool(const std::string& path)> refuseWrite;
    bool writeFile(const std::string& path, std::string_view data) override {
        return !(refuseWrite && refuseWrite(path)) && FileSystem::writeFile(path, data);
    }
    bool replaceFile(const std::string& path, std::string_view data) override {
        return !(refuseWrite && refuseWrite(path)) && FileSystem::replaceFile(path, data);
    }
    // Whether moving onto `to` fails.
    std::function<bool(const std::string& to)> refuseMove;
    fs::MoveResult moveNoReplace(const std::string& from, const std::string& to) override {
        if (refuseMove && refuseMove(to)) return fs::MoveResult::failed;
        return FileSystem::moveNoReplace(from, to);
    }
};

class Bench {
public:
    explicit Bench(const std::string& optionsText = deliveredOptions());
    ~Bench();
    Bench(const Bench&) = delete;
    Bench& operator=(const Bench&) = delete;

    // Folders, each ending in the separator: the scratch root, the program's
    // folder (options.txt, scripts, job folders), its Applications folder
    // (with a file for each tool) and a folder for the sources.
    const std::string root, program, tools, films;

    // A path under the root, written with '/' ("films/film.mkv").
    std::string at(std::string_view relative) const;
    void write(const std::string& path, std::string_view bytes) const;
    std::string read(const std::string& path) const;  // empty when missing
    bool exists(const std::string& path) const;
    bool isFolder(const std::string& path) const;
    // Names in a folder, sorted; folders end in '/'.
    std::vector<std::string> namesIn(const std::string& folder) const;

    // Changes a setting and saves options.txt, as the options window would.
    void option(Option key, std::string_view value);

    // "Ouvrir" on `source`: the state and lists prepared as the handler does,
    // then the real analysis run through the fake MediaInfo on `report`.
    void open(const std::string& source, const std::string& report = dtsFilmReport());
    // The film of films/ ("source" bytes), made when missing, then opened.
    std::string openFilm(const std::string& name = "film.mkv", const std::string& report = dtsFilmReport());

    // The workers, on this thread, each after what its handler does first
    // (the choice taken from the window; addJob: a place in the queue), the
    // runs with the stop signal "Annuler" would request.
    void runImmediate(std::optional<StopSignal> stop = std::nullopt);
    void addJob();
    void processQueue(std::optional<StopSignal> stop = std::nullopt);
    int queueCount();

    FakeUi ui;
    FakeLauncher launcher;
    FakeDesktop desktop;
    BenchFiles files;
    Settings settings;
    SharedState state;
    JobQueue queue;
    MadeFiles made;
    AppContext context;
};

}  // namespace kx::test
