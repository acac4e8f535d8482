// A temporary folder for tests that start programs, with test-double tools
// (small shell scripts) that record how they were called.
#pragma once

#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

namespace kx::test {

class ScratchFolder {
public:
    ScratchFolder() {
        static int count = 0;
        path = (std::filesystem::temp_directory_path() /
                ("kx-launch-" + std::to_string(::getpid()) + "-" + std::to_string(++count)))
                   .string();
        std::filesystem::remove_all(path);
        std::filesystem::create_directories(path);
    }
    ~ScratchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
    std::string file(const std::string& name) const { return path + "/" + name; }

    void write(const std::string& name, const std::string& data, bool executable = false) const {
        std::filesystem::create_directories(std::filesystem::path(file(name)).parent_path());
        std::ofstream(file(name), std::ios::binary) << data;
        if (executable) std::filesystem::permissions(file(name), std::filesystem::perms::owner_exec,
                                                     std::filesystem::perm_options::add);
    }
    // A tool that writes its folder and its arguments, one per line in
    // brackets, into `record`, then runs `more` (shell text).
    void writeRecorder(const std::string& name, const std::string& record, const std::string& more = "") const {
        write(name,
              "#!/bin/sh\n{ pwd; for a in \"$@\"; do printf '[%s]\\n' \"$a\"; done; } > '" + file(record) + "'\n" +
                  more + "\n",
              true);
    }
    std::string read(const std::string& name) const {
        std::ifstream in(file(name), std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    bool has(const std::string& name) const { return std::filesystem::exists(file(name)); }
    // For programs not waited for: true once the file is there (gives up after a while).
    bool waitFor(const std::string& name) const {
        for (int i = 0; i < 400 && !has(name); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(50));
        return has(name);
    }

    std::string path;
};

}  // namespace kx::test
