// The widget tests' entry: a QApplication (offscreen unless a platform is
// named), then the tests; with "--screenshots FOLDER" it draws the three
// windows and the tools' output window into PNG files instead.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QTabWidget>
#include <QTest>

#include <cstdio>
#include <cstring>

#include "base/encoding.h"
#include "frontends/qt/console.h"
#include "frontends/qt/qt_ui.h"
#include "ui/texts.h"
#include "ui/window_desc.h"

namespace {

bool save(QWidget* window, const QString& file) {
    QTest::qWait(200);
    bool ok = window && window->grab().save(file);
    std::printf("%s %s\n", ok ? "wrote" : "could not write", file.toLocal8Bit().constData());
    return ok;
}

int screenshots(const QString& folder) {
    using namespace kx;
    QDir().mkpath(folder);
    QtUi ui;
    bool ok = openMainWindow(ui);
    // Just analysed: what will become of the chosen tracks.
    ui.setStatus(std::string(analysisDoneLowerStatus) + std::string(verdictSeparator) +
                 "Audio DTS 5.1 : sera converti en AC3 5.1 (640 kb/s)");
    ui.setText(fileNameField, "demo.mkv");
    ui.setText(frameRateField, "23.976");
    ui.addItem(videoCombo, "track #1  AVC  und");
    ui.addItem(audioCombo, "track #2  DTS  fre");
    ui.addItem(subtitleCombo, "track #4  UTF-8  fre");
    for (int combo : {videoCombo, audioCombo, subtitleCombo}) ui.select(combo, 0);
    ok = save(ui.windowWidget(mainWindow), folder + "/main.png") && ok;

    ui.addColumn(queueList, "chemin", 300);
    ui.addColumn(queueList, "codec audio", 70);
    ui.addColumn(queueList, "sous titres", 70);
    ui.addRow(queueList, {"film", "/home/moi/films/film.mkv", "DTS", "fre"});
    ui.addRow(queueList, {"serie", "/home/moi/films/serie.mkv", "AC3", ""});
    ui.addRow(queueList, {"autre", "/home/moi/films/autre.mkv", "DTS", "eng"});
    ui.setRowColour(queueList, 0, RowColour::green);
    ui.setRowColour(queueList, 1, RowColour::red);
    // The queue run at the third job's remux, with the tool's own progress.
    ui.setRowColour(queueList, 2, RowColour::working);
    ui.setStatus("remuxage de autre en cours" + std::string(verdictSeparator) + "43 %, environ 1 min");
    ui.setProgress(progressBar, 83);
    if (auto* panel = ui.windowWidget(mainWindow)->findChild<QTabWidget*>("mainPanel")) panel->setCurrentIndex(1);
    ok = save(ui.windowWidget(mainWindow), folder + "/main-queue.png") && ok;
    if (auto* panel = ui.windowWidget(mainWindow)->findChild<QTabWidget*>("mainPanel")) panel->setCurrentIndex(0);
    ok = save(ui.windowWidget(mainWindow), folder + "/main-progress.png") && ok;

    ok = openOptionsWindow(ui) && ok;
    ui.setChecked(deleteTempCheck, true);
    ui.setChecked(soundEnableCheck, true);
    ui.setText(remuxPathField, "/home/moi/films/");
    ok = save(ui.windowWidget(optionsWindow), folder + "/options.png") && ok;
    ok = openAboutWindow(ui, "http://klarbrix.fr/") && ok;
    ok = save(ui.windowWidget(aboutWindow), folder + "/about.png") && ok;

    ConsoleWindow console;
    console.expectRun();
    console.feed("\n/home/moi/.local/share/klarbrix>cd Applications\n\n"
                 "/home/moi/.local/share/klarbrix/Applications>mkvextract.exe tracks \"/home/moi/films/demo.mkv\" "
                 "1:\"/home/moi/films/demo.h264\" 2:\"/home/moi/films/demo.dts\"\n"
                 "Extraction de la piste 1 avec le CodecID 'V_MPEG4/ISO/AVC' vers le fichier "
                 "'/home/moi/films/demo.h264'. Format du conteneur : flux élémentaire AVC/H.264.\n"
                 "Extraction de la piste 2 avec le CodecID 'A_DTS' vers le fichier "
                 "'/home/moi/films/demo.dts'. Format du conteneur : DTS.\n"
                 "Progression : 10%\rProgression : 47%");
    QTest::qWait(50);
    ok = save(&console, folder + "/console.png") && ok;
    return ok ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    for (int i = 1; i + 1 < argc; ++i)
        if (!std::strcmp(argv[i], "--screenshots")) return screenshots(QString::fromLocal8Bit(argv[i + 1]));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
