// The in-memory control state: every operation under one lock, on the
// control of the kind it is meant for; anything else does nothing.
#include "frontends/kit/stored_ui.h"

#include <algorithm>

namespace kx {

namespace {

bool inRange(int index, std::size_t size) { return index >= 0 && index < int(size); }

}  // namespace

StoredUi::Control* StoredUi::find(int control) {
    auto it = controls_.find(control);
    return it == controls_.end() ? nullptr : &it->second;
}

StoredUi::Control* StoredUi::find(int control, ControlKind kind) {
    Control* c = find(control);
    return c && c->kind == kind ? c : nullptr;
}

std::vector<std::string> StoredUi::menuTitles(int window) const {
    auto it = menuTitles_.find(window);
    return it == menuTitles_.end() ? std::vector<std::string>{} : it->second;
}

bool StoredUi::openWindow(const WindowDesc& window) {
    std::lock_guard lock(mutex_);
    closeWindowLocked(window.id);
    windows_.insert(window.id);
    for (const ControlDesc& desc : window.controls) {
        Control control;
        control.kind = desc.kind;
        control.window = window.id;
        // A list with columns starts with one, titled by its caption.
        if (desc.kind == ControlKind::columnList) control.columns.emplace_back(desc.caption);
        else control.text = desc.caption;
        controls_[desc.id] = std::move(control);
    }
    if (!window.menuTitle.empty()) menuTitles_[window.id] = {std::string(window.menuTitle)};
    windowOpened(window.id);
    return true;
}

void StoredUi::closeWindowLocked(int window) {
    if (!windows_.erase(window)) return;
    std::erase_if(controls_, [window](const auto& entry) { return entry.second.window == window; });
    menuTitles_.erase(window);
    windowClosed(window);
}

void StoredUi::closeWindow(int window) {
    std::lock_guard lock(mutex_);
    closeWindowLocked(window);
}

void StoredUi::addMenuTitle(int window, std::string_view title) {
    std::lock_guard lock(mutex_);
    auto it = menuTitles_.find(window);
    if (it != menuTitles_.end()) it->second.emplace_back(title);
}

void StoredUi::setText(int control, std::string_view text) {
    std::lock_guard lock(mutex_);
    if (Control* c = find(control)) c->text = text;
}

std::string StoredUi::text(int control) {
    std::lock_guard lock(mutex_);
    Control* c = find(control);
    if (!c) return {};
    // A drop-down list reads as its chosen item.
    if (c->kind == ControlKind::dropDown) return inRange(c->selected, c->items.size()) ? c->items[c->selected] : "";
    return c->text;
}

void StoredUi::setChecked(int control, bool checked) {
    std::lock_guard lock(mutex_);
    if (Control* c = find(control, ControlKind::checkBox)) c->checked = checked;
}

bool StoredUi::checked(int control) {
    std::lock_guard lock(mutex_);
    Control* c = find(control, ControlKind::checkBox);
    return c && c->checked;
}

void StoredUi::addItem(int control, std::string_view text) {
    std::lock_guard lock(mutex_);
    if (Control* c = find(control, ControlKind::dropDown)) c->items.emplace_back(text);
}

void StoredUi::insertItem(int control, int index, std::string_view text) {
    std::lock_guard lock(mutex_);
    Control* c = find(control, ControlKind::dropDown);
    if (!c || index < 0 || index > int(c->items.size())) return;
    c->items.emplace(c->items.begin() + index, text);
    if (c->selected >= index) ++c->selected;
}

void StoredUi::clearItems(int control) {
    std::lock_guard lock(mutex_);
    if (Control* c = find(control)) {
        c->items.clear();
        c->rows.clear();
        c->selected = -1;
    }
}

int StoredUi::itemCount(int control) {
    std::lock_guard lock(mutex_);
    Control* c = find(control);
    if (!c) return 0;
    // The list with columns counts its rows, whatever columns it has.
    return int(c->kind == ControlKind::columnList ? c->rows.size() : c->items.size());
}

std::string StoredUi::itemText(int control, int index) {
    std::lock_guard lock(mutex_);
    Control* c = find(control, ControlKind::dropDown);
    return c && inRange(index, c->items.size()) ? c->items[std::size_t(index)] : std::string();
}

void StoredUi::select(int control, int index) {
    std::lock_guard lock(mutex_);
    Control* c = find(control, ControlKind::dropDown);
    if (c && index >= -1 && index < int(c->items.size())) c->selected = index;
}

int StoredUi::selected(int control) {
    std::lock_guard lock(mutex_);
    Control* c = find(control, ControlKind::dropDown);
    return c ? c->selected : -1;
}

void StoredUi::addColumn(int control, std::string_view title, int) {
    std::lock_guard lock(mutex_);
    if (Control* c = find(control, ControlKind::columnList)) c->columns.emplace_back(title);
}

int StoredUi::columnCount(int control) {
    std::lock_guard lock(mutex_);
    Control* c = find(control, ControlKind::columnList);
    return c ? int(c->columns.size()) : 0;
}

void StoredUi::addRow(int control, const std::vector<std::string>& cells) {
    std::lock_guard lock(mutex_);
    if (Control* c = find(control, ControlKind::columnList)) c->rows.push_back({cells});
}

void StoredUi::removeRow(int control, int row) {
    std::lock_guard lock(mutex_);
    Control* c = find(control, ControlKind::columnList);
    if (c && inRange(row, c->rows.size())) c->rows.erase(c->rows.begin() + row);
}

std::string StoredUi::cellText(int control, int row, int column) {
    std::lock_guard lock(mutex_);
    Control* c = find(control, ControlKind::columnList);
    if (!c || !inRange(row, c->rows.size())) return {};
    const auto& cells = c->rows[std::size_t(row)].cells;
    return inRange(column, cells.size()) ? cells[std::size_t(column)] : std::string();
}

void StoredUi::setRowColour(int control, int row, RowColour colour) {
    std::lock_guard lock(mutex_);
    Control* c = find(control, ControlKind::columnList);
    if (c && inRange(row, c->rows.size())) c->rows[std::size_t(row)].colour = colour;
}

void StoredUi::setProgress(int control, int value) {
    std::lock_guard lock(mutex_);
    Control* c = find(control);
    if (!c) return;
    c->value = value;
    progressSet(control, value);
}

void StoredUi::showBalloonTip(int control, std::string_view text, std::string_view, int) {
    std::lock_guard lock(mutex_);
    if (Control* c = find(control)) c->tip = text;
}

}  // namespace kx
