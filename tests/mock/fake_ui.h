// A front end for in-process tests: keeps the controls' state as the workers
// leave it and writes what the user would see (status, progress, messages)
// into a journal, in UTF-8 and in the driver's words, for ordered checks.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "frontends/kit/stored_ui.h"

namespace kx {

// Row colours by name in test failure messages.
inline void PrintTo(RowColour colour, std::ostream* out) {
    *out << (colour == RowColour::green   ? "green"
             : colour == RowColour::red     ? "red"
             : colour == RowColour::working ? "working"
                                            : "none");
}

}  // namespace kx

namespace kx::test {

class FakeUi : public StoredUi {
public:
    void setStatus(std::string_view text) override;
    // Nothing comes: the tests call the workers themselves.
    Event waitEvent() override { return {}; }
    void post(Event) override {}
    void messageBox(std::string_view title, std::string_view text) override;
    bool askYesNo(std::string_view, std::string_view) override { return false; }
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
    void progressSet(int control, int value) override;

    std::vector<std::string> journal_;
};

}  // namespace kx::test
