// One connection's requests, one after another, through httplib's request processing. The socket
// carries kernel timeouts for every read and write, so neither a stalled client nor a stalled TLS
// handshake holds a thread longer than the limits say.
#include "server/connection.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <openssl/ssl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

namespace {

// A socket, or TLS over it, read through a buffer; bytes of a request's head are counted until
// its blank line.
class BoundedStream : public httplib::Stream {
  public:
    BoundedStream(int fd, SSL* ssl, const ConnectionLimits& limits) : fd_(fd), ssl_(ssl), limits_(limits) {}

    void startRequest() {
        started_ = std::chrono::steady_clock::now();
        headBytes_ = 0;
        inHead_ = true;
        lineLength_ = 0;
    }
    // Whether a request has begun within the keep-alive time.
    bool awaitRequest() const { return buffered() || waitFor(POLLIN, limits_.keepAliveSec); }

    bool is_readable() const override { return buffered() || waitFor(POLLIN, limits_.readTimeoutSec); }
    bool is_writable() const override { return waitFor(POLLOUT, limits_.writeTimeoutSec); }

    ssize_t read(char* ptr, size_t size) override {
        // A client sending a byte now and then must not hold a thread for long.
        const auto spent = std::chrono::steady_clock::now() - started_;
        if (spent > std::chrono::seconds(inHead_ ? limits_.headSec : limits_.requestSec)) return -1;
        if (begin_ == end_ && !inHead_ && size >= sizeof buffer_) return receive(ptr, size);  // a body
        if (begin_ == end_) {
            const ssize_t n = receive(buffer_, sizeof buffer_);
            if (n <= 0) return n;
            begin_ = 0;
            end_ = static_cast<size_t>(n);
        }
        size_t n = std::min(size, end_ - begin_);
        if (inHead_) n = countHead(buffer_ + begin_, n);
        if (n == 0) return -1;  // the head is too long
        std::memcpy(ptr, buffer_ + begin_, n);
        begin_ += n;
        return static_cast<ssize_t>(n);
    }

    ssize_t write(const char* ptr, size_t size) override {
        if (ssl_) {
            const int n = SSL_write(ssl_, ptr, static_cast<int>(std::min<size_t>(size, 1 << 30)));
            return n > 0 ? n : -1;
        }
        ssize_t n;
        do {
            n = ::send(fd_, ptr, size, MSG_NOSIGNAL);
        } while (n < 0 && errno == EINTR);
        return n;
    }

    void get_remote_ip_and_port(std::string& ip, int& port) const override { address(true, ip, port); }
    void get_local_ip_and_port(std::string& ip, int& port) const override { address(false, ip, port); }
    socket_t socket() const override { return fd_; }

  private:
    bool buffered() const { return begin_ != end_ || (ssl_ && SSL_pending(ssl_) > 0); }

    bool waitFor(short events, time_t seconds) const {
        pollfd p{fd_, events, 0};
        int n;
        do {
            n = ::poll(&p, 1, static_cast<int>(seconds * 1000));
        } while (n < 0 && errno == EINTR);
        return n > 0;
    }

    ssize_t receive(char* into, size_t size) {
        if (ssl_) {
            const int n = SSL_read(ssl_, into, static_cast<int>(size));
            return n > 0 ? n : -1;
        }
        ssize_t n;
        do {
            n = ::recv(fd_, into, size, 0);
        } while (n < 0 && errno == EINTR);
        return n;
    }

    // How many of the n bytes at p may be handed on: up to the head's end, or 0 once the head
    // has grown past MAX_HEADER_BYTES. The head ends at an empty line (LF or CR LF).
    size_t countHead(const char* p, size_t n) {
        for (size_t i = 0; i < n; ++i) {
            if (++headBytes_ > MAX_HEADER_BYTES) return i;
            if (p[i] == '\n') {
                if (lineLength_ == 0) {
                    inHead_ = false;
                    return i + 1;
                }
                lineLength_ = 0;
            } else if (p[i] != '\r') {
                ++lineLength_;
            }
        }
        return n;
    }

    void address(bool remote, std::string& ip, int& port) const {
        sockaddr_storage a{};
        socklen_t length = sizeof a;
        auto* s = reinterpret_cast<sockaddr*>(&a);
        ip.clear();
        port = 0;
        if ((remote ? getpeername(fd_, s, &length) : getsockname(fd_, s, &length)) != 0) return;
        char text[INET6_ADDRSTRLEN] = "";
        if (a.ss_family == AF_INET) {
            const auto* v4 = reinterpret_cast<const sockaddr_in*>(&a);
            inet_ntop(AF_INET, &v4->sin_addr, text, sizeof text);
            port = ntohs(v4->sin_port);
        } else if (a.ss_family == AF_INET6) {
            const auto* v6 = reinterpret_cast<const sockaddr_in6*>(&a);
            inet_ntop(AF_INET6, &v6->sin6_addr, text, sizeof text);
            port = ntohs(v6->sin6_port);
        }
        ip = text;
    }

    int fd_;
    SSL* ssl_;
    ConnectionLimits limits_;
    char buffer_[4096];
    size_t begin_ = 0, end_ = 0;
    std::chrono::steady_clock::time_point started_{};
    size_t headBytes_ = 0;
    size_t lineLength_ = 0;
    bool inHead_ = true;
};

// Blocking reads and writes on the socket give up after the limits, TLS's included.
void setTimeouts(int fd, const ConnectionLimits& limits) {
    const timeval read{limits.readTimeoutSec, 0}, write{limits.writeTimeoutSec, 0};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &read, sizeof read);
    setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &write, sizeof write);
}

void closeSocket(int fd) {
    ::shutdown(fd, SHUT_RDWR);
    ::close(fd);
}

}  // namespace

// The keep-alive loop, as httplib's own, but over the bounded stream.
template <typename ProcessRequest>
static bool serveRequests(httplib::Server& server, BoundedStream& stream, const ConnectionLimits& limits,
                          ProcessRequest process) {
    bool ok = true;
    for (size_t left = limits.requestsPerConnection; left > 0 && server.is_running(); --left) {
        if (!stream.awaitRequest()) break;
        stream.startRequest();
        bool closed = false;
        ok = process(stream, left == 1, closed);
        if (!ok || closed) break;
    }
    return ok;
}

bool BoundedServer::process_and_close_socket(socket_t sock) {
    setTimeouts(sock, limits_);
    BoundedStream stream(sock, nullptr, limits_);
    const bool ok =
        serveRequests(*this, stream, limits_, [this](httplib::Stream& s, bool last, bool& closed) {
            return process_request(s, last, closed, nullptr);
        });
    closeSocket(sock);
    return ok;
}

bool BoundedTlsServer::process_and_close_socket(socket_t sock) {
    setTimeouts(sock, limits_);
    bool ok = false;
    SSL* ssl = SSL_new(ssl_context());
    if (ssl && SSL_set_fd(ssl, sock) == 1 && SSL_accept(ssl) == 1) {
        BoundedStream stream(sock, ssl, limits_);
        ok = serveRequests(*this, stream, limits_, [this](httplib::Stream& s, bool last, bool& closed) {
            return process_request(s, last, closed, nullptr);
        });
        SSL_shutdown(ssl);
    }
    SSL_free(ssl);
    closeSocket(sock);
    return ok;
}
