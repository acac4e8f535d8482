// The script texts, byte for byte: extraction, repair, transcode, both remux
// forms, the job clean-up script, and percent signs in names.
#include <gtest/gtest.h>

#include <map>
#include <filesystem>
#include <random>
#include <set>

#include "platform/files.h"
#include "model/run_recipe.h"
#include "model/script_text.h"

using namespace kx;

namespace {

// Options, controls and files as a test sets them.
struct Scene {
    std::map<Option, std::string> options{{Option::remuxdest, "0"},  {Option::cheminremux, ""},
                                                            {Option::notranscode, "0"}, {Option::dtsfix, "0"},
                                                            {Option::usesonic, "0"},   {Option::keepdts, "0"},
                                                            {Option::deletebat, "0"}};
    std::set<std::string> files;
    ScriptContext context;

    Scene() {
        context.option = [this](Option key) {
            auto it = options.find(key);
            return it == options.end() ? std::string() : it->second;
        };
        context.fileExists = [this](const std::string& path) { return files.count(path) > 0; };
        context.frameRate = "25.000";
    }
    void set(Option key, std::string value) { options[key] = std::move(value); }
};

// Video 1, audio 2 (French), and subtitle 3 (French) when a format is given.
RunPlan plan(std::string audioFormat = "DTS", std::string subFormat = "", std::string source = "D:\\F\\a.mkv",
             std::string remuxFolder = "") {
    RunInputs in;
    in.sourcePath = std::move(source);
    in.tracks[0] = {"1", "AVC", "", "", ""};
    in.tracks[1] = {"2", std::move(audioFormat), "French", "", ""};
    in.tracks[2] = {"3", subFormat, "French", "", ""};
    in.videoId = 1;
    in.audioId = 2;
    in.subId = 3;
    in.subtitleSelected = !subFormat.empty();
    in.remuxdest = remuxFolder.empty() ? "0" : "1";
    in.cheminremux = remuxFolder;
    return makeRunPlan(in);
}

// A job's clean-up script in the folder C:\K\job2\, from its recipe.
std::string purge(const RunPlan& p, const Scene& s) {
    return purgeScriptText(makeRecipe(p, runChoices(s.context)), s.context.option(Option::deletebat) == "1",
                           "C:\\K\\job2\\");
}

std::string joined(const ScriptPieces& pieces) {
    std::string s;
    for (const auto& p : pieces) s += p;
    return s;
}

}  // namespace

TEST(ExtractScript, TargetsAndSubtitleConditions) {
    Scene s;
    RunPlan p = plan("DTS", "UTF8");
    s.context.subtitleSelected = true;
    EXPECT_EQ(joined(extractPieces(p, s.context)),
              R"(mkvextract.exe tracks "D:\F\a.mkv" 1:"D:\F\a.h264" 2:"D:\F\a.dts" 3:"D:\F\a.srt" )");

    const std::string twoTargets = R"(mkvextract.exe tracks "D:\F\a.mkv" 1:"D:\F\a.h264" 2:"D:\F\a.dts" )";
    s.context.noSrtChecked = true;
    EXPECT_EQ(joined(extractPieces(p, s.context)), twoTargets);
    s.context.noSrtChecked = false;
    s.context.srtPath = "D:\\F\\s.srt";
    EXPECT_EQ(joined(extractPieces(p, s.context)), twoTargets);
    s.context.srtPath.clear();
    s.context.subtitleSelected = false;
    EXPECT_EQ(joined(extractPieces(plan(), s.context)), twoTargets);

    // A subtitle format without a file name is left out, not given an empty target.
    s.context.subtitleSelected = true;
    EXPECT_EQ(joined(extractPieces(plan("DTS", "PGS"), s.context)), twoTargets);

}

TEST(DtsFixAndTranscodeScripts, OptionCombinations) {
    EXPECT_EQ(joined(dtsFixPieces(plan("AC3"))), R"(delaycut.exe  -fixcrc fix -start 0 -End 0 "D:\F\a.ac3")");

    Scene s;
    EXPECT_EQ(joined(eac3toPieces(plan(), s.context)), R"(eac3to.exe "D:\F\a.dts" "D:\F\a.ac3" -libav)");
    s.set(Option::dtsfix, "1");
    s.set(Option::usesonic, "1");
    EXPECT_EQ(joined(eac3toPieces(plan(), s.context)), R"(eac3to.exe "D:\F\a_fixed.dts" "D:\F\a.ac3")");

    // Which path a run takes.
    s.set(Option::notranscode, "1");
    EXPECT_TRUE(takesExtractionPath(s.context));
    s.set(Option::dtsfix, "0");
    EXPECT_FALSE(takesExtractionPath(s.context));
    s.set(Option::notranscode, "0");
    EXPECT_TRUE(takesExtractionPath(s.context));
}

TEST(RemuxScript, ExtractionForm) {
    Scene s;
    const std::string head = R"(mkvmerge.exe -o "D:\F\a_remux.part.mkv" --default-duration 0:25.000fps "--compression" "0:none" "D:\F\a.h264" )";
    const std::string audio = R"("--compression" "0:none" "--language" "0:fre" )";
    EXPECT_EQ(joined(remuxPieces(plan(), s.context, RemuxForm::extraction)), head + audio + R"("D:\F\a.ac3" )");

    RunPlan delayed = plan();
    delayed.audioDelaySeconds = 1;
    delayed.audioDelayMs = 500;
    EXPECT_EQ(joined(remuxPieces(delayed, s.context, RemuxForm::extraction)),
              head + R"("--sync" "0:1500" )" + audio + R"("D:\F\a.ac3" )");

    // Any other format is its own extracted file; a repaired AC3 track its _fixed file.
    EXPECT_EQ(joined(remuxPieces(plan("AAC"), s.context, RemuxForm::extraction)), head + audio + R"("D:\F\a.aac" )");
    s.set(Option::dtsfix, "1");
    s.files = {"D:\\F\\a_fixed.ac3"};
    EXPECT_EQ(joined(remuxPieces(plan("AC3"), s.context, RemuxForm::extraction)),
              head + audio + R"("D:\F\a_fixed.ac3" )");

    // Kept DTS behind the transcoded file, with the subtitle and an external file after it.
    s.set(Option::dtsfix, "0");
    s.set(Option::keepdts, "1");
    s.files = {"D:\\F\\a.ac3"};
    s.context.subtitleSelected = true;
    EXPECT_EQ(joined(remuxPieces(plan("DTS", "UTF8"), s.context, RemuxForm::extraction)),
              head + audio + R"("D:\F\a.ac3" "--compression" "0:none" "--language" "0:fre" "D:\F\a.dts" )" +
                  R"("--language" "0:fre" "D:\F\a.srt" )");
    s.context.srtPath = "D:\\F\\s.srt";
    RunPlan keptDelayed = plan("DTS", "UTF8");
    keptDelayed.audioDelaySeconds = 1;
    keptDelayed.audioDelayMs = 500;
    EXPECT_EQ(joined(remuxPieces(keptDelayed, s.context, RemuxForm::extraction)),
              head + R"("--sync" "0:1500" )" + audio + R"("D:\F\a.ac3" "--sync" "0:1500" "--compression" "0:none" )" +
                  R"("--language" "0:fre" "D:\F\a.dts" "D:\F\s.srt" )");
}

TEST(RemuxScript, ExtractionFormUnusualTracks) {
    Scene s;
    const std::string head = R"(mkvmerge.exe -o "D:\F\a_remux.part.mkv" --default-duration 0:25.000fps "--compression" "0:none" "D:\F\a.h264" "--compression" "0:none" "--language" "0:fre" )";
    // A subtitle without a file name: no language and no empty file name.
    s.context.subtitleSelected = true;
    EXPECT_EQ(joined(remuxPieces(plan("DTS", "PGS"), s.context, RemuxForm::extraction)),
              head + R"("D:\F\a.ac3" )");

    // A repaired DTS track that nothing transcodes: the repaired file, else the extracted one.
    s.set(Option::notranscode, "1");
    s.set(Option::dtsfix, "1");
    EXPECT_EQ(joined(remuxPieces(plan(), s.context, RemuxForm::extraction)), head + R"("D:\F\a.dts" )");
    s.files = {"D:\\F\\a_fixed.dts"};
    EXPECT_EQ(joined(remuxPieces(plan(), s.context, RemuxForm::extraction)), head + R"("D:\F\a_fixed.dts" )");
}

TEST(RemuxScript, DirectForm) {
    Scene s;
    s.context.subtitleSelected = true;
    RunPlan p = plan("DTS", "UTF8");
    p.audioLang = "eng";
    EXPECT_EQ(joined(remuxPieces(p, s.context, RemuxForm::direct)),
              R"(mkvmerge.exe -o "D:\F\a_remux.part.mkv" --default-duration 0:25.000fps "--compression" "1:none" "--compression" "2:none" "--language" "2:eng" "--language" "3:fre" "-a" "2" "-d" "1" "-s" "3" "-T" "D:\F\a.mkv" "--track-order" "0:1,0:2,0:3")");

    s.context.srtPath = "D:\\F\\s.srt";
    EXPECT_EQ(joined(remuxPieces(p, s.context, RemuxForm::direct)),
              R"(mkvmerge.exe -o "D:\F\a_remux.part.mkv" --default-duration 0:25.000fps "--compression" "1:none" "--compression" "2:none" "--language" "2:eng" "-a" "2" "-d" "1" "-T" "-S" "D:\F\a.mkv" "-s" "0" "-D" "-A" "-T" "D:\F\s.srt" "--track-order" "0:1,0:2,1:0")");

    // "No subtitles" checked: -S; nothing selected and nothing checked: every subtitle kept.
    s.context.srtPath.clear();
    s.context.noSrtChecked = true;
    EXPECT_EQ(joined(remuxPieces(p, s.context, RemuxForm::direct)),
              R"(mkvmerge.exe -o "D:\F\a_remux.part.mkv" --default-duration 0:25.000fps "--compression" "1:none" "--compression" "2:none" "--language" "2:eng" "-a" "2" "-d" "1" "-T" "-S" "D:\F\a.mkv" "--track-order" "0:1,0:2")");
    s.context.noSrtChecked = false;
    s.context.subtitleSelected = false;
    // With a remux folder, the result keeps the source's name.
    EXPECT_EQ(joined(remuxPieces(plan("DTS", "", "D:\\F\\a.mkv", "E:\\R\\"), s.context, RemuxForm::direct)),
              R"(mkvmerge.exe -o "E:\R\a.part.mkv" --default-duration 0:25.000fps "--compression" "1:none" "--compression" "2:none" "--language" "2:fre" "-a" "2" "-d" "1" "-T" "D:\F\a.mkv" "--track-order" "0:1,0:2")");
}

TEST(RemuxScript, DelayInMilliseconds) {
    RunPlan p = plan();
    auto delay = [&](std::int64_t s, std::int64_t ms) {
        p.audioDelaySeconds = s;
        p.audioDelayMs = ms;
        return audioDelay(p);
    };
    EXPECT_EQ(delay(1, 23), 1023);
    EXPECT_EQ(delay(0, -42), -42);
    EXPECT_EQ(delay(-1, 500), -1500);  // "-1s 500ms" is one negative delay
    EXPECT_EQ(delay(-1, -500), -1500);
    EXPECT_EQ(delay(INT64_MAX, 0), INT64_MAX);
    EXPECT_EQ(delay(INT64_MIN, 0), INT64_MIN);

    Scene s;
    p.audioDelaySeconds = 0;
    p.audioDelayMs = 0;
    EXPECT_EQ(joined(remuxPieces(p, s.context, RemuxForm::extraction)).find("--sync"), std::string::npos);
    p.audioDelayMs = -42;
    EXPECT_NE(joined(remuxPieces(p, s.context, RemuxForm::extraction)).find(R"("--sync" "0:-42" )"),
              std::string::npos);
}

TEST(ScriptNames, PercentSignsAreDoubled) {
    Scene s;
    RunPlan p = plan("DTS", "UTF8", "D:\\100%\\a%b.mkv");
    s.context.subtitleSelected = true;
    EXPECT_EQ(joined(extractPieces(p, s.context)),
              R"(mkvextract.exe tracks "D:\100%%\a%%b.mkv" 1:"D:\100%%\a%%b.h264" 2:"D:\100%%\a%%b.dts" 3:"D:\100%%\a%%b.srt" )");
    EXPECT_EQ(joined(dtsFixPieces(p)), R"(delaycut.exe  -fixcrc fix -start 0 -End 0 "D:\100%%\a%%b.dts")");
    EXPECT_EQ(joined(eac3toPieces(p, s.context)), R"(eac3to.exe "D:\100%%\a%%b.dts" "D:\100%%\a%%b.ac3" -libav)");

    p = plan("DTS", "UTF8", "D:\\100%\\a%b.mkv", "E:\\%TEMP%\\");
    s.context.subtitleSelected = false;
    s.context.srtPath = "D:\\s%1.srt";
    std::string direct = joined(remuxPieces(p, s.context, RemuxForm::direct));
    const std::string output = R"(mkvmerge.exe -o "E:\%%TEMP%%\a%%b.part.mkv" )";
    EXPECT_EQ(direct.substr(0, output.size()), output);
    EXPECT_NE(direct.find(R"("D:\100%%\a%%b.mkv" "-s" "0" "-D" "-A" "-T" "D:\s%%1.srt" )"), std::string::npos);
    EXPECT_NE(joined(remuxPieces(p, s.context, RemuxForm::extraction)).find(R"("D:\100%%\a%%b.ac3" "D:\s%%1.srt" )"),
              std::string::npos);
}

TEST(ScriptFile, FirstLinesAndNoFinalLineEnd) {
    ScriptPieces pieces{"mkvmerge.exe ", "-o "};
    EXPECT_EQ(scriptText(ScriptPlace::programFolder, pieces), "cd Applications\r\nmkvmerge.exe -o ");
    EXPECT_EQ(scriptText(ScriptPlace::jobFolder, pieces), "cd..\r\ncd Applications\r\nmkvmerge.exe -o ");

    std::string folder = std::filesystem::temp_directory_path().generic_string() + "/klarbrix-scripts-" +
                         std::to_string(std::random_device{}()) + "/";
    ASSERT_TRUE(fs::makeFolder(folder));
    Scene s;
    FileSystem files;
    EXPECT_TRUE(writeScript(files, folder + "eac3to.bat", ScriptPlace::jobFolder, eac3toPieces(plan(), s.context)));
    EXPECT_EQ(fs::readFile(folder + "eac3to.bat"),
              "cd..\r\ncd Applications\r\n" R"(eac3to.exe "D:\F\a.dts" "D:\F\a.ac3" -libav)");
    EXPECT_FALSE(writeScript(files, folder + "missing/dtsfix.bat", ScriptPlace::programFolder, dtsFixPieces(plan())));
    fs::removeTree(folder);
}

TEST(PurgeScript, NamesExactlyTheFilesTheJobMakes) {
    Scene s;
    s.context.subtitleSelected = true;
    RunPlan p = plan("DTS", "UTF8");
    // Transcoding: the extracted tracks, the transcoded audio and its log.
    const std::string transcoded = "del \"D:\\F\\a.ac3\"\r\ndel \"D:\\F\\a - log.txt\"\r\ndel \"D:\\F\\a.h264\"\r\n";
    // The extracted subtitle stays beside the source, as in the immediate run.
    EXPECT_EQ(purge(p, s), transcoded + "del \"D:\\F\\a.DTS\"\r\n");
    s.set(Option::deletebat, "1");
    EXPECT_EQ(purge(p, s),
              transcoded + "del \"D:\\F\\a.DTS\"\r\nRD /S /Q \"C:\\K\\job2\"\r\n");

    // Repair as well: the repaired file and the repair log, in the script's order.
    s.set(Option::deletebat, "0");
    s.set(Option::dtsfix, "1");
    EXPECT_EQ(purge(p, s),
              "del \"D:\\F\\a.ac3\"\r\ndel \"D:\\F\\a_fixed.dts\"\r\ndel \"D:\\F\\a_log.txt\"\r\n"
              "del \"D:\\F\\a - log.txt\"\r\ndel \"D:\\F\\a.h264\"\r\ndel \"D:\\F\\a.DTS\"\r\n");

    // No lone-dot names; no subtitle line when the job extracts none (an
    // external file of the same name stays); nothing at all on the direct path.
    s.set(Option::dtsfix, "0");
    s.context.subtitleSelected = false;
    EXPECT_EQ(purge(plan(""), s), "del \"D:\\F\\a.h264\"\r\n");
    s.context.subtitleSelected = true;
    s.context.srtPath = "D:\\F\\a.srt";
    EXPECT_EQ(purge(p, s), transcoded + "del \"D:\\F\\a.DTS\"\r\n");
    s.set(Option::notranscode, "1");
    EXPECT_EQ(purge(p, s), "");
}
