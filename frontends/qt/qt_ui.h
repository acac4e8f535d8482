// The desktop front end on Qt Widgets: builds the program's windows from their
// descriptions, turns the user's actions into events for waitEvent(), and
// carries out calls from other threads on the thread that owns the windows.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "ui/ui.h"

class QString;
class QWidget;

namespace kx {

class HelpPages;

class QtUi : public Ui {
public:
    // To be made on the thread that made the QApplication; that thread owns
    // the windows and must be the one that calls waitEvent() (other threads
    // may call it too when that thread runs Qt's own loop). The help page
    // gets its pages from `helpPages`; without it, none can be had.
    explicit QtUi(std::shared_ptr<HelpPages> helpPages = nullptr);
    ~QtUi() override;
    QtUi(const QtUi&) = delete;
    QtUi& operator=(const QtUi&) = delete;

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
    void post(Event event) override;

    void messageBox(std::string_view title, std::string_view text) override;
    bool askYesNo(std::string_view title, std::string_view text) override;
    ChosenPath openFileDialog(std::string_view title, std::string_view initialFile, std::string_view filter,
                              int firstFilter) override;
    ChosenPath chooseFolder(std::string_view title, std::string_view initialFolder) override;
    void runStarted(RunKind kind) override;
    void runEnded(RunKind kind) override;

    // The top-level widget of an open window, or null (owning thread only;
    // for tests and screenshots). The controls of pages not shown yet are
    // made first, so the window is whole.
    QWidget* windowWidget(int window);

    // Opens `path` the way "Ouvrir" opens a file: a click of openButton is
    // queued, and while the program handles that click its open-file dialog
    // answers `path` at once instead of showing itself. The program decides
    // as for a click (nothing happens while a file is shown). For a file
    // dropped on the main window or named on the command line.
    void openWithFile(const QString& path);

    // Called on the windows' thread: with each user action as it is queued,
    // and with each message's text just before its box is shown.
    void watchEvents(std::function<void(const Event&)> onEvent);
    void watchMessages(std::function<void(std::string_view text)> onMessage);
    // Called on the windows' thread when a run starts (`started`) and ends.
    void watchRuns(std::function<void(RunKind kind, bool started)> onRun);

private:
    class Impl;
    std::unique_ptr<Impl> d_;
};

}  // namespace kx
