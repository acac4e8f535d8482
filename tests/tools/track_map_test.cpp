// Track numbers to mkvmerge IDs, and the rewriting of the mkvextract and
// mkvmerge command lines the scripts give, on recorded `mkvmerge -J` output.
#include <gtest/gtest.h>

#include "tests/tools/fixture.h"
#include "tools/adapters/track_map.h"

namespace kx::adapt {
namespace {

using fixtures::jsonFixture;

TrackMap mapOf(const std::string& fixtureName) {
    std::string error;
    std::optional<TrackMap> map = trackMapFromIdentify(jsonFixture(fixtureName), error);
    EXPECT_TRUE(map) << error;
    return map.value_or(TrackMap());
}

TrackMap mapOfText(const std::string& jsonText) {
    std::string error;
    json::ParseResult parsed = json::parse(jsonText);
    EXPECT_TRUE(parsed.value) << parsed.error;
    std::optional<TrackMap> map = parsed.value ? trackMapFromIdentify(*parsed.value, error) : std::nullopt;
    return map.value_or(TrackMap());
}

std::string joined(const std::vector<std::string>& args) {
    std::string out;
    for (const std::string& a : args) out += (out.empty() ? "" : " ") + a;
    return out;
}

// A Matroska file whose track numbers are neither 1, 2, 3 nor in ID order.
const char* shuffledIdentify = R"({"container":{"recognized":true,"type":"Matroska"},"tracks":[
    {"id":0,"type":"video","properties":{"number":3}},
    {"id":1,"type":"audio","properties":{"number":1}},
    {"id":2,"type":"audio","properties":{"number":7}},
    {"id":3,"type":"subtitles","properties":{"number":2}}]})";

TEST(AdapterTrackMap, FromRecordedIdentification) {
    EXPECT_EQ(mapOf("demo-mkvmerge.json"), (TrackMap{{1, 0}, {2, 1}, {3, 2}, {4, 3}}));
    // A raw track file: one track 0 without a number, so nothing to map.
    EXPECT_TRUE(mapOf("raw-ac3-mkvmerge.json").empty());
    EXPECT_EQ(mapOfText(shuffledIdentify), (TrackMap{{3, 0}, {1, 1}, {7, 2}, {2, 3}}));

    std::string error;
    json::ParseResult unknown = json::parse(
        R"({"container":{"recognized":false},"errors":["The type of file 'x' could not be recognized."],"tracks":[]})");
    ASSERT_TRUE(unknown.value);
    EXPECT_FALSE(trackMapFromIdentify(*unknown.value, error));
    EXPECT_NE(error.find("could not be recognized"), std::string::npos);
}

TEST(MkvextractAdapter, CommandLineOfTheScript) {
    // mkvextract.exe tracks "SOURCE" 1:"V" 2:"A" 4:"S" (the launcher has split it).
    std::string error;
    std::optional<ExtractRequest> request =
        parseExtractArgs({"tracks", "/f/a b.mkv", "1:/f/a b.h264", "2:/f/a b.dts", "4:/f/a b.srt"}, error);
    ASSERT_TRUE(request) << error;
    ASSERT_TRUE(mapExtractTargets(*request, mapOf("demo-mkvmerge.json"), error)) << error;
    EXPECT_EQ(joined(extractCommand(*request, {})),
              "mkvextract /f/a b.mkv tracks 0:/f/a b.h264 1:/f/a b.dts 3:/f/a b.srt");
    // Staged names replace the targets, in order.
    EXPECT_EQ(joined(extractCommand(*request, {"/f/x1", "/f/x2", "/f/x3"})),
              "mkvextract /f/a b.mkv tracks 0:/f/x1 1:/f/x2 3:/f/x3");

    ASSERT_TRUE(request = parseExtractArgs({"tracks", "s.mkv", "3:v.h264", "7:a.dts", "2:s.srt"}, error));
    ASSERT_TRUE(mapExtractTargets(*request, mapOfText(shuffledIdentify), error));
    EXPECT_EQ(joined(extractCommand(*request, {})), "mkvextract s.mkv tracks 0:v.h264 2:a.dts 3:s.srt");
}

TEST(MkvextractAdapter, DoubtfulTargets) {
    std::string error;
    // A subtitle format without a file name gives an empty target: left out.
    std::optional<ExtractRequest> request = parseExtractArgs({"tracks", "s.mkv", "1:v.h264", "2:a.dts", "3:"}, error);
    ASSERT_TRUE(request) << error;
    EXPECT_EQ(request->targets.size(), 2u);
    EXPECT_EQ(request->warnings.size(), 1u);

    // A number no track carries is refused rather than extracting another track.
    ASSERT_TRUE(request = parseExtractArgs({"tracks", "s.mkv", "5:x.dts"}, error));
    EXPECT_FALSE(mapExtractTargets(*request, mapOf("demo-mkvmerge.json"), error));
    EXPECT_NE(error.find("number 5"), std::string::npos);

    EXPECT_FALSE(parseExtractArgs({"tracks", "s.mkv"}, error));
    EXPECT_FALSE(parseExtractArgs({"tracks", "s.mkv", "x:a.dts"}, error));
    EXPECT_FALSE(parseExtractArgs({"tracks", "s.mkv", "a.dts"}, error));
    EXPECT_FALSE(parseExtractArgs({"s.mkv", "tracks", "1:a.dts"}, error));
}

std::vector<std::string> rewrite(const std::vector<std::string>& args, const std::vector<TrackMap>& maps,
                                 std::vector<std::string>* warningsOut = nullptr) {
    std::string error;
    std::optional<MergeArgs> scanned = scanMergeArgs(args, error);
    EXPECT_TRUE(scanned) << error;
    if (!scanned) return {};
    std::vector<std::string> warnings;
    std::vector<std::string> out = rewriteMergeArgs(*scanned, maps, warnings);
    if (warningsOut) *warningsOut = warnings;
    return out;
}

TEST(MkvmergeAdapter, ExtractionFormKeepsRawTrackFilesAsTheyAre) {
    std::vector<std::string> args{"-o", "/f/a_remux.mkv", "--default-duration", "0:23.976fps", "--compression",
                                  "0:none", "/f/a.h264", "--sync", "0:1500", "--compression", "0:none",
                                  "--language", "0:fre", "/f/a.ac3", "--language", "1:fre", "/f/a.dts",
                                  "--language", "0:fre", "/f/a.srt"};
    std::string error;
    std::optional<MergeArgs> scanned = scanMergeArgs(args, error);
    ASSERT_TRUE(scanned) << error;
    EXPECT_EQ(scanned->output, 1u);
    EXPECT_EQ(scanned->inputs, (std::vector<std::size_t>{6, 13, 16, 19}));
    std::vector<std::string> warnings;
    EXPECT_EQ(rewriteMergeArgs(*scanned, {{}, {}, {}, {}}, warnings), args);
    EXPECT_TRUE(warnings.empty());
}

TEST(MkvmergeAdapter, DirectFormMapsEveryTrackOfTheSource) {
    // Video 1, audio 2 (eng), subtitle 4 (fre) of the demo file.
    std::vector<std::string> args{"-o", "/f/a_remux.mkv", "--default-duration", "0:25.000fps", "--compression",
                                  "1:none", "--compression", "2:none", "--language", "2:eng", "--language",
                                  "4:fre", "-a", "2", "-d", "1", "-s", "4", "-T", "/f/a.mkv", "--track-order",
                                  "0:1,0:2,0:4"};
    std::vector<std::string> warnings;
    std::vector<std::string> out = rewrite(args, {mapOf("demo-mkvmerge.json")}, &warnings);
    // Track "0" of --default-duration is no track number: passed on, with a warning.
    EXPECT_EQ(joined(out),
              "-o /f/a_remux.mkv --default-duration 0:25.000fps --compression 0:none --compression 1:none "
              "--language 1:eng --language 3:fre -a 1 -d 0 -s 3 -T /f/a.mkv --track-order 0:0,0:1,0:3");
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_NE(warnings[0].find("track number 0"), std::string::npos);
}

TEST(MkvmergeAdapter, DirectFormWithAnExternalSubtitle) {
    std::vector<std::string> args{"-o", "/r/a.mkv", "--default-duration", "0:23.976fps", "--compression", "3:none",
                                  "--compression", "7:none", "--language", "7:fre", "-a", "7", "-d", "1", "-T",
                                  "-S", "/f/a.mkv", "-s", "0", "-D", "-A", "-T", "/f/s.srt", "--track-order",
                                  "0:3,0:7,1:0"};
    std::vector<std::string> out = rewrite(args, {mapOfText(shuffledIdentify), {}});
    EXPECT_EQ(joined(out),
              "-o /r/a.mkv --default-duration 0:23.976fps --compression 0:none --compression 2:none "
              "--language 2:fre -a 2 -d 1 -T -S /f/a.mkv -s 0 -D -A -T /f/s.srt --track-order 0:0,0:2,1:0");
}

TEST(MkvmergeAdapter, ListsAndOddArguments) {
    TrackMap map = mapOfText(shuffledIdentify);
    EXPECT_EQ(joined(rewrite({"-o", "o.mkv", "-a", "!1,7,eng", "--track-name", "3:Le film", "--reduce-to-core",
                              "7", "--title", "3", "s.mkv"},
                             {map})),
              "-o o.mkv -a !1,2,eng --track-name 0:Le film --reduce-to-core 2 --title 3 s.mkv");
    // Options belong to the next file only.
    EXPECT_EQ(joined(rewrite({"-o", "o.mkv", "--language", "3:fre", "a.ac3", "--language", "3:fre", "s.mkv"},
                             {{}, map})),
              "-o o.mkv --language 3:fre a.ac3 --language 0:fre s.mkv");

    std::string error;
    EXPECT_FALSE(scanMergeArgs({"a.mkv", "b.mkv"}, error));  // no output
    EXPECT_FALSE(scanMergeArgs({"-o", "o.mkv"}, error));     // no input
    EXPECT_FALSE(scanMergeArgs({"-o", "o.mkv", "a.mkv", "--sync"}, error));
}

}  // namespace
}  // namespace kx::adapt
