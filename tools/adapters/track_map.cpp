// Track-number mapping and the rewriting of mkvextract and mkvmerge command
// lines. mkvmerge options apply to the next input file, so the scan notes
// for each track-naming argument which input it belongs to.
#include "tools/adapters/track_map.h"

#include <algorithm>
#include <iterator>

namespace kx::adapt {

namespace {

// A track number or ID: decimal digits only.
std::optional<std::int64_t> trackNumber(std::string_view text) {
    if (text.empty() || text.size() > 18) return std::nullopt;
    std::int64_t n = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        n = n * 10 + (c - '0');
    }
    return n;
}

// Options whose argument starts with a track ID ("TID:value" or just "TID").
constexpr std::string_view trackPrefixOptions[] = {
    "--sync", "-y", "--default-duration", "--compression", "--language", "--track-name",
    "--default-track-flag", "--default-track", "--forced-display-flag", "--forced-track",
    "--track-enabled-flag", "--hearing-impaired-flag", "--visual-impaired-flag",
    "--text-descriptions-flag", "--original-flag", "--commentary-flag", "--cues",
    "--aspect-ratio", "--aspect-ratio-factor", "--display-dimensions", "--cropping",
    "--fourcc", "-f", "--timestamps", "--timecodes", "--tags", "--sub-charset",
    "--reduce-to-core", "--remove-dialog-normalization-gain", "--nalu-size-length",
    "--fix-bitstream-timing-information", "--aac-is-sbr", "--stereo-mode",
    "--colour-matrix-coefficients", "--colour-bits-per-channel", "--chroma-subsample",
    "--cb-subsample", "--chroma-siting", "--colour-range", "--colour-transfer-characteristics",
    "--colour-primaries", "--max-content-light"};

// Options whose argument is a list of track IDs ("2,3" or "!2").
constexpr std::string_view trackListOptions[] = {
    "-a", "--audio-tracks", "-d", "--video-tracks", "-s", "--subtitle-tracks",
    "-b", "--button-tracks", "--track-tags", "--atracks", "--vtracks"};

// Other options that take an argument (left as they are).
constexpr std::string_view otherArgOptions[] = {
    "--title", "--chapters", "--chapter-language", "--chapter-charset", "--chapter-sync",
    "--chapter-charset", "--cue-chapter-name-format", "--global-tags", "--segmentinfo",
    "--split", "--split-max-files", "--link-to-previous", "--link-to-next", "--append-mode",
    "--append-to", "--timestamp-scale", "--cluster-length", "--attach-file",
    "--attach-file-once", "--attachment-name", "--attachment-mime-type",
    "--attachment-description", "--default-language", "--command-line-charset",
    "--output-charset", "--ui-language", "--priority", "--generate-chapters",
    "--generate-chapters-name-template", "-m", "--attachments", "--segment-uid",
    "--deterministic", "--engage", "--debug", "--previous-segment-uid",
    "--next-segment-uid", "--chapter-uid", "--max-blockadd-id", "--block-addition-mapping",
    "--min-luminance", "--max-luminance", "--white-colour-coordinates",
    "--chromaticity-coordinates", "--max-frame-light", "--projection-type", "--field-order"};

template <std::size_t N>
bool among(const std::string_view (&table)[N], std::string_view option) {
    return std::find(std::begin(table), std::end(table), option) != std::end(table);
}

std::string mapped(std::string_view number, const TrackMap& map, const std::string& file,
                   std::vector<std::string>& warnings) {
    std::optional<std::int64_t> n = trackNumber(number);
    if (!n || map.empty()) return std::string(number);
    auto it = map.find(*n);
    if (it == map.end()) {
        warnings.push_back("track number " + std::string(number) + " is carried by no track of " + file +
                           "; passed on unchanged");
        return std::string(number);
    }
    return std::to_string(it->second);
}

}  // namespace

std::optional<TrackMap> trackMapFromIdentify(const json::Value& root, std::string& error) {
    const json::Value& container = root["container"];
    if (!container.isObject() || (container.has("recognized") && !container["recognized"].boolean())) {
        error = "the file is not recognised as a media file";
        for (const json::Value& e : root["errors"].items()) error += ": " + e.text();
        return std::nullopt;
    }
    TrackMap map;
    for (const json::Value& track : root["tracks"].items()) {
        std::optional<std::int64_t> id = track["id"].integer();
        std::optional<std::int64_t> number = track["properties"]["number"].integer();
        if (id && number) map.emplace(*number, *id);
    }
    return map;
}

std::optional<ExtractRequest> parseExtractArgs(const std::vector<std::string>& args, std::string& error) {
    if (args.size() < 2 || args[0] != "tracks") {
        error = "expected: tracks \"SOURCE\" N:\"FILE\" ...";
        return std::nullopt;
    }
    ExtractRequest request;
    request.source = args[1];
    for (std::size_t k = 2; k < args.size(); ++k) {
        const std::string& target = args[k];
        std::size_t colon = target.find(':');
        std::optional<std::int64_t> number =
            colon == std::string::npos ? std::nullopt : trackNumber(std::string_view(target).substr(0, colon));
        if (!number) {
            error = "not a track target (N:FILE): " + target;
            return std::nullopt;
        }
        std::string file = target.substr(colon + 1);
        if (file.empty()) {
            request.warnings.push_back("track " + std::to_string(*number) +
                                       " has no target file name; it is not extracted");
            continue;
        }
        request.targets.push_back({*number, -1, std::move(file)});
    }
    if (request.targets.empty()) {
        error = "no track to extract";
        return std::nullopt;
    }
    return request;
}

bool mapExtractTargets(ExtractRequest& request, const TrackMap& map, std::string& error) {
    for (ExtractTarget& target : request.targets) {
        auto it = map.find(target.number);
        if (it == map.end()) {
            error = "no track of " + request.source + " has the number " + std::to_string(target.number);
            return false;
        }
        target.id = it->second;
    }
    return true;
}

std::vector<std::string> extractCommand(const ExtractRequest& request, const std::vector<std::string>& files) {
    std::vector<std::string> argv{"mkvextract", request.source, "tracks"};
    for (std::size_t k = 0; k < request.targets.size(); ++k)
        argv.push_back(std::to_string(request.targets[k].id) + ":" +
                       (k < files.size() ? files[k] : request.targets[k].file));
    return argv;
}

std::optional<MergeArgs> scanMergeArgs(const std::vector<std::string>& args, std::string& error) {
    MergeArgs scan;
    scan.args = args;
    // Edits waiting for the input file they apply to.
    std::vector<std::pair<std::size_t, MergeArgs::EditKind>> pending;
    for (std::size_t k = 0; k < args.size(); ++k) {
        const std::string& a = args[k];
        auto needArgument = [&]() -> bool {
            if (k + 1 < args.size()) return true;
            error = "the option " + a + " lacks its argument";
            return false;
        };
        if (a == "-o" || a == "--output") {
            if (!needArgument()) return std::nullopt;
            scan.output = ++k;
        } else if (a == "--track-order") {
            if (!needArgument()) return std::nullopt;
            scan.edits.push_back({++k, MergeArgs::EditKind::trackOrder, 0});
        } else if (among(trackPrefixOptions, a)) {
            if (!needArgument()) return std::nullopt;
            pending.emplace_back(++k, MergeArgs::EditKind::trackPrefix);
        } else if (among(trackListOptions, a)) {
            if (!needArgument()) return std::nullopt;
            pending.emplace_back(++k, MergeArgs::EditKind::trackList);
        } else if (among(otherArgOptions, a)) {
            if (!needArgument()) return std::nullopt;
            ++k;
        } else if (a == "(" || a == ")" || a == "--") {
            // file grouping marks: no file of their own
        } else if (a.size() > 1 && a[0] == '-') {
            // switches without argument (-A, -D, -S, -T, --no-chapters…)
        } else if (a.empty()) {
            error = "an input file name is empty";
            return std::nullopt;
        } else {
            std::size_t input = scan.inputs.size();
            scan.inputs.push_back(k);
            for (const auto& [position, kind] : pending) scan.edits.push_back({position, kind, input});
            pending.clear();
        }
    }
    if (!pending.empty())
        scan.warnings.push_back("options after the last input file name no file; passed on unchanged");
    if (!scan.output) {
        error = "no output file (-o)";
        return std::nullopt;
    }
    if (scan.inputs.empty()) {
        error = "no input file";
        return std::nullopt;
    }
    return scan;
}

std::vector<std::string> rewriteMergeArgs(const MergeArgs& scanned, const std::vector<TrackMap>& maps,
                                          std::vector<std::string>& warnings) {
    std::vector<std::string> args = scanned.args;
    static const TrackMap none;
    auto mapOf = [&](std::size_t input) -> const TrackMap& { return input < maps.size() ? maps[input] : none; };
    auto nameOf = [&](std::size_t input) -> std::string {
        return input < scanned.inputs.size() ? args[scanned.inputs[input]] : "input " + std::to_string(input);
    };

    for (const MergeArgs::Edit& edit : scanned.edits) {
        std::string& a = args[edit.position];
        switch (edit.kind) {
            case MergeArgs::EditKind::trackPrefix: {
                std::size_t colon = a.find(':');
                std::string head = a.substr(0, colon);
                std::string tail = colon == std::string::npos ? "" : a.substr(colon);
                a = mapped(head, mapOf(edit.input), nameOf(edit.input), warnings) + tail;
                break;
            }
            case MergeArgs::EditKind::trackList: {
                std::string out;
                std::size_t from = 0;
                if (!a.empty() && a[0] == '!') out = "!", from = 1;
                while (from <= a.size()) {
                    std::size_t comma = a.find(',', from);
                    if (comma == std::string::npos) comma = a.size();
                    out += mapped(std::string_view(a).substr(from, comma - from), mapOf(edit.input),
                                  nameOf(edit.input), warnings);
                    if (comma < a.size()) out += ',';
                    from = comma + 1;
                }
                a = out;
                break;
            }
            case MergeArgs::EditKind::trackOrder: {
                std::string out;
                std::size_t from = 0;
                while (from <= a.size()) {
                    std::size_t comma = a.find(',', from);
                    if (comma == std::string::npos) comma = a.size();
                    std::string_view entry = std::string_view(a).substr(from, comma - from);
                    std::size_t colon = entry.find(':');
                    std::optional<std::int64_t> file =
                        colon == std::string_view::npos ? std::nullopt : trackNumber(entry.substr(0, colon));
                    if (file && std::size_t(*file) < scanned.inputs.size())
                        out += std::string(entry.substr(0, colon + 1)) +
                               mapped(entry.substr(colon + 1), mapOf(std::size_t(*file)),
                                      nameOf(std::size_t(*file)), warnings);
                    else
                        out += entry;
                    if (comma < a.size()) out += ',';
                    from = comma + 1;
                }
                a = out;
                break;
            }
        }
    }
    return args;
}

}  // namespace kx::adapt
