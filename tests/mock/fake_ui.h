// A front end for in-process tests: keeps the controls' state as the workers
// leave it and writes what the user would see (status, progress, messages)
// into a journal, in UTF-8 and in the driver's words, for ordered checks.
#pragma once

#include <map>
#include <mutex>
#include <ostream>
#include <string>
#include <vector>

#include "ui/ui.h"

namespace kx {

// Row colours by name in test failure messages.
inline void PrintTo(RowColour colour, std::ostream* out) {
    *out << (colour == RowColour::green ? "green" : colour == RowColour::red ? "red" : "none");
}

}  // namespace kx

namespace kx::test {

class FakeUi : public Ui {
public:
    bool openWindow(const WindowDesc& window) override;
    void closeWindow(int window) override;
    void addMenuTitle(int, std::string_view) override {}
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
    void setFocus(int) override {}
    void showBalloonTip(int, std::string_view, std::string_view, int) override {}
    // Nothing comes: the tests call the workers themselves.
    Event waitEvent() override { return {}; }
    void messageBox(std::string_view title, std::string_view text) override;
    ChosenPath openFileDialog(std::string_view, std::string_view, std::string_view, int) override { return {}; }
    ChosenPath chooseFolder(std::string_view, std::string_view) override { return {}; }

    // "status: TEXT", "progress: N" (the progress bar), "message: TEXT",
    // and whatever note() adds, in order; texts in UTF-8.
    std::vector<std::string> journal() const;
    // The journal from the first line equal to `line` on (empty when none).
    std::vector<std::string> journalFrom(const std::string& line) const;
    bool saw(const std::string& line) const;
    void note(const std::string& line);
    std::vector<std::string> messages() const;  // the message texts alone
    void clearJournal();

    std::vector<std::string> items(int control);   // item texts, cp1252
    std::vector<std::string> columns(int control);
    std::vector<std::string> row(int control, int row);
    RowColour rowColour(int control, int row);

private:
    struct Row {
        std::vector<std::string> cells;
        RowColour colour = RowColour::none;
    };
    struct Control {
        int window = -1;
        std::string text;
        bool checked = false;
        std::vector<std::string> items;
        int selected = -1;
        std::vector<std::string> columns;
        std::vector<Row> rows;
    };
    Control* find(int control);  // under the lock; null for a control of no open window

    mutable std::mutex mutex_;
    std::map<int, Control> controls_;
    std::vector<std::string> journal_;
};

}  // namespace kx::test
