"""The online services under Wine through the online probe: HTTP GET against
misbehaving servers of the test's own, plain http only to this machine; the
update check and the reports against the reference server (tools/refserver)
over https, which decodes what arrives."""
import glob
import http.server
import os
import shutil
import socket
import threading
import time
import unittest
import urllib.parse

import zandu
from zandu import BUILD, VERSION, RefServer, online_probe, probe_text, authority

NEXT_VERSION = "%s.%s.%d" % (*VERSION.split(".")[:2], int(VERSION.split(".")[2]) + 1)
# HttpGet gives up connecting, sending and each wait for the answer after
# 5 s, and reading a body after 10 s in all; with room for a slow machine.
TIMEOUT_MS, READ_LIMIT_MS, SLACK_MS = 5000, 10000, 3000

DIGITS = bytes(48 + i % 10 for i in range(100000))
SPLIT = b"a" * 1023 + "é".encode() + b"b" * 1021 + "😀".encode() + b"\0z"  # é and 😀 across reads of 1024
BODIES = {"/3000": (200, DIGITS[:3000]), "/100000": (200, DIGITS), "/split": (200, SPLIT),
          "/latin1": (200, b"caf\xe9 cr\xe8me"), "/missing": (404, b"<html>Not here</html>"), "/redirect": (302, b""),
          "/ZanduSMS/updatecheck.php": (503, b"CHANGES 9.0.0\r\nAn error page that reads like a reply\r\n")}


class Misbehaving(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def do_GET(self):
        self.server.paths.append(self.path)
        self.server.cookies.append(self.headers.get("Cookie"))
        trickle = self.path == "/trickle"  # one byte a second of a promised 100000
        status, body = (200, b"") if trickle else BODIES.get(self.path.split("?")[0], (404, b""))
        self.send_response(status)
        if status == 302:
            self.send_header("Location", "/redirected")
        self.send_header("Set-Cookie", "track=%d; Path=/; Max-Age=3600" % len(self.server.paths))
        self.send_header("Content-Length", str(100000 if trickle else len(body)))
        self.end_headers()
        self.wfile.write(body)
        for _ in range(60 if trickle else 0):
            try:
                self.wfile.write(b"x")
                self.wfile.flush()
            except OSError:
                return
            time.sleep(1)

    def log_message(self, *args):
        pass


class Listener(zandu.MisbehavingServer):
    """Records the first line of each request and then drops the connection,
    or holds it without answering."""

    def __init__(self, hold, host="127.0.0.1"):
        super().__init__(host)
        self.hold_connections = hold

    def answer(self, conn, line):
        if self.hold_connections:
            self.hold(conn)


def run(*steps):
    code, out = online_probe(*steps)
    assert code == 0, out
    return out


def point_at(url):
    zandu.settings_set_value("Server", "REG_SZ", url)


def other_address():
    """An address of this machine that is not a loopback one, or None."""
    with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as sock:
        try:
            sock.connect(("192.0.2.1", 9))  # sends nothing: only picks the route
        except OSError:
            return None
        return None if sock.getsockname()[0].startswith("127.") else sock.getsockname()[0]


@unittest.skipUnless(BUILD == "windows", "WinInet runs under Wine")
class HttpGet(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Misbehaving)
        cls.server.paths, cls.server.cookies = [], []
        cls.url = "http://127.0.0.1:%d" % cls.server.server_address[1]
        threading.Thread(target=cls.server.serve_forever, daemon=True).start()

    @classmethod
    def tearDownClass(cls):
        cls.server.shutdown()
        cls.server.server_close()

    def test_bodies(self):
        cache = glob.glob(os.path.join(os.environ["ZANDU_WINEPREFIX"], "drive_c", "users", "*", "AppData", "Local",
                                       "Microsoft", "Windows", "INetCache"))
        for folder in cache:
            shutil.rmtree(folder)
        with socket.create_server(("127.0.0.1", 0)) as sock:
            refused = "http://127.0.0.1:%d/" % sock.getsockname()[1]
        cases = [  # (max bytes, URL, result, status, body)
            (65535, refused, False, 0, ""),
            (65535, "http://zandu-sms.invalid/", False, 0, ""),
            (65535, self.url + "/missing", True, 404, "<html>Not here</html>"),
            (0, self.url + "/3000?zero", True, 200, ""),
            (65535, self.url + "/3000", True, 200, DIGITS[:3000].decode()),
            (65535, self.url + "/split", True, 200, SPLIT.decode()),
            (65535, self.url + "/latin1", True, 200, "café crème"),  # not UTF-8: the ANSI code page
            (65535, self.url + "/redirect", True, 302, ""),  # not followed
        ]
        out = run(*("get=%d,%s" % (size, url) for size, url, _, _, _ in cases), "get=65535,%s/100000" % self.url)
        for (size, url, ok, status, body), got in zip(cases, out):
            self.assertEqual((got["ok"], got["status"], got["body"]), (ok, status, body), url)
        self.assertIn("/3000?zero", self.server.paths)  # maxBytes 0 still sends the request
        self.assertNotIn("/redirected", self.server.paths)
        # Every answer set a cookie; no request sent one back, and none went into the cache.
        self.assertEqual(set(self.server.cookies), {None})
        self.assertEqual([f for folder in cache for _, _, files in os.walk(folder) for f in files if f != "index.dat"],
                         [])
        # Reading stops after the first read that reaches 65535 bytes (reads bring at most 1024).
        body = out[-1]["body"]
        self.assertTrue(65535 <= len(body) < 65535 + 1024, len(body))
        self.assertEqual(body, DIGITS[:len(body)].decode())

    def test_an_error_page_is_no_update(self):
        with zandu.SavedSettings():
            point_at(self.url)
            check, = run("check=30000")
        self.assertEqual((check["done"], check["update"]), (True, False))
        self.assertIn("/ZanduSMS/updatecheck.php", self.server.paths)

    def test_servers_that_stall_are_given_up_within_the_time_outs(self):
        silent = Listener(hold=True)
        try:
            out = run("get=65535,%s/" % silent.url, "get=65535,%s/trickle" % self.url)
        finally:
            silent.close()
        self.assertEqual(len(silent.lines), 1)
        self.assertEqual((out[0]["ok"], out[0]["body"]), (False, ""))
        self.assertLess(out[0]["ms"], TIMEOUT_MS + SLACK_MS)
        # A trickling body ends with what came within the reading limit.
        self.assertTrue(out[1]["ok"])
        self.assertRegex(out[1]["body"], "^x+$")
        self.assertLess(out[1]["ms"], READ_LIMIT_MS + SLACK_MS)
        print("silent server given up after %d ms, trickling body after %d ms" % (out[0]["ms"], out[1]["ms"]))


class WithSettings(unittest.TestCase):
    """Puts the settings key back as it was found."""

    @classmethod
    def setUpClass(cls):
        cls.saved = zandu.settings_export()
        for name in ["AllowStats", "Model", "Server"]:
            zandu.settings_delete_value(name)
        authority().__enter__()
        cls.server = RefServer(tls=authority())

    @classmethod
    def tearDownClass(cls):
        cls.server.stop()
        authority().__exit__()
        zandu.settings_restore(cls.saved)

    def setUp(self):
        self.server.clear()
        point_at(self.server.url)


@unittest.skipUnless(BUILD == "windows", "WinInet runs under Wine")
class UpdateCheck(WithSettings):
    NOTICE = "A new version of Zandu SMS is available with the following updates:\r\n\r\n%s\r\n\r\nGo to download page?"

    def test_the_reference_server_announces_a_newer_version(self):
        with open(zandu.DEFAULT_UPDATE_REPLY, encoding="utf-8") as f:
            shipped = f.read().split("\n", 1)[1].strip()
        cases = [  # (reply, update, changes)
            (None, True, shipped),
            (b"CHANGES %s\r\n\xc3\xa9 \xd0\x96 \xf0\x9f\x98\x80\r\n" % NEXT_VERSION.encode(), True, "é Ж 😀"),
            (b"CHANGES %s\r\nThe same version\r\n" % VERSION.encode(), False, ""),
            (b"<html>Service unavailable</html>", False, ""),
        ]
        for reply, update, changes in cases:
            with self.subTest(reply=reply):
                if reply is not None:
                    self.server.set_update_reply(reply)
                self.server.clear()
                check, = run("check=30000")
                self.assertEqual((check["done"], check["update"], check["changes"]), (True, update, changes))
                self.assertEqual(check["notice"], self.NOTICE % changes)
                self.assertEqual(check["download"], self.server.url + "/ZanduSMS/download.php")
                self.assertRegex(check["trace"][0], r"CheckForUpdates\.cpp\( \d+ \) : $")
                self.assertEqual(check["trace"][1:], ["Cur: %s, update avail: %s\n" % (VERSION, "yes" if update else "no")])
                self.assertEqual([(r["path"], r["query"], r["user_agent"]) for r in self.server.requests()],
                                 [("/ZanduSMS/updatecheck.php", "", "Zandu SMS")])
        # The download page the notice offers is there.
        self.server.clear()
        page, = run("get=65535," + check["download"])
        self.assertIn("Zandu SMS", page["body"])
        self.assertEqual([r["path"] for r in self.server.requests()], ["/ZanduSMS/download.php"])
        # Unless asked to offer one, the server knows of no newer version.
        with RefServer(tls=authority(), offer=False) as own:
            point_at(own.url)
            check, = run("check=30000")
            self.assertEqual((check["done"], check["update"]), (True, False))

    def test_without_a_usable_server_setting_the_built_in_server_is_asked(self):
        # Plain http to another host is refused, with the reason reported:
        # one that listens on another address of this machine sees nothing.
        elsewhere = Listener(hold=False, host=other_address() or "127.0.0.1")
        self.addCleanup(elsewhere.close)
        plain = ["http://example.org"] + ([elsewhere.url] if other_address() else [])
        for setting in [None, "ftp" + self.server.url[5:], "127.0.0.1"] + plain:
            if setting is None:
                zandu.settings_delete_value("Server")
            else:
                point_at(setting)
            check, = run("check=30000")
            self.assertEqual((check["done"], check["update"]), (True, False))
            self.assertEqual(check["download"], "https://zandu-sms.invalid/ZanduSMS/download.php")
            self.assertEqual(any(" %s not used: " % setting in line for line in check["trace"]), setting in plain)
        self.assertEqual((self.server.requests(), elsewhere.lines), ([], []))


@unittest.skipUnless(BUILD == "windows", "WinInet runs under Wine")
class Reports(WithSettings):
    def send(self, *steps):
        out = run(*steps, "idle=60000")
        self.assertTrue(out[-1]["ok"], "the queue did not empty")
        return out, self.server.reports()

    def test_feedback_arrives_as_typed(self):
        reports = [  # (e-mail, model, message)
            ("", "", ""),
            ("user@example.org", "Nokia 6310i", "Hello world,\r\nsecond line\r\n"),
            ("", "", "Café crème — 100% sûr"),
            ("", "Моторола", "Привет, как дела?"),
            ("a&b=c@example.org", "", "Emoji 😀🎉 and a typed &#1089; + &amp;"),
        ]
        out, stored = self.send(*(arg for report in reports for arg in ["report", *map(probe_text, report)]))
        self.assertEqual(stored[0]["query"], "msg=&email=&model=&version=" + VERSION)
        self.assertEqual([(r["email"], r["model"], r["msg"], r["version"]) for r in stored],
                         [(*report, VERSION) for report in reports])
        # Each request is traced when queued and when it went through: the
        # endpoint, never the query with what the user typed.
        urls = ["%s/input.php\n" % self.server.url] * len(stored)
        for word in ["GETting ", "GETed "]:
            self.assertEqual([line[len(word):] for line in out[-1]["trace"] if line.startswith(word)], urls)
        self.assertFalse([line for line in out[-1]["trace"] if "msg=" in line or "example.org" in line])

    def test_statistics_go_only_when_allowed(self):
        zandu.settings_set_value("Model", "REG_SZ", "Siemens S55")
        out, stored = self.send("stats", "trace", "report", "", "", "feedback")
        self.assertEqual([r["msg"] for r in stored], ["feedback"])

        self.server.clear()
        zandu.settings_set_value("AllowStats", "REG_DWORD", 1)
        out, stored = self.send("stats", "trace")
        self.assertRegex(out[0]["location"], r"OnlineProbe\.cpp\( \d+ \) : $")
        self.assertEqual([(r["msg"], r["email"], r["model"], r["version"]) for r in stored],
                         [(out[0]["location"] + "Failed to send SMS\n", "", "Siemens S55", VERSION)])

    def test_kept_feedback_goes_once_from_two_instances_at_once(self):
        query = "msg=kept&email=&model=&version=" + VERSION
        zandu.settings_set_list("PendingFeedback", ["1 " + query])
        outs, probes = [], [threading.Thread(target=lambda: outs.append(online_probe("kept", "idle=60000")))
                            for _ in range(2)]
        # Both start while another holds the lock: each finds the report kept.
        with zandu.SettingsLock(6000, name=r"Local\Zandu SMS feedback"):
            for probe in probes:
                probe.start()
        for probe in probes:
            probe.join()
        self.assertEqual([code for code, _ in outs], [0, 0])
        self.assertEqual([r["query"] for r in self.server.reports()], [query])
        self.assertFalse(zandu.settings_list("PendingFeedback"))

    def test_reports_to_a_failing_server_are_each_tried_once_in_order(self):
        dropping = Listener(hold=False)
        point_at(dropping.url)
        try:
            self.send(*(arg for n in range(20) for arg in ["report", "", "", "report %d" % n]))
        finally:
            dropping.close()
        sent = [urllib.parse.parse_qs(urllib.parse.urlsplit(line.split()[1]).query)["msg"][0]
                for line in dropping.lines]
        self.assertEqual(sent, ["report %d" % n for n in range(20)])

    def test_exit_waits_for_a_stalled_request_no_longer_than_the_time_outs(self):
        silent = Listener(hold=True)
        point_at(silent.url)
        try:
            code, _ = online_probe("report", "", "", "last words", "sleep=500")
            ended = time.monotonic()
        finally:
            silent.close()
        self.assertEqual((code, len(silent.lines)), (0, 1))
        waited = ended - silent.times[0]
        self.assertLess(waited * 1000, TIMEOUT_MS + SLACK_MS)
        print("the probe ended %.1f s after its stalled request began" % waited)


if __name__ == "__main__":
    zandu.main()
