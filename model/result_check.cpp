// The tracks a recipe makes and their comparison with the remux tool's
// identification of the result.
#include "model/result_check.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>

#include "base/json.h"
#include "base/text.h"
#include "model/languages.h"
#include "ui/texts.h"

namespace kx {

namespace {

// Analysed formats (letters and digits, lower-cased) and the codec IDs the
// remux tool writes for them. A format is known by its beginning ("dtsxll",
// "aaclc"); one not in the table is not checked.
struct Family {
    std::string_view format;
    std::vector<std::string_view> codecIds;
};
const Family families[] = {
    {"avc", {"V_MPEG4/ISO/AVC"}},  {"hevc", {"V_MPEGH/ISO/HEVC"}},   {"av1", {"V_AV1"}},
    {"vp9", {"V_VP9"}},            {"mpegvideo", {"V_MPEG1", "V_MPEG2"}}, {"eac3", {"A_EAC3"}},
    {"ac3", {"A_AC3"}},            {"dts", {"A_DTS"}},               {"aac", {"A_AAC"}},
    {"mlp", {"A_TRUEHD"}},      {"truehd", {"A_TRUEHD"}},         {"flac", {"A_FLAC"}},
    {"opus", {"A_OPUS"}},          {"ogg", {"A_VORBIS"}},            {"vorbis", {"A_VORBIS"}},
    {"pcm", {"A_PCM"}},            {"mpegaudio", {"A_MPEG/"}},       {"srt", {"S_TEXT/UTF8"}},
    {"utf8", {"S_TEXT/UTF8"}},     {"ass", {"S_TEXT/ASS", "S_TEXT/SSA"}}, {"ssa", {"S_TEXT/ASS", "S_TEXT/SSA"}},
    {"sub", {"S_VOBSUB"}},         {"vobsub", {"S_VOBSUB"}},         {"pgs", {"S_HDMV/PGS"}},
};

std::string letters(std::string_view text) {
    std::string kept;
    for (char c : toLower(text))
        if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) kept += c;
    return kept;
}

// Whether a track of `codecId` can be of the analysed `format` (true when
// either is unknown).
bool formatMatches(std::string_view format, std::string_view codecId) {
    const std::string key = letters(format);
    if (key.empty() || codecId.empty()) return true;
    for (const Family& family : families) {
        if (!startsWith(key, family.format)) continue;
        return std::any_of(family.codecIds.begin(), family.codecIds.end(),
                           [&](std::string_view id) { return startsWith(codecId, id); });
    }
    return true;
}

bool sameLanguage(std::string_view a, std::string_view b) {
    std::string ca = iso639Code(a), cb = iso639Code(b);
    return ca.empty() || cb.empty() ? equalsNoCase(a, b) : ca == cb;
}

// "00:41:40.120000000" (a track's statistics) in seconds.
std::optional<double> clockSeconds(std::string_view text) {
    int h = 0, m = 0;
    double s = 0;
    if (std::sscanf(std::string(text).c_str(), "%d:%d:%lf", &h, &m, &s) != 3 || h < 0 || m < 0 || s < 0)
        return std::nullopt;
    return h * 3600.0 + m * 60.0 + s;
}

std::string clockText(double seconds) {
    long long total = std::llround(std::max(0.0, seconds));
    char text[32];
    std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", total / 3600, total / 60 % 60, total % 60);
    return text;
}

// The problem when `actual` seconds are not those of a source of `expected`
// (with the precision it was written with) starting `leadMs` late.
std::optional<std::string> durationProblem(const std::string& what, double actual, const ReportDuration& expected,
                                           std::int64_t leadMs) {
    const double wanted = expected.seconds + double(leadMs) / 1000;
    const double margin = std::max(0.01 * wanted, 1.0) + expected.unit;
    if (std::fabs(actual - wanted) <= margin) return std::nullopt;
    return what + std::string(resultDurationHead) + clockText(actual) + std::string(resultInsteadOf) +
           clockText(wanted);
}

std::string_view typeName(std::string_view type) {
    if (type == "video") return trackVideo;
    if (type == "audio") return trackAudio;
    return trackSubtitles;
}

std::optional<std::string> trackProblem(const ExpectedTrack& want, const json::Value& track) {
    const std::string what = std::string(resultTrackHead) + std::string(want.name);
    const json::Value& properties = track["properties"];
    const std::string codecId = properties["codec_id"].text();
    if (!formatMatches(want.format, codecId))
        return what + std::string(resultFormatHead) + track["codec"].text() + std::string(resultInsteadOf) + want.format;
    const std::string language = properties["language"].text();
    if (!want.language.empty() && !language.empty() && !sameLanguage(language, want.language))
        return what + std::string(resultLanguageHead) + language + std::string(resultInsteadOf) + want.language;
    // Content encodings, comma-separated: 3 is header removal.
    for (const std::string& algorithm : splitOn(properties["content_encoding_algorithms"].text(), ','))
        if (letters(algorithm) == "3") return what + std::string(resultHeaderCompression);
    std::optional<ReportDuration> source = readReportDuration(want.duration);
    std::optional<double> seconds = clockSeconds(properties["tag_duration"].text());
    if (!source || !seconds) return std::nullopt;
    // A late track's statistics may count from the file's start or its own.
    std::optional<std::string> problem = durationProblem(what, *seconds, *source, 0);
    if (problem && want.leadMs > 0 && !durationProblem(what, *seconds, *source, want.leadMs)) return std::nullopt;
    return problem;
}

}  // namespace

std::vector<ExpectedTrack> expectedTracks(const RunRecipe& recipe) {
    const RunPlan& plan = recipe.plan;
    const RunChoices& choices = recipe.choices;
    const bool converted = recipe.find(StepKind::transcode) != nullptr;
    const std::int64_t lead = std::max<std::int64_t>(0, audioDelay(plan));
    std::vector<ExpectedTrack> tracks;
    if (!plan.videoFormat.empty())
        tracks.push_back({"video", trackVideo, plan.videoFormat, "", plan.videoDuration});
    if (!plan.audioFormat.empty()) {
        tracks.push_back({"audio", trackAudio, converted ? "AC3" : plan.audioFormat, plan.audioLang,
                          plan.audioDuration, lead});
        if (converted && choices.keepOriginal)
            tracks.push_back({"audio", trackOriginalAudio, plan.audioFormat, plan.audioLang, plan.audioDuration, lead});
    }
    const bool subtitle = choices.extraction ? choices.subtitleExtracted && !plan.subFile.empty() : choices.sourceSubtitle;
    // Subtitles come and go: the length of such a track is measured
    // differently by each tool, so only its presence, format and language count.
    if (subtitle) tracks.push_back({"subtitles", trackSubtitles, plan.subFormat, plan.subLang});
    if (choices.externalSubtitle) tracks.push_back({"subtitles", trackExternalSubtitles});
    return tracks;
}

std::optional<ReportDuration> readReportDuration(std::string_view text) {
    static const std::map<std::string, double> units = {{"h", 3600}, {"min", 60}, {"mn", 60}, {"s", 1}, {"ms", 0.001}};
    ReportDuration read;
    std::vector<std::string> words = splitOn(text, ' ');
    words.erase(std::remove(words.begin(), words.end(), ""), words.end());
    if (words.empty() || words.size() % 2 != 0) return std::nullopt;
    for (std::size_t k = 0; k < words.size(); k += 2) {
        auto unit = units.find(words[k + 1]);
        const std::string& figure = words[k];
        if (unit == units.end() || figure.find_first_not_of("0123456789") != std::string::npos) return std::nullopt;
        read.seconds += double(readNumber(figure)) * unit->second;
        read.unit = unit->second;
    }
    return read;
}

std::optional<std::string> resultProblem(std::string_view identification, const std::vector<ExpectedTrack>& expected) {
    if (startsWith(identification, "\xEF\xBB\xBF")) identification.remove_prefix(3);  // the tool's UTF-8 mark
    json::ParseResult parsed = json::parse(identification);
    if (!parsed.value) return std::string(resultNotRead);
    const json::Value& root = *parsed.value;
    const json::Value& container = root["container"];
    if (!container["recognized"].boolean() || container["type"].text() != "Matroska")
        return std::string(resultNotMatroska);

    for (std::string_view type : {"video", "audio", "subtitles"}) {
        std::vector<const ExpectedTrack*> wanted;
        for (const ExpectedTrack& track : expected)
            if (track.type == type) wanted.push_back(&track);
        std::vector<const json::Value*> found;
        for (const json::Value& track : root["tracks"].items())
            if (track["type"].text() == type) found.push_back(&track);
        for (std::size_t k = 0; k < std::max(wanted.size(), found.size()); ++k) {
            if (k >= found.size())
                return std::string(resultTrackHead) + std::string(wanted[k]->name) + std::string(resultTrackMissing);
            if (k >= wanted.size())
                return std::string(resultTrackHead) + std::string(typeName(type)) + std::string(resultTrackExtra);
            if (auto problem = trackProblem(*wanted[k], *found[k])) return problem;
        }
    }

    // The whole file lasts as long as its longest track: this catches a
    // track of a wrong length when the tool wrote no track statistics.
    std::optional<std::int64_t> ns = container["properties"]["duration"].integer();
    std::optional<ReportDuration> longest;
    std::int64_t longestLead = 0;
    for (const ExpectedTrack& track : expected) {
        std::optional<ReportDuration> d = readReportDuration(track.duration);
        if (d && (!longest || d->seconds + double(track.leadMs) / 1000 >
                                  longest->seconds + double(longestLead) / 1000)) {
            longest = d;
            longestLead = track.leadMs;
        }
    }
    if (ns && longest)
        return durationProblem(std::string(resultFile), double(*ns) / 1e9, *longest, longestLead);
    return std::nullopt;
}

}  // namespace kx
