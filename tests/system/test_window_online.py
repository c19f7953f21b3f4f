"""The online services as the window offers them, against the reference
server over https: the update notice and its "Don't ask again", the download
page opened through the shell (a browser hook of the Wine prefix records it),
no check at all once switched off, the About box with the statistics switch,
the Feedback dialog's keys, its report and its bound on the request's size, a
failed send reported as statistics; feedback the server refused or held up
kept for the next start, and an exit that no server holds up; nothing for a
server of an untrusted certificate or plain http to another host."""
import os
import re
import stat
import tempfile
import time
import unittest

import zandu
from zandu import BUILD, VERSION, Phone, Program, RefServer, port_link, wait_for, winprobe

IDOK, IDCANCEL, IDYES, IDNO = 1, 2, 6, 7
ABOUT, FEEDBACK, SEND = 1021, 1022, 1006
ABOUT_VERSION, ABOUT_STATS = 1033, 1034
FB_SEND, FB_EMAIL, FB_TEXT, FB_MODEL = 1022, 1035, 1036, 1038
VK_RETURN, VK_ESCAPE = 0x0D, 0x1B
BROWSERS_KEY = r"HKCU\Software\Wine\WineBrowser"
NOTICE = ("A new version of Zandu SMS is available with the following updates:\\r\\n\\r\\n%s"
          "\\r\\n\\r\\nGo to download page?")


class TricklingServer(zandu.MisbehavingServer):
    """Answers a feedback report that says "refused" with 414 at once and
    every other request with a trickle of headers, a byte every 2 s, that
    never ends while a test waits."""

    def answer(self, conn, line):
        if "msg=refused" in line:
            conn.sendall(b"HTTP/1.1 414 URI Too Long\r\nContent-Length: 0\r\n\r\n")
        else:
            self.trickle(conn, b"HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n", 2)


def dword(name):
    text = zandu.settings_export() or ""
    row = [r for r in text.replace("\r\n", "\n").split("\n") if r.startswith('"%s"=dword:' % name)]
    return int(row[0].split(":")[1], 16) if row else None


@unittest.skipUnless(BUILD == "windows", "the window runs under Wine")
class WindowOnline(unittest.TestCase):
    def setUp(self):
        zandu.keep_settings(self)
        self.browsers = zandu.settings_export(BROWSERS_KEY)
        self.addCleanup(zandu.settings_restore, self.browsers, BROWSERS_KEY)
        self.addCleanup(zandu.authority().__enter__().__exit__)
        self.server = RefServer(max_request_line=8190, tls=zandu.authority())  # a usual limit of web servers
        self.addCleanup(self.server.stop)
        zandu.settings_set_string("Server", self.server.url)
        zandu.settings_set_string("Port", "COM5")
        for name in ("AllowCheck", "AllowStats", "Model"):
            zandu.settings_delete_value(name)
        # The shell opens web pages with winebrowser, which runs this instead of a browser.
        self.tmp = tempfile.TemporaryDirectory()
        self.addCleanup(self.tmp.cleanup)
        self.opened = os.path.join(self.tmp.name, "opened.txt")
        browser = os.path.join(self.tmp.name, "browser.sh")
        with open(browser, "w") as f:
            f.write('#!/bin/sh\nprintf "%%s\\n" "$1" >> "%s"\n' % self.opened)
        os.chmod(browser, os.stat(browser).st_mode | stat.S_IXUSR)
        zandu.settings_set_string("Browsers", browser, key=BROWSERS_KEY)

    def opened_urls(self, wait=0):
        def read():
            if os.path.exists(self.opened):
                with open(self.opened) as f:
                    return f.read().split()
            return None
        return wait_for(read, wait, until=lambda urls: urls is not None, interval=0.2, fail=False) or []

    def notice(self, program):
        box, text = program.wait_box("New Version Available", 30000)
        return box, text

    def test_update_notice_and_dont_ask_again(self):
        changes = self.server.changes()
        # Yes with "Don't ask again" ticked: the download page, and no more checks.
        with Program() as program:
            box, text = self.notice(program)
            self.assertEqual(text, NOTICE % changes.replace("\r", "\\r").replace("\n", "\\n"))
            winprobe("click", box, 0)  # the check box
            time.sleep(0.5)
            program.answer_box(box, IDYES)
            self.assertEqual(self.opened_urls(wait=20), [self.server.url + "/ZanduSMS/download.php"])
            self.assertEqual(dword("AllowCheck"), 0)
            self.assertEqual([r["path"] for r in self.server.requests()], ["/ZanduSMS/updatecheck.php"])
            self.assertIn("Cur: %s, update avail: yes\n" % VERSION, program.debug_strings())
        # The next start asks nothing at all.
        with Program() as program:
            program.wait_status("Ready")
            time.sleep(3)
            self.assertEqual(len(self.server.requests()), 1)
            self.assertFalse([s for s in program.debug_strings() if s.startswith("Cur: ")])
        # Switched on again, No without the tick: no page, and the check stays on.
        zandu.settings_set_dword("AllowCheck", 1)
        with Program() as program:
            box, _ = self.notice(program)
            program.answer_box(box, IDNO)
            time.sleep(1)
            self.assertEqual(dword("AllowCheck"), 1)
            self.assertEqual(len(self.opened_urls()), 1)

    def test_about_feedback_and_statistics(self):
        zandu.settings_set_dword("AllowCheck", 0)
        zandu.settings_set_string("Model", "Acme 3000")
        with Phone(port_link("COM5"), "--no-echo", "--error", "AT+CMGS") as phone, Program() as program:
            program.wait_status("Ready")
            # About: the version, and the statistics switched on by the user.
            program.click(ABOUT)
            code, out = winprobe("wait", program.exe_name, "About Zandu SMS", "#32770", 20000)
            about = out[0]
            self.assertEqual(winprobe("text", about, ABOUT_VERSION)[1], ["Zandu SMS v" + VERSION])
            self.assertIsNone(dword("AllowStats"))
            winprobe("click", about, ABOUT_STATS)
            time.sleep(0.5)
            self.assertEqual(dword("AllowStats"), 1)
            winprobe("key", about, VK_ESCAPE)
            self.wait_gone(program, "About Zandu SMS")

            # Feedback: Escape sends nothing.
            feedback = self.open_feedback(program)
            program_text = winprobe("text", feedback, FB_MODEL)[1]
            self.assertEqual(program_text, ["Acme 3000"])
            winprobe("replace", feedback, FB_TEXT, "not to be sent")
            winprobe("key", feedback, VK_ESCAPE)
            self.wait_gone(program, "Send Feedback")

            # Enter in the e-mail field moves on and sends nothing; in the
            # feedback field it is a line break. Send thanks the user.
            feedback = self.open_feedback(program)
            winprobe("replace", feedback, FB_EMAIL, "me@example.com")
            self.focus(feedback, FB_EMAIL)
            winprobe("key", feedback, VK_RETURN)
            time.sleep(0.5)
            self.assertTrue(self.is_open(program, "Send Feedback"))
            self.focus(feedback, FB_TEXT)
            winprobe("replace", feedback, FB_TEXT, "Line one")
            winprobe("key", feedback, VK_RETURN)
            time.sleep(0.5)
            winprobe("click", feedback, FB_SEND)
            box, thanks = program.wait_box("Zandu SMS")
            self.assertEqual(thanks, "Thank you for your input!")
            program.answer_box(box, IDOK)
            self.wait_gone(program, "Send Feedback")

            # 1,000 Cyrillic letters encode to about 13,000 bytes: the dialog
            # says by how many characters (N) the text is too long and keeps
            # it. Shortened by N - 1 it is still too long by one; by N it
            # arrives whole (the server would refuse lines over 8,190 bytes).
            cyrillic = ("абвгдеёжзийклмнопрстуфхцчшщъыьэюя" * 31)[:1000]
            feedback = self.open_feedback(program)
            over = self.too_long(program, feedback, cyrillic)
            self.assertEqual(self.too_long(program, feedback, cyrillic[:len(cyrillic) - over + 1]), 1)
            shortened = cyrillic[:len(cyrillic) - over]
            winprobe("replace", feedback, FB_TEXT, shortened)
            winprobe("click", feedback, FB_SEND)
            box, thanks = program.wait_box("Zandu SMS")
            self.assertEqual(thanks, "Thank you for your input!")
            program.answer_box(box, IDOK)
            self.wait_gone(program, "Send Feedback")

            # A send the phone refuses, reported as statistics now they are on.
            program.compose("0123456789", "Hi")
            program.click(SEND)
            program.wait_status(lambda t: t.startswith("Failed to send message"))
            reports = self.wait_reports(lambda r: any(x["msg"].endswith("Failed to send SMS\n") for x in r))

        self.assertEqual([r["msg"] for r in reports if r["msg"].startswith("абв")], [shortened])
        feedback_reports = [r for r in reports if r["email"] == "me@example.com"]
        self.assertEqual(len(feedback_reports), 1)
        self.assertTrue(feedback_reports[0]["msg"].startswith("Line one\r\n"), feedback_reports[0]["msg"])
        self.assertEqual(feedback_reports[0]["model"], "Acme 3000")
        self.assertFalse([r for r in reports if "not to be sent" in r["msg"]])
        failed = [r for r in reports if r["msg"].endswith("Failed to send SMS\n")]
        self.assertEqual(len(failed), 1)
        self.assertRegex(failed[0]["msg"], r"^\S+\( \d+ \) : Failed to send SMS\n$")
        self.assertEqual((failed[0]["email"], failed[0]["model"]), ("", "Acme 3000"))

    def test_feedback_the_server_failed_is_sent_at_the_next_start_and_no_server_holds_the_exit(self):
        trickling = TricklingServer()
        self.addCleanup(trickling.close)
        zandu.settings_set_string("Server", trickling.url)
        queries = ["msg=%s&email=&model=&version=1.0.0" % m for m in ("refused", "held+up")]
        with Program() as program:
            program.wait_status("Ready")
            for text in ["refused", "held up"]:
                self.send_feedback(program, text)
            # Refused by the server, then the update check and a report held up.
            wait_for(lambda: sorted(zandu.settings_list("PendingFeedback") or []) ==
                     ["0 " + queries[1], "1 " + queries[0]], interval=0.3)
            wait_for(lambda: any("msg=held+up" in line for line in trickling.lines), interval=0.3)
            self.assertTrue(any("updatecheck.php" in line for line in trickling.lines))
            took = program.close_and_wait()
        print("the process ended %.1f s after the close" % took)
        self.assertLess(took, 3.0)
        self.assertEqual(sorted(zandu.settings_list("PendingFeedback")), sorted("1 " + q for q in queries))

        # The next start sends both, and keeps nothing once the server took them.
        zandu.settings_set_string("Server", self.server.url)
        zandu.settings_set_dword("AllowCheck", 0)
        with Program() as program:
            wait_for(lambda: sorted(r["query"] for r in self.server.reports()) == sorted(queries), interval=0.3)
            wait_for(lambda: not zandu.settings_list("PendingFeedback"), interval=0.3)

    def test_a_server_it_cannot_trust_and_plain_http_elsewhere_get_nothing(self):
        other = RefServer(tls=zandu.authority("Zandu SMS other CA"))
        self.addCleanup(other.stop)
        plain = RefServer()
        self.addCleanup(plain.stop)
        zandu.settings_set_string("Server", other.url)
        with Program() as program:
            # A certificate from another authority: no notice, the feedback kept.
            wait_for(lambda: "Cur: %s, update avail: no\n" % VERSION in program.debug_strings())
            self.send_feedback(program, "untrusted")
            wait_for(lambda: self.pending() == ["1 msg=untrusted"])
            # Plain http to another host is not used (the built-in server is); to this machine it is.
            zandu.settings_set_string("Server", "http://example.org")
            self.send_feedback(program, "plain")
            wait_for(lambda: self.pending() == ["1 msg=plain", "1 msg=untrusted"])
            zandu.settings_set_string("Server", plain.url)
            self.send_feedback(program, "local")
            wait_for(lambda: [r["msg"] for r in plain.reports()] == ["local"])
            self.assertFalse(self.is_open(program, "New Version Available"))
            debug = program.debug_strings()
        self.assertEqual(other.requests(), [])
        self.assertIn('The "Server" setting http://example.org not used: http:// is only for this machine '
                      "(127.0.0.0/8, ::1, localhost); another server needs https://\n", debug)
        self.assertIn("GETting https://zandu-sms.invalid/input.php\n", debug)
        self.assertFalse([s for s in debug if "msg=" in s])

    def pending(self):
        return sorted(p.split("&")[0] for p in zandu.settings_list("PendingFeedback") or [])

    def send_feedback(self, program, text):
        feedback = self.open_feedback(program)
        winprobe("replace", feedback, FB_TEXT, text)
        winprobe("click", feedback, FB_SEND)
        box, _ = program.wait_box("Zandu SMS")
        program.answer_box(box, IDOK)
        self.wait_gone(program, "Send Feedback")

    def too_long(self, program, feedback, text):
        """Sends a text the dialog refuses: by how many characters it is too
        long. The dialog stays open with the text."""
        winprobe("replace", feedback, FB_TEXT, text)
        winprobe("click", feedback, FB_SEND)
        box, refusal = program.wait_box("Zandu SMS")
        match = re.fullmatch(r"Your message is too long to send; please shorten it by (\d+) characters", refusal)
        self.assertTrue(match, refusal)
        program.answer_box(box, IDOK)
        time.sleep(0.5)
        self.assertTrue(self.is_open(program, "Send Feedback"))
        self.assertEqual(winprobe("text", feedback, FB_TEXT)[1], [text])
        return int(match.group(1))

    def open_feedback(self, program):
        program.click(FEEDBACK)
        code, out = winprobe("wait", program.exe_name, "Send Feedback", "#32770", 20000)
        self.assertEqual(code, 0)
        return out[0]

    def focus(self, dialog, item):
        # As Tab does: the field's text is then selected.
        winprobe("focus", dialog, item)

    def is_open(self, program, title):
        return any(w[3] == title and w[1] for w in zandu.top_level_windows(program.exe_name))

    def wait_gone(self, program, title):
        wait_for(lambda: not self.is_open(program, title), 20, "%s to close" % title)

    def wait_reports(self, done, timeout=30):
        return wait_for(self.server.reports, timeout, until=done, interval=0.2, fail=False)


if __name__ == "__main__":
    zandu.main()
