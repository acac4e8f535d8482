// The open-file dialog and the folder chooser as the program asks for them:
// where they start, the filters they offer, and what they hand back (a
// cp1252 path, "not carriable" for names cp1252 cannot hold, empty on cancel).
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QTimer>

#include <functional>

#include "platform/files.h"
#include "support.h"

namespace kx {
namespace {

// Answers the next dialog from inside its own loop.
class Answer {
public:
    explicit Answer(std::function<void(QFileDialog*)> act) : act_(std::move(act)) {
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            QWidget* modal = QApplication::activeModalWidget();
            auto* dialog = qobject_cast<QFileDialog*>(modal);
            if (acted_ && ++stuck_ > 3000) {  // give up rather than hang (30 s: a loaded machine lists slowly)
                timer_.stop();
                for (QWidget* w : QApplication::topLevelWidgets())
                    if (auto* d = qobject_cast<QFileDialog*>(w); d && d->isVisible()) d->reject();
                return;
            }
            if (!dialog) {
                // An answer given while the dialog still lists its folder may
                // raise a "not found" box over it: close that and answer again.
                if (acted_ && modal) modal->close();
                return;
            }
            if (!dialog->isVisible()) return;
            // The dialog lists its folder in the background: an answer given
            // too early may not take, so it is given again until it does.
            if (acted_) {
                if (stuck_ % 25 == 0) act_(dialog);
                return;
            }
            acted_ = true;
            title = dialog->windowTitle();
            directory = dialog->directory().absolutePath();
            filters = dialog->nameFilters();
            chosenFilter = dialog->selectedNameFilter();
            hidesDetails = dialog->testOption(QFileDialog::HideNameFilterDetails);
            act_(dialog);
        });
        timer_.start(10);
    }
    QString title, directory, chosenFilter;
    QStringList filters;
    bool hidesDetails = false;

private:
    std::function<void(QFileDialog*)> act_;
    bool acted_ = false;
    int stuck_ = 0;
    QTimer timer_;
};

class Dialogs : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = std::string(KLARBRIX_BUILD_DIR) + "/qt_dialogs_test-" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name() + "/";
        fs::removeTree(folder_);
        ASSERT_TRUE(fs::makeFolder(folder_));
    }
    void TearDown() override { fs::removeTree(folder_); }
    QString qFolder() const { return QString::fromStdString(folder_); }
    std::string folder_;
    QtUi ui;
};

TEST_F(Dialogs, OpenFileStartsAtHomeWithTheFirstFilterAndReturnsThePath) {
    ASSERT_TRUE(fs::writeFile(folder_ + "film.mkv", "x"));
    Answer answer([&](QFileDialog* d) {
        d->selectFile(qFolder() + "film.mkv");
        static_cast<QDialog*>(d)->accept();
    });
    ChosenPath chosen = ui.openFileDialog("Choisissez un fichier à charger"_cp, "C:\\*.mkv",
                                          "mkv (*.mkv)|*.mkv|Tous les fichiers (*.*)|*.*", 1);
    EXPECT_EQ(answer.title, QString::fromUtf8("Choisissez un fichier à charger"));
    EXPECT_EQ(answer.directory, QDir::homePath());
    EXPECT_EQ(answer.filters, QStringList({"mkv (*.mkv) (*.mkv)", "Tous les fichiers (*.*) (*)"}));
    EXPECT_EQ(answer.chosenFilter, "mkv (*.mkv)");
    EXPECT_TRUE(answer.hidesDetails);  // the labels read as the program wrote them
    EXPECT_TRUE(chosen.carriable);
    EXPECT_EQ(chosen.path, folder_ + "film.mkv");
}

TEST(ChosenNames, ANameOutsideCp1252IsNotCarriable) {
    ChosenPath french = toChosenPath(QString::fromUtf8("/films/été.mkv"));
    EXPECT_TRUE(french.carriable);
    EXPECT_EQ(french.path, "/films/été.mkv"_cp);
    ChosenPath greek = toChosenPath(QString::fromUtf8("/films/\u03A9.mkv"));
    EXPECT_FALSE(greek.carriable);
    EXPECT_EQ(greek.path, "/films/?.mkv");
}

TEST_F(Dialogs, CancelGivesTheEmptyPath) {
    Answer answer([](QFileDialog* d) { d->reject(); });
    ChosenPath chosen = ui.openFileDialog("Choisir", "*.srt", "srt (*.srt)|*.srt|Tous les fichiers (*.*)|*.*", 2);
    EXPECT_EQ(answer.directory, QDir::homePath());
    EXPECT_EQ(answer.chosenFilter, "Tous les fichiers (*.*)");
    EXPECT_TRUE(chosen.path.empty());
    EXPECT_TRUE(chosen.carriable);
}

TEST_F(Dialogs, FolderChooserStartsAtTheRootAndEndsTheFolderWithASeparator) {
    ASSERT_TRUE(fs::makeFolder(folder_ + "remux"));
    Answer answer([&](QFileDialog* d) {
        d->setDirectory(qFolder() + "remux");
        static_cast<QDialog*>(d)->accept();
    });
    ChosenPath chosen = ui.chooseFolder("Choisissez un répertoire"_cp, "C:\\");
    EXPECT_EQ(answer.directory, "/");
    EXPECT_EQ(answer.title, QString::fromUtf8("Choisissez un répertoire"));
    EXPECT_EQ(chosen.path, folder_ + "remux/");

    Answer cancel([](QFileDialog* d) { d->reject(); });
    EXPECT_EQ(ui.chooseFolder("Choisissez un répertoire"_cp, "C:\\").path, "");
}

// Message boxes and questions are wide enough for the title bar to show the
// whole title beside its icon and buttons.
TEST(MessageBoxes, AreWideEnoughForTheirTitle) {
    QtUi ui;
    QFont bold = QApplication::font();
    bold.setBold(true);
    const std::string_view longTitle = "Choisissez un fichier à charger puis patientez un peu"_cp;
    struct Case {
        std::string_view title;
        bool question;
    } cases[] = {{informationTitle, false}, {longTitle, false}, {longTitle, true}};
    for (const Case& c : cases) {
        int width = 0;
        QTimer answer;
        QObject::connect(&answer, &QTimer::timeout, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box || !box->isVisible()) return;
            answer.stop();
            width = box->width();
            box->buttons().first()->click();
        });
        answer.start(10);
        if (c.question) ui.askYesNo(c.title, "Oui ?");
        else ui.messageBox(c.title, "OK.");
        EXPECT_GE(width, QFontMetrics(bold).horizontalAdvance(toQt(c.title)) + 100) << c.title;
    }
}

}  // namespace
}  // namespace kx
