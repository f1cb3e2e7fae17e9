// Benchmark of the SCPI server: round trips per second and the latency
// (median, 99th percentile) of `ATT?` over loopback, for one client and for
// eight at once, and pipelined replies per second (queries sent in batches
// without waiting), against `dsactl serve --simulate`. The same runs against
// a trivial threaded line server (FloorServer, in this program) give the
// floor: what the machine and its loopback cost without any SCPI work. Run
// by hand:
//
//     scpi_bench [path/to/dsactl] [seconds per run]
//
// It starts its own servers on free loopback ports and stops them at the end.

#include "FloorServer.h"

#include <QCoreApplication>
#include <QProcess>
#include <QRegularExpression>
#include <algorithm>
#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

#ifndef DSA_DSACTL_PATH
#define DSA_DSACTL_PATH "dsactl"
#endif

namespace {

using Clock = std::chrono::steady_clock;

int Connect(int port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (fd < 0 || ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        std::perror("connect");
        std::exit(1);
    }
    int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    // A reply that never comes ends the run instead of hanging it.
    timeval timeout{5, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    return fd;
}

// Sends `line` and reads the reply line; false when the server went away.
bool RoundTrip(int fd, const std::string& line, std::string& reply) {
    if (::send(fd, line.data(), line.size(), 0) != static_cast<ssize_t>(line.size())) {
        return false;
    }
    reply.clear();
    char buffer[256];
    for (;;) {
        const ssize_t got = ::recv(fd, buffer, sizeof buffer, 0);
        if (got <= 0) {
            return false;
        }
        reply.append(buffer, static_cast<std::size_t>(got));
        if (reply.back() == '\n') {
            return true;
        }
    }
}

struct RunResult {
    double perSecond = 0;
    double medianUs = 0;
    double p99Us = 0;
    double worstUs = 0;
    std::size_t count = 0;
};

RunResult Run(int port, int clients, double seconds) {
    std::vector<std::vector<double>> latencies(static_cast<std::size_t>(clients));
    std::atomic<int> ready{0};
    std::atomic<bool> go{false};
    std::vector<std::thread> threads;
    Clock::time_point start;
    for (int c = 0; c < clients; ++c) {
        threads.emplace_back([&, c] {
            const int fd = Connect(port);
            std::string reply;
            RoundTrip(fd, "ATT?\n", reply); // warm up
            ++ready;
            while (!go.load()) {
                std::this_thread::yield();
            }
            const auto end = start + std::chrono::duration<double>(seconds);
            auto& mine = latencies[static_cast<std::size_t>(c)];
            for (;;) {
                const auto before = Clock::now();
                if (before >= end || !RoundTrip(fd, "ATT?\n", reply)) {
                    break;
                }
                mine.push_back(
                    std::chrono::duration<double, std::micro>(Clock::now() - before).count());
            }
            ::close(fd);
        });
    }
    while (ready.load() < clients) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    start = Clock::now();
    go = true;
    for (std::thread& thread : threads) {
        thread.join();
    }
    const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    std::vector<double> all;
    for (const auto& mine : latencies) {
        all.insert(all.end(), mine.begin(), mine.end());
    }
    RunResult result;
    result.count = all.size();
    if (all.empty()) {
        return result;
    }
    std::sort(all.begin(), all.end());
    result.perSecond = static_cast<double>(all.size()) / elapsed;
    result.medianUs = all[all.size() / 2];
    result.p99Us = all[std::min(all.size() - 1, all.size() * 99 / 100)];
    result.worstUs = all.back();
    return result;
}

// Pipelined: one client sends `ATT?` lines in batches without waiting for
// their replies (at most `window` unanswered) while a second thread counts
// the reply lines. Replies per second.
double RunPipelined(int port, double seconds) {
    constexpr int kBatch = 256;
    constexpr long kWindow = 8192;
    const int fd = Connect(port);
    std::string batch;
    for (int i = 0; i < kBatch; ++i) {
        batch += "ATT?\n";
    }
    std::atomic<long> sent{0};
    std::atomic<long> received{0};
    std::atomic<bool> senderDone{false};
    const Clock::time_point start = Clock::now();
    const auto end = start + std::chrono::duration<double>(seconds);
    std::thread sender([&] {
        while (Clock::now() < end) {
            if (sent.load() - received.load() > kWindow - kBatch) {
                std::this_thread::yield();
                continue;
            }
            std::size_t off = 0;
            while (off < batch.size()) {
                const ssize_t put = ::send(fd, batch.data() + off, batch.size() - off, 0);
                if (put <= 0) {
                    senderDone = true;
                    return;
                }
                off += static_cast<std::size_t>(put);
            }
            sent += kBatch;
        }
        senderDone = true;
    });
    std::vector<char> buffer(64 * 1024);
    long lines = 0;
    // Waits in short steps: the sender may count its last batch after its
    // replies came, and a server that loses replies must not hang the run.
    int idle = 0;
    Clock::time_point last = start;
    while (!senderDone.load() || lines < sent.load()) {
        pollfd ready{fd, POLLIN, 0};
        if (::poll(&ready, 1, 100) == 0) {
            if (++idle == 50) {
                std::fprintf(stderr, "scpi_bench: no reply for 5 s; %ld of %ld replies came\n",
                             lines, sent.load());
                break;
            }
            continue;
        }
        idle = 0;
        const ssize_t got = ::recv(fd, buffer.data(), buffer.size(), 0);
        if (got <= 0) {
            break;
        }
        for (const char* p = buffer.data();
             (p = static_cast<const char*>(std::memchr(
                  p, '\n', static_cast<std::size_t>(buffer.data() + got - p)))) != nullptr;
             ++p) {
            ++lines;
        }
        received = lines;
        last = Clock::now();
    }
    const double elapsed = std::chrono::duration<double>(last - start).count();
    sender.join();
    ::close(fd);
    return static_cast<double>(lines) / elapsed;
}

struct Figures {
    RunResult one;
    RunResult eight;
    double pipelined = 0;
};

Figures Measure(int port, double seconds) {
    Figures figures;
    figures.one = Run(port, 1, seconds);
    figures.eight = Run(port, 8, seconds);
    figures.pipelined = RunPipelined(port, seconds);
    return figures;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    const QString dsactl = arguments.size() > 1 && !arguments[1].isEmpty()
                               ? arguments[1]
                               : QStringLiteral(DSA_DSACTL_PATH);
    const double seconds = arguments.size() > 2 ? arguments[2].toDouble() : 3.0;

    QProcess server;
    server.setReadChannel(QProcess::StandardError);
    server.start(dsactl, {QStringLiteral("serve"), QStringLiteral("--simulate"),
                          QStringLiteral("--listen"), QStringLiteral("127.0.0.1:0")});
    if (!server.waitForStarted(5000) || !server.waitForReadyRead(5000)) {
        std::fprintf(stderr, "scpi_bench: cannot start %s serve\n", qPrintable(dsactl));
        return 1;
    }
    static const QRegularExpression listening(
        QStringLiteral("listening on 127\\.0\\.0\\.1:(\\d+)"));
    const QRegularExpressionMatch match =
        listening.match(QString::fromLocal8Bit(server.readAllStandardError()));
    if (!match.hasMatch()) {
        std::fprintf(stderr, "scpi_bench: the server did not say where it listens\n");
        return 1;
    }
    const int port = match.captured(1).toInt();

    const int setup = Connect(port);
    std::string reply;
    RoundTrip(setup, "MOD 5;LE 1;ATT 7;ATT?\n", reply);
    ::close(setup);
    if (reply != "7\n") {
        std::fprintf(stderr, "scpi_bench: unexpected reply %s\n", reply.c_str());
        return 1;
    }

    FloorServer floor;
    if (!floor.Start()) {
        std::fprintf(stderr, "scpi_bench: cannot start the floor server\n");
        return 1;
    }
    std::printf("ATT? over loopback, simulated board, %.0f s per run; floor: a threaded line "
                "server with a fixed reply\n",
                seconds);
    const Figures serve = Measure(port, seconds);
    const Figures bare = Measure(floor.Port(), seconds);
    floor.Stop();

    std::printf("%-28s %14s %14s %10s\n", "", "dsactl serve", "floor", "ratio");
    const auto row = [](const char* what, double a, double b, int decimals) {
        std::printf("%-28s %14.*f %14.*f %10.2f\n", what, decimals, a, decimals, b,
                    b > 0 ? a / b : 0.0);
    };
    row("pipelined replies/s", serve.pipelined, bare.pipelined, 0);
    row("1 client: trips/s", serve.one.perSecond, bare.one.perSecond, 0);
    row("1 client: median us", serve.one.medianUs, bare.one.medianUs, 1);
    row("1 client: p99 us", serve.one.p99Us, bare.one.p99Us, 1);
    row("1 client: worst us", serve.one.worstUs, bare.one.worstUs, 1);
    row("8 clients: trips/s", serve.eight.perSecond, bare.eight.perSecond, 0);
    row("8 clients: median us", serve.eight.medianUs, bare.eight.medianUs, 1);
    row("8 clients: p99 us", serve.eight.p99Us, bare.eight.p99Us, 1);
    row("8 clients: worst us", serve.eight.worstUs, bare.eight.worstUs, 1);
    if (serve.pipelined > 0) {
        std::printf("dsactl serve: %.2f us per pipelined reply (client included)\n",
                    1e6 / serve.pipelined);
    }

    server.terminate(); // SIGTERM
    server.waitForFinished(5000);
    return server.exitStatus() == QProcess::NormalExit && server.exitCode() == 0 ? 0 : 1;
}
