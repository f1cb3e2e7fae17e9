// Runs the real dsactl against the kernel's parallel port driver in the test
// guest and checks the timing of a sweep at the port itself. A sweep is stopped
// (SIGSTOP) between two Loads for far longer than its dwell, then let go on: the
// bytes that reached the port, logged by the preloaded write log with their
// times, must show every value latched once, in order, its Loads never closer
// than the dwell less the lateness tolerance (the run slips instead of catching
// up), and the end record must report the stall. With --max-late a stall ends
// the run before the late step, with exit status 3.
//
// Usage: sweep_guest_check DSACTL WRITE_LOG_LIBRARY
// Prints one line per check and a final "N passed, M failed" line, and exits
// non-zero when any check failed.

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "core/Sequence.h"
#include "port/PinMap.h"

#include "CheckRun.h"
#include "GuestTools.h"

namespace {

using Nanoseconds = int64_t; // on CLOCK_MONOTONIC, as the write log and dsactl use it

constexpr Nanoseconds kMillisecond = 1000000;
constexpr int kValues = 31; // 0 to 15 dB in steps of 0.5 dB
constexpr Nanoseconds kDwell = 10 * kMillisecond;
// The stop comes this long after the first byte reached the port, and lasts this long.
constexpr Nanoseconds kStallAfter = 50 * kMillisecond;
constexpr Nanoseconds kStall = 300 * kMillisecond;
// The run with --max-late: under emulation the first steps of a fresh dsactl may
// start up to some 200 ms late (its code is being translated), so the bound is
// well above that and the stall well above the bound.
const char* const kMaxLate = "500ms";
constexpr Nanoseconds kLateStall = 1000 * kMillisecond;
// What the emulated machine may add between dsactl reading the clock for a step
// and its Load's first write reaching the port: a busy host holds the emulator
// off for milliseconds (7 ms seen), far above the lateness tolerance. Over a
// span of many steps, where a run that caught up would show, it is little.
constexpr Nanoseconds kEmulationDelay = 20 * kMillisecond;
// The slip the end record must show at least: most of the stall.
constexpr Nanoseconds kLeastSlip = 200 * kMillisecond;
// How much later than the stall's end the stalled step may start.
constexpr Nanoseconds kStallExcess = 100 * kMillisecond;
// The stop comes between two Loads, at least this long before the next one is due.
constexpr Nanoseconds kStopMargin = 2 * kMillisecond;
// Bounds of every wait: for dsactl to start and make its first write, to stop
// on SIGSTOP, and to end.
constexpr Nanoseconds kStartBound = 30000 * kMillisecond;
constexpr Nanoseconds kStopBound = 5000 * kMillisecond;
constexpr Nanoseconds kEndBound = 30000 * kMillisecond;

const char* const kWriteLog = "/tmp/ppdev-writes.log";
const char* const kOutput = "/tmp/dsactl.out";
const char* const kErrors = "/tmp/dsactl.err";

Nanoseconds Now() {
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<Nanoseconds>(now.tv_sec) * 1000000000 + now.tv_nsec;
}

void SleepUntil(Nanoseconds at) {
    const timespec when{static_cast<time_t>(at / 1000000000), static_cast<long>(at % 1000000000)};
    while (::clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &when, nullptr) == EINTR) {
    }
}

std::string Milliseconds(Nanoseconds duration) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f ms", static_cast<double>(duration) / kMillisecond);
    return text;
}

std::string ReadFile(const char* path) {
    std::ifstream file(path);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);) {
        lines.push_back(line);
    }
    return lines;
}

// What waitpid said, as text.
std::string StatusText(int status) {
    if (WIFEXITED(status)) {
        return "exit status " + std::to_string(WEXITSTATUS(status));
    }
    if (WIFSIGNALED(status)) {
        return std::string("killed by ") + strsignal(WTERMSIG(status));
    }
    return "status " + std::to_string(status);
}

// A write to the data lines, as the write log has it.
struct PortWrite {
    Nanoseconds at = 0;
    unsigned value = 0;
};

// The write log as it grows, read while dsactl runs. Only what was added since
// the last look is read, so that looking often takes little of the guest's one
// processor from the program under test.
class WriteLog {
public:
    WriteLog() = default;
    WriteLog(const WriteLog&) = delete;
    WriteLog& operator=(const WriteLog&) = delete;
    ~WriteLog() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }

    const std::vector<PortWrite>& Writes() {
        if (fd_ < 0) {
            fd_ = ::open(kWriteLog, O_RDONLY | O_CLOEXEC);
        }
        char buffer[4096];
        ssize_t length = 0;
        while (fd_ >= 0 && (length = ::read(fd_, buffer, sizeof buffer)) > 0) {
            pending_.append(buffer, static_cast<std::size_t>(length));
        }
        std::size_t end = 0;
        while ((end = pending_.find('\n')) != std::string::npos) {
            PortWrite write;
            long long at = 0;
            if (std::sscanf(pending_.c_str(), "%lld %u", &at, &write.value) == 2) {
                write.at = at;
                writes_.push_back(write);
            }
            pending_.erase(0, end + 1);
        }
        return writes_;
    }

private:
    int fd_ = -1;
    std::string pending_; // a line not yet complete
    std::vector<PortWrite> writes_;
};

// A serial Load as the board sees it: each rising clock edge shifts the data
// line in, the rising edge of an LE line latches the last six bits (the most
// significant step came first, so bit i is step i).
struct Latch {
    Nanoseconds at = 0;
    unsigned word = 0;
    unsigned lines = 0;        // the LE lines that rose
    Nanoseconds loadStart = 0; // the Load's first write
};

unsigned LeLines() {
    unsigned lines = 0;
    for (int le = 1; le <= pins::kLeCount; ++le) {
        lines |= pins::LeLine(le);
    }
    return lines;
}

std::vector<Latch> Latches(const std::vector<PortWrite>& writes) {
    const unsigned leLines = LeLines();
    std::vector<Latch> latches;
    unsigned before = 0;
    unsigned shifted = 0;
    std::optional<Nanoseconds> loadStart;
    for (const PortWrite& write : writes) {
        if (!loadStart) {
            loadStart = write.at;
        }
        const unsigned rising = write.value & ~before;
        if ((rising & pins::kClock) != 0) {
            shifted = ((shifted << 1) | ((write.value & pins::kData) != 0 ? 1u : 0u)) &
                      pins::kSerialStepsMask;
        }
        if ((rising & leLines) != 0) {
            latches.push_back({write.at, shifted, rising & leLines, *loadStart});
        }
        // All lines low after a latch end the Load.
        if (write.value == 0 && (before & leLines) != 0) {
            loadStart.reset();
        }
        before = write.value;
    }
    return latches;
}

// One run of dsactl with the write log preloaded, stopped part way.
struct StalledRun {
    std::string problem; // why the run could not be made as planned; empty when it was
    int status = -1;
    Nanoseconds stoppedAt = 0;
    int stops = 0; // SIGSTOPs sent: one, unless one caught a Load begun
    Nanoseconds continuedAt = 0;
    std::vector<Latch> latches;
    std::vector<std::string> stepLines;
    std::string end; // the end record
    std::string errors;

    std::vector<unsigned> ReportedWords() const {
        std::vector<unsigned> words;
        for (const std::string& line : stepLines) {
            words.push_back(static_cast<unsigned>(JsonNumber(line, "word").value_or(-1)));
        }
        return words;
    }
    std::vector<unsigned> LatchedWords() const {
        std::vector<unsigned> words;
        for (const Latch& latch : latches) {
            words.push_back(latch.word);
        }
        return words;
    }
    std::size_t LatchesBefore(Nanoseconds at) const {
        return static_cast<std::size_t>(std::count_if(latches.begin(), latches.end(),
                                                      [at](const Latch& l) { return l.at < at; }));
    }
    std::size_t LatchesAfter(Nanoseconds at) const { return latches.size() - LatchesBefore(at); }
    // The two latches (or Loads) closest together: the gap and the number of the
    // later one, counted from 1.
    std::pair<Nanoseconds, std::size_t> Closest(Nanoseconds Latch::*time) const {
        std::pair<Nanoseconds, std::size_t> closest{INT64_MAX, 0};
        for (std::size_t i = 1; i < latches.size(); ++i) {
            closest = std::min(closest, {latches[i].*time - latches[i - 1].*time, i + 1});
        }
        return closest;
    }
    std::string Exit() const {
        std::string text = StatusText(status) + ", end \"" + JsonText(end, "end") + "\"";
        if (!errors.empty()) {
            text += ", it said: " + errors;
        }
        return text;
    }
};

// Starts `arguments` with the write log preloaded, output to files.
pid_t Start(const std::vector<std::string>& arguments, const char* writeLog) {
    const pid_t pid = ::fork();
    if (pid != 0) {
        return pid;
    }
    const int out = ::open(kOutput, O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int err = ::open(kErrors, O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ::dup2(out, STDOUT_FILENO);
    ::dup2(err, STDERR_FILENO);
    if (writeLog != nullptr) {
        ::setenv("LD_PRELOAD", writeLog, 1);
        ::setenv("DSA_PPDEV_WRITE_LOG", kWriteLog, 1);
        // A sanitized dsactl wants its runtime first; the log comes before it.
        const char* asan = std::getenv("ASAN_OPTIONS");
        const std::string options = std::string(asan != nullptr ? asan : "") +
                                    (asan != nullptr ? ":" : "") + "verify_asan_link_order=0";
        ::setenv("ASAN_OPTIONS", options.c_str(), 1);
    }
    ExecInChild(arguments);
}

// Waits at most until `deadline` for the child to end (or, with `stopped`, to
// stop); kills it at the deadline. True when it ended (or stopped) in time.
bool Wait(pid_t pid, Nanoseconds deadline, int& status, bool stopped = false) {
    for (;;) {
        const pid_t done = ::waitpid(pid, &status, WNOHANG | (stopped ? WUNTRACED : 0));
        if (done == pid) {
            return !stopped || WIFSTOPPED(status);
        }
        if (Now() >= deadline) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &status, 0);
            return false;
        }
        ::usleep(1000);
    }
}

// Whether the child has ended, leaving it to be waited for.
bool Ended(pid_t pid) {
    siginfo_t ended{};
    return ::waitid(P_PID, static_cast<id_t>(pid), &ended, WEXITED | WNOHANG | WNOWAIT) == 0 &&
           ended.si_pid == pid;
}

// The first write in the log, once there is one; 0 when the child ended first
// or the bound passed.
Nanoseconds FirstWrite(pid_t pid, WriteLog& log, Nanoseconds deadline) {
    for (;;) {
        const std::vector<PortWrite>& writes = log.Writes();
        if (!writes.empty()) {
            return writes.front().at;
        }
        if (Now() >= deadline || Ended(pid)) {
            return 0;
        }
        ::usleep(1000);
    }
}

// Stops the child (SIGSTOP) in the wait between two Loads, the first that ends
// at `after` or later: just after the Load's last write, while the next Load is
// at least kStopMargin away. A stop that caught the next Load begun is let go
// at once and tried again in the following wait. (A stop that comes while the
// next Load's first write is in the driver, before its log line, goes unseen:
// that Load then ends after the stall, which the checks allow.) The time of the
// stop, or 0
// (with run.problem saying why) when there was none within the bounds.
Nanoseconds StopBetweenLoads(pid_t pid, WriteLog& log, Nanoseconds after, StalledRun& run) {
    const Nanoseconds soonest =
        kDwell - LatenessTolerance(std::chrono::nanoseconds(kDwell)).count();
    const Nanoseconds deadline = Now() + kEndBound;
    std::size_t tried = 0; // the writes when a wait was last looked at
    while (Now() < deadline && !Ended(pid)) {
        const std::vector<PortWrite>& writes = log.Writes();
        const bool loaded = writes.size() >= 2 && writes.back().value == 0 &&
                            (writes[writes.size() - 2].value & LeLines()) != 0;
        if (!loaded || writes.size() == tried || writes.back().at < after) {
            ::usleep(1000);
            continue;
        }
        tried = writes.size();
        const Nanoseconds nextLoad = Latches(writes).back().loadStart + soonest;
        const Nanoseconds stoppedAt = Now();
        if (stoppedAt + kStopMargin > nextLoad) {
            continue;
        }
        ::kill(pid, SIGSTOP);
        ++run.stops;
        if (!Wait(pid, Now() + kStopBound, run.status, true)) {
            run.problem = "dsactl did not stop on SIGSTOP (" + StatusText(run.status) + ")";
            return 0;
        }
        if (log.Writes().size() == tried) {
            return stoppedAt;
        }
        ::kill(pid, SIGCONT);
    }
    run.problem = "dsactl ended or " + Milliseconds(kEndBound) +
                  " passed before a wait between two Loads to stop it in";
    return 0;
}

void Collect(WriteLog& log, StalledRun& run);

StalledRun RunStalled(const std::vector<std::string>& arguments, const char* writeLog,
                      Nanoseconds stall) {
    StalledRun run;
    ::unlink(kWriteLog);
    const pid_t pid = Start(arguments, writeLog);
    if (pid < 0) {
        run.problem = std::string("fork failed: ") + std::strerror(errno);
        return run;
    }
    WriteLog log;
    const Nanoseconds first = FirstWrite(pid, log, Now() + kStartBound);
    if (first == 0) {
        run.problem = "dsactl wrote nothing to the port";
    } else {
        run.stoppedAt = StopBetweenLoads(pid, log, first + kStallAfter, run);
        if (run.stoppedAt != 0) {
            SleepUntil(run.stoppedAt + stall);
            ::kill(pid, SIGCONT);
            run.continuedAt = Now();
        }
    }
    // A run that could not be stalled as planned is ended at once.
    if (!Wait(pid, run.stoppedAt == 0 ? Now() : Now() + kEndBound, run.status) &&
        run.problem.empty()) {
        run.problem = "dsactl did not end within " + Milliseconds(kEndBound) + " (killed)";
    }
    Collect(log, run);
    return run;
}

// What dsactl wrote to the port, printed and said.
void Collect(WriteLog& log, StalledRun& run) {
    run.latches = Latches(log.Writes());
    for (const std::string& line : Lines(ReadFile(kOutput))) {
        if (line.find("\"end\":") != std::string::npos) {
            run.end = line;
        } else if (line.find("\"step\":") != std::string::npos) {
            run.stepLines.push_back(line);
        }
    }
    run.errors = ReadFile(kErrors);
    if (!run.errors.empty() && run.errors.back() == '\n') {
        run.errors.pop_back();
    }
}

// Where each Load began and latched, from the first Load's start: for a check of
// the timing that failed.
void PrintLatches(const StalledRun& sweep) {
    if (sweep.latches.empty()) {
        return;
    }
    const Nanoseconds origin = sweep.latches.front().loadStart;
    std::printf("    stopped at +%s, let go on at +%s\n",
                Milliseconds(sweep.stoppedAt - origin).c_str(),
                Milliseconds(sweep.continuedAt - origin).c_str());
    for (std::size_t i = 0; i < sweep.latches.size(); ++i) {
        const Latch& latch = sweep.latches[i];
        std::printf("    latch %zu: Load from +%s, latched word %u at +%s%s%s\n", i + 1,
                    Milliseconds(latch.loadStart - origin).c_str(), latch.word,
                    Milliseconds(latch.at - origin).c_str(), i > 0 ? ", after " : "",
                    i > 0 ? Milliseconds(latch.at - sweep.latches[i - 1].at).c_str() : "");
    }
}

std::vector<std::string> SweepArguments(const std::string& dsactl) {
    return {dsactl, "--port", "378",    "sweep", "--model", "1",    "--from", "0",
            "--to", "15",     "--step", "0.5",   "--dwell", "10ms", "--json"};
}

std::string Words(const std::vector<unsigned>& words) {
    std::string text;
    for (unsigned word : words) {
        text += (text.empty() ? "" : ",") + std::to_string(word);
    }
    return "[" + text + "]";
}

// Whether the stall fell inside the run: some latches before it, and (unless
// the run was to end at the stall) some after.
void CheckStallInside(CheckRun& run, const StalledRun& sweep, const std::string& name,
                      bool latchesAfter) {
    const std::size_t before = sweep.LatchesBefore(sweep.stoppedAt);
    const std::size_t after = sweep.LatchesAfter(sweep.continuedAt);
    const bool inside = sweep.problem.empty() && before > 0 && (!latchesAfter || after > 0);
    run.Check(inside, name + " was stopped part way",
              sweep.problem.empty() ? std::to_string(before) + " latches before the stop, " +
                                          std::to_string(after) + " after it"
                                    : sweep.problem + "; " + sweep.Exit());
    if (!inside) {
        PrintLatches(sweep);
    }
}

void CheckStalledSweep(CheckRun& run, const std::string& dsactl, const char* writeLog) {
    const StalledRun sweep = RunStalled(SweepArguments(dsactl), writeLog, kStall);
    const std::string name = "sweep stalled " + Milliseconds(kStall);
    CheckStallInside(run, sweep, name, true);
    run.Check(WIFEXITED(sweep.status) && WEXITSTATUS(sweep.status) == 0 &&
                  JsonText(sweep.end, "end") == "completed",
              name + " exits with status 0, completed", sweep.Exit());
    const long long steps = JsonNumber(sweep.end, "steps").value_or(-1);
    run.Check(sweep.latches.size() == kValues && sweep.stepLines.size() == kValues &&
                  steps == kValues,
              name + " latches each of its " + std::to_string(kValues) + " values once",
              std::to_string(sweep.latches.size()) + " latches, " +
                  std::to_string(sweep.stepLines.size()) + " step records, end record " +
                  std::to_string(steps) + " steps");
    run.Check(sweep.LatchedWords() == sweep.ReportedWords(),
              name + " latches the words of its steps, in order",
              "latched " + Words(sweep.LatchedWords()) + ", steps " + Words(sweep.ReportedWords()));

    // The schedule's rule where the port sees a step begin, at its Load's first
    // write: step j starts at least (j - i) dwells after step i, less the
    // tolerance by which step i may have been late without moving the schedule.
    // The emulator's own delays shorten one span by at most kEmulationDelay; a
    // run that caught up after the stall would take its steps back to back.
    const Nanoseconds tolerance = LatenessTolerance(std::chrono::nanoseconds(kDwell)).count();
    std::string shortSpan;
    for (std::size_t i = 0; i < sweep.latches.size() && shortSpan.empty(); ++i) {
        for (std::size_t j = i + 1; j < sweep.latches.size() && shortSpan.empty(); ++j) {
            const Nanoseconds span = sweep.latches[j].loadStart - sweep.latches[i].loadStart;
            const Nanoseconds least =
                static_cast<Nanoseconds>(j - i) * kDwell - tolerance - kEmulationDelay;
            if (span < least) {
                shortSpan = "Loads " + std::to_string(i + 1) + " to " + std::to_string(j + 1) +
                            " began within " + Milliseconds(span) + ", at least " +
                            Milliseconds(least) + " expected";
            }
        }
    }
    const bool loadsApart = shortSpan.empty() && sweep.latches.size() > 1;
    run.Check(loadsApart,
              name + ": its Loads keep the dwell less " + Milliseconds(tolerance) + " (and " +
                  Milliseconds(kEmulationDelay) + " for the emulator)",
              shortSpan.empty() ? "too few Loads" : shortSpan);
    if (!loadsApart) {
        PrintLatches(sweep);
    }

    // The stalled step is the latest by far: late by most of the stall, and by no
    // more than the stall and a little.
    const Nanoseconds stall = sweep.continuedAt - sweep.stoppedAt;
    const long long lateSteps = JsonNumber(sweep.end, "late_steps").value_or(-1);
    const long long slip = JsonNumber(sweep.end, "slip_us").value_or(-1) * 1000;
    const long long mostLate = JsonNumber(sweep.end, "most_late_us").value_or(-1) * 1000;
    run.Check(lateSteps >= 1 && slip >= kLeastSlip && mostLate >= kLeastSlip &&
                  mostLate <= stall + kStallExcess,
              name + ": the end record reports the stall as a late step and a slip",
              "stopped for " + Milliseconds(stall) + ", end record " + sweep.end);
    std::printf("    (%zu latches, Loads at least %s apart, latches at least %s; stopped %s"
                " (%d SIGSTOP); %lld late steps, at most %s, slipped %s)\n",
                sweep.latches.size(), Milliseconds(sweep.Closest(&Latch::loadStart).first).c_str(),
                Milliseconds(sweep.Closest(&Latch::at).first).c_str(), Milliseconds(stall).c_str(),
                sweep.stops, lateSteps, Milliseconds(mostLate).c_str(), Milliseconds(slip).c_str());
}

void CheckLateSweep(CheckRun& run, const std::string& dsactl, const char* writeLog) {
    std::vector<std::string> arguments = SweepArguments(dsactl);
    arguments.insert(arguments.end(), {"--max-late", kMaxLate});
    const StalledRun sweep = RunStalled(arguments, writeLog, kLateStall);
    const std::string name =
        std::string("sweep --max-late ") + kMaxLate + " stalled " + Milliseconds(kLateStall);
    CheckStallInside(run, sweep, name, false);
    run.Check(WIFEXITED(sweep.status) && WEXITSTATUS(sweep.status) == 3 &&
                  JsonText(sweep.end, "end") == "late",
              name + " exits with status 3, late", sweep.Exit());
    // A stop in the middle of a Load lets that one Load finish after it.
    const std::size_t after = sweep.LatchesAfter(sweep.continuedAt);
    const long long steps = JsonNumber(sweep.end, "steps").value_or(-1);
    run.Check(sweep.latches.size() < kValues && sweep.latches.size() == sweep.stepLines.size() &&
                  static_cast<long long>(sweep.latches.size()) == steps && after <= 1,
              name + " latches fewer values, one for each step it reports, none after the stall",
              std::to_string(sweep.latches.size()) + " latches (" + std::to_string(after) +
                  " after the stall), " + std::to_string(sweep.stepLines.size()) +
                  " step records, end record " + std::to_string(steps) + " steps");
}

// dsactl is dynamically linked: the guest must hold its libraries and loader.
// One set through the real driver, with the write log preloaded: the value's
// word latched once, on LE1. Also brings the guest's emulation of dsactl's code
// up to speed before the timed runs.
bool CheckSet(CheckRun& run, const std::string& dsactl, const char* writeLog) {
    ::unlink(kWriteLog);
    StalledRun set;
    const pid_t pid =
        Start({dsactl, "--port", "378", "set", "--model", "1", "--db", "7.5", "--json"}, writeLog);
    const bool ended = pid > 0 && Wait(pid, Now() + kStartBound, set.status);
    WriteLog log;
    Collect(log, set);
    const bool ok = ended && WIFEXITED(set.status) && WEXITSTATUS(set.status) == 0;
    run.Check(ok, "dsactl runs in the guest",
              (ended ? StatusText(set.status) : "no end within " + Milliseconds(kStartBound)) +
                  ", it said: " + set.errors + ReadFile(kOutput));
    run.Check(set.LatchedWords() == std::vector<unsigned>{15} &&
                  set.latches.front().lines == pins::LeLine(1),
              "dsactl set 7.5 dB latches word 15 once, on LE1",
              "latched " + Words(set.LatchedWords()) + " on lines " +
                  (set.latches.empty() ? "none" : std::to_string(set.latches.front().lines)));
    return ok;
}

} // namespace

int main(int argc, char** argv) {
    CheckRun run;
    if (argc != 3) {
        run.Check(false, "sweep_guest_check is given dsactl and the write log",
                  "usage: sweep_guest_check DSACTL WRITE_LOG_LIBRARY");
        return run.Finish();
    }
    const std::string dsactl = argv[1];
    if (CheckSet(run, dsactl, argv[2])) {
        CheckStalledSweep(run, dsactl, argv[2]);
        CheckLateSweep(run, dsactl, argv[2]);
    }
    return run.Finish();
}
