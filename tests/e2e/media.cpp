// Making the real sources of the end-to-end tests and looking into results.
#include "e2e/media.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "base/json.h"
#include "tools/adapters/system.h"

namespace kx::test::media {

namespace {

std::string slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void spill(const std::string& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

const std::vector<std::string> ff = {"ffmpeg", "-hide_banner", "-nostdin", "-loglevel", "error", "-y"};

std::vector<std::string> operator+(std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

const char* const frenchSubtitles =
    "1\r\n00:00:00,500 --> 00:00:01,500\r\nBonjour\r\n\r\n2\r\n00:00:01,600 --> 00:00:01,900\r\nAu revoir\r\n";

// 192 kb/s at 48 kHz: every AC3 frame is 1536 samples, 768 bytes.
constexpr std::size_t ac3FrameBytes = 192000 / 8 * 1536 / 48000;

// Changes a few bytes in the middle of some frames; the headers stay, so
// the frames are still found, but their CRCs no longer hold.
bool damageAc3(const std::string& from, const std::string& to, std::string& error) {
    std::string bytes = slurp(from);
    for (std::size_t at = 0; at + 1 < bytes.size(); at += ac3FrameBytes) {
        if (static_cast<unsigned char>(bytes[at]) != 0x0B || static_cast<unsigned char>(bytes[at + 1]) != 0x77) {
            error = from + ": no AC3 frame at byte " + std::to_string(at);
            return false;
        }
    }
    for (std::size_t frame : {3, 10, 20, 40}) {
        std::size_t at = frame * ac3FrameBytes + ac3FrameBytes / 2;
        if (at + 4 > bytes.size()) {
            error = from + " is too short to damage";
            return false;
        }
        for (std::size_t k = 0; k < 4; ++k) bytes[at + k] = char(bytes[at + k] ^ 0x5A);
    }
    spill(to, bytes);
    return true;
}

}  // namespace

const char* const outsideSubtitles = "1\r\n00:00:00,200 --> 00:00:01,000\r\nSalut depuis un fichier externe\r\n";

Output run(const std::vector<std::string>& argv) {
    adapt::sys::RunResult r = adapt::sys::run(argv, adapt::sys::captureOut | adapt::sys::captureErr);
    return {r.started ? r.exitCode : -1, std::move(r.out), std::move(r.err)};
}

std::string whichProgram(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::string folders = path ? path : "";
    std::size_t from = 0;
    while (from <= folders.size()) {
        std::size_t end = folders.find(':', from);
        if (end == std::string::npos) end = folders.size();
        std::string candidate = folders.substr(from, end - from) + "/" + name;
        if (end > from && ::access(candidate.c_str(), X_OK) == 0) return candidate;
        from = end + 1;
    }
    return "";
}

std::string missingTools() {
    std::string missing;
    for (const char* tool : {"ffmpeg", "ffprobe", "mkvmerge", "mkvextract", "mkvinfo", "mediainfo"})
        if (whichProgram(tool).empty()) missing += std::string(missing.empty() ? "" : " ") + tool;
    return missing;
}

Sources::Sources() {
    char pattern[] = "/tmp/klarbrix-media-XXXXXX";
    if (!::mkdtemp(pattern)) {
        error_ = "mkdtemp failed";
        return;
    }
    folder_ = std::string(pattern) + "/";
    spill(path("french.srt"), frenchSubtitles);
    spill(path("outside.srt"), outsideSubtitles);
    using Args = std::vector<std::string>;
    const Args h264 = {"-t", "2", "-c:v", "libx264", "-preset", "ultrafast", "-pix_fmt", "yuv420p"};
    const Args video25 =
        ff + Args{"-f", "lavfi", "-i", "testsrc2=size=160x90:rate=25"} + h264 + Args{path("video25.mkv")};
    const Args video24 =
        ff + Args{"-f", "lavfi", "-i", "testsrc2=size=160x90:rate=24000/1001"} + h264 + Args{path("video24.mkv")};
    // Six channels of one tone, through ffmpeg's DTS encoder.
    const Args dts = ff + Args{"-f", "lavfi", "-i", "sine=frequency=440:sample_rate=48000", "-t", "2", "-af",
                               "pan=5.1|c0=c0|c1=c0|c2=c0|c3=c0|c4=c0|c5=c0", "-c:a", "dca", "-strict",
                               "experimental", "-b:a", "768k", path("french.dts")};
    const Args ac3 = ff + Args{"-f", "lavfi", "-i", "sine=frequency=523:sample_rate=48000", "-t", "2", "-ac", "2",
                               "-c:a", "ac3", "-b:a", "192k", path("english.ac3")};
    const Args zlib = {"--compression", "0:zlib"};
    const Args film = Args{"mkvmerge", "-q", "-o", path("film.mkv")} + zlib + Args{path("video25.mkv")} +
                      Args{"--language", "0:fre", "--sync", "0:1200"} + zlib + Args{path("french.dts")} +
                      Args{"--language", "0:eng"} + zlib + Args{path("english.ac3")} + Args{"--language", "0:fre"} +
                      zlib + Args{path("french.srt")};
    const Args film24 = {"mkvmerge", "-q", "-o", path("film24.mkv"), path("video24.mkv"), "--language", "0:fre",
                         path("french.dts"), "--language", "0:fre", path("french.srt")};
    const Args damaged = {"mkvmerge", "-q", "-o", path("damaged.mkv"), path("video25.mkv"), "--language", "0:fre",
                          path("damaged.ac3")};
    // One track of each format a box cannot play, and an AC3 one: 1 s each.
    auto tone = [&](const char* codec, const char* layout, const std::string& file) {
        return ff + Args{"-f", "lavfi", "-i", "sine=frequency=440:sample_rate=48000", "-t", "1", "-af",
                         std::string("aformat=channel_layouts=") + layout, "-c:a", codec, "-strict", "-2", path(file)};
    };
    const Args formats = Args{"mkvmerge", "-q", "-o", path("formats.mkv"), path("video25.mkv"), "--language",
                              "0:fre", path("flac.mka"), "--language", "0:eng", path("truehd.mka"), "--language",
                              "0:ger", path("opus.mka"), "--language", "0:ita", path("pcm.mka"), "--language",
                              "0:por", path("eac3.mka"), "--language", "0:eng", path("english.ac3")};
    spill(path("latin1.srt"), "1\r\n00:00:00,200 --> 00:00:01,000\r\nCaf\xE9 cr\xE8me \xE0 l'\xE9t\xE9\r\n");
    bool made = make(tone("flac", "7.1", "flac.mka")) && make(tone("truehd", "5.1", "truehd.mka")) &&
                make(tone("libopus", "5.1", "opus.mka")) && make(tone("pcm_s24le", "5.1", "pcm.mka")) &&
                make(tone("eac3", "5.1", "eac3.mka")) && make(video25) && make(video24) && make(dts) && make(ac3) && make(film) && make(film24) &&
                damageAc3(path("english.ac3"), path("damaged.ac3"), error_) && make(damaged) && make(formats);
    if (!made && error_.empty()) error_ = "the sources could not be made";
}

Sources::~Sources() {
    if (!folder_.empty() && !std::getenv("KLARBRIX_KEEP_TEST_FOLDERS")) {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }
}

bool Sources::make(const std::vector<std::string>& argv) {
    Output o = run(argv);
    if (o.status == 0) return true;
    error_ = argv[0] + " ended with " + std::to_string(o.status) + " while making the sources: " + o.err + o.out;
    return false;
}

std::vector<Track> tracksOf(const std::string& file) {
    std::vector<Track> tracks;
    Output o = run({"mkvmerge", "-J", file});
    json::ParseResult parsed = json::parse(o.out);
    if (o.status != 0 || !parsed.value) return tracks;
    for (const json::Value& t : (*parsed.value)["tracks"].items()) {
        const json::Value& p = t["properties"];
        Track track;
        track.id = t["id"].integer().value_or(-1);
        track.type = t["type"].text();
        track.codec = t["codec"].text();
        track.language = p["language"].text();
        track.channels = int(p["audio_channels"].integer().value_or(0));
        track.defaultDuration = p["default_duration"].integer().value_or(0);
        track.minimumTimestamp = p["minimum_timestamp"].integer().value_or(0);
        tracks.push_back(track);
    }
    return tracks;
}

std::string firstAudio(const std::string& file) {
    return run({"ffprobe", "-v", "error", "-select_streams", "a:0", "-show_entries",
                "stream=codec_name,channels,channel_layout,bit_rate:format=duration", "-of", "default=nw=1", file})
        .out;
}

std::string mkvinfo(const std::string& file) { return run({"mkvinfo", file}).out; }

std::string audioDecodeErrors(const std::string& file) {
    Output o = run({"ffmpeg", "-nostdin", "-v", "error", "-err_detect", "crccheck", "-i", file, "-map", "0:a", "-f",
                    "null", "-"});
    if (o.status != 0 && o.err.empty()) return "ffmpeg ended with " + std::to_string(o.status);
    return o.err;
}

std::string extractedTrack(const std::string& file, std::int64_t id, const std::string& target) {
    run({"mkvextract", file, "tracks", std::to_string(id) + ":" + target});
    return slurp(target);
}

PathOverride::PathOverride(const std::string& path) {
    const char* old = std::getenv("PATH");
    had_ = old != nullptr;
    if (old) saved_ = old;
    ::setenv("PATH", path.c_str(), 1);
}

PathOverride::~PathOverride() {
    if (had_) ::setenv("PATH", saved_.c_str(), 1);
    else ::unsetenv("PATH");
}

}  // namespace kx::test::media
