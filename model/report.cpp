// The MediaInfo report scan: track sections, audio delays and languages,
// subtitle languages, the video list and the frame rate.
#include "model/report.h"

#include "base/text.h"

namespace kx {

namespace {

constexpr std::size_t labelWidth = 35;
constexpr std::string_view delayLabel = "Video delay                      : ";

// Line i of the report; empty outside the table.
const std::string& lineAt(const ReportLines& lines, std::ptrdiff_t i) {
    static const std::string none;
    if (i < 0 || std::size_t(i) >= lines.size()) return none;
    return lines[std::size_t(i)];
}

std::string before(std::string_view line, std::string_view mark) {
    std::size_t p = line.find(mark);
    return std::string(p == std::string_view::npos ? std::string_view() : line.substr(0, p));
}

// The seconds and milliseconds parts of a "Video delay" line.
void readDelay(std::string_view line, TrackRecord& track) {
    track.delaySeconds = replaceAll(before(line, "s "), delayLabel, "");
    std::string ms = replaceAll(before(line, "ms"), delayLabel, "");
    track.delayMilliseconds = replaceAllNoCase(ms, track.delaySeconds + "s ", "");
}

// The lines of a section whose ID line is line i that tell what a box makes
// of the track (delays and channels of audio sections only); returns the
// index of the section's last line.
std::ptrdiff_t readSection(const ReportLines& lines, std::ptrdiff_t i, bool audio, TrackRecord& track) {
    std::ptrdiff_t j = i;
    for (; !lineAt(lines, j).empty(); ++j) {
        const std::string& line = lineAt(lines, j);
        if (audio && startsWith(line, "Video delay")) readDelay(line, track);
        if (audio && startsWith(line, "Channel(s)")) track.channels = int(readNumber(reportValue(line)));
        if (startsWith(line, "Format profile") || startsWith(line, "Commercial name"))
            track.profile += (track.profile.empty() ? "" : " ") + reportValue(line);
        if (startsWith(line, "Bit depth")) track.bitDepth = int(readNumber(reportValue(line)));
        if (startsWith(line, "Muxing mode") && reportValue(line).find("Header stripping") != std::string::npos)
            track.headerStripped = true;
    }
    return j - 1;
}

// The value of the first line labelled `label` in the section whose ID line is line i.
std::string sectionValue(const ReportLines& lines, std::ptrdiff_t i, std::string_view label) {
    for (std::ptrdiff_t j = i; !lineAt(lines, j).empty(); ++j) {
        const std::string& line = lineAt(lines, j);
        if (startsWith(line, label) && line.size() > label.size() && line[label.size()] == ' ')
            return reportValue(line);
    }
    return {};
}

}  // namespace

ReportLines reportLinesOf(std::string_view reportBytes) {
    ReportLines lines;
    std::vector<std::string> all = splitLines(reportBytes);
    for (std::size_t n = 0; n < all.size() && n < lines.size(); ++n) lines[n] = std::move(all[n]);
    return lines;
}

std::string reportValue(std::string_view line) {
    return line.size() > labelWidth ? std::string(line.substr(labelWidth)) : std::string();
}

std::string trackItemText(const TrackRecord& track) {
    return "track #" + track.trackId + "  " + track.format + "  " + track.language;
}

ReportScan scanReport(const ReportLines& lines) {
    ReportScan scan;
    std::size_t k = 0;
    for (std::ptrdiff_t i = 0; i < std::ptrdiff_t(lines.size()); ++i) {
        const std::string& line = lineAt(lines, i);
        if (startsWith(line, "ID") && k < scan.tracks.size()) {
            const std::size_t record = k++;
            TrackRecord& track = scan.tracks[record];
            track.trackId = reportValue(line);
            track.format = replaceAll(reportValue(lineAt(lines, i + 1)), "-", "");
            track.duration = sectionValue(lines, i, "Duration");
            const std::string& title = lineAt(lines, i - 1);
            const bool audio = startsWith(title, "Audio");
            const std::string& last = lineAt(lines, readSection(lines, i, audio, track));
            if (audio) {
                track.language = startsWith(last, "Language") ? reportValue(last) : "und";
                scan.audioItems.push_back(trackItemText(track));
                scan.audioRecords.push_back(record);
            } else if (startsWith(title, "Text")) {
                std::string language = reportValue(lineAt(lines, i + 4));
                track.language = language.empty() ? "und" : language;
                scan.subtitleItems.push_back(trackItemText(track));
                scan.subtitleRecords.push_back(record);
            } else if (title == "Video") {
                scan.videoItems.push_back(trackItemText(track));
                scan.videoRecords.push_back(record);
            }
        }
        if (line.find("Frame rate") != std::string::npos)
            scan.frameRate = replaceAll(reportValue(line), std::string_view(line).substr(line.size() - 4), "");
    }
    return scan;
}

}  // namespace kx
