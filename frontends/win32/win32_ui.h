// The Windows front end on the Win32 controls: builds the program's windows
// from their descriptions, turns the user's actions into events for
// waitEvent(), and carries calls from other threads to the windows' thread.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "ui/ui.h"

namespace kx {

class HelpPages;

class Win32Ui : public Ui {
public:
    // To be made on the thread that will own the windows and run the event
    // loop (waitEvent); common controls and COM must be set up on it first
    // (see initialiseThread). The help page gets its pages from `helpPages`;
    // without it, none can be had.
    explicit Win32Ui(std::shared_ptr<HelpPages> helpPages = nullptr);
    ~Win32Ui() override;
    Win32Ui(const Win32Ui&) = delete;
    Win32Ui& operator=(const Win32Ui&) = delete;

    // Common controls, the rich-text view and COM for the calling thread.
    static void initialiseThread();

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

    // For tests and screenshots, on the owning thread: the window handle
    // (HWND) of an open window or of a control, null when there is none; the
    // tool-tip window of a control; whether the help page has arrived (or failed).
    void* windowHandle(int window);
    void* controlHandle(int control);
    void* tipHandle(int control);
    bool pageSettled(int control);
    // Serves the windows until nothing is left to do, without waiting.
    void serve();

private:
    class Impl;
    std::unique_ptr<Impl> d_;
};

}  // namespace kx
