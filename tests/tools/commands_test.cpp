// Arguments and file names of the tool adapters, as the scripts give them.
#include <gtest/gtest.h>

#include "tools/adapters/commands.h"

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
    EXPECT_EQ(withoutExtension("/f/Mon film.dts"), "/f/Mon film");
    EXPECT_EQ(withoutExtension("/f/x.mkv/film"), "/f/x.mkv/film");
    EXPECT_EQ(withoutExtension("/f/.hidden"), "/f/.hidden");
    EXPECT_EQ(repairOutputName("/f/a.b.dts"), "/f/a.b_fixed.dts");
    EXPECT_EQ(repairOutputName("/f/a.AC3"), "/f/a_fixed.AC3");
    EXPECT_EQ(repairOutputName("/f/a"), "/f/a_fixed");
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

    EXPECT_EQ(ac3BitRate(6), 640);
    EXPECT_EQ(ac3BitRate(3), 640);
    EXPECT_EQ(ac3BitRate(2), 224);
    EXPECT_EQ(ac3BitRate(1), 224);
    EXPECT_EQ(joined(ffmpegCommand("/f/a.dts", "/f/a.part.ac3", 6)),
              "ffmpeg -hide_banner -nostdin -nostats -loglevel error -y -i /f/a.dts -map 0:a:0 -vn -sn -dn "
              "-c:a ac3 -b:a 640k -f ac3 /f/a.part.ac3");
    // 7.1 is more than AC3 carries: folded to 5.1.
    EXPECT_EQ(joined(ffmpegCommand("i.dts", "o.ac3", 8)),
              "ffmpeg -hide_banner -nostdin -nostats -loglevel error -y -i i.dts -map 0:a:0 -vn -sn -dn "
              "-c:a ac3 -b:a 640k -ac 6 -f ac3 o.ac3");
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
