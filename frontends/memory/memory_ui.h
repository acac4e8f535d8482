// The in-memory front end: keeps every window's and control's state without
// showing anything, takes the user's actions as commands from a text stream
// and writes a transcript of what the program does. It drives the real
// program in end-to-end tests (klarbrix-drive).
#pragma once

#include <atomic>
#include <chrono>
#include <deque>
#include <functional>
#include <istream>
#include <mutex>
#include <ostream>
#include <string>
#include <vector>

#include "frontends/kit/stored_ui.h"
#include "platform/desktop.h"

namespace kx {

class MemoryUi : public StoredUi, public Desktop {
public:
    MemoryUi(std::istream& commands, std::ostream& transcript);
    // What the `wait` command calls: blocks until the program is idle or the
    // deadline has passed, and says whether it is idle.
    void setIdleWait(std::function<bool(std::chrono::steady_clock::time_point deadline)> wait) {
        idleWait_ = std::move(wait);
    }
    // How long the `wait` command waits for the workers (300 s unless set).
    void setWaitLimit(std::chrono::milliseconds limit) { waitLimit_ = limit; }
    // Whether a wait for the workers ran out of time (the transcript then
    // says "timeout" and every later event is a close request). For the
    // thread that waits for events.
    bool timedOut() const { return timedOut_; }
    // Writes out what the transcript holds, under the lock like every write.
    void flushTranscript();

    void setStatus(std::string_view text) override;
    Event waitEvent() override;
    void post(Event event) override;
    void messageBox(std::string_view title, std::string_view text) override;
    // "question: TEXT"; the answer is the one the `answer` command left
    // waiting, no when none waits, yes once the commands have run out.
    bool askYesNo(std::string_view title, std::string_view text) override;
    ChosenPath openFileDialog(std::string_view title, std::string_view initialFile, std::string_view filter,
                              int firstFilter) override;
    ChosenPath chooseFolder(std::string_view title, std::string_view initialFolder) override;
    // The desktop, written to the same transcript: "open: TARGET", "sound".
    bool open(std::string_view target) override;
    void loadSound(const std::string& path) override;
    void playSound() override;

private:
    void windowOpened(int window) override;
    void windowClosed(int window) override;
    void progressSet(int control, int value) override;
    void say(const std::string& line);  // under the lock
    // One transcript line per line of `text`, each after `head` (under the lock).
    void sayLines(std::string_view head, std::string_view text);
    void show(int control);
    // Until no worker runs; false when the wait limit has passed first.
    bool waitIdle();
    // Waits until the file `name` (UTF-8, relative to the current folder)
    // exists; past the wait limit prints "timeout" and gives false.
    bool awaitFile(const std::string& name);
    ChosenPath nextAnswer(std::deque<ChosenPath>& answers);

    std::istream& commands_;
    std::ostream& transcript_;
    std::function<bool(std::chrono::steady_clock::time_point)> idleWait_;
    std::deque<ChosenPath> fileAnswers_, folderAnswers_;
    std::deque<bool> replies_;   // to the next questions
    std::deque<Event> posted_;
    std::atomic<bool> ended_ = false;  // the commands have run out (or the wait timed out)
    bool timedOut_ = false;
    std::chrono::milliseconds waitLimit_{300'000};
};

}  // namespace kx
