// The script runner's line reader on any line, and the folder changes it
// leads to: the folder reached is always a clean absolute folder.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/check.h"
#include "base/batch_command.h"
#include "base/text.h"

namespace {

// Absolute, ends in '/', no empty, "." or ".." part.
bool cleanFolder(const std::string& folder) {
    if (folder.empty() || folder.front() != '/' || folder.back() != '/') return false;
    return folder.find("//") == std::string::npos && folder.find("/./") == std::string::npos &&
           folder.find("/../") == std::string::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view line(reinterpret_cast<const char*>(data), size);
    kx::BatchCommand command = kx::parseBatchLine(line);
    using Kind = kx::BatchCommand::Kind;
    switch (command.kind) {
        case Kind::nothing: FUZZ_CHECK(command.names.empty() && command.commandLine.empty()); break;
        case Kind::changeFolder: {
            FUZZ_CHECK(command.names.size() <= 1);
            std::string target = command.names.empty() ? "" : command.names.front();
            for (const char* current : {"/", "/home/user/Films/", "/a/b/c/d/"}) {
                std::string reached = kx::changedFolder(current, target);
                FUZZ_CHECK(cleanFolder(reached));
                FUZZ_CHECK(kx::changedFolder(reached, ".") == reached);
                FUZZ_CHECK(kx::changedFolder("/", reached) == reached);
            }
            break;
        }
        case Kind::deleteFiles:
        case Kind::removeFolders: FUZZ_CHECK(command.problem.empty()); break;
        case Kind::runProgram:
            FUZZ_CHECK(!command.commandLine.empty());
            FUZZ_CHECK(command.commandLine.front() != ' ' && command.commandLine.front() != '\t' &&
                       command.commandLine.front() != '@');
            break;
        case Kind::invalid: FUZZ_CHECK(!command.problem.empty()); break;
    }
    return 0;
}
