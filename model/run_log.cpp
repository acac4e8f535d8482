// Assembling log.txt from the run's scripts and logs.
#include "model/run_log.h"

#include "base/encoding.h"
#include "base/text.h"
#include "model/script_text.h"
#include "ui/texts.h"

namespace kx {

namespace {

constexpr std::string_view crlf = "\r\n";

std::string header(std::string_view title) {
    const std::string stars(24, '*');
    return stars + "Log " + std::string(title) + stars + std::string(crlf);
}

void section(std::string& log, std::string_view title, const std::optional<std::string>& contents,
             std::string_view stem, bool anonymised) {
    if (!contents) return;
    log += header(title);
    log += crlf;
    for (const std::string& line : splitLines(*contents)) {
        log += anonymised ? anonymise(line, stem) : line;
        log += crlf;
    }
    log += crlf;
    log += crlf;
}

std::string joinLines(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + std::string(crlf);
    return text;
}

}  // namespace

std::string anonymise(std::string_view text, std::string_view sourceStem) {
    std::string carried = scriptName(sourceStem);
    std::string out = carried == sourceStem ? std::string(text) : replaceAll(text, carried, "fichier");
    return replaceAll(out, sourceStem, "fichier");
}

std::string runLogText(const RunLogSources& s) {
    std::string log = std::string(logVersionHead) + std::to_string(s.version) + std::string(crlf);
    log += crlf;
    log += crlf;
    if (s.extractBat) {
        log += crlf;
        log += crlf;
    }
    section(log, "extract.bat", s.extractBat, s.sourceStem, false);
    section(log, "Mediainfo.txt", s.mediaInfo, s.sourceStem, true);
    if (!s.verdict.empty()) section(log, "verdict", joinLines(s.verdict), s.sourceStem, false);
    section(log, "mkvextract.bat", s.mkvextractBat, s.sourceStem, true);
    section(log, "eac3to", s.transcoderLog, s.sourceStem, true);
    section(log, "mkvmerge.bat", s.mkvmergeBat, s.sourceStem, true);
    if (s.remuxStatus == 1)
        log += std::string(remuxWarnedLog) + std::string(crlf);
    else if (s.remuxStatus > 1)
        log += std::string(remuxFailedLogHead) + std::to_string(s.remuxStatus) + ")" + std::string(crlf);
    else if (s.remuxStatus < 0)
        log += std::string(remuxNotStartedLog) + std::string(crlf);
    if (!s.ending.empty()) log += s.ending + std::string(crlf);
    return log;
}

}  // namespace kx
