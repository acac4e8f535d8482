// Running the programs a benchmark measures: one at a time with its time,
// processor time and peak memory, or klarbrix-drive held by a pipe on each
// side (commands in, lines out with the moment each was read).
#pragma once

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace bench {

using Clock = std::chrono::steady_clock;
using Args = std::vector<std::string>;

[[noreturn]] inline void die(const std::string& message) {
    std::fprintf(stderr, "processing_bench: %s\n", message.c_str());
    std::exit(1);
}

inline double since(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

// One finished program: its time and the peak memory of it and of the
// children it waited for (ru_maxrss, in KiB).
struct Finished {
    int status = -1;
    double seconds = 0;
    long peakKib = 0;
    double cpuSeconds = 0;  // user and system time of it and of the children it waited for
};

inline double cpuOf(const rusage& usage) {
    auto seconds = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

inline int statusOf(int raw) { return WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + (WIFSIGNALED(raw) ? WTERMSIG(raw) : 0); }

[[noreturn]] inline void execIn(const std::string& folder, const Args& argv) {
    if (!folder.empty() && ::chdir(folder.c_str()) != 0) ::_exit(126);
    std::vector<char*> args;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    ::execvp(args[0], args.data());
    ::_exit(127);
}

// Runs a program with no shell, its output into `logFile` (appended).
inline Finished run(const Args& argv, const std::string& logFile) {
    Finished done;
    auto start = Clock::now();
    pid_t pid = ::fork();
    if (pid == 0) {
        int null = ::open("/dev/null", O_RDONLY);
        int log = ::open(logFile.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
        ::dup2(null, 0);
        ::dup2(log, 1);
        ::dup2(log, 2);
        execIn("", argv);
    }
    if (pid < 0) die("fork failed");
    int raw = 0;
    rusage usage{};
    while (::wait4(pid, &raw, 0, &usage) < 0 && errno == EINTR) {
    }
    done.seconds = since(start);
    done.status = statusOf(raw);
    done.peakKib = usage.ru_maxrss;
    done.cpuSeconds = cpuOf(usage);
    return done;
}

inline Finished mustRun(const Args& argv, const std::string& logFile) {
    Finished done = run(argv, logFile);
    if (done.status != 0) die(argv[0] + " ended with " + std::to_string(done.status) + "; see " + logFile);
    return done;
}

inline std::string which(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::string folders = path ? path : "";
    for (std::size_t from = 0; from <= folders.size();) {
        std::size_t end = std::min(folders.find(':', from), folders.size());
        std::string candidate = folders.substr(from, end - from) + "/" + name;
        if (end > from && ::access(candidate.c_str(), X_OK) == 0) return candidate;
        from = end + 1;
    }
    return "";
}

// klarbrix-drive with a pipe on each side: commands go in, lines come out.
class Drive {
public:
    Drive(const std::string& program, const std::string& programFolder, const std::string& errorFile) {
        int in[2], out[2];
        if (::pipe(in) != 0 || ::pipe(out) != 0) die("pipe failed");
        pid_ = ::fork();
        if (pid_ == 0) {
            int log = ::open(errorFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            ::dup2(in[0], 0);
            ::dup2(out[1], 1);
            ::dup2(log, 2);
            ::close(in[1]);
            ::close(out[0]);
            execIn(programFolder, {program});
        }
        if (pid_ < 0) die("fork failed");
        ::close(in[0]);
        ::close(out[1]);
        in_ = in[1];
        out_ = out[0];
    }

    void send(const std::string& commands) {
        for (std::size_t at = 0; at < commands.size();) {
            ssize_t n = ::write(in_, commands.data() + at, commands.size() - at);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) die("klarbrix-drive stopped reading");
            at += std::size_t(n);
        }
    }

    // Reads lines up to the first that starts with `prefix`; every line read
    // is kept in `lines`.
    void waitFor(const std::string& prefix) {
        for (;;) {
            std::size_t end = buffer_.find('\n');
            if (end != std::string::npos) {
                std::string line = buffer_.substr(0, end);
                buffer_.erase(0, end + 1);
                lines.push_back(line);
                stamps.push_back(Clock::now());
                if (line.compare(0, prefix.size(), prefix) == 0) return;
                continue;
            }
            char chunk[4096];
            ssize_t n = ::read(out_, chunk, sizeof chunk);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) die("klarbrix-drive ended before \"" + prefix + "\"");
            buffer_.append(chunk, std::size_t(n));
        }
    }

    // The drive's own peak resident size so far (VmHWM), in KiB.
    long ownPeakKib() const {
        std::ifstream status("/proc/" + std::to_string(pid_) + "/status");
        for (std::string line; std::getline(status, line);)
            if (line.rfind("VmHWM:", 0) == 0) return std::atol(line.c_str() + 6);
        return 0;
    }

    // Ends its input and waits; the peak covers the drive and every program
    // it started.
    Finished finish() {
        ::close(in_);
        char chunk[4096];
        for (ssize_t n; (n = ::read(out_, chunk, sizeof chunk)) != 0;)
            if (n < 0 && errno != EINTR) break;
        ::close(out_);
        Finished done;
        int raw = 0;
        rusage usage{};
        while (::wait4(pid_, &raw, 0, &usage) < 0 && errno == EINTR) {
        }
        done.status = statusOf(raw);
        done.peakKib = usage.ru_maxrss;
        done.cpuSeconds = cpuOf(usage);
        return done;
    }

    // When the first line equal to `line` was read (the epoch when none was).
    Clock::time_point when(const std::string& line) const {
        auto it = std::find(lines.begin(), lines.end(), line);
        return it == lines.end() ? Clock::time_point() : stamps[std::size_t(it - lines.begin())];
    }

    std::vector<std::string> lines;
    std::vector<Clock::time_point> stamps;

private:
    pid_t pid_ = -1;
    int in_ = -1, out_ = -1;
    std::string buffer_;
};

}  // namespace bench
