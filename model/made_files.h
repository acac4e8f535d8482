// The record of the files the program made (path, size, time of writing),
// kept in its work folder for the immediate run and the queue alike. A file
// of one of the program's names may be replaced only when the record says
// the program made it and it has not changed since; anything else is the user's.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_system.h"

namespace kx {

// The record's name in the work folder.
inline constexpr std::string_view madeFilesRecord = "madefiles.txt";

class MadeFiles {
public:
    // `record`: the file the record is kept in; read now, when it is there.
    MadeFiles(FileSystem& files, std::string record);

    // The file at `path` was just made by the program: it is noted as it is now.
    void note(const std::string& path);
    // The program made the file at `path` and it is unchanged since.
    bool owns(const std::string& path);
    // The file is gone (or no longer the program's to replace).
    void forget(const std::string& path);
    // Removes a file the program owns; false (nothing done) for any other.
    bool removeOwn(const std::string& path);

private:
    struct Entry {
        std::string path;
        std::int64_t size = 0;
        std::int64_t modified = 0;
    };
    // The record's file holds a line "size TAB time TAB path" per file; a
    // line that does not read as one is skipped (it may have been edited).
    void load();
    void save();  // under the lock
    std::vector<Entry>::iterator find(const std::string& path);

    FileSystem& files_;
    std::string record_;
    std::mutex mutex_;
    std::vector<Entry> entries_;
};

}  // namespace kx
