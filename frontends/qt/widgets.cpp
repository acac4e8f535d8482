// The front end's own widgets: window, hyperlink, drop-down list, balloon
// tool-tip and help page.
#include "frontends/qt/widgets.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QGridLayout>
#include <QMimeData>
#include <QHBoxLayout>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QStyle>
#include <QToolTip>
#include <QVBoxLayout>

#include <algorithm>
#include <mutex>
#include <thread>

#include "base/encoding.h"
#include "platform/default_program.h"
#include "ui/window_desc.h"

namespace kx {

QString toQt(std::string_view cp1252) { return QString::fromStdString(toUtf8(cp1252)); }

std::string fromQt(const QString& text) { return fromUtf8Lossy(text.toStdString()); }

ChosenPath toChosenPath(const QString& path) {
    std::string bytes = QFile::encodeName(path).toStdString();
    if (std::optional<std::string> text = fromUtf8(bytes)) return {*text, true};
    return {fromUtf8Lossy(bytes), false};
}

QString withoutMnemonics(QString text) { return text.replace(QLatin1Char('&'), QLatin1String("&&")); }

void prepareMessageBox(QMessageBox& box) {
    box.setTextFormat(Qt::PlainText);
    box.setWindowModality(Qt::ApplicationModal);
    // Title bars draw their text bold, in about the size of the program's.
    QFont titleFont = QApplication::font();
    titleFont.setBold(true);
    const int needed = QFontMetrics(titleFont).horizontalAdvance(box.windowTitle()) + titleBarRoom;
    // The box sets its own size when shown: a spacer across its layout makes room.
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout()))
        grid->addItem(new QSpacerItem(needed, 0, QSizePolicy::Minimum, QSizePolicy::Fixed), grid->rowCount(), 0, 1,
                      grid->columnCount());
}

QColor toQColor(Rgb colour) { return QColor(colour.red, colour.green, colour.blue); }

QFont controlFont() {
    QFont font(QString::fromLatin1(controlFontFamily));
    font.setPixelSize(controlFontPixels);
    return font;
}

void TopWindow::closeEvent(QCloseEvent* event) {
    event->ignore();
    if (onCloseRequest) onCloseRequest();
}

namespace {

// The first local file of a drag, or the empty text.
QString droppedFile(const QMimeData* data) {
    if (!data || !data->hasUrls()) return {};
    for (const QUrl& url : data->urls())
        if (url.isLocalFile() && !url.toLocalFile().isEmpty()) return url.toLocalFile();
    return {};
}

}  // namespace

void TopWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (onFileDropped && !droppedFile(event->mimeData()).isEmpty()) event->acceptProposedAction();
    else event->ignore();
}

void TopWindow::dropEvent(QDropEvent* event) {
    QString path = droppedFile(event->mimeData());
    if (!onFileDropped || path.isEmpty()) return event->ignore();
    event->acceptProposedAction();
    onFileDropped(path);
}

Hyperlink::Hyperlink(QWidget* parent) : QLabel(parent) {
    setTextFormat(Qt::PlainText);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::NoFocus);
    QPalette p = palette();
    p.setColor(QPalette::WindowText, Qt::black);
    p.setColor(QPalette::Text, Qt::black);
    setPalette(p);
    QFont f = font();
    f.setUnderline(false);
    setFont(f);
}

void Hyperlink::mouseReleaseEvent(QMouseEvent* event) {
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()) && onRelease) onRelease();
}

DropDown::DropDown(QWidget* parent, int openHeight) : QComboBox(parent), openHeight_(openHeight) {
    setEditable(false);
    setInsertPolicy(QComboBox::NoInsert);
}

void DropDown::showPopup() {
    int row = view()->sizeHintForRow(0);
    if (row <= 0) row = fontMetrics().height() + 4;
    setMaxVisibleItems(std::max(1, (openHeight_ - height()) / row));
    QComboBox::showPopup();
}

namespace {

const char tipText[] = "kxTipText", tipTitle[] = "kxTipTitle", tipIcon[] = "kxTipIcon";

}  // namespace

BalloonTips::BalloonTips() = default;

BalloonTips::~BalloonTips() { delete tip_; }

void BalloonTips::setFont(const QFont& font) {
    font_ = font;
    if (tip_) tip_->setFont(font);
}

QFrame* BalloonTips::tip() {
    if (tip_) return tip_;
    tip_ = new QFrame(nullptr, Qt::ToolTip | Qt::FramelessWindowHint);
    tip_->setObjectName("balloonTip");
    tip_->setFrameStyle(QFrame::Box | QFrame::Plain);
    tip_->setPalette(QToolTip::palette());
    tip_->setAutoFillBackground(true);
    tip_->setForegroundRole(QPalette::ToolTipText);
    tip_->setBackgroundRole(QPalette::ToolTipBase);
    tip_->setFont(font_ ? *font_ : QToolTip::font());

    icon_ = new QLabel(tip_);
    title_ = new QLabel(tip_);
    body_ = new QLabel(tip_);
    icon_->setObjectName("balloonIcon");
    title_->setObjectName("balloonTitle");
    body_->setObjectName("balloonText");
    for (QLabel* label : {title_, body_}) {
        label->setTextFormat(Qt::PlainText);
        label->setForegroundRole(QPalette::ToolTipText);
    }
    QFont bold = title_->font();
    bold.setBold(true);
    title_->setFont(bold);

    auto* head = new QHBoxLayout;
    head->setContentsMargins(0, 0, 0, 0);
    head->addWidget(icon_);
    head->addWidget(title_, 1);
    auto* column = new QVBoxLayout(tip_);
    column->setContentsMargins(6, 4, 6, 4);
    column->setSizeConstraint(QLayout::SetFixedSize);
    column->addLayout(head);
    column->addWidget(body_);
    return tip_;
}

void BalloonTips::hide() {
    if (tip_) tip_->hide();
}

void BalloonTips::attach(QWidget* control, const QString& text, const QString& title, int icon) {
    control->setProperty(tipText, text);
    control->setProperty(tipTitle, title);
    control->setProperty(tipIcon, icon);
    control->removeEventFilter(this);
    control->installEventFilter(this);
    connect(control, &QObject::destroyed, this, &BalloonTips::hide, Qt::UniqueConnection);
}

bool BalloonTips::eventFilter(QObject* watched, QEvent* event) {
    auto* control = qobject_cast<QWidget*>(watched);
    if (!control) return false;
    switch (event->type()) {
        case QEvent::ToolTip:
            show(control, static_cast<QHelpEvent*>(event)->globalPos());
            return true;  // the control's own tool-tip, if any, is not shown
        case QEvent::Leave:
        case QEvent::MouseButtonPress:
        case QEvent::Hide:
        case QEvent::WindowDeactivate:
            hide();
            break;
        default: break;
    }
    return false;
}

void BalloonTips::show(QWidget* control, const QPoint& globalPos) {
    QString text = control->property(tipText).toString();
    if (text.isEmpty() || !control->window()->isActiveWindow()) {
        hide();
        return;
    }
    QFrame* frame = tip();
    QString title = control->property(tipTitle).toString();
    int icon = control->property(tipIcon).toInt();
    title_->setText(title);
    title_->setVisible(!title.isEmpty());
    QStyle::StandardPixmap pixmaps[] = {QStyle::SP_MessageBoxInformation, QStyle::SP_MessageBoxWarning,
                                        QStyle::SP_MessageBoxCritical};
    bool withIcon = !title.isEmpty() && icon >= 1 && icon <= 3;
    if (withIcon) icon_->setPixmap(frame->style()->standardIcon(pixmaps[icon - 1]).pixmap(16, 16));
    icon_->setVisible(withIcon);

    // Wrap at the maximum width only when the text needs it; shorter tips
    // keep their own width.
    body_->setText(text);
    QFontMetrics metrics(body_->font());
    int natural = 0;
    for (const QString& line : text.split(QLatin1Char('\n'))) natural = std::max(natural, metrics.horizontalAdvance(line));
    bool wrap = natural > maxWidth;
    body_->setWordWrap(wrap);
    body_->setFixedWidth(std::min(natural, maxWidth));
    body_->setFixedHeight(wrap ? body_->heightForWidth(maxWidth) : metrics.height());

    frame->adjustSize();
    frame->move(globalPos + QPoint(2, 18));
    frame->show();
}

// The state a download thread shares with its page: the page takes it
// away when it goes, so a late answer is dropped.
struct HelpPage::Token {
    std::mutex mutex;
    HelpPage* page = nullptr;
};

HelpPage::HelpPage(QWidget* parent, std::shared_ptr<HelpPages> pages)
    : QTextBrowser(parent), pages_(std::move(pages)), token_(std::make_shared<Token>()) {
    token_->page = this;
    setOpenLinks(false);
    setOpenExternalLinks(false);
    connect(this, &QTextBrowser::anchorClicked, this, [this](const QUrl& link) {
        QUrl target = QUrl(address_).resolved(link);
        if (target.scheme() == QLatin1String("http")) load(target.toString());
        else openWithDefaultProgram(fromQt(target.toString()));
    });
}

HelpPage::~HelpPage() {
    std::lock_guard lock(token_->mutex);
    token_->page = nullptr;
}

QVariant HelpPage::loadResource(int, const QUrl&) {
    return {};  // the page's pictures and style sheets are not fetched, and local files are never read
}

namespace {

bool validUtf8(const std::string& text) {
    for (std::size_t i = 0; i < text.size();)
        if (decodeUtf8(text, i) > 0x10FFFF) return false;
    return true;
}

}  // namespace

void HelpPage::load(const QString& url) {
    address_ = url;
    unsigned generation = ++generation_;
    settled_ = false;
    clear();

    std::optional<std::string> target = fromUtf8(url.toStdString());
    if (!pages_ || !target) {
        arrive(generation, std::nullopt);
        return;
    }
    std::thread([token = token_, pages = pages_, target = *target, generation] {
        std::optional<std::string> body = pages->fetch(target);
        std::lock_guard lock(token->mutex);
        if (HelpPage* page = token->page)
            QMetaObject::invokeMethod(
                page, [page, generation, body = std::move(body)] { page->arrive(generation, body); },
                Qt::QueuedConnection);
    }).detach();
}

void HelpPage::arrive(unsigned generation, std::optional<std::string> body) {
    if (generation != generation_) return;  // a later page was asked for meanwhile
    settled_ = true;
    if (!body) {
        setPlainText(toQt(helpPageUnavailableText(fromUtf8Lossy(address_.toStdString()))));
        return;
    }
    setHtml(validUtf8(*body) ? QString::fromStdString(*body) : toQt(*body));
}

}  // namespace kx
