// The test front end's control state and journal.
#include "mock/fake_ui.h"

#include <algorithm>

#include "base/encoding.h"

namespace kx::test {

void FakeUi::progressSet(int control, int value) {
    if (control == progressBar) journal_.push_back("progress: " + std::to_string(value));
}

void FakeUi::setStatus(std::string_view text) {
    std::lock_guard lock(mutex_);
    journal_.push_back("status: " + toUtf8(text));
}

void FakeUi::messageBox(std::string_view, std::string_view text) {
    std::lock_guard lock(mutex_);
    journal_.push_back("message: " + toUtf8(text));
}

std::vector<std::string> FakeUi::journal() const {
    std::lock_guard lock(mutex_);
    return journal_;
}

std::vector<std::string> FakeUi::journalFrom(const std::string& line) const {
    std::lock_guard lock(mutex_);
    auto at = std::find(journal_.begin(), journal_.end(), line);
    return {at, journal_.end()};
}

bool FakeUi::saw(const std::string& line) const {
    std::lock_guard lock(mutex_);
    return std::find(journal_.begin(), journal_.end(), line) != journal_.end();
}

void FakeUi::note(const std::string& line) {
    std::lock_guard lock(mutex_);
    journal_.push_back(line);
}

std::vector<std::string> FakeUi::messages() const {
    std::vector<std::string> texts;
    for (const std::string& line : journal())
        if (line.starts_with("message: ")) texts.push_back(line.substr(9));
    return texts;
}

void FakeUi::clearJournal() {
    std::lock_guard lock(mutex_);
    journal_.clear();
}

std::vector<std::string> FakeUi::items(int control) {
    std::lock_guard lock(mutex_);
    Control* c = find(control, ControlKind::dropDown);
    return c ? c->items : std::vector<std::string>{};
}

std::vector<std::string> FakeUi::columns(int control) {
    std::lock_guard lock(mutex_);
    Control* c = find(control, ControlKind::columnList);
    return c ? c->columns : std::vector<std::string>{};
}

std::vector<std::string> FakeUi::row(int control, int row) {
    std::lock_guard lock(mutex_);
    Control* c = find(control, ControlKind::columnList);
    if (!c || row < 0 || row >= int(c->rows.size())) return {};
    return c->rows[std::size_t(row)].cells;
}

RowColour FakeUi::rowColour(int control, int row) {
    std::lock_guard lock(mutex_);
    Control* c = find(control, ControlKind::columnList);
    if (!c || row < 0 || row >= int(c->rows.size())) return RowColour::none;
    return c->rows[std::size_t(row)].colour;
}

}  // namespace kx::test
