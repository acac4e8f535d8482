// The MediaInfo report reader on any bytes: the report's lines, then the scan
// into the track table, the three lists and the frame rate.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz/check.h"
#include "base/text.h"
#include "model/report.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    kx::ReportLines lines = kx::reportLinesOf(bytes);
    std::vector<std::string> all = kx::splitLines(bytes);
    for (std::size_t i = 0; i < lines.size(); ++i) FUZZ_CHECK(lines[i] == (i < all.size() ? all[i] : ""));

    kx::ReportScan scan = kx::scanReport(lines);
    std::size_t listed = scan.videoItems.size() + scan.audioItems.size() + scan.subtitleItems.size();
    FUZZ_CHECK(listed <= kx::trackTableSize);
    for (const auto* items : {&scan.videoItems, &scan.audioItems, &scan.subtitleItems})
        for (const std::string& item : *items) FUZZ_CHECK(kx::startsWith(item, "track #"));
    return 0;
}
