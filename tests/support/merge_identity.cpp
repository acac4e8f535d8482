// The fake remux's identification: the report's sections, the merge's
// choices of tracks, and the JSON the remux tool prints.
#include "support/merge_identity.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <optional>
#include <sstream>
#include <tuple>

namespace kx::test {

namespace {

struct Section {
    std::string type;  // video, audio, subtitles
    std::string id, format, language, duration, frameRate;
};

std::string trimmed(const std::string& text) {
    std::size_t from = text.find_first_not_of(" \t\r"), to = text.find_last_not_of(" \t\r");
    return from == std::string::npos ? std::string() : text.substr(from, to - from + 1);
}

std::string lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return text;
}

std::vector<Section> sectionsOf(const std::string& report) {
    std::vector<Section> sections;
    std::istringstream in(report);
    std::optional<Section> current;
    for (std::string line; std::getline(in, line);) {
        line = trimmed(line);
        std::size_t colon = line.find(" : ");
        if (line.empty()) {
            if (current && !current->type.empty()) sections.push_back(*current);
            current.reset();
        } else if (!current) {
            current = Section{};
            if (line.rfind("Video", 0) == 0) current->type = "video";
            if (line.rfind("Audio", 0) == 0) current->type = "audio";
            if (line.rfind("Text", 0) == 0) current->type = "subtitles";
        } else if (colon != std::string::npos) {
            std::string label = trimmed(line.substr(0, colon)), value = trimmed(line.substr(colon + 3));
            if (label == "ID") current->id = value;
            if (label == "Format" && current->format.empty()) current->format = value;
            if (label == "Language") current->language = value;
            if (label == "Duration") current->duration = value;
            if (label == "Frame rate") current->frameRate = value;
        }
    }
    if (current && !current->type.empty()) sections.push_back(*current);
    return sections;
}

// "1 min 2 s", "5 s 120 ms" in seconds; nothing when absent.
std::optional<double> seconds(const std::string& text) {
    std::istringstream in(text);
    double total = 0, figure = 0;
    std::string unit;
    bool any = false;
    while (in >> figure >> unit) {
        static const std::map<std::string, double> units = {{"h", 3600}, {"min", 60}, {"s", 1}, {"ms", 0.001}};
        auto found = units.find(unit);
        if (found == units.end()) return std::nullopt;
        total += figure * found->second;
        any = true;
    }
    return any ? std::optional<double>(total) : std::nullopt;
}

std::string languageCode(const std::string& name) {
    static const std::map<std::string, std::string> codes = {
        {"french", "fre"}, {"english", "eng"}, {"german", "ger"}, {"japanese", "jpn"}, {"italian", "ita"}, {"spanish", "spa"}};
    auto found = codes.find(lower(name));
    return found == codes.end() ? "und" : found->second;
}

// The remux tool's codec name and ID for a MediaInfo format.
std::pair<std::string, std::string> codecOf(const std::string& format) {
    static const std::map<std::string, std::pair<std::string, std::string>> codecs = {
        {"AVC", {"AVC/H.264/MPEG-4p10", "V_MPEG4/ISO/AVC"}}, {"HEVC", {"HEVC/H.265/MPEG-H", "V_MPEGH/ISO/HEVC"}},
        {"AC-3", {"AC-3", "A_AC3"}},          {"E-AC-3", {"E-AC-3", "A_EAC3"}},
        {"DTS", {"DTS", "A_DTS"}},            {"UTF-8", {"SubRip/SRT", "S_TEXT/UTF8"}},
        {"ASS", {"SubStationAlpha", "S_TEXT/ASS"}}, {"PGS", {"HDMV PGS", "S_HDMV/PGS"}},
        {"VobSub", {"VobSub", "S_VOBSUB"}},   {"FLAC", {"FLAC", "A_FLAC"}},
        {"Opus", {"Opus", "A_OPUS"}},         {"Vorbis", {"Vorbis", "A_VORBIS"}},
        {"AAC", {"AAC", "A_AAC"}},            {"PCM", {"PCM", "A_PCM/INT/LIT"}},
        {"MLP FBA", {"TrueHD", "A_TRUEHD"}},  {"MLP FAT", {"TrueHD", "A_TRUEHD"}},
        {"DTS XLL", {"DTS-HD Master Audio", "A_DTS"}}};
    auto found = codecs.find(format);
    return found != codecs.end() ? found->second : std::pair(format, "X_" + format);
}

std::string extensionOf(const std::string& path) {
    std::size_t dot = path.rfind('.'), separator = path.find_last_of("\\/");
    if (dot == std::string::npos || (separator != std::string::npos && separator > dot)) return {};
    return lower(path.substr(dot + 1));
}

// What the options before one input ask of it.
struct InputOptions {
    std::map<std::string, std::string> language, fps, syncMs;  // by track ID
    std::optional<std::vector<std::string>> video, audio, subtitles;  // chosen IDs; empty list: none
};

std::vector<std::string> listOf(const std::string& text) {
    std::vector<std::string> items;
    std::istringstream in(text);
    for (std::string item; std::getline(in, item, ',');) items.push_back(item);
    return items;
}

bool chosen(const std::optional<std::vector<std::string>>& list, const std::string& id) {
    return !list || std::find(list->begin(), list->end(), id) != list->end();
}

// "ID:VALUE" into `into`.
void byTrack(const std::string& value, std::map<std::string, std::string>& into) {
    std::size_t colon = value.find(':');
    if (colon != std::string::npos) into[value.substr(0, colon)] = value.substr(colon + 1);
}

std::string clock(double s) {
    long long ns = std::llround(s * 1e9);
    char text[48];
    std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld.%09lld", ns / 3600000000000LL, ns / 60000000000LL % 60,
                  ns / 1000000000LL % 60, ns % 1000000000LL);
    return text;
}

struct Made {
    std::string type, codec, codecId, language;
    std::optional<double> duration, end;
};

// The one track of a track file: its kind by its extension, its format and
// length those of the report's track of that kind and language (a made .ac3
// is AC-3 whatever its source).
Made trackFile(const std::string& extension, const InputOptions& options, const std::vector<Section>& sections) {
    static const std::map<std::string, std::string> subtitleFormats = {
        {"srt", "UTF-8"}, {"ass", "ASS"}, {"ssa", "ASS"}, {"sub", "VobSub"}, {"sup", "PGS"}};
    const bool video = extension == "h264" || extension == "h265" || extension == "hevc";
    const bool subtitles = subtitleFormats.count(extension) > 0;
    Made made{video ? "video" : subtitles ? "subtitles" : "audio", "", "",
              options.language.count("0") ? options.language.at("0") : "und", {}, {}};
    const Section* source = nullptr;
    for (const Section& s : sections)
        if (s.type == made.type && (video || languageCode(s.language) == made.language)) {
            source = &s;
            break;
        }
    std::string format = subtitles ? subtitleFormats.at(extension) : extension == "ac3" ? "AC-3" : "";
    if (format.empty()) format = source ? source->format : extension;
    std::tie(made.codec, made.codecId) = codecOf(format);
    if (source && !subtitles) made.duration = seconds(source->duration);
    return made;
}

}  // namespace

std::string mergeIdentity(const std::vector<std::string>& args, const std::string& report) {
    const std::vector<Section> sections = sectionsOf(report);
    static const std::vector<std::string> valued = {"-o", "--output", "--compression", "--sub-charset", "--track-order",
                                                     "--track-name", "--title"};
    std::vector<Made> tracks;
    InputOptions options;
    for (std::size_t k = 0; k < args.size(); ++k) {
        const std::string& a = args[k];
        if (std::find(valued.begin(), valued.end(), a) != valued.end()) ++k;
        else if (a == "--language") byTrack(args[++k], options.language);
        else if (a == "--default-duration") byTrack(args[++k], options.fps);
        else if (a == "--sync") byTrack(args[++k], options.syncMs);
        else if (a == "-d" || a == "-a" || a == "-s")
            (a == "-d" ? options.video : a == "-a" ? options.audio : options.subtitles) = listOf(args[++k]);
        else if (a == "-D" || a == "-A" || a == "-S")
            (a == "-D" ? options.video : a == "-A" ? options.audio : options.subtitles) = std::vector<std::string>{};
        else if (!a.empty() && a[0] == '-') continue;
        else {
            std::vector<std::pair<std::string, Made>> made;  // by track ID
            const std::string extension = extensionOf(a);
            if (extension != "mkv" && extension != "mka" && extension != "mks" && extension != "webm") {
                made.push_back({"0", trackFile(extension, options, sections)});
            } else {
                for (const Section& s : sections) {
                    const auto& list = s.type == "video" ? options.video : s.type == "audio" ? options.audio : options.subtitles;
                    if (!chosen(list, s.id)) continue;
                    auto [codec, codecId] = codecOf(s.format);
                    std::string language = options.language.count(s.id) ? options.language.at(s.id) : languageCode(s.language);
                    made.push_back({s.id, {s.type, codec, codecId, language, seconds(s.duration), {}}});
                }
            }
            std::optional<double> sourceRate;
            for (const Section& s : sections)
                if (s.type == "video" && !s.frameRate.empty()) sourceRate = std::atof(s.frameRate.c_str());
            for (auto& [id, track] : made) {
                double rate = options.fps.count(id) ? std::atof(options.fps.at(id).c_str()) : 0;
                if (track.type == "video" && track.duration && sourceRate && rate > 0)
                    *track.duration *= *sourceRate / rate;
                double sync = options.syncMs.count(id) ? std::atof(options.syncMs.at(id).c_str()) / 1000 : 0;
                if (track.duration) track.end = *track.duration + std::max(0.0, sync);
                tracks.push_back(track);
            }
            options = InputOptions{};
        }
    }
    std::ostringstream json;
    std::optional<double> end;
    for (const Made& t : tracks)
        if (t.end) end = std::max(end.value_or(0), *t.end);
    json << "{\"container\":{\"recognized\":true,\"supported\":true,\"type\":\"Matroska\",\"properties\":{";
    if (end) json << "\"duration\":" << std::llround(*end * 1e9);
    json << "}},\"tracks\":[";
    for (std::size_t k = 0; k < tracks.size(); ++k) {
        const Made& t = tracks[k];
        json << (k ? "," : "") << "{\"id\":" << k << ",\"type\":\"" << t.type << "\",\"codec\":\"" << t.codec
             << "\",\"properties\":{\"codec_id\":\"" << t.codecId << "\",\"language\":\"" << t.language << "\"";
        if (t.duration) json << ",\"tag_duration\":\"" << clock(*t.duration) << "\"";
        json << "}}";
    }
    json << "]}";
    return json.str();
}

std::string unrecognisedIdentity() {
    return "{\"container\":{\"recognized\":false,\"supported\":false},\"errors\":[],\"warnings\":[]}";
}

IdentifyArgs identifyArgs(const std::vector<std::string>& args) {
    IdentifyArgs found;
    bool identify = false;
    for (std::size_t k = 0; k + 1 < args.size(); ++k) {
        if (args[k] == "-J") identify = true, found.file = args[k + 1];
        if (args[k] == "-r" || args[k] == "--redirect-output") found.answer = args[k + 1];
    }
    return identify ? found : IdentifyArgs{};
}

}  // namespace kx::test
