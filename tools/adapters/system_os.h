// What each system's half of the adapters (system_posix.cpp, system_win32.cpp)
// gives the portable half (system_common.cpp): error codes and their text, the
// ledger's place and lines, locked and plain file access, and staging places.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>

namespace kx::adapt::sys::os {

// errno on POSIX, GetLastError() on Windows.
using ErrorCode = unsigned long;
ErrorCode lastError();
std::string errorText(ErrorCode code);
// The code says that a file of that name exists already.
bool alreadyExists(ErrorCode code);

// Where the list of the files these tools made lies; empty when nowhere.
std::string ledgerPath();
// One ledger line for a file as it is now: its identity, size and time, a
// tab, the path; none when it is not a file.
std::optional<std::string> ledgerLine(const std::string& absolutePath);

// A file opened and locked (shared to read, exclusive to write, then created
// when missing) for the time of one use.
class LockedFile {
public:
    static std::unique_ptr<LockedFile> open(const std::string& path, bool write);
    virtual ~LockedFile() = default;
    virtual std::string read() = 0;
    // The whole content replaced by `text`.
    virtual void replace(const std::string& text) = 0;
};

// A file opened for writing (created or truncated as FileWriter::open says).
class RawOutput {
public:
    // Null with the code in `code`.
    static std::unique_ptr<RawOutput> open(const std::string& path, ErrorCode& code);
    virtual ~RawOutput() = default;
    virtual bool writeAll(const unsigned char* data, std::size_t size) = 0;
    virtual bool close() = 0;
};

// A staging place for `target` (folder part `folder`, file name `name`),
// numbered `serial`: the file a tool is to write and, when the system uses
// one, the staging folder it lies in.
struct Staging {
    std::string staged;
    std::string folder;
};
// Null with the code in `code` (alreadyExists() when the name is taken).
std::optional<Staging> makeStaging(const std::string& folder, const std::string& name, std::size_t serial,
                                   ErrorCode& code);
// What makeStaging() creates, for the error text: "file" or "folder".
extern const char* const stagingKind;
// Moves `from` onto `to`, never replacing a file there; 0 or the error code.
ErrorCode moveNoReplace(const std::string& from, const std::string& to);
// Deletes a file or an empty folder, saying nothing when it cannot.
void removeQuietly(const std::string& file);
void removeEmptyFolder(const std::string& folder);

}  // namespace kx::adapt::sys::os
