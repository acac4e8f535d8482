// Arguments and file names of the tool adapters, as the scripts give them.
#include <gtest/gtest.h>

#include "tools/adapters/commands.h"
#include "tests/support/table.h"

namespace kx::adapt {
namespace {

std::string joined(const std::vector<std::string>& args) {
    std::string out;
    for (const std::string& a : args) out += (out.empty() ? "" : " ") + a;
    return out;
}

TEST(AdapterCommands, NameTheProgramWasStartedUnder) {
    EXPECT_EQ(adapterName("/opt/k/Applications/MediaInfo.exe"), "mediainfo");
    EXPECT_EQ(adapterName("eac3to.EXE"), "eac3to");
    EXPECT_EQ(adapterName("./delaycut"), "delaycut");
}

TEST(AdapterCommands, FileNamesBesideTheInput) {
    test::expectEach(withoutExtension,
                     {{"/f/Mon film.dts", "/f/Mon film"}, {"/f/x.mkv/film", "/f/x.mkv/film"}, {"/f/.hidden", "/f/.hidden"}});
    test::expectEach(repairOutputName,
                     {{"/f/a.b.dts", "/f/a.b_fixed.dts"}, {"/f/a.AC3", "/f/a_fixed.AC3"}, {"/f/a", "/f/a_fixed"}});
    EXPECT_EQ(repairLogName("/f/a.ac3"), "/f/a_log.txt");
    EXPECT_EQ(transcodeLogName("/f/Mon film.ac3"), "/f/Mon film - Log.txt");
}

TEST(AdapterCommands, MediaInfo) {
    std::string error;
    std::optional<MediaInfoArgs> a = parseMediaInfoArgs({"/f/a b.mkv", "--LogFile=/k/mediainfo.txt"}, error);
    ASSERT_TRUE(a) << error;
    EXPECT_EQ(a->source, "/f/a b.mkv");
    EXPECT_EQ(a->report, "/k/mediainfo.txt");
    ASSERT_TRUE(a = parseMediaInfoArgs({"/f/a.mkv"}, error));
    EXPECT_EQ(a->report, "");
    EXPECT_FALSE(parseMediaInfoArgs({"--LogFile=/k/m.txt"}, error));
    EXPECT_FALSE(parseMediaInfoArgs({"a.mkv", "b.mkv"}, error));
    EXPECT_FALSE(parseMediaInfoArgs({"a.mkv", "--LogFile="}, error));
}

TEST(AdapterCommands, Transcode) {
    std::string error;
    std::optional<TranscodeArgs> a = parseTranscodeArgs({"/f/a_fixed.dts", "/f/a.ac3", "-libav"}, error);
    ASSERT_TRUE(a) << error;
    EXPECT_EQ(a->input, "/f/a_fixed.dts");
    EXPECT_EQ(a->output, "/f/a.ac3");
    EXPECT_TRUE(a->libav);
    ASSERT_TRUE(a = parseTranscodeArgs({"/f/a.dts", "/f/a.ac3"}, error));
    EXPECT_FALSE(a->libav);
    EXPECT_FALSE(parseTranscodeArgs({"/f/a.dts"}, error));

    // A rate asked for (-448) is kept; -down6 is what is done anyway; others are named.
    ASSERT_TRUE(a = parseTranscodeArgs({"/f/a.thd", "/f/a.ac3", "-448", "-down6", "-9999", "-x"}, error));
    EXPECT_EQ(a->bitRate, 448);
    EXPECT_EQ(a->ignored, (std::vector<std::string>{"-9999", "-x"}));

    const std::pair<std::pair<int, int>, int> rates[] = {{{6, 0}, 640}, {{3, 0}, 640}, {{2, 0}, 224}, {{1, 0}, 224},
                                                         {{6, 448}, 448}, {{2, 448}, 448}};
    for (const auto& [in, rate] : rates) EXPECT_EQ(ac3BitRate(in.first, in.second), rate);

    const std::string head = "ffmpeg -hide_banner -nostdin -nostats -loglevel error -y -i i -map 0:a:0 -vn -sn -dn -c:a ac3 ";
    const std::pair<AudioFacts, std::string> folds[] = {
        {{"dts", 6, "", "", "5.1(side)"}, "-b:a 640k -f ac3 o"},
        {{"flac", 2, "", "", "stereo"}, "-b:a 224k -f ac3 o"},
        // 7.1 and 6.1: the LFE kept, sides and backs folded into the surrounds.
        {{"truehd", 8, "", "", "7.1"}, "-b:a 640k -af pan=5.1(side)|FL=FL|FR=FR|FC=FC|LFE=LFE|SL<SL+BL|SR<SR+BR -f ac3 o"},
        {{"dts", 7, "", "", "6.1"},
         "-b:a 640k -af pan=5.1(side)|FL=FL|FR=FR|FC=FC|LFE=LFE|SL<SL+0.707*BC|SR<SR+0.707*BC -f ac3 o"},
        {{"pcm_s24le", 8, "", "", ""}, "-b:a 640k -ac 6 -f ac3 o"}};
    for (const auto& [facts, tail] : folds) EXPECT_EQ(joined(ffmpegCommand("i", "o", facts)), head + tail) << facts.layout;
    EXPECT_EQ(joined(ffmpegCommand("i", "o", {"truehd", 6, "", "", "5.1"}, 448)), head + "-b:a 448k -f ac3 o");
}

TEST(AdapterCommands, Repair) {
    std::string error;
    // delaycut.exe  -fixcrc fix -start 0 -End 0 "D:\F\a.ac3" (after splitting)
    std::optional<RepairArgs> a =
        parseRepairArgs({"-fixcrc", "fix", "-start", "0", "-End", "0", "/f/a.ac3"}, error);
    ASSERT_TRUE(a) << error;
    EXPECT_EQ(a->input, "/f/a.ac3");
    EXPECT_EQ(a->mode, CrcMode::fix);
    ASSERT_TRUE(a = parseRepairArgs({"-FIXCRC", "skip", "/f/a.ac3"}, error));
    EXPECT_EQ(a->mode, CrcMode::skip);
    EXPECT_FALSE(parseRepairArgs({"-fixcrc", "mend", "/f/a.ac3"}, error));
    EXPECT_FALSE(parseRepairArgs({"-start", "120", "/f/a.ac3"}, error));  // no cutting
    EXPECT_FALSE(parseRepairArgs({"-fixcrc", "fix"}, error));
    EXPECT_FALSE(parseRepairArgs({"/f/a.ac3", "-End"}, error));
}

}  // namespace
}  // namespace kx::adapt
