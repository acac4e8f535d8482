// The MediaInfo report writer. Each track section starts with its ID line and
// the Format line right after it; audio sections end with their Language line;
// text sections have the language four lines after the ID; "Frame rate" is
// written only in video sections. Helper lines are dropped first when the
// report would not fit the reader's line table.
#include "tools/adapters/report.h"

#include <cmath>
#include <cstdio>
#include <vector>

#include "base/text.h"
#include "base/encoding.h"

namespace kx::adapt {

namespace {

struct Line {
    std::string label;
    std::string value;  // UTF-8 until written
    bool helper;        // may be left out to make the report fit
};

struct Section {
    std::string title;
    std::vector<Line> lines;
};

struct Language {
    std::string_view codes[3];
    std::string_view name;
};

// ISO 639-1 and 639-2 (bibliographic and terminology) codes.
constexpr Language languages[] = {
    {{"fr", "fre", "fra"}, "French"},      {{"en", "eng", ""}, "English"},
    {{"ja", "jpn", ""}, "Japanese"},       {{"de", "ger", "deu"}, "German"},
    {{"es", "spa", ""}, "Spanish"},        {{"it", "ita", ""}, "Italian"},
    {{"nl", "dut", "nld"}, "Dutch"},       {{"pt", "por", ""}, "Portuguese"},
    {{"ru", "rus", ""}, "Russian"},        {{"zh", "chi", "zho"}, "Chinese"},
    {{"ko", "kor", ""}, "Korean"},         {{"ar", "ara", ""}, "Arabic"},
    {{"pl", "pol", ""}, "Polish"},         {{"sv", "swe", ""}, "Swedish"},
    {{"da", "dan", ""}, "Danish"},         {{"fi", "fin", ""}, "Finnish"},
    {{"no", "nor", ""}, "Norwegian"},      {{"nb", "nob", ""}, "Norwegian Bokmal"},
    {{"nn", "nno", ""}, "Norwegian Nynorsk"}, {{"cs", "cze", "ces"}, "Czech"},
    {{"hu", "hun", ""}, "Hungarian"},      {{"el", "gre", "ell"}, "Greek"},
    {{"tr", "tur", ""}, "Turkish"},        {{"he", "heb", ""}, "Hebrew"},
    {{"hi", "hin", ""}, "Hindi"},          {{"th", "tha", ""}, "Thai"},
    {{"vi", "vie", ""}, "Vietnamese"},     {{"id", "ind", ""}, "Indonesian"},
    {{"ms", "may", "msa"}, "Malay"},       {{"uk", "ukr", ""}, "Ukrainian"},
    {{"ro", "rum", "ron"}, "Romanian"},    {{"bg", "bul", ""}, "Bulgarian"},
    {{"hr", "hrv", ""}, "Croatian"},       {{"sr", "srp", ""}, "Serbian"},
    {{"bs", "bos", ""}, "Bosnian"},        {{"sk", "slo", "slk"}, "Slovak"},
    {{"sl", "slv", ""}, "Slovenian"},      {{"et", "est", ""}, "Estonian"},
    {{"lv", "lav", ""}, "Latvian"},        {{"lt", "lit", ""}, "Lithuanian"},
    {{"is", "ice", "isl"}, "Icelandic"},   {{"ca", "cat", ""}, "Catalan"},
    {{"eu", "baq", "eus"}, "Basque"},      {{"gl", "glg", ""}, "Galician"},
    {{"br", "bre", ""}, "Breton"},         {{"co", "cos", ""}, "Corsican"},
    {{"oc", "oci", ""}, "Occitan"},        {{"la", "lat", ""}, "Latin"},
    {{"fa", "per", "fas"}, "Persian"},     {{"ta", "tam", ""}, "Tamil"},
    {{"te", "tel", ""}, "Telugu"},         {{"bn", "ben", ""}, "Bengali"},
    {{"ur", "urd", ""}, "Urdu"},           {{"tl", "tgl", ""}, "Tagalog"},
    {{"fil", "", ""}, "Filipino"},         {{"ga", "gle", ""}, "Irish"},
    {{"cy", "wel", "cym"}, "Welsh"},       {{"gd", "gla", ""}, "Scottish Gaelic"},
    {{"af", "afr", ""}, "Afrikaans"},      {{"sq", "alb", "sqi"}, "Albanian"},
    {{"mk", "mac", "mkd"}, "Macedonian"},  {{"hy", "arm", "hye"}, "Armenian"},
    {{"ka", "geo", "kat"}, "Georgian"},    {{"lb", "ltz", ""}, "Luxembourgish"},
    {{"ml", "mal", ""}, "Malayalam"},      {{"kn", "kan", ""}, "Kannada"},
    {{"mr", "mar", ""}, "Marathi"},        {{"pa", "pan", ""}, "Punjabi"},
    {{"sw", "swa", ""}, "Swahili"},        {{"yue", "", ""}, "Cantonese"},
    {{"cmn", "", ""}, "Mandarin"},         {{"mul", "", ""}, "Multiple languages"},
};

std::string field(const json::Value& track, std::string_view key) {
    return track[key].text();
}

// Decimal text of a number with `decimals` places, point as separator.
std::string fixed(double value, int decimals) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
    return buffer;
}

std::string sizeText(std::int64_t bytes) {
    if (bytes < 1024) return std::to_string(bytes) + " Bytes";
    const char* units[] = {"KiB", "MiB", "GiB", "TiB"};
    double v = double(bytes) / 1024;
    int unit = 0;
    while (v >= 1024 && unit < 3) {
        v /= 1024;
        ++unit;
    }
    return fixed(v, v < 10 ? 2 : v < 100 ? 1 : 0) + " " + units[unit];
}

std::string durationText(double seconds) {
    if (!(seconds >= 0)) return {};
    std::int64_t ms = std::llround(seconds * 1000);
    std::int64_t h = ms / 3600000, min = ms / 60000 % 60, s = ms / 1000 % 60, rest = ms % 1000;
    if (h > 0) return std::to_string(h) + " h " + std::to_string(min) + " min";
    if (min > 0) return std::to_string(min) + " min " + std::to_string(s) + " s";
    return std::to_string(s) + " s " + std::to_string(rest) + " ms";
}

std::string yesNo(const json::Value& track, std::string_view key) {
    return field(track, key) == "Yes" ? "Yes" : "No";
}

void add(Section& section, std::string label, std::string value, bool helper = true) {
    if (helper && value.empty()) return;
    section.lines.push_back({std::move(label), std::move(value), helper});
}

std::string frameRateOf(const json::Value& track) {
    std::optional<double> rate = track["FrameRate"].number();
    if (!rate) {
        std::optional<double> num = track["FrameRate_Num"].number();
        std::optional<double> den = track["FrameRate_Den"].number();
        if (num && den && *den > 0) rate = *num / *den;
    }
    if (!rate || !(*rate > 0) || *rate > 1e6) return {};
    return fixed(*rate, 3) + " fps";
}

std::string bitRateOf(const json::Value& track) {
    std::optional<double> rate = track["BitRate"].number();
    if (!rate || *rate <= 0) return {};
    return std::to_string(std::llround(*rate / 1000)) + " kb/s";
}

std::string bitDepthOf(const json::Value& track) {
    std::optional<std::int64_t> bits = track["BitDepth"].integer();
    return bits && *bits > 0 && *bits <= 64 ? std::to_string(*bits) + " bits" : "";
}

// "fr-CA" gives "French (CA)"; the region is kept as written.
std::string languageOf(const json::Value& track) {
    return languageName(field(track, "Language"));
}

Section general(const json::Value& media, const json::Value& track) {
    Section s{"General", {}};
    add(s, "Complete name", media["@ref"].text());
    add(s, "Format", field(track, "Format"));
    if (std::optional<std::int64_t> size = track["FileSize"].integer()) add(s, "File size", sizeText(*size));
    if (std::optional<double> d = track["Duration"].number()) add(s, "Duration", durationText(*d));
    return s;
}

// ID and Format open every track section, with nothing between them. A track
// without ID (a raw stream rather than a Matroska file) gets no ID line.
void opening(Section& s, const json::Value& track) {
    if (!field(track, "ID").empty()) add(s, "ID", field(track, "ID"), false);
    add(s, "Format", field(track, "Format"), false);
}

Section video(const json::Value& track) {
    Section s{"Video", {}};
    opening(s, track);
    std::string profile = field(track, "Format_Profile");
    if (!profile.empty() && !field(track, "Format_Level").empty()) profile += "@L" + field(track, "Format_Level");
    add(s, "Format profile", profile);
    add(s, "Muxing mode", field(track, "MuxingMode"));
    add(s, "Codec ID", field(track, "CodecID"));
    if (std::optional<double> d = track["Duration"].number()) add(s, "Duration", durationText(*d));
    add(s, "Width", field(track, "Width").empty() ? "" : field(track, "Width") + " pixels");
    add(s, "Height", field(track, "Height").empty() ? "" : field(track, "Height") + " pixels");
    std::string rate = frameRateOf(track);
    if (!rate.empty()) add(s, "Frame rate", rate, false);
    add(s, "Bit depth", bitDepthOf(track));
    add(s, "Title", field(track, "Title"));
    add(s, "Language", languageOf(track));
    add(s, "Default", yesNo(track, "Default"));
    add(s, "Forced", yesNo(track, "Forced"));
    return s;
}

Section audio(const json::Value& track) {
    Section s{"Audio", {}};
    opening(s, track);
    add(s, "Commercial name", field(track, "Format_Commercial_IfAny"));
    add(s, "Muxing mode", field(track, "MuxingMode"));
    add(s, "Codec ID", field(track, "CodecID"));
    if (std::optional<double> d = track["Duration"].number()) add(s, "Duration", durationText(*d));
    add(s, "Bit rate", bitRateOf(track));
    if (std::optional<std::int64_t> ch = track["Channels"].integer())
        add(s, "Channel(s)", std::to_string(*ch) + (*ch == 1 ? " channel" : " channels"));
    if (std::optional<double> sr = track["SamplingRate"].number(); sr && *sr > 0)
        add(s, "Sampling rate", fixed(*sr / 1000, 1) + " kHz");
    if (std::optional<double> delay = track["Video_Delay"].number()) {
        std::int64_t ms = std::fabs(*delay) < 1e9 ? std::llround(*delay * 1000) : 0;
        if (ms != 0) add(s, "Video delay", delayText(ms), false);
    }
    add(s, "Title", field(track, "Title"));
    add(s, "Default", yesNo(track, "Default"));
    add(s, "Forced", yesNo(track, "Forced"));
    // Last line of the section; left out when the language is unknown, which
    // the reader takes as "und".
    std::string language = languageOf(track);
    if (!language.empty()) add(s, "Language", language, false);
    return s;
}

Section text(const json::Value& track) {
    Section s{"Text", {}};
    opening(s, track);
    // The language must be the fourth line after the ID: these two are always there.
    add(s, "Codec ID", field(track, "CodecID"), false);
    add(s, "Default", yesNo(track, "Default"), false);
    add(s, "Language", languageOf(track), false);
    add(s, "Forced", yesNo(track, "Forced"));
    add(s, "Title", field(track, "Title"));
    add(s, "Muxing mode", field(track, "MuxingMode"));
    return s;
}

// A value as one cp1252 line: control characters become blanks, and a free
// text can never pass for a frame-rate line.
std::string lineValue(const Line& line) {
    std::string v = fromUtf8Lossy(line.value);
    for (char& c : v)
        if ((unsigned char)c < 0x20) c = ' ';
    if (line.label != "Frame rate") v = replaceAll(v, "Frame rate", "Frame-rate");
    return v;
}

std::vector<std::string> render(const std::vector<Section>& sections, bool withHelpers) {
    std::vector<std::string> out;
    for (const Section& s : sections) {
        out.push_back(s.title);
        for (const Line& line : s.lines)
            if (withHelpers || !line.helper) out.push_back(reportLine(line.label, lineValue(line)));
        out.push_back("");
    }
    return out;
}

}  // namespace

std::string reportLine(std::string_view label, std::string_view value) {
    std::string line(label);
    if (line.size() < 33) line.append(33 - line.size(), ' ');
    line += ": ";
    line += value;
    return line;
}

std::string delayText(std::int64_t milliseconds) {
    if (milliseconds == 0) return {};
    std::int64_t seconds = milliseconds / 1000;  // both parts keep the sign
    std::int64_t rest = milliseconds % 1000;
    if (seconds == 0) return std::to_string(rest) + "ms";
    return std::to_string(seconds) + "s " + std::to_string(rest) + "ms";
}

std::string languageName(std::string_view code) {
    std::string lower = toLower(code);
    std::string region;
    if (std::size_t dash = lower.find('-'); dash != std::string::npos) {
        region = std::string(code.substr(dash + 1));
        lower.resize(dash);
    }
    if (lower.empty() || lower == "und" || lower == "zxx") return {};
    for (const Language& language : languages)
        for (std::string_view c : language.codes)
            if (!c.empty() && c == lower)
                return std::string(language.name) + (region.empty() ? "" : " (" + region + ")");
    return std::string(code);
}

std::optional<std::string> makeReport(const json::Value& root, std::string& error) {
    const json::Value& media = root["media"];
    const json::Value& tracks = media["track"];
    if (!tracks.isArray()) {
        error = "the mediainfo output has no track list";
        return std::nullopt;
    }

    std::vector<Section> sections;
    int counts[3] = {0, 0, 0};  // video, audio, text
    for (const json::Value& track : tracks.items()) {
        std::string type = track["@type"].text();
        if (type == "General") sections.push_back(general(media, track));
        else if (type == "Video") sections.push_back(video(track)), ++counts[0];
        else if (type == "Audio") sections.push_back(audio(track)), ++counts[1];
        else if (type == "Text") sections.push_back(text(track)), ++counts[2];
    }
    // "Audio #1", "Audio #2"… when a kind has several sections.
    int seen[3] = {0, 0, 0};
    for (Section& s : sections) {
        int kind = s.title == "Video" ? 0 : s.title == "Audio" ? 1 : s.title == "Text" ? 2 : -1;
        if (kind >= 0 && counts[kind] > 1) s.title += " #" + std::to_string(++seen[kind]);
    }

    std::vector<std::string> lines = render(sections, true);
    if ((int)lines.size() > reportLineLimit) lines = render(sections, false);

    std::string out;
    for (const std::string& line : lines) out += line + "\r\n";
    return out;
}

std::optional<std::string> reportFromJson(std::string_view jsonText, std::string& error) {
    json::ParseResult parsed = json::parse(jsonText);
    if (!parsed.value) {
        error = "mediainfo printed no readable JSON (" + parsed.error + ")";
        return std::nullopt;
    }
    return makeReport(*parsed.value, error);
}

}  // namespace kx::adapt
