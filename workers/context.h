// The program-wide state and the services that the event loop and the
// workers share. Everything here is passed in; nothing is global.
#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "base/version.h"
#include "model/job_queue.h"
#include "model/made_files.h"
#include "model/options.h"
#include "model/source_session.h"
#include "platform/desktop.h"
#include "platform/file_system.h"
#include "platform/launcher.h"

namespace kx {

class Ui;

inline constexpr std::int64_t programVersion = KLARBRIX_VERSION_NUMBER;

// The state of the current source. Every field ends in a folder separator
// when it names a folder.
struct AppState {
    std::string homeFolder;     // set at the first "Ouvrir", never changed afterwards
    std::string toolsFolder;    // where MediaInfo lies
    std::string mediaInfoArgs;
    std::optional<std::string> chosenRemuxFolder;  // unset before any choice
    SourceSession source;       // the current source, its tracks and the choice among them
    // Sources that a run or a queued job is processing now: no second run may
    // take one of them (they would share their temporaries and result).
    std::vector<std::string> sourcesInWork;
    // The recipe of the immediate run in progress, from its checks to its end.
    std::optional<RunRecipe> immediateRun;
};

// The state with its lock: every read or write goes through `with`, so the
// loop and the workers never race on it.
class SharedState {
public:
    template <typename F>
    auto with(F&& f) {
        std::lock_guard lock(mutex_);
        return f(state_);
    }
    AppState snapshot() {
        return with([](AppState& s) { return s; });
    }

private:
    std::mutex mutex_;
    AppState state_;
};

// The platform services, given by the front end's main (the system's) or by a test.
struct Services {
    Launcher& launcher;
    Desktop& desktop;
    FileSystem& files;
};

struct AppContext {
    Ui& ui;
    Settings& settings;
    SharedState& state;
    Launcher& launcher;
    Desktop& desktop;
    FileSystem& files;
    JobQueue& queue;
    MadeFiles& made;  // the record of the files the program made
    std::function<void()> waitForAnalysis;  // returns once the analysis worker has ended
};

}  // namespace kx
