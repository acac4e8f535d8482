// startup_bench: how long the desktop program takes from exec to the first
// painted frame of its main window, and its resident memory at that moment,
// against an empty Qt window of the same size, and against the main window
// alone (the front end without the program behind it); in turns, under one X
// server. Usage: startup_bench [--rounds N] [--program PATH] [--verbose]
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <tuple>
#include <string>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

struct Sample {
    double ms = 0;        // exec to the first painted frame
    double rssMb = 0;     // VmRSS at that moment
    double hwmMb = 0;     // VmHWM at that moment
    double cpuMs = 0;     // processor time of all its threads until then (as it tells)
    std::string size;     // the window's size as the program reports it
};

[[noreturn]] void fail(const std::string& what) {
    std::fprintf(stderr, "startup_bench: %s\n", what.c_str());
    std::exit(1);
}

// Megabytes of a "Name:   1234 kB" line of /proc/PID/status.
double statusMb(const std::string& status, const std::string& name) {
    std::size_t at = status.find(name + ":");
    if (at == std::string::npos) return 0;
    return std::strtod(status.c_str() + at + name.size() + 1, nullptr) / 1024.0;
}

std::vector<std::string> environmentWith(const std::map<std::string, std::string>& changes) {
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
        std::string entry = *e;
        std::string name = entry.substr(0, entry.find('='));
        if (!changes.count(name)) env.push_back(entry);
    }
    for (const auto& [name, value] : changes) env.push_back(name + "=" + value);
    return env;
}

pid_t spawn(const std::vector<std::string>& args, const std::vector<std::string>& env, int keepFd, int errFd) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    if (errFd >= 0) posix_spawn_file_actions_adddup2(&actions, errFd, 2);
    if (keepFd >= 0) posix_spawn_file_actions_adddup2(&actions, keepFd, 3);
    std::vector<char*> argv, envp;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    for (const std::string& e : env) envp.push_back(const_cast<char*>(e.c_str()));
    envp.push_back(nullptr);
    pid_t pid = 0;
    int error = posix_spawn(&pid, args[0].c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0) fail("cannot start " + args[0] + ": " + std::strerror(error));
    return pid;
}

// Starts Xvfb on a free display and returns its process and display name.
std::pair<pid_t, std::string> startXvfb(int errFd) {
    int pipeFds[2];
    if (::pipe(pipeFds) != 0) fail("pipe");
    std::vector<std::string> args = {"/usr/bin/Xvfb", "-displayfd", "3", "-screen", "0", "1280x1024x24",
                                     "-nolisten", "tcp", "-noreset"};
    if (::access(args[0].c_str(), X_OK) != 0) fail("Xvfb is missing (Debian package xvfb), or run under a DISPLAY");
    pid_t pid = spawn(args, environmentWith({}), pipeFds[1], errFd);
    ::close(pipeFds[1]);
    std::string number;
    char c;
    pollfd p{pipeFds[0], POLLIN, 0};
    while (::poll(&p, 1, 10000) > 0 && ::read(pipeFds[0], &c, 1) == 1 && c != '\n') number += c;
    ::close(pipeFds[0]);
    if (number.empty()) {
        ::kill(pid, SIGTERM);
        ::waitpid(pid, nullptr, 0);
        fail("Xvfb did not start");
    }
    return {pid, ":" + number};
}

// One start: exec to the "painted" line, then the memory of that moment.
Sample measure(const std::vector<std::string>& args, const std::vector<std::string>& env, int errFd) {
    int pair[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) != 0) fail("socketpair");
    Clock::time_point start = Clock::now();
    pid_t pid = spawn(args, env, pair[1], errFd);
    ::close(pair[1]);
    std::string line;
    pollfd p{pair[0], POLLIN, 0};
    Clock::time_point painted;
    while (line.find('\n') == std::string::npos) {
        if (::poll(&p, 1, 20000) <= 0) break;
        char buffer[64];
        ssize_t n = ::read(pair[0], buffer, sizeof buffer);
        if (n <= 0) break;
        if (line.empty()) painted = Clock::now();
        line.append(buffer, std::size_t(n));
    }
    Sample sample;
    std::ifstream statusFile("/proc/" + std::to_string(pid) + "/status");
    std::stringstream status;
    status << statusFile.rdbuf();
    ::close(pair[0]);  // the program ends now
    int wstatus = 0;
    if (line.rfind("painted ", 0) != 0) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, &wstatus, 0);
        fail(args[0] + " did not report its first paint (is it built with the hook? see its errors in the log)");
    }
    ::waitpid(pid, &wstatus, 0);
    sample.ms = std::chrono::duration<double, std::milli>(painted - start).count();
    sample.rssMb = statusMb(status.str(), "VmRSS");
    sample.hwmMb = statusMb(status.str(), "VmHWM");
    std::istringstream report(line.substr(8));
    double cpuUs = 0;
    report >> sample.size >> cpuUs;
    sample.cpuMs = cpuUs / 1000;
    return sample;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    std::size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

double least(const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); }

// A program folder of our own: a copy of the executable (it finds its folder
// from its own path), the delivered settings without the update check, the
// sound and the tools' folder; home and XDG folders inside it too.
fs::path scratchProgramFolder(const fs::path& program) {
    char pattern[] = "/tmp/klarbrix-startup-XXXXXX";
    if (!::mkdtemp(pattern)) fail("cannot make a scratch folder");
    fs::path folder = pattern;
    fs::path source = program.parent_path();
    fs::copy_file(program, folder / program.filename());
    std::ifstream in(source / "options.txt");
    std::ofstream out(folder / "options.txt");
    std::string line;
    bool seen = false;
    while (std::getline(in, line)) {
        if (line.rfind("checkupdate", 0) == 0) {
            line = "checkupdate = 0";
            seen = true;
        }
        out << line << "\n";
    }
    if (!seen) out << "checkupdate = 0\n";
    if (fs::exists(source / "success.wav")) fs::create_symlink(source / "success.wav", folder / "success.wav");
    if (fs::exists(source / "Applications")) fs::create_directory_symlink(source / "Applications", folder / "Applications");
    else fs::create_directory(folder / "Applications");
    fs::create_directories(folder / "home");
    return folder;
}

}  // namespace

int main(int argc, char** argv) {
    int rounds = 11;
    bool verbose = false;
    fs::path build = KLARBRIX_BUILD_DIR;
    fs::path program = build / "program" / "klarbrix";
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--rounds" && i + 1 < argc) rounds = std::max(1, std::atoi(argv[++i]));
        else if (a == "--program" && i + 1 < argc) program = argv[++i];
        else if (a == "--verbose") verbose = true;
        else fail("usage: startup_bench [--rounds N] [--program PATH] [--verbose]");
    }
    program = fs::absolute(program);
    fs::path reference = build / "startup_empty_window";
    fs::path mainWindowOnly = build / "startup_main_window";
    if (::access(program.c_str(), X_OK) != 0) fail("no program at " + program.string());
    if (::access(reference.c_str(), X_OK) != 0) fail("no reference window at " + reference.string());

    fs::path folder = scratchProgramFolder(program);
    fs::path log = folder / "errors.log";
    int errFd = ::open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);

    pid_t xvfb = 0;
    std::string display;
    const char* existing = std::getenv("DISPLAY");
    if (existing && *existing) display = existing;
    else std::tie(xvfb, display) = startXvfb(errFd);

    std::string home = (folder / "home").string();
    std::vector<std::string> env = environmentWith({{"DISPLAY", display},
                                                    {"QT_QPA_PLATFORM", "xcb"},
                                                    {"HOME", home},
                                                    {"XDG_CONFIG_HOME", home + "/.config"},
                                                    {"XDG_DATA_HOME", home + "/.local/share"},
                                                    {"XDG_CACHE_HOME", home + "/.cache"},
                                                    {"KLARBRIX_FIRST_PAINT_FD", "3"}});

    struct Contender {
        const char* name;
        std::vector<std::string> args;
        std::vector<Sample> samples;
    };
    std::vector<Contender> contenders = {{"klarbrix", {(folder / program.filename()).string()}, {}}};
    // A first start, not counted: files in the page cache, caches made, and
    // the size of the main window for the reference.
    std::string size = measure(contenders[0].args, env, errFd).size;
    std::size_t x = size.find('x');
    if (::access(mainWindowOnly.c_str(), X_OK) == 0) contenders.push_back({"main window", {mainWindowOnly.string()}, {}});
    contenders.push_back({"empty window", {reference.string(), size.substr(0, x), size.substr(x + 1)}, {}});
    for (std::size_t c = 1; c < contenders.size(); ++c) measure(contenders[c].args, env, errFd);

    for (int round = 0; round < rounds; ++round) {
        // Each takes its turn first, round after round.
        for (std::size_t turn = 0; turn < contenders.size(); ++turn) {
            Contender& c = contenders[(std::size_t(round) + turn) % contenders.size()];
            Sample s = measure(c.args, env, errFd);
            if (verbose)
                std::printf("round %2d  %-13s %7.1f ms  CPU %5.1f ms  VmRSS %5.1f MB  VmHWM %5.1f MB  %s\n", round + 1,
                            c.name, s.ms, s.cpuMs, s.rssMb, s.hwmMb, s.size.c_str());
            if (s.size != size) fail(std::string(c.name) + " showed a window of " + s.size + ", not " + size);
            c.samples.push_back(s);
        }
    }

    if (xvfb > 0) {
        ::kill(xvfb, SIGTERM);
        ::waitpid(xvfb, nullptr, 0);
    }
    ::close(errFd);
    std::error_code ignored;
    fs::remove_all(folder, ignored);

    // Median and least of one measure of a contender.
    auto figures = [](const Contender& c, double Sample::*field) {
        std::vector<double> v;
        for (const Sample& s : c.samples) v.push_back(s.*field);
        return std::make_pair(median(v), least(v));
    };
    double Sample::*fields[] = {&Sample::ms, &Sample::cpuMs, &Sample::rssMb, &Sample::hwmMb};
    const char* units[] = {"ms", "ms", "MB", "MB"};
    std::printf("startup_bench: %d rounds under %s%s, windows of %s (median, min)\n", rounds, display.c_str(),
                xvfb > 0 ? " (Xvfb of our own)" : "", size.c_str());
    std::printf("%-22s %19s %19s %19s %19s\n", "", "exec to first paint", "CPU until then", "VmRSS then", "VmHWM then");
    for (const Contender& c : contenders) {
        std::printf("%-22s", c.name);
        for (int f = 0; f < 4; ++f) {
            auto [med, low] = figures(c, fields[f]);
            std::printf(" %7.1f %7.1f %s", med, low, units[f]);
        }
        std::printf("\n");
    }
    const Contender& empty = contenders.back();
    for (std::size_t i = 0; i + 1 < contenders.size(); ++i) {
        std::printf("%-22s", (std::string(contenders[i].name) + " / empty").c_str());
        for (int f = 0; f < 4; ++f) {
            auto [med, low] = figures(contenders[i], fields[f]);
            auto [emptyMed, emptyLow] = figures(empty, fields[f]);
            std::printf(" %6.2fx %6.2fx   ", med / emptyMed, low / emptyLow);
        }
        std::printf("\n");
    }
    std::printf("%-22s %8s %40s\n", "goal, klarbrix / empty", "<= 1.10x", "<= 1.20x");
    return 0;
}
