"""The online services under Wine through the online probe: HTTP GET against
misbehaving servers of the test's own, the update check and the reports
against the reference server (tools/refserver), which decodes what arrives."""
import http.server
import os
import socket
import threading
import time
import unittest
import urllib.parse

import zandu
from zandu import BUILD, RefServer, online_probe, probe_text

# The probe carries the program's version information.
VERSION = "1.0.0"
# HttpGet's time-outs (connect, send, each wait for the answer) and its limit
# on the whole reading of a body, with room for a slow machine.
TIMEOUT_MS = 5000
READ_LIMIT_MS = 10000
SLACK_MS = 3000

BODY_100000 = bytes((48 + i % 10) for i in range(100000))
SPLIT = b"a" * 1023 + "é".encode() + b"b" * 1021 + "😀".encode() + b"\0z"  # é and 😀 across reads of 1024


class _Misbehaving(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    BODIES = {"/3000": (200, BODY_100000[:3000]), "/100000": (200, BODY_100000), "/split": (200, SPLIT),
              "/latin1": (200, b"caf\xe9 cr\xe8me"), "/missing": (404, b"<html>Not here</html>")}

    def do_GET(self):
        self.server.paths.append(self.path)
        if self.path == "/trickle":  # one byte a second of a promised 100000
            self._head(200, 100000)
            try:
                for _ in range(60):
                    self.wfile.write(b"x")
                    self.wfile.flush()
                    time.sleep(1)
            except OSError:
                pass
            return
        status, body = self.BODIES.get(self.path.split("?")[0], (404, b""))
        self._head(status, len(body))
        self.wfile.write(body)

    def _head(self, status, length):
        self.send_response(status)
        self.send_header("Content-Length", str(length))
        self.end_headers()

    def log_message(self, *args):
        pass


class Listener:
    """A bare TCP listener that records the first line of each request and
    then either drops the connection at once or holds it without answering."""

    def __init__(self, hold):
        self.hold = hold
        self.lines = []      # (time of arrival, request line)
        self._held = []
        self.sock = socket.create_server(("127.0.0.1", 0))
        self.url = "http://127.0.0.1:%d" % self.sock.getsockname()[1]
        threading.Thread(target=self._serve, daemon=True).start()

    def _serve(self):
        while True:
            try:
                conn, _ = self.sock.accept()
            except OSError:
                return
            line = conn.makefile("rb").readline().decode("latin-1").strip()
            self.lines.append((time.monotonic(), line))
            if self.hold:
                self._held.append(conn)
            else:
                conn.close()

    def close(self):
        self.sock.close()
        for conn in self._held:
            conn.close()


def closed_port_url():
    with socket.create_server(("127.0.0.1", 0)) as sock:
        return "http://127.0.0.1:%d" % sock.getsockname()[1]


def single_step(*steps, **kwargs):
    code, out = online_probe(*steps, **kwargs)
    assert code == 0, out
    return out


class Settings:
    """Restores the settings key as it was found."""

    @classmethod
    def setUpClass(cls):
        cls.saved = zandu.settings_export()

    @classmethod
    def tearDownClass(cls):
        zandu.settings_restore(cls.saved)

    @staticmethod
    def point_at(url):
        zandu.settings_set_value("Server", "REG_SZ", url)


@unittest.skipUnless(BUILD == "windows", "WinInet runs under Wine")
class HttpGet(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), _Misbehaving)
        cls.server.daemon_threads = True
        cls.server.paths = []
        cls.url = "http://127.0.0.1:%d" % cls.server.server_address[1]
        threading.Thread(target=cls.server.serve_forever, daemon=True).start()

    @classmethod
    def tearDownClass(cls):
        cls.server.shutdown()
        cls.server.server_close()

    def test_bodies(self):
        cases = [  # (max bytes, URL, result, body)
            (65535, closed_port_url() + "/", False, ""),
            (65535, "http://zandu-sms.invalid/", False, ""),
            (65535, self.url + "/missing", True, "<html>Not here</html>"),
            (0, self.url + "/3000?zero", True, ""),
            (65535, self.url + "/3000", True, BODY_100000[:3000].decode()),
            (65535, self.url + "/split", True, SPLIT.decode()),
            (65535, self.url + "/latin1", True, "café crème"),  # not UTF-8: the ANSI code page
        ]
        out = single_step(*("get=%d,%s" % (size, url) for size, url, _, _ in cases), "get=65535," + self.url + "/100000")
        for (size, url, ok, body), got in zip(cases, out):
            with self.subTest(url=url, max=size):
                self.assertEqual((got["ok"], got["body"]), (ok, body))
        self.assertIn("/3000?zero", self.server.paths)  # maxBytes 0 still sends the request
        # Reading stops after the first read that reaches 65535 bytes (reads bring at most 1024).
        body = out[-1]["body"]
        self.assertTrue(65535 <= len(body) < 65535 + 1024, len(body))
        self.assertEqual(body, BODY_100000[:len(body)].decode())

    def test_servers_that_stall_are_given_up_within_the_time_outs(self):
        silent = Listener(hold=True)
        try:
            out = single_step("get=65535," + silent.url + "/", "get=65535," + self.url + "/trickle")
        finally:
            silent.close()
        self.assertEqual(len(silent.lines), 1)
        self.assertEqual((out[0]["ok"], out[0]["body"]), (False, ""))
        self.assertLess(out[0]["ms"], TIMEOUT_MS + SLACK_MS)
        # A body that trickles in ends with what came within the reading limit.
        self.assertTrue(out[1]["ok"])
        self.assertRegex(out[1]["body"], "^x+$")
        self.assertLess(out[1]["ms"], READ_LIMIT_MS + SLACK_MS)
        print("silent server given up after %d ms, trickling body after %d ms (%d bytes)"
              % (out[0]["ms"], out[1]["ms"], len(out[1]["body"])))


@unittest.skipUnless(BUILD == "windows", "WinInet runs under Wine")
class UpdateCheck(Settings, unittest.TestCase):
    NOTICE = "A new version of Zandu SMS is available with the following updates:\r\n\r\n%s\r\n\r\nGo to download page?"

    def test_the_reference_server_announces_a_newer_version(self):
        with RefServer() as server:
            self.point_at(server.url)
            with open(zandu.DEFAULT_UPDATE_REPLY, encoding="utf-8") as f:
                changes = f.read().split("\n", 1)[1].strip()
            cases = [  # (reply, update, changes)
                (None, True, changes),
                (b"CHANGES 1.0.1\r\n\xc3\xa9 \xd0\x96 \xf0\x9f\x98\x80\r\n", True, "é Ж 😀"),
                (b"CHANGES 1.0.0\r\nThe same version\r\n", False, ""),
                (b"<html>Service unavailable</html>", False, ""),
            ]
            for reply, update, text in cases:
                with self.subTest(reply=reply):
                    if reply is not None:
                        server.set_update_reply(reply)
                    server.clear()
                    check, = single_step("check=30000")
                    self.assertEqual((check["done"], check["update"], check["changes"]), (True, update, text))
                    self.assertEqual(check["notice"], self.NOTICE % text)
                    self.assertEqual(check["download"], server.url + "/ZanduSMS/download.php")
                    self.assertEqual([(r["path"], r["query"], r["user_agent"]) for r in server.requests()],
                                     [("/ZanduSMS/updatecheck.php", "", "Zandu SMS")])
            # The download page the notice offers is there.
            server.clear()
            page, = single_step("get=65535," + check["download"])
            self.assertTrue(page["ok"])
            self.assertIn("Zandu SMS", page["body"])
            self.assertEqual([r["path"] for r in server.requests()], ["/ZanduSMS/download.php"])

    def test_without_a_usable_server_setting_the_check_goes_to_the_built_in_server(self):
        with RefServer() as server:
            for setting in [None, "ftp://" + server.url[len("http://"):], "127.0.0.1"]:
                with self.subTest(setting=setting):
                    if setting is None:
                        zandu.settings_delete_value("Server")
                    else:
                        self.point_at(setting)
                    check, = single_step("check=30000")
                    self.assertEqual((check["done"], check["update"]), (True, False))
                    self.assertEqual(check["download"], "http://zandu-sms.invalid/ZanduSMS/download.php")
            self.assertEqual(server.requests(), [])


@unittest.skipUnless(BUILD == "windows", "WinInet runs under Wine")
class Reports(Settings, unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        zandu.settings_delete_value("AllowStats")
        zandu.settings_delete_value("Model")
        cls.server = RefServer()
        cls.point_at(cls.server.url)

    @classmethod
    def tearDownClass(cls):
        cls.server.stop()
        super().tearDownClass()

    def setUp(self):
        self.server.clear()

    def send(self, *steps):
        out = single_step(*steps, "idle=60000")
        self.assertTrue(out[-1]["ok"], "the queue did not empty")
        return self.server.reports()

    def test_feedback_arrives_as_typed(self):
        reports = [  # (e-mail, model, message)
            ("", "", ""),
            ("user@example.org", "Nokia 6310i", "Hello world,\r\nsecond line\r\n"),
            ("", "", "Café crème — 100% sûr"),
            ("", "Моторола", "Привет, как дела?"),
            ("a&b=c@example.org", "", "Emoji 😀🎉 and a typed &#1089; + &amp;"),
        ]
        steps = []
        for report in reports:
            steps += ["report", *(probe_text(field) for field in report)]
        stored = self.send(*steps)
        self.assertEqual(stored[0]["query"], "msg=&email=&model=&version=" + VERSION)
        self.assertEqual([(r["email"], r["model"], r["msg"], r["version"]) for r in stored],
                         [(e, m, msg, VERSION) for e, m, msg in reports])

    def test_statistics_go_only_when_allowed(self):
        zandu.settings_delete_value("AllowStats")
        zandu.settings_set_value("Model", "REG_SZ", "Siemens S55")
        stored = self.send("stats", "trace", "report", "", "", "feedback")
        self.assertEqual([r["msg"] for r in stored], ["feedback"])

        self.server.clear()
        zandu.settings_set_value("AllowStats", "REG_DWORD", 1)
        try:
            out = single_step("stats", "trace", "idle=60000")
        finally:
            zandu.settings_delete_value("AllowStats")
        stored = self.server.reports()
        self.assertEqual([(r["msg"], r["email"], r["model"], r["version"]) for r in stored],
                         [(out[0]["location"] + "Failed to send SMS\n", "", "Siemens S55", VERSION)])
        self.assertRegex(out[0]["location"], r"OnlineProbe\.cpp\( \d+ \) : $")

    def test_reports_to_a_failing_server_are_each_tried_once_in_order(self):
        dropping = Listener(hold=False)
        self.point_at(dropping.url)
        try:
            steps = []
            for n in range(20):
                steps += ["report", "", "", "report %d" % n]
            out = single_step(*steps, "idle=120000")
        finally:
            self.point_at(self.server.url)
            dropping.close()
        self.assertTrue(out[-1]["ok"])
        sent = [urllib.parse.parse_qs(urllib.parse.urlsplit(line.split()[1]).query)["msg"][0]
                for _, line in dropping.lines]
        self.assertEqual(sent, ["report %d" % n for n in range(20)])

    def test_exit_waits_for_a_stalled_request_no_longer_than_the_time_outs(self):
        silent = Listener(hold=True)
        self.point_at(silent.url)
        try:
            proc_start = time.monotonic()
            code, out = online_probe("report", "", "", "last words", "sleep=500")
            ended = time.monotonic()
        finally:
            self.point_at(self.server.url)
            silent.close()
        self.assertEqual(code, 0)
        self.assertEqual(len(silent.lines), 1)
        waited = ended - silent.lines[0][0]
        self.assertLess(waited * 1000, TIMEOUT_MS + SLACK_MS)
        print("exit %.1f s after the stalled request began (%.1f s in all)" % (waited, ended - proc_start))


if __name__ == "__main__":
    zandu.main()
