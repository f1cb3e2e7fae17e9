// Benchmark of the window program's start-up: time to its first painted frame
// against a bare window with the same widgets (startup_bare), and the peak
// resident memory of each. Run by hand:
//
//     startup_bench [--rounds N] [--callgrind] [--keep DIR] [-- program options]
//
// Each round starts the program (startup_real: the program's own main() with
// the first-frame hook, by default with --simulate) and the bare window, one
// after the other, each in a fresh process, so that both pay process start-up,
// library loading and Qt's platform start. The time runs from just before the
// process is started to the moment its first frame is painted and flushed.
// One untimed pair goes first to warm the caches. Without QT_QPA_PLATFORM set
// the children run on the offscreen platform.
//
// --callgrind runs each child under valgrind's callgrind instead and compares
// instructions executed up to the first frame, a figure that does not depend on
// the machine's load; the profiles stay in --keep DIR for callgrind_annotate.

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#ifndef DSA_STARTUP_REAL
#define DSA_STARTUP_REAL "startup_real"
#endif
#ifndef DSA_STARTUP_BARE
#define DSA_STARTUP_BARE "startup_bare"
#endif

extern char** environ;

namespace {

long long NowNs() {
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

struct ChildRun {
    bool ok = false;
    double firstFrameMs = 0;
    double peakRssMiB = 0;
    std::string failure;
};

// Starts `argv`, waits up to `timeoutS` for its "first-frame" line and for its
// end. A child that does not answer in time is killed and the run fails.
ChildRun RunChild(const std::vector<std::string>& argv, int timeoutS) {
    ChildRun run;
    int out[2];
    if (::pipe2(out, O_CLOEXEC) != 0) {
        run.failure = std::strerror(errno);
        return run;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    // Qt's and valgrind's remarks would clutter the table.
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    std::vector<char*> args;
    for (const std::string& arg : argv) {
        args.push_back(const_cast<char*>(arg.c_str()));
    }
    args.push_back(nullptr);

    pid_t pid = 0;
    const long long start = NowNs();
    const int spawned = ::posix_spawn(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    if (spawned != 0) {
        ::close(out[0]);
        run.failure = argv[0] + ": " + std::strerror(spawned);
        return run;
    }

    std::string text;
    const long long deadline = start + static_cast<long long>(timeoutS) * 1000000000LL;
    for (;;) {
        const long long left = deadline - NowNs();
        if (left <= 0) {
            run.failure = "no first frame within " + std::to_string(timeoutS) + " s";
            ::kill(pid, SIGKILL);
            break;
        }
        pollfd p{out[0], POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(left / 1000000 + 1)) <= 0) {
            continue;
        }
        char buffer[256];
        const ssize_t got = ::read(out[0], buffer, sizeof buffer);
        if (got <= 0) {
            break; // the child closed its output: it has ended
        }
        text.append(buffer, static_cast<size_t>(got));
    }
    ::close(out[0]);

    int status = 0;
    rusage usage{};
    ::wait4(pid, &status, 0, &usage);
    run.peakRssMiB = static_cast<double>(usage.ru_maxrss) / 1024.0;
    const size_t at = text.find("first-frame ");
    if (run.failure.empty() && at == std::string::npos) {
        run.failure = WIFEXITED(status)
                          ? "ended with status " + std::to_string(WEXITSTATUS(status)) +
                                " before its first frame"
                          : "killed by signal " + std::to_string(WTERMSIG(status));
    }
    if (run.failure.empty()) {
        const long long painted = std::atoll(text.c_str() + at + 12);
        run.firstFrameMs = static_cast<double>(painted - start) / 1e6;
        run.ok = true;
    }
    return run;
}

// The "summary:" line of a callgrind profile: instructions executed.
long long CallgrindInstructions(const std::string& file) {
    std::ifstream in(file);
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind("summary:", 0) == 0) {
            return std::atoll(line.c_str() + 8);
        }
    }
    return -1;
}

double Median(std::vector<double> values) {
    if (values.empty()) {
        return 0;
    }
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

struct Series {
    std::vector<double> values;
    std::vector<double> rss;
};

void PrintRow(const char* name, const Series& s, const char* unit) {
    std::printf("| %-28s | %10.2f %-4s | %10.2f | %10.2f | %8.1f MiB |\n", name, Median(s.values),
                unit, *std::min_element(s.values.begin(), s.values.end()),
                *std::max_element(s.values.begin(), s.values.end()), Median(s.rss));
}

int Usage() {
    std::fprintf(stderr, "usage: startup_bench [--rounds N] [--callgrind] [--keep DIR] "
                         "[-- program options]\n"
                         "The program options default to --simulate.\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    int rounds = -1;
    bool callgrind = false;
    std::string keep;
    std::vector<std::string> programOptions = {"--simulate"};
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--rounds" && i + 1 < argc) {
            rounds = std::atoi(argv[++i]);
            if (rounds < 1) {
                return Usage();
            }
        } else if (arg == "--callgrind") {
            callgrind = true;
        } else if (arg == "--keep" && i + 1 < argc) {
            keep = argv[++i];
        } else if (arg == "--") {
            programOptions.assign(argv + i + 1, argv + argc);
            break;
        } else {
            return Usage();
        }
    }
    if (rounds < 0) {
        rounds = callgrind ? 3 : 20;
    }
    if (!std::getenv("QT_QPA_PLATFORM")) {
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    if (callgrind && !keep.empty() && ::mkdir(keep.c_str(), 0777) != 0 && errno != EEXIST) {
        std::perror(keep.c_str());
        return 1;
    }
    if (callgrind && keep.empty()) {
        char folder[] = "/tmp/startup_bench.XXXXXX";
        if (!::mkdtemp(folder)) {
            std::perror("mkdtemp");
            return 1;
        }
        keep = folder;
    }

    std::string programLabel = "window program";
    for (const std::string& option : programOptions) {
        programLabel += " " + option;
    }
    const int timeoutS = callgrind ? 600 : 30;
    Series real;
    Series bare;
    for (int round = callgrind ? 0 : -1; round < rounds; ++round) {
        for (int which = 0; which < 2; ++which) {
            std::vector<std::string> child;
            std::string profile;
            if (callgrind) {
                profile = keep + (which == 0 ? "/real." : "/bare.") + std::to_string(round) +
                          ".callgrind";
                child = {"/usr/bin/valgrind", "--tool=callgrind",
                         "--callgrind-out-file=" + profile};
            }
            child.push_back(which == 0 ? DSA_STARTUP_REAL : DSA_STARTUP_BARE);
            if (which == 0) {
                child.insert(child.end(), programOptions.begin(), programOptions.end());
            }
            const ChildRun run = RunChild(child, timeoutS);
            if (!run.ok) {
                std::fprintf(stderr, "startup_bench: %s: %s\n",
                             which == 0 ? "window program" : "bare window", run.failure.c_str());
                return 1;
            }
            if (round < 0) {
                continue; // the warm-up pair
            }
            Series& series = which == 0 ? real : bare;
            if (callgrind) {
                const long long instructions = CallgrindInstructions(profile);
                if (instructions < 0) {
                    std::fprintf(stderr, "startup_bench: no summary in %s\n", profile.c_str());
                    return 1;
                }
                series.values.push_back(static_cast<double>(instructions) / 1e6);
            } else {
                series.values.push_back(run.firstFrameMs);
            }
            series.rss.push_back(run.peakRssMiB);
        }
    }

    std::vector<double> pairRatios;
    for (size_t i = 0; i < real.values.size(); ++i) {
        pairRatios.push_back(real.values[i] / bare.values[i]);
    }
    std::printf("Platform %s, %d rounds alternating%s\n\n", std::getenv("QT_QPA_PLATFORM"), rounds,
                callgrind ? ", under callgrind" : " after one warm-up pair");
    std::printf("| %-28s | %15s | %10s | %10s | %12s |\n", "To the first frame", "median", "min",
                "max", "peak RSS");
    std::printf("|%s|%s|%s|%s|%s|\n", std::string(30, '-').c_str(), std::string(17, '-').c_str(),
                std::string(12, '-').c_str(), std::string(12, '-').c_str(),
                std::string(14, '-').c_str());
    const char* unit = callgrind ? "MIns" : "ms";
    PrintRow(programLabel.c_str(), real, unit);
    PrintRow("bare window", bare, unit);
    std::printf("\nprogram / bare: %.3f (medians), %.3f (median of the rounds' ratios)\n",
                Median(real.values) / Median(bare.values), Median(pairRatios));
    if (callgrind) {
        std::printf("Peak RSS under callgrind is valgrind's own. Profiles: %s "
                    "(callgrind_annotate FILE)\n",
                    keep.c_str());
    }
    return 0;
}
