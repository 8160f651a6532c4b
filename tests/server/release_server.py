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

A file <folder>/<file>.fault holding "never", "stall" or "trickle" makes the
plain request for <file> misbehave that way; "never" accepts the connection
and never answers. Connections that get nothing more are held until the
client gives up.

Every request path is appended to <folder>/requests.log.

    release_server.py --port PORT --folder FOLDER
"""
import argparse
import http.server
import os
import socket
import socketserver
import struct
import time


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    folder = "."

    def log_message(self, *args):
        pass

    def file_bytes(self, name):
        path = os.path.realpath(os.path.join(self.folder, name))
        if not path.startswith(os.path.realpath(self.folder) + os.sep) or not os.path.isfile(path):
            return None
        with open(path, "rb") as source:
            return source.read()

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
        with open(os.path.join(self.folder, "requests.log"), "a") as log:
            log.write(self.path + "\n")
        parts = self.path.lstrip("/").split("/", 2)
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
        if fault is not None:
            mode = fault.decode().strip()
        if mode == "never":
            return self.wait_for_client_to_give_up()
        body = self.file_bytes(name)
        if body is None:
            return self.answer(404, b"not found")
        if mode == "no-length":
            self.close_connection = True
            return self.answer(200, body, length=False)
        if mode == "cut":
            self.send_response(200)
            self.send_header("Content-Length", str(len(body)))
            self.end_headers()
            self.wfile.write(body[: len(body) // 2])
            self.wfile.flush()
            # Time for the client to read that half and wait for more: Wine reports a
            # reset as an error only to a reader already waiting, else as a clean end.
            time.sleep(0.3)
            # A broken connection, not a clean end: reset here, because the server's
            # usual closing shuts the writing side first, and a client that sees that
            # clean end first may take it for the end of the body.
            self.connection.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
            os.close(self.connection.detach())
            self.close_connection = True
            return
        if mode in ("stall", "trickle"):
            self.send_response(200)
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
        if mode == "slow":
            self.send_response(200)
            self.send_header("Content-Length", str(len(body)))
            self.end_headers()
            for start in range(0, len(body), 65536):
                self.wfile.write(body[start:start + 65536])
                self.wfile.flush()
                time.sleep(0.05)
            return
        self.answer(200, body)


class Server(socketserver.ThreadingMixIn, http.server.HTTPServer):
    daemon_threads = True
    allow_reuse_address = True

    def handle_error(self, request, client_address):
        pass  # clients that hang up early are part of the tests


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--port", type=int, required=True)
    parser.add_argument("--folder", required=True)
    options = parser.parse_args()
    os.makedirs(options.folder, exist_ok=True)
    Handler.folder = options.folder
    Server(("127.0.0.1", options.port), Handler).serve_forever()


if __name__ == "__main__":
    main()
