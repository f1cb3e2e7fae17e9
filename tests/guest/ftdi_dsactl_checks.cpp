// dsactl through the emulated FT232H in the test guest: set, sweep and serve
// with --adapter drive the gadget, and the bytes it drove on its pins, fed to
// the board's logic, must latch the words dsactl reports. A sweep whose
// adapter is unplugged part way ends with the status of a port that is not
// there and one line that says so.

#include "ftdi_dsactl_checks.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "CheckRun.h"
#include "GadgetBoard.h"
#include "GadgetControl.h"
#include "GuestProcess.h"

namespace {

using std::chrono::milliseconds;
using std::chrono::seconds;

const char* const kAdapter = "ftdi://ftdi:232h/1";
constexpr auto kRunBound = seconds(60);
constexpr int kUnavailable = 69; // the port is not there

std::vector<std::string> StepLines(const std::string& output) {
    std::vector<std::string> steps;
    for (const std::string& line : GuestProcess::Lines(output)) {
        if (line.find("\"step\":") != std::string::npos) {
            steps.push_back(line);
        }
    }
    return steps;
}

std::string EndLine(const std::string& output) {
    for (const std::string& line : GuestProcess::Lines(output)) {
        if (line.find("\"end\":") != std::string::npos) {
            return line;
        }
    }
    return {};
}

std::vector<unsigned> ReportedWords(const std::vector<std::string>& steps) {
    std::vector<unsigned> words;
    for (const std::string& line : steps) {
        words.push_back(static_cast<unsigned>(JsonNumber(line, "word").value_or(-1)));
    }
    return words;
}

// dsactl ports finds the adapter on the guest's USB, by its strings.
void CheckPorts(CheckRun& run, const std::string& dsactl) {
    GuestProcess ports({dsactl, "ports", "--json"}, "dsactl-ports");
    const bool ended = ports.Wait(kRunBound);
    const std::string output = ports.Output();
    // The adapters' array, up to the key after it (the keys come sorted), without spaces.
    std::string listed;
    const auto from = output.find("\"adapters\"");
    const auto to = output.find("\"adapters_error\"");
    for (std::size_t i = from; from != std::string::npos && i < std::min(to, output.size()); ++i) {
        if (output[i] != ' ' && output[i] != '\n') {
            listed += output[i];
        }
    }
    run.Check(ended && ports.ExitStatus() == 0 &&
                  listed.find("\"serial\":\"DSA00001\"") != std::string::npos &&
                  listed.find("\"usable\":true") != std::string::npos,
              "dsactl ports lists the emulated adapter by its serial number, usable",
              ports.Describe() + "; " + output);
}

void CheckSet(CheckRun& run, GadgetControl& gadget, const std::string& dsactl) {
    const long before = gadget.Transfers();
    GuestProcess set(
        {dsactl, "--adapter", kAdapter, "set", "--model", "1", "--db", "7.5", "--json"},
        "dsactl-set");
    const bool ended = set.Wait(kRunBound);
    const std::string output = set.Output();
    run.Check(ended && set.ExitStatus() == 0 &&
                  output.find("\"verified\":true") != std::string::npos,
              "dsactl --adapter set 7.5 dB exits with status 0, verified",
              set.Describe() + "; " + output);
    gadget.Transfers();
    const std::vector<GadgetTransfer> transfers = GadgetControl::TransfersAfter(before);
    const std::vector<unsigned> words = LatchedWords(transfers, 1);
    run.Check(words == std::vector<unsigned>{15}, "the adapter's pins latch word 15 once, on LE1",
              "latched " + WordList(words) + " in " + std::to_string(transfers.size()) +
                  " transfers");
}

void CheckSweep(CheckRun& run, GadgetControl& gadget, const std::string& dsactl) {
    const long before = gadget.Transfers();
    GuestProcess sweep({dsactl, "--adapter", kAdapter, "sweep", "--model", "1", "--from", "0",
                        "--to", "15", "--step", "0.5", "--dwell", "10ms", "--json"},
                       "dsactl-sweep");
    const bool ended = sweep.Wait(kRunBound);
    const std::string output = sweep.Output();
    const std::string end = EndLine(output);
    run.Check(ended && sweep.ExitStatus() == 0 && JsonText(end, "end") == "completed" &&
                  JsonNumber(end, "unverified").value_or(-1) == 0,
              "dsactl --adapter sweep of 31 values completes, every Load verified",
              sweep.Describe() + "; end record " + end);
    gadget.Transfers();
    const std::vector<GadgetTransfer> transfers = GadgetControl::TransfersAfter(before);
    const std::vector<unsigned> latched = LatchedWords(transfers, 1);
    const std::vector<unsigned> reported = ReportedWords(StepLines(output));
    run.Check(latched.size() == 31 && latched == reported,
              "the adapter's pins latch the sweep's 31 words in order",
              "latched " + WordList(latched) + ", steps " + WordList(reported));
    // Each Load is one batch and its latch tail, when every echo reads back.
    run.Check(!latched.empty() && transfers.size() == 2 * latched.size(),
              "the sweep takes two bulk OUT transfers per Load",
              std::to_string(transfers.size()) + " transfers for " +
                  std::to_string(latched.size()) + " Loads");
}

// Unplugged part way through a sweep: dsactl ends with the status of a port
// that is not there, and says so once.
void CheckUnplugged(CheckRun& run, GadgetControl& gadget, const std::string& dsactl) {
    const long before = gadget.Transfers();
    GuestProcess sweep({dsactl, "--adapter", kAdapter, "sweep", "--model", "1", "--from", "0",
                        "--to", "15", "--step", "0.5", "--dwell", "20ms", "--forever", "--json"},
                       "dsactl-unplugged");
    // A few Loads in, the cable comes out.
    const auto deadline = std::chrono::steady_clock::now() + kRunBound;
    long transfers = before;
    while (sweep.Running() && std::chrono::steady_clock::now() < deadline &&
           (transfers = gadget.Transfers()) < before + 10) {
        std::this_thread::sleep_for(milliseconds(20));
    }
    const bool running = sweep.Running();
    const bool unplugged = gadget.Ok("unplug");
    const bool ended = sweep.Wait(kRunBound);
    const std::vector<std::string> errors = GuestProcess::Lines(sweep.Errors());
    run.Check(running && unplugged && ended && sweep.ExitStatus() == kUnavailable,
              "unplugged part way, dsactl sweep ends with status 69",
              std::string(running ? "" : "it ended before the unplug; ") +
                  (unplugged ? "" : "the gadget did not unplug: " + gadget.Problem() + "; ") +
                  std::to_string(transfers - before) + " transfers before the unplug; " +
                  sweep.Describe());
    const std::string message = errors.empty() ? "" : errors.front();
    run.Check(errors.size() == 1 && message.rfind("dsactl sweep: ", 0) == 0 &&
                  message.find("adapter") != std::string::npos,
              "and says so in one line that names the adapter", sweep.Errors());
    run.Check(gadget.Ok("plug"), "the gadget plugs in again after the sweep", gadget.Problem());
}

// A SCPI client: one line out, the reply line back, within a bound.
class ScpiClient {
public:
    bool Connect(int port) {
        fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<uint16_t>(port));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        return fd_ >= 0 &&
               ::connect(fd_, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    }
    ~ScpiClient() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    std::string Query(const std::string& line) {
        const std::string text = line + "\n";
        if (::write(fd_, text.data(), text.size()) != static_cast<ssize_t>(text.size())) {
            return "(not sent)";
        }
        const auto deadline = std::chrono::steady_clock::now() + seconds(20);
        for (;;) {
            const auto end = pending_.find('\n');
            if (end != std::string::npos) {
                std::string reply = pending_.substr(0, end);
                pending_.erase(0, end + 1);
                return reply;
            }
            const auto left = std::chrono::duration_cast<milliseconds>(
                deadline - std::chrono::steady_clock::now());
            pollfd poll{fd_, POLLIN, 0};
            char buffer[512];
            ssize_t got = 0;
            if (left.count() <= 0 || ::poll(&poll, 1, static_cast<int>(left.count())) <= 0 ||
                (got = ::read(fd_, buffer, sizeof buffer)) <= 0) {
                return "(no reply within 20 s)";
            }
            pending_.append(buffer, static_cast<std::size_t>(got));
        }
    }

private:
    int fd_ = -1;
    std::string pending_;
};

// The TCP port the server names on standard error once it listens; 0 when it
// did not within the bound.
int ListeningPort(GuestProcess& serve) {
    const auto deadline = std::chrono::steady_clock::now() + kRunBound;
    while (serve.Running() && std::chrono::steady_clock::now() < deadline) {
        const std::string errors = serve.Errors();
        const auto at = errors.find("listening on 127.0.0.1:");
        if (at != std::string::npos) {
            return std::atoi(errors.c_str() + at + 23);
        }
        std::this_thread::sleep_for(milliseconds(20));
    }
    return 0;
}

// `arguments` after dsactl start a server; `setup` is sent first, then a Load
// on LE2, which the adapter's pins must latch.
void CheckServe(CheckRun& run, GadgetControl& gadget, const std::string& dsactl,
                const std::vector<std::string>& arguments, const std::string& setup,
                const std::string& name) {
    std::vector<std::string> command = {dsactl};
    command.insert(command.end(), arguments.begin(), arguments.end());
    command.insert(command.end(), {"serve", "--listen", "127.0.0.1:0"});
    GuestProcess serve(command, "dsactl-serve");
    const int port = ListeningPort(serve);
    ScpiClient client;
    const bool connected = port != 0 && client.Connect(port);
    run.Check(connected, name + ": the server listens and takes a client", serve.Describe());
    if (!connected) {
        return;
    }
    const long before = gadget.Transfers();
    const std::string reply = client.Query(setup + "MOD 1;LE 2;ATT 7.5;ATT?;:SYST:ERR?");
    gadget.Transfers();
    const std::vector<unsigned> words = LatchedWords(GadgetControl::TransfersAfter(before), 2);
    run.Check(reply == "7.5;0,\"No error\"" && words == std::vector<unsigned>{15},
              name + ": ATT 7.5 on LE2 latches word 15 at the adapter's pins",
              "reply " + reply + ", latched " + WordList(words));
    serve.Signal(SIGTERM);
    const bool ended = serve.Wait(kRunBound);
    run.Check(ended && serve.ExitStatus() == 0, name + ": the server ends on SIGTERM with status 0",
              serve.Describe());
}

} // namespace

void CheckDsactlThroughAdapter(CheckRun& run, GadgetControl& gadget, const std::string& dsactl) {
    CheckPorts(run, dsactl);
    CheckSet(run, gadget, dsactl);
    CheckSweep(run, gadget, dsactl);
    CheckServe(run, gadget, dsactl, {"--adapter", kAdapter}, "", "serve --adapter");
    CheckServe(run, gadget, dsactl, {}, std::string("SYST:PORT \"") + kAdapter + "\";",
               "serve with SYSTem:PORT \"ftdi://...\"");
    CheckUnplugged(run, gadget, dsactl);
}
