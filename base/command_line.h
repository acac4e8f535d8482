// Command lines as Windows programs read them: splitting one text into
// arguments the way the Microsoft C runtime does, quoting an argument so that
// it survives that splitting, and building the launcher's command line.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kx {

// Splits a command line into its arguments. The first (the program name) runs
// up to the next blank, quotes grouping without escapes. The others follow the
// C runtime: blanks and tabs separate, quotes group, 2n backslashes before a
// quote give n and the quote toggles quoting, 2n+1 give n and a literal quote,
// other backslashes are literal, and "" inside a quoted part is a literal
// quote. A text of blanks only gives no argument at all.
std::vector<std::string> splitCommandLine(std::string_view commandLine);

// The argument written so that splitCommandLine gives it back unchanged
// (as an argument after the first).
std::string quoteArgument(std::string_view argument);

// The launcher's command line: a program text beginning with a quote is used
// unchanged (it may carry its own arguments), any other is put between quotes;
// non-empty parameters follow after one blank.
std::string buildCommandLine(std::string_view program, std::string_view parameters);

}  // namespace kx
