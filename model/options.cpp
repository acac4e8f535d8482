// Reading, looking up, changing and writing the settings table.
#include "model/options.h"

#include "base/encoding.h"
#include "base/text.h"
#include "platform/files.h"
#include "ui/texts.h"

namespace kx {

OptionTable parseOptions(std::string_view fileText) {
    OptionTable table;
    for (const std::string& line : splitLines(fileText)) {
        std::size_t equals = line.find('=');
        std::size_t keyLength = equals == std::string::npos ? 1 : equals + 2;
        std::string key = line.substr(0, keyLength);
        // The value is the rest of the line as it stands: a value that holds
        // its key's text (a folder named "cheminremux = ") comes back whole.
        table.push_back({key, line.substr(key.size()), equals == std::string::npos ? line : std::string()});
    }
    return table;
}

std::string formatOptions(const OptionTable& table) {
    std::string text;
    for (const optionSlot& slot : table) {
        if (slot.key.empty()) continue;
        // A line without "=" is written back as it was read.
        text += slot.key.find('=') == std::string::npos ? slot.line : slot.key + slot.value;
        text += "\r\n";
    }
    return text;
}

std::string getOption(const OptionTable& table, std::string_view key) {
    for (const optionSlot& slot : table)
        if (slot.key == key) return slot.value;
    return {};
}

void setOption(OptionTable& table, std::string_view key, std::string_view value) {
    for (optionSlot& slot : table)
        if (slot.key == key) slot.value = value;
}

bool Settings::loadOptions() {
    const bool tooLarge = files_.fileSize(path_) > largestOptionsFile;
    auto text = tooLarge ? std::nullopt : files_.readFile(path_);
    std::lock_guard lock(mutex_);
    refused_ = tooLarge;
    table_ = text ? parseOptions(*text) : OptionTable{};
    // Missing settings follow the file's own lines, in the free slots of the
    // empty lines at its end, then after them, so the user's layout stays.
    std::size_t used = table_.size();
    while (used > 0 && table_[used - 1].key.empty()) --used;
    for (const OptionDesc& desc : optionTable) {
        bool present = false;
        for (const optionSlot& slot : table_) present = present || slot.key == desc.key;
        if (present) continue;
        optionSlot missing{std::string(desc.key), std::string(desc.delivered), {}};
        if (used < table_.size()) table_[used] = std::move(missing);
        else table_.push_back(std::move(missing));
        ++used;
    }
    return !tooLarge;
}

std::string settingsTooLarge(const std::string& path) {
    return std::string(settingsTooLargeHead) + path + std::string(settingsTooLargeTail);
}

std::string settingsNotSaved(const std::string& path) {
    return std::string(settingsNotSavedHead) + path;
}

std::string deliveredOptionsText() {
    std::string text;
    for (const OptionDesc& desc : optionTable) text.append(desc.key).append(desc.delivered).append("\r\n");
    return text;
}

std::string usableRemuxFolder(std::string_view stored) {
    for (char c : stored)
        if (c == '"' || (unsigned char)c < 0x20 || c == 0x7F) return {};
    bool absolute = startsWith(stored, "/") || startsWith(stored, "\\\\") ||
                    (stored.size() > 2 && stored[1] == ':' && (stored[2] == '\\' || stored[2] == '/'));
    if (!absolute) return {};
    std::string folder(stored);
    if (!endsWith(folder, "/") && !endsWith(folder, "\\"))
        folder += stored.find('\\') != std::string_view::npos ? '\\' : '/';
    return folder;
}

std::string Settings::getOption(Option option) const {
    std::lock_guard lock(mutex_);
    std::string value(deliveredValue(option));  // when even a free slot was lacking
    for (const optionSlot& slot : table_)
        if (slot.key == keyOf(option)) {
            value = slot.value;
            break;
        }
    return option == Option::cheminremux ? usableRemuxFolder(value) : value;
}

void Settings::setOption(Option option, std::string_view value) {
    std::lock_guard lock(mutex_);
    kx::setOption(table_, keyOf(option), value);
}

bool Settings::saveOptions() const {
    std::string text;
    {
        std::lock_guard lock(mutex_);
        if (refused_) return false;
        text = formatOptions(table_);
    }
    return files_.replaceFile(path_, text);
}

}  // namespace kx
