// Command-line splitting on any text, and the round trip of quoting: any
// arguments, quoted and joined behind a program name, split back unchanged.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/check.h"
#include "base/command_line.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> split = kx::splitCommandLine(bytes);
    if (bytes.find_first_not_of(" \t") != std::string_view::npos) FUZZ_CHECK(!split.empty());

    // Byte 1 separates the program name and the arguments.
    std::vector<std::string> parts;
    std::size_t from = 0;
    for (;;) {
        std::size_t end = bytes.find('\x01', from);
        parts.emplace_back(bytes.substr(from, end == std::string_view::npos ? std::string_view::npos : end - from));
        if (end == std::string_view::npos) break;
        from = end + 1;
    }
    const std::string& program = parts.front();
    // A program name is a path: no quote, and something to name.
    if (program.find('"') != std::string::npos || program.find_first_not_of(" \t") == std::string::npos) return 0;
    std::string parameters;
    for (std::size_t i = 1; i < parts.size(); ++i) parameters += (i > 1 ? " " : "") + kx::quoteArgument(parts[i]);
    std::vector<std::string> back = kx::splitCommandLine(kx::buildCommandLine(program, parameters));
    FUZZ_CHECK(back == parts);
    return 0;
}
