// The file operations of the workers and the model, as a service passed in:
// the system's by default, replaced in tests by one that fails on purpose
// (a full disk, a move refused). Same meanings as the functions of files.h.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/files.h"
#include "platform/script_encoding.h"

namespace kx {

class FileSystem {
public:
    virtual ~FileSystem() = default;

    virtual std::optional<std::string> readFile(const std::string& path) { return fs::readFile(path); }
    virtual bool writeFile(const std::string& path, std::string_view data) { return fs::writeFile(path, data); }
    // Writes a temporary beside `path` and renames it over `path`: a failure
    // at any point leaves the old contents whole. For the program's own files.
    virtual bool replaceFile(const std::string& path, std::string_view data) { return fs::replaceFile(path, data); }
    // A batch script: its cp1252 text written in the code page that the
    // command interpreter reads. When some letter cannot be carried, nothing
    // is written, an older script of that name is deleted (it must never run
    // in its place) and the result is false.
    virtual bool writeScriptFile(const std::string& path, std::string_view cp1252) {
        auto bytes = toScriptCodePage(cp1252);
        if (bytes) return writeFile(path, *bytes);
        removeFile(path);
        return false;
    }
    // A script as cp1252 text, for the run's log.
    virtual std::optional<std::string> readScriptFile(const std::string& path) {
        auto bytes = readFile(path);
        if (!bytes) return std::nullopt;
        return fromScriptCodePage(*bytes);
    }
    // Whether a name can be written in a script as it is.
    virtual bool scriptCarries(std::string_view cp1252) { return scriptCodePageCarries(cp1252); }
    virtual std::int64_t fileSize(const std::string& path) { return fs::fileSize(path); }
    virtual std::int64_t modifiedTime(const std::string& path) { return fs::modifiedTime(path); }
    virtual bool exists(const std::string& path) { return fs::exists(path); }
    virtual bool isFolder(const std::string& path) { return fs::isFolder(path); }
    virtual bool sameFile(const std::string& a, const std::string& b) { return fs::sameFile(a, b); }
    virtual std::optional<std::vector<std::string>> listFolder(const std::string& path) {
        return fs::listFolder(path);
    }
    virtual std::optional<std::string> findAnyCase(const std::string& path) { return fs::findAnyCase(path); }
    virtual bool removeFile(const std::string& path) { return fs::removeFile(path); }
    virtual bool makeFolder(const std::string& path) { return fs::makeFolder(path); }
    virtual fs::MoveResult moveNoReplace(const std::string& from, const std::string& to) {
        return fs::moveNoReplace(from, to);
    }
    virtual std::int64_t freeSpace(const std::string& folder) { return fs::freeSpace(folder); }
};

}  // namespace kx
