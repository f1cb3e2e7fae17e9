#pragma once
// A program the guest checks run and wait for, every wait bounded: started
// with its standard output and error in files, killed when its bound passes.

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "GuestTools.h"

class GuestProcess {
public:
    // Starts `arguments`; `name` names its output files under /tmp.
    GuestProcess(const std::vector<std::string>& arguments, const std::string& name)
        : out_("/tmp/" + name + ".out"), err_("/tmp/" + name + ".err") {
        // Emptied before the program starts, so that what an earlier run of
        // the same name left is never read as this one's.
        const int out = ::open(out_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        const int err = ::open(err_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        pid_ = ::fork();
        if (pid_ != 0) {
            ::close(out);
            ::close(err);
            return;
        }
        ::dup2(out, STDOUT_FILENO);
        ::dup2(err, STDERR_FILENO);
        ExecInChild(arguments);
    }
    GuestProcess(const GuestProcess&) = delete;
    GuestProcess& operator=(const GuestProcess&) = delete;
    ~GuestProcess() {
        if (pid_ > 0 && !ended_) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
    }

    // Waits at most `bound` for the program to end, then kills it. True when
    // it ended by itself.
    bool Wait(std::chrono::milliseconds bound) {
        if (pid_ <= 0) {
            return false;
        }
        const auto deadline = std::chrono::steady_clock::now() + bound;
        while (!ended_) {
            if (::waitpid(pid_, &status_, WNOHANG) == pid_) {
                ended_ = true;
                return true;
            }
            if (std::chrono::steady_clock::now() >= deadline) {
                ::kill(pid_, SIGKILL);
                ::waitpid(pid_, &status_, 0);
                ended_ = true;
                killed_ = true;
                return false;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        return !killed_;
    }

    bool Running() {
        if (ended_ || pid_ <= 0) {
            return false;
        }
        if (::waitpid(pid_, &status_, WNOHANG) == pid_) {
            ended_ = true;
        }
        return !ended_;
    }

    void Signal(int signal) const {
        if (pid_ > 0 && !ended_) {
            ::kill(pid_, signal);
        }
    }

    // The exit status, or -1 when it did not exit by itself.
    int ExitStatus() const {
        return ended_ && !killed_ && WIFEXITED(status_) ? WEXITSTATUS(status_) : -1;
    }
    std::string Output() const { return Read(out_); }
    std::string Errors() const { return Read(err_); }
    // How it ended, and what it said on standard error: for a failed check.
    std::string Describe() const {
        std::string text = !ended_   ? "still running"
                           : killed_ ? "killed at its bound"
                           : WIFEXITED(status_)
                               ? "exit status " + std::to_string(WEXITSTATUS(status_))
                               : std::string("ended by ") + strsignal(WTERMSIG(status_));
        std::string errors = Errors();
        while (!errors.empty() && errors.back() == '\n') {
            errors.pop_back();
        }
        return errors.empty() ? text : text + ", it said: " + errors;
    }

    static std::vector<std::string> Lines(const std::string& text) {
        std::vector<std::string> lines;
        std::istringstream stream(text);
        for (std::string line; std::getline(stream, line);) {
            lines.push_back(line);
        }
        return lines;
    }

private:
    static std::string Read(const std::string& path) {
        std::ifstream file(path);
        std::ostringstream text;
        text << file.rdbuf();
        return text.str();
    }

    std::string out_;
    std::string err_;
    pid_t pid_ = -1;
    int status_ = 0;
    bool ended_ = false;
    bool killed_ = false;
};
