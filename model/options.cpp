// Reading, looking up, changing and writing the settings table.
#include "model/options.h"

#include "base/text.h"
#include "platform/files.h"

namespace kx {

OptionTable parseOptions(std::string_view fileText) {
    OptionTable table;
    std::size_t k = 0;
    for (const std::string& line : splitLines(fileText)) {
        if (k == table.size()) break;
        std::size_t equals = line.find('=');
        std::size_t keyLength = equals == std::string::npos ? 1 : equals + 2;
        std::string key = line.substr(0, keyLength);
        table[k++] = {key, replaceAllNoCase(line, key, ""), equals == std::string::npos ? line : std::string()};
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

void Settings::loadOptions() {
    auto text = fs::readFile(path_);
    std::lock_guard lock(mutex_);
    table_ = text ? parseOptions(*text) : OptionTable{};
}

std::string Settings::getOption(std::string_view key) const {
    std::lock_guard lock(mutex_);
    return kx::getOption(table_, key);
}

void Settings::setOption(std::string_view key, std::string_view value) {
    std::lock_guard lock(mutex_);
    kx::setOption(table_, key, value);
}

void Settings::saveOptions() const {
    std::string text;
    {
        std::lock_guard lock(mutex_);
        text = formatOptions(table_);
    }
    fs::writeFile(path_, text);
}

}  // namespace kx
