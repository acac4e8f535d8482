// Base names, track lookup, extensions, language codes and the output name of
// one run.
#include "model/run_plan.h"

#include <array>
#include <limits>

#include "base/text.h"
#include "model/audio_kinds.h"
#include "model/languages.h"

namespace kx {

namespace {

// Decimal digits from the start of the text, saturating at the 64-bit limit.
std::int64_t leadingDigits(std::string_view text) {
    constexpr std::int64_t most = std::numeric_limits<std::int64_t>::max();
    std::int64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') break;
        int digit = c - '0';
        value = value > (most - digit) / 10 ? most : value * 10 + digit;
    }
    return value;
}

// Position of the final "." that starts the extension, or npos.
std::size_t extensionDot(std::string_view path) {
    std::size_t dot = path.rfind('.');
    if (dot == std::string_view::npos) return dot;
    std::size_t sep = path.find_last_of("\\/");
    return (sep != std::string_view::npos && sep > dot) ? std::string_view::npos : dot;
}

struct SubtitleKind {
    std::string_view format, replaced, extension;
};
constexpr std::array<SubtitleKind, 4> subtitleKinds{{
    {"UTF-8", "srt", ".srt"},
    {"UTF8", "srt", ".srt"},
    {"ASS", "ass", ".ass"},
    {"VobSub", "sub", ".sub"},
}};

constexpr std::array<std::string_view, 8> knownLanguages{"fre", "fra", "eng", "jpn", "ita", "spa", "ger", "dut"};

}  // namespace

std::string languageCode(std::string_view language) {
    std::string code = toLower(language.substr(0, 3));
    if (code == "jap") code = "jpn";
    for (std::string_view known : knownLanguages)
        if (code == known) return code;
    std::string iso = iso639Code(language);
    return iso.empty() ? "und" : iso;
}

std::int64_t trackIdOfRecord(std::string_view trackId) { return leadingDigits(trackId); }

RunPlan makeRunPlan(const RunInputs& in) {
    RunPlan plan;
    plan.sourcePath = in.sourcePath;
    const std::string_view source = in.sourcePath;
    std::size_t dot = extensionDot(source);
    plan.basePath = std::string(source.substr(0, dot));
    plan.baseName = filePart(plan.basePath);

    plan.videoId = in.videoId;
    plan.audioId = in.audioId;
    plan.subId = in.subtitleSelected ? in.subId : 0;

    AudioTreatment audio;
    for (const TrackRecord& track : in.tracks) {
        std::int64_t id = trackIdOfRecord(track.trackId);
        if (id == plan.videoId) {
            plan.videoFormat = track.format;
            plan.videoDuration = track.duration;
        }
        if (id == plan.audioId) {
            plan.audioFormat = track.format;
            plan.audioChannels = track.channels;
            audio = audioTreatment(track.format, track.profile, track.channels, in.keepEac3, in.transcoderReadsOgg);
            plan.audioLang = languageCode(track.language);
            plan.audioDelaySeconds = readNumber(track.delaySeconds);
            plan.audioDelayMs = readNumber(track.delayMilliseconds);
            plan.audioDuration = track.duration;
        }
        if (in.subtitleSelected && id == plan.subId) {
            plan.subFormat = track.format;
            plan.subLang = languageCode(track.language);
        }
    }

    if (plan.audioFormat == "Vorbis") plan.audioFormat = "ogg";
    plan.audioFormat = safeFormat(plan.audioFormat);
    plan.subFormat = safeFormat(plan.subFormat);
    plan.videoFile = plan.basePath + ".h264";
    plan.audioExtension = plan.audioFormat.empty() ? "" : audio.extension;
    plan.audioConverted = !plan.audioFormat.empty() && audio.converted;
    plan.audioFile = plan.basePath + "." + plan.audioExtension;
    for (const SubtitleKind& kind : subtitleKinds) {
        if (plan.subFormat != kind.format) continue;
        plan.subFormat = std::string(kind.replaced);
        plan.subFile = plan.basePath + std::string(kind.extension);
        break;
    }

    plan.remuxOutput = in.remuxdest == "0" ? plan.basePath + "_remux.mkv" : in.cheminremux + filePart(source);
    plan.remuxPart = partName(plan.remuxOutput);
    return plan;
}

std::string partName(const std::string& result) {
    const std::size_t name = result.size() - filePart(result).size();
    std::size_t dot = result.rfind('.');
    if (dot == std::string::npos || dot <= name) dot = result.size();
    return result.substr(0, dot) + ".part" + (dot == result.size() ? std::string(".mkv") : result.substr(dot));
}

std::string safeFormat(std::string_view format) {
    if (format.empty()) return {};
    std::string kept;
    for (char c : format)
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) kept += c;
    return kept.empty() ? std::string(unknownFormat) : kept;
}

}  // namespace kx
