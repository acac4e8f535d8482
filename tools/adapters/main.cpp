// The Linux stand-ins for the tools of the Applications folder. One program,
// copied under the names MediaInfo.exe, mkvextract.exe, mkvmerge.exe,
// eac3to.exe and delaycut.exe, takes the Windows command lines of the scripts
// and does the work with Debian's mediainfo, mkvtoolnix and ffmpeg.
// Exit codes: 0 done, 1 done with warnings, 2 failed (message on stderr).
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "base/encoding.h"
#include "tools/adapters/audio_head.h"
#include "tools/adapters/commands.h"
#include "base/json.h"
#include "tools/adapters/matroska_head.h"
#include "tools/adapters/report.h"
#include "tools/adapters/repair.h"
#include "tools/adapters/system.h"
#include "tools/adapters/track_map.h"

namespace kx::adapt {

void printError(const std::string& line) { std::fprintf(stderr, "%s\n", line.c_str()); }

namespace {

// The last lines of a tool's error output, for messages and logs.
std::string tail(const std::string& text, std::size_t maxLines = 8) {
    std::vector<std::string> lines;
    std::size_t from = 0;
    while (from < text.size()) {
        std::size_t end = text.find('\n', from);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(from, end - from);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty()) lines.push_back(line);
        from = end + 1;
    }
    std::string out;
    for (std::size_t k = lines.size() > maxLines ? lines.size() - maxLines : 0; k < lines.size(); ++k)
        out += (out.empty() ? "" : "\n") + lines[k];
    return out;
}

std::string toolFailure(const std::string& tool, const sys::RunResult& r) {
    if (!r.started) return r.error;
    std::string message = tool + " ended with code " + std::to_string(r.exitCode);
    std::string said = tail(r.err);
    if (!said.empty()) message += ": " + said;
    return message;
}

// A JSON document printed by a tool.
std::optional<json::Value> jsonOf(const std::string& tool, const sys::RunResult& r, std::string& error) {
    if (!r.started || r.exitCode != 0) {
        error = toolFailure(tool, r);
        return std::nullopt;
    }
    json::ParseResult parsed = json::parse(r.out);
    if (!parsed.value) error = tool + " printed no readable JSON (" + parsed.error + ")";
    return parsed.value;
}

// The map read from the file's first bytes, when they are plain enough to
// say what mkvmerge would (no program started).
std::optional<TrackMap> quickTrackMap(const std::string& file, Numbering numbering) {
    std::string ignored;
    std::unique_ptr<sys::FileView> view = sys::FileView::open(file, ignored);
    if (!view) return std::nullopt;
    const Bytes bytes = view->bytes();
    ReadAt read = [bytes](std::uint64_t offset, unsigned char* into, std::size_t size) -> std::size_t {
        if (offset >= bytes.size() || size == 0) return 0;
        std::size_t n = std::size_t(std::min<std::uint64_t>(size, bytes.size() - offset));
        std::memcpy(into, bytes.data() + offset, n);
        return n;
    };
    if (std::optional<TrackMap> map = trackMapFromHead(read, numbering)) return map;
    return rawTrackFileMap(file, read);
}

// The track map of a file as the tool that reads it numbers its tracks.
std::optional<TrackMap> identify(const std::string& file, Numbering numbering, std::string& error) {
    if (std::optional<TrackMap> map = quickTrackMap(file, numbering)) return map;
    sys::RunResult r = sys::run({"mkvmerge", "-J", file}, sys::captureOut | sys::captureErr);
    // mkvmerge -J reports an unrecognised file inside its JSON, with exit code 2.
    if (r.started && r.exitCode != 0) r.exitCode = json::parse(r.out).value ? 0 : r.exitCode;
    std::optional<json::Value> root = jsonOf("mkvmerge -J", r, error);
    if (!root) return std::nullopt;
    std::optional<TrackMap> map = trackMapFromIdentify(*root, error);
    if (!map) error = file + ": " + error;
    return map;
}

// Writes a small text file (a log or a report) through its own staging.
bool writeTextOutput(const std::string& target, const std::vector<std::string>& inputs, const std::string& data,
                     std::string& error) {
    sys::Outputs outputs(inputs);
    std::optional<std::string> staged = outputs.stage(target, error);
    return staged && writeStaged(*staged, data, error) && outputs.commit(error);
}

// ---- MediaInfo.exe ----------------------------------------------------------

int runMediaInfo(const std::vector<std::string>& args) {
    Console console{"MediaInfo.exe"};
    std::string error;
    std::optional<MediaInfoArgs> a = parseMediaInfoArgs(args, error);
    if (!a) return console.fail(error);
    int code = done;
    if (!checkInput(console, a->source, code)) return code;

    sys::RunResult r = sys::run({"mediainfo", "--Output=JSON", a->source}, sys::captureOut | sys::captureErr);
    if (!r.started || r.exitCode != 0) return console.fail(toolFailure("mediainfo", r));
    std::optional<std::string> report = reportFromJson(r.out, error);
    if (!report) return console.fail(error);

    if (a->report.empty()) {
        std::string shown = toUtf8(*report);
        std::fwrite(shown.data(), 1, shown.size(), stdout);
        return done;
    }
    if (!writeTextOutput(a->report, {a->source}, *report, error)) return console.fail(error);
    return done;
}

// ---- mkvextract.exe ---------------------------------------------------------

int runMkvextract(const std::vector<std::string>& args) {
    Console console{"mkvextract.exe"};
    std::string error;
    std::optional<ExtractRequest> request = parseExtractArgs(args, error);
    if (!request) return console.fail(error);
    int code = done;
    if (!checkInput(console, request->source, code)) return code;
    for (const std::string& w : request->warnings) console.warn(w);

    std::optional<TrackMap> map = identify(request->source, Numbering::mkvextract, error);
    if (!map || !mapExtractTargets(*request, *map, error)) return console.fail(error);

    sys::Outputs outputs({request->source});
    std::vector<std::string> staged;
    for (const ExtractTarget& t : request->targets) {
        std::optional<std::string> s = outputs.stage(t.file, error);
        if (!s) return console.fail(error);
        staged.push_back(*s);
    }
    sys::RunResult r = sys::run(extractCommand(*request, staged), sys::captureNothing);
    if (!r.started || r.exitCode > 1) return console.fail(toolFailure("mkvextract", r));
    if (!outputs.commit(error)) return console.fail(error);
    return r.exitCode == 1 || !request->warnings.empty() ? doneWithWarnings : done;
}

// ---- mkvmerge.exe -----------------------------------------------------------

int runMkvmerge(const std::vector<std::string>& args) {
    Console console{"mkvmerge.exe"};
    std::string error;
    if (std::find(args.begin(), args.end(), "-J") != args.end()) {
        // An identification (its answer written where -r says): the same
        // command line on both systems, passed on as it is.
        std::vector<std::string> command = args;
        command.insert(command.begin(), "mkvmerge");
        sys::RunResult r = sys::run(command, sys::captureNothing);
        return r.started ? r.exitCode : console.fail(r.error);
    }
    std::optional<MergeArgs> scanned = scanMergeArgs(args, error);
    if (!scanned) return console.fail(error);

    std::vector<std::string> inputs;
    std::vector<TrackMap> maps;
    std::map<std::string, TrackMap> known;
    for (std::size_t position : scanned->inputs) {
        const std::string& file = scanned->args[position];
        inputs.push_back(file);
        auto it = known.find(file);
        if (it == known.end()) {
            // A file that cannot be identified keeps its numbers; mkvmerge
            // itself then says what is wrong with it.
            std::optional<TrackMap> map = identify(file, Numbering::mkvmerge, error);
            it = known.emplace(file, map ? *map : TrackMap()).first;
        }
        maps.push_back(it->second);
    }
    std::vector<std::string> warnings = scanned->warnings;
    std::vector<std::string> rewritten = rewriteMergeArgs(*scanned, maps, warnings);
    for (const std::string& w : warnings) console.warn(w);

    sys::Outputs outputs(inputs);
    std::optional<std::string> staged = outputs.stage(scanned->args[*scanned->output], error);
    if (!staged) return console.fail(error);
    rewritten[*scanned->output] = *staged;
    rewritten.insert(rewritten.begin(), "mkvmerge");
    sys::RunResult r = sys::run(rewritten, sys::captureNothing);
    if (!r.started || r.exitCode > 1) return console.fail(toolFailure("mkvmerge", r));
    if (!outputs.commit(error)) return console.fail(error);
    return r.exitCode == 1 || !warnings.empty() ? doneWithWarnings : done;
}

// ---- eac3to.exe -------------------------------------------------------------

std::optional<AudioFacts> probeAudio(const std::string& file, std::string& error) {
    // A plain DTS stream says it all in its first frame.
    std::string ignored;
    if (std::unique_ptr<sys::FileView> view = sys::FileView::open(file, ignored))
        if (std::optional<AudioFacts> facts = plainDtsFacts(view->bytes())) return facts;
    sys::RunResult r = sys::run({"ffprobe", "-v", "error", "-select_streams", "a:0", "-show_entries",
                                 "stream=codec_name,channels,channel_layout,sample_rate,bit_rate", "-of", "json", file},
                                sys::captureOut | sys::captureErr);
    std::optional<json::Value> root = jsonOf("ffprobe", r, error);
    if (!root) return std::nullopt;
    const json::Value& streams = (*root)["streams"];
    if (streams.items().empty()) {
        error = file + " holds no audio track";
        return std::nullopt;
    }
    const json::Value& s = streams.items()[0];
    AudioFacts facts;
    facts.codec = s["codec_name"].text();
    facts.channels = int(s["channels"].integer().value_or(0));
    facts.sampleRate = s["sample_rate"].text();
    facts.bitRate = s["bit_rate"].text();
    facts.layout = s["channel_layout"].text();
    if (facts.channels <= 0) {
        error = "the channel count of " + file + " cannot be read";
        return std::nullopt;
    }
    return facts;
}

// The duration of a media file in seconds, 0 when unknown.
double durationOf(const std::string& file) {
    sys::RunResult r = sys::run({"ffprobe", "-v", "error", "-show_entries", "format=duration", "-of",
                                 "default=noprint_wrappers=1:nokey=1", file},
                                sys::captureOut | sys::captureErr);
    if (!r.started || r.exitCode != 0) return 0;
    return std::strtod(r.out.c_str(), nullptr);
}

// Turns ffmpeg's "out_time_us=..." lines into "Progress: N%" ones.
struct PercentPrinter {
    double seconds = 0;
    std::string line;
    int shown = -1;

    void feed(std::string_view piece) {
        for (char c : piece) {
            if (c != '\n') {
                line += c;
                continue;
            }
            static constexpr std::string_view key = "out_time_us=";
            if (seconds > 0 && line.rfind(key, 0) == 0) {
                const double done = std::strtod(line.c_str() + key.size(), nullptr) / 1e6;
                const int percent = std::clamp(int(done * 100 / seconds), 0, 100);
                if (percent != shown) {
                    std::printf("Progress: %d%%\r", percent);
                    std::fflush(stdout);
                    shown = percent;
                }
            }
            line.clear();
        }
    }
};

int runEac3to(const std::vector<std::string>& args) {
    Console console{"eac3to.exe"};
    std::string error;
    std::optional<TranscodeArgs> a = parseTranscodeArgs(args, error);
    if (!a) return console.fail(error);

    std::vector<std::string> log{"Transcode to AC3", "Input: " + a->input, "Output: " + a->output};
    for (const std::string& s : a->ignored) log.push_back("Switch not supported, ignored: " + s);
    auto finish = [&](bool ok, const std::string& result) {
        log.push_back(ok ? "Result: success" : "Result: failed: " + result);
        std::string text;
        for (const std::string& line : log) text += fromUtf8Lossy(line) + "\r\n";
        std::string logError;
        if (!writeTextOutput(transcodeLogName(a->output), {a->input, a->output}, text, logError))
            console.warn("no log written: " + logError);
        if (!ok) return console.fail(result);
        return a->ignored.empty() ? done : doneWithWarnings;
    };

    if (!sys::exists(a->input) || sys::isFolder(a->input)) return finish(false, "the input " + a->input + " does not exist");
    std::optional<AudioFacts> facts = probeAudio(a->input, error);
    if (!facts) return finish(false, error);
    std::string read = "Read: " + facts->codec + ", " + std::to_string(facts->channels) + " channels";
    if (!facts->sampleRate.empty()) read += ", " + facts->sampleRate + " Hz";
    if (!facts->bitRate.empty()) read += ", " + facts->bitRate + " b/s";
    log.push_back(read);

    int channels = facts->channels > 6 ? 6 : facts->channels;
    log.push_back("Writing: AC3, " + std::to_string(channels) + " channels, " +
                  std::to_string(ac3BitRate(facts->channels, a->bitRate)) + " kb/s, with ffmpeg's AC3 encoder" +
                  (facts->channels > 6 ? " (folded down to 5.1, LFE kept)" : ""));
    if (!a->libav)
        log.push_back("Note: the Sonic encoder asked for (no -libav) does not exist on Linux; "
                      "ffmpeg's AC3 encoder was used instead.");

    sys::Outputs outputs({a->input});
    std::optional<std::string> staged = outputs.stage(a->output, error);
    if (!staged) return finish(false, error);
    // ffmpeg tells how far it is on standard output; the program reading
    // this one's output wants the percentage mkvmerge prints.
    std::vector<std::string> command = ffmpegCommand(a->input, *staged, *facts, a->bitRate);
    command.insert(command.begin() + 1, {"-progress", "pipe:1"});
    PercentPrinter printer;
    printer.seconds = durationOf(a->input);
    sys::RunResult r = sys::run(command, sys::captureOut | sys::captureErr,
                                [&printer](std::string_view piece) { printer.feed(piece); });
    if (!r.started || r.exitCode != 0) return finish(false, toolFailure("ffmpeg", r));
    if (!outputs.commit(error)) return finish(false, error);
    return finish(true, "");
}

int usage() {
    std::fprintf(stderr,
                 "This program stands in for MediaInfo.exe, mkvextract.exe, mkvmerge.exe, eac3to.exe and\n"
                 "delaycut.exe: install it under those names, or name the tool as first argument.\n");
    return failed;
}

int dispatch(const std::string& name, const std::vector<std::string>& args) {
    if (name == "mediainfo") return runMediaInfo(args);
    if (name == "mkvextract") return runMkvextract(args);
    if (name == "mkvmerge") return runMkvmerge(args);
    if (name == "eac3to") return runEac3to(args);
    if (name == "delaycut") return runDelaycut(args);
    return -1;
}

}  // namespace
}  // namespace kx::adapt

int main(int argc, char** argv) {
    using namespace kx::adapt;
    std::vector<std::string> args(argv + 1, argv + argc);
    if (std::getenv("KLARBRIX_ADAPTER_CHILD")) {
        // Started by one of the stand-ins in place of the real tool: a copy
        // of this program is in PATH under the tool's name.
        std::fprintf(stderr, "%s: error: the real tool is missing; PATH leads back to this stand-in\n",
                     argc > 0 ? argv[0] : "adapter");
        return 2;
    }
    int code = dispatch(adapterName(argc > 0 ? argv[0] : ""), args);
    if (code < 0 && !args.empty()) {
        std::string name = adapterName(args[0]);
        args.erase(args.begin());
        code = dispatch(name, args);
    }
    return code < 0 ? usage() : code;
}
