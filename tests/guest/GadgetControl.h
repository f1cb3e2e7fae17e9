#pragma once
// The emulated FT232H (ftdi_gadget) as the guest checks drive it: started as
// a child with its commands on a pipe, every answer awaited within a bound,
// and its log of the bytes driven on the pins read back.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

// One bulk OUT transfer as the gadget logged it.
struct GadgetTransfer {
    int64_t at = 0; // CLOCK_MONOTONIC nanoseconds
    long number = 0;
    std::vector<uint8_t> bytes;
};

class GadgetControl {
public:
    static constexpr const char* kLog = "/tmp/ftdi-gadget.log";

    GadgetControl() = default;
    GadgetControl(const GadgetControl&) = delete;
    GadgetControl& operator=(const GadgetControl&) = delete;
    ~GadgetControl() {
        if (pid_ > 0) {
            Send("quit");
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
    }

    // Starts the gadget; true once it said "ready". Otherwise Problem() says why.
    bool Start(const std::string& program) {
        int in[2];
        int out[2];
        if (::pipe2(in, O_CLOEXEC) != 0 || ::pipe2(out, O_CLOEXEC) != 0) {
            problem_ = std::string("pipe: ") + std::strerror(errno);
            return false;
        }
        pid_ = ::fork();
        if (pid_ == 0) {
            ::dup2(in[0], STDIN_FILENO);
            ::dup2(out[1], STDOUT_FILENO);
            ::execl(program.c_str(), program.c_str(), "--log", kLog, static_cast<char*>(nullptr));
            std::printf("error cannot run %s: %s\n", program.c_str(), std::strerror(errno));
            std::fflush(stdout);
            ::_exit(127);
        }
        ::close(in[0]);
        ::close(out[1]);
        to_ = in[1];
        from_ = out[0];
        if (pid_ < 0) {
            problem_ = std::string("fork: ") + std::strerror(errno);
            return false;
        }
        const std::string ready = ReadLine(std::chrono::seconds(20));
        if (ready != "ready") {
            problem_ = ready.empty() ? "the gadget said nothing within 20 s" : ready;
            return false;
        }
        return true;
    }

    // Sends one command; its answer, or empty (Problem() says why).
    std::string Send(const std::string& command,
                     std::chrono::milliseconds bound = std::chrono::seconds(30)) {
        const std::string line = command + "\n";
        if (to_ < 0 ||
            ::write(to_, line.data(), line.size()) != static_cast<ssize_t>(line.size())) {
            problem_ = "the gadget is not running";
            return {};
        }
        const std::string answer = ReadLine(bound);
        if (answer.empty()) {
            problem_ =
                "no answer to \"" + command + "\" within " + std::to_string(bound.count()) + " ms";
        } else if (answer.rfind("ok", 0) != 0) {
            problem_ = answer;
        }
        return answer;
    }
    bool Ok(const std::string& command) { return Send(command).rfind("ok", 0) == 0; }

    // Bulk OUT transfers so far, from the gadget's own count; -1 when it did not say.
    long Transfers() {
        long transfers = -1;
        std::sscanf(Send("count").c_str(), "ok transfers %ld", &transfers);
        return transfers;
    }

    const std::string& Problem() const { return problem_; }

    // The transfers in the log with a number above `after`.
    static std::vector<GadgetTransfer> TransfersAfter(long after) {
        std::vector<GadgetTransfer> transfers;
        std::ifstream log(kLog);
        for (std::string line; std::getline(log, line);) {
            std::istringstream fields(line);
            std::string kind, hex;
            GadgetTransfer transfer;
            if (!(fields >> kind >> transfer.at >> transfer.number >> hex) || kind != "out" ||
                transfer.number <= after) {
                continue;
            }
            for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
                transfer.bytes.push_back(
                    static_cast<uint8_t>(std::strtoul(hex.substr(i, 2).c_str(), nullptr, 16)));
            }
            transfers.push_back(transfer);
        }
        return transfers;
    }

    // How many lines of the log are of `kind` ("ctrl", "out"...).
    static long LogLines(const std::string& kind) {
        long count = 0;
        std::ifstream log(kLog);
        for (std::string line; std::getline(log, line);) {
            count += line.compare(0, kind.size() + 1, kind + " ") == 0 ? 1 : 0;
        }
        return count;
    }

    // The last `count` lines of the log, indented: what the gadget saw, for a
    // check that failed.
    static std::string LogTail(std::size_t count) {
        std::vector<std::string> lines;
        std::ifstream log(kLog);
        for (std::string line; std::getline(log, line);) {
            lines.push_back(line);
        }
        std::string text;
        for (std::size_t i = lines.size() > count ? lines.size() - count : 0; i < lines.size();
             ++i) {
            text += "    " + lines[i] + "\n";
        }
        return text;
    }

private:
    std::string ReadLine(std::chrono::milliseconds bound) {
        const auto deadline = std::chrono::steady_clock::now() + bound;
        for (;;) {
            const auto end = pending_.find('\n');
            if (end != std::string::npos) {
                std::string line = pending_.substr(0, end);
                pending_.erase(0, end + 1);
                return line;
            }
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            pollfd poll{from_, POLLIN, 0};
            if (left.count() <= 0 || ::poll(&poll, 1, static_cast<int>(left.count())) <= 0) {
                return {};
            }
            char buffer[256];
            const ssize_t got = ::read(from_, buffer, sizeof buffer);
            if (got <= 0) {
                return {};
            }
            pending_.append(buffer, static_cast<std::size_t>(got));
        }
    }

    pid_t pid_ = -1;
    int to_ = -1;
    int from_ = -1;
    std::string pending_;
    std::string problem_;
};
