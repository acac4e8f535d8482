// What becomes of an audio track on the extraction path: the extension its
// extracted file takes, whether it is converted to AC3 (a box plays AC3 and
// stereo AAC or MP3, little else), and the verdict told after the analysis.
#pragma once

#include <string>
#include <string_view>

namespace kx {

struct AudioTreatment {
    std::string extension;  // of the extracted track file, without its dot ("thd", "dts", "wav")
    std::string name;       // as the verdict names the format ("TrueHD", "DTS-HD", "FLAC")
    bool converted = false;   // the transcoder turns it into AC3
    bool unreadable = false;  // kept only because the transcoder cannot read it
};

// `format` as the report scan keeps it (dashes removed: "MLP FAT", "DTS",
// "EAC3", "PCM"), `profile` its format profile and commercial name,
// `channels` its channel count (0 when unknown). E-AC3 is kept with
// `keepEac3`; Opus and Vorbis are kept when the transcoder cannot read them.
AudioTreatment audioTreatment(std::string_view format, std::string_view profile, int channels, bool keepEac3,
                              bool transcoderReadsOgg);

// The AC3 bit rate in kb/s the transcode asks for: 448 when Option::ac3448 is "1", else 640.
int ac3Rate(std::string_view ac3448Value);

// The French verdict on the chosen audio track, e.g. "Audio TrueHD 7.1 : sera
// converti en AC3 5.1 (640 kb/s)". `converting`: the run's transcode step is on.
std::string audioVerdict(const AudioTreatment& treatment, int channels, bool converting, int rate);

}  // namespace kx
