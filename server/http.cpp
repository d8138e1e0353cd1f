#include "server/http.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <microhttpd.h>
#include <netinet/in.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <climits>
#include <cstdarg>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <nlohmann/json.hpp>
#include <string>
#include <thread>
#include <vector>

#include "server/metrics.h"
#include "server/submit.h"

namespace board {

namespace {

ServerOptions options;
Store* store = nullptr;
MHD_Daemon* httpDaemon = nullptr;
std::string siteRoot;  // the site's real path, without a trailing slash

// --- Each request's own state, from its first call to its end ---

enum class Stage { kReceiving, kQueued, kDone };

struct Request {
    Route route = kRouteOther;
    MHD_Connection* connection = nullptr;
    std::string body;
    std::size_t counted = 0;  // bytes of body counted against the upload budget
    bool tooLarge = false;
    bool overBudget = false;
    std::atomic<Stage> stage{Stage::kReceiving};  // written by the verifier, read by the pool
    Reply reply;
};

std::atomic<std::size_t> uploadBytes{0};

// --- The verifier: one thread, and a bounded queue of suspended submissions ---

constexpr int kMaxQueue = 1024;
std::mutex queueMutex;
std::condition_variable queueReady;
Request* queue[kMaxQueue];
int queueHead = 0, queueCount = 0;
bool stopping = false;
std::thread verifier;

bool Enqueue(Request* request) {
    std::lock_guard<std::mutex> lock(queueMutex);
    if (stopping || queueCount >= options.queueLimit) return false;
    queue[(queueHead + queueCount) % kMaxQueue] = request;
    ++queueCount;
    ++queueLength;
    queueReady.notify_one();
    return true;
}

void VerifierLoop() {
    for (;;) {
        Request* request;
        {
            std::unique_lock<std::mutex> lock(queueMutex);
            queueReady.wait(lock, [] { return stopping || queueCount > 0; });
            if (queueCount == 0) return;
            request = queue[queueHead];
            queueHead = (queueHead + 1) % kMaxQueue;
            --queueCount;
        }
        request->reply = SubmitDemo(store, request->body);
        request->stage = Stage::kDone;
        --queueLength;
        MHD_resume_connection(request->connection);
    }
}

// --- Each client's rate of submissions: a token bucket in a fixed table ---

constexpr int kClientSlots = 4096;
struct Bucket {
    char client[INET6_ADDRSTRLEN];
    double tokens;
    std::chrono::steady_clock::time_point last;
};
std::mutex bucketMutex;
Bucket buckets[kClientSlots];

// 0 when the client may submit now, else the seconds until it may.
int SubmitWait(const std::string& client) {
    const std::size_t slot = std::hash<std::string>{}(client) % kClientSlots;
    const double capacity = options.submitsPerMinute;
    const auto now = std::chrono::steady_clock::now();
    std::lock_guard<std::mutex> lock(bucketMutex);
    Bucket& b = buckets[slot];
    if (std::strcmp(b.client, client.c_str()) != 0) {
        // A client not seen lately (or another one sharing the slot) starts with a full bucket.
        std::snprintf(b.client, sizeof b.client, "%s", client.c_str());
        b.tokens = capacity;
        b.last = now;
    }
    const double seconds = std::chrono::duration<double>(now - b.last).count();
    b.tokens = std::min(capacity, b.tokens + seconds * capacity / 60.0);
    b.last = now;
    if (b.tokens >= 1.0) {
        b.tokens -= 1.0;
        return 0;
    }
    return 1 + static_cast<int>((1.0 - b.tokens) * 60.0 / capacity);
}

// --- Answers ---

MHD_Result Send(MHD_Connection* c, Route route, int status, const std::string& body,
                const char* type = "application/json", int retryAfter = 0) {
    MHD_Response* response = MHD_create_response_from_buffer(
        body.size(), const_cast<char*>(body.data()), MHD_RESPMEM_MUST_COPY);
    if (!response) return MHD_NO;
    MHD_add_response_header(response, "Content-Type", type);
    MHD_add_response_header(response, "Cache-Control", "no-cache");
    MHD_add_response_header(response, "X-Content-Type-Options", "nosniff");
    if (retryAfter > 0) {
        MHD_add_response_header(response, "Retry-After", std::to_string(retryAfter).c_str());
    }
    const MHD_Result result = MHD_queue_response(c, static_cast<unsigned>(status), response);
    MHD_destroy_response(response);
    CountRequest(route, status);
    return result;
}

MHD_Result SendError(MHD_Connection* c, Route route, int status, const std::string& why,
                     int retryAfter = 0) {
    return Send(c, route, status, ErrorJson(why), "application/json", retryAfter);
}

std::string ClientOf(MHD_Connection* c) {
    const MHD_ConnectionInfo* info = MHD_get_connection_info(c, MHD_CONNECTION_INFO_CLIENT_ADDRESS);
    char text[INET6_ADDRSTRLEN] = "?";
    if (info && info->client_addr) {
        const sockaddr* a = info->client_addr;
        if (a->sa_family == AF_INET) {
            inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in*>(a)->sin_addr, text, sizeof text);
        } else if (a->sa_family == AF_INET6) {
            inet_ntop(AF_INET6, &reinterpret_cast<const sockaddr_in6*>(a)->sin6_addr, text,
                      sizeof text);
        }
    }
    std::string client = text;
    if (!options.trustProxy.empty() && client == options.trustProxy) {
        // The address the proxy saw is the last one it added.
        const char* forwarded =
            MHD_lookup_connection_value(c, MHD_HEADER_KIND, "X-Forwarded-For");
        if (forwarded) {
            std::string list = forwarded;
            const std::size_t comma = list.rfind(',');
            std::string last = comma == std::string::npos ? list : list.substr(comma + 1);
            const std::size_t from = last.find_first_not_of(" \t");
            const std::size_t to = last.find_last_not_of(" \t");
            if (from != std::string::npos) last = last.substr(from, to - from + 1);
            if (!last.empty() && last.size() < INET6_ADDRSTRLEN) client = last;
        }
    }
    return client;
}

// A whole number from a query argument within [low, high]; false when it is anything else.
bool Argument(MHD_Connection* c, const char* key, long long low, long long high,
              long long fallback, long long* value) {
    const char* text = MHD_lookup_connection_value(c, MHD_GET_ARGUMENT_KIND, key);
    if (!text) {
        *value = fallback;
        return true;
    }
    if (*text == '\0' || std::strlen(text) > 12) return false;
    long long v = 0;
    for (const char* p = text; *p; ++p) {
        if (*p < '0' || *p > '9') return false;
        v = v * 10 + (*p - '0');
    }
    if (v < low || v > high) return false;
    *value = v;
    return true;
}

// --- The board's pages, rendered once for each version of the board ---

constexpr int kCacheSlots = 32;
struct CachedPage {
    bool all;
    long long limit, offset;
    std::int64_t version = -1;
    std::shared_ptr<const std::string> body;
};
std::mutex cacheMutex;
CachedPage cache[kCacheSlots];

MHD_Result SendBoard(MHD_Connection* c) {
    long long limit, offset, all;
    if (!Argument(c, "limit", 1, 1000, 100, &limit) ||
        !Argument(c, "offset", 0, 1000000000, 0, &offset) || !Argument(c, "all", 0, 1, 0, &all)) {
        return SendError(c, kRouteBoard, 400,
                         "limit is 1 to 1000, offset 0 or more, all 0 or 1");
    }
    std::int64_t version;
    if (store->Version(&version) != Stored::kOk) {
        return SendError(c, kRouteBoard, 503, "the board cannot be read just now", 5);
    }
    const std::size_t slot =
        (static_cast<std::size_t>(limit) * 31 + static_cast<std::size_t>(offset) * 7 +
         static_cast<std::size_t>(all)) % kCacheSlots;
    {
        std::lock_guard<std::mutex> lock(cacheMutex);
        const CachedPage& page = cache[slot];
        if (page.version == version && page.all == (all != 0) && page.limit == limit &&
            page.offset == offset) {
            std::shared_ptr<const std::string> body = page.body;
            return Send(c, kRouteBoard, 200, *body);
        }
    }
    std::int64_t total = 0;
    std::vector<Entry> entries;
    if (store->Board(all != 0, limit, offset, &total, &entries) != Stored::kOk) {
        return SendError(c, kRouteBoard, 503, "the board cannot be read just now", 5);
    }
    std::string body = "{\"total\":" + std::to_string(total) + ",\"entries\":[";
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (i > 0) body += ',';
        body += EntryJson(entries[i], true);
    }
    body += "]}";
    auto shared = std::make_shared<const std::string>(std::move(body));
    {
        // The version read before the page: a page cached under it may only be older, never
        // newer, than what that version names, and the next version replaces it.
        std::lock_guard<std::mutex> lock(cacheMutex);
        cache[slot] = CachedPage{all != 0, limit, offset, version, shared};
    }
    return Send(c, kRouteBoard, 200, *shared);
}

MHD_Result SendDemo(MHD_Connection* c, const char* idText) {
    std::int64_t id = 0;
    const std::size_t length = std::strlen(idText);
    bool ok = length > 0 && length <= 18;
    for (const char* p = idText; ok && *p; ++p) {
        ok = *p >= '0' && *p <= '9';
        id = id * 10 + (*p - '0');
    }
    if (!ok) return SendError(c, kRouteDemo, 404, "no such entry");
    std::string text;
    switch (store->Demo(id, &text)) {
        case Stored::kOk:
            return Send(c, kRouteDemo, 200, text, "text/plain; charset=utf-8");
        case Stored::kNotFound:
            return SendError(c, kRouteDemo, 404, "no such entry");
        default:
            return SendError(c, kRouteDemo, 503, "the board cannot be read just now", 5);
    }
}

// --- The static site ---

const char* ContentType(const std::string& path) {
    struct Kind {
        const char* ending;
        const char* type;
    };
    static constexpr Kind kKinds[] = {
        {".html", "text/html; charset=utf-8"},
        {".js", "text/javascript; charset=utf-8"},
        {".mjs", "text/javascript; charset=utf-8"},
        {".css", "text/css; charset=utf-8"},
        {".wasm", "application/wasm"},
        {".json", "application/json"},
        {".webmanifest", "application/manifest+json"},
        {".svg", "image/svg+xml"},
        {".png", "image/png"},
        {".ico", "image/x-icon"},
        {".bmp", "image/bmp"},
        {".wav", "audio/wav"},
        {".txt", "text/plain; charset=utf-8"},
        {".demo", "text/plain; charset=utf-8"},
    };
    for (const Kind& kind : kKinds) {
        const std::size_t n = std::strlen(kind.ending);
        if (path.size() >= n && path.compare(path.size() - n, n, kind.ending) == 0) return kind.type;
    }
    return "application/octet-stream";
}

MHD_Result SendFile(MHD_Connection* c, const char* url) {
    // The path as decoded: no "..", no backslash, no NUL-cut name; then whatever it resolves to
    // through links must still lie inside the site.
    const std::string path = url;
    bool escapes = path.empty() || path[0] != '/' || path.find('\\') != std::string::npos ||
                   path.size() > 1024;
    for (std::size_t from = 0; !escapes && from < path.size();) {
        std::size_t end = path.find('/', from + 1);
        if (end == std::string::npos) end = path.size();
        const std::string segment = path.substr(from + 1, end - from - 1);
        escapes = segment == "..";
        from = end;
    }
    if (escapes) return SendError(c, kRouteSite, 403, "outside the site");

    std::string wanted = siteRoot + path;
    if (wanted.back() == '/') wanted += "index.html";
    char resolved[PATH_MAX];
    if (!realpath(wanted.c_str(), resolved)) return SendError(c, kRouteSite, 404, "not found");
    std::string real = resolved;
    if (real != siteRoot && real.compare(0, siteRoot.size() + 1, siteRoot + "/") != 0) {
        return SendError(c, kRouteSite, 403, "outside the site");
    }
    struct stat st;
    if (stat(real.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
        // A folder named without its slash: the page's own addresses need it.
        MHD_Response* response =
            MHD_create_response_from_buffer(0, const_cast<char*>(""), MHD_RESPMEM_PERSISTENT);
        MHD_add_response_header(response, "Location", (path + "/").c_str());
        const MHD_Result result = MHD_queue_response(c, 301, response);
        MHD_destroy_response(response);
        CountRequest(kRouteSite, 301);
        return result;
    }
    const int fd = open(real.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return SendError(c, kRouteSite, 404, "not found");
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        return SendError(c, kRouteSite, 404, "not found");
    }
    MHD_Response* response = MHD_create_response_from_fd(static_cast<std::uint64_t>(st.st_size), fd);
    if (!response) {
        close(fd);
        return MHD_NO;
    }
    MHD_add_response_header(response, "Content-Type", ContentType(real));
    MHD_add_response_header(response, "Cache-Control", "no-cache");
    MHD_add_response_header(response, "X-Content-Type-Options", "nosniff");
    const MHD_Result result = MHD_queue_response(c, 200, response);
    MHD_destroy_response(response);
    CountRequest(kRouteSite, 200);
    return result;
}

// --- The dispatch ---

Route RouteOf(const std::string& url, bool* known) {
    *known = true;
    if (url == "/api/demos") return kRouteSubmit;
    if (url == "/api/board") return kRouteBoard;
    if (url.rfind("/api/demos/", 0) == 0) return kRouteDemo;
    if (url == "/healthz") return kRouteHealth;
    if (url == "/metrics") return kRouteMetrics;
    *known = false;
    return url.rfind("/api/", 0) == 0 || siteRoot.empty() ? kRouteOther : kRouteSite;
}

MHD_Result ReceiveSubmission(MHD_Connection* c, Request* r, const char* upload,
                             std::size_t* uploadSize) {
    if (*uploadSize > 0) {
        if (!r->tooLarge && !r->overBudget) {
            if (r->body.size() + *uploadSize > kMaxBodyBytes) {
                r->tooLarge = true;
            } else if (uploadBytes.fetch_add(*uploadSize) + *uploadSize > kUploadBudget) {
                uploadBytes -= *uploadSize;
                r->overBudget = true;
            } else {
                r->counted += *uploadSize;
                r->body.append(upload, *uploadSize);
            }
        }
        *uploadSize = 0;
        return MHD_YES;
    }
    switch (r->stage) {
        case Stage::kReceiving:
            if (r->tooLarge) {
                return SendError(c, kRouteSubmit, 413,
                                 "a demo is at most 16 MiB, the bound of the game's own reader");
            }
            if (r->overBudget) {
                return SendError(c, kRouteSubmit, 503, "too many demos arriving at once", 2);
            }
            // Suspended before the verifier may see it: it resumes the connection when done,
            // which may be at once.
            r->stage = Stage::kQueued;
            MHD_suspend_connection(c);
            if (!Enqueue(r)) {
                r->reply.status = 503;
                r->reply.body = ErrorJson("the verifier is busy: try again shortly");
                r->reply.retryAfter = 2;
                r->stage = Stage::kDone;
                MHD_resume_connection(c);
            }
            return MHD_YES;
        case Stage::kQueued:
            return MHD_YES;  // not resumed yet
        case Stage::kDone:
            break;
    }
    return Send(c, kRouteSubmit, r->reply.status, r->reply.body, "application/json",
                r->reply.retryAfter);
}

MHD_Result Handle(void*, MHD_Connection* c, const char* url, const char* method, const char*,
                  const char* upload, std::size_t* uploadSize, void** context) {
    auto* r = static_cast<Request*>(*context);
    const bool get = std::strcmp(method, MHD_HTTP_METHOD_GET) == 0 ||
                     std::strcmp(method, MHD_HTTP_METHOD_HEAD) == 0;
    const bool post = std::strcmp(method, MHD_HTTP_METHOD_POST) == 0;
    if (!r) {
        r = new Request;
        r->connection = c;
        *context = r;
        bool known;
        r->route = RouteOf(url, &known);
        if (r->route == kRouteSubmit) {
            if (!post) return SendError(c, r->route, 405, "send a demo with POST");
            const char* length =
                MHD_lookup_connection_value(c, MHD_HEADER_KIND, MHD_HTTP_HEADER_CONTENT_LENGTH);
            if (length && std::strtoull(length, nullptr, 10) > kMaxBodyBytes) {
                return SendError(c, r->route, 413,
                                 "a demo is at most 16 MiB, the bound of the game's own reader");
            }
            if (const int wait = SubmitWait(ClientOf(c))) {
                return SendError(c, r->route, 429, "too many submissions: wait a little", wait);
            }
            return MHD_YES;  // the body follows
        }
        // An answer queued before the request is whole closes the connection: the rest is
        // answered on the next call, which keeps it open for the client's next request.
        return MHD_YES;
    }
    if (r->route == kRouteSubmit) return ReceiveSubmission(c, r, upload, uploadSize);
    if (*uploadSize > 0) {
        // A body sent with anything else is dropped.
        *uploadSize = 0;
        return MHD_YES;
    }
    if (post) return SendError(c, r->route, 405, "only demos are sent here");
    if (!get) return SendError(c, r->route, 405, "GET or HEAD only");
    switch (r->route) {
        case kRouteBoard:
            return SendBoard(c);
        case kRouteDemo:
            return SendDemo(c, url + std::strlen("/api/demos/"));
        case kRouteHealth: {
            std::int64_t version;
            if (store->Version(&version) != Stored::kOk) {
                return Send(c, r->route, 503, "the database does not answer\n", "text/plain");
            }
            return Send(c, r->route, 200, "ok\n", "text/plain");
        }
        case kRouteMetrics:
            return Send(c, r->route, 200, MetricsText(), "text/plain; version=0.0.4");
        case kRouteSite:
            return SendFile(c, url);
        default:
            return SendError(c, r->route, 404, "not found");
    }
}

void Completed(void*, MHD_Connection*, void** context, MHD_RequestTerminationCode) {
    auto* r = static_cast<Request*>(*context);
    if (!r) return;
    uploadBytes -= r->counted;
    delete r;
    *context = nullptr;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Decodes %XX in the path and the query in place, as libmicrohttpd would, but leaves %00 as it
// is: a NUL would cut the name short and serve "/page.js" for "/page.js%00.txt".
std::size_t Unescape(void*, MHD_Connection*, char* text) {
    char* out = text;
    for (const char* in = text; *in; ++in) {
        const int high = in[0] == '%' ? HexDigit(in[1]) : -1;
        const int low = high >= 0 ? HexDigit(in[2]) : -1;
        if (low >= 0 && (high | low) != 0) {
            *out++ = static_cast<char>(high * 16 + low);
            in += 2;
        } else {
            *out++ = *in;
        }
    }
    *out = '\0';
    return static_cast<std::size_t>(out - text);
}

void LogError(void*, const char* format, va_list args) {
    std::fputs("kelvado-board: ", stderr);
    std::vfprintf(stderr, format, args);
}

}  // namespace

bool StartServer(const ServerOptions& chosen, Store* theStore, std::string* error) {
    options = chosen;
    store = theStore;
    if (!options.site.empty()) {
        char resolved[PATH_MAX];
        if (!realpath(options.site.c_str(), resolved)) {
            *error = "the site " + options.site + " does not exist";
            return false;
        }
        siteRoot = resolved;
        if (siteRoot == "/") siteRoot.clear();  // realpath gives "/" only for the root itself
    }

    sockaddr_storage address{};
    socklen_t addressSize;
    auto* v4 = reinterpret_cast<sockaddr_in*>(&address);
    auto* v6 = reinterpret_cast<sockaddr_in6*>(&address);
    unsigned flags = MHD_USE_INTERNAL_POLLING_THREAD | MHD_USE_EPOLL | MHD_ALLOW_SUSPEND_RESUME |
                     MHD_USE_ERROR_LOG;
    if (inet_pton(AF_INET, options.address.c_str(), &v4->sin_addr) == 1) {
        v4->sin_family = AF_INET;
        v4->sin_port = htons(static_cast<std::uint16_t>(options.port));
        addressSize = sizeof *v4;
    } else if (inet_pton(AF_INET6, options.address.c_str(), &v6->sin6_addr) == 1) {
        v6->sin6_family = AF_INET6;
        v6->sin6_port = htons(static_cast<std::uint16_t>(options.port));
        addressSize = sizeof *v6;
        flags |= MHD_USE_IPv6;
    } else {
        *error = "cannot listen on '" + options.address + "': not an IP address";
        return false;
    }
    (void)addressSize;

    verifier = std::thread(VerifierLoop);
    // Behind a proxy every client comes from the proxy's address: no limit for each address.
    const unsigned perClient = options.trustProxy.empty()
                                   ? static_cast<unsigned>(options.connectionsPerClient)
                                   : 0u;
    httpDaemon = MHD_start_daemon(
        flags, static_cast<std::uint16_t>(options.port), nullptr, nullptr, &Handle, nullptr,
        MHD_OPTION_EXTERNAL_LOGGER, &LogError, nullptr,
        MHD_OPTION_SOCK_ADDR, &address,
        MHD_OPTION_THREAD_POOL_SIZE, static_cast<unsigned>(options.threads),
        MHD_OPTION_CONNECTION_LIMIT, static_cast<unsigned>(options.connectionLimit),
        MHD_OPTION_PER_IP_CONNECTION_LIMIT, perClient,
        MHD_OPTION_CONNECTION_TIMEOUT, static_cast<unsigned>(options.timeoutSeconds),
        MHD_OPTION_CONNECTION_MEMORY_LIMIT, kConnectionMemory,
        MHD_OPTION_LISTEN_BACKLOG_SIZE, 1024u,
        MHD_OPTION_NOTIFY_COMPLETED, &Completed, nullptr,
        MHD_OPTION_UNESCAPE_CALLBACK, &Unescape, nullptr,
        MHD_OPTION_END);
    if (!httpDaemon) {
        *error = "cannot listen on " + options.address + ":" + std::to_string(options.port);
        {
            std::lock_guard<std::mutex> lock(queueMutex);
            stopping = true;
        }
        queueReady.notify_all();
        verifier.join();
        return false;
    }
    return true;
}

int BoundPort() {
    const MHD_DaemonInfo* info = MHD_get_daemon_info(httpDaemon, MHD_DAEMON_INFO_BIND_PORT);
    return info ? info->port : -1;
}

void StopServer() {
    MHD_quiesce_daemon(httpDaemon);
    {
        std::lock_guard<std::mutex> lock(queueMutex);
        stopping = true;
    }
    queueReady.notify_all();
    verifier.join();
    MHD_stop_daemon(httpDaemon);
    httpDaemon = nullptr;
}

}  // namespace board
