#!/usr/bin/env python3
"""kelvado-board over real HTTP on loopback, on real SQLite and PostgreSQL.

    http_test.py BOARD SIM MAKE_DEMOS SOURCE_DIR

Needs KELVADO_TEST_POSTGRES (with_postgres.sh) and root (the full disk is a tmpfs in a private
mount namespace). Every server it starts is stopped at the end, whatever happens.
"""
import concurrent.futures
import http.client
import json
import os
import re
import shutil
import signal
import socket
import sqlite3
import subprocess
import sys
import tempfile
import threading
import time

BOARD, SIM, MAKE_DEMOS, SOURCE = sys.argv[1:5]
PG = os.environ["KELVADO_TEST_POSTGRES"]
TMP = tempfile.mkdtemp(prefix="kelvado-board-test.")
servers = []
failures = []


def check(condition, what):
    if not condition:
        failures.append(what)
        print("FAIL:", what, flush=True)
    return condition


class Server:
    def __init__(self, db, *args, site=None, wrap=()):
        command = list(wrap) + [BOARD, "--db", db, "--listen", "127.0.0.1:0"] + list(args)
        if site:
            command += ["--site", site]
        self.process = subprocess.Popen(command, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                                        text=True)
        servers.append(self)
        line = self.process.stdout.readline()
        match = re.search(r"listening on 127\.0\.0\.1:(\d+)", line)
        if not match:
            raise RuntimeError("the server did not start: " + line + self.process.stderr.read())
        self.port = int(match.group(1))

    def request(self, method, path, body=None, source="127.0.0.1", headers=None, timeout=30):
        c = http.client.HTTPConnection("127.0.0.1", self.port, timeout=timeout,
                                       source_address=(source, 0))
        try:
            c.request(method, path, body=body, headers=headers or {})
            r = c.getresponse()
            return r.status, r.read(), r
        finally:
            c.close()

    def submit(self, demo, source="127.0.0.1"):
        status, body, r = self.request("POST", "/api/demos", demo, source)
        return status, json.loads(body), r

    def board(self, query="limit=1000&all=1"):
        status, body, _ = self.request("GET", "/api/board?" + query)
        assert status == 200, (status, body)
        return json.loads(body)

    def kill(self, sig=signal.SIGTERM):
        if self.process.poll() is None:
            self.process.send_signal(sig)
        try:
            self.process.wait(timeout=20)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()


def read(path):
    with open(path, "rb") as f:
        return f.read()


def demos(count, name, first):
    folder = os.path.join(TMP, "%s-%d-%d" % (name, first, count))
    if not os.path.isdir(folder):
        os.makedirs(folder)
        subprocess.run([MAKE_DEMOS, folder, str(count), name, str(first)], check=True)
    return [read(os.path.join(folder, "%s-%d.demo" % (name, first + i))) for i in range(count)]


def verdict_of(demo_bytes):
    path = os.path.join(TMP, "verify.demo")
    with open(path, "wb") as f:
        f.write(demo_bytes)
    return subprocess.run([SIM, "--verify", path], capture_output=True, text=True)


def test_submissions(server):
    golden = read(os.path.join(SOURCE, "tests/web/golden.demo"))  # recorded by the game
    status, entry, _ = server.submit(golden)
    check(status == 201, "a recorded demo: %d %s" % (status, entry))
    check(entry.get("name") == "GOLD" and entry.get("score") == 100 and entry.get("steps") == 329
          and entry.get("ended") == "contact" and entry.get("rank") == 1, "its entry: %s" % entry)
    again_status, again, _ = server.submit(golden)
    check(again_status == 200 and again == entry, "the same bytes again: %d %s" % (again_status, again))
    before = server.board()

    text = golden.decode()
    edited = text.replace("# score 100", "# score 900")
    stepped = re.sub(r"^step (\d+) L$", lambda m: "step %s R" % m.group(1), text, count=1,
                     flags=re.M)
    renamed = text.replace("# name GOLD", "# name THIEF")
    escaped = text.replace("# ended by contact", "# ended by Esc")
    long_name = text.replace("# name GOLD", "# name ABCDEFGHIJK")
    short_name = text.replace("# name GOLD", "# name G")
    check(stepped != text, "a step was changed")
    cases = [
        (edited, 422, "the replay scored 100; the demo states 900"),
        (stepped, 422, "not verified: the replay"),
        (renamed, 409, "already on the board under the name GOLD"),
        (escaped, 422, "not verified"),
        (long_name, 422, "not one the name entry stores"),
        (short_name, 422, "not one the name entry stores"),
        ("junk\n", 400, "not a demo: not a Kelvado demo"),
        (b"\x00\xff\xfe binary", 400, "not a demo"),
        ("", 400, "not a demo"),
    ]
    for body, code, reason in cases:
        status, answer, _ = server.submit(body if isinstance(body, bytes) else body.encode())
        check(status == code and reason in answer.get("error", ""),
              "expected %d '%s', got %d %s" % (code, reason, status, answer))
    check(server.board() == before, "refused demos changed the board")

    # The stored demo comes back as it was sent and verifies on the desktop.
    status, stored, r = server.request("GET", "/api/demos/%d" % entry["id"])
    check(status == 200 and stored == golden and r.getheader("Content-Type").startswith("text/plain"),
          "the stored demo differs or has the wrong type")
    verified = verdict_of(stored)
    check(verified.returncode == 0 and verified.stdout.startswith("verified: score 100"),
          "the stored demo does not verify: " + verified.stdout + verified.stderr)
    check(server.request("GET", "/api/demos/99999")[0] == 404, "a missing demo is not 404")
    check(server.request("GET", "/api/demos/1x")[0] == 404, "a bad demo id is not 404")

    # The demos the reader refuses, each with the reader's own reason.
    corpus = os.path.join(SOURCE, "fuzz/corpus/fuzz_sim_script")
    for name in sorted(os.listdir(corpus)):
        if not name.startswith("bad-demo"):
            continue
        bytes_ = read(os.path.join(corpus, name))
        sim = verdict_of(bytes_)
        reason = sim.stderr.strip().split(": ", 2)[-1]
        status, answer, _ = server.submit(bytes_)
        check(status == 400 and answer.get("error") == "not a demo: " + reason,
              "%s: %d %s, kelvado-sim: %s" % (name, status, answer, sim.stderr.strip()))
    check(server.board() == before, "hostile demos changed the board")

    # Ranks: best first, one entry per name unless all=1.
    mine = demos(6, "RANK", 100)
    for demo in mine:
        server.submit(demo)
    best = server.board("limit=100")
    scores = [e["score"] for e in best["entries"]]
    check(scores == sorted(scores, reverse=True), "the board is not best first: %s" % scores)
    check(len({e["name"] for e in best["entries"]}) == len(best["entries"]) == best["total"] == 2,
          "one entry per name: %s" % best)
    check(server.board("limit=100&all=1")["total"] == 7, "all=1 shows every entry")
    check([e["rank"] for e in server.board("limit=2&offset=1&all=1")["entries"]] == [2, 3],
          "ranks of a later page")
    for query in ["limit=0", "limit=abc", "offset=-1", "all=2", "limit=100000"]:
        check(server.request("GET", "/api/board?" + query)[0] == 400, "bad query " + query)
    status, body, _ = server.request("GET", "/metrics")
    text = body.decode()
    check('kelvado_board_requests_total{route="submit",code="201"}' in text and
          "kelvado_board_queue_length 0" in text and
          'kelvado_board_verifications_total{verdict="verified"}' in text, "metrics: " + text[:300])
    check(server.request("GET", "/healthz")[0] == 200, "healthz")
    check(server.request("PUT", "/api/demos", b"x")[0] == 405, "PUT is refused")


def test_limits(server):
    # Over the size limit, stated or streamed.
    # A stated length over it is refused before the body is sent, as curl waits to hear.
    s = socket.create_connection(("127.0.0.1", server.port), timeout=10)
    s.sendall(b"POST /api/demos HTTP/1.1\r\nHost: x\r\nContent-Length: %d\r\n\r\n" % ((16 << 20) + 1))
    answer = s.recv(4096)
    s.close()
    check(answer.startswith(b"HTTP/1.1 413") and b"16 MiB" in answer, "a length over the limit: %r" % answer[:60])
    c = http.client.HTTPConnection("127.0.0.1", server.port, timeout=60)
    c.putrequest("POST", "/api/demos")
    c.putheader("Transfer-Encoding", "chunked")
    c.endheaders()
    try:
        chunk = b"#" * (1 << 20)
        for _ in range(17):
            c.send(b"%x\r\n%s\r\n" % (len(chunk), chunk))
        c.send(b"0\r\n\r\n")
        status = c.getresponse().status
    except (ConnectionError, BrokenPipeError):
        status = 413  # answered early and closed: read what it said below
    check(status == 413, "a chunked body over the limit: %d" % status)
    c.close()

    # A request line and a header flood: refused, and the server goes on.
    for flood in [b"GET /" + b"a" * 100000 + b" HTTP/1.1\r\nHost: x\r\n\r\n",
                  b"GET / HTTP/1.1\r\n" + b"".join(b"X-%d: %s\r\n" % (i, b"v" * 50)
                                                    for i in range(3000)) + b"\r\n"]:
        s = socket.create_connection(("127.0.0.1", server.port), timeout=10)
        try:
            s.sendall(flood)
            answer = s.recv(100)
        except (ConnectionError, BrokenPipeError):
            answer = b""
        s.close()
        check(answer == b"" or re.match(rb"HTTP/1\.1 (4\d\d)", answer) is not None,
              "a flood was answered %r" % answer[:40])
    check(server.request("GET", "/healthz")[0] == 200, "the server stopped after the floods")


def test_slow_clients(server):
    slow = []
    for i in range(200):
        s = socket.socket()
        s.bind(("127.0.%d.%d" % (10 + i // 100, i % 100 + 1), 0))
        s.connect(("127.0.0.1", server.port))
        slow.append(s)
    stop = time.time() + 4
    served = []
    def drip():
        k = 0
        request = b"POST /api/demos HTTP/1.1\r\nHost: x\r\nContent-Length: 100000\r\n\r\n"
        while time.time() < stop:
            for s in slow:
                try:
                    s.send(request[k:k + 1] if k < len(request) else b"#")
                except OSError:
                    pass
            k += 1
            time.sleep(1)
    dripper = threading.Thread(target=drip)
    dripper.start()
    while time.time() < stop - 0.5:
        started = time.time()
        status = server.request("GET", "/api/board?limit=10", timeout=5)[0]
        served.append((status, time.time() - started))
        time.sleep(0.2)
    dripper.join()
    for s in slow:
        s.close()
    print("beside 200 slow clients: %d reads, the slowest %.3f s" %
          (len(served), max(took for _, took in served)), flush=True)
    check(len(served) >= 5 and all(code == 200 and took < 1.0 for code, took in served),
          "reads beside 200 slow clients: %s" % served)


def test_rate(db):
    server = Server(db, "--submit-rate", "3")
    mine = demos(5, "RATE", 200)
    codes = [server.submit(d, "127.0.0.5")[0] for d in mine[:3]]
    status, answer, r = server.submit(mine[3], "127.0.0.5")
    check(codes == [201, 201, 201], "submissions within the rate: %s" % codes)
    check(status == 429 and int(r.getheader("Retry-After", "0")) > 0, "past the rate: %d" % status)
    check(server.submit(mine[3], "127.0.0.6")[0] == 201, "another client is held back")
    # X-Forwarded-For is anybody's to write: it names the client only through the trusted proxy.
    def forwarded(server, demo, client):
        return server.request("POST", "/api/demos", demo, "127.0.0.7",
                              {"X-Forwarded-For": "10.0.0.9, " + client})[0]
    check([forwarded(server, mine[4], "10.1.1.%d" % i) for i in range(4)][-1] == 429,
          "a client escaped its rate by writing X-Forwarded-For")
    server.kill()
    proxied = Server(db, "--submit-rate", "1", "--trust-proxy", "127.0.0.7")
    extra = demos(3, "PROXY", 250)
    check(forwarded(proxied, extra[0], "10.1.1.1") == 201, "a client through the proxy")
    check(forwarded(proxied, extra[1], "10.1.1.1") == 429, "the proxied client's own rate")
    check(forwarded(proxied, extra[1], "10.1.1.2") == 201, "another client through the proxy")
    proxied.kill()


def test_site(server, site, outside):
    check(server.request("GET", "/")[1] == read(os.path.join(site, "index.html")), "the site's index")
    status, _, r = server.request("GET", "/game.js")
    check(status == 200 and r.getheader("Content-Type").startswith("text/javascript"), "a script")
    for path in ["/../secret.txt", "/%2e%2e/secret.txt", "/a/../../secret.txt", "/..%2fsecret.txt",
                 "/%2e%2e%2fsecret.txt", "/link/secret.txt", "/escape.txt", "/..\\secret.txt",
                 "/game.js%00.txt"]:
        c = http.client.HTTPConnection("127.0.0.1", server.port, timeout=10)
        c.putrequest("GET", path, skip_accept_encoding=True)
        c.endheaders()
        r = c.getresponse()
        body = r.read()
        c.close()
        check(r.status in (400, 403, 404) and b"SECRET" not in body,
              "%s left the site: %d %r" % (path, r.status, body[:40]))


def test_full_queue(db):
    # Forty copies of a long game (5833 play steps) arrive at once; one may wait.
    server = Server(db, "--submit-rate", "100000", "--queue", "1", "--client-connections", "64")
    blur = read(os.path.join(SOURCE, "tests/web/blur.demo"))
    request = b"POST /api/demos HTTP/1.1\r\nHost: x\r\nContent-Length: %d\r\n\r\n%s" % (len(blur), blur)
    sockets = [socket.create_connection(("127.0.0.1", server.port), timeout=30) for _ in range(40)]
    for s in sockets:
        s.sendall(request)
    answers = []
    for s in sockets:
        answer = b""
        while b"\r\n\r\n" not in answer:
            chunk = s.recv(4096)
            if not chunk:
                break
            answer += chunk
        answers.append(answer)
        s.close()
    codes = [int(a.split(b" ")[1]) if a.startswith(b"HTTP/1.1 ") else 0 for a in answers]
    busy = [a for a, code in zip(answers, codes) if code == 503]
    print("forty at once on a queue of one: %d taken, %d told to come back" %
          (codes.count(201) + codes.count(200), len(busy)), flush=True)
    check(set(codes) <= {200, 201, 503} and codes.count(201) == 1, "answers: %s" % codes)
    check(busy and all(b"Retry-After: " in a for a in busy), "no 503 with Retry-After")
    check(server.board()["total"] == 1, "the full queue changed the board")
    server.kill()


def test_kill_during_burst():
    db = os.path.join(TMP, "burst.db")
    mine = demos(500, "BURST", 1000)
    senders = 8
    server = Server("sqlite:" + db, "--submit-rate", "100000", "--queue", "64")
    acked, lock = set(), threading.Lock()
    def send(demo):
        try:
            status, answer, _ = server.submit(demo)
            if status == 201:
                with lock:
                    acked.add(answer["id"])
        except (OSError, http.client.HTTPException, ValueError):
            pass
    with concurrent.futures.ThreadPoolExecutor(senders) as pool:
        futures = [pool.submit(send, d) for d in mine]
        # Cut in the middle of the burst.
        deadline = time.time() + 20
        while len(acked) < 40 and time.time() < deadline:
            time.sleep(0.005)
        server.kill(signal.SIGKILL)
        for f in futures:
            f.result()
    check(0 < len(acked) < len(mine), "the burst was not cut: %d of %d" % (len(acked), len(mine)))
    server = Server("sqlite:" + db)
    present = {e["id"]: e for e in server.board()["entries"]}
    print("killed after %d answered 201; %d entries after the restart" % (len(acked), len(present)),
          flush=True)
    check(acked <= present.keys(), "answered 201 and lost: %s" % sorted(acked - present.keys()))
    # An entry can be on the disk and its answer not yet read when the process dies: only one of
    # the requests still open then, so no more of them than there were senders.
    unanswered = present.keys() - acked
    check(len(unanswered) <= senders, "entries never answered: %s" % sorted(unanswered))
    sent_names = {d.split(b"# name ")[1].split(b"\n")[0].decode() for d in mine}
    check(all(e["name"] in sent_names for e in present.values()), "entries nobody sent")
    for id_ in present:
        check(server.request("GET", "/api/demos/%d" % id_)[1] in mine, "demo %d is not as sent" % id_)
    server.kill()
    integrity = sqlite3.connect(db).execute("PRAGMA integrity_check").fetchall()
    check(integrity == [("ok",)], "integrity_check: %s" % integrity)


def test_full_disk():
    mount = os.path.join(TMP, "small")
    os.makedirs(mount)
    # The server in a private mount namespace, on a tmpfs of its own.
    wrap = ["unshare", "-m", "--propagation", "private", "sh", "-c",
            'mount -t tmpfs -o size=1m tmpfs "$0" && exec "$@"', mount]
    server = Server("sqlite:" + mount + "/board.db", "--submit-rate", "100000", wrap=wrap)
    inside = "/proc/%d/root%s" % (server.process.pid, mount)
    mine = demos(3, "FULL", 3000)
    check(server.submit(mine[0])[0] == 201, "the first submission on the small disk")
    with open(inside + "/filler", "wb") as f:
        try:
            while True:
                f.write(b"\0" * 65536)
                f.flush()
        except OSError:
            pass
    status, answer, r = server.submit(mine[1])
    check(status == 503 and r.getheader("Retry-After"), "a full disk: %d %s" % (status, answer))
    board = server.board()
    check(board["total"] == 1, "reads on a full disk: %s" % board)
    check(server.request("GET", "/api/demos/%d" % board["entries"][0]["id"])[1] == mine[0],
          "a demo read on a full disk")
    os.unlink(inside + "/filler")
    check(server.submit(mine[1])[0] == 201, "room again, the submission goes in")
    server.kill()


def test_two_on_postgres():
    first, second = Server(PG), Server(PG)
    mine = demos(4, "TWIN", 4000)
    for i, demo in enumerate(mine):
        check((first if i % 2 else second).submit(demo)[0] == 201, "a submission on PostgreSQL")
    check(first.board() == second.board(), "two servers show different boards")
    check(first.board()["total"] >= 4, "the PostgreSQL board lacks entries")
    # The same game through the other server is the same entry.
    status, _, _ = second.submit(mine[1])
    check(status == 200, "a repeat through the other server: %d" % status)
    first.kill()
    second.kill()


def main():
    site = os.path.join(TMP, "site")
    os.makedirs(os.path.join(site, "a"))
    with open(os.path.join(site, "index.html"), "w") as f:
        f.write("<title>board</title>\n")
    with open(os.path.join(site, "game.js"), "w") as f:
        f.write("// js\n")
    outside = os.path.join(TMP, "secret.txt")
    with open(outside, "w") as f:
        f.write("SECRET\n")
    os.symlink(TMP, os.path.join(site, "link"))
    os.symlink(outside, os.path.join(site, "escape.txt"))

    started = time.time()
    for db in ["sqlite:" + os.path.join(TMP, "board.db"), PG]:
        print("== on", db.split(":")[0], flush=True)
        server = Server(db, "--submit-rate", "100000", site=site)
        test_submissions(server)
        if db.startswith("sqlite"):
            test_site(server, site, outside)
            test_limits(server)
            test_slow_clients(server)
        server.kill()
        check(server.process.returncode == 0, "the server did not stop cleanly on SIGTERM")
    test_rate("sqlite:" + os.path.join(TMP, "rate.db"))
    test_full_queue("sqlite:" + os.path.join(TMP, "queue.db"))
    print("== kill -9 during a burst", flush=True)
    test_kill_during_burst()
    print("== a full disk", flush=True)
    test_full_disk()
    print("== two servers on one PostgreSQL", flush=True)
    test_two_on_postgres()
    print("board http: %d failures in %.1f s" % (len(failures), time.time() - started))
    return 1 if failures else 0


if __name__ == "__main__":
    try:
        code = main()
    finally:
        for s in servers:
            s.kill(signal.SIGKILL)
        shutil.rmtree(TMP, ignore_errors=True)
    sys.exit(code)
