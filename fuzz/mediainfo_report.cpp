// The MediaInfo stand-in's report conversion on any text taken for mediainfo's
// JSON output. A report made is one the program's reader can trust: every
// line is a title, a blank line or a "label : value" line with the value in
// the reader's column; an ID line is followed by its Format line; a text
// section has its language four lines after the ID; and the reader lists one
// track per ID line of the sections it lists.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/check.h"
#include "base/text.h"
#include "model/report.h"
#include "tools/adapters/report.h"

namespace {

bool isTitle(const std::string& line) {
    for (std::string_view kind : {"General", "Video", "Audio", "Text"}) {
        if (line == kind) return true;
        if (kx::startsWith(line, std::string(kind) + " #") && line.size() > kind.size() + 2 &&
            line.find_first_not_of("0123456789", kind.size() + 2) == std::string::npos)
            return true;
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string error;
    std::optional<std::string> report =
        kx::adapt::reportFromJson(std::string_view(reinterpret_cast<const char*>(data), size), error);
    if (!report) {
        FUZZ_CHECK(!error.empty());
        return 0;
    }
    FUZZ_CHECK(report->empty() || kx::endsWith(*report, "\r\n"));
    // Lines end with CR LF only: no other line end inside.
    FUZZ_CHECK(kx::replaceAll(*report, "\r\n", "").find_first_of(std::string_view("\r\n\0", 3)) == std::string::npos);
    std::vector<std::string> lines = kx::splitLines(*report);

    std::string section;
    std::size_t ids = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        if (line.empty()) {
            section.clear();
            continue;
        }
        if (section.empty()) {
            FUZZ_CHECK(isTitle(line));
            section = line;
            continue;
        }
        FUZZ_CHECK(line.size() >= 35 && line.compare(33, 2, ": ") == 0);
        FUZZ_CHECK(!isTitle(line));
        if (kx::startsWith(line, "ID")) {
            FUZZ_CHECK(kx::startsWith(line, "ID "));
            FUZZ_CHECK(i + 1 < lines.size() && kx::startsWith(lines[i + 1], "Format "));
            if (kx::startsWith(section, "Text"))
                FUZZ_CHECK(i + 4 < lines.size() && kx::startsWith(lines[i + 4], "Language "));
            // Listed by the reader, which keeps the first 201 lines: audio and
            // text sections, and the video section of a file with one.
            bool listed = section == "Video" || kx::startsWith(section, "Audio") || kx::startsWith(section, "Text");
            if (listed && i < kx::reportLineCount) ++ids;
        }
        if (line.find("Frame rate") != std::string::npos) FUZZ_CHECK(kx::startsWith(line, "Frame rate "));
    }

    kx::ReportScan scan = kx::scanReport(kx::reportLinesOf(*report));
    std::size_t listed = scan.videoItems.size() + scan.audioItems.size() + scan.subtitleItems.size();
    FUZZ_CHECK(listed == std::min(ids, kx::trackTableSize));
    return 0;
}
