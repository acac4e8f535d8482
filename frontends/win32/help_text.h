// The help page as the rich-text view shows it: an HTML page turned into
// plain text with its bold, italic, heading and link runs, and the
// addresses its links lead to. No Windows call here.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kx::win32 {

struct HelpRun {
    enum Kind { bold, italic, heading, link };
    Kind kind;
    int from, to;      // letters of `text`, `to` excluded
    std::string href;  // links: the address as written in the page (UTF-8)
};

struct HelpText {
    std::wstring text;  // paragraphs end in '\n'
    std::vector<HelpRun> runs;
};

// Reads the page as UTF-8 when it is valid UTF-8, otherwise as cp1252.
// Scripts, styles and the head are left out; blocks start new lines, list
// items are marked, white space is collapsed outside <pre>; entities are
// decoded.
HelpText htmlToHelpText(std::string_view html);

// Where a link of the page at `base` leads: an absolute address, "//host"
// and "/path" against the page's site, other names against its folder. Empty
// for a link within the page ("#part") or an empty link.
std::string resolveLink(std::string_view base, std::string_view href);

}  // namespace kx::win32
