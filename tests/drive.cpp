// The end-to-end test harness around klarbrix-drive.
#include "drive.h"

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace kx::test {

namespace {

std::string slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

std::string shellQuoted(const std::string& text) {
    std::string out = "'";
    for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

}  // namespace

ProgramFolder::ProgramFolder(bool withApplications) {
    char pattern[] = "/tmp/klarbrix-test-XXXXXX";
    if (!::mkdtemp(pattern)) throw std::runtime_error("mkdtemp");
    path_ = std::string(pattern) + "/";
    write("options.txt", slurp(KLARBRIX_SOURCE_DIR "/resources/options.txt"));
    if (withApplications) ::mkdir((path_ + "Applications").c_str(), 0755);
}

ProgramFolder::~ProgramFolder() {
    if (!std::getenv("KLARBRIX_KEEP_TEST_FOLDERS")) std::system(("rm -rf " + shellQuoted(path_)).c_str());
}

void ProgramFolder::write(const std::string& name, const std::string& bytes) const {
    std::ofstream(path_ + name, std::ios::binary) << bytes;
}

std::string ProgramFolder::read(const std::string& name) const { return slurp(path_ + name); }

bool ProgramFolder::exists(const std::string& name) const { return ::access((path_ + name).c_str(), F_OK) == 0; }

void ProgramFolder::writeProgram(const std::string& name, const std::string& script) const {
    write(name, "#!/bin/sh\n" + script);
    ::chmod((path_ + name).c_str(), 0755);
}

bool Transcript::has(const std::string& line) const { return find(line) >= 0; }

int Transcript::find(const std::string& line, int from) const {
    for (int i = std::max(from, 0); i < int(lines.size()); ++i)
        if (lines[std::size_t(i)] == line) return i;
    return -1;
}

int Transcript::count(const std::string& line) const { return int(std::count(lines.begin(), lines.end(), line)); }

std::string Transcript::text() const {
    std::string all;
    for (const auto& line : lines) all += line + "\n";
    return all + "(exit " + std::to_string(status) + ")\n" + errors;
}

std::string programsFolder() {
    const char* other = std::getenv("KLARBRIX_PROGRAMS_DIR");
    return other && *other ? other : KLARBRIX_BUILD_DIR;
}

Transcript drive(const ProgramFolder& folder, const std::string& commands, const std::vector<std::string>& arguments) {
    folder.write(".commands", commands);
    std::string command =
        "cd " + shellQuoted(folder.path()) + " && " + shellQuoted(programsFolder() + "/klarbrix-drive");
    for (const auto& argument : arguments) command += " " + shellQuoted(argument);
    command += " < .commands > .transcript 2> .errors";
    int raw = std::system(command.c_str());
    Transcript result;
    result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    std::istringstream out(folder.read(".transcript"));
    for (std::string line; std::getline(out, line);) result.lines.push_back(line);
    result.errors = folder.read(".errors");
    // In a sanitizer build the driver and the programs it starts report what
    // they find on standard error, whatever their exit status: a test fails.
    for (const char* report : {"ERROR: AddressSanitizer", "ERROR: LeakSanitizer", "WARNING: ThreadSanitizer",
                               "runtime error:"})
        if (result.errors.find(report) != std::string::npos)
            ADD_FAILURE() << "sanitizer report from klarbrix-drive or a program it started:\n" << result.errors;
    return result;
}

}  // namespace kx::test
