// What the tool adapters need from the operating system: running a program
// without a shell, reading files, and writing outputs safely (staged next to
// the target, moved into place only on success, never over a file these
// tools did not make). Paths are the bytes the adapter was given (UTF-8).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tools/adapters/frames.h"

namespace kx::adapt::sys {

struct RunResult {
    bool started = false;
    int exitCode = -1;  // the program's exit status; 128 + signal when killed
    std::string out;    // standard output, when captured
    std::string err;    // standard error, when captured
    std::string error;  // why the program could not be started
};

enum Capture { captureNothing = 0, captureOut = 1, captureErr = 2 };

// Starts argv[0] (looked up in PATH, this executable passed over) with the
// given arguments and no shell, standard input from /dev/null, and the
// environment plus KLARBRIX_ADAPTER_CHILD=1; waits for it.
// With `onOutput` and captureOut, each piece of standard output is also
// handed to it as it comes (POSIX).
RunResult run(const std::vector<std::string>& argv, int capture,
              const std::function<void(std::string_view)>& onOutput = {});

bool exists(const std::string& path);
// The folder part of a path with its final separator; empty when there is none.
std::string folderOf(const std::string& path);
// Deletes a file; false with the system's reason in `error`.
bool removeFile(const std::string& path, std::string& error);
bool isFolder(const std::string& path);
// Both exist and are the same file (hard links and other spellings included).
bool sameFile(const std::string& a, const std::string& b);
std::optional<std::string> readFile(const std::string& path);
// The path made absolute against the current folder (not resolved further).
std::string absolute(const std::string& path);

// A read-only view of a whole file.
class FileView {
public:
    static std::unique_ptr<FileView> open(const std::string& path, std::string& error);
    virtual ~FileView() = default;
    virtual Bytes bytes() const = 0;
};

// Sequential writing into a staged output (created when not there yet).
class FileWriter {
public:
    static std::unique_ptr<FileWriter> open(const std::string& path, std::string& error);
    virtual ~FileWriter() = default;
    virtual void write(Bytes data) = 0;
    // Flushes and closes; false (with `error`) when any write failed.
    virtual bool close(std::string& error) = 0;
};

// The files one run of an adapter writes.
class Outputs {
public:
    // `inputs`: the files the run reads, which must never become targets.
    explicit Outputs(std::vector<std::string> inputs);
    ~Outputs();
    Outputs(const Outputs&) = delete;
    Outputs& operator=(const Outputs&) = delete;

    // Reserves a staging name next to `target` and returns it (on POSIX a
    // file of the target's name in a new folder of our own, for the tool to
    // create; on Windows an empty file).
    // Refused when the target is an input or a folder, is already a target of
    // this run, or exists and was not made by these tools; an earlier target
    // that these tools made is deleted at once.
    std::optional<std::string> stage(const std::string& target, std::string& error);
    // Moves every staged file onto its target and notes it as made by these
    // tools. Stops at the first failure.
    bool commit(std::string& error);
    // Deletes the staging files not committed.
    void discard();

private:
    // Checks that `target` may be staged (a file name, no input, not named
    // twice, not a file these tools did not make) and deletes an earlier
    // output of ours under that name; false with the reason in `error`.
    bool makeRoom(const std::string& target, std::string& error);

    struct Entry {
        std::string staged;
        std::string target;
        std::string folder;  // a staging folder of its own, when the system uses one
    };
    std::vector<std::string> inputs_;
    std::vector<Entry> entries_;
};

// Whether `path` is a file that these tools made and nobody changed since.
bool madeByTools(const std::string& path);

}  // namespace kx::adapt::sys
