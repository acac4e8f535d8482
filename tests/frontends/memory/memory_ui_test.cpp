// The in-memory front end's transcript is shared by the loop and the workers:
// it is written and flushed only inside the front end's own calls, which hold
// its lock, never behind them by the command stream it reads.
#include <gtest/gtest.h>

#include <sstream>
#include <streambuf>
#include <string>

#include "frontends/memory/memory_ui.h"

using namespace kx;

namespace {

// A transcript that counts its flushes.
class CountingBuffer : public std::stringbuf {
public:
    int flushes = 0;

protected:
    int sync() override {
        ++flushes;
        return std::stringbuf::sync();
    }
};

}  // namespace

TEST(MemoryUi, ReadingCommandsNeverFlushesTheTranscript) {
    CountingBuffer buffer;
    std::ostream transcript(&buffer);
    std::istringstream commands("\n\n\nclose\n");
    commands.tie(&transcript);  // as standard input is tied to standard output
    MemoryUi ui(commands, transcript);
    Event event = ui.waitEvent();
    EXPECT_EQ(event.kind, Event::close);
    EXPECT_EQ(buffer.flushes, 0);  // nothing was said, so nothing was flushed

    ui.setStatus("Choisir un fichier");
    EXPECT_EQ(buffer.str(), "status: Choisir un fichier\n");
    EXPECT_EQ(buffer.flushes, 1);
}
