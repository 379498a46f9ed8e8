// The server's connections, read under limits httplib itself lacks: at most MAX_HEADER_BYTES of
// request line and headers per request, and every read and write given up after a timeout, over
// plain TCP or TLS alike. httplib parses and routes; these classes only own the socket.
#pragma once

#include <httplib.h>

#include <ctime>

constexpr size_t MAX_HEADER_BYTES = 64u << 10;

struct ConnectionLimits {
    time_t readTimeoutSec = 5;  // a client that sends nothing for this long is cut off
    time_t headSec = 10;        // ... and one whose request line and headers take longer
    time_t requestSec = 60;     // ... or its whole request
    time_t writeTimeoutSec = 10;
    time_t keepAliveSec = 5;  // how long an idle connection waits for its next request
    size_t requestsPerConnection = 100;
};

// Plain HTTP.
class BoundedServer : public httplib::Server {
  public:
    explicit BoundedServer(const ConnectionLimits& limits) : limits_(limits) {
        set_keep_alive_max_count(limits.requestsPerConnection);  // as the Keep-Alive header says
        set_keep_alive_timeout(limits.keepAliveSec);
    }

  private:
    bool process_and_close_socket(socket_t sock) override;
    ConnectionLimits limits_;
};

// HTTPS with the certificate chain and key in PEM files; is_valid() says whether they loaded.
class BoundedTlsServer : public httplib::SSLServer {
  public:
    BoundedTlsServer(const char* certPath, const char* keyPath, const ConnectionLimits& limits)
        : httplib::SSLServer(certPath, keyPath), limits_(limits) {
        set_keep_alive_max_count(limits.requestsPerConnection);
        set_keep_alive_timeout(limits.keepAliveSec);
    }

  private:
    bool process_and_close_socket(socket_t sock) override;
    ConnectionLimits limits_;
};
