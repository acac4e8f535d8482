// Processing end to end through klarbrix-drive, with stand-ins for the tools
// that record their arguments and create the files the real tools would:
// the immediate run, its log and clean-up, adding jobs and the queue run.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <algorithm>
#include <fstream>
#include <sstream>

#include "drive.h"

using kx::test::drive;
using kx::test::ProgramFolder;
using kx::test::Transcript;

namespace {

std::string fixture(const std::string& name) {
    std::ifstream in(std::string(KLARBRIX_SOURCE_DIR "/tests/fixtures/") + name, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

// Every stand-in appends "name|arg|arg…" to Applications/calls.txt.
const std::string record =
    "here=$(cd \"$(dirname \"$0\")\" && pwd)\n"
    "line=$(basename \"$0\" .exe); for a in \"$@\"; do line=\"$line|$a\"; done\n"
    "printf '%s\\n' \"$line\" >> \"$here/calls.txt\"\n";

class Processing : public ::testing::Test {
protected:
    void SetUp() override {
        f.write("Applications/report.txt", fixture("dts_film.txt"));
        f.writeProgram("Applications/MediaInfo.exe", "cp \"$(dirname \"$0\")/report.txt\" \"${2#--LogFile=}\"\n");
        f.writeProgram("Applications/mkvextract.exe",
                       record + "shift 2\nfor t in \"$@\"; do printf 'track' > \"${t#*:}\"; done\n");
        f.writeProgram("Applications/delaycut.exe", record +
                                                        "for in in \"$@\"; do :; done\n"
                                                        "printf 'fixed' > \"${in%.*}_fixed.${in##*.}\"\n"
                                                        "printf 'repair log' > \"${in%.*}_log.txt\"\n");
        f.writeProgram("Applications/eac3to.exe", record +
                                                      "printf 'ac3' > \"$2\"\n"
                                                      "printf 'read %s\\r\\nwrote %s\\r\\n' \"$1\" \"$2\" > "
                                                      "\"${2%.*} - Log.txt\"\n");
        // The remux: the tool stand-in, which records as the others and
        // answers the program's identification of what it made.
        // (a test tool: always this build's, whichever build's programs are tested)
        std::filesystem::copy_file(KLARBRIX_BUILD_DIR "/klarbrix-stand-in", f / "Applications/mkvmerge.exe");
        ::mkdir((f / "films").c_str(), 0755);
        f.write("films/film.mkv", "source");
    }

    // Options: the delivered file with some values changed.
    void options(const std::vector<std::pair<std::string, std::string>>& changes) {
        std::string text = f.read("options.txt");
        for (const auto& [key, value] : changes) {
            auto at = text.find(key + " = ");
            ASSERT_NE(at, std::string::npos) << key;
            auto end = text.find("\r\n", at);
            text.replace(at, end - at, key + " = " + value);
        }
        f.write("options.txt", text);
    }

    std::string open(const std::string& name = "films/film.mkv") { return "file " + f / name + "\nclick 36\nwait\n"; }

    std::vector<std::string> calls() {
        std::vector<std::string> lines;
        std::istringstream in(f.read("Applications/calls.txt"));
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }

    // The transcript from the first line that equals `line` on.
    static std::vector<std::string> from(const Transcript& t, const std::string& line) {
        int at = t.find(line);
        return at < 0 ? std::vector<std::string>{} : std::vector<std::string>(t.lines.begin() + at, t.lines.end());
    }

    // Whether the tool that wrote its number into Applications/hung.pid ends
    // within two seconds.
    bool hungToolEnds() {
        const pid_t hung = std::stoi(f.read("Applications/hung.pid"));
        for (int i = 0; i < 100; ++i, ::usleep(20000))
            if (::kill(hung, 0) != 0) return true;
        return false;
    }

    ProgramFolder f;
};

}  // namespace

TEST_F(Processing, DtsTrackTranscodedWithTheDeliveredOptions) {
    auto t = drive(f, open() + "click 27\nwait\nshow 31\nshow 35\nshow 21\n");
    std::string films = f / "films/";
    std::vector<std::string> expected = {"status: Extraction en cours",
                                         "progress: 40",
                                         "progress: 50",
                                         "status: encodage en cours",
                                         "progress: 70",
                                         "status: Remuxage en cours",
                                         "progress: 100",
                                         "status: Remuxage terminé, choisir un autre fichier pour une autre opération",
                                         "sound",
                                         "message: Le traitement s'est bien passé",
                                         "open: " + films,
                                         "31 items: 0",
                                         "31 selected: -1",
                                         "35 text: ",
                                         "21 text: "};
    EXPECT_EQ(from(t, "status: Extraction en cours"), expected) << t.text();
    std::string base = films + "film";
    std::vector<std::string> tools = {
        "mkvextract|tracks|" + base + ".mkv|1:" + base + ".h264|2:" + base + ".dts|4:" + base + ".srt",
        "eac3to|" + base + ".dts|" + base + ".ac3|-libav",
        "mkvmerge|-o|" + base + "_remux.part.mkv|--default-duration|0:25.000fps|--compression|0:none|" + base +
            ".h264|--sync|0:1500|--compression|0:none|--language|0:fre|" + base + ".ac3|--language|0:fre|" + base +
            ".srt"};
    EXPECT_EQ(calls(), tools);
    // The result, the kept subtitle and the log stay; temporaries and scripts are gone.
    EXPECT_TRUE(f.exists("films/film_remux.mkv"));
    EXPECT_TRUE(f.exists("films/film.srt"));
    for (const char* gone : {"films/film.h264", "films/film.dts", "films/film.ac3", "films/film - Log.txt",
                             "mkvextract.bat", "eac3to.bat", "mkvmerge.bat", "mediainfo.txt"})
        EXPECT_FALSE(f.exists(gone)) << gone;
    EXPECT_EQ(f.read("log.txt"), fixture("dts_run_log.txt"));
    EXPECT_EQ(f.read("films/film.mkv"), "source");
}

TEST_F(Processing, DirectPathWritesOnlyTheRemuxScript) {
    options({{"notranscode", "1"}, {"deletebat", "0"}, {"soundenable", "0"}});
    auto t = drive(f, open() + "click 27\nwait\n");
    std::vector<std::string> expected = {"status: Extraction en cours", "status: Remuxage en cours", "progress: 100",
                                         "status: Remuxage terminé, choisir un autre fichier pour une autre opération",
                                         "message: Le traitement s'est bien passé", "open: " + f / "films/"};
    EXPECT_EQ(from(t, "status: Extraction en cours"), expected) << t.text();
    ASSERT_EQ(calls().size(), 1u);
    EXPECT_TRUE(calls()[0].starts_with("mkvmerge|-o|" + f / "films/film_remux.part.mkv|--default-duration|0:25.000fps|"
                                       "--compression|1:none|--compression|2:none|--language|2:fre|"));
    EXPECT_TRUE(f.exists("mkvmerge.bat"));
    EXPECT_FALSE(f.exists("mkvextract.bat"));
    EXPECT_FALSE(f.exists("eac3to.bat"));
}

TEST_F(Processing, RepairOfAnAc3TrackKeepsTheRepairScriptAndTranscodesNothing) {
    options({{"dtsfix", "1"}, {"notranscode", "1"}});
    auto t = drive(f, open() + "select 30 1\nclick 27\nwait\n");
    EXPECT_NE(f.read("options.txt").find("notranscode = 0\r\n"), std::string::npos);
    std::string base = f / "films/film";
    std::vector<std::string> c = calls();
    ASSERT_EQ(c.size(), 3u) << t.text();
    EXPECT_TRUE(c[0].starts_with("mkvextract|tracks|" + base + ".mkv|1:" + base + ".h264|3:" + base + ".ac3|"));
    EXPECT_EQ(c[1], "delaycut|-fixcrc|fix|-start|0|-End|0|" + base + ".ac3");
    // A box plays AC3: the repaired track goes into the result as it is.
    EXPECT_NE(c[2].find("|--language|0:eng|" + base + "_fixed.ac3|"), std::string::npos) << c[2];
    EXPECT_TRUE(f.exists("dtsfix.bat"));  // never deleted by the run
    EXPECT_FALSE(f.exists("mkvmerge.bat"));
    EXPECT_FALSE(f.exists("films/film_fixed.ac3"));
    EXPECT_FALSE(f.exists("films/film_log.txt"));
    EXPECT_TRUE(t.has("status: nettoyage en cours"));
}

TEST_F(Processing, FailedRemuxIsReportedAndTemporariesAreDeletedAnyway) {
    f.write("Applications/fail-remux", "");
    options({{"muxsrt", "0"}, {"openlog", "1"}});
    auto t = drive(f, open() + "click 27\nwait\n");
    EXPECT_TRUE(t.has("message: Il y'a eu un problème lors du traitement")) << t.text();
    EXPECT_TRUE(t.has("open: " + f / "log.txt")) << t.text();
    for (const char* gone : {"films/film.h264", "films/film.dts", "films/film.ac3", "films/film.srt",
                             "films/film - Log.txt"})
        EXPECT_FALSE(f.exists(gone)) << gone;
    EXPECT_TRUE(f.exists("films/film.mkv"));
}

TEST_F(Processing, CleanUpLeavesFilesThatWereThereBefore) {
    // A user's own files that carry temporary names are not the run's to delete.
    f.write("films/film.srt", "my subtitles");
    f.write("films/film - log.txt", "my notes");
    options({{"muxsrt", "0"}, {"notranscode", "1"}});
    auto t = drive(f, open() + "check 23 1\nclick 27\nwait\n");
    EXPECT_EQ(f.read("films/film.srt"), "my subtitles");
    EXPECT_EQ(f.read("films/film - log.txt"), "my notes");
    EXPECT_TRUE(t.has("message: Le traitement s'est bien passé")) << t.text();
}

TEST_F(Processing, ExternalSubtitleAndNoRemuxFolder) {
    options({{"remuxdest", "1"}, {"notranscode", "1"}});
    f.write("films/other.srt", "1\r\n");
    auto t = drive(f, open() + "click 27\nclick 19\nshow 35\nfile " + f / "films/other.srt" + "\nclick 26\n");
    EXPECT_EQ(t.count("message: Veuillez choisir un répertoire de remuxage dans les options"), 2) << t.text();
    EXPECT_TRUE(t.has("35 text: film.mkv"));  // still loaded
    EXPECT_FALSE(f.exists("Applications/calls.txt"));
    EXPECT_FALSE(f.exists("job1"));
}

TEST_F(Processing, TheSourceIsNeverTheResult) {
    options({{"remuxdest", "1"}, {"cheminremux", f / "films/"}});
    auto t = drive(f, open() + "click 27\nwait\nclick 19\nwait\nshow 35\nshow 37\n");
    EXPECT_EQ(t.count("message: Le fichier source serait écrasé : traitement annulé"), 2) << t.text();
    EXPECT_TRUE(t.has("35 text: film.mkv"));
    EXPECT_TRUE(t.has("37 columns: Nom du fichier")) << t.text();
    EXPECT_FALSE(f.exists("Applications/calls.txt"));
    EXPECT_FALSE(f.exists("job1"));
    EXPECT_EQ(f.read("films/film.mkv"), "source");
}

TEST_F(Processing, ASourceNamedLikeATemporaryIsRefused) {
    // Opened through "Tous les fichiers": the extracted DTS track would be the source.
    f.write("films/film.dts", "source");
    auto t = drive(f, open("films/film.dts") + "click 27\nwait\n");
    EXPECT_TRUE(t.has("message: Le fichier source serait écrasé : traitement annulé")) << t.text();
    EXPECT_EQ(f.read("films/film.dts"), "source");
}

TEST_F(Processing, TwoJobsOfDifferentKindsInOneQueueRun) {
    f.write("films/second.mkv", "source 2");
    options({{"deletebat", "0"}});
    std::string commands = open() + "click 19\nwait\n" + "check 23 1\n" + open("films/second.mkv");
    commands += "menu 0\ncheck 49 1\nclick 4\nclick 19\nwait\nshow 37\nclick 38\nwait\nshow 37\nclick 38\n";
    auto t = drive(f, commands);
    std::string films = f / "films/";
    std::vector<std::string> rows = {
        "37 columns: Nom du fichier | chemin | codec audio | sous titres",
        "37 row 0: film | " + films + "film.mkv | DTS | fre | none",
        "37 row 1: second | " + films + "second.mkv | DTS |  | none"};
    int shown = t.find(rows[0]);
    ASSERT_GE(shown, 0) << t.text();
    EXPECT_EQ(std::vector<std::string>(t.lines.begin() + shown, t.lines.begin() + shown + 3), rows);
    std::vector<std::string> run = {"status: extraction de film en cours", "status: encodage de film en cours",
                                    "status: remuxage de film en cours", "status: remuxage de second en cours",
                                    "status: file d'attente traitée, choisir un fichier",
                                    "message: file d'attente traitée", "progress: 0",
                                    "37 columns: Nom du fichier | chemin | codec audio | sous titres",
                                    "37 row 0: film | " + films + "film.mkv | DTS | fre | green",
                                    "37 row 1: second | " + films + "second.mkv | DTS |  | green"};
    EXPECT_EQ(from(t, "status: extraction de film en cours"), run) << t.text();
    std::vector<std::string> c = calls();
    ASSERT_EQ(c.size(), 4u);
    EXPECT_TRUE(c[0].starts_with("mkvextract|")) << c[0];
    EXPECT_TRUE(c[1].starts_with("eac3to|")) << c[1];
    EXPECT_TRUE(c[2].starts_with("mkvmerge|-o|" + films + "film_remux.part.mkv|")) << c[2];
    EXPECT_TRUE(c[3].starts_with("mkvmerge|-o|" + films + "second_remux.part.mkv|")) << c[3];
    // The purge scripts ran: the first job's temporaries are gone; its subtitle stays.
    EXPECT_FALSE(f.exists("films/film.dts"));
    EXPECT_TRUE(f.exists("films/film.srt"));
    // The direct job makes no temporary: its clean-up deletes nothing.
    EXPECT_TRUE(f.exists("job2/mkvpurge.bat"));
    EXPECT_EQ(f.read("job2/mkvpurge.bat"), "");
    EXPECT_TRUE(f.read("job1/mkvmerge.bat").starts_with("cd..\r\ncd Applications\r\nmkvmerge.exe -o "));
}

TEST_F(Processing, RemovedLastJobIsReplacedInItsFolder) {
    options({{"notranscode", "1"}, {"deletetemp", "0"}});
    f.write("films/b.mkv", "b");
    f.write("films/c.mkv", "c");
    f.write("films/d.mkv", "d");
    std::string commands;
    for (const char* name : {"films/film.mkv", "films/b.mkv", "films/c.mkv"}) commands += open(name) + "click 19\nwait\n";
    commands += "click 41\n" + open("films/d.mkv") + "click 19\nwait\nshow 37\n";
    auto t = drive(f, commands);
    EXPECT_TRUE(t.has("37 row 2: d | " + f / "films/d.mkv | DTS | fre | none")) << t.text();
    EXPECT_FALSE(t.has("37 row 3: ")) << t.text();
    EXPECT_NE(f.read("job3/mkvmerge.bat").find(f / "films/d.mkv"), std::string::npos);
    // A direct job makes no temporary: its clean-up only removes its folder.
    EXPECT_EQ(f.read("job3/mkvpurge.bat"), "RD /S /Q \"" + f / "job3\"\r\n");
}

TEST_F(Processing, MissingJobFolderTurnsItsRowRed) {
    options({{"notranscode", "1"}, {"deletebat", "1"}});
    f.write("films/b.mkv", "b");
    // The first job's remux removes the second job's folder; its own purge
    // script removes the first job's folder.
    // The direct job's result holds the film's video, DTS and subtitles.
    const std::string identified =
        R"({"container":{"recognized":true,"type":"Matroska"},"tracks":[)"
        R"({"type":"video","properties":{"codec_id":"V_MPEG4/ISO/AVC"}},)"
        R"({"type":"audio","properties":{"codec_id":"A_DTS","language":"fre"}},)"
        R"({"type":"subtitles","properties":{"codec_id":"S_TEXT/UTF8","language":"fre"}}]})";
    f.writeProgram("Applications/mkvmerge.exe", "[ \"$1\" = -r ] && { printf '%s' '" + identified +
                                                    "' > \"$2\"; exit 0; }\n" + record +
                                                    "rm -rf \"$here/../job2\"\nprintf 'mkv' > \"$2\"\n");
    std::string commands = open() + "click 19\nwait\n" + open("films/b.mkv") + "click 19\nwait\n";
    commands += "click 38\nwait\nshow 37\n";
    auto t = drive(f, commands);
    EXPECT_TRUE(t.has("37 row 0: film | " + f / "films/film.mkv | DTS | fre | green")) << t.text();
    EXPECT_TRUE(t.has("37 row 1: b | " + f / "films/b.mkv | DTS | fre | red")) << t.text();
    EXPECT_FALSE(t.has("status: remuxage de b en cours")) << t.text();
    EXPECT_FALSE(f.exists("job1"));
    EXPECT_EQ(calls().size(), 1u);
}

TEST_F(Processing, AForeignExtractBatGoesIntoTheLogButIsKept) {
    f.write("extract.bat", "echo kept as is /films/\r\n");
    options({{"notranscode", "1"}});
    auto t = drive(f, open() + "click 27\nwait\n");
    std::string log = f.read("log.txt");
    std::string stars(24, '*');
    EXPECT_NE(log.find("\r\n\r\n\r\n\r\n" + stars + "Log extract.bat" + stars + "\r\n\r\necho kept as is /films/\r\n"),
              std::string::npos)
        << log;
    EXPECT_TRUE(f.exists("extract.bat"));
    EXPECT_FALSE(f.exists("mkvmerge.bat"));
    EXPECT_FALSE(f.exists("mediainfo.txt"));
}

// A tool that never ends is stopped by "Annuler": the whole script ends, the
// run's temporaries go, and a second "Lancer !" meanwhile is told.
TEST_F(Processing, AnnulerStopsAHungToolAndItsRun) {
    options({{"deletetemp", "0"}, {"createlog", "1"}});
    f.writeProgram("Applications/eac3to.exe", record + "echo $$ > \"$here/hung.pid\"\nexec sleep 600\n");
    auto t = drive(f, open() + "click 27\nawait Applications/hung.pid\nclick 27\nclick 39\nwait\nshow 21\n");
    EXPECT_TRUE(t.has("message: Un traitement est déjà en cours")) << t.text();
    EXPECT_TRUE(t.has("status: traitement annulé")) << t.text();
    EXPECT_FALSE(t.has("message: Il y'a eu un problème lors du traitement")) << t.text();
    EXPECT_TRUE(t.has("21 text: ")) << t.text();
    EXPECT_TRUE(hungToolEnds()) << "the hung tool still runs";
    EXPECT_EQ(f.read("films/film.h264"), "");
    EXPECT_TRUE(f.read("log.txt").ends_with("traitement annul\xE9\r\n"));
}

// Closing the program while a tool hangs asks first. Yes stops the run as
// "Annuler" does, and the program ends once the run has ended: the tool is
// stopped and the temporaries are gone. No leaves the run going: the file is
// still shown, and a later "Annuler" finds the run to stop.
TEST_F(Processing, ClosingDuringARunAsksWhetherToStopIt) {
    const std::string question = "question: Un traitement est en cours. Voulez-vous l'arrêter et quitter ?";
    f.writeProgram("Applications/eac3to.exe", record + "echo $$ > \"$here/hung.pid\"\nexec sleep 600\n");
    const std::string running = open() + "click 27\nawait Applications/hung.pid\n";

    auto yes = drive(f, running + "answer yes\nclose\n");
    EXPECT_EQ(yes.status, 0);
    EXPECT_EQ(yes.count(question), 1) << yes.text();
    EXPECT_TRUE(yes.has("status: traitement annulé")) << yes.text();
    EXPECT_TRUE(hungToolEnds()) << "the hung tool still runs";
    for (const char* gone : {"films/film.h264", "films/film.dts"})
        EXPECT_FALSE(f.exists(gone)) << gone;

    for (const char* left : {"Applications/hung.pid", "films/film.srt"}) ::unlink((f / left).c_str());  // the kept subtitle
    auto no = drive(f, running + "answer no\nclose\nshow 35\nclick 39\nwait\n");
    EXPECT_EQ(no.status, 0);
    const int asked = no.find(question);
    ASSERT_GE(asked, 0) << no.text();
    EXPECT_EQ(no.find("35 text: film.mkv", asked), asked + 1) << no.text();
    EXPECT_GT(no.find("status: traitement annulé", asked), asked) << no.text();
}

// The bar and status follow the percentage a tool prints while it runs; the
// step's own text is back when it ends.
TEST_F(Processing, ARunningToolMovesTheBarAndTellsItsPercentage) {
    options({{"notranscode", "1"}, {"soundenable", "0"}});
    f.writeProgram("Applications/mkvmerge.exe", record +
                                                    "printf 'Progress: 20%%\\r'; sleep 1.5\n"
                                                    "printf 'Progress: 60%%\\r'; sleep 3.5\n"
                                                    "printf 'Progress: 100%%\\r'; printf 'mkv' > \"$2\"\n");
    auto t = drive(f, open() + "click 27\nwait\n");
    std::vector<std::string> run = from(t, "status: Remuxage en cours");
    auto at = [&](const std::string& line) { return std::find(run.begin(), run.end(), line) - run.begin(); };
    const auto percentText = std::find_if(run.begin(), run.end(), [](const std::string& line) {
        return line.starts_with("status: Remuxage de film en cours — 60 %, ");
    });
    ASSERT_NE(percentText, run.end()) << t.text();
    EXPECT_LT(at("progress: 20"), at("progress: 60")) << t.text();
    EXPECT_LT(at("progress: 60"), percentText - run.begin()) << t.text();
    // Back to the step's own text before the end's.
    const auto back = std::find(percentText, run.end(), "status: Remuxage en cours");
    ASSERT_NE(back, run.end()) << t.text();
    EXPECT_EQ(std::vector<std::string>(back, std::min(back + 2, run.end())),
              (std::vector<std::string>{"status: Remuxage en cours", "progress: 100"}))
        << t.text();
}
