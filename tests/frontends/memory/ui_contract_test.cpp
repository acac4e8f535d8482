// The front-end contract on the in-memory front end: the user's actions are
// command lines handed to its command stream, which waits for them as
// standard input would.
#include <condition_variable>
#include <mutex>
#include <sstream>
#include <streambuf>
#include <string>

#include "frontends/contract/ui_contract_test.h"
#include "frontends/memory/memory_ui.h"

namespace kx::test {
namespace {

// A stream buffer that any thread may add lines to; reading waits for them.
class CommandLines : public std::streambuf {
public:
    void add(const std::string& line) {
        {
            std::lock_guard lock(mutex_);
            waiting_ += line + '\n';
        }
        added_.notify_all();
    }

protected:
    int_type underflow() override {
        std::unique_lock lock(mutex_);
        added_.wait(lock, [this] { return !waiting_.empty(); });
        reading_ = std::move(waiting_);
        waiting_.clear();
        setg(reading_.data(), reading_.data(), reading_.data() + reading_.size());
        return traits_type::to_int_type(reading_[0]);
    }

private:
    std::mutex mutex_;
    std::condition_variable added_;
    std::string waiting_, reading_;
};

class MemoryDriver {
public:
    Ui& ui() { return ui_; }
    void click(int control) { commands_.add("click " + std::to_string(control)); }
    void chooseMenu(int item) { commands_.add("menu " + std::to_string(item)); }
    void closeBox(int) { commands_.add("close"); }
    void answer(bool yes) { commands_.add(yes ? "answer yes" : "answer no"); }
    void posted() { commands_.add(""); }

private:
    CommandLines commands_;
    std::istream input_{&commands_};
    std::ostringstream transcript_;
    MemoryUi ui_{input_, transcript_};
};

}  // namespace

INSTANTIATE_TYPED_TEST_SUITE_P(Memory, UiContract, MemoryDriver);

}  // namespace kx::test
