// What the remux tool's identification (mkvmerge -J) says of a file the
// tests' fake remux made: worked out from the merge's command line and the
// MediaInfo text report the fake analysis gave for the source. Standard C++
// only, so the tool stand-in program shares it with the fake launcher.
#pragma once

#include <string>
#include <vector>

namespace kx::test {

// The identification of the file `mergeArgs` (after the program name) make.
// A Matroska input (.mkv, .mka…) is the source the report describes, its
// tracks chosen by -a/-d/-s/-A/-D/-S; any other is a track file of one
// track. Languages, --default-duration and --sync are applied.
std::string mergeIdentity(const std::vector<std::string>& mergeArgs, const std::string& report);

// The answer for a file that is not a Matroska file.
std::string unrecognisedIdentity();

// `mkvmerge -r ANSWER -J FILE` (in any order): FILE and ANSWER; both empty
// when the arguments are not an identification.
struct IdentifyArgs {
    std::string file, answer;
};
IdentifyArgs identifyArgs(const std::vector<std::string>& args);

}  // namespace kx::test
