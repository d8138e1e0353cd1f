// kelvado-board: the shared board of verified games. Every entry is a demo replayed on arrival
// by the game's own simulation.
//
//   kelvado-board --db sqlite:PATH | --db postgresql://... [--listen ADDR:PORT] [--site DIR]
//                 [--trust-proxy ADDR] [--threads N] [--submit-rate N] [--queue N]
//                 [--client-connections N]
#include <signal.h>
#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "server/http.h"
#include "server/store.h"

namespace {

constexpr const char* kUsage =
    "usage: kelvado-board --db sqlite:PATH|postgresql://... [--listen ADDR:PORT] [--site DIR]\n"
    "                     [--trust-proxy ADDR] [--threads N] [--submit-rate N] [--queue N]\n"
    "                     [--client-connections N]\n"
    "  --listen ADDR:PORT  where to answer (127.0.0.1:8080; port 0 takes a free one)\n"
    "  --site DIR          serve the web game from DIR beside the board\n"
    "  --trust-proxy ADDR  believe X-Forwarded-For on connections from this proxy\n"
    "  --threads N         the threads answering requests (4)\n"
    "  --submit-rate N     submissions each client may make a minute, as many at once (12)\n"
    "  --queue N           submissions that may wait for the verifier (16)\n"
    "  --client-connections N  connections one address may hold at once (32)\n";

bool Number(const char* text, int low, int high, int* value) {
    char* end = nullptr;
    const long v = std::strtol(text, &end, 10);
    if (!*text || *end || v < low || v > high) return false;
    *value = static_cast<int>(v);
    return true;
}

int Usage(const char* why) {
    std::fprintf(stderr, "kelvado-board: %s\n%s", why, kUsage);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    board::ServerOptions options;
    std::string db;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (arg == "--version") {
            std::printf("kelvado-board %s\n", KELVADO_VERSION);
            return 0;
        }
        if (i + 1 >= argc) return Usage(("missing the value of " + arg).c_str());
        const char* value = argv[++i];
        if (arg == "--db") {
            db = value;
        } else if (arg == "--listen") {
            std::string listen = value;
            const std::size_t colon = listen.rfind(':');
            if (colon == std::string::npos) return Usage("--listen takes ADDR:PORT");
            std::string address = listen.substr(0, colon);
            if (address.size() >= 2 && address.front() == '[' && address.back() == ']') {
                address = address.substr(1, address.size() - 2);
            }
            options.address = address;
            if (!Number(listen.c_str() + colon + 1, 0, 65535, &options.port)) {
                return Usage("bad port in --listen");
            }
        } else if (arg == "--site") {
            options.site = value;
        } else if (arg == "--trust-proxy") {
            options.trustProxy = value;
        } else if (arg == "--threads") {
            if (!Number(value, 1, 256, &options.threads)) return Usage("bad --threads");
        } else if (arg == "--submit-rate") {
            if (!Number(value, 1, 1000000, &options.submitsPerMinute)) {
                return Usage("bad --submit-rate");
            }
        } else if (arg == "--client-connections") {
            if (!Number(value, 1, 100000, &options.connectionsPerClient)) {
                return Usage("bad --client-connections");
            }
        } else if (arg == "--queue") {
            if (!Number(value, 1, 1000, &options.queueLimit)) return Usage("bad --queue");
        } else {
            return Usage(("unknown option " + arg).c_str());
        }
    }
    if (db.empty()) return Usage("--db is needed");

    // Every connection is a descriptor: as many as the system lets this process have.
    rlimit files;
    if (getrlimit(RLIMIT_NOFILE, &files) == 0 && files.rlim_cur < files.rlim_max) {
        files.rlim_cur = files.rlim_max;
        setrlimit(RLIMIT_NOFILE, &files);
    }
    signal(SIGPIPE, SIG_IGN);
    // The signals that stop the server are taken by sigwait below, in this thread alone: every
    // thread started from here on inherits the mask.
    sigset_t stops;
    sigemptyset(&stops);
    sigaddset(&stops, SIGTERM);
    sigaddset(&stops, SIGINT);
    pthread_sigmask(SIG_BLOCK, &stops, nullptr);

    std::string error;
    std::unique_ptr<board::Store> store = board::OpenStore(db, &error);
    if (!store) {
        std::fprintf(stderr, "kelvado-board: %s\n", error.c_str());
        return 1;
    }
    if (!board::StartServer(options, store.get(), &error)) {
        std::fprintf(stderr, "kelvado-board: %s\n", error.c_str());
        return 1;
    }
    std::printf("kelvado-board: listening on %s:%d\n", options.address.c_str(), board::BoundPort());
    std::fflush(stdout);

    int signal = 0;
    sigwait(&stops, &signal);
    board::StopServer();
    return 0;
}
