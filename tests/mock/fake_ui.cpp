// The test front end's control state and journal.
#include "mock/fake_ui.h"

#include <algorithm>

#include "base/encoding.h"

namespace kx::test {

FakeUi::Control* FakeUi::find(int control) {
    auto it = controls_.find(control);
    return it == controls_.end() ? nullptr : &it->second;
}

bool FakeUi::openWindow(const WindowDesc& window) {
    std::lock_guard lock(mutex_);
    std::erase_if(controls_, [&window](const auto& entry) { return entry.second.window == window.id; });
    for (const ControlDesc& desc : window.controls) {
        Control control;
        control.window = window.id;
        if (desc.kind == ControlKind::columnList) control.columns.emplace_back(desc.caption);
        else control.text = desc.caption;
        controls_[desc.id] = std::move(control);
    }
    return true;
}

void FakeUi::closeWindow(int window) {
    std::lock_guard lock(mutex_);
    std::erase_if(controls_, [window](const auto& entry) { return entry.second.window == window; });
}

void FakeUi::setText(int control, std::string_view text) {
    std::lock_guard lock(mutex_);
    if (Control* c = find(control)) c->text = text;
}

std::string FakeUi::text(int control) {
    std::lock_guard lock(mutex_);
    Control* c = find(control);
    return c ? c->text : std::string();
}

void FakeUi::setChecked(int control, bool checked) {
    std::lock_guard lock(mutex_);
    if (Control* c = find(control)) c->checked = checked;
}

bool FakeUi::checked(int control) {
    std::lock_guard lock(mutex_);
    Control* c = find(control);
    return c && c->checked;
}

void FakeUi::addItem(int control, std::string_view text) {
    std::lock_guard lock(mutex_);
    if (Control* c = find(control)) c->items.emplace_back(text);
}

void FakeUi::insertItem(int control, int index, std::string_view text) {
    std::lock_guard lock(mutex_);
    Control* c = find(control);
    if (!c || index < 0 || index > int(c->items.size())) return;
    c->items.emplace(c->items.begin() + index, text);
    if (c->selected >= index) ++c->selected;
}

void FakeUi::clearItems(int control) {
    std::lock_guard lock(mutex_);
    if (Control* c = find(control)) {
        c->items.clear();
        c->rows.clear();
        c->selected = -1;
    }
}

int FakeUi::itemCount(int control) {
    std::lock_guard lock(mutex_);
    Control* c = find(control);
    if (!c) return 0;
    return int(c->columns.empty() ? c->items.size() : c->rows.size());
}

std::string FakeUi::itemText(int control, int index) {
    std::lock_guard lock(mutex_);
    Control* c = find(control);
    if (!c || index < 0 || index >= int(c->items.size())) return {};
    return c->items[std::size_t(index)];
}

void FakeUi::select(int control, int index) {
    std::lock_guard lock(mutex_);
    Control* c = find(control);
    if (c && index >= -1 && index < int(c->items.size())) c->selected = index;
}

int FakeUi::selected(int control) {
    std::lock_guard lock(mutex_);
    Control* c = find(control);
    return c ? c->selected : -1;
}

void FakeUi::addColumn(int control, std::string_view title, int) {
    std::lock_guard lock(mutex_);
    if (Control* c = find(control)) c->columns.emplace_back(title);
}

int FakeUi::columnCount(int control) {
    std::lock_guard lock(mutex_);
    Control* c = find(control);
    return c ? int(c->columns.size()) : 0;
}

void FakeUi::addRow(int control, const std::vector<std::string>& cells) {
    std::lock_guard lock(mutex_);
    if (Control* c = find(control)) c->rows.push_back({cells, RowColour::none});
}

void FakeUi::removeRow(int control, int row) {
    std::lock_guard lock(mutex_);
    Control* c = find(control);
    if (c && row >= 0 && row < int(c->rows.size())) c->rows.erase(c->rows.begin() + row);
}

std::string FakeUi::cellText(int control, int row, int column) {
    std::lock_guard lock(mutex_);
    Control* c = find(control);
    if (!c || row < 0 || row >= int(c->rows.size())) return {};
    const auto& cells = c->rows[std::size_t(row)].cells;
    return column >= 0 && column < int(cells.size()) ? cells[std::size_t(column)] : std::string();
}

void FakeUi::setRowColour(int control, int row, RowColour colour) {
    std::lock_guard lock(mutex_);
    Control* c = find(control);
    if (c && row >= 0 && row < int(c->rows.size())) c->rows[std::size_t(row)].colour = colour;
}

void FakeUi::setProgress(int control, int value) {
    std::lock_guard lock(mutex_);
    if (Control* c = find(control)) c->text = std::to_string(value);
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
    Control* c = find(control);
    return c ? c->items : std::vector<std::string>{};
}

std::vector<std::string> FakeUi::columns(int control) {
    std::lock_guard lock(mutex_);
    Control* c = find(control);
    return c ? c->columns : std::vector<std::string>{};
}

std::vector<std::string> FakeUi::row(int control, int row) {
    std::lock_guard lock(mutex_);
    Control* c = find(control);
    if (!c || row < 0 || row >= int(c->rows.size())) return {};
    return c->rows[std::size_t(row)].cells;
}

RowColour FakeUi::rowColour(int control, int row) {
    std::lock_guard lock(mutex_);
    Control* c = find(control);
    if (!c || row < 0 || row >= int(c->rows.size())) return RowColour::none;
    return c->rows[std::size_t(row)].colour;
}

}  // namespace kx::test
