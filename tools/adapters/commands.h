// Command lines of the tool adapters: reading the arguments each one is given
// under its Windows name, the names of the files it writes, and the ffmpeg
// command of the DTS to AC3 transcode.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "tools/adapters/audio_head.h"
#include "tools/adapters/frames.h"

namespace kx::adapt {

// Which adapter to be, from the name the program was started under
// ("/x/Applications/eac3to.exe" gives "eac3to"; letter case ignored).
std::string adapterName(const std::string& argv0);

// The path without its final extension (only a dot in the file part counts).
std::string withoutExtension(const std::string& path);
// The extension without its dot; empty when there is none.
std::string extensionOf(const std::string& path);

// MediaInfo.exe "SOURCE" --LogFile="REPORT" (the report option may be missing:
// the report then goes to standard output).
struct MediaInfoArgs {
    std::string source;
    std::string report;
};
std::optional<MediaInfoArgs> parseMediaInfoArgs(const std::vector<std::string>& args, std::string& error);

// eac3to.exe "IN" "OUT" [-libav] [-down6] [-RATE] (RATE in kb/s, "-448")
struct TranscodeArgs {
    std::string input;
    std::string output;
    bool libav = false;
    int bitRate = 0;  // 0: the encoder's default for the channels
    std::vector<std::string> ignored;  // other switches, named in the log
};
std::optional<TranscodeArgs> parseTranscodeArgs(const std::vector<std::string>& args, std::string& error);
// The rate asked for, else 640 kb/s for more than two channels and 224 kb/s otherwise.
int ac3BitRate(int channels, int asked = 0);
// OUT without its extension + " - Log.txt".
std::string transcodeLogName(const std::string& output);
// ffmpeg reading the first audio track of `input` and writing AC3 to `target`
// (a staged file the caller created, hence -y). More than six channels are
// folded to 5.1, the most AC3 carries: 7.1 and 6.1 with the LFE kept and the
// side and back channels mixed into the surrounds, other layouts by ffmpeg.
std::vector<std::string> ffmpegCommand(const std::string& input, const std::string& target, const AudioFacts& facts,
                                       int bitRate = 0);

// delaycut.exe -fixcrc fix -start 0 -End 0 "IN" (option names without regard
// to case; cutting is not supported, so start and end must be 0).
struct RepairArgs {
    CrcMode mode = CrcMode::fix;
    std::string input;
};
std::optional<RepairArgs> parseRepairArgs(const std::vector<std::string>& args, std::string& error);
// IN without extension + "_fixed." + extension, and + "_log.txt".
std::string repairOutputName(const std::string& input);
std::string repairLogName(const std::string& input);

}  // namespace kx::adapt
