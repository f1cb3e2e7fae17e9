// Benchmark of the SCPI server: round trips per second and the latency
// (median, 99th percentile) of `ATT?` over loopback, for one client and for
// eight at once, against `dsactl serve --simulate`. Run by hand:
//
//     scpi_bench [path/to/dsactl] [seconds per run]
//
// It starts its own server on a free loopback port and stops it at the end.

#include <QCoreApplication>
#include <QProcess>
#include <QRegularExpression>
#include <algorithm>
#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <netinet/in.h>
#include <netinet/tcp.h>
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
                mine.push_back(std::chrono::duration<double, std::micro>(Clock::now() - before)
                                   .count());
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

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    const QString dsactl = arguments.size() > 1 && !arguments[1].isEmpty() ? arguments[1] : QStringLiteral(DSA_DSACTL_PATH);
    const double seconds = arguments.size() > 2 ? arguments[2].toDouble() : 3.0;

    QProcess server;
    server.setReadChannel(QProcess::StandardError);
    server.start(dsactl, {QStringLiteral("serve"), QStringLiteral("--simulate"),
                          QStringLiteral("--listen"), QStringLiteral("127.0.0.1:0")});
    if (!server.waitForStarted(5000) || !server.waitForReadyRead(5000)) {
        std::fprintf(stderr, "scpi_bench: cannot start %s serve\n", qPrintable(dsactl));
        return 1;
    }
    static const QRegularExpression listening(QStringLiteral("listening on 127\\.0\\.0\\.1:(\\d+)"));
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

    std::printf("ATT? round trips over loopback, simulated board, %.0f s per run\n", seconds);
    std::printf("%-8s %12s %12s %12s %12s %10s\n", "clients", "trips/s", "median us", "p99 us",
                "worst us", "trips");
    for (const int clients : {1, 8}) {
        const RunResult r = Run(port, clients, seconds);
        std::printf("%-8d %12.0f %12.1f %12.1f %12.1f %10zu\n", clients, r.perSecond, r.medianUs,
                    r.p99Us, r.worstUs, r.count);
    }

    server.terminate(); // SIGTERM
    server.waitForFinished(5000);
    return server.exitStatus() == QProcess::NormalExit && server.exitCode() == 0 ? 0 : 1;
}
