// A stand-in for the media tools in tests. Copied under a tool's name
// (MediaInfo.exe, mkvextract.exe, delaycut.exe, eac3to.exe, mkvmerge.exe) it
// appends "name|arg|arg..." in UTF-8 to calls.txt beside itself (an
// identification, mkvmerge -J, to identified.txt) and makes the files the
// real tool would make from those arguments (a merge also leaves what its
// identification will say beside itself). As hang.exe, or as a tool with a
// file hang-TOOL beside it, it writes its process id to hang.pid and waits
// to be ended.
#include <filesystem>
#include <chrono>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "support/merge_identity.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace {

namespace fs = std::filesystem;

fs::path ownPath() {
#ifdef _WIN32
    std::wstring buffer(32768, L'\0');
    buffer.resize(GetModuleFileNameW(nullptr, buffer.data(), DWORD(buffer.size())));
    return fs::path(buffer);
#else
    return fs::read_symlink("/proc/self/exe");
#endif
}

std::string utf8(const fs::path& p) {
    std::u8string u = p.u8string();
    return std::string(u.begin(), u.end());
}

void put(const fs::path& file, const std::string& bytes) { std::ofstream(file, std::ios::binary) << bytes; }

fs::path fromUtf8(const std::string& s) { return fs::path(std::u8string(s.begin(), s.end())); }

std::string whole(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Where a merge leaves what the identification of its output says.
fs::path identityOf(const fs::path& here, const fs::path& output) { return here / (output.filename() += ".identity"); }

// The path with its extension replaced by `ending` ("_fixed.dts", " - Log.txt").
fs::path withEnding(const fs::path& p, const std::string& ending) {
    fs::path out = p;
    out.replace_extension();
    out += fs::path(ending);
    return out;
}

int play(const std::string& tool, const std::vector<fs::path>& args, const fs::path& here) {
    auto text = [](const fs::path& p) { return p.native(); };
    if (tool == "hang" || fs::exists(here / ("hang-" + tool))) {
#ifdef _WIN32
        put(here / "hang.tmp", std::to_string(GetCurrentProcessId()));
#else
        put(here / "hang.tmp", std::to_string(getpid()));
#endif
        fs::rename(here / "hang.tmp", here / "hang.pid");
        std::this_thread::sleep_for(std::chrono::minutes(10));
    } else if (tool == "MediaInfo") {
        for (const fs::path& a : args) {
            auto s = text(a);
            auto prefix = fs::path("--LogFile=").native();
            if (s.compare(0, prefix.size(), prefix) == 0) fs::copy_file(here / "report.txt", fs::path(s.substr(prefix.size())),
                                                                        fs::copy_options::overwrite_existing);
        }
    } else if (tool == "mkvextract") {
        // tracks SOURCE id:file...
        for (std::size_t i = 2; i < args.size(); ++i) {
            auto s = text(args[i]);
            auto colon = s.find(':');
            if (colon != s.npos) put(fs::path(s.substr(colon + 1)), "track");
        }
    } else if (tool == "delaycut") {
        if (args.empty()) return 1;
        const fs::path& in = args.back();
        put(withEnding(in, "_fixed" + utf8(in.extension())), "fixed");
        put(withEnding(in, "_log.txt"), "repair log");
    } else if (tool == "eac3to") {
        if (args.size() < 2) return 1;
        put(args[1], "ac3");
        put(withEnding(args[1], " - Log.txt"), "read " + utf8(args[0]) + "\r\nwrote " + utf8(args[1]) + "\r\n");
    } else if (tool == "mkvmerge") {
        std::vector<std::string> texts;
        for (const fs::path& a : args) texts.push_back(utf8(a));
        if (kx::test::IdentifyArgs identify = kx::test::identifyArgs(texts); !identify.file.empty()) {
            fs::path made = identityOf(here, fromUtf8(identify.file));
            put(fromUtf8(identify.answer), fs::exists(made) ? whole(made) : kx::test::unrecognisedIdentity());
            return 0;
        }
        if (fs::exists(here / "fail-remux")) return 2;
        if (args.size() < 2) return 1;
        put(args[1], "mkv");
        put(identityOf(here, args[1]), kx::test::mergeIdentity(texts, whole(here / "report.txt")));
    }
    return 0;
}

}  // namespace

#ifdef _WIN32
int wmain(int argc, wchar_t** argv) {
#else
int main(int argc, char** argv) {
#endif
    fs::path self = ownPath();
    fs::path here = self.parent_path();
    std::string tool = utf8(self.stem());
    std::vector<fs::path> args(argv + 1, argv + argc);
    std::string line = tool;
    for (const fs::path& a : args) line += "|" + utf8(a);
    // The program's own identifications of its results apart from the scripts' tool calls.
    std::vector<std::string> texts;
    for (const fs::path& a : args) texts.push_back(utf8(a));
    const bool identifies = tool == "mkvmerge" && !kx::test::identifyArgs(texts).file.empty();
    std::ofstream(here / (identifies ? "identified.txt" : "calls.txt"), std::ios::binary | std::ios::app) << line << "\n";
    try {
        return play(tool, args, here);
    } catch (const std::exception&) {
        return 3;
    }
}
