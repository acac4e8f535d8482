// The Qt realisation of the Ui boundary. Every call runs on the thread that
// owns the windows: calls from other threads are carried over there and wait
// for it. User actions become events in a queue that waitEvent() serves.
#include "frontends/qt/qt_ui.h"

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QFileDialog>
#include <QGroupBox>
#include <QHeaderView>
#include <QMenuBar>
#include <QMessageBox>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QStyleOptionButton>
#include <QTabWidget>
#include <QToolTip>
#include <QThread>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <optional>
#include <type_traits>
#include <utility>

#include "base/encoding.h"
#include "frontends/qt/dialog_rules.h"
#include "frontends/qt/first_paint.h"
#include "frontends/qt/widgets.h"

namespace kx {

namespace {

constexpr int statusMinHeight = 18;
constexpr int dropDownOpenHeight = 350;

Qt::WindowFlags flagsFor(WindowFrame frame) {
    Qt::WindowFlags flags = Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    switch (frame) {
        case WindowFrame::fixedWithMinimise:
            return flags | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint;
        case WindowFrame::closable: return flags | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
        case WindowFrame::resizableNoClose:
        case WindowFrame::titleOnly: return flags;
    }
    return flags;
}

}  // namespace

class QtUi::Impl : public QObject {
public:
    // A control of a panel page not shown yet, with its own copy of the texts.
    struct PendingControl {
        ControlDesc desc;
        std::string name, caption;
    };
    struct Tip {
        QString text, title;
        int icon;
    };
    struct Window {
        QPointer<TopWindow> top;
        QLabel* status = nullptr;
        QMenuBar* menuBar = nullptr;
        QTabWidget* panel = nullptr;
        std::vector<int> order;  // every control, in creation order (the Tab order)
        // The controls of the pages other than the first are made when their
        // page is first shown, or when one of them is first asked for: most
        // sessions never open the queue, and start-up does not pay for it.
        std::vector<PendingControl> pending;
        std::map<int, Tip> pendingTips;
    };
    struct Control {
        QPointer<QWidget> widget;
        ControlKind kind;
        int window;
    };

    // Runs `f` on the owning thread and returns its result; other threads wait.
    template <typename F>
    auto onGui(F&& f) -> std::invoke_result_t<F&> {
        using R = std::invoke_result_t<F&>;
        if (QThread::currentThread() == thread()) return f();
        if constexpr (std::is_void_v<R>) {
            QMetaObject::invokeMethod(this, [&] { f(); }, Qt::BlockingQueuedConnection);
        } else {
            std::optional<R> result;
            QMetaObject::invokeMethod(this, [&] { result.emplace(f()); }, Qt::BlockingQueuedConnection);
            return result ? std::move(*result) : R{};
        }
    }

    // The widget of a control of the given kinds, or null.
    template <typename W>
    W* find(int id) {
        if (auto waiting = pendingControls.find(id); waiting != pendingControls.end()) makePending(waiting->second);
        auto it = controls.find(id);
        if (it == controls.end() || !it->second.widget) return nullptr;
        return dynamic_cast<W*>(it->second.widget.data());
    }

    // An event, and for a click queued by openWithFile the open-file
    // dialog's answer while that click is handled.
    struct Queued {
        Event event;
        std::optional<ChosenPath> answer;
    };

    void push(Event event, std::optional<ChosenPath> answer = std::nullopt) {
        if (onEvent) onEvent(event);
        {
            std::lock_guard lock(queueMutex);
            queue.push_back({event, std::move(answer)});
        }
        queueChanged.notify_all();
    }

    // The next event; the dialog answer of the event handled before it, if
    // the program did not ask for it, goes (queueMutex held).
    Event take() {
        Queued next = std::move(queue.front());
        queue.pop_front();
        dialogAnswer = std::move(next.answer);
        return next.event;
    }

    std::optional<Event> pop() {
        std::lock_guard lock(queueMutex);
        if (queue.empty()) return std::nullopt;
        return take();
    }

    std::optional<ChosenPath> takeDialogAnswer() {
        std::lock_guard lock(queueMutex);
        return std::exchange(dialogAnswer, std::nullopt);
    }

    void close(int id) {
        auto it = windows.find(id);
        if (it == windows.end()) return;
        // Forgotten before the widgets go, so nothing their going sets off finds it.
        QPointer<TopWindow> top = it->second.top;
        windows.erase(it);
        std::erase_if(controls, [id](const auto& entry) { return entry.second.window == id; });
        std::erase_if(pendingControls, [id](const auto& entry) { return entry.second == id; });
        delete top.data();
    }

    bool open(const WindowDesc& desc);
    QWidget* makeControl(const ControlDesc& c, int window, QWidget* parent);
    // Makes the window's pending controls, shows those of a shown page, gives
    // them the tips they were given meanwhile and puts them in the Tab order.
    void makePending(int window);
    void setTabOrder(const Window& window);

    std::map<int, Window> windows;
    std::map<int, Control> controls;
    std::map<int, int> pendingControls;  // control -> window
    BalloonTips tips;
    std::shared_ptr<HelpPages> helpPages;  // where the help page gets its pages

    std::mutex queueMutex;
    std::condition_variable queueChanged;
    std::deque<Queued> queue;
    std::optional<ChosenPath> dialogAnswer;

    std::function<void(const Event&)> onEvent;
    std::function<void(std::string_view)> onMessage;
};

bool QtUi::Impl::open(const WindowDesc& desc) {
    close(desc.id);
    auto* top = new TopWindow;
    top->setObjectName(QStringLiteral("window%1").arg(desc.id));
    top->setWindowFlags(flagsFor(desc.frame));
    top->setWindowTitle(toQt(desc.title));
    top->setFont(controlFont());
    if (hasCloseBox(desc.frame))
        top->onCloseRequest = [this, id = desc.id] { push({Event::close, 0, id}); };
    if (desc.id == mainWindow) {
        watchFirstPaint(top);
        top->setAcceptDrops(true);
        top->onFileDropped = [this](const QString& path) {
            push({Event::control, openButton, mainWindow}, toChosenPath(path));
        };
    }

    auto* layout = new QVBoxLayout(top);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    Window window;
    window.top = top;
    if (!desc.menuTitle.empty()) {
        window.menuBar = new QMenuBar(top);
        QMenu* menu = window.menuBar->addMenu(withoutMnemonics(toQt(desc.menuTitle)));
        for (const MenuItemDesc& item : desc.menuItems) {
            QAction* action = menu->addAction(withoutMnemonics(toQt(item.text)));
            connect(action, &QAction::triggered, this,
                    [this, id = item.id, w = desc.id] { push({Event::menu, id, w}); });
        }
        layout->setMenuBar(window.menuBar);
    }
    auto* client = new QWidget(top);
    client->setObjectName(QStringLiteral("client"));
    layout->addWidget(client);
    bool fixed = desc.frame != WindowFrame::resizableNoClose;
    if (fixed) {
        client->setFixedSize(desc.clientWidth, desc.clientHeight);
        layout->setSizeConstraint(QLayout::SetFixedSize);
    }

    if (desc.statusBar) {
        auto* bar = new QStatusBar(client);
        bar->setObjectName(QStringLiteral("statusBar"));
        bar->setSizeGripEnabled(false);
        window.status = new QLabel(bar);
        window.status->setTextFormat(Qt::PlainText);
        bar->addWidget(window.status, 1);
        int height = std::max(statusMinHeight, bar->sizeHint().height());
        bar->setGeometry(0, desc.clientHeight - height, desc.clientWidth, height);
    }

    // Controls in creation order; the pages of the panel hold theirs.
    for (const ControlDesc& c : desc.controls) {
        QTabWidget* panel = window.panel;
        bool onPage = c.page >= 0 && panel && c.page < panel->count();
        window.order.push_back(c.id);
        if (onPage && c.page != panel->currentIndex()) {
            window.pending.push_back({c, std::string(c.name), std::string(c.caption)});
            pendingControls[c.id] = desc.id;
            continue;
        }
        QWidget* w = makeControl(c, desc.id, onPage ? panel->widget(c.page) : client);
        if (c.kind == ControlKind::tabPanel) {
            window.panel = static_cast<QTabWidget*>(w);
            for (std::string_view title : desc.tabs) window.panel->addTab(new QWidget, withoutMnemonics(toQt(title)));
            connect(window.panel, &QTabWidget::currentChanged, this, [this, id = desc.id] { makePending(id); });
        }
    }
    setTabOrder(window);
    windows[desc.id] = window;

    if (fixed) layout->activate();
    else top->resize(desc.clientWidth, desc.clientHeight + (window.menuBar ? window.menuBar->sizeHint().height() : 0));
    QScreen* screen = QGuiApplication::primaryScreen();
    QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 800, 600);
    if (desc.centred) top->move(area.center() - QPoint(top->width() / 2, top->height() / 2));
    else top->move(area.topLeft());
    top->show();
    return true;
}

void QtUi::Impl::makePending(int id) {
    auto it = windows.find(id);
    if (it == windows.end() || it->second.pending.empty()) return;
    Window& window = it->second;
    std::vector<PendingControl> pending = std::exchange(window.pending, {});
    std::map<int, Tip> tipsGiven = std::exchange(window.pendingTips, {});
    for (PendingControl& p : pending) {
        pendingControls.erase(p.desc.id);
        p.desc.name = p.name;
        p.desc.caption = p.caption;
        QWidget* page = window.panel->widget(p.desc.page);
        QWidget* w = makeControl(p.desc, id, page);
        if (page->isVisible()) w->show();  // children made after their parent was shown stay hidden otherwise
        if (auto tip = tipsGiven.find(p.desc.id); tip != tipsGiven.end())
            tips.attach(w, tip->second.text, tip->second.title, tip->second.icon);
    }
    setTabOrder(window);
}

void QtUi::Impl::setTabOrder(const Window& window) {
    QWidget* previous = nullptr;
    for (int id : window.order) {
        auto it = controls.find(id);
        if (it == controls.end() || !it->second.widget) continue;
        QWidget* w = it->second.widget;
        if (!(w->focusPolicy() & Qt::TabFocus)) continue;
        if (previous) QWidget::setTabOrder(previous, w);
        previous = w;
    }
}

QWidget* QtUi::Impl::makeControl(const ControlDesc& c, int window, QWidget* parent) {
    QWidget* w = nullptr;
    auto report = [this, id = c.id, window] { push({Event::control, id, window}); };
    switch (c.kind) {
        case ControlKind::label: {
            auto* label = new QLabel(parent);
            label->setTextFormat(Qt::PlainText);
            label->setText(toQt(c.caption));
            label->setAlignment((c.centred ? Qt::AlignHCenter : Qt::AlignLeft) | Qt::AlignVCenter);
            if (c.sunken) label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
            w = label;
            break;
        }
        case ControlKind::button: {
            auto* button = new QPushButton(withoutMnemonics(toQt(c.caption)), parent);
            button->setAutoDefault(false);
            connect(button, &QPushButton::clicked, this, report);
            w = button;
            break;
        }
        case ControlKind::checkBox: {
            auto* box = new QCheckBox(parent);
            connect(box, &QCheckBox::clicked, this, report);
            w = box;
            break;
        }
        case ControlKind::dropDown: {
            auto* list = new DropDown(parent, dropDownOpenHeight);
            connect(list, &QComboBox::activated, this, report);
            w = list;
            break;
        }
        case ControlKind::columnList: {
            auto* list = new QTreeWidget(parent);
            list->setRootIsDecorated(false);
            list->setItemsExpandable(false);
            list->setUniformRowHeights(true);
            list->setSelectionMode(QAbstractItemView::SingleSelection);
            list->setSelectionBehavior(QAbstractItemView::SelectRows);
            list->setAllColumnsShowFocus(true);
            list->header()->setStretchLastSection(false);
            list->header()->setSectionsMovable(false);
            list->setHeaderLabels({toQt(c.caption)});
            list->setColumnWidth(0, 100);
            w = list;
            break;
        }
        case ControlKind::progress: {
            auto* bar = new QProgressBar(parent);
            bar->setRange(0, 100);
            bar->setValue(0);
            bar->setTextVisible(false);
            w = bar;
            break;
        }
        case ControlKind::image: {
            auto* image = new QLabel(parent);
            image->setPixmap(QPixmap(QStringLiteral(":/klarbrix/logo.png")));
            image->setAlignment(Qt::AlignCenter);
            w = image;
            break;
        }
        case ControlKind::frame: {
            QFrame* frame = nullptr;
            if (c.sunken) {
                frame = new QFrame(parent);
                frame->setFrameStyle(QFrame::Panel | QFrame::Sunken);
                w = frame;
            } else {
                w = new QGroupBox(parent);
            }
            // Drawn beneath the controls it surrounds, and never in their way.
            w->setAttribute(Qt::WA_TransparentForMouseEvents);
            w->setFocusPolicy(Qt::NoFocus);
            break;
        }
        case ControlKind::hyperlink: {
            auto* link = new Hyperlink(parent);
            link->setText(toQt(c.caption));
            link->onRelease = report;
            w = link;
            break;
        }
        case ControlKind::tabPanel: w = new QTabWidget(parent); break;
        case ControlKind::webPage: w = new HelpPage(parent, helpPages); break;
    }
    w->setObjectName(toQt(c.name));
    w->setProperty("kxControl", c.id);
    w->setGeometry(c.x, c.y, c.width, c.height);
    if (c.kind == ControlKind::frame) w->lower();
    controls[c.id] = {w, c.kind, window};
    return w;
}

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
