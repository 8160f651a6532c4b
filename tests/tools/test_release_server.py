"""The test release server: ranges, the cut-once fault and its forward proxy."""
import http.client
import os
import socket
import subprocess
import sys
import tempfile
import time
import unittest

SERVER = os.path.join(os.path.dirname(__file__), "..", "server", "release_server.py")
DATA = bytes(range(256)) * 40


def free_port():
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


class ReleaseServerTest(unittest.TestCase):
    def setUp(self):
        folder = tempfile.TemporaryDirectory()
        self.addCleanup(folder.cleanup)
        self.root = folder.name
        with open(os.path.join(self.root, "pkg"), "wb") as out:
            out.write(DATA)
        self.port, self.proxy = free_port(), free_port()
        ready = os.path.join(self.root, "ready")
        self.server = subprocess.Popen([sys.executable, SERVER, "--port", str(self.port), "--proxy-port",
                                        str(self.proxy), "--folder", self.root, "--ready-file", ready])
        self.addCleanup(self.server.wait)
        self.addCleanup(self.server.kill)
        deadline = time.monotonic() + 30
        while not os.path.exists(ready):
            self.assertIsNone(self.server.poll(), "the server ended before it listened")
            self.assertLess(time.monotonic(), deadline, "the server did not listen within 30 s")
            time.sleep(0.02)

    def get(self, path, port=None, **headers):
        connection = http.client.HTTPConnection("127.0.0.1", port or self.port, timeout=5)
        try:
            connection.request("GET", path, headers=headers)
            answer = connection.getresponse()
            return answer, answer.read()
        finally:
            connection.close()

    def log(self, name):
        with open(os.path.join(self.root, name)) as log:
            return log.read().splitlines()

    def test_ranges_resume_unless_the_copy_is_stale(self):
        whole, body = self.get("/pkg")
        tag = whole.getheader("ETag")
        self.assertEqual((whole.status, whole.getheader("Accept-Ranges"), body), (200, "bytes", DATA))
        for validator in (tag, whole.getheader("Last-Modified"), None):
            extra = {"If-Range": validator} if validator else {}
            part, body = self.get("/slow/pkg", Range="bytes=1000-", **extra)
            self.assertEqual((part.status, part.getheader("Content-Range"), body),
                             (206, "bytes 1000-%d/%d" % (len(DATA) - 1, len(DATA)), DATA[1000:]))
        stale, body = self.get("/pkg", Range="bytes=1000-", **{"If-Range": '"other"'})
        self.assertEqual((stale.status, body), (200, DATA))
        past, _ = self.get("/pkg", Range="bytes=%d-" % len(DATA))
        self.assertEqual((past.status, past.getheader("Content-Range")), (416, "bytes */%d" % len(DATA)))
        self.assertEqual(self.log("ranges.log")[:2], ["/pkg -", "/slow/pkg bytes=1000-"])

    def test_cut_once_cuts_the_first_transfer_after_each_rewrite(self):
        fault = os.path.join(self.root, "pkg.fault")
        with open(fault, "w") as out:
            out.write("cut-once")
        # A reset, not a clean end; the second time through the proxy, which passes it on.
        for port, path in ((self.port, "/pkg"), (self.proxy, "http://127.0.0.1:%d/pkg" % self.port)):
            with self.assertRaises(ConnectionResetError):
                self.get(path, port)
            self.assertEqual(self.get(path, port)[1], DATA)
            os.utime(fault, (1000000, 1000000))

    def test_proxy_relays_both_forms_and_can_ask_for_credentials(self):
        target = "127.0.0.1:%d" % self.port
        pac = self.get("/proxy.pac")
        self.assertIn(b'"PROXY 127.0.0.1:%d"' % self.proxy, pac[1])
        self.assertEqual(pac[0].getheader("Content-Type"), "application/x-ns-proxy-autoconfig")
        for path, headers in (("http://%s/pkg" % target, {}), ("/pkg", {"Host": target})):
            answer, body = self.get(path, self.proxy, Range="bytes=10-", **headers)
            self.assertEqual((answer.status, answer.getheader("Connection"), body), (206, "close", DATA[10:]))
        open(os.path.join(self.root, "proxy-407"), "w").close()
        refused, _ = self.get("/pkg", self.proxy, Host=target)
        self.assertEqual((refused.status, refused.getheader("Proxy-Authenticate")), (407, 'Basic realm="orlinth-test"'))
        self.assertEqual(self.log("proxy-requests.log"), ["/pkg", "/pkg", "407 /pkg"])
        self.assertEqual(self.log("ranges.log")[1:], ["/pkg bytes=10-"] * 2)


if __name__ == "__main__":
    unittest.main()
