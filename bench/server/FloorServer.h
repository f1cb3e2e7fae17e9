#pragma once
// The floor of scpi_bench: a trivial threaded line server on a free loopback
// port, a thread per client, answering every line it receives with "0\n"
// (the replies to one read go back in one send). What the server costs above
// it is the cost of the SCPI work and the event loop.

#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

class FloorServer {
public:
    FloorServer() = default;
    ~FloorServer();
    FloorServer(const FloorServer&) = delete;
    FloorServer& operator=(const FloorServer&) = delete;

    // Listens on 127.0.0.1, any free port; false when it cannot.
    bool Start();
    int Port() const { return port_; }
    // Stops accepting, ends every client and waits for their threads.
    void Stop();

private:
    void Accept();
    static void ServeClient(int fd);

    int listener_ = -1;
    int port_ = 0;
    std::atomic<bool> stopping_{false};
    std::thread acceptor_;
    std::mutex mutex_;
    std::vector<int> clients_;
    std::vector<std::thread> threads_;
};
