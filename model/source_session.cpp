// The current source: what the analysis and the choice make of it.
#include "model/source_session.h"

#include "base/text.h"

namespace kx {

namespace {

std::vector<TrackItem> itemsOf(const ReportScan& scan, const std::vector<std::string>& texts,
                               const std::vector<std::size_t>& records) {
    std::vector<TrackItem> items;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        std::int64_t id = i < records.size() ? trackIdOfRecord(scan.tracks[records[i]].trackId) : 0;
        items.push_back({texts[i], id});
    }
    return items;
}

int firstOf(const std::vector<TrackItem>& items) { return items.empty() ? -1 : 0; }

// The ID of the chosen item; 0 when nothing (or no such item) is chosen.
std::int64_t idOf(const std::vector<TrackItem>& items, int chosen) {
    return chosen >= 0 && std::size_t(chosen) < items.size() ? items[std::size_t(chosen)].trackId : 0;
}

// The record of the chosen item (the last one of its ID, as the run plan
// takes it); none when nothing, or the external subtitle, is chosen.
std::optional<TrackRecord> recordOf(const TrackTable& tracks, const std::vector<TrackItem>& items, int chosen) {
    std::optional<TrackRecord> found;
    const std::int64_t id = idOf(items, chosen);
    if (id == 0) return found;
    for (const TrackRecord& track : tracks)
        if (trackIdOfRecord(track.trackId) == id) found = track;
    return found;
}

}  // namespace

void SourceSession::forgetLists() {
    videoItems.clear();
    audioItems.clear();
    subtitleItems.clear();
    choice = {};
}

void SourceSession::takeScan(const ReportScan& scan) {
    tracks = scan.tracks;
    if (scan.frameRate) frameRate = *scan.frameRate;
    videoItems = itemsOf(scan, scan.videoItems, scan.videoRecords);
    audioItems = itemsOf(scan, scan.audioItems, scan.audioRecords);
    subtitleItems = itemsOf(scan, scan.subtitleItems, scan.subtitleRecords);
    choice = {firstOf(videoItems), firstOf(audioItems), firstOf(subtitleItems), choice.noSrt};
}

void SourceSession::addExternalSubtitle(const std::string& srt) {
    srtPath = srt;
    subtitleItems.insert(subtitleItems.begin(), TrackItem{filePart(srt), 0});
    choice.subtitle = 0;
}

void SourceSession::endRun() {
    srtPath.clear();
    tracks = {};
    forgetLists();
}

RunInputs SourceSession::runInputs(const std::string& remuxdest, const std::string& cheminremux) const {
    RunInputs in;
    in.sourcePath = path;
    in.tracks = tracks;
    in.videoId = idOf(videoItems, choice.video);
    in.audioId = idOf(audioItems, choice.audio);
    in.subtitleSelected = subtitleSelected();
    in.subId = idOf(subtitleItems, choice.subtitle);
    in.remuxdest = remuxdest;
    in.cheminremux = cheminremux;
    return in;
}

VerdictInputs SourceSession::verdictInputs() const {
    VerdictInputs in;
    in.video = recordOf(tracks, videoItems, choice.video);
    in.audio = recordOf(tracks, audioItems, choice.audio);
    if (!choice.noSrt && srtPath.empty()) in.subtitle = recordOf(tracks, subtitleItems, choice.subtitle);
    in.frameRate = frameRate;
    return in;
}

}  // namespace kx
