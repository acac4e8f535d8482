// The audio repair's frame walker on any bytes. What it writes plus what it
// drops is what it read; and what it writes is whole frames, so repairing it
// again changes nothing and finds nothing to drop (nor, once rewritten, a
// wrong CRC).
#include <cstddef>
#include <cstdint>
#include <vector>

#include "fuzz/check.h"
#include "tools/adapters/frames.h"

namespace {

using namespace kx::adapt;

struct Repaired {
    RepairStats stats;
    std::vector<unsigned char> out;
};

Repaired repair(Bytes in, bool dts, CrcMode mode) {
    Repaired r;
    Emit emit = [&r](Bytes piece) { r.out.insert(r.out.end(), piece.begin(), piece.end()); };
    r.stats = dts ? repairDts(in, emit) : repairAc3(in, mode, emit);
    FUZZ_CHECK(r.stats.bytesIn == std::int64_t(in.size()));
    FUZZ_CHECK(r.stats.bytesOut == std::int64_t(r.out.size()));
    FUZZ_CHECK(r.stats.truncatedBytes <= r.stats.droppedBytes);
    FUZZ_CHECK(r.stats.events.size() <= 40);
    if (mode != CrcMode::skip) FUZZ_CHECK(r.stats.bytesOut + r.stats.droppedBytes == r.stats.bytesIn);
    else FUZZ_CHECK(r.stats.bytesOut + r.stats.droppedBytes <= r.stats.bytesIn);
    return r;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const unsigned choice = data[0] % 4;  // DTS, or AC3 with CRCs fixed, ignored or skipped
    const bool dts = choice == 0;
    const CrcMode mode = choice == 2 ? CrcMode::ignore : choice == 3 ? CrcMode::skip : CrcMode::fix;
    Bytes in(data + 1, size - 1);

    Repaired first = repair(in, dts, mode);
    Repaired again = repair(first.out, dts, mode);
    FUZZ_CHECK(again.out == first.out);
    FUZZ_CHECK(again.stats.droppedBytes == 0);
    FUZZ_CHECK(again.stats.frames == first.stats.frames);
    if (!dts && mode != CrcMode::ignore) FUZZ_CHECK(again.stats.crcErrors == 0);
    return 0;
}
