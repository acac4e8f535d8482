// The program end to end through klarbrix-drive: start-up, the options and
// About windows, the folder and subtitle choosers, the guards of "Ouvrir",
// "Lancer !" and "Ajouter a la file", and the queue buttons.
#include <gtest/gtest.h>

#include "base/version.h"
#include "drive.h"

using kx::test::drive;
using kx::test::ProgramFolder;

TEST(Startup, WithoutApplicationsTheProgramEndsAfterItsMessage) {
    ProgramFolder folder(false);
    auto t = drive(folder, "menu 0\nclick 36\n");
    EXPECT_EQ(t.status, 0);
    std::vector<std::string> expected = {"status: Choisir un fichier",
                                         "message: Vous devez télécharger l'archive complète",
                                         "open: " KLARBRIX_TEST_SITE "/"};
    EXPECT_EQ(t.lines, expected) << t.text();
}

TEST(Startup, AnEmptyApplicationsFolderPassesAndCloseEnds) {
    ProgramFolder folder;
    auto t = drive(folder, "show 25\nmenus\nclose\nmenu 0\n");
    EXPECT_EQ(t.status, 0);
    std::vector<std::string> expected = {"status: Choisir un fichier", "25 value: 0", "menus: Menu"};
    EXPECT_EQ(t.lines, expected) << t.text();
}

TEST(OptionsWindow, BoxesFollowTheFileAndOkWritesIt) {
    ProgramFolder folder;
    folder.write("options.txt", "deletetemp = 1\r\n\r\nkeepdts = 1 \r\ncreatelog=1\r\ncheminremux = /films/\r\n"
                                "dtsfix = 0\r\n");
    auto t = drive(folder,
                   "menu 0\nshow 2\nshow 46\nshow 43\nshow 59\nshow 53\n"
                   "check 2 0\ncheck 46 1\ncheck 43 1\ncheck 59 1\ncheck 61 1\nclick 4\nshow 2\n");
    std::vector<std::string> expected = {"status: Choisir un fichier", "window: 1 opened", "2 state: 1",
                                         "46 state: 0", "43 state: 1", "59 state: 0", "53 text: /films/",
                                         "window: 1 closed", "2 missing"};
    EXPECT_EQ(t.lines, expected) << t.text();
    // Keys the file lacks take their delivered values and are written after
    // the file's own lines; the malformed line and the folder are kept.
    EXPECT_EQ(folder.read("options.txt"),
              "deletetemp = 0\r\nkeepdts = 1\r\ncreatelog=1\r\ncheminremux = /films/\r\ndtsfix = 1\r\n"
              "deletebat = 1\r\ncreatelog = 1\r\nopenlog = 0\r\nnotranscode = 0\r\nremuxdest = 0\r\nmuxsrt = 1\r\n"
              "usesonic = 0\r\nsoundenable = 1\r\ncheckupdate = 0\r\nac3448 = 0\r\nkeepeac3 = 0\r\n");
}

TEST(OptionsWindow, RemuxFolderChosenThenCancelled) {
    ProgramFolder folder;
    auto t = drive(folder, "menu 0\nfolder /vidéos/sortie/\nclick 52\nshow 53\nclick 52\nshow 53\nclick 4\n");
    EXPECT_EQ(t.find("53 text: /vidéos/sortie/"), 2) << t.text();
    int cancelled = t.find("message: La sélection a été annulée.");
    EXPECT_EQ(cancelled, 3) << t.text();
    EXPECT_EQ(t.find("53 text: ", cancelled), 4) << t.text();
    EXPECT_NE(folder.read("options.txt").find("cheminremux = \r\n"), std::string::npos);
}

TEST(OptionsWindow, RemuxFolderIsSavedAtOnceInCp1252) {
    ProgramFolder folder;
    drive(folder, "menu 0\nfolder /vidéos/\nclick 52\n");  // no "OK": the choice is saved anyway
    EXPECT_NE(folder.read("options.txt").find("cheminremux = /vid\xe9os/\r\n"), std::string::npos);
}

TEST(AboutAndHelp, WindowsOpenAndCloseWithTheirOwnLoop) {
    ProgramFolder folder;
    auto t = drive(folder, "menu 2\nshow 13\nshow 9\nclick 10\nmenu 1\nshow 70\nclick 36\nmenu 0\nclose\n"
                           "menu 0\nshow 64\nclick 64\nclose\nclick 4\n",
                   {"--site", "http://127.0.0.1:9"});
    std::vector<std::string> expected = {
        "status: Choisir un fichier", "window: 2 opened", "13 text: V " KLARBRIX_VERSION, "9 text: http://127.0.0.1:9/",
        "window: 2 closed", "window: 8 opened", "70 text: http://127.0.0.1:9/aide/",
        // Nothing but a close request is served while the help window is open.
        "window: 8 closed", "window: 1 opened", "64 text: Aide (WEB)", "window: 8 opened", "window: 8 closed",
        "window: 1 closed"};
    EXPECT_EQ(t.lines, expected) << t.text();
}

TEST(SourceFile, GuardsWithoutAFile) {
    ProgramFolder folder;
    auto t = drive(folder, "click 27\nclick 19\nclick 38\nshow 37\n");
    std::vector<std::string> expected = {"status: Choisir un fichier",
                                         "message: Veuillez sélectionner un fichier à traiter",
                                         "message: Veuillez sélectionner un fichier à traiter",
                                         "37 columns: Nom du fichier"};
    EXPECT_EQ(t.lines, expected) << t.text();
}

TEST(SourceFile, CancelledDialogClearsListsAndStartsNothing) {
    ProgramFolder folder;
    folder.write("mediainfo.txt", "old report");
    auto t = drive(folder, "click 36\nshow 35\nshow 31\n");
    std::vector<std::string> expected = {"status: Choisir un fichier", "status: Choisir un fichier", "35 text: ",
                                         "31 items: 0", "31 selected: -1"};
    EXPECT_EQ(t.lines, expected) << t.text();
    EXPECT_FALSE(folder.exists("mediainfo.txt"));
}

TEST(SourceFile, OuvrirIsIgnoredWhileAFileIsShownUntilAnnuler) {
    ProgramFolder folder;
    folder.write("a.mkv", "x");
    auto t = drive(folder, "file " + folder / "a.mkv" + "\nclick 36\nwait\nfile " + folder / "b.mkv" +
                               "\nclick 36\nshow 35\nclick 39\nshow 35\nshow 25\nclick 36\nwait\nshow 35\n");
    EXPECT_TRUE(t.has("35 text: a.mkv")) << t.text();
    int cancelled = t.find("35 text: ");
    EXPECT_GT(cancelled, t.find("35 text: a.mkv"));
    EXPECT_EQ(t.lines.at(std::size_t(cancelled) + 1), "25 value: 0");
    EXPECT_EQ(t.lines.back(), "35 text: b.mkv") << t.text();
}

TEST(SourceFile, UnusablePathsAreRefusedAsACancelledDialog) {
    ProgramFolder folder;
    std::string refused = "message: Ce chemin contient un caractère non pris en charge, merci de renommer le "
                          "fichier ou le dossier";
    auto t = drive(folder, "file /tmp/日本.mkv\nclick 36\nfile /tmp/a\"b.mkv\nclick 36\nshow 35\n"
                           "file /tmp/日本.srt\nclick 26\nshow 28\n");
    EXPECT_EQ(t.count(refused), 3) << t.text();
    EXPECT_TRUE(t.has("35 text: ")) << t.text();
    EXPECT_FALSE(t.has("28 item 0: ")) << t.text();  // refused like a cancelled choice: nothing added
    EXPECT_FALSE(t.has("status: Analyse terminée")) << t.text();
}

TEST(SourceFile, SubtitleChooserInsertsAtTheTopAndCancelChangesNothing) {
    ProgramFolder folder;
    auto t = drive(folder, "file /films/sous titres.srt\nclick 26\nclick 26\nshow 28\n");
    std::vector<std::string> expected = {"status: Choisir un fichier", "28 items: 1", "28 item 0: sous titres.srt",
                                         "28 selected: 0"};
    EXPECT_EQ(t.lines, expected) << t.text();
}

TEST(Queue, ButtonsOnAnEmptyQueueChangeNothing) {
    ProgramFolder folder;
    auto t = drive(folder, "click 41\nclick 40\nclick 38\nshow 37\n");
    std::vector<std::string> expected = {"status: Choisir un fichier", "37 columns: Nom du fichier"};
    EXPECT_EQ(t.lines, expected) << t.text();
}
