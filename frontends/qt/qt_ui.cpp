// The Qt realisation of the Ui boundary. Every call runs on the thread that
// owns the windows: calls from other threads are carried over there and wait
// for it. User actions become events in a queue that waitEvent() serves.
#include "frontends/qt/qt_ui.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QToolTip>
#include <QTreeWidget>

#include <algorithm>

#include "base/encoding.h"
#include "frontends/qt/dialog_rules.h"
#include "frontends/qt/qt_ui_impl.h"

namespace kx {

QtUi::QtUi(std::shared_ptr<HelpPages> helpPages) : d_(std::make_unique<Impl>()) {
    d_->helpPages = std::move(helpPages);
    // The program decides when it ends; Qt must not end its loops by itself.
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/klarbrix/icon.png")));
    // One font throughout: the windows' controls, menus, messages, dialogs and tips.
    QApplication::setFont(controlFont());
    QToolTip::setFont(controlFont());
    d_->tips.setFont(controlFont());
}

QtUi::~QtUi() {
    std::vector<int> open;
    for (const auto& entry : d_->windows) open.push_back(entry.first);
    for (int id : open) d_->close(id);
}

QWidget* QtUi::windowWidget(int window) {
    d_->makePending(window);  // the window whole, as it is once every page has been shown
    auto it = d_->windows.find(window);
    return it == d_->windows.end() ? nullptr : it->second.top.data();
}

void QtUi::openWithFile(const QString& path) {
    d_->onGui([&] { d_->push({Event::control, openButton, mainWindow}, toChosenPath(path)); });
}

void QtUi::watchEvents(std::function<void(const Event&)> onEvent) {
    d_->onGui([&] { d_->onEvent = std::move(onEvent); });
}

void QtUi::watchMessages(std::function<void(std::string_view text)> onMessage) {
    d_->onGui([&] { d_->onMessage = std::move(onMessage); });
}

void QtUi::watchRuns(std::function<void(RunKind kind, bool started)> onRun) {
    d_->onGui([&] { d_->onRun = std::move(onRun); });
}

void QtUi::runStarted(RunKind kind) {
    d_->onGui([&] {
        if (d_->onRun) d_->onRun(kind, true);
    });
}

void QtUi::runEnded(RunKind kind) {
    d_->onGui([&] {
        if (d_->onRun) d_->onRun(kind, false);
    });
}

bool QtUi::openWindow(const WindowDesc& window) {
    return d_->onGui([&] { return d_->open(window); });
}

void QtUi::closeWindow(int window) {
    d_->onGui([&] { d_->close(window); });
}

void QtUi::addMenuTitle(int window, std::string_view title) {
    d_->onGui([&] {
        auto it = d_->windows.find(window);
        if (it != d_->windows.end() && it->second.menuBar)
            it->second.menuBar->addAction(withoutMnemonics(toQt(title)));  // a title without items does nothing
    });
}

void QtUi::setText(int control, std::string_view text) {
    d_->onGui([&] {
        QString t = toQt(text);
        if (auto* page = d_->find<HelpPage>(control)) page->load(t);
        else if (auto* button = d_->find<QPushButton>(control)) button->setText(withoutMnemonics(t));
        else if (auto* label = d_->find<QLabel>(control); label && label->pixmap().isNull()) label->setText(t);
    });
}

std::string QtUi::text(int control) {
    return d_->onGui([&] {
        if (auto* page = d_->find<HelpPage>(control)) return fromQt(page->address());
        if (auto* button = d_->find<QPushButton>(control)) return fromQt(button->text().replace("&&", "&"));
        if (auto* label = d_->find<QLabel>(control)) return fromQt(label->text());
        if (auto* list = d_->find<QComboBox>(control)) return fromQt(list->currentText());
        return std::string();
    });
}

void QtUi::setChecked(int control, bool checked) {
    d_->onGui([&] {
        if (auto* box = d_->find<QCheckBox>(control)) box->setChecked(checked);
    });
}

bool QtUi::checked(int control) {
    return d_->onGui([&] {
        auto* box = d_->find<QCheckBox>(control);
        return box && box->isChecked();
    });
}

void QtUi::addItem(int control, std::string_view text) {
    d_->onGui([&] {
        if (auto* list = d_->find<QComboBox>(control)) {
            int chosen = list->currentIndex();
            list->addItem(toQt(text));
            list->setCurrentIndex(chosen);  // adding never selects
        }
    });
}

void QtUi::insertItem(int control, int index, std::string_view text) {
    d_->onGui([&] {
        auto* list = d_->find<QComboBox>(control);
        if (!list || index < 0 || index > list->count()) return;
        int chosen = list->currentIndex();
        list->insertItem(index, toQt(text));
        list->setCurrentIndex(chosen >= index ? chosen + 1 : chosen);  // the same item stays chosen
    });
}

void QtUi::clearItems(int control) {
    d_->onGui([&] {
        if (auto* list = d_->find<QComboBox>(control)) list->clear();
        else if (auto* rows = d_->find<QTreeWidget>(control)) rows->clear();
    });
}

int QtUi::itemCount(int control) {
    return d_->onGui([&] {
        if (auto* list = d_->find<QComboBox>(control)) return list->count();
        if (auto* rows = d_->find<QTreeWidget>(control)) return rows->topLevelItemCount();
        return 0;
    });
}

std::string QtUi::itemText(int control, int index) {
    return d_->onGui([&] {
        auto* list = d_->find<QComboBox>(control);
        if (!list || index < 0 || index >= list->count()) return std::string();
        return fromQt(list->itemText(index));
    });
}

void QtUi::select(int control, int index) {
    d_->onGui([&] {
        auto* list = d_->find<QComboBox>(control);
        if (list && index >= -1 && index < list->count()) list->setCurrentIndex(index);
    });
}

int QtUi::selected(int control) {
    return d_->onGui([&] {
        auto* list = d_->find<QComboBox>(control);
        return list ? list->currentIndex() : -1;
    });
}

void QtUi::addColumn(int control, std::string_view title, int width) {
    d_->onGui([&] {
        auto* list = d_->find<QTreeWidget>(control);
        if (!list) return;
        int column = list->columnCount();
        list->setColumnCount(column + 1);
        list->headerItem()->setText(column, toQt(title));
        list->setColumnWidth(column, width);
    });
}

int QtUi::columnCount(int control) {
    return d_->onGui([&] {
        auto* list = d_->find<QTreeWidget>(control);
        return list ? list->columnCount() : 0;
    });
}

void QtUi::addRow(int control, const std::vector<std::string>& cells) {
    d_->onGui([&] {
        auto* list = d_->find<QTreeWidget>(control);
        if (!list) return;
        auto* row = new QTreeWidgetItem;
        for (std::size_t i = 0; i < cells.size(); ++i) row->setText(int(i), toQt(cells[i]));
        list->addTopLevelItem(row);
    });
}

void QtUi::removeRow(int control, int row) {
    d_->onGui([&] {
        auto* list = d_->find<QTreeWidget>(control);
        if (list && row >= 0 && row < list->topLevelItemCount()) delete list->takeTopLevelItem(row);
    });
}

std::string QtUi::cellText(int control, int row, int column) {
    return d_->onGui([&] {
        auto* list = d_->find<QTreeWidget>(control);
        if (!list || row < 0 || row >= list->topLevelItemCount() || column < 0) return std::string();
        return fromQt(list->topLevelItem(row)->text(column));
    });
}

void QtUi::setRowColour(int control, int row, RowColour colour) {
    d_->onGui([&] {
        auto* list = d_->find<QTreeWidget>(control);
        if (!list || row < 0 || row >= list->topLevelItemCount()) return;
        QBrush brush;
        if (colour == RowColour::green) brush = QColor(0, 200, 0);
        else if (colour == RowColour::red) brush = QColor(200, 0, 0);
        else if (colour == RowColour::working) brush = QColor(255, 200, 0);
        QTreeWidgetItem* item = list->topLevelItem(row);
        for (int column = 0; column < std::max(list->columnCount(), item->columnCount()); ++column)
            item->setBackground(column, brush);
    });
}

void QtUi::setProgress(int control, int value) {
    d_->onGui([&] {
        if (auto* bar = d_->find<QProgressBar>(control)) bar->setValue(std::clamp(value, 0, 100));
    });
}

void QtUi::setStatus(std::string_view text) {
    d_->onGui([&] {
        auto it = d_->windows.find(mainWindow);
        if (it != d_->windows.end() && it->second.status) it->second.status->setText(toQt(text));
    });
}

void QtUi::setFocus(int control) {
    d_->onGui([&] {
        if (auto* w = d_->find<QWidget>(control)) w->setFocus(Qt::OtherFocusReason);
    });
}

void QtUi::showBalloonTip(int control, std::string_view text, std::string_view title, int icon) {
    d_->onGui([&] {
        if (auto waiting = d_->pendingControls.find(control); waiting != d_->pendingControls.end()) {
            d_->windows[waiting->second].pendingTips[control] = {toQt(text), toQt(title), icon};
            return;
        }
        if (auto* w = d_->find<QWidget>(control)) d_->tips.attach(w, toQt(text), toQt(title), icon);
    });
}

Event QtUi::waitEvent() {
    if (QThread::currentThread() != d_->thread()) {
        // Another thread waits while the owning thread runs Qt's loop.
        std::unique_lock lock(d_->queueMutex);
        d_->queueChanged.wait(lock, [this] { return !d_->queue.empty(); });
        return d_->take();
    }
    for (;;) {
        if (std::optional<Event> e = d_->pop()) return *e;
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
}

void QtUi::messageBox(std::string_view title, std::string_view text) {
    d_->onGui([&] {
        if (d_->onMessage) d_->onMessage(text);
        QMessageBox box(QMessageBox::NoIcon, toQt(title), toQt(text), QMessageBox::Ok);
        box.setTextFormat(Qt::PlainText);
        box.setWindowModality(Qt::ApplicationModal);
        box.exec();
    });
}

ChosenPath QtUi::openFileDialog(std::string_view title, std::string_view initialFile, std::string_view filter,
                                int firstFilter) {
    if (std::optional<ChosenPath> answer = d_->takeDialogAnswer()) return *answer;
    return d_->onGui([&] {
        QFileDialog dialog(nullptr, toQt(title));
        dialog.setWindowModality(Qt::ApplicationModal);
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
        // Labels are shown as given; the patterns in brackets are for Qt.
        dialog.setOption(QFileDialog::HideNameFilterDetails);
        QStringList filters;
        for (const FileFilter& f : parseFileFilters(filter)) {
            QStringList patterns;
            for (const std::string& p : f.patterns) patterns << toQt(p);
            filters << toQt(f.label) + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
        }
        if (!filters.isEmpty()) {
            dialog.setNameFilters(filters);
            if (firstFilter >= 1 && firstFilter <= filters.size()) dialog.selectNameFilter(filters[firstFilter - 1]);
        }
        DialogStart start = fileDialogStart(initialFile);
        dialog.setDirectory(start.folder.empty() ? QDir::homePath() : toQt(start.folder));
        if (!start.fileName.empty()) dialog.selectFile(toQt(start.fileName));
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return ChosenPath{};
        return toChosenPath(dialog.selectedFiles().first());
    });
}

ChosenPath QtUi::chooseFolder(std::string_view title, std::string_view initialFolder) {
    return d_->onGui([&] {
        QFileDialog dialog(nullptr, toQt(title));
        dialog.setWindowModality(Qt::ApplicationModal);
        dialog.setFileMode(QFileDialog::Directory);
        dialog.setOption(QFileDialog::ShowDirsOnly);
        std::string start = folderDialogStart(initialFolder);
        dialog.setDirectory(start.empty() ? QDir::homePath() : toQt(start));
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return ChosenPath{};
        ChosenPath chosen = toChosenPath(dialog.selectedFiles().first());
        chosen.path = withTrailingSeparator(chosen.path);
        return chosen;
    });
}

}  // namespace kx
