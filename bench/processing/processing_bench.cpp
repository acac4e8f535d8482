// What the program costs on top of the tools it drives: makes a large source
// (a short noisy clip appended to itself), then times a full immediate run
// through klarbrix-drive with the delivered options against the same tool
// commands run directly, and one ffmpeg pass doing the same conversion.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "processes.h"

namespace {

namespace fs = std::filesystem;
using namespace bench;

const std::string buildDir = KLARBRIX_BUILD_DIR;
// Where klarbrix-drive, klarbrix-cmd and program/Applications are taken from:
// this build, or another one (--programs) to compare two versions.
std::string programsDir = buildDir;
const std::string sourceDir = KLARBRIX_SOURCE_DIR;

double mib(double bytes) { return bytes / (1024.0 * 1024.0); }
double mibOfKib(long kib) { return double(kib) / 1024.0; }

// The audio track of a source: DTS 5.1, or TrueHD (5.1: this ffmpeg's
// encoder takes no more channels).
struct Audio {
    std::string extension;  // of the extracted track
    Args encoding;          // ffmpeg's
};
const Audio dts{"dts", {"-c:a", "dca", "-strict", "experimental", "-b:a", "1536k"}};
const Audio trueHd{"thd", {"-c:a", "truehd", "-strict", "-2"}};

// A ten-second clip: noisy test pattern in lossless H.264 (about 11 MB/s),
// French audio, French subtitles; appended to itself up to the size, as
// films/NAME.mkv.
std::string makeSource(const std::string& work, double wantedMib, const std::string& log, const Audio& audio,
                       const std::string& name) {
    std::string clip = work + "clip/";
    fs::create_directories(clip);
    Args ff = {"ffmpeg", "-hide_banner", "-nostdin", "-loglevel", "error", "-y"};
    auto with = [](Args a, const Args& b) {
        a.insert(a.end(), b.begin(), b.end());
        return a;
    };
    mustRun(with(ff, {"-f", "lavfi", "-i", "testsrc2=size=640x360:rate=25,noise=alls=60:allf=t", "-t", "10",
                      "-c:v", "libx264", "-preset", "ultrafast", "-qp", "0", "-pix_fmt", "yuv420p",
                      clip + "video.mkv"}),
            log);
    const std::string track = clip + "french." + audio.extension;
    mustRun(with(with(ff, {"-f", "lavfi", "-i", "sine=frequency=440:sample_rate=48000", "-t", "10", "-af",
                           "pan=5.1|c0=c0|c1=c0|c2=c0|c3=c0|c4=c0|c5=c0"}),
                 with(audio.encoding, {track})),
            log);
    std::ofstream(clip + "french.srt", std::ios::binary)
        << "1\r\n00:00:01,000 --> 00:00:03,000\r\nBonjour\r\n\r\n2\r\n00:00:05,000 --> 00:00:08,000\r\nAu revoir\r\n";
    mustRun({"mkvmerge", "-q", "-o", clip + "clip.mkv", clip + "video.mkv", "--language", "0:fre",
             track, "--language", "0:fre", clip + "french.srt"},
            log);
    double clipMib = mib(double(fs::file_size(clip + "clip.mkv")));
    int copies = std::max(1, int(wantedMib / clipMib + 0.5));
    fs::create_directories(work + "films");
    std::string source = work + "films/" + name + ".mkv";
    Args append = {"mkvmerge", "-q", "-o", source, clip + "clip.mkv"};
    for (int k = 1; k < copies; ++k) append.insert(append.end(), {"+", clip + "clip.mkv"});
    mustRun(append, log);
    fs::remove_all(clip);
    return source;
}

void removeIfThere(const std::string& path) {
    std::error_code ignored;
    fs::remove(path, ignored);
}

double span(Clock::time_point from, Clock::time_point to) { return std::chrono::duration<double>(to - from).count(); }

const char* const standIns[] = {"MediaInfo.exe", "mkvextract.exe", "mkvmerge.exe", "eac3to.exe", "delaycut.exe"};

// One measured run: the analysis, the run and its steps (extraction,
// transcode, remux, the rest), the peak memory and the result's size.
struct Measure {
    double analysis = 0;
    double run = 0;
    double steps[4] = {0, 0, 0, 0};
    long ownPeakKib = 0;  // klarbrix-drive itself (the program only)
    long peakKib = 0;     // the largest process
    double resultMib = 0;
    double cpuSeconds = 0;  // every process, the analysis included
};

// The program: a program folder with the delivered options and the stand-ins.
Measure measureProgram(const std::string& work, const std::string& source) {
    std::string program = work + "program/";
    fs::remove_all(program);
    fs::create_directories(program + "Applications");
    fs::copy_file(sourceDir + "/resources/options.txt", program + "options.txt");
    for (const char* name : standIns)
        fs::create_symlink(programsDir + "/program/Applications/" + name, program + "Applications/" + name);
    ::sync();

    Measure m;
    Drive drive(programsDir + "/klarbrix-drive", program, work + "drive-errors.log");
    auto start = Clock::now();
    drive.send("file " + source + "\nclick 36\nwait\nshow 21\n");
    drive.waitFor("21 text:");
    m.analysis = since(start);
    start = Clock::now();
    drive.send("click 27\nwait\nshow 35\n");
    drive.waitFor("35 text:");
    m.run = since(start);
    m.steps[0] = span(start, drive.when("progress: 40"));
    m.steps[1] = span(drive.when("progress: 50"), drive.when("progress: 70"));
    m.steps[2] = span(drive.when("progress: 70"), drive.when("progress: 100"));
    m.steps[3] = m.run - m.steps[0] - m.steps[1] - m.steps[2];
    m.ownPeakKib = drive.ownPeakKib();
    Finished ended = drive.finish();
    m.peakKib = ended.peakKib;
    m.cpuSeconds = ended.cpuSeconds;

    bool ok = std::find(drive.lines.begin(), drive.lines.end(), "message: Le traitement s'est bien pass\xC3\xA9") !=
              drive.lines.end();
    const std::string base = source.substr(0, source.size() - 4);  // without ".mkv"
    const std::string result = base + "_remux.mkv";
    if (!ok || !fs::exists(result)) {
        for (const auto& line : drive.lines) std::fprintf(stderr, "  %s\n", line.c_str());
        die("the program's run failed; see " + work + "drive-errors.log");
    }
    m.resultMib = mib(double(fs::file_size(result)));
    fs::remove(result);
    removeIfThere(base + ".srt");
    return m;
}

// The program's queue: two jobs added, then the queue run, timed from the
// click to its end. `sources` are two different files.
Measure measureProgramQueue(const std::string& work, const std::vector<std::string>& sources) {
    std::string program = work + "program/";
    Drive drive(programsDir + "/klarbrix-drive", program, work + "drive-errors.log");
    std::string add;
    for (const std::string& source : sources) add += "file " + source + "\nclick 36\nwait\nclick 19\nwait\n";
    drive.send(add + "show 21\n");
    drive.waitFor("21 text:");
    ::sync();
    Measure m;
    auto start = Clock::now();
    drive.send("click 38\nwait\nshow 35\n");
    drive.waitFor("35 text:");
    m.run = since(start);
    m.ownPeakKib = drive.ownPeakKib();
    drive.send("show 37\n");
    drive.waitFor("37 row 1:");
    std::string lastRow = drive.lines.back();
    Finished ended = drive.finish();
    m.peakKib = ended.peakKib;
    m.cpuSeconds = ended.cpuSeconds;
    bool ok = lastRow.size() > 6 && lastRow.compare(lastRow.size() - 6, 6, " green") == 0 &&
              std::count_if(drive.lines.begin(), drive.lines.end(),
                            [](const std::string& l) { return l.rfind("37 row ", 0) == 0 && l.find(" green") != std::string::npos; }) == 2;
    for (const std::string& source : sources) {
        std::string result = source.substr(0, source.size() - 4) + "_remux.mkv";
        ok = ok && fs::exists(result);
        if (fs::exists(result)) m.resultMib += mib(double(fs::file_size(result)));
        removeIfThere(result);
        removeIfThere(source.substr(0, source.size() - 4) + ".srt");
    }
    if (!ok) {
        for (const auto& line : drive.lines) std::fprintf(stderr, "  %s\n", line.c_str());
        die("the program's queue run failed; see " + work + "drive-errors.log");
    }
    return m;
}

// This process's own processor time so far (its deletions count too).
double ownCpu() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return cpuOf(usage);
}

// The same tool commands, run directly (track IDs as mkvmerge numbers them),
// for each source in turn, writing the files the program writes where it
// writes them (beside the source: on a disk, where a file goes changes what
// writing it costs); like the program's queue, each job deletes its
// temporaries and the results stay until the end.
Measure measureDirectJobs(const std::string& work, const std::vector<std::string>& sources, const std::string& log,
                          const Audio& audio = dts) {
    ::sync();
    Measure m;
    std::vector<std::string> kept;
    for (const std::string& source : sources) {
        const std::string base = source.substr(0, source.size() - 4);  // without ".mkv"
        const std::string track = base + "." + audio.extension;
        Finished f = mustRun({"mediainfo", source}, work + "direct-mediainfo.txt");
        if (kept.empty()) m.analysis = f.seconds;
        m.cpuSeconds += f.cpuSeconds;
        std::vector<Args> commands = {
            {"mkvextract", source, "tracks", "0:" + base + ".h264", "1:" + track, "2:" + base + ".srt"},
            {"ffmpeg", "-hide_banner", "-nostdin", "-nostats", "-loglevel", "error", "-y", "-i", track, "-map",
             "0:a:0", "-vn", "-sn", "-dn", "-c:a", "ac3", "-b:a", "640k", "-f", "ac3", base + ".ac3"},
            {"mkvmerge", "-o", base + "_remux.mkv", "--default-duration", "0:25.000fps", "--compression", "0:none",
             base + ".h264", "--compression", "0:none", "--language", "0:fre", base + ".ac3", "--language", "0:fre",
             base + ".srt"}};
        for (std::size_t k = 0; k < commands.size(); ++k) {
            f = mustRun(commands[k], log);
            m.steps[k] += f.seconds;
            m.peakKib = std::max(m.peakKib, f.peakKib);
            m.cpuSeconds += f.cpuSeconds;
        }
        auto start = Clock::now();
        double cpuBefore = ownCpu();
        for (const std::string& file : {base + ".h264", track, base + ".ac3"}) removeIfThere(file);
        m.steps[3] += since(start);
        m.cpuSeconds += ownCpu() - cpuBefore;
        m.resultMib += mib(double(fs::file_size(base + "_remux.mkv")));
        kept.push_back(base + "_remux.mkv");
        kept.push_back(base + ".srt");
    }
    for (double step : m.steps) m.run += step;
    for (const std::string& file : kept) removeIfThere(file);
    return m;
}

Measure measureDirect(const std::string& work, const std::string& source, const std::string& log,
                      const Audio& audio = dts) {
    return measureDirectJobs(work, {source}, log, audio);
}

// For reference: ffmpeg doing the same conversion in one pass.
Measure measureOnePass(const std::string& work, const std::string& source, const std::string& log) {
    std::string result = work + "films/film_ffmpeg.mkv";
    ::sync();
    Finished f = mustRun({"ffmpeg", "-hide_banner", "-nostdin", "-nostats", "-loglevel", "error", "-y", "-i", source,
                          "-map", "0:v", "-map", "0:a:0", "-map", "0:s", "-c:v", "copy", "-c:a", "ac3", "-b:a", "640k",
                          "-c:s", "copy", result},
                         log);
    Measure m;
    m.run = f.seconds;
    m.peakKib = f.peakKib;
    m.resultMib = mib(double(fs::file_size(result)));
    fs::remove(result);
    return m;
}

// Every round's measure of one side; figures are given as the best and the
// median over the rounds (the machine's other work only ever adds time),
// peaks as the highest.
struct Series {
    std::vector<Measure> rounds;

    template <typename Field>
    double best(Field field) const {
        double b = 0;
        for (std::size_t k = 0; k < rounds.size(); ++k) b = k == 0 ? field(rounds[k]) : std::min(b, field(rounds[k]));
        return b;
    }
    template <typename Field>
    double median(Field field) const {
        std::vector<double> v;
        for (const Measure& m : rounds) v.push_back(field(m));
        std::sort(v.begin(), v.end());
        if (v.empty()) return 0;
        return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
    }
    long peak(long Measure::*field) const {
        long p = 0;
        for (const Measure& m : rounds) p = std::max(p, m.*field);
        return p;
    }
};

std::string megabytes(long kib) {
    char text[32];
    std::snprintf(text, sizeof text, "%.0f MB", mibOfKib(kib));
    return text;
}

}  // namespace

int main(int argc, char** argv) {
    double wantedMib = 1024;
    int rounds = 3;
    bool keep = false, queue = true, withTrueHd = true;
    std::string workParent = buildDir;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--keep")) keep = true;
        else if (!std::strcmp(argv[i], "--no-queue")) queue = false;
        else if (!std::strcmp(argv[i], "--no-truehd")) withTrueHd = false;
        else if (!std::strcmp(argv[i], "--work") && i + 1 < argc) workParent = argv[++i];
        else if (!std::strcmp(argv[i], "--programs") && i + 1 < argc) programsDir = fs::absolute(argv[++i]).string();
        else if (!std::strcmp(argv[i], "--rounds") && i + 1 < argc && std::atoi(argv[i + 1]) > 0)
            rounds = std::atoi(argv[++i]);
        else if (std::atof(argv[i]) > 0) wantedMib = std::atof(argv[i]);
        else die("usage: processing_bench [SIZE_MB (1024)] [--rounds N (3)] [--work FOLDER] [--programs BUILD] [--no-queue] [--no-truehd] [--keep]");
    }
    for (const char* tool : {"ffmpeg", "ffprobe", "mkvmerge", "mkvextract", "mediainfo"})
        if (which(tool).empty()) die(std::string(tool) + " is not installed");
    for (const char* name : standIns)
        if (::access((programsDir + "/program/Applications/" + name).c_str(), X_OK) != 0)
            die(std::string("program/Applications/") + name + " is missing: build klarbrix-adapters");
    if (::access((programsDir + "/klarbrix-drive").c_str(), X_OK) != 0 ||
        ::access((programsDir + "/klarbrix-cmd").c_str(), X_OK) != 0)
        die("klarbrix-drive and klarbrix-cmd must be built");

    std::string work = fs::absolute(workParent).string() + "/processing_bench.work/";
    fs::remove_all(work);
    fs::create_directories(work);
    std::string log = work + "tools.log";

    std::printf("making a source of about %.0f MB...\n", wantedMib);
    std::fflush(stdout);
    auto made = Clock::now();
    std::string source = makeSource(work, wantedMib, log, dts, "film");
    std::string trueHdSource = withTrueHd ? makeSource(work, wantedMib, log, trueHd, "film-truehd") : "";
    std::printf("source: %s, %.0f MB, made in %.1f s\n", source.c_str(), mib(double(fs::file_size(source))),
                since(made));
    std::fflush(stdout);
    // Read once, so that no side starts with a cold cache; every measure
    // starts after sync(), so none pays for the writes of the one before.
    mustRun({"cat", source}, "/dev/null");
    if (withTrueHd) mustRun({"cat", trueHdSource}, "/dev/null");
    // The queue's second job needs a file of its own.
    std::string second = work + "films/film2.mkv";
    if (queue) fs::copy_file(source, second);

    Series program, direct, onePass, programQueue, directQueue, trueHdProgram, trueHdDirect;
    for (int round = 0; round < rounds; ++round) {
        std::printf("round %d of %d...\n", round + 1, rounds);
        std::fflush(stdout);
        // The order changes from round to round.
        if (round % 2 == 0) {
            program.rounds.push_back(measureProgram(work, source));
            direct.rounds.push_back(measureDirect(work, source, log));
        } else {
            direct.rounds.push_back(measureDirect(work, source, log));
            program.rounds.push_back(measureProgram(work, source));
        }
        if (withTrueHd) {
            auto byHand = [&] { trueHdDirect.rounds.push_back(measureDirect(work, trueHdSource, log, trueHd)); };
            if (round % 2 == 1) byHand();
            trueHdProgram.rounds.push_back(measureProgram(work, trueHdSource));
            if (round % 2 == 0) byHand();
        }
        onePass.rounds.push_back(measureOnePass(work, source, log));
        if (queue) {
            auto bothDirect = [&] { directQueue.rounds.push_back(measureDirectJobs(work, {source, second}, log)); };
            if (round % 2 == 0) bothDirect();
            programQueue.rounds.push_back(measureProgramQueue(work, {source, second}));
            if (round % 2 == 1) bothDirect();
        }
    }

    auto analysis = [](const Measure& m) { return m.analysis; };
    auto run = [](const Measure& m) { return m.run; };
    std::string title = std::to_string(rounds) + (rounds == 1 ? " round" : " rounds") + ", seconds";
    std::printf("\n%-56s %8s %8s   %s\n", title.c_str(), "best", "median", "peak memory");
    auto row = [](const char* what, const Series& series, auto field, const std::string& memory) {
        std::printf("%-56s %8.2f %8.2f   %s\n", what, series.best(field), series.median(field), memory.c_str());
    };
    row("analysis, program (MediaInfo stand-in)", program, analysis, "");
    row("analysis, mediainfo directly", direct, analysis, "");
    // The program's run beside the same commands run directly.
    auto pair = [&](const char* programLine, const Series& ours, const char* directLine, const Series& theirs) {
        row(programLine, ours, run,
            megabytes(ours.peak(&Measure::ownPeakKib)) + " klarbrix-drive, " +
                megabytes(ours.peak(&Measure::peakKib)) + " largest process");
        row(directLine, theirs, run, megabytes(theirs.peak(&Measure::peakKib)) + " largest process");
    };
    pair("run, program (delivered options)", program, "run, mkvextract + ffmpeg + mkvmerge directly", direct);
    if (queue) pair("queue of two jobs, program", programQueue, "the same two jobs' commands directly", directQueue);
    if (withTrueHd)
        pair("run, TrueHD 5.1 source, program", trueHdProgram, "run, TrueHD 5.1 source, the same commands directly",
             trueHdDirect);
    row("one ffmpeg pass (copy video, DTS->AC3, copy subtitles)", onePass, run,
        megabytes(onePass.peak(&Measure::peakKib)));

    std::printf("\n%-56s %8s %8s   (medians)\n", "steps of the run", "program", "direct");
    const char* stepNames[4] = {"extraction (mkvextract)", "DTS to AC3 (ffmpeg)", "remux (mkvmerge; program: log too)",
                                "the rest (clean-up, message)"};
    for (int k = 0; k < 4; ++k) {
        auto step = [k](const Measure& m) { return m.steps[k]; };
        std::printf("%-56s %8.2f %8.2f\n", stepNames[k], program.median(step), direct.median(step));
    }

    std::printf("\nresults: program %.0f MB, direct %.0f MB, one ffmpeg pass %.0f MB\n",
                program.rounds.back().resultMib, direct.rounds.back().resultMib, onePass.rounds.back().resultMib);
    auto ratio = [&](const char* what, const Series& a, const Series& b, auto field) {
        std::printf("%-56s %7.3fx %7.3fx\n", what, a.best(field) / b.best(field), a.median(field) / b.median(field));
    };
    std::printf("\n%-56s %8s %8s\n", "the program against the tools run directly", "best", "median");
    ratio("analysis", program, direct, analysis);
    ratio("immediate run", program, direct, run);
    if (queue) ratio("queue run of two jobs", programQueue, directQueue, run);
    if (withTrueHd) ratio("immediate run, TrueHD 5.1 source", trueHdProgram, trueHdDirect, run);
    ratio("immediate run against the one ffmpeg pass", program, onePass, run);
    auto cpu = [](const Measure& m) { return m.cpuSeconds; };
    std::printf("\n%-56s %8s %8s   (best, median)\n", "processor time, analysis included", "program", "direct");
    std::printf("%-56s %8.2f %8.2f   %8.2f %8.2f\n", "immediate run", program.best(cpu), direct.best(cpu),
                program.median(cpu), direct.median(cpu));
    if (queue)
        std::printf("%-56s %8.2f %8.2f   %8.2f %8.2f\n", "queue run of two jobs (and adding them)", programQueue.best(cpu),
                    directQueue.best(cpu), programQueue.median(cpu), directQueue.median(cpu));

    if (!keep) fs::remove_all(work);
    return 0;
}
