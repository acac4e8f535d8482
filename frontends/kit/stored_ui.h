// The control state of a front end that shows nothing: windows, controls,
// items, rows and columns kept in memory by the contract's rules. The
// scripted driver's front end and the tests' fake both stand on it.
#pragma once

#include <map>
#include <mutex>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "ui/ui.h"

namespace kx {

class StoredUi : public Ui {
public:
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
    void setFocus(int) override {}
    void showBalloonTip(int control, std::string_view text, std::string_view title, int icon) override;

protected:
    struct Row {
        std::vector<std::string> cells;
        RowColour colour = RowColour::none;
    };
    // Each kind keeps only what its operations use: items and a selection
    // for a drop-down list, columns and rows for the list with columns, a
    // state for a check box, a value for a progress bar.
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

    // Told under the lock, after the change: a window opened or closed, a
    // progress value set on a control that exists.
    virtual void windowOpened(int) {}
    virtual void windowClosed(int) {}
    virtual void progressSet(int, int) {}

    // Under the lock: a control of an open window, or null.
    Control* find(int control);
    Control* find(int control, ControlKind kind);
    bool windowOpen(int window) const { return windows_.count(window) != 0; }
    std::vector<std::string> menuTitles(int window) const;

    // Guards the state here and whatever a front end built on it keeps.
    mutable std::mutex mutex_;

private:
    void closeWindowLocked(int window);

    std::map<int, Control> controls_;
    std::set<int> windows_;
    std::map<int, std::vector<std::string>> menuTitles_;
};

}  // namespace kx
