// delaycut.exe: walks the frames of a DTS or AC3 stream file, writes the
// repaired stream beside it with its log, and the helpers the adapters share.
#include "tools/adapters/repair.h"

#include <cstdint>
#include <memory>
#include <optional>

#include "base/encoding.h"
#include "tools/adapters/commands.h"
#include "tools/adapters/frames.h"

namespace kx::adapt {

bool writeStaged(const std::string& staged, const std::string& data, std::string& error) {
    std::unique_ptr<sys::FileWriter> w = sys::FileWriter::open(staged, error);
    if (!w) return false;
    w->write(Bytes(reinterpret_cast<const unsigned char*>(data.data()), data.size()));
    return w->close(error);
}

bool checkInput(const Console& console, const std::string& path, int& code) {
    if (sys::exists(path) && !sys::isFolder(path)) return true;
    code = console.fail("the input " + path + " does not exist");
    return false;
}

int runDelaycut(const std::vector<std::string>& args) {
    Console console{"delaycut.exe"};
    std::string error;
    std::optional<RepairArgs> a = parseRepairArgs(args, error);
    if (!a) return console.fail(error);
    int code = done;
    if (!checkInput(console, a->input, code)) return code;

    std::unique_ptr<sys::FileView> in = sys::FileView::open(a->input, error);
    if (!in) return console.fail(error);
    std::string outputName = repairOutputName(a->input);
    sys::Outputs outputs({a->input});
    std::optional<std::string> staged = outputs.stage(outputName, error);
    std::optional<std::string> stagedLog = staged ? outputs.stage(repairLogName(a->input), error) : std::nullopt;
    if (!staged || !stagedLog) return console.fail(error);
    std::unique_ptr<sys::FileWriter> out = sys::FileWriter::open(*staged, error);
    if (!out) return console.fail(error);

    StreamKind kind = streamKindOfName(a->input);
    Emit emit = [&](Bytes piece) { out->write(piece); };
    RepairStats stats;
    if (kind == StreamKind::ac3) stats = repairAc3(in->bytes(), a->mode, emit);
    else if (kind == StreamKind::dts) stats = repairDts(in->bytes(), emit);
    std::string note;
    if (kind != StreamKind::other && stats.frames == 0 && stats.framesSkipped == 0) {
        note = "No frame was found: the file is copied unchanged.";
        kind = StreamKind::other;
    }
    if (kind == StreamKind::other) {
        stats = RepairStats();
        stats.bytesIn = stats.bytesOut = std::int64_t(in->bytes().size());
        out->write(in->bytes());
    }
    if (!out->close(error)) return console.fail(error);

    std::string text = fromUtf8Lossy(repairLogText(a->input, outputName, kind, a->mode, stats));
    if (!note.empty()) text += note + "\r\n";
    text += "Result: done\r\n";
    if (!writeStaged(*stagedLog, text, error) || !outputs.commit(error)) return console.fail(error);
    return done;
}

}  // namespace kx::adapt
