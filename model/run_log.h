// The text of log.txt: a head with the program's version, then the scripts
// and the tools' logs of one run, each under its header, with the user's
// folder and title replaced by "fichier".
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kx {

// Replaces every occurrence of `sourceStem` (source folder + base name), as
// written and as a script carries it (with its "%" doubled), by "fichier".
std::string anonymise(std::string_view text, std::string_view sourceStem);

// The contents of each file that goes into the log; an absent one leaves its
// section out (the caller applies each section's own condition).
struct RunLogSources {
    std::int64_t version = 0;
    std::string sourceStem;
    std::optional<std::string> extractBat;     // copied unchanged
    std::optional<std::string> mediaInfo;
    std::optional<std::string> mkvextractBat;
    std::optional<std::string> transcoderLog;
    std::optional<std::string> mkvmergeBat;
    // How the remux script ended when not plainly (0): 1 for warnings, more
    // for a failure, -1 when it could not be written or started.
    int remuxStatus = 0;
    // How the run ended when a step before the remux failed or the user
    // stopped it: the last line of the log.
    std::string ending;
    // What the analysis tells of the chosen tracks, item by item; its section follows the report's.
    std::vector<std::string> verdict{};
};

std::string runLogText(const RunLogSources& sources);

}  // namespace kx
