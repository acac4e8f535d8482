// The record of the files the program made, read at start and written
// whole (a temporary renamed over it) at every change.
#include "model/made_files.h"

#include <algorithm>
#include <charconv>

#include "base/text.h"

namespace kx {

namespace {

// A record larger than this is not the program's: it is not read.
constexpr std::int64_t largestRecord = 4 << 20;
// The most files it remembers (the oldest go first), well under that size.
constexpr std::size_t mostEntries = 5000;

bool readNumber(std::string_view text, std::int64_t& value) {
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size();
}

}  // namespace

MadeFiles::MadeFiles(FileSystem& files, std::string record) : files_(files), record_(std::move(record)) { load(); }

void MadeFiles::load() {
    if (record_.empty() || files_.fileSize(record_) > largestRecord) return;
    auto text = files_.readFile(record_);
    if (!text) return;
    for (const std::string& line : splitLines(*text)) {
        std::size_t first = line.find('\t'), second = first == std::string::npos ? first : line.find('\t', first + 1);
        if (second == std::string::npos || second + 1 >= line.size()) continue;
        Entry entry;
        if (!readNumber(std::string_view(line).substr(0, first), entry.size) ||
            !readNumber(std::string_view(line).substr(first + 1, second - first - 1), entry.modified))
            continue;
        entry.path = line.substr(second + 1);
        // Files gone since are forgotten.
        if (files_.exists(entry.path)) entries_.push_back(std::move(entry));
    }
}

void MadeFiles::save() {
    if (record_.empty()) return;
    std::string text;
    for (const Entry& entry : entries_)
        text += std::to_string(entry.size) + "\t" + std::to_string(entry.modified) + "\t" + entry.path + "\r\n";
    files_.replaceFile(record_, text);
}

std::vector<MadeFiles::Entry>::iterator MadeFiles::find(const std::string& path) {
    // Letter case aside, as Windows names files; the size and time tell the files apart.
    return std::find_if(entries_.begin(), entries_.end(), [&](const Entry& e) { return equalsNoCase(e.path, path); });
}

void MadeFiles::note(const std::string& path) {
    const std::int64_t size = files_.fileSize(path), modified = files_.modifiedTime(path);
    std::lock_guard lock(mutex_);
    auto at = find(path);
    if (size < 0 || modified < 0) {
        if (at != entries_.end()) entries_.erase(at);
    } else if (at == entries_.end()) {
        entries_.push_back({path, size, modified});
        if (entries_.size() > mostEntries) entries_.erase(entries_.begin());
    } else {
        at->size = size;
        at->modified = modified;
    }
    save();
}

bool MadeFiles::owns(const std::string& path) {
    const std::int64_t size = files_.fileSize(path), modified = files_.modifiedTime(path);
    std::lock_guard lock(mutex_);
    auto at = find(path);
    return at != entries_.end() && size >= 0 && at->size == size && at->modified == modified;
}

void MadeFiles::forget(const std::string& path) {
    std::lock_guard lock(mutex_);
    auto at = find(path);
    if (at == entries_.end()) return;
    entries_.erase(at);
    save();
}

bool MadeFiles::removeOwn(const std::string& path) {
    if (!owns(path) || !files_.removeFile(path)) return false;
    forget(path);
    return true;
}

}  // namespace kx
