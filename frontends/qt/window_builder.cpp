// QtUi's window builder: a window and its controls made from their
// description, the controls of pages not shown yet made when first needed,
// and the Tab order.
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

#include "base/encoding.h"
#include "frontends/qt/first_paint.h"
#include "frontends/qt/qt_ui_impl.h"

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

}  // namespace kx
