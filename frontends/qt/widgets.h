// The few widgets the desktop front end needs beyond Qt's own: a top-level
// window that leaves closing to the program, the hyperlink text, the
// drop-down list of fixed open height, the balloon tool-tip and the help page.
#pragma once

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QTextBrowser>
#include <QUrl>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/help_pages.h"
#include "ui/ui.h"

namespace kx {

// UTF-8 QString from cp1252 text and back (unknown letters become '?').
QString toQt(std::string_view cp1252);
std::string fromQt(const QString& text);
// A name a dialog returned, as cp1252; not carriable when cp1252 lacks a letter of it.
ChosenPath toChosenPath(const QString& path);
// Captions of buttons, tabs and menus show their ampersands as typed.
QString withoutMnemonics(QString text);

// The program's message boxes and questions: plain text, modal for the whole
// program, and at least as wide as the title bar needs to show the whole title
// beside the window manager's icon and buttons (Qt's own allowance is too
// narrow for the usual desktops: "Information" showed cut).
void prepareMessageBox(QMessageBox& box);
inline constexpr int titleBarRoom = 150;  // pixels beside the title: icon, buttons, margins

// The colour as Qt takes it.
QColor toQColor(Rgb colour);

// The one font of every window and control, narrow enough for every caption
// to fit its control at the windows' fixed pixel sizes.
inline constexpr char controlFontFamily[] = "Liberation Sans Narrow";
inline constexpr int controlFontPixels = 12;
QFont controlFont();

// A window whose close box asks the program instead of closing. With
// onFileDropped set (and drops accepted), a local file dropped on it is
// handed over.
class TopWindow : public QWidget {
public:
    std::function<void()> onCloseRequest;
    std::function<void(const QString& path)> onFileDropped;

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
};

// Black text that does not change on hover, with a hand pointer; releasing
// the left mouse button over it reports.
class Hyperlink : public QLabel {
public:
    explicit Hyperlink(QWidget* parent);
    std::function<void()> onRelease;

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};

// A list that cannot be typed into; opened, it and its list are at most
// `openHeight` pixels high.
class DropDown : public QComboBox {
public:
    DropDown(QWidget* parent, int openHeight);
    void showPopup() override;

private:
    int openHeight_;
};

// Balloon tool-tips: one tip window shared by every control that has a tip.
// The tip text, title and icon live on the control (see attach); the tip is
// shown while the pointer rests on the control of the active window.
class BalloonTips : public QObject {
public:
    static constexpr int maxWidth = 180;
    BalloonTips();
    ~BalloonTips() override;
    void attach(QWidget* control, const QString& text, const QString& title, int icon);
    // The font of the tips (QToolTip's font at first).
    void setFont(const QFont& font);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void show(QWidget* control, const QPoint& globalPos);
    void hide();
    // The tip window, made when the first tip is shown (hidden when no tip is shown).
    QFrame* tip();
    std::optional<QFont> font_;
    QFrame* tip_ = nullptr;
    QLabel* icon_ = nullptr;
    QLabel* title_ = nullptr;
    QLabel* body_ = nullptr;
};

// The help window's page: fetched from the help pages service off the owning
// thread and shown as rich text (or, when it cannot be had, a word saying so
// with its address); links to other pages of plain HTTP sites load here too,
// other links go to the desktop.
class HelpPage : public QTextBrowser {
public:
    HelpPage(QWidget* parent, std::shared_ptr<HelpPages> pages);
    ~HelpPage() override;
    void load(const QString& url);
    QString address() const { return address_; }
    // Whether the last requested page has arrived (or failed).
    bool settled() const { return settled_; }

    QVariant loadResource(int type, const QUrl& name) override;

private:
    struct Token;
    void arrive(unsigned generation, std::optional<std::string> body);
    std::shared_ptr<HelpPages> pages_;
    std::shared_ptr<Token> token_;
    QString address_;
    unsigned generation_ = 0;
    bool settled_ = true;
};

}  // namespace kx
