// Runs the real program through klarbrix-drive in a temporary program folder,
// for end-to-end tests: commands in, transcript lines out.
#pragma once

#include <string>
#include <vector>

namespace kx::test {

// A fresh program folder under /tmp, removed with the object. It holds
// options.txt (the delivered one unless told otherwise) and, unless told
// otherwise, an empty Applications folder.
class ProgramFolder {
public:
    explicit ProgramFolder(bool withApplications = true);
    ~ProgramFolder();
    ProgramFolder(const ProgramFolder&) = delete;
    ProgramFolder& operator=(const ProgramFolder&) = delete;

    const std::string& path() const { return path_; }  // ends with '/'
    std::string operator/(const std::string& name) const { return path_ + name; }
    void write(const std::string& name, const std::string& bytes) const;
    std::string read(const std::string& name) const;
    bool exists(const std::string& name) const;
    // Writes an executable shell script (for test doubles of the tools).
    void writeProgram(const std::string& name, const std::string& script) const;

private:
    std::string path_;
};

struct Transcript {
    int status = -1;
    std::vector<std::string> lines;  // standard output, one entry a line
    std::string errors;              // standard error
    bool has(const std::string& line) const;
    // Index of the first line equal to `line` at or after `from`, -1 if none.
    int find(const std::string& line, int from = 0) const;
    int count(const std::string& line) const;
    std::string text() const;  // every line, for failure messages
};

// The folder holding the programs the tests start (klarbrix-drive, and the
// stand-ins in program/Applications): the build folder, unless the variable
// KLARBRIX_PROGRAMS_DIR names another build of them (a ThreadSanitizer one).
std::string programsFolder();

// Runs klarbrix-drive in `folder` with `commands` (one a line) on its input.
Transcript drive(const ProgramFolder& folder, const std::string& commands,
                 const std::vector<std::string>& arguments = {});

}  // namespace kx::test
