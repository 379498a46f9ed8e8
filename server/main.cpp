// trussmill-server: a class contest on the school's own machine. Teams hand in bridges from the
// browser program and see the standings; the teacher approves names, watches and downloads.
// Exit status: 0 done, 1 the data or a file could not be used, 2 the command line was wrong.
#include <httplib.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>
#include <thread>

#include "server/connection.h"
#include "server/routes.h"
#include "server/security.h"
#include "server/store.h"

namespace fs = std::filesystem;

namespace {

constexpr int kOk = 0;
constexpr int kFileError = 1;
constexpr int kUsageError = 2;

const char kUsage[] =
    "Usage:\n"
    "  trussmill-server [--data DIR] [--listen ADDRESS:PORT] [--site DIR] [--cert FILE --key FILE]\n"
    "  trussmill-server [--data DIR] add-teacher NAME\n"
    "  trussmill-server [--data DIR] backup FILE\n"
    "  trussmill-server --help\n"
    "  trussmill-server --version\n"
    "\n"
    "Runs a class contest server: teams submit bridges from the browser program under a team name\n"
    "and a PIN, the class sees the standings at /c/CODE, the teacher works at /teacher.\n"
    "\n"
    "Options:\n"
    "  --data DIR             where the database (contest.sqlite) lives; default\n"
    "                         $XDG_DATA_HOME/trussmill-server (~/.local/share/trussmill-server)\n"
    "  --listen ADDRESS:PORT  default 127.0.0.1:8090; 0.0.0.0:8090 for every network interface\n"
    "  --site DIR             the browser program's site folder, served at /; default the installed\n"
    "                         one, else build/web/site beside the build\n"
    "  --cert FILE, --key FILE  serve HTTPS with this certificate chain and private key (PEM)\n"
    "\n"
    "Commands:\n"
    "  add-teacher NAME  sets the teacher's password: read from standard input when it is not a\n"
    "                    terminal, else asked for twice without echo. At least 8 characters.\n"
    "  backup FILE       writes a consistent copy of the database to FILE, also while the server\n"
    "                    runs.\n";

struct Arguments {
    std::string data, listen = "127.0.0.1:8090", site, cert, key;
    std::vector<std::string> command;
};

int usageError(const std::string& message) {
    std::fprintf(stderr, "trussmill-server: %s\n%s", message.c_str(), kUsage);
    return kUsageError;
}

std::string defaultDataDir() {
    const char* xdg = std::getenv("XDG_DATA_HOME");
    if (xdg && *xdg == '/') return std::string(xdg) + "/trussmill-server";
    const char* home = std::getenv("HOME");
    return std::string(home ? home : ".") + "/.local/share/trussmill-server";
}

// The installed site, else the browser build's beside this build (build/release/server/.. -> build/web/site).
std::string defaultSiteDir() {
    std::error_code error;
    const fs::path self = fs::read_symlink("/proc/self/exe", error);
    if (error) return {};
    const fs::path candidates[] = {
        self.parent_path().parent_path() / "share/trussmill/site",
        self.parent_path().parent_path().parent_path() / "web/site",
    };
    for (const fs::path& dir : candidates) {
        std::error_code missing;
        if (fs::is_regular_file(dir / "index.html", missing)) return dir.string();
    }
    return {};
}

std::unique_ptr<Store> openStore(const std::string& dir) {
    std::error_code error;
    fs::create_directories(dir, error);
    if (error) {
        std::fprintf(stderr, "trussmill-server: %s: %s\n", dir.c_str(), error.message().c_str());
        return nullptr;
    }
    ::chmod(dir.c_str(), 0700);  // the database holds password hashes
    std::string reason;
    const std::string path = dir + "/contest.sqlite";
    auto store = Store::open(path, reason);
    if (!store) std::fprintf(stderr, "trussmill-server: %s: %s\n", path.c_str(), reason.c_str());
    return store;
}

bool readLine(std::string& line) {
    if (!std::getline(std::cin, line)) return false;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return true;
}

// Asks on the terminal without echo.
bool askPassword(const char* prompt, std::string& password) {
    std::fprintf(stderr, "%s", prompt);
    termios old{};
    tcgetattr(STDIN_FILENO, &old);
    termios quiet = old;
    quiet.c_lflag &= ~tcflag_t(ECHO);
    tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
    const bool ok = readLine(password);
    tcsetattr(STDIN_FILENO, TCSAFLUSH, &old);
    std::fputc('\n', stderr);
    return ok;
}

int addTeacher(Store& store, const std::string& name) {
    if (name.empty() || name.size() > 100) return usageError("the teacher's name must be 1 to 100 bytes");
    std::string password;
    if (isatty(STDIN_FILENO)) {
        std::string again;
        if (!askPassword("Password: ", password) || !askPassword("Again: ", again)) return kFileError;
        if (password != again) {
            std::fprintf(stderr, "trussmill-server: the two passwords differ\n");
            return kUsageError;
        }
    } else if (!readLine(password)) {
        std::fprintf(stderr, "trussmill-server: no password on standard input\n");
        return kUsageError;
    }
    if (password.size() < 8) {
        std::fprintf(stderr, "trussmill-server: the password must have at least 8 characters\n");
        return kUsageError;
    }
    if (!store.setTeacher(name, hashPassword(password))) {
        std::fprintf(stderr, "trussmill-server: the teacher could not be stored\n");
        return kFileError;
    }
    std::fprintf(stderr, "Teacher %s can log in at /teacher.\n", name.c_str());
    return kOk;
}

int serve(Store& store, const Arguments& a) {
    const size_t colon = a.listen.rfind(':');
    int port = 0;
    if (colon == std::string::npos || colon == 0 || (port = std::atoi(a.listen.c_str() + colon + 1)) <= 0 ||
        port > 65535)
        return usageError("--listen wants ADDRESS:PORT, e.g. 0.0.0.0:8090");
    if (a.cert.empty() != a.key.empty()) return usageError("--cert and --key go together");
    std::string host = a.listen.substr(0, colon);
    if (host.size() > 2 && host.front() == '[' && host.back() == ']') host = host.substr(1, host.size() - 2);

    ServerState state{store, Contests(store), {}, !a.cert.empty()};
    const std::string site = a.site.empty() ? defaultSiteDir() : a.site;
    std::string reason;
    if (site.empty()) {
        std::fprintf(stderr,
                     "trussmill-server: no site folder found: the browser program is not served "
                     "(build it with scripts/web --no-serve, or give --site DIR)\n");
    } else if (!loadSite(site, state.site, reason)) {
        std::fprintf(stderr, "trussmill-server: %s\n", reason.c_str());
        return kFileError;
    }

    std::unique_ptr<httplib::Server> server;
    const ConnectionLimits limits;
    if (state.tls) {
        auto secure = std::make_unique<BoundedTlsServer>(a.cert.c_str(), a.key.c_str(), limits);
        if (!secure->is_valid()) {
            std::fprintf(stderr, "trussmill-server: %s, %s: not a usable certificate and key\n",
                         a.cert.c_str(), a.key.c_str());
            return kFileError;
        }
        server = std::move(secure);
    } else {
        server = std::make_unique<BoundedServer>(limits);
    }
    installRoutes(*server, state);
    // httplib listens with a queue of 5 connections; a class opening pages at once needs more,
    // else connections wait a second for the retry or are reset. Listening again enlarges it.
    int listener = -1;
    server->set_socket_options([&listener](int sock) {
        const int yes = 1;
        setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
        listener = sock;
    });
    if (!server->bind_to_port(host, port) || ::listen(listener, 1024) != 0) {
        std::fprintf(stderr, "trussmill-server: cannot listen on %s\n", a.listen.c_str());
        return kFileError;
    }

    // SIGINT and SIGTERM stop the server between requests; every acknowledged one is committed.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    std::thread stopper([&] {
        int signal = 0;
        sigwait(&stopSignals, &signal);
        server->stop();
    });
    stopper.detach();

    std::printf("Trussmill contest server on %s://%s/ (teachers: /teacher)\n", state.tls ? "https" : "http",
                a.listen.c_str());
    std::fflush(stdout);
    server->listen_after_bind();
    return kOk;
}

}  // namespace

int main(int argc, char** argv) {
    Arguments a;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const auto value = [&](std::string& into) {
            if (i + 1 >= argc) return false;
            into = argv[++i];
            return true;
        };
        if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            return kOk;
        }
        if (arg == "--version") {
            std::printf("trussmill-server %s\n", TRUSSMILL_VERSION);
            return kOk;
        }
        if (arg == "--data" || arg == "--listen" || arg == "--site" || arg == "--cert" || arg == "--key") {
            std::string& into = arg == "--data"     ? a.data
                                : arg == "--listen" ? a.listen
                                : arg == "--site"   ? a.site
                                : arg == "--cert"   ? a.cert
                                                    : a.key;
            if (!value(into)) return usageError(arg + " needs a value");
        } else if (arg.size() > 1 && arg[0] == '-') {
            return usageError("unknown option " + arg);
        } else {
            a.command.push_back(arg);
        }
    }
    if (!a.command.empty() && a.command[0] != "add-teacher" && a.command[0] != "backup")
        return usageError("unknown command " + a.command[0]);
    if (!a.command.empty() && a.command.size() != 2) return usageError(a.command[0] + " takes one argument");
    if (!initSecurity()) {
        std::fprintf(stderr, "trussmill-server: libsodium cannot start\n");
        return kFileError;
    }
    std::unique_ptr<Store> store = openStore(a.data.empty() ? defaultDataDir() : a.data);
    if (!store) return kFileError;
    if (a.command.empty()) return serve(*store, a);
    if (a.command[0] == "add-teacher") return addTeacher(*store, a.command[1]);
    std::string reason;
    if (!store->backup(a.command[1], reason)) {
        std::fprintf(stderr, "trussmill-server: %s: %s\n", a.command[1].c_str(), reason.c_str());
        return kFileError;
    }
    return kOk;
}
