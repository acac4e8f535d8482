// The audio formats the program knows by name, their track file extensions
// and which of them are converted to AC3.
#include "model/audio_kinds.h"

#include <algorithm>

#include "base/encoding.h"
#include "base/text.h"
#include "model/run_plan.h"
#include "ui/texts.h"

namespace kx {

namespace {

bool has(std::string_view text, std::string_view part) {
    return toLower(text).find(toLower(part)) != std::string::npos;
}

std::string dtsName(std::string_view format, std::string_view profile) {
    std::string both = std::string(format) + " " + std::string(profile);
    if (has(both, "DTS:X") || has(format, "XLL X")) return "DTS:X";
    for (std::string_view hd : {"Master Audio", "High Resolution", "XLL", " MA", "HRA"})
        if (has(both, hd)) return "DTS-HD";
    return "DTS";
}

// Channel layout as a verdict names it: 6 gives "5.1", 2 gives "2.0".
std::string layout(int channels) {
    switch (channels) {
        case 8: return "7.1";
        case 7: return "6.1";
        case 6: return "5.1";
        default: return channels > 0 ? std::to_string(channels) + ".0" : "";
    }
}

// The verdict's subject: "Audio FLAC 7.1" (no layout when the count is unknown).
std::string subject(const AudioTreatment& t, int channels) {
    std::string text = std::string(verdictAudioHead) + t.name;
    if (channels > 0) text += " " + layout(channels);
    return text;
}

}  // namespace

AudioTreatment audioTreatment(std::string_view format, std::string_view profile, int channels, bool keepEac3,
                              bool transcoderReadsOgg) {
    auto is = [&](std::string_view name) { return equalsNoCase(format, name); };
    auto from = [&](std::string_view head) { return toLower(format).rfind(toLower(head), 0) == 0; };
    if (from("MLP") || from("TrueHD")) return {"thd", "TrueHD", true};
    if (from("DTS")) return {"dts", dtsName(format, profile), true};
    if (is("FLAC")) return {"flac", "FLAC", true};
    if (is("Opus")) return {"opus", "Opus", transcoderReadsOgg, !transcoderReadsOgg};
    if (is("Vorbis") || is("ogg")) return {"ogg", "Vorbis", transcoderReadsOgg, !transcoderReadsOgg};
    if (is("PCM")) return {"wav", "PCM", true};
    if (from("AAC")) return {"aac", "AAC", channels > 2};
    if (from("EAC3")) return {"eac3", "E-AC3", !keepEac3};
    if (is("AC3")) return {"ac3", "AC3", false};
    if (from("MPEG Audio")) return {has(profile, "Layer 3") ? "mp3" : "mp2", "MPEG", false};
    std::string safe = safeFormat(format);
    return {toLower(safe), safe, false};
}

int ac3Rate(std::string_view ac3448Value) { return ac3448Value == "1" ? 448 : 640; }

std::string audioVerdict(const AudioTreatment& treatment, int channels, bool converting, int rate) {
    std::string head = subject(treatment, channels) + " : ";
    if (treatment.converted && converting) {
        std::string out = layout(std::min(channels, 6));
        return head + std::string(verdictConverted) + (out.empty() ? "" : " " + out) + " (" + std::to_string(rate) +
               " kb/s)";
    }
    return head + std::string(verdictKept) + (treatment.unreadable ? std::string(verdictNotRead) : "");
}

}  // namespace kx
