// "Ouvrir" end to end: MediaInfo (a test double that copies a fixture report)
// is run on the chosen file, the lists are filled and the accents renamed.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <fstream>
#include <sstream>

#include "drive.h"

using kx::test::drive;
using kx::test::ProgramFolder;

namespace {

std::string fixture(const std::string& name) {
    std::ifstream in(std::string(KLARBRIX_SOURCE_DIR "/tests/fixtures/") + name, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

// MediaInfo stand-in: records its arguments and copies report.txt to --LogFile=.
void installMediaInfo(const ProgramFolder& folder, const std::string& report) {
    folder.write("Applications/report.txt", report);
    folder.writeProgram("Applications/MediaInfo.exe",
                        "here=$(dirname \"$0\")\n"
                        "printf '%s\\n' \"$PWD\" \"$@\" > \"$here/arguments.txt\"\n"
                        "cp \"$here/report.txt\" \"${2#--LogFile=}\"\n");
}

}  // namespace

TEST(Analysis, OuvrirListsTheTracksAndSelectsTheFirstOnes) {
    ProgramFolder folder;
    installMediaInfo(folder, fixture("two_audio_tracks.txt"));
    folder.write("film 100%.mkv", "x");
    auto t = drive(folder, "file " + folder / "film 100%.mkv" +
                               "\nclick 36\nwait\nshow 31\nshow 30\nshow 28\nshow 21\nshow 35\n");
    std::vector<std::string> expected = {
        "status: Choisir un fichier", "status: Choisir un fichier", "status: Analyse terminée",
        "status: analyse terminée — Audio AC3 5.1 : conservé tel quel", "sound",
        "31 items: 1", "31 item 0: track #1  AVC  ", "31 selected: 0",
        "30 items: 2", "30 item 0: track #2  AC3  French", "30 item 1: track #3  EAC3  und", "30 selected: 0",
        "28 items: 3", "28 item 0: track #4  UTF8  French", "28 item 1: track #5  PGS  und",
        "28 item 2: track #6  ASS  Lossless", "28 selected: 0",
        "21 text: 23.976", "35 text: film 100%.mkv"};
    EXPECT_EQ(t.lines, expected) << t.text();
    // MediaInfo ran in the tools folder with the report going to the program folder.
    EXPECT_EQ(folder.read("Applications/arguments.txt"),
              folder / "Applications\n" + folder / "film 100%.mkv\n--LogFile=" + folder / "mediainfo.txt\n");
}

TEST(Analysis, NoReportListsNothingAndClearsThePreviousFrameRate) {
    ProgramFolder folder;
    installMediaInfo(folder, fixture("two_audio_tracks.txt"));
    // This MediaInfo writes no report for b.mkv.
    folder.writeProgram("Applications/MediaInfo.exe",
                        "case \"$1\" in *a.mkv) cp \"$(dirname \"$0\")/report.txt\" \"${2#--LogFile=}\";; esac\n");
    folder.write("a.mkv", "x");
    folder.write("b.mkv", "x");
    folder.write("options.txt", "soundenable = 0\r\n");
    auto t = drive(folder, "file " + folder / "a.mkv" + "\nclick 36\nwait\nclick 39\nshow 21\n" +
                               "file " + folder / "b.mkv" + "\nclick 36\nwait\nshow 21\nshow 30\n");
    EXPECT_FALSE(t.has("sound"));
    EXPECT_EQ(t.count("status: analyse terminée — Audio AC3 5.1 : conservé tel quel"), 1) << t.text();
    EXPECT_EQ(t.count("status: analyse terminée"), 1) << t.text();  // b.mkv: no report, no verdict
    EXPECT_TRUE(t.has("message: Aucune piste n'a été trouvée dans ce fichier : il est peut-être abîmé, ou ce n'est "
                      "pas un fichier Matroska. Choisissez un autre fichier.")) << t.text();
    std::vector<std::string> tail(t.lines.end() - 3, t.lines.end());
    std::vector<std::string> expected = {"21 text: ", "30 items: 0", "30 selected: -1"};
    EXPECT_EQ(tail, expected) << t.text();
    EXPECT_TRUE(t.has("21 text: ")) << t.text();  // "Annuler" emptied the field in between
}

TEST(Analysis, AnAccentedFolderIsLeftAloneOnLinux) {
    // The tools take any name here: the user's folders are neither renamed
    // nor warned about, and the analysis reads the file where it is.
    ProgramFolder folder;
    installMediaInfo(folder, fixture("two_audio_tracks.txt"));
    ::mkdir((folder.path() + "Vid\xc3\xa9os").c_str(), 0755);
    folder.write("Vid\xc3\xa9os/\xc3\xa9t\xc3\xa9.mkv", "x");
    auto t = drive(folder, "file " + folder / "Vidéos/été.mkv" + "\nclick 36\nwait\nshow 35\n");
    EXPECT_FALSE(t.has("message: Attention!! il y'a un caractère spécial (de type accent) dans votre chemin, en cas "
                       "de problême merci de renommer au déplacer ;)"))
        << t.text();
    EXPECT_EQ(t.lines.back(), "35 text: été.mkv");
    EXPECT_TRUE(folder.exists("Vidéos/été.mkv"));
    EXPECT_FALSE(folder.exists("Videos"));
}

// Another track picked, "Ne pas extraire de srt" ticked or the options
// changed: the verdict is told again for the tracks chosen now.
TEST(Analysis, TheVerdictFollowsTheChoiceAndTheOptions) {
    ProgramFolder folder;
    installMediaInfo(folder, fixture("two_audio_tracks.txt"));
    folder.write("a.mkv", "x");
    auto t = drive(folder, "file " + folder / "a.mkv" +
                               "\nclick 36\nwait\nselect 30 1\nclick 30\nselect 28 1\nclick 28\n"
                               "check 23 1\nclick 23\nmenu 0\ncheck 74 1\nclick 4\n");
    const std::string done = "status: analyse terminée — ";
    std::vector<std::string> statuses;
    for (const std::string& line : t.lines)
        if (line.rfind(done, 0) == 0) statuses.push_back(line.substr(done.size()));
    std::vector<std::string> expected = {"Audio AC3 5.1 : conservé tel quel",
                                         "Audio E-AC3 : sera converti en AC3 (640 kb/s)",
                                         "Sous-titres PGS (image) : beaucoup de box ne les affichent pas",
                                         "Audio E-AC3 : sera converti en AC3 (640 kb/s)",
                                         "Audio E-AC3 : conservé tel quel"};
    EXPECT_EQ(statuses, expected) << t.text();
}
