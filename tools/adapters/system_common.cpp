// The adapters' system layer that is the same on every system: the list of
// the files these tools made ("made-files.txt"), the buffered writer, and the
// staged outputs (checked, staged, moved into place, recorded). The system
// calls behind them are in system_posix.cpp and system_win32.cpp.
#include "base/text.h"
#include "tools/adapters/system.h"
#include "tools/adapters/system_os.h"

namespace kx::adapt::sys {

namespace {

// Adds a line for each file, dropping lines of files that changed or went.
void recordMade(const std::vector<std::string>& absolutePaths) {
    std::string path = os::ledgerPath();
    std::unique_ptr<os::LockedFile> ledger = path.empty() ? nullptr : os::LockedFile::open(path, true);
    if (!ledger) return;
    std::string kept;
    for (const std::string& line : splitOn(ledger->read(), '\n')) {
        std::size_t tab = line.find('\t');
        if (tab == std::string::npos) continue;
        std::string file = line.substr(tab + 1);
        bool replaced = false;
        for (const std::string& p : absolutePaths) replaced = replaced || p == file;
        if (!replaced && os::ledgerLine(file) == line) kept += line + "\n";
    }
    for (const std::string& p : absolutePaths)
        if (std::optional<std::string> line = os::ledgerLine(p)) kept += *line + "\n";
    ledger->replace(kept);
}

class BufferedWriter : public FileWriter {
public:
    explicit BufferedWriter(std::unique_ptr<os::RawOutput> file) : file_(std::move(file)) { buffer_.reserve(bufferSize); }
    void write(Bytes data) override {
        if (failed_) return;
        if (buffer_.size() + data.size() > bufferSize) flush();
        if (data.size() >= bufferSize) {
            if (!file_->writeAll(data.data(), data.size())) fail();
            return;
        }
        buffer_.insert(buffer_.end(), data.begin(), data.end());
    }
    bool close(std::string& error) override {
        // Not forced to the disk: like the tools these stand in for, the
        // output is left to the system's own writing (a whole track synced
        // at once costs as much as writing it).
        flush();
        if (!file_->close() && !failed_) fail();
        if (failed_) error = "cannot write the output: " + os::errorText(code_);
        return !failed_;
    }

private:
    static constexpr std::size_t bufferSize = 1 << 20;
    std::unique_ptr<os::RawOutput> file_;
    bool failed_ = false;
    os::ErrorCode code_ = 0;
    std::vector<unsigned char> buffer_;

    void fail() {
        if (!failed_) code_ = os::lastError();
        failed_ = true;
    }
    void flush() {
        if (!failed_ && !buffer_.empty() && !file_->writeAll(buffer_.data(), buffer_.size())) fail();
        buffer_.clear();
    }
};

}  // namespace

std::unique_ptr<FileWriter> FileWriter::open(const std::string& path, std::string& error) {
    os::ErrorCode code = 0;
    std::unique_ptr<os::RawOutput> file = os::RawOutput::open(path, code);
    if (!file) {
        error = "cannot open " + path + " for writing: " + os::errorText(code);
        return nullptr;
    }
    return std::make_unique<BufferedWriter>(std::move(file));
}

bool madeByTools(const std::string& path) {
    std::optional<std::string> now = os::ledgerLine(absolute(path));
    if (!now) return false;
    std::string ledgerPath = os::ledgerPath();
    std::unique_ptr<os::LockedFile> ledger = ledgerPath.empty() ? nullptr : os::LockedFile::open(ledgerPath, false);
    if (!ledger) return false;
    for (const std::string& line : splitOn(ledger->read(), '\n'))
        if (line == *now) return true;
    return false;
}

Outputs::Outputs(std::vector<std::string> inputs) : inputs_(std::move(inputs)) {}

Outputs::~Outputs() { discard(); }

std::optional<std::string> Outputs::stage(const std::string& target, std::string& error) {
    if (!makeRoom(target, error)) return std::nullopt;
    std::string folder = folderOf(target), name = target.substr(folder.size());
    for (int attempt = 0; attempt < 100; ++attempt) {
        os::ErrorCode code = 0;
        std::optional<os::Staging> staging =
            os::makeStaging(folder, name, entries_.size() * 100 + std::size_t(attempt), code);
        if (staging) {
            entries_.push_back({staging->staged, target, staging->folder});
            return entries_.back().staged;
        }
        if (!os::alreadyExists(code)) {
            error = std::string("cannot create a ") + os::stagingKind + " next to " + target + ": " + os::errorText(code);
            return std::nullopt;
        }
    }
    error = "cannot find a free temporary name next to " + target;
    return std::nullopt;
}

bool Outputs::commit(std::string& error) {
    std::vector<std::string> made;
    bool ok = true;
    for (Entry& e : entries_) {
        if (e.staged.empty()) continue;
        os::ErrorCode code = os::moveNoReplace(e.staged, e.target);
        if (code != 0) {
            error = "cannot put " + e.target + " in place: " +
                    (os::alreadyExists(code) ? std::string("a file of that name appeared meanwhile") : os::errorText(code));
            ok = false;
            break;
        }
        e.staged.clear();
        made.push_back(absolute(e.target));
    }
    recordMade(made);
    discard();
    return ok;
}

void Outputs::discard() {
    for (Entry& e : entries_) {
        if (!e.staged.empty()) os::removeQuietly(e.staged);
        e.staged.clear();
        // Only when empty: whatever else a tool left there is not ours to delete.
        if (!e.folder.empty()) os::removeEmptyFolder(e.folder);
        e.folder.clear();
    }
}

bool Outputs::makeRoom(const std::string& target, std::string& error) {
    if (target.empty() || folderOf(target).size() == target.size() || isFolder(target)) {
        error = "the output " + target + " is not a file name";
        return false;
    }
    for (const std::string& input : inputs_)
        if (input == target || sameFile(input, target)) {
            error = "the output " + target + " is an input of this step; it is not written over";
            return false;
        }
    for (const Entry& e : entries_)
        if (e.target == target || sameFile(e.target, target)) {
            error = "the output " + target + " is named twice";
            return false;
        }
    if (!exists(target)) return true;
    if (!madeByTools(target)) {
        error = "the output " + target + " already exists and was not made by this program; it is left alone";
        return false;
    }
    // An earlier output of ours goes now, so that whatever stands under that
    // name after this run is this run's work.
    std::string why;
    if (removeFile(target, why)) return true;
    error = "cannot remove the earlier " + target + ": " + why;
    return false;
}

}  // namespace kx::adapt::sys
