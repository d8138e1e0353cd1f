// The board over HTTP, through libmicrohttpd: its thread pool answers reads, one verifier thread
// replays the submitted demos in turn while their connections wait suspended.
#pragma once

#include <string>

#include "server/store.h"

namespace board {

struct ServerOptions {
    std::string address = "127.0.0.1";  // IPv4 or IPv6, no brackets
    int port = 8080;                     // 0: any free port (BoundPort says which)
    std::string site;                    // the static site's folder; empty for none
    std::string trustProxy;              // the proxy whose X-Forwarded-For is believed
    int threads = 4;                     // the pool answering requests
    int submitsPerMinute = 12;           // each client's, with as many at once
    int queueLimit = 16;                 // submissions waiting for the verifier
    int connectionLimit = 1000;
    int connectionsPerClient = 32;
    int timeoutSeconds = 15;             // a connection idle this long is closed
};

// The largest body a submission may have: the demo reader's own bound, so that every demo the
// game writes and kelvado-sim reads is taken (the longest game holds 2^20 play steps, and even
// one line for each of them stays below it).
constexpr std::size_t kMaxBodyBytes = std::size_t{16} << 20;
// The bytes of all submissions being received at once; past them a new one is refused with 503.
constexpr std::size_t kUploadBudget = std::size_t{128} << 20;
// The memory for one connection's request line, headers and reading: a request whose line and
// headers do not fit is refused.
constexpr std::size_t kConnectionMemory = 32 * 1024;

bool StartServer(const ServerOptions& options, Store* store, std::string* error);
int BoundPort();
// Stops taking connections, lets the verifier finish what is queued, and stops.
void StopServer();

}  // namespace board
