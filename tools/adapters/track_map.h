// Track numbers to mkvmerge track IDs. The scripts name tracks by their
// Matroska track number (what MediaInfo shows as ID); today's mkvextract and
// mkvmerge number the tracks of a file from 0 in their own order. These
// functions read `mkvmerge -J` output and rewrite the command lines.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/json.h"

namespace kx::adapt {

// Matroska track number -> mkvmerge track ID. Empty for a file whose tracks
// carry no number (a raw track file such as .ac3 or .srt: one track 0).
using TrackMap = std::map<std::int64_t, std::int64_t>;

// The map of one file from its `mkvmerge -J` document; empty optional (and
// `error`) when the document says the file was not recognised.
std::optional<TrackMap> trackMapFromIdentify(const json::Value& root, std::string& error);

// ---- mkvextract -------------------------------------------------------------

struct ExtractTarget {
    std::int64_t number = 0;  // as written in the command line
    std::int64_t id = -1;     // mkvmerge's track ID, once mapped
    std::string file;
};

struct ExtractRequest {
    std::string source;
    std::vector<ExtractTarget> targets;
    std::vector<std::string> warnings;  // for standard error
};

// Reads `tracks SOURCE N:FILE …`. A target with an empty file name is left
// out with a warning; anything else malformed is an error.
std::optional<ExtractRequest> parseExtractArgs(const std::vector<std::string>& args, std::string& error);

// Sets each target's ID. A number that no track of the source carries is an
// error: passing it on could extract another track under that name.
bool mapExtractTargets(ExtractRequest& request, const TrackMap& map, std::string& error);

// `mkvextract SOURCE tracks ID:FILE …` (the current syntax), with `files[k]`
// written for target k (the caller may stage outputs under other names).
std::vector<std::string> extractCommand(const ExtractRequest& request, const std::vector<std::string>& files);

// ---- mkvmerge ---------------------------------------------------------------

struct MergeArgs {
    enum class EditKind { trackPrefix, trackList, trackOrder };
    struct Edit {
        std::size_t position;  // index into args
        EditKind kind;
        std::size_t input;     // the input file the option applies to (not for trackOrder)
    };
    std::vector<std::string> args;        // as given, without the program name
    std::vector<std::size_t> inputs;      // positions of the input files in args
    std::optional<std::size_t> output;    // position of the output file name
    std::vector<Edit> edits;
    std::vector<std::string> warnings;
};

// Finds the output, the inputs and every argument that names tracks.
std::optional<MergeArgs> scanMergeArgs(const std::vector<std::string>& args, std::string& error);

// The arguments with track numbers replaced by IDs, `maps[k]` belonging to
// input k. Raw track files (empty maps) and numbers that no track carries are
// left unchanged; the latter add a warning to `warnings`.
std::vector<std::string> rewriteMergeArgs(const MergeArgs& scanned, const std::vector<TrackMap>& maps,
                                          std::vector<std::string>& warnings);

}  // namespace kx::adapt
