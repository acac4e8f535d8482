// The in-memory front end: keeps every window's and control's state without
// showing anything, takes the user's actions as commands from a text stream
// and writes a transcript of what the program does. It drives the real
// program in end-to-end tests (klarbrix-drive).
#pragma once

#include <chrono>
#include <deque>
#include <functional>
#include <istream>
#include <map>
#include <mutex>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "platform/desktop.h"
#include "ui/ui.h"

namespace kx {

class MemoryUi : public Ui, public Desktop {
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

    bool openWindow(const WindowDesc& window) override;
    void closeWindow(int window) override;
    void addMenuTitle(int window, std::string_view title) override;
    void setText(int control, std::string_view text) override;
    std::string text(int control) override;
    void setChecked(int control, bool checked) override;
    bool checked(int control) override;
    void addItem(int control, std::string_view text) override;
    void insertItem(int control, int index, std::string_view text) override;
    void clearItems(int control) override;
    int itemCount(int control) override;
    std::string itemText(int control, int index) override;
    void select(int control, int index) override;
    int selected(int control) override;
    void addColumn(int control, std::string_view title, int width) override;
    int columnCount(int control) override;
    void addRow(int control, const std::vector<std::string>& cells) override;
    void removeRow(int control, int row) override;
    std::string cellText(int control, int row, int column) override;
    void setRowColour(int control, int row, RowColour colour) override;
    void setProgress(int control, int value) override;
    void setStatus(std::string_view text) override;
    void setFocus(int control) override;
    void showBalloonTip(int control, std::string_view text, std::string_view title, int icon) override;
    Event waitEvent() override;
    void messageBox(std::string_view title, std::string_view text) override;
    ChosenPath openFileDialog(std::string_view title, std::string_view initialFile, std::string_view filter,
                              int firstFilter) override;
    ChosenPath chooseFolder(std::string_view title, std::string_view initialFolder) override;
    // The desktop, written to the same transcript: "open: TARGET", "sound".
    bool open(std::string_view target) override;
    void loadSound(const std::string& path) override;
    void playSound() override;

private:
    struct Row {
        std::vector<std::string> cells;
        RowColour colour = RowColour::none;
    };
    struct Control {
        ControlKind kind = ControlKind::label;
        int window = 0;
        std::string text;
        std::string tip;
        bool checked = false;
        std::vector<std::string> items;
        int selected = -1;
        std::vector<std::string> columns;
        std::vector<Row> rows;
        int value = 0;
    };

    Control* find(int control);  // under the lock
    void closeWindowLocked(int window);
    void say(const std::string& line);  // under the lock
    void show(int control);
    // Until no worker runs; false when the wait limit has passed first.
    bool waitIdle();
    ChosenPath nextAnswer(std::deque<ChosenPath>& answers);

    std::istream& commands_;
    std::ostream& transcript_;
    std::function<bool(std::chrono::steady_clock::time_point)> idleWait_;
    std::mutex mutex_;
    std::map<int, Control> controls_;
    std::set<int> windows_;
    std::map<int, std::vector<std::string>> menuTitles_;
    std::deque<ChosenPath> fileAnswers_, folderAnswers_;
    bool ended_ = false;     // the commands have run out (or the wait timed out)
    bool timedOut_ = false;
    std::chrono::milliseconds waitLimit_{300'000};
};

}  // namespace kx
