#include "FloorServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <string>
#include <sys/socket.h>
#include <unistd.h>

FloorServer::~FloorServer() {
    Stop();
}

bool FloorServer::Start() {
    listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
    if (listener_ < 0) {
        return false;
    }
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = 0;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listener_, 64) != 0 ||
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        ::close(listener_);
        listener_ = -1;
        return false;
    }
    port_ = ntohs(address.sin_port);
    acceptor_ = std::thread([this] { Accept(); });
    return true;
}

void FloorServer::Stop() {
    if (listener_ < 0) {
        return;
    }
    stopping_ = true;
    // Wakes accept() and every recv() with an error or end of stream.
    ::shutdown(listener_, SHUT_RDWR);
    acceptor_.join();
    ::close(listener_);
    listener_ = -1;
    std::lock_guard<std::mutex> lock(mutex_);
    for (const int fd : clients_) {
        ::shutdown(fd, SHUT_RDWR);
    }
    for (std::thread& thread : threads_) {
        thread.join();
    }
    for (const int fd : clients_) {
        ::close(fd);
    }
    clients_.clear();
    threads_.clear();
}

void FloorServer::Accept() {
    while (!stopping_.load()) {
        const int fd = ::accept(listener_, nullptr, nullptr);
        if (fd < 0) {
            return;
        }
        int one = 1;
        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        std::lock_guard<std::mutex> lock(mutex_);
        clients_.push_back(fd);
        threads_.emplace_back(&FloorServer::ServeClient, fd);
    }
}

void FloorServer::ServeClient(int fd) {
    char input[16 * 1024];
    std::string output;
    for (;;) {
        const ssize_t got = ::recv(fd, input, sizeof input, 0);
        if (got <= 0) {
            return;
        }
        output.clear();
        for (ssize_t i = 0; i < got; ++i) {
            if (input[i] == '\n') {
                output += "0\n";
            }
        }
        std::size_t off = 0;
        while (off < output.size()) {
            const ssize_t put = ::send(fd, output.data() + off, output.size() - off, MSG_NOSIGNAL);
            if (put <= 0) {
                return;
            }
            off += static_cast<std::size_t>(put);
        }
    }
}
