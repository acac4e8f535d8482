// The read-back check of a result: the tracks a recipe makes, and the
// remux tool's identification compared with them, case by case.
#include <gtest/gtest.h>

#include <cmath>

#include "base/encoding.h"
#include "model/result_check.h"

using namespace kx;
using Strings = std::vector<std::string>;

namespace {

// One track of an identification; `more` adds properties.
std::string track(const std::string& type, const std::string& codecId, const std::string& language,
                  const std::string& more = "") {
    return R"({"type":")" + type + R"(","codec":")" + codecId.substr(2) + R"(","properties":{"codec_id":")" + codecId +
           R"(","language":")" + language + "\"" + more + "}}";
}

std::string identification(const Strings& tracks, double seconds = 61.5) {
    std::string list;
    for (const std::string& t : tracks) list += (list.empty() ? "" : ",") + t;
    return R"({"container":{"recognized":true,"type":"Matroska","properties":{"duration":)" +
           std::to_string(std::llround(seconds * 1e9)) + R"(}},"tracks":[)" + list + "]}";
}

RunRecipe recipeOf(const RunChoices& choices) {
    RunInputs in;
    in.sourcePath = "D:\\F\\a.mkv";
    in.tracks[0] = {"1", "AVC", "", "", ""};
    in.tracks[0].duration = "1 min 0 s";
    in.tracks[1] = {"2", "DTS", "French", "1", "500"};
    in.tracks[1].duration = "59 s 980 ms";
    in.tracks[2] = {"3", "UTF8", "English", "", ""};
    in.videoId = 1;
    in.audioId = 2;
    in.subId = 3;
    in.subtitleSelected = true;
    in.remuxdest = "0";
    return makeRecipe(makeRunPlan(in), choices);
}

}  // namespace

TEST(ResultCheck, TracksEachRecipeMakes) {
    struct Case {
        RunChoices choices;  // extraction, repair, transcode, subtitle extracted, kept, source subtitle, external, keep original
        Strings tracks;      // type format language duration lead
    };
    const Case cases[] = {
        {{true, false, true, true, false, true, true, true},
         {"video AVC  1 min 0 s 0", "audio AC3 fre 59 s 980 ms 1500", "audio DTS fre 59 s 980 ms 1500",
          "subtitles srt eng  0", "subtitles    0"}},
        {{true, true, false, false, false, false, false, true},  // repaired, not converted: no original beside it
         {"video AVC  1 min 0 s 0", "audio DTS fre 59 s 980 ms 1500"}},
        {{false, false, false, false, false, true, false, false},
         {"video AVC  1 min 0 s 0", "audio DTS fre 59 s 980 ms 1500", "subtitles srt eng  0"}},
    };
    for (const Case& c : cases) {
        Strings tracks;
        for (const ExpectedTrack& t : expectedTracks(recipeOf(c.choices)))
            tracks.push_back(t.type + " " + t.format + " " + t.language + " " + t.duration + " " +
                             std::to_string(t.leadMs));
        EXPECT_EQ(tracks, c.tracks);
    }
}

TEST(ResultCheck, IdentificationAgainstTheExpectedTracks) {
    // Video of a minute, French AC3 1.5 s late, English subtitles, an external file.
    const std::vector<ExpectedTrack> expected = {{"video", "vidéo"_cp, "AVC", "", "1 min 0 s"},
                                                 {"audio", "audio", "AC3", "fre", "59 s 980 ms", 1500},
                                                 {"subtitles", "de sous-titres", "srt", "eng"},
                                                 {"subtitles", "de sous-titres externes"}};
    const std::string video = track("video", "V_MPEG4/ISO/AVC", "und");
    const std::string audio = track("audio", "A_AC3", "fre");
    const std::string subtitles = track("subtitles", "S_TEXT/UTF8", "eng");
    const std::string external = track("subtitles", "S_TEXT/UTF8", "und");
    struct Case {
        std::string identification, problem;  // empty: none
    };
    const Case cases[] = {
        {identification({video, audio, subtitles, external}), ""},
        {"\xEF\xBB\xBF" + identification({video, audio, subtitles, external}, 62.4), ""},
        {identification({video, track("audio", "A_AC3", "fra"), subtitles, external}), ""},
        {identification({video, track("audio", "A_AC3", "fre", R"(,"content_encoding_algorithms":"0")"), subtitles,
                         external}),
         ""},
        {"", "identification impossible"},
        {R"({"container":{"recognized":false,"supported":false},"errors":[]})", "ce n'est pas un fichier Matroska lisible"},
        {identification({video, track("audio", "A_DTS", "fre"), subtitles, external}),
         "piste audio au format DTS au lieu de AC3"},
        {identification({video, track("audio", "A_EAC3", "fre"), subtitles, external}),
         "piste audio au format EAC3 au lieu de AC3"},
        {identification({video, track("audio", "A_AC3", "eng"), subtitles, external}),
         "piste audio en langue eng au lieu de fre"},
        {identification({video, audio, track("subtitles", "S_TEXT/UTF8", "eng", R"(,"content_encoding_algorithms":"3")"),
                         external}),
         "piste de sous-titres avec compression d'en-tête"},
        {identification({video, audio, subtitles}), "piste de sous-titres externes absente"},
        {identification({video, audio, audio, subtitles, external}), "piste audio en trop"},
        {identification({audio, subtitles, external}), "piste vidéo absente"},
        // A frame rate read wrongly (0.599 for 23.976) makes the video 40 times too long.
        {identification({track("video", "V_MPEG4/ISO/AVC", "und", R"(,"tag_duration":"00:40:00.000000000")"), audio,
                         subtitles, external}),
         "piste vidéo d'une durée de 0:40:00 au lieu de 0:01:00"},
        // A late track's own length, or counted from the file's start.
        {identification({video, track("audio", "A_AC3", "fre", R"(,"tag_duration":"00:01:01.480000000")"), subtitles,
                         external}),
         ""},
        {identification({video, track("audio", "A_AC3", "fre", R"(,"tag_duration":"00:00:57.000000000")"), subtitles,
                         external}),
         "piste audio d'une durée de 0:00:57 au lieu de 0:01:00"},
        {identification({video, audio, subtitles, external}, 2400),
         "fichier d'une durée de 0:40:00 au lieu de 0:01:01"},
        {identification({video, audio, subtitles, external}, 58.6), "fichier d'une durée de 0:00:59 au lieu de 0:01:01"},
    };
    for (const Case& c : cases) {
        std::optional<std::string> problem = resultProblem(c.identification, expected);
        EXPECT_EQ(problem ? toUtf8(*problem) : "", c.problem) << c.identification;
    }
}

TEST(ResultCheck, ReportDurationsWithTheirPrecision) {
    struct Case {
        std::string text;
        double seconds, unit;  // unit 0: not a duration
    };
    const Case cases[] = {{"1 h 23 min", 4980, 60}, {"2 min 5 s", 125, 1}, {"5 s 120 ms", 5.12, 0.001},
                          {"", 0, 0}, {"about 2 min", 0, 0}, {"2 min 5", 0, 0}};
    for (const Case& c : cases) {
        std::optional<ReportDuration> read = readReportDuration(c.text);
        EXPECT_EQ(read.has_value(), c.unit > 0) << c.text;
        if (!read) continue;
        EXPECT_DOUBLE_EQ(read->seconds, c.seconds) << c.text;
        EXPECT_DOUBLE_EQ(read->unit, c.unit) << c.text;
    }
}
