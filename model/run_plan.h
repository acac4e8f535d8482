// The run plan: every value a run or a queued job works out once at its start
// (track numbers, formats, language codes, audio delay and the names of all
// the files its scripts create, read or delete), from the chosen source.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "model/report.h"

namespace kx {

struct RunInputs {
    std::string sourcePath;  // the chosen source file
    TrackTable tracks;       // as the analysis left it
    std::string videoItem;   // selected item texts of the three track lists
    std::string audioItem;
    std::string subtitleItem;
    bool subtitleSelected = false;  // whether the subtitle list has a selection
    std::string remuxdest;          // value of "remuxdest = "
    std::string cheminremux;        // value of "cheminremux = "
};

struct RunPlan {
    std::string sourcePath;  // the source the plan was made for
    std::string baseName;  // source file name without its extension
    std::string basePath;  // source path without its extension
    std::int64_t videoId = 0;
    std::int64_t audioId = 0;
    std::int64_t subId = 0;  // 0 when no subtitle is selected
    std::string audioFormat;  // as analysed; "Vorbis" becomes "ogg"
    std::string audioLang;    // three-letter code
    std::int64_t audioDelaySeconds = 0;
    std::int64_t audioDelayMs = 0;
    std::string subFormat;  // "srt", "ass", "sub" or the analysed format
    std::string subLang;
    std::string videoFile;    // basePath + ".h264"
    std::string audioFile;    // basePath + "." + lower-cased audioFormat
    std::string subFile;      // empty for subtitle formats without a file name
    std::string remuxOutput;  // the file the remux must produce
};

RunPlan makeRunPlan(const RunInputs& in);

// The code passed to the remux tool for a language name: its first three
// letters lower-cased ("jap" gives "jpn"), "und" when not among the known ones.
std::string languageCode(std::string_view language);

// The track ID shown in a list item: every digit right after "track #"
// (the item's eighth character on); 0 when there is none.
std::int64_t trackIdOfItem(std::string_view item);

// A track record's ID as a number: its leading decimal digits (0 when none).
std::int64_t trackIdOfRecord(std::string_view trackId);

}  // namespace kx
