// Which audio formats are converted to AC3, the extension of their track
// files, the transcode and remux lines they give, and the verdict texts.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "base/encoding.h"
#include "model/audio_kinds.h"
#include "model/report.h"
#include "model/run_recipe.h"
#include "model/script_text.h"
#include "platform/files.h"
#include "support/table.h"

using namespace kx;

namespace {

struct Case {
    const char* format;
    const char* profile;
    int channels;
    const char* extension;
    bool converted;         // where the transcoder reads Opus and Vorbis (Linux)
    bool convertedWindows;  // where it is eac3to
    const char* name;
};

const Case cases[] = {
    {"MLP FAT", "Dolby TrueHD", 8, "thd", true, true, "TrueHD"},
    {"TrueHD", "", 6, "thd", true, true, "TrueHD"},
    {"DTS", "", 6, "dts", true, true, "DTS"},
    {"DTS", "MA / Core DTS-HD Master Audio", 8, "dts", true, true, "DTS-HD"},
    {"DTS", "HRA / Core DTS-HD High Resolution", 6, "dts", true, true, "DTS-HD"},
    {"DTS XLL", "DTS-HD Master Audio", 6, "dts", true, true, "DTS-HD"},
    {"DTS XLL X", "DTS:X", 8, "dts", true, true, "DTS:X"},
    {"FLAC", "", 8, "flac", true, true, "FLAC"},
    {"Opus", "", 6, "opus", true, false, "Opus"},
    {"Vorbis", "", 2, "ogg", true, false, "Vorbis"},
    {"PCM", "", 6, "wav", true, true, "PCM"},
    {"AAC", "LC", 6, "aac", true, true, "AAC"},
    {"AAC", "LC", 2, "aac", false, false, "AAC"},
    {"AAC", "HE-AAC", 1, "aac", false, false, "AAC"},
    {"EAC3", "", 6, "eac3", true, true, "E-AC3"},
    {"AC3", "", 6, "ac3", false, false, "AC3"},
    {"MPEG Audio", "Layer 3", 2, "mp3", false, false, "MPEG"},
    {"A\"B", "", 2, "ab", false, false, "AB"},
};

// Video 1, audio 2 (French, `format` with `channels`).
RunPlan planOf(const std::string& format, int channels = 6, bool keepEac3 = false) {
    RunInputs in;
    in.sourcePath = "D:\\F\\a.mkv";
    in.tracks[0] = {"1", "AVC", "", "", ""};
    in.tracks[1] = {"2", format, "French", "", "", channels};
    in.videoId = 1;
    in.audioId = 2;
    in.remuxdest = "0";
    in.keepEac3 = keepEac3;
    return makeRunPlan(in);
}

ScriptContext contextOf(std::map<Option, std::string> options, std::set<std::string> files = {}) {
    ScriptContext c;
    c.option = [options](Option key) {
        auto it = options.find(key);
        return it == options.end() ? std::string("0") : it->second;
    };
    c.fileExists = [files](const std::string& path) { return files.count(path) > 0; };
    c.frameRate = "25.000";
    return c;
}

std::string joined(const ScriptPieces& pieces) {
    std::string s;
    for (const auto& p : pieces) s += p;
    return s;
}

}  // namespace

TEST(AudioTreatment, EveryFormatOnBothPlatforms) {
    for (const Case& c : cases) {
        for (bool readsOgg : {true, false}) {
            AudioTreatment t = audioTreatment(c.format, c.profile, c.channels, false, readsOgg);
            EXPECT_EQ(t.extension, c.extension) << c.format;
            EXPECT_EQ(t.converted, readsOgg ? c.converted : c.convertedWindows) << c.format << readsOgg;
            EXPECT_EQ(t.unreadable, c.converted && !t.converted) << c.format << readsOgg;
            EXPECT_EQ(t.name, c.name) << c.format;
        }
    }
    EXPECT_FALSE(audioTreatment("EAC3", "", 6, true, true).converted);
#ifdef _WIN32
    EXPECT_FALSE(fs::transcoderReadsOggAudio());
#else
    EXPECT_TRUE(fs::transcoderReadsOggAudio());
#endif
}

TEST(AudioTreatment, PlanRecipeAndScriptsOfAConvertedTrack) {
    // TrueHD: never the report's name as an extension; transcoded into a.ac3.
    RunPlan thd = planOf("MLP FAT");
    EXPECT_EQ(thd.audioFile, "D:\\F\\a.thd");
    RunRecipe recipe = makeRecipe(thd, {true, false, true, false, false});
    ASSERT_NE(recipe.find(StepKind::transcode), nullptr);
    EXPECT_EQ(recipe.find(StepKind::transcode)->inputs, std::vector<std::string>{"D:\\F\\a.thd"});
    EXPECT_EQ(recipe.purgeNames(), (std::vector<std::string>{"D:\\F\\a.ac3", "D:\\F\\a - log.txt", "D:\\F\\a.h264",
                                                             "D:\\F\\a.thd"}));
    // Kept formats take no transcode step, with transcoding on or not.
    EXPECT_EQ(makeRecipe(planOf("AC3"), {true, false, true, false, false}).find(StepKind::transcode), nullptr);
    EXPECT_EQ(makeRecipe(planOf("EAC3", 6, true), {true, false, true, false, false}).find(StepKind::transcode),
              nullptr);

    // The rate switch where the transcoder's own rate differs (448, or 640 for
    // mono and stereo), the mix down to 5.1 above six channels.
    RunPlan flac = planOf("FLAC", 8);
    test::expectEach(
        [](const std::string& c) {
            const int channels = c[0] - '0';
            const std::map<Option, std::string> rate{{Option::ac3448, c.substr(2)}};
            const std::string line = joined(eac3toPieces(planOf("FLAC", channels), contextOf(rate)));
            return line.substr(line.find(".ac3\"") + 6);
        },
        {{"8 0", "-libav -down6"}, {"8 1", "-libav -448 -down6"}, {"6 0", "-libav"}, {"2 0", "-libav -640"},
         {"1 1", "-libav -448"}, {"0 0", "-libav"}});
    EXPECT_EQ(joined(eac3toPieces(flac, contextOf({}))), R"(eac3to.exe "D:\F\a.flac" "D:\F\a.ac3" -libav -down6)");
    EXPECT_EQ(joined(eac3toPieces(planOf("DTS"), contextOf({{Option::ac3448, "1"}, {Option::dtsfix, "1"}}))),
              R"(eac3to.exe "D:\F\a_fixed.dts" "D:\F\a.ac3" -libav -448)");

    // The remux takes the AC3; with keepdts the original follows with its language.
    const std::string head =
        R"(mkvmerge.exe -o "D:\F\a_remux.part.mkv" --default-duration 0:25.000fps "--compression" "0:none" "D:\F\a.h264" )"
        R"("--compression" "0:none" "--language" "0:fre" "D:\F\a.ac3" )";
    EXPECT_EQ(joined(remuxPieces(flac, contextOf({}, {"D:\\F\\a.ac3"}), RemuxForm::extraction)), head);
    EXPECT_EQ(joined(remuxPieces(flac, contextOf({{Option::keepdts, "1"}}, {"D:\\F\\a.ac3"}), RemuxForm::extraction)),
              head + R"("--compression" "0:none" "--language" "0:fre" "D:\F\a.flac" )");
    // An E-AC3 kept goes in as it was extracted.
    EXPECT_EQ(joined(remuxPieces(planOf("EAC3", 6, true), contextOf({}), RemuxForm::extraction)),
              head.substr(0, head.size() - 13) + R"("D:\F\a.eac3" )");
}

TEST(RemuxScript, ExternalSubtitleCharset) {
    ScriptContext c = contextOf({});
    c.srtPath = "D:\\F\\s.srt";
    c.srtCharset = std::string(textFileCharset("caf\xE9\r\n"));
    const std::string extraction = joined(remuxPieces(planOf("AC3"), c, RemuxForm::extraction));
    EXPECT_TRUE(extraction.ends_with(R"("--sub-charset" "0:windows-1252" "D:\F\s.srt" )")) << extraction;
    c.srtCharset = std::string(textFileCharset("café\r\n"));
    const std::string direct = joined(remuxPieces(planOf("AC3"), c, RemuxForm::direct));
    EXPECT_NE(direct.find(R"("-T" "--sub-charset" "0:UTF-8" "D:\F\s.srt" "--track-order")"), std::string::npos)
        << direct;
    c.srtCharset = "x\" & del";  // never anything but the two names
    EXPECT_EQ(joined(remuxPieces(planOf("AC3"), c, RemuxForm::direct)).find("charset"), std::string::npos);
}

TEST(AudioVerdict, Texts) {
    const struct {
        AudioTreatment treatment;
        int channels;
        bool converting;
        int rate;
        std::string_view text;
    } verdicts[] = {
        {{"thd", "TrueHD", true}, 8, true, 640, "Audio TrueHD 7.1 : sera converti en AC3 5.1 (640 kb/s)"},
        {{"aac", "AAC", true}, 2, true, 448, "Audio AAC 2.0 : sera converti en AC3 2.0 (448 kb/s)"},
        {{"flac", "FLAC", true}, 6, false, 640, "Audio FLAC 5.1 : conservé tel quel"_cp},
        {{"opus", "Opus", false, true}, 6, true, 640,
         "Audio Opus 5.1 : conservé tel quel (eac3to ne lit pas ce format)"_cp},
        {{"ac3", "AC3", false}, 0, true, 640, "Audio AC3 : conservé tel quel"_cp},
    };
    for (const auto& v : verdicts)
        EXPECT_EQ(audioVerdict(v.treatment, v.channels, v.converting, v.rate), v.text);
    EXPECT_EQ(ac3Rate("1"), 448);
    EXPECT_EQ(ac3Rate(""), 640);
}
