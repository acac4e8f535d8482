// The one boundary between the program and its windows. The program names
// windows, menu items and controls by number and waits for events here;
// each front end (in-memory, Qt, Win32) realises this contract.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "ui/texts.h"
#include "ui/window_desc.h"

namespace kx {

struct Event {
    enum Kind { menu, control, close };
    Kind kind = close;
    int id = 0;      // menu item or control number
    int window = 0;  // the window the event came from
};

// green (0, 200, 0) and red (200, 0, 0): a job done or failed; working
// (255, 200, 0): the job the queue runs now.
enum class RowColour { none, green, red, working };

// What a file or folder dialog returned. `carriable` is false when the
// chosen name cannot be held as cp1252 text (the path is then unusable).
struct ChosenPath {
    std::string path;  // empty when the dialog was cancelled
    bool carriable = true;
};

// The runs the program starts on a worker of their own: the immediate run
// of the file shown, and the run of the queue.
enum class RunKind { immediate, queue };

// The contract every front end keeps:
// - Every method may be called from any thread. Control updates asked by a
//   worker are carried out on the thread that owns the windows while the
//   worker waits, so the worker's next step sees the new state.
// - Texts are cp1252. Controls are addressed by their number alone (numbers
//   are unique across windows); an operation on a control that does not
//   exist does nothing and reads as empty, 0 or -1.
// - Dialogs and message boxes block their caller until the user answers;
//   the windows stay served meanwhile.
class Ui {
public:
    virtual ~Ui() = default;

    // Builds a window and its controls from its description; false when the
    // window could not be opened (then nothing of it exists).
    virtual bool openWindow(const WindowDesc& window) = 0;
    virtual void closeWindow(int window) = 0;
    // Appends a top-level title without items to a window's menu bar.
    virtual void addMenuTitle(int window, std::string_view title) = 0;

    virtual void setText(int control, std::string_view text) = 0;
    virtual std::string text(int control) = 0;
    virtual void setChecked(int control, bool checked) = 0;
    virtual bool checked(int control) = 0;

    // Drop-down lists: items in the order added, one selection (-1 none).
    virtual void addItem(int control, std::string_view text) = 0;
    virtual void insertItem(int control, int index, std::string_view text) = 0;
    virtual void clearItems(int control) = 0;
    virtual int itemCount(int control) = 0;
    virtual std::string itemText(int control, int index) = 0;
    virtual void select(int control, int index) = 0;
    virtual int selected(int control) = 0;

    // The list with columns; clearItems removes every row, itemCount counts rows.
    virtual void addColumn(int control, std::string_view title, int width) = 0;
    virtual int columnCount(int control) = 0;
    virtual void addRow(int control, const std::vector<std::string>& cells) = 0;
    virtual void removeRow(int control, int row) = 0;
    virtual std::string cellText(int control, int row, int column) = 0;
    virtual void setRowColour(int control, int row, RowColour colour) = 0;

    virtual void setProgress(int control, int value) = 0;
    virtual void setStatus(std::string_view text) = 0;
    virtual void setFocus(int control) = 0;
    // A balloon tool-tip on a control: wrapped at 180 pixels, ampersands
    // shown as typed, never shown for an empty text; title and icon
    // (0 none, 1 information, 2 warning, 3 error) only with a title.
    virtual void showBalloonTip(int control, std::string_view text, std::string_view title, int icon) = 0;

    // Blocks until the next menu, control or close event of any window.
    virtual Event waitEvent() = 0;

    virtual void messageBox(std::string_view title, std::string_view text) = 0;
    // `filter` reads "label|pattern|label|pattern"; `firstFilter` is 1-based.
    virtual ChosenPath openFileDialog(std::string_view title, std::string_view initialFile, std::string_view filter,
                                      int firstFilter) = 0;
    // Returns the folder with its trailing separator, or empty when cancelled.
    virtual ChosenPath chooseFolder(std::string_view title, std::string_view initialFolder) = 0;

    // A run has started (before its first step) or has ended (after its
    // last, or when it failed); told once each, from the thread that started
    // the run and from the run's own thread. A front end may do without.
    virtual void runStarted(RunKind) {}
    virtual void runEnded(RunKind) {}
};

}  // namespace kx
