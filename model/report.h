// Reading a MediaInfo text report: the report's first lines, and the scan that
// turns them into the track table, the three track lists and the frame rate.
// Pure text work; running MediaInfo and filling the windows is the caller's.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kx {

// What the analysis keeps of one report section that has an "ID" line.
struct TrackRecord {
    std::string trackId;            // value of the ID line
    std::string format;             // value of the next line, dashes removed
    std::string language;           // audio/text sections: language name or "und"
    std::string delaySeconds;       // audio sections: seconds part of "Video delay"
    std::string delayMilliseconds;  // audio sections: milliseconds part
    int channels = 0;               // audio sections: the "Channel(s)" count, 0 when absent
    // Audio and video sections: the "Format profile" and "Commercial name" values,
    // blank-separated (what tells DTS-HD from DTS, or gives "High@L4.1").
    std::string profile{};
    int bitDepth = 0;             // audio and video sections: "Bit depth", 0 when absent
    bool headerStripped = false;  // "Muxing mode : Header stripping" (header compression)
    // The section's "Duration" value ("1 h 23 min", "5 s 120 ms"), empty when absent.
    std::string duration{};
};

inline constexpr std::size_t trackTableSize = 21;
inline constexpr std::size_t reportLineCount = 201;

using TrackTable = std::array<TrackRecord, trackTableSize>;
using ReportLines = std::array<std::string, reportLineCount>;

// The report's lines in order (entry 0 is the first line); lines after entry
// 200 are dropped, entries no line filled stay empty.
ReportLines reportLinesOf(std::string_view reportBytes);

// The value of a report line: what follows its first 35 characters (the label
// column); empty for a line of 35 characters or fewer.
std::string reportValue(std::string_view line);

// The list item of a track: "track #" + id + "  " + format + "  " + language.
std::string trackItemText(const TrackRecord& track);

struct ReportScan {
    TrackTable tracks;                    // entry k: the k-th section with an ID line
    std::vector<std::string> videoItems;  // list items in report order
    std::vector<std::string> audioItems;
    std::vector<std::string> subtitleItems;
    // The entry of `tracks` each item stands for, item by item.
    std::vector<std::size_t> videoRecords, audioRecords, subtitleRecords;
    // The frame rate of the last line holding "Frame rate"; empty when no line
    // does, so that the caller keeps the one it had.
    std::optional<std::string> frameRate;
};

// Scans the report lines for tracks and the frame rate. Sections with an ID
// line after the 21st are neither stored nor listed.
ReportScan scanReport(const ReportLines& lines);

}  // namespace kx
