// The in-memory front end: control state, the command reader and the transcript.
#include "frontends/memory/memory_ui.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <sstream>
#include <thread>

#include "base/encoding.h"

namespace kx {

namespace {

std::string utf8(std::string_view cp1252) { return toUtf8(cp1252); }

const char* colourName(RowColour colour) {
    switch (colour) {
        case RowColour::green: return "green";
        case RowColour::red: return "red";
        case RowColour::working: return "working";
        default: return "none";
    }
}

bool reported(int window) { return window != mainWindow; }

}  // namespace

MemoryUi::MemoryUi(std::istream& commands, std::ostream& transcript) : commands_(commands), transcript_(transcript) {
    // Every write and flush of the transcript holds the lock; a command
    // stream tied to it would flush it on each read, without the lock.
    commands_.tie(nullptr);
}

void MemoryUi::say(const std::string& line) {
    transcript_ << line << '\n';
    transcript_.flush();
}

void MemoryUi::windowOpened(int window) {
    if (reported(window)) say("window: " + std::to_string(window) + " opened");
}

void MemoryUi::windowClosed(int window) {
    if (reported(window)) say("window: " + std::to_string(window) + " closed");
}

void MemoryUi::progressSet(int, int value) { say("progress: " + std::to_string(value)); }

void MemoryUi::setStatus(std::string_view text) {
    std::lock_guard lock(mutex_);
    say("status: " + utf8(text));
}

// A message of several lines gives one transcript line each.
void MemoryUi::sayLines(std::string_view head, std::string_view text) {
    if (text.ends_with("\r\n")) text.remove_suffix(2);
    for (;;) {
        std::size_t end = text.find("\r\n");
        say(std::string(head) + utf8(text.substr(0, end)));
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + 2);
    }
}

void MemoryUi::messageBox(std::string_view, std::string_view text) {
    std::lock_guard lock(mutex_);
    sayLines("message: ", text);
}

bool MemoryUi::askYesNo(std::string_view, std::string_view text) {
    std::lock_guard lock(mutex_);
    sayLines("question: ", text);
    if (replies_.empty()) return ended_;
    bool yes = replies_.front();
    replies_.pop_front();
    return yes;
}

void MemoryUi::post(Event event) {
    std::lock_guard lock(mutex_);
    posted_.push_back(event);
}

ChosenPath MemoryUi::nextAnswer(std::deque<ChosenPath>& answers) {
    std::lock_guard lock(mutex_);
    if (answers.empty()) return {};
    ChosenPath answer = answers.front();
    answers.pop_front();
    return answer;
}

ChosenPath MemoryUi::openFileDialog(std::string_view, std::string_view, std::string_view, int) {
    return nextAnswer(fileAnswers_);
}

ChosenPath MemoryUi::chooseFolder(std::string_view, std::string_view) { return nextAnswer(folderAnswers_); }

bool MemoryUi::open(std::string_view target) {
    std::lock_guard lock(mutex_);
    say("open: " + utf8(target));
    return true;
}

void MemoryUi::loadSound(const std::string&) {}

void MemoryUi::playSound() {
    std::lock_guard lock(mutex_);
    say("sound");
}

void MemoryUi::show(int id) {
    std::lock_guard lock(mutex_);
    std::string n = std::to_string(id);
    Control* c = find(id);
    if (!c) return say(n + " missing");
    switch (c->kind) {
        case ControlKind::checkBox: return say(n + " state: " + (c->checked ? "1" : "0"));
        case ControlKind::progress: return say(n + " value: " + std::to_string(c->value));
        case ControlKind::dropDown:
            say(n + " items: " + std::to_string(c->items.size()));
            for (std::size_t i = 0; i < c->items.size(); ++i)
                say(n + " item " + std::to_string(i) + ": " + utf8(c->items[i]));
            return say(n + " selected: " + std::to_string(c->selected));
        case ControlKind::columnList: {
            std::string line = n + " columns:";
            for (std::size_t i = 0; i < c->columns.size(); ++i) line += (i ? " | " : " ") + utf8(c->columns[i]);
            say(line);
            for (std::size_t r = 0; r < c->rows.size(); ++r) {
                line = n + " row " + std::to_string(r) + ":";
                for (const auto& cell : c->rows[r].cells) line += " " + utf8(cell) + " |";
                say(line + " " + colourName(c->rows[r].colour));
            }
            return;
        }
        default: return say(n + " text: " + utf8(c->text));
    }
}

bool MemoryUi::waitIdle() {
    using namespace std::chrono;
    if (!idleWait_ || idleWait_(steady_clock::now() + waitLimit_)) return true;
    std::lock_guard lock(mutex_);
    say("timeout");
    return false;
}

bool MemoryUi::awaitFile(const std::string& name) {
    const auto deadline = std::chrono::steady_clock::now() + waitLimit_;
    std::error_code error;
    while (!std::filesystem::exists(std::filesystem::u8path(name), error)) {
        if (std::chrono::steady_clock::now() > deadline) {
            std::lock_guard lock(mutex_);
            say("timeout");
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

void MemoryUi::flushTranscript() {
    std::lock_guard lock(mutex_);
    transcript_.flush();
}

Event MemoryUi::waitEvent() {
    auto closeRequest = [this] {
        std::lock_guard lock(mutex_);
        return Event{Event::close, 0, windowOpen(helpWindow) ? helpWindow : mainWindow};
    };
    auto posted = [this]() -> std::optional<Event> {
        std::lock_guard lock(mutex_);
        if (posted_.empty()) return std::nullopt;
        Event event = posted_.front();
        posted_.pop_front();
        return event;
    };
    if (ended_) return posted().value_or(closeRequest());
    std::string raw;
    // An event posted meanwhile comes before the next command.
    for (;;) {
        if (auto event = posted()) return *event;
        if (!std::getline(commands_, raw)) break;
        if (!raw.empty() && raw.back() == '\r') raw.pop_back();
        std::string line = fromUtf8Lossy(raw);
        std::istringstream in(line);
        std::string verb;
        if (!(in >> verb)) continue;
        int a = 0, b = 0;
        if (verb == "click" && in >> a) return {Event::control, a, 0};
        if (verb == "menu" && in >> a) return {Event::menu, a, mainWindow};
        if (verb == "close") return closeRequest();
        if (verb == "check" && in >> a >> b) setChecked(a, b != 0);
        else if (verb == "select" && in >> a >> b) select(a, b);
        else if (verb == "file" || verb == "folder") {
            std::size_t start = raw.find(verb) + verb.size();
            std::string answer = raw.size() > start + 1 ? raw.substr(start + 1) : "";
            auto converted = fromUtf8(answer);
            ChosenPath chosen{converted ? *converted : fromUtf8Lossy(answer), converted.has_value()};
            std::lock_guard lock(mutex_);
            (verb == "file" ? fileAnswers_ : folderAnswers_).push_back(chosen);
        } else if (std::string reply; verb == "answer" && in >> reply && (reply == "yes" || reply == "no")) {
            std::lock_guard lock(mutex_);
            replies_.push_back(reply == "yes");
        } else if (verb == "wait") {
            if (!waitIdle()) {
                // Nothing more is read: the program is asked to close at once.
                timedOut_ = ended_ = true;
                return closeRequest();
            }
        }
        else if (verb == "await") {
            // A file that a started program makes, to act while it runs (a test's hung tool).
            std::string name;
            in >> name;
            if (!awaitFile(name)) {
                timedOut_ = ended_ = true;
                return closeRequest();
            }
        }
        else if (verb == "show" && in >> a) show(a);
        else if (verb == "menus") {
            std::lock_guard lock(mutex_);
            std::string titles;
            for (const auto& title : menuTitles(mainWindow)) titles += (titles.empty() ? "" : " | ") + utf8(title);
            say("menus: " + titles);
        } else std::fprintf(stderr, "klarbrix-drive: unknown command: %s\n", raw.c_str());
    }
    ended_ = true;
    if (!waitIdle()) timedOut_ = true;
    return closeRequest();
}

}  // namespace kx
