// The run plan: every value a run or a queued job works out once at its start
// (track numbers, formats, language codes, audio delay and the names of all
// the files its scripts create, read or delete), from the chosen source.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "model/report.h"

namespace kx {

struct RunInputs {
    std::string sourcePath;  // the chosen source file
    TrackTable tracks;       // as the analysis left it
    std::int64_t videoId = 0;  // track IDs of the chosen items of the three track lists
    std::int64_t audioId = 0;
    std::int64_t subId = 0;
    bool subtitleSelected = false;  // whether the subtitle list has a selection
    std::string remuxdest;          // value of "remuxdest = "
    std::string cheminremux;        // value of "cheminremux = "
    bool keepEac3 = false;            // Option::keepeac3 is "1"
    bool transcoderReadsOgg = true;   // fs::transcoderReadsOggAudio()
};

struct RunPlan {
    std::string sourcePath;  // the source the plan was made for
    std::string baseName;  // source file name without its extension
    std::string basePath;  // source path without its extension
    std::int64_t videoId = 0;
    std::int64_t audioId = 0;
    std::int64_t subId = 0;  // 0 when no subtitle is selected
    std::string videoFormat;  // as analysed
    std::string audioFormat;  // as analysed; "Vorbis" becomes "ogg"
    std::string audioLang;    // three-letter code
    std::int64_t audioDelaySeconds = 0;
    std::int64_t audioDelayMs = 0;
    std::string subFormat;  // "srt", "ass", "sub" or the analysed format
    std::string subLang;
    std::string videoFile;    // basePath + ".h264"
    std::string audioExtension;  // of the extracted track file (audio_kinds.h), without its dot
    bool audioConverted = false;  // the transcode step turns this track into basePath + ".ac3"
    int audioChannels = 0;
    std::string audioFile;    // basePath + "." + audioExtension
    std::string subFile;      // empty for subtitle formats without a file name
    std::string remuxOutput;  // the run's result
    // What the remux writes: a name beside the result ("film_remux.part.mkv"),
    // moved onto the result's once the result has been checked.
    std::string remuxPart;
    // The chosen tracks' durations as the report gives them; empty when it does not.
    std::string videoDuration, audioDuration;
};

RunPlan makeRunPlan(const RunInputs& in);

// The name the remux writes before the result is in place: ".part" before
// the result's extension ("a.mkv" gives "a.part.mkv").
std::string partName(const std::string& result);

// A format read from a report as it may reach a script or a file name: only
// its ASCII letters and digits are kept (so it can neither close a quote nor
// separate, chain or redirect a command); a format with none of them becomes
// `unknownFormat`. An empty format stays empty.
std::string safeFormat(std::string_view format);
inline constexpr std::string_view unknownFormat = "bin";

// The choices that decide which files a run makes, taken once at its start.
struct RunChoices {
    bool extraction = false;         // the extraction path (else the direct one)
    bool repair = false;             // the repair script runs
    bool transcode = false;          // the transcode script runs
    bool subtitleExtracted = false;  // a subtitle track of the source is extracted
    bool keepSubtitle = false;       // the extracted subtitle stays beside the source
    bool sourceSubtitle = false;     // a subtitle track of the source is chosen for the result
    bool externalSubtitle = false;   // the external subtitle file goes into the result
    bool keepOriginal = false;       // a converted track's original is kept beside it
};

// The code passed to the remux tool for a language name: its first three
// letters lower-cased when they are one of the nine known ones ("jap" gives
// "jpn"), otherwise the ISO 639-2/B code of the name or code, "und" when the
// text names no language.
std::string languageCode(std::string_view language);

// A track record's ID as a number: its leading decimal digits (0 when none).
std::int64_t trackIdOfRecord(std::string_view trackId);

}  // namespace kx
