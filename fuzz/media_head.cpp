// The stand-ins' quick identification on any bytes: the Matroska head reader
// and the DTS header reader never read out of bounds, and what they vouch for
// is well formed (mkvmerge's IDs 0 to n-1, mkvextract's distinct and the same
// as mkvmerge's for a plain head, a channel count AC3 can carry).
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <set>

#include "fuzz/check.h"
#include "tools/adapters/audio_head.h"
#include "tools/adapters/matroska_head.h"

using namespace kx::adapt;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    ReadAt read = [data, size](std::uint64_t offset, unsigned char* into, std::size_t wanted) -> std::size_t {
        if (offset >= size || wanted == 0) return 0;
        std::size_t n = wanted < size - offset ? wanted : std::size_t(size - offset);
        std::memcpy(into, data + offset, n);
        return n;
    };
    if (std::optional<TrackMap> map = trackMapFromHead(read)) {
        FUZZ_CHECK(!map->empty());
        std::set<std::int64_t> ids;
        for (const auto& [number, id] : *map) {
            FUZZ_CHECK(number >= 1);
            FUZZ_CHECK(id >= 0 && id < std::int64_t(map->size()));
            ids.insert(id);
        }
        FUZZ_CHECK(ids.size() == map->size());
    }
    if (std::optional<TrackMap> map = trackMapFromHead(read, Numbering::mkvextract)) {
        std::set<std::int64_t> ids;
        for (const auto& [number, id] : *map) {
            FUZZ_CHECK(number >= 1 && id >= 0);
            ids.insert(id);
        }
        FUZZ_CHECK(ids.size() == map->size());
        // mkvmerge's numbering, when it vouches for the file, is the same.
        if (std::optional<TrackMap> strict = trackMapFromHead(read)) FUZZ_CHECK(*strict == *map);
    }
    if (std::optional<TrackMap> raw = rawTrackFileMap("x.srt", read)) FUZZ_CHECK(raw->empty());
    if (std::optional<AudioFacts> facts = plainDtsFacts(Bytes(data, size))) {
        FUZZ_CHECK(facts->codec == "dts");
        FUZZ_CHECK(facts->channels >= 1 && facts->channels <= 6);
        FUZZ_CHECK(!facts->sampleRate.empty() && !facts->bitRate.empty());
    }
    return 0;
}
