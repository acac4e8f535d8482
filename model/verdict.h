// What a box will make of the chosen tracks, told after the analysis: the
// audio conversion, image subtitles, video older boxes fail on, header
// compression and a doubtful frame rate. Pure text work on the track records.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/report.h"

namespace kx {

struct VerdictInputs {
    // The chosen tracks; a subtitle only when the run keeps a track of the
    // source (not an external file, not with "Ne pas extraire de srt").
    std::optional<TrackRecord> video, audio, subtitle;
    std::string frameRate;  // as the run will force it; empty when unknown
    bool converting = true;  // the run's transcode step is on
    bool keepEac3 = false;
    bool transcoderReadsOgg = true;
    int rate = 640;  // AC3 bit rate in kb/s
};

// The verdict's items, the most important first (what a box may not play
// before what the run changes).
std::vector<std::string> verdictItems(const VerdictInputs& in);

// The items joined by " ; " as far as they fit in `width` characters (the
// first one always); what the status bar shows.
std::string briefVerdict(const std::vector<std::string>& items, std::size_t width = 100);

// A frame rate a video can have: 10 to 121 images a second, read with a dot
// whatever the locale ("23.976").
bool plausibleFrameRate(std::string_view rate);

}  // namespace kx
