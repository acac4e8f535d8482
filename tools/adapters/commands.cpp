// Argument reading and file naming for the tool adapters.
#include "tools/adapters/commands.h"

#include <utility>

#include "base/text.h"

namespace kx::adapt {

namespace {

// A refused command line: says why, and gives nothing.
std::nullopt_t refused(std::string& error, std::string why) {
    error = std::move(why);
    return std::nullopt;
}

}  // namespace

std::string adapterName(const std::string& argv0) {
    std::string name = toLower(filePart(argv0));
    if (endsWith(name, ".exe")) name.resize(name.size() - 4);
    return name;
}

std::string withoutExtension(const std::string& path) {
    std::size_t dot = path.rfind('.');
    std::size_t slash = path.find_last_of("/\\");
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash) || dot == slash + 1 ||
        (slash == std::string::npos && dot == 0))
        return path;
    return path.substr(0, dot);
}

std::string extensionOf(const std::string& path) {
    std::string stem = withoutExtension(path);
    return stem.size() == path.size() ? std::string() : path.substr(stem.size() + 1);
}

std::optional<MediaInfoArgs> parseMediaInfoArgs(const std::vector<std::string>& args, std::string& error) {
    MediaInfoArgs parsed;
    for (const std::string& a : args) {
        if (startsWith(toLower(a), "--logfile=")) {
            parsed.report = a.substr(10);
            if (parsed.report.empty()) return refused(error, "--LogFile= names no file");
        } else if (a.size() > 1 && a[0] == '-') {
            return refused(error, "unknown option " + a);
        } else if (parsed.source.empty() && !a.empty()) {
            parsed.source = a;
        } else {
            return refused(error, "one source file is expected");
        }
    }
    if (parsed.source.empty()) return refused(error, "expected: \"SOURCE\" --LogFile=\"REPORT\"");
    return parsed;
}

namespace {

// "-448": an AC3 bit rate in kb/s (32 to 640); 0 for any other switch.
int asBitRate(const std::string& option) {
    if (option.size() < 3 || option.size() > 4) return 0;
    int rate = 0;
    for (std::size_t k = 1; k < option.size(); ++k) {
        if (option[k] < '0' || option[k] > '9') return 0;
        rate = rate * 10 + (option[k] - '0');
    }
    return rate >= 32 && rate <= 640 ? rate : 0;
}

}  // namespace

std::optional<TranscodeArgs> parseTranscodeArgs(const std::vector<std::string>& args, std::string& error) {
    TranscodeArgs parsed;
    std::vector<std::string> files;
    for (const std::string& a : args) {
        if (a.size() > 1 && a[0] == '-') {
            if (equalsNoCase(a, "-libav")) parsed.libav = true;
            else if (equalsNoCase(a, "-down6")) continue;  // what is done anyway above 5.1
            else if (int rate = asBitRate(a); rate > 0) parsed.bitRate = rate;
            else parsed.ignored.push_back(a);
        } else {
            files.push_back(a);
        }
    }
    if (files.size() != 2 || files[0].empty() || files[1].empty())
        return refused(error, "expected: \"INPUT\" \"OUTPUT.ac3\" [-libav]");
    parsed.input = files[0];
    parsed.output = files[1];
    return parsed;
}

int ac3BitRate(int channels, int asked) {
    if (asked > 0) return asked;
    return channels > 2 ? 640 : 224;
}

std::string transcodeLogName(const std::string& output) {
    return withoutExtension(output) + " - Log.txt";
}

std::vector<std::string> ffmpegCommand(const std::string& input, const std::string& target, const AudioFacts& facts,
                                       int bitRate) {
    const int channels = facts.channels;
    std::vector<std::string> argv{"ffmpeg", "-hide_banner", "-nostdin", "-nostats", "-loglevel", "error",
                                  "-y",     "-i",           input,      "-map",     "0:a:0", "-vn", "-sn",
                                  "-dn",    "-c:a",         "ac3",      "-b:a",     std::to_string(ac3BitRate(channels, bitRate)) + "k"};
    // "<" scales each sum so that it cannot clip.
    if (channels > 6 && facts.layout == "7.1")
        argv.insert(argv.end(), {"-af", "pan=5.1(side)|FL=FL|FR=FR|FC=FC|LFE=LFE|SL<SL+BL|SR<SR+BR"});
    else if (channels > 6 && facts.layout == "6.1")
        argv.insert(argv.end(), {"-af", "pan=5.1(side)|FL=FL|FR=FR|FC=FC|LFE=LFE|SL<SL+0.707*BC|SR<SR+0.707*BC"});
    else if (channels > 6)
        argv.insert(argv.end(), {"-ac", "6"});
    argv.insert(argv.end(), {"-f", "ac3", target});
    return argv;
}

std::optional<RepairArgs> parseRepairArgs(const std::vector<std::string>& args, std::string& error) {
    RepairArgs parsed;
    for (std::size_t k = 0; k < args.size(); ++k) {
        const std::string& a = args[k];
        std::string option = toLower(a);
        bool takesValue = option == "-fixcrc" || option == "-start" || option == "-end";
        if (takesValue) {
            if (k + 1 >= args.size()) return refused(error, "the option " + a + " lacks its value");
            std::string value = toLower(args[++k]);
            if (option == "-fixcrc") {
                if (value == "fix") parsed.mode = CrcMode::fix;
                else if (value == "ignore") parsed.mode = CrcMode::ignore;
                else if (value == "skip") parsed.mode = CrcMode::skip;
                else return refused(error, "-fixcrc takes fix, ignore or skip, not " + args[k]);
            } else if (value != "0") {
                return refused(error, "cutting (" + a + " " + args[k] + ") is not supported; only 0 is accepted");
            }
        } else if (a.size() > 1 && a[0] == '-') {
            return refused(error, "unknown option " + a);
        } else if (parsed.input.empty() && !a.empty()) {
            parsed.input = a;
        } else {
            return refused(error, "one input file is expected");
        }
    }
    if (parsed.input.empty()) return refused(error, "expected: -fixcrc fix -start 0 -End 0 \"INPUT\"");
    return parsed;
}

std::string repairOutputName(const std::string& input) {
    std::string extension = extensionOf(input);
    return withoutExtension(input) + "_fixed" + (extension.empty() ? "" : "." + extension);
}

std::string repairLogName(const std::string& input) {
    return withoutExtension(input) + "_log.txt";
}

}  // namespace kx::adapt
