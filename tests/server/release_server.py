#!/usr/bin/env python3
"""Release server for tests, on 127.0.0.1: serves a release folder ("/appLatest"
and the files in it) and misbehaves on request, by path prefix:

    /status/<code>/<file>    answers with that status code
    /no-length/<file>        sends the file without Content-Length
    /cut/<file>              announces the whole file, sends half, then resets
    /slow/<file>             sends the file in 64 KiB pieces, 50 ms apart
    /stall/<file>            announces the whole file, sends half, then nothing more
    /trickle/<file>          sends all but the last 8 bytes, then one every 0.75 s
    /endless                 sends data without end and without a length
    /proxy.pac               a proxy script naming the proxy below (404 without one)
    /proxy-loop.pac          a proxy script that says DIRECT for /appLatest and loops for
                             ever for any other address

Answers that announce the whole file (all but /status/ and /no-length/ ones)
carry Accept-Ranges, a strong ETag (the SHA-1 of the bytes) and Last-Modified.
The plain and /slow/ answers honour "Range: bytes=N-" with a 206, or a 416
past the end, unless an If-Range names neither validator.

A file <folder>/<file>.fault holding "never", "stall", "trickle", "cut",
"cut-once", "hold" or "drip" makes the request for <file> misbehave that way;
"never" accepts the connection and never answers; "hold" announces the whole
file, sends half, then a byte every 0.5 s (never a stall) until the fault file
no longer says "hold", and then the rest; "drip" sends no length and a byte
every 0.2 s for as long as the client reads; "cut-once" cuts only the first transfer after
the fault file was (re)written. Connections that get nothing more are held
until the client gives up.

Every request path is appended to <folder>/requests.log, "<path> <Range
header or ->" to <folder>/ranges.log, and "<path> <Cache-Control> <Pragma>"
(each "-" when missing) to <folder>/cache-directives.log.

With --proxy-port, a forward proxy also listens on that port: it relays each
request, absolute ("GET http://host:port/path") or short ("GET /path", to the
Host header), one per connection, and appends its path to
<folder>/proxy-requests.log. While <folder>/proxy-407 exists it answers 407
asking for Basic credentials instead and logs "407 <path>". A file
<folder>/proxy-cache/<name> is what the proxy kept of "/<name>": it answers
with it (and logs "cached <path>") unless the request says "no-cache" in
Cache-Control or Pragma.

    release_server.py --port PORT --folder FOLDER [--proxy-port PORT]
"""
import argparse
import email.utils
import hashlib
import http.server
import os
import re
import selectors
import socket
import socketserver
import struct
import threading
import time
import urllib.parse

log_lock = threading.Lock()


def append_log(folder, name, line):
    with log_lock, open(os.path.join(folder, name), "a") as log:
        log.write(line + "\n")


def reset(connection):
    # A broken connection, not a clean end: the usual closing shuts the writing
    # side first, and a client that sees that clean end may take it for the end
    # of the body.
    connection.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
    os.close(connection.detach())


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    folder = "."
    proxy_port = None
    # File name -> modification time of the "cut-once" fault file whose cut was spent.
    cuts_spent = {}
    cuts_lock = threading.Lock()

    def log_message(self, *args):
        pass

    def file_path(self, name):
        path = os.path.realpath(os.path.join(self.folder, name))
        if not path.startswith(os.path.realpath(self.folder) + os.sep) or not os.path.isfile(path):
            return None
        return path

    def file_bytes(self, name):
        path = self.file_path(name)
        if path is None:
            return None
        with open(path, "rb") as source:
            return source.read()

    def first_cut(self, name):
        path = self.file_path(name + ".fault")
        armed = os.stat(path).st_mtime_ns if path else None
        with self.cuts_lock:
            if self.cuts_spent.get(name) == armed:
                return False
            self.cuts_spent[name] = armed
            return True

    def validators(self, name, body):
        modified = os.stat(self.file_path(name)).st_mtime
        return '"%s"' % hashlib.sha1(body).hexdigest(), email.utils.formatdate(modified, usegmt=True)

    def send_validators(self, name, body):
        tag, modified = self.validators(name, body)
        self.send_header("Accept-Ranges", "bytes")
        self.send_header("ETag", tag)
        self.send_header("Last-Modified", modified)

    def send_file(self, name, body, piece=None):
        start = 0
        wanted = re.fullmatch(r"bytes=(\d+)-", self.headers.get("Range", "").strip())
        condition = self.headers.get("If-Range")
        if wanted and condition is not None and condition not in self.validators(name, body):
            wanted = None  # the part the client holds is stale: all of it again
        if wanted:
            start = int(wanted.group(1))
            if start >= len(body):
                self.send_response(416)
                self.send_header("Content-Range", "bytes */%d" % len(body))
                self.send_header("Content-Length", "0")
                self.end_headers()
                return
        self.send_response(206 if wanted else 200)
        self.send_validators(name, body)
        self.send_header("Content-Length", str(len(body) - start))
        if wanted:
            self.send_header("Content-Range", "bytes %d-%d/%d" % (start, len(body) - 1, len(body)))
        self.end_headers()
        if piece is None:
            self.wfile.write(body[start:])
            return
        for at in range(start, len(body), piece):
            self.wfile.write(body[at:at + piece])
            self.wfile.flush()
            time.sleep(0.05)

    def answer(self, status, body, length=True):
        self.send_response(status)
        if length:
            self.send_header("Content-Length", str(len(body)))
        else:
            self.send_header("Connection", "close")
        self.end_headers()
        self.wfile.write(body)

    def wait_for_client_to_give_up(self):
        self.connection.settimeout(300)
        try:
            while self.connection.recv(4096):
                pass
        except OSError:
            pass
        self.close_connection = True

    def do_GET(self):
        append_log(self.folder, "requests.log", self.path)
        append_log(self.folder, "ranges.log", "%s %s" % (self.path, self.headers.get("Range", "-")))
        append_log(self.folder, "cache-directives.log", "%s %s %s" % (
            self.path, self.headers.get("Cache-Control", "-"), self.headers.get("Pragma", "-")))
        parts = self.path.lstrip("/").split("/", 2)
        scripts = {"/proxy-loop.pac": 'function FindProxyForURL(url, host) {\n'
                                      '  if (url.indexOf("/appLatest") >= 0) return "DIRECT";\n  for (;;) {}\n}\n'}
        if self.proxy_port:
            scripts["/proxy.pac"] = 'function FindProxyForURL(url, host) { return "PROXY 127.0.0.1:%d"; }\n' % self.proxy_port
        if self.path in scripts:
            script = scripts[self.path]
            self.send_response(200)
            self.send_header("Content-Type", "application/x-ns-proxy-autoconfig")
            self.send_header("Content-Length", str(len(script)))
            self.end_headers()
            self.wfile.write(script.encode())
            return
        if parts[0] == "endless":
            self.send_response(200)
            self.send_header("Connection", "close")
            self.end_headers()
            chunk = b"x" * 65536
            try:
                while True:
                    self.wfile.write(chunk)
            except OSError:
                return
        if parts[0] == "status" and len(parts) == 3:
            body = self.file_bytes(parts[2]) or b""
            return self.answer(int(parts[1]), body)
        mode, name = (parts[0], "/".join(parts[1:])) if parts[0] in ("no-length", "cut", "slow", "stall", "trickle") else ("", self.path.lstrip("/"))
        fault = self.file_bytes(name + ".fault")
        if fault is not None and fault.decode().strip() == "cut-once":
            # Once spent, the file answers as if it had no fault.
            mode = "cut" if self.first_cut(name) else mode
        elif fault is not None:
            mode = fault.decode().strip()
        if mode == "never":
            return self.wait_for_client_to_give_up()
        body = self.file_bytes(name)
        if body is None:
            return self.answer(404, b"not found")
        if mode == "no-length":
            self.close_connection = True
            return self.answer(200, body, length=False)
        if mode == "drip":
            self.send_response(200)
            self.send_header("Connection", "close")
            self.end_headers()
            try:
                while True:
                    self.wfile.write(b"x")
                    self.wfile.flush()
                    time.sleep(0.2)
            except OSError:
                return
        if mode == "cut":
            self.send_response(200)
            self.send_validators(name, body)
            self.send_header("Content-Length", str(len(body)))
            self.end_headers()
            self.wfile.write(body[: len(body) // 2])
            self.wfile.flush()
            # Time for the client to read that half and wait for more: Wine reports a
            # reset as an error only to a reader already waiting, else as a clean end.
            time.sleep(0.3)
            reset(self.connection)
            self.close_connection = True
            return
        if mode == "hold":
            return self.send_held(name, body)
        if mode in ("stall", "trickle"):
            self.send_response(200)
            self.send_validators(name, body)
            self.send_header("Content-Length", str(len(body)))
            self.end_headers()
            head = len(body) // 2 if mode == "stall" else max(len(body) - 8, 0)
            self.wfile.write(body[:head])
            self.wfile.flush()
            if mode == "stall":
                return self.wait_for_client_to_give_up()
            for at in range(head, len(body)):
                time.sleep(0.75)
                self.wfile.write(body[at:at + 1])
                self.wfile.flush()
            return
        self.send_file(name, body, 65536 if mode == "slow" else None)


    def send_held(self, name, body):
        self.send_response(200)
        self.send_validators(name, body)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        at = len(body) // 2
        try:
            self.wfile.write(body[:at])
            self.wfile.flush()
            while at < len(body) and (self.file_bytes(name + ".fault") or b"").strip() == b"hold":
                time.sleep(0.5)
                self.wfile.write(body[at:at + 1])
                self.wfile.flush()
                at += 1
            self.wfile.write(body[at:])
            self.wfile.flush()
        except OSError:
            pass  # the client stopped


class ProxyHandler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    folder = "."
    port = None
    hop_by_hop = {"connection", "keep-alive", "proxy-authorization", "proxy-connection"}

    def log_message(self, *args):
        pass

    def do_GET(self):
        self.close_connection = True  # one request per connection keeps the relay simple
        target = urllib.parse.urlsplit(self.path)
        absolute = bool(target.scheme)
        path = (target.path or "/") + ("?" + target.query if target.query else "") if absolute else self.path
        authority = target.netloc if absolute else self.headers.get("Host", "")
        if os.path.exists(os.path.join(self.folder, "proxy-407")):
            append_log(self.folder, "proxy-requests.log", "407 " + path)
            text = b"proxy authentication required\n"
            self.send_response(407)
            self.send_header("Proxy-Authenticate", 'Basic realm="orlinth-test"')
            self.send_header("Content-Type", "text/plain")
            self.send_header("Content-Length", str(len(text)))
            self.send_header("Connection", "close")
            self.end_headers()
            self.wfile.write(text)
            return
        if self.answer_from_cache(path):
            return
        append_log(self.folder, "proxy-requests.log", path)
        where = urllib.parse.urlsplit("//" + authority)
        try:
            host, port = where.hostname, where.port or 80
        except ValueError:
            host = None
        if not host or (port == self.port and host in ("127.0.0.1", "localhost")):
            return self.send_error(502, "no server to relay to")
        hop = self.hop_by_hop | {name.strip().lower() for name in self.headers.get("Connection", "").split(",")}
        lines = ["GET %s HTTP/1.1" % path, "Host: " + authority]
        lines += ["%s: %s" % item for item in self.headers.items() if item[0].lower() not in hop | {"host"}]
        lines += ["Connection: close", "", ""]
        try:
            upstream = socket.create_connection((host, port), timeout=5)
        except OSError:
            return self.send_error(502, "the server is unreachable")
        with upstream:
            upstream.settimeout(None)
            upstream.sendall("\r\n".join(lines).encode("latin-1"))
            self.relay(upstream)

    def answer_from_cache(self, path):
        # What a caching proxy kept: handed out unless the request asks for
        # a fresh answer.
        name = path.lstrip("/")
        kept = os.path.join(self.folder, "proxy-cache", name)
        directives = (self.headers.get("Cache-Control", "") + "," + self.headers.get("Pragma", "")).lower()
        if "/" in name or not os.path.isfile(kept) or "no-cache" in directives:
            return False
        append_log(self.folder, "proxy-requests.log", "cached " + path)
        with open(kept, "rb") as source:
            body = source.read()
        self.send_response(200)
        self.send_header("Content-Length", str(len(body)))
        self.send_header("Connection", "close")
        self.end_headers()
        self.wfile.write(body)
        return True

    def relay(self, upstream):
        # Streams the answer as it comes, with only its connection header made
        # "close"; ends when either side does, and passes a reset on as a reset.
        client, head = self.connection, b""
        with selectors.DefaultSelector() as watch:
            watch.register(upstream, selectors.EVENT_READ, upstream)
            watch.register(client, selectors.EVENT_READ, client)
            while True:
                for ready, _ in watch.select():
                    try:
                        data = ready.data.recv(65536)
                    except OSError:
                        if ready.data is upstream:
                            reset(client)
                        return
                    if ready.data is client:
                        if not data:
                            return  # the client gave up
                        continue
                    ended = not data
                    if head is not None:
                        head += data
                        if not ended and b"\r\n\r\n" not in head:
                            continue
                        data, head = self.reheaded(head), None
                    try:
                        client.sendall(data)
                    except OSError:
                        return
                    if ended:
                        return

    def reheaded(self, answer):
        head, mark, body = answer.partition(b"\r\n\r\n")
        if not mark:
            return answer
        lines = [line for line in head.split(b"\r\n")
                 if line.split(b":", 1)[0].strip().lower().decode("latin-1") not in self.hop_by_hop]
        return b"\r\n".join(lines + [b"Connection: close", b"", b""]) + body


class Server(socketserver.ThreadingMixIn, http.server.HTTPServer):
    daemon_threads = True
    allow_reuse_address = True

    def handle_error(self, request, client_address):
        pass  # clients that hang up early are part of the tests


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--port", type=int, required=True)
    parser.add_argument("--folder", required=True)
    parser.add_argument("--proxy-port", type=int)
    parser.add_argument("--ready-file", help="written once both ports listen")
    options = parser.parse_args()
    os.makedirs(options.folder, exist_ok=True)
    Handler.folder = ProxyHandler.folder = options.folder
    Handler.proxy_port = ProxyHandler.port = options.proxy_port
    server = Server(("127.0.0.1", options.port), Handler)
    if options.proxy_port:
        proxy = Server(("127.0.0.1", options.proxy_port), ProxyHandler)
        threading.Thread(target=proxy.serve_forever, daemon=True).start()
    if options.ready_file:
        # The sockets listen from their construction on.
        with open(options.ready_file, "w") as ready:
            ready.write(str(os.getpid()))
    server.serve_forever()


if __name__ == "__main__":
    main()
