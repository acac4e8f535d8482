// The current source file as the handlers and the analysis leave it: its
// path, its tracks, the items of the three track lists with the track each
// stands for, and the user's choice among them. A run reads only this.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/report.h"
#include "model/run_plan.h"
#include "model/verdict.h"

namespace kx {

// One item of a track list and the track ID it stands for (0 for the
// external subtitle file put at the top of the subtitle list).
struct TrackItem {
    std::string text;
    std::int64_t trackId = 0;
};

// The chosen item of each list (-1 none) and "Ne pas extraire de srt".
struct TrackChoice {
    int video = -1, audio = -1, subtitle = -1;
    bool noSrt = false;
};

struct SourceSession {
    std::string path;    // the chosen source, after the accent renaming
    std::string folder;  // its folder, ending in a separator
    std::string name;    // file part as the dialog returned it
    TrackTable tracks;   // the analysed tracks, emptied by a run
    std::string frameRate;  // kept from the previous analysis when a report has none
    std::vector<TrackItem> videoItems, audioItems, subtitleItems;
    std::string srtPath;  // external subtitle, empty when none
    TrackChoice choice;

    // The lists and the choice emptied, as the lists are.
    void forgetLists();
    // What an analysis found: the tracks, the frame rate when the report has
    // one, the lists and their first items chosen.
    void takeScan(const ReportScan& scan);
    // Whether the analysis found any track at all.
    bool hasTracks() const { return !videoItems.empty() || !audioItems.empty() || !subtitleItems.empty(); }
    // The external subtitle (a cancelled choice gives an empty path) put at
    // the top of the subtitle list and chosen.
    void addExternalSubtitle(const std::string& srt);
    // After a run or an addition: no subtitle file, no tracks, no lists.
    void endRun();

    bool subtitleSelected() const { return choice.subtitle >= 0; }
    // The plan's inputs: the chosen tracks' IDs and the source.
    RunInputs runInputs(const std::string& remuxdest, const std::string& cheminremux) const;
    // The verdict's inputs that come from the source: the chosen tracks (the
    // subtitle only when a run keeps it) and the frame rate.
    VerdictInputs verdictInputs() const;
};

}  // namespace kx
