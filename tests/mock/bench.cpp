// The in-process test bench: its scratch folder, reports and worker calls.
#include "mock/bench.h"

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <random>
#include <sstream>
#include <stdexcept>

#include "base/text.h"
#include "platform/files.h"
#include "ui/window_desc.h"
#include "workers/analyse_source.h"
#include "workers/handlers.h"
#include "workers/queue.h"
#include "workers/run_immediate.h"

namespace kx::test {

namespace stdfs = std::filesystem;

namespace {

// A new folder of its own in the system's temp folder, ending in the separator.
std::string newScratchFolder() {
    static std::atomic<int> count{0};
    std::random_device random;
    const stdfs::path temp = stdfs::temp_directory_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
        stdfs::path folder = temp / ("kx-bench-" + std::to_string(random()) + "-" + std::to_string(++count));
        std::error_code error;
        if (stdfs::create_directory(folder, error)) return folder.string() + fs::separator();
    }
    throw std::runtime_error("no scratch folder can be made in " + temp.string());
}

// A report line: the label padded to 33 characters, a colon, a blank, the value.
std::string field(std::string_view label, std::string_view value) {
    std::string line(label);
    line.resize(33, ' ');
    return line + ": " + std::string(value);
}

std::string crlfLines(std::initializer_list<std::string> lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    return text;
}

}  // namespace

std::string deliveredOptions() { return deliveredOptionsText(); }

std::string dtsFilmReport() {
    return crlfLines({"General", field("Complete name", "/somewhere/film.mkv"), field("Format", "Matroska"), "",
                      "Video", field("ID", "1"), field("Format", "AVC"), field("Frame rate mode", "Constant"),
                      field("Frame rate", "25.000 fps"), field("Language", "English"), "",
                      "Audio #1", field("ID", "2"), field("Format", "DTS"), field("Channel(s)", "6 channels"),
                      field("Video delay", "1s 500ms"), field("Language", "French"), "",
                      "Audio #2", field("ID", "3"), field("Format", "AC-3"), field("Channel(s)", "2 channels"),
                      field("Language", "English"), "",
                      "Text", field("ID", "4"), field("Format", "UTF-8"), field("Codec ID", "S_TEXT/UTF8"),
                      field("Title", "Complets"), field("Language", "French"), field("Default", "Yes"), ""});
}

std::string twoAudioReport() {
    return crlfLines({"General", field("Complete name", "D:\\F\\a.mkv"), field("Format", "Matroska"), "",
                      "Video", field("ID", "1"), field("Format", "AVC"), field("Frame rate mode", "Constant"),
                      field("Frame rate", "23.976 fps"), field("Video delay", "9s 999ms"),
                      field("Language", "English"), "",
                      "Audio #1", field("ID", "2"), field("Format", "AC-3"), field("Video delay", "1s 23ms"),
                      field("Language", "French"), "",
                      "Audio #2", field("ID", "3"), field("Format", "E-AC-3"), field("Video delay", "-42ms"),
                      field("Language", "English"), field("Default", "No"), "",
                      "Text #1", field("ID", "4"), field("Format", "UTF-8"), field("Codec ID", "S_TEXT/UTF8"),
                      field("Title", "Complets"), field("Language", "French"), "",
                      "Text #2", field("ID", "5"), field("Format", "PGS"), field("Codec ID", "S_HDMV/PGS"), "",
                      "Text #3", field("ID", "6"), field("Format", "ASS"), field("Codec ID", "S_TEXT/ASS"),
                      field("Codec ID/Info", "Advanced Sub Station Alpha"), field("Compression mode", "Lossless"),
                      field("Language", "English"), ""});
}

Bench::Bench(const std::string& optionsText)
    : root(newScratchFolder()),
      program(root + "program" + fs::separator()),
      tools(program + "Applications" + fs::separator()),
      films(root + "films" + fs::separator()),
      launcher(root),
      settings(program + "options.txt", files),
      queue(files),
      made(files, program + std::string(madeFilesRecord)),
      context{ui, settings, state, launcher, desktop, files, queue, made, nullptr} {
    stdfs::create_directories(stdfs::path(tools));
    stdfs::create_directories(stdfs::path(films));
    // The command interpreter finds a tool only where the script names it.
    for (const char* tool : {"MediaInfo.exe", "mkvextract.exe", "delaycut.exe", "eac3to.exe", "mkvmerge.exe"})
        write(tools + tool, "");
    write(program + "options.txt", optionsText);
    settings.loadOptions();
    openMainWindow(ui);
    desktop.setEcho([this](const std::string& line) { ui.note(line); });
    state.with([this](AppState& s) {
        s.homeFolder = program;
        s.toolsFolder = tools;
    });
}

Bench::~Bench() {
    std::error_code ignored;
    stdfs::remove_all(stdfs::path(root), ignored);
}

std::string Bench::at(std::string_view relative) const {
    std::string path = root + std::string(relative);
    std::replace(path.begin() + std::ptrdiff_t(root.size()), path.end(), '/', fs::separator());
    return path;
}

void Bench::write(const std::string& path, std::string_view bytes) const {
    std::ofstream out(stdfs::path(path), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), std::streamsize(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path);
}

std::string Bench::read(const std::string& path) const {
    std::ifstream in(stdfs::path(path), std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

bool Bench::exists(const std::string& path) const { return stdfs::exists(stdfs::path(path)); }

bool Bench::isFolder(const std::string& path) const { return stdfs::is_directory(stdfs::path(path)); }

std::vector<std::string> Bench::namesIn(const std::string& folder) const {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : stdfs::directory_iterator(stdfs::path(folder), error))
        names.push_back(entry.path().filename().string() + (entry.is_directory() ? "/" : ""));
    std::sort(names.begin(), names.end());
    return names;
}

void Bench::option(Option key, std::string_view value) {
    settings.setOption(key, value);
    if (!settings.saveOptions()) throw std::runtime_error("cannot save the options");
}

void Bench::open(const std::string& source, const std::string& report) {
    launcher.setReport(report);
    forgetSource(context);
    chooseSource(context, source);
    loadSource(context, source);
    kx::analyseSource(context);
}

std::string Bench::openFilm(const std::string& name, const std::string& report) {
    std::string source = films + name;
    if (!exists(source)) write(source, "source");
    open(source, report);
    return source;
}

void Bench::runImmediate(std::optional<StopSignal> stop) {
    captureChoice(context, true);
    kx::runImmediate(context, std::move(stop));
}

void Bench::addJob() {
    JobQueue::Place place = reserveJob(context);
    captureChoice(context, true);
    kx::addJob(context, place);
}

void Bench::processQueue(std::optional<StopSignal> stop) { kx::processQueue(context, std::move(stop)); }

int Bench::queueCount() {
    return queue.size();
}

}  // namespace kx::test
