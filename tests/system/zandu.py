"""Shared helpers of the system tests: where the executables are and how to run them."""
import atexit
import functools
import hashlib
import json
import os
import re
import select
import signal
import socket
import ssl
import struct
import subprocess
import tempfile
import sys
import threading
import time
import unittest

BUILD = os.environ.get("ZANDU_BUILD", "host")
# The project's version, which the executables' version information carries.
VERSION = os.environ.get("ZANDU_VERSION", "0.0.0")

# What a test script returns when none of its tests could run in this build,
# so that ctest reports it as skipped rather than passed.
SKIPPED = 77


def main():
    """unittest.main for the test scripts: 0 when the tests passed, 1 when one
    failed, SKIPPED when every test was skipped here."""
    result = unittest.main(exit=False).result
    if not result.wasSuccessful():
        sys.exit(1)
    sys.exit(SKIPPED if result.testsRun and len(result.skipped) == result.testsRun else 0)


# Waiting and the life of a helper process -------------------------------------

def wait_for(read, timeout=30, what="the condition", until=bool, interval=0.1, fail=True):
    """Calls read every interval seconds until what it returns satisfies until
    (is true, by default), for at most timeout seconds, and returns that
    value. When the time is up first the test fails ("timed out waiting for
    <what>" and the last value), or with fail=False the last value comes
    back for the caller to judge."""
    deadline = time.monotonic() + timeout
    while True:
        value = read()
        if until(value):
            return value
        if time.monotonic() > deadline:
            if fail:
                raise AssertionError("timed out waiting for %s (last: %r)" % (what, value))
            return value
        time.sleep(interval)


class Stoppable:
    """A helper that a with block stops at its end (its stop())."""

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.stop()


def _command(exe, args):
    cmd = [exe, *args]
    if BUILD == "windows":
        cmd = [os.environ["ZANDU_WINE_RUN"], *cmd]
    return cmd


def cli(*args, stdin=None, timeout=120):
    """Runs zandusms-cli (natively or under Wine) and returns the CompletedProcess,
    with stdout and stderr decoded from UTF-8 and line ends normalised."""
    proc = subprocess.run(_command(os.environ["ZANDU_CLI"], args), input=stdin,
                          capture_output=True, timeout=timeout)
    proc.stdout = proc.stdout.decode("utf-8").replace("\r\n", "\n")
    proc.stderr = proc.stderr.decode("utf-8", "replace").replace("\r\n", "\n")
    return proc


def cli_start(*args, timeout=60):
    """Starts zandusms-cli without waiting for it; its output in pipes. Killed after the time-out."""
    proc = subprocess.Popen(_command(os.environ["ZANDU_CLI"], args), stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    killer = threading.Timer(timeout, proc.kill)
    killer.daemon = True
    killer.start()
    return proc


def pdu_lines(stdout):
    """Pairs (length, pdu) from the output of 'zandusms-cli pdu'."""
    lines = stdout.split("\n")
    assert lines[-1] == "", "output must end with a line break"
    lines = lines[:-1]
    assert len(lines) % 2 == 0, lines
    pairs = []
    for at, pdu in zip(lines[0::2], lines[1::2]):
        assert at.startswith("AT+CMGS="), at
        pairs.append((int(at[len("AT+CMGS="):]), pdu))
    return pairs


# The phone simulator and the serial probe -----------------------------------

PHONESIM = os.environ.get("ZANDU_PHONESIM", "")
PORTS_DIR = os.environ.get("ZANDU_PORTS_DIR", "")


def port_link(port):
    """The link behind a COM port of the Wine prefix (see scripts/lib.sh)."""
    return os.path.join(PORTS_DIR, port)


class Phone(Stoppable):
    """The phone simulator on a link, with its JSON-lines log.

    with Phone(port_link("COM5"), "--no-echo") as phone: ...; phone.commands()
    """

    def __init__(self, link, *options, quiet=True):
        self.link = link
        self._dir = tempfile.TemporaryDirectory()
        self._log, self._read = [], 0
        self.log_path = os.path.join(self._dir.name, "phone.log")
        args = [PHONESIM, "--link", link, "--log", self.log_path, *options]
        if quiet:
            args.append("--quiet")
        if os.path.lexists(link):
            os.unlink(link)
        self.proc = subprocess.Popen(args, stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        if not wait_for(lambda: os.path.lexists(link) or self.proc.poll() is not None, 10, interval=0.01,
                        fail=False) or not os.path.lexists(link):
            raise RuntimeError("phonesim did not start: %r" % (self.proc.stderr.read(),))

    def stop(self):
        """Stops the simulator; returns its standard output. The log stays readable."""
        if self.proc.poll() is None:
            self.proc.send_signal(signal.SIGTERM)
        out, _ = self.proc.communicate(timeout=10)
        if self._dir is not None:
            self._read_log()
            self._dir.cleanup()
            self._dir = None
        return out.decode("utf-8")

    def _read_log(self):
        """The records so far, read on from where the last call stopped; a
        line still being written waits for the next call."""
        with open(self.log_path, "rb") as f:
            f.seek(self._read)
            data = f.read()
        end = data.rfind(b"\n") + 1
        self._read += end
        self._log += [json.loads(line) for line in data[:end].decode("utf-8").split("\n") if line.strip()]
        return self._log

    def events(self, kind=None):
        records = self._read_log() if self._dir is not None else self._log
        return [r for r in records if kind is None or r["event"] == kind]

    def commands(self):
        return [r["text"] for r in self.events("command")]


def remove_link(port):
    path = port_link(port)
    if os.path.lexists(path):
        os.unlink(path)


def wine_run(*args, timeout=60):
    """Runs a Windows program of the build under Wine; CompletedProcess with text."""
    proc = subprocess.run([os.environ["ZANDU_WINE_RUN"], *args], capture_output=True, timeout=timeout)
    proc.stdout = proc.stdout.decode("utf-8", "replace").replace("\r\n", "\n")
    proc.stderr = proc.stderr.decode("utf-8", "replace").replace("\r\n", "\n")
    return proc


def _unescape(text):
    """Text escaped as the probes print it, or as Wine's debug channel quotes
    it (\\r, \\n, \\t, \\xNN, \\uNNNN, and a backslash before any other)."""
    out, i = [], 0
    while i < len(text):
        if text[i] == "\\" and i + 1 < len(text):
            c = text[i + 1]
            if c in "xu":
                digits = 2 if c == "x" else 4
                out.append(chr(int(text[i + 2:i + 2 + digits], 16)))
                i += 2 + digits
                continue
            out.append({"r": "\r", "n": "\n", "t": "\t"}.get(c, c))
            i += 2
            continue
        out.append(text[i])
        i += 1
    return "".join(out)


class Announcement:
    def __init__(self, fields):
        self.op = int(fields["op"])
        self.err = int(fields["err"])
        self.t = int(fields["t"])
        self.zeros = fields["zeros"] == "1"
        self.text = _unescape(fields["text"])

    def __repr__(self):
        return "ann(op=%d err=%d t=%d %r)" % (self.op, self.err, self.t, self.text)


OP_READ, OP_WRITE, OP_OPEN, OP_CLOSE, OP_ENUM_PORTS = range(5)


def probe(*steps, timeout=60):
    """Runs the serial probe (tests/win/fixtures/SerialProbe.cpp) with the
    steps; returns its output lines, with announcements as Announcement."""
    proc = wine_run(os.environ["ZANDU_SERIAL_PROBE"], *steps, timeout=timeout)
    assert proc.returncode == 0, proc.stdout + proc.stderr
    lines = []
    for line in proc.stdout.split("\n"):
        if line.startswith("ann "):
            head, text = line.split(" text=", 1)
            fields = dict(kv.split("=", 1) for kv in head.split()[1:])
            fields["text"] = text
            lines.append(Announcement(fields))
        elif line:
            lines.append(line)
    return lines

class _ProbeServer:
    """One winprobe process for the whole test ("winprobe serve"): a look at
    a window costs a line on a pipe instead of the start of a process under
    Wine. Only the output up to each command's end line is read, so a Wine
    service that inherits the pipe holds nothing up. A second thread asking
    while one command runs gets a process of its own."""

    END = "\x04"

    def __init__(self):
        self.proc = None
        self.lock = threading.Lock()
        self.pending = b""

    def start(self):
        self.proc = subprocess.Popen(_command(os.environ["ZANDU_WINPROBE"], ["serve"]), stdin=subprocess.PIPE,
                                     stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        self.pending = b""

    def stop(self):
        if self.proc and self.proc.poll() is None:
            self.proc.stdin.close()
            try:
                self.proc.wait(timeout=10)
            except subprocess.TimeoutExpired:
                self.proc.kill()
        self.proc = None

    def call(self, args, timeout):
        """(exit code, output lines), or None when the server is busy."""
        if not self.lock.acquire(blocking=False):
            return None
        try:
            if not self.proc or self.proc.poll() is not None:
                self.start()
            self.proc.stdin.write((json.dumps(args) + "\n").encode("utf-8"))
            self.proc.stdin.flush()
            return self.read_answer(args, timeout)
        finally:
            self.lock.release()

    def read_answer(self, args, timeout):
        deadline = time.monotonic() + timeout
        lines = []
        while True:
            while b"\n" in self.pending:
                raw, self.pending = self.pending.split(b"\n", 1)
                line = raw.decode("utf-8", "replace").rstrip("\r")
                if line.startswith(self.END):
                    return int(line[1:]), [text for text in lines if text]
                lines.append(line)
            left = deadline - time.monotonic()
            ready = select.select([self.proc.stdout], [], [], max(left, 0))[0]
            chunk = os.read(self.proc.stdout.fileno(), 65536) if ready else None
            if not chunk:  # the time is up, or the process died: the next call starts another
                self.proc.kill()
                self.proc.wait()
                self.proc = None
                if chunk is None:
                    raise subprocess.TimeoutExpired(["winprobe", *args], timeout)
                return -1, [text for text in lines if text]
            self.pending += chunk


_probe_server = _ProbeServer()
atexit.register(_probe_server.stop)


def winprobe(*args, timeout=120):
    """Runs a winprobe command under Wine; returns (exit code, stdout lines)."""
    args = [str(a) for a in args]
    answer = _probe_server.call(args, timeout)
    if answer is not None:
        return answer
    # Another thread's command is running: a process of its own, its output
    # through a file (a Wine service started meanwhile could inherit a pipe
    # and keep it open long after winprobe has ended).
    with tempfile.TemporaryFile() as out:
        proc = subprocess.run(_command(os.environ["ZANDU_WINPROBE"], args),
                              stdin=subprocess.DEVNULL, stdout=out, stderr=subprocess.DEVNULL, timeout=timeout)
        out.seek(0)
        lines = out.read().decode("utf-8", "replace").replace("\r\n", "\n").split("\n")
    return proc.returncode, [line for line in lines if line]


def top_level_windows(process):
    """(hwnd, visible, class, title) of each top-level window of a process
    (an id or the executable's file name)."""
    code, lines = winprobe("list", process)
    windows = []
    for line in lines:
        cols = line.split("\t")
        if len(cols) == 4:
            windows.append((cols[0], cols[1] == "1", cols[2], cols[3]))
    return windows


def start_program(exe, *args):
    """Starts a Windows program under Wine without waiting for it."""
    return subprocess.Popen(_command(exe, args), stdin=subprocess.DEVNULL,
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def wine_reg(*args):
    """The command line of 'reg' in the test prefix."""
    return [os.environ["ZANDU_WINE_RUN"], "reg", *args]


# The console tool's phone commands ------------------------------------------

def lines(text):
    """The lines of a command's output (which must end with a line break)."""
    assert text == "" or text.endswith("\n"), repr(text)
    return text.split("\n")[:-1]


def decode_submit(pdu):
    """An SMS-SUBMIT PDU (hex, with its service-centre octet) decoded by
    python3-gammu, with 'Text' cut at its terminating NUL."""
    import binascii
    import gammu
    msg = gammu.DecodePDU(binascii.unhexlify(pdu), SMSC=True)
    msg["Text"] = msg["Text"].split("\0")[0]
    return msg


SETTINGS_KEY = r"HKCU\Software\Zandu SMS"  # the user's: everything the program keeps
MACHINE_SETTINGS_KEY = r"HKLM\Software\Zandu SMS"  # an administrator's, which it only reads


def _quiet(cmd):
    return subprocess.run(cmd, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                          stderr=subprocess.DEVNULL).returncode


def _reg_write(*args):
    """A 'reg' command that writes the test prefix's registry. Wine's reg.exe
    now and then fails for no reason of the test's (seen on a busy machine),
    so it is tried again before the test fails with what it said."""
    for attempt in range(3):
        proc = subprocess.run(wine_reg(*args), stdin=subprocess.DEVNULL, capture_output=True)
        if proc.returncode == 0:
            return
        time.sleep(0.5)
    raise AssertionError("reg %s: exit %d: %r" % (" ".join(args), proc.returncode, proc.stdout + proc.stderr))


def _wine_path(path):
    return "Z:" + path.replace("/", "\\")


def settings_export(key=SETTINGS_KEY):
    """The settings key as 'reg export' writes it, or None when it does not exist."""
    with tempfile.TemporaryDirectory() as tmp:
        path = os.path.join(tmp, "key.reg")
        if _quiet(wine_reg("export", key, _wine_path(path), "/y")) != 0:
            return None
        with open(path, "rb") as f:
            return f.read().decode("utf-16")


def settings_raw(name, key=SETTINGS_KEY):
    """(type, bytes) of a value of the settings key stored as hex (REG_MULTI_SZ,
    REG_BINARY, ...), as 'reg export' shows it; None when absent."""
    text = settings_export(key)
    if text is None:
        return None
    prefix = '"%s"=hex' % name
    rows = text.replace("\r\n", "\n").split("\n")
    for i, row in enumerate(rows):
        if row.startswith(prefix):
            kind, value = row[len(prefix):].split(":", 1)
            while value.endswith("\\"):  # continued on the next line
                i += 1
                value = value[:-1] + rows[i].strip()
            reg_type = int(kind.strip("()"), 16) if kind else 3
            return reg_type, bytes(int(b, 16) for b in value.split(",") if b)
    return None


def settings_list(name, key=SETTINGS_KEY):
    """The elements of a REG_MULTI_SZ value of the settings key; None when absent."""
    raw = settings_raw(name, key)
    if raw is None or raw[0] != 7:
        return None
    return [s for s in raw[1].decode("utf-16-le").split("\0") if s]


def settings_set_list(name, elements, key=SETTINGS_KEY):
    """Writes a REG_MULTI_SZ value (creating the key) through a .reg file."""
    data = "".join(e + "\0" for e in elements) + "\0"
    settings_set_raw(name, 7, data.encode("utf-16-le"), key)


def settings_set_raw(name, reg_type, data, key=SETTINGS_KEY):
    """Writes exactly these bytes as a value of the given type (7: REG_MULTI_SZ)
    through a .reg file, which adds no missing terminator."""
    hexed = ",".join("%02x" % b for b in data)
    root, sub = key.split("\\", 1)
    root = {"HKLM": "HKEY_LOCAL_MACHINE", "HKCU": "HKEY_CURRENT_USER"}[root]
    with tempfile.TemporaryDirectory() as tmp:
        path = os.path.join(tmp, "set.reg")
        # Version 5 files carry UTF-16 (REGEDIT4 ones would widen each byte).
        with open(path, "w", encoding="utf-16", newline="\r\n") as f:
            f.write('Windows Registry Editor Version 5.00\n\n[%s\\%s]\n"%s"=hex(%x):%s\n'
                    % (root, sub, name, reg_type, hexed))
        _reg_write("import", _wine_path(path))


def settings_delete(key=SETTINGS_KEY):
    _quiet(wine_reg("delete", key, "/f"))


def settings_restore(exported, key=SETTINGS_KEY):
    """Puts the key back as settings_export found it (None: no key)."""
    settings_delete(key)
    if exported is not None:
        reg_import(exported)


def reg_import(exported):
    """Imports what 'reg export' wrote."""
    with tempfile.TemporaryDirectory() as tmp:
        path = os.path.join(tmp, "saved.reg")
        with open(path, "w", encoding="utf-16") as f:
            f.write(exported)
        _reg_write("import", _wine_path(path))


# The window program ------------------------------------------------------------

PROGRAM = os.environ.get("ZANDU_PROGRAM", "")


class ChildOutput:
    """A child process's output, read while the child writes it: the child
    appends through a handle of its own and the reader reads through another.
    Handed the reader's own file, the child shared its file position, so a
    line written between the reader's seek and its read landed over lines
    not yet read (the old soak's miscounted sends came from that)."""

    def __init__(self):
        fd, path = tempfile.mkstemp(prefix="zandu-output-")
        self.writer = os.fdopen(os.open(path, os.O_WRONLY | os.O_APPEND), "wb")
        os.close(fd)
        self._reader = open(path, "rb")
        os.unlink(path)  # the file goes with its last handle
        self._rest = b""

    @property
    def closed(self):
        return self._reader.closed

    def child_started(self):
        """The child holds its own handle now."""
        self.writer.close()

    def new_lines(self):
        """The lines completed since the last call, without their line ends;
        a line still being written waits for the next call."""
        data = self._rest + self._reader.read()
        end = data.rfind(b"\n") + 1
        self._rest = data[end:]
        return data[:end].split(b"\n")[:-1]

    def close(self):
        self.writer.close()
        self._reader.close()


class Program(Stoppable):
    """ZanduSMS.exe under Wine, its window driven through winprobe, and its
    debugger output captured: every status text the window shows is traced
    there, so status_trail() is the status line's history.

    with Program() as program: program.wait_status("Ready"); program.click(1006)
    """

    TITLE = "Zandu SMS"
    MESSAGE, SEND, NUMBER_BOX = 1002, 1006, 1014  # the items that compose() and request() use

    def __init__(self, exe=None, timestamps=False, outbox=False):
        """timestamps: every debugger output string carries its time, the
        host's monotonic clock in seconds (see timed_status_trail). outbox:
        what an earlier program left in the outbox is kept for this one to
        restore; else it is cleared, as a test's program is killed at its end."""
        if not outbox:
            clear_outbox()
        self.exe = exe or PROGRAM
        self.exe_name = os.path.basename(self.exe)
        self._log = ChildOutput()
        self._strings, self._trail, self._open_pairs = [], [], set()
        self.timestamps = timestamps
        env = dict(os.environ, WINEDEBUG="+timestamp,warn+debugstr" if timestamps else "warn+debugstr")
        self.started = time.monotonic()
        self.proc = subprocess.Popen(_command(self.exe, []), stdin=subprocess.DEVNULL,
                                     stdout=subprocess.DEVNULL, stderr=self._log.writer, env=env)
        self._log.child_started()
        code, out = winprobe("wait", self.exe_name, self.TITLE, "#32770", 30000)
        if code != 0:
            self.stop()
            raise RuntimeError("the main window did not appear")
        self.hwnd = out[0]

    def stop(self):
        if self.proc.poll() is None:
            self.proc.kill()
            self.proc.wait()
        self._debug_lines()
        self._log.close()

    def exit_code(self, timeout=30):
        return self.proc.wait(timeout=timeout)

    def close_and_wait(self, timeout=30):
        """Closes the window and waits for the process to end; the seconds that took."""
        self.close()
        closed = time.monotonic()
        self.exit_code(timeout)
        return time.monotonic() - closed

    def _debug_lines(self):
        """(time or None, thread id, text) of every debugger output string so
        far, as complete lines have them: read on from where the last call
        stopped, so that a long run's output is not read again and again.
        What a killed program left stays readable after stop()."""
        if not self._log.closed:
            for line in self._log.new_lines():
                self._take_line(line.decode("utf-8", "replace"))
        return self._strings

    def _take_line(self, line):
        marker = ":warn:debugstr:OutputDebugStringA \""
        at = line.find(marker)
        if at < 0:
            return
        body = line[at + len(marker):]
        # Wine cuts a long string short: "text"...
        body = body[:-4] if body.endswith("\"...") else body[:-1] if body.endswith("\"") else body
        head, stamp = line[:at], None
        # Lines of two threads written at once may leave a stamp before
        # another line's stamp, or a line without one.
        stamped = re.match(r"\s*(\d+\.\d+):(?:\s*\d+\.\d+:)*(.*)$", head) if self.timestamps else None
        if stamped:
            stamp, head = float(stamped.group(1)), stamped.group(2)
        text = _unescape(body)
        self._strings.append((stamp, head, text))
        # A trace pair (a location line, then its message from the same
        # thread) is no status text; threads write at the same time, so
        # pairs are told apart by thread.
        if head in self._open_pairs:
            self._open_pairs.discard(head)
        elif text.endswith(" ) : "):
            self._open_pairs.add(head)
        else:
            self._trail.append((stamp, text[:-1] if text.endswith("\n") else text))

    def debug_output(self):
        """(thread id, text) of every debugger output string so far."""
        return [(thread, text) for _, thread, text in self._debug_lines()]

    def debug_strings(self):
        return [text for _, text in self.debug_output()]

    def timed_debug_strings(self):
        """(time, text) of every debugger output string so far, timed as timed_status_trail() times."""
        return [(stamp, text) for stamp, _, text in self._debug_lines()]

    def status_trail(self):
        """The status texts in the order shown."""
        return [text for _, text in self.timed_status_trail()]

    def timed_status_trail(self):
        """(time, text) of the status texts in the order shown; the time (as
        time.monotonic() reads it) only when started with timestamps, else
        None."""
        self._debug_lines()
        return list(self._trail)

    def wait_status(self, predicate, timeout=30):
        """Waits until the status trail holds a text for which predicate (a
        text, or a function) is true; returns the trail."""
        test = predicate if callable(predicate) else (lambda t: t == predicate)
        return wait_for(self.status_trail, timeout, "the status %r" % (predicate,),
                        until=lambda trail: any(test(t) for t in trail))

    def text(self, item=None):
        text = window_text(self.hwnd, item)
        assert text is not None, "no item %r" % item
        return text

    def click(self, item):
        assert winprobe("click", self.hwnd, item)[0] == 0

    def replace(self, item, text):
        """Replaces an edit's text as typing does (EN_CHANGE follows)."""
        assert winprobe("replace", self.hwnd, item, text)[0] == 0

    def items(self, item):
        """(selected index, [item texts]) of a combo box."""
        code, out = winprobe("items", self.hwnd, item)
        assert code == 0
        return int(out[0][len("sel="):]), out[1:]

    def enabled(self, item):
        code, out = winprobe("state", self.hwnd, item)
        assert code == 0
        return out[0].startswith("enabled=1")

    def checked(self, item):
        code, out = winprobe("state", self.hwnd, item)
        return out[0].endswith("checked=1")

    def key(self, vk):
        assert winprobe("key", self.hwnd, vk)[0] == 0

    def focused(self):
        """The item of the window that has the keyboard focus; None when none has."""
        code, out = winprobe("focused", self.hwnd)
        return int(out[0]) if code == 0 else None

    def close(self):
        assert winprobe("close", self.hwnd)[0] == 0

    def wait_box(self, title, timeout_ms=20000):
        """A message box of the program: (hwnd, its text). The main window
        has a box's class and may have its title: it is never the box."""
        boxes = lambda: [w[0] for w in top_level_windows(self.exe_name)
                         if w[1] and w[2] == "#32770" and w[3] == title and w[0] != self.hwnd]
        box = wait_for(boxes, timeout_ms / 1000, "a box %r" % title)[0]
        return box, window_text(box, 0xFFFF)

    def answer_box(self, box, button):
        assert winprobe("click", box, button)[0] == 0

    def has_window(self):
        return any(w[3] == self.TITLE for w in top_level_windows(self.exe_name))

    def request(self, button, done, timeout=60):
        """Presses a request button, waits for a status that begins with done
        (a text or a tuple of them) and for the buttons to come back; the
        status texts shown meanwhile."""
        before = len(self.status_trail())
        self.click(button)
        deadline = time.monotonic() + timeout
        wait_for(lambda: self.status_trail()[before:], timeout, "a status %r" % (done,),
                 until=lambda trail: any(t.startswith(done) for t in trail))
        wait_for(lambda: self.enabled(self.SEND), max(deadline - time.monotonic(), 0),
                 "the request buttons to come back")
        return self.status_trail()[before:]

    def compose(self, recipients, text):
        """Types the message and sets the recipients box (a text)."""
        assert winprobe("settext", self.hwnd, self.NUMBER_BOX, recipients)[0] == 0
        self.replace(self.MESSAGE, text)

    def send(self, recipients, text, done):
        """Sends the text to the recipients as request() does."""
        self.compose(recipients, text)
        return self.request(self.SEND, done)


def window_text(hwnd, item=None):
    """The text of a window, or of its dialog item, as winprobe prints it (on
    one line); None when there is no such window."""
    code, out = winprobe("text", hwnd, *([] if item is None else [item]))
    return (out[0] if out else "") if code == 0 else None


def history_records():
    """The history list, a record of four fields (name, number, time, text,
    each as stored: behind a space) at a time, oldest first."""
    entries = settings_list("NewHistory") or []
    return [entries[i:i + 4] for i in range(0, len(entries), 4)]


def history_messages():
    """(number, text) of each history record, oldest first."""
    return [(number.strip(), text[1:]) for _, number, _, text in history_records()]


def cpu_seconds(pid):
    """The CPU time (user and system) a Linux process has used so far; a
    program under Wine is one such process."""
    with open("/proc/%d/stat" % pid) as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def settings_set_value(name, reg_type, data, key=SETTINGS_KEY):
    """Writes a REG_SZ or REG_DWORD value of the settings key (creating the key)."""
    _reg_write("add", key, "/v", name, "/t", reg_type, "/d", str(data), "/f")


def settings_set_string(name, value, key=SETTINGS_KEY):
    settings_set_value(name, "REG_SZ", value, key)


def settings_delete_value(name, key=SETTINGS_KEY):
    _quiet(wine_reg("delete", key, "/v", name, "/f"))


def settings_set_dword(name, value, key=SETTINGS_KEY):
    settings_set_value(name, "REG_DWORD", value, key)


class SettingsLock:
    """The program's settings lock (or another of its named locks), held by
    another process (winprobe) from the start of the block for the given
    time; the block's end waits for its end."""

    NAME = r"Local\Zandu SMS settings"

    def __init__(self, ms, name=NAME):
        self.ms, self.name = ms, name

    def __enter__(self):
        self.out, self.said = ChildOutput(), []
        self.proc = subprocess.Popen(_command(os.environ["ZANDU_WINPROBE"], ["hold", self.name, str(self.ms)]),
                                     stdin=subprocess.DEVNULL, stdout=self.out.writer, stderr=subprocess.DEVNULL)
        self.out.child_started()
        wait_for(lambda: any(b"held" in line for line in self._output()), 30, "the lock to be taken")
        return self

    def _output(self):
        self.said += self.out.new_lines()
        return self.said

    def __exit__(self, *exc):
        self.proc.wait(timeout=self.ms / 1000 + 30)
        self.out.close()


class NameChanges:
    """The accessibility name-change events of the program's windows (what a
    screen reader hears of a status), watched by winprobe from the start of
    the block until one names a text that begins with prefix; lines() gives
    (item id, text) of each so far. The block's end waits for the watch."""

    def __init__(self, process, prefix, timeout_ms=60000):
        self.args = ["events", process, prefix, str(timeout_ms)]
        self.timeout = timeout_ms / 1000 + 30

    def __enter__(self):
        self.out, self.said = ChildOutput(), []
        self.proc = subprocess.Popen(_command(os.environ["ZANDU_WINPROBE"], self.args), stdin=subprocess.DEVNULL,
                                     stdout=self.out.writer, stderr=subprocess.DEVNULL)
        self.out.child_started()
        wait_for(lambda: any(b"hooked" in line for line in self._output()), 30, "the events to be hooked")
        return self

    def _output(self):
        if not self.out.closed:
            self.said += self.out.new_lines()
        return self.said

    def lines(self):
        return [tuple(line.decode("utf-8").rstrip("\r").split("\t", 1)) for line in self._output() if b"\t" in line]

    def __exit__(self, *exc):
        self.code = self.proc.wait(timeout=self.timeout)
        self._output()
        self.out.close()


class ScreenDpi:
    """The test prefix's screen at another DPI while the block runs: Wine
    takes the user's LogPixels when a program starts."""

    KEY = r"HKCU\Control Panel\Desktop"

    def __init__(self, dpi):
        self.dpi = dpi

    def __enter__(self):
        _reg_write("add", self.KEY, "/v", "LogPixels", "/t", "REG_DWORD", "/d", str(self.dpi), "/f")
        return self

    def __exit__(self, *exc):
        _quiet(wine_reg("delete", self.KEY, "/v", "LogPixels", "/f"))


def forget_window_position(test):
    """The main window starts centred, and the place it is closed at is
    forgotten when the test ends."""
    path = os.path.join(data_folder(), "window.txt")

    def forget():
        if os.path.exists(path):
            os.unlink(path)
    forget()
    test.addCleanup(forget)



class SavedSettings:
    """Restores the settings key as it was when the block ends."""

    def __enter__(self):
        self.saved = settings_export()
        return self

    def __exit__(self, *exc):
        settings_restore(self.saved)


def keep_settings(test):
    """The settings key is put back as it is now when the test ends."""
    test.addCleanup(SavedSettings().__enter__().__exit__)


def fresh_window_settings(test):
    """For a test of the window with a phone on COM5: the settings are kept,
    and the numbers, history and contacts start empty."""
    keep_settings(test)
    for name in ("Numbers", "NewHistory", "Contacts", "Contact", "ContactGroups", "OwnContacts"):
        settings_delete_value(name)
    settings_set_string("Port", "COM5")


SPOOLER_PORTS_KEY = r"HKLM\Software\Microsoft\Windows NT\CurrentVersion\Ports"
SERIALCOMM_KEY = r"HKLM\HARDWARE\DEVICEMAP\SERIALCOMM"


class NoPorts:
    """No COM port for the program to find while the block runs (or only the
    named ones gone: NoPorts("COM1")): the print spooler's ports and the
    serial device map are emptied and put back. Only their values go: the
    device map is a volatile key, which an import cannot create again once it
    has been deleted."""

    def __init__(self, *names):
        self.names = names

    def __enter__(self):
        self.saved = [(key, settings_export(key)) for key in (SPOOLER_PORTS_KEY, SERIALCOMM_KEY)]
        for key, exported in self.saved:
            if not self.names:
                _quiet(wine_reg("delete", key, "/va", "/f"))
                continue
            # The spooler names a port in the value's name ("COM1:"), the device map in its data.
            for row in (exported or "").splitlines():
                if "=" not in row or not row.startswith('"'):
                    continue
                name, data = (part.strip('"').replace("\\\\", "\\") for part in row.split("=", 1))
                if name.rstrip(":") in self.names or data in self.names:
                    _quiet(wine_reg("delete", key, "/v", name, "/f"))
        return self

    def __exit__(self, *exc):
        for _, exported in self.saved:
            if exported is not None:
                reg_import(exported)


# The online services ----------------------------------------------------------

def probe_text(text):
    """A text as an argument of the online probe: ASCII, with \\uXXXX for every
    other UTF-16 unit and for control characters, \\\\ for a backslash."""
    units = text.encode("utf-16-le")
    out = []
    for i in range(0, len(units), 2):
        unit = units[i] | units[i + 1] << 8
        if unit == 0x5C:
            out.append("\\\\")
        elif 0x20 <= unit < 0x7F:
            out.append(chr(unit))
        else:
            out.append("\\u%04x" % unit)
    return "".join(out)


def online_probe(*steps, timeout=120):
    """Runs the online probe (tests/win/fixtures/OnlineProbe.cpp) with the
    steps; returns (exit code, the JSON object of each output line). Output
    goes through a file, as winprobe's does."""
    with tempfile.TemporaryFile() as out:
        proc = subprocess.run(_command(os.environ["ZANDU_ONLINE_PROBE"], [str(s) for s in steps]),
                              stdin=subprocess.DEVNULL, stdout=out, stderr=subprocess.DEVNULL, timeout=timeout)
        out.seek(0)
        text = out.read().decode("utf-8")
    return proc.returncode, [json.loads(line) for line in text.splitlines() if line.strip()]


class MisbehavingServer:
    """A web server on 127.0.0.1 (or another host) and a free port that answers each request as
    a subclass's answer(conn, request_line) says, one thread a connection.
    Records the request lines and the moments they came (time.monotonic());
    trickle() sends slowly and hold() keeps a connection silent until close()."""

    def __init__(self, host="127.0.0.1"):
        self.lines, self.times, self._stop, self._record = [], [], threading.Event(), threading.Lock()
        self.sock = socket.create_server((host, 0))
        self.url = "http://%s:%d" % (host, self.sock.getsockname()[1])
        threading.Thread(target=self._accept, daemon=True).start()

    def _accept(self):
        while True:
            try:
                conn, _ = self.sock.accept()
            except OSError:
                return
            threading.Thread(target=self._serve, args=(conn,), daemon=True).start()

    def _serve(self, conn):
        with conn:
            line = conn.makefile("rb").readline().decode("latin-1").strip()
            with self._record:
                self.times.append(time.monotonic())
                self.lines.append(line)
            try:
                self.answer(conn, line)
            except OSError:
                pass

    def answer(self, conn, line):
        raise NotImplementedError

    def trickle(self, conn, data, seconds):
        """Sends data a byte every so many seconds, until close()."""
        for byte in data:
            if self._stop.wait(seconds):
                return
            conn.sendall(bytes([byte]))

    def hold(self, conn):
        """Answers nothing and keeps the connection open until close()."""
        self._stop.wait()

    def close(self):
        self._stop.set()
        self.sock.close()


class TestCa:
    """A certificate authority made for the test process with openssl, thrown
    away with it (its key lives in a temporary folder, nothing is committed),
    and server_pem, a certificate for localhost it signed, with its key:
    Wine's check of the name takes no IP address, so servers are reached as
    https://localhost. As a context, the test's prefix (its lane's) trusts it
    while the block runs, in its user's root store: Wine's machine-wide one
    (HKLM) is a volatile copy of the host's, made again at every start of its
    server. Nothing else ever trusts it."""

    def __init__(self, name):
        self._dir = tempfile.TemporaryDirectory()
        ca, key, self.server_pem = (os.path.join(self._dir.name, n) for n in ("ca.pem", "ca.key", "server.pem"))
        for args in (["-keyout", key, "-out", ca, "-subj", "/CN=" + name,
                      "-addext", "basicConstraints=critical,CA:TRUE", "-addext", "keyUsage=critical,keyCertSign"],
                     ["-keyout", self.server_pem, "-out", self.server_pem + ".crt", "-subj", "/CN=localhost", "-CA", ca,
                      "-CAkey", key, "-addext", "subjectAltName=DNS:localhost"]):
            subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2", *args],
                           stdin=subprocess.DEVNULL, capture_output=True, check=True)
        with open(self.server_pem + ".crt") as f, open(self.server_pem, "a") as out:
            out.write(f.read())
        with open(ca) as f:
            der = ssl.PEM_cert_to_DER_cert(f.read())
        self.key = ROOT_STORE + "\\" + hashlib.sha1(der).hexdigest().upper()
        # A serialized certificate store element: the property "certificate" (32), its DER bytes.
        self.blob = struct.pack("<III", 32, 1, len(der)) + der

    def __enter__(self):
        settings_set_raw("Blob", 3, self.blob, key=self.key)
        return self

    def __exit__(self, *exc):
        settings_delete(self.key)


ROOT_STORE = r"HKCU\Software\Microsoft\SystemCertificates\Root\Certificates"


@functools.lru_cache(maxsize=None)
def authority(name="Zandu SMS test CA"):
    """The test process's authority of that name, made on first use."""
    return TestCa(name)


class RefServer(Stoppable):
    """The reference server (tools/refserver) on 127.0.0.1 and a free port,
    with a database and an update reply file (the shipped one) of its own;
    max_request_line: its --max-request-line; tls: a TestCa whose server
    certificate it presents, at https://localhost:<port>; offer=False: the
    server's own reply, that no newer version exists."""

    def __init__(self, max_request_line=0, tls=None, offer=True):
        self._dir = tempfile.TemporaryDirectory()
        self.db = os.path.join(self._dir.name, "reports.db")
        self.reply_file = os.path.join(self._dir.name, "updatecheck.txt")
        with open(DEFAULT_UPDATE_REPLY, "rb") as f:
            self.set_update_reply(f.read())
        port_file = os.path.join(self._dir.name, "port")
        self.proc = subprocess.Popen([sys.executable, REFSERVER, "--port", "0", "--port-file", port_file,
                                      "--db", self.db, *(["--update-reply", self.reply_file] if offer else []),
                                      "--max-request-line", str(max_request_line),
                                      *(["--tls", tls.server_pem] if tls else [])],
                                     stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        if not wait_for(lambda: os.path.exists(port_file) or self.proc.poll() is not None, 10, interval=0.05,
                        fail=False) or not os.path.exists(port_file):
            raise RuntimeError("the reference server did not start")
        with open(port_file) as f:
            self.url = ("https://localhost:%d" if tls else "http://127.0.0.1:%d") % int(f.read())

    def stop(self):
        if self.proc.poll() is None:
            self.proc.terminate()
            self.proc.wait(timeout=10)
        self._dir.cleanup()

    def set_update_reply(self, data):
        with open(self.reply_file, "wb") as f:
            f.write(data)

    def _execute(self, sql):
        """The rows of a query as dicts (statements separated by ';' return none)."""
        import sqlite3
        db = sqlite3.connect(self.db, isolation_level=None)
        db.row_factory = sqlite3.Row
        try:
            if sql.count(";") > 1:
                db.executescript(sql)
                return []
            return [dict(row) for row in db.execute(sql)]
        finally:
            db.close()

    def requests(self):
        """Every request so far, oldest first: path, query, user_agent, ..."""
        return self._execute("SELECT * FROM requests ORDER BY id")

    def reports(self):
        """Every stored report, oldest first: msg, email, model, version, query."""
        return self._execute("SELECT * FROM reports ORDER BY id")

    def clear(self):
        self._execute("DELETE FROM requests; DELETE FROM reports;")

    def changes(self):
        """The changes text of the update reply, as the notice shows it."""
        with open(self.reply_file, "rb") as f:
            reply = f.read().decode("utf-8")
        return reply.split("\n", 1)[1].strip() if "\n" in reply else ""


REFSERVER = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools", "refserver", "refserver.py")
DEFAULT_UPDATE_REPLY = os.path.join(os.path.dirname(REFSERVER), "updatecheck.txt")


# The program's data folder and the messages the phone simulator holds ----------

def data_folder():
    """The program's folder in the test prefix's application data
    (%APPDATA%\\Zandu SMS), where it keeps inbox.json."""
    import glob
    users = os.path.join(os.environ["ZANDU_WINEPREFIX"], "drive_c", "users")
    roaming = [p for p in glob.glob(os.path.join(users, "*", "AppData", "Roaming"))
               if os.sep + "Public" + os.sep not in p]
    return os.path.join(roaming[0], "Zandu SMS")


def outbox_files():
    import glob
    return sorted(glob.glob(os.path.join(data_folder(), "outbox-*.jsonl")))


def clear_outbox():
    for path in outbox_files():
        os.unlink(path)


class SavedInbox:
    """Starts the block without an inbox file and puts the one there was back
    afterwards; .path is the file, .messages() what it holds."""

    def __enter__(self):
        # A fresh prefix has no folder until the program first writes there.
        os.makedirs(data_folder(), exist_ok=True)
        self.path = os.path.join(data_folder(), "inbox.json")
        self.saved = None
        if os.path.exists(self.path):
            with open(self.path, "rb") as f:
                self.saved = f.read()
            os.unlink(self.path)
        return self

    def messages(self):
        with open(self.path, encoding="utf-8") as f:
            return json.load(f)["messages"]

    def __exit__(self, *exc):
        if os.path.exists(self.path):
            os.unlink(self.path)
        if self.saved is not None:
            with open(self.path, "wb") as f:
                f.write(self.saved)


FILE_NAME = 1148  # the name box of the system's file dialog


def file_dialog(window, button, title, path):
    """Clicks the window's button and gives its file dialog the path (a Linux
    one, through Wine's Z:); the winprobe code of the dialog's opening."""
    code, out = winprobe("open", window, button, title, 30000)
    if code == 0:
        dialog = out[0].split("\t")[0]
        winprobe("settext", dialog, FILE_NAME, "Z:" + path.replace("/", "\\"))
        winprobe("click", dialog, 1)  # IDOK
    return code


def local_time_text(iso):
    """An ISO 8601 instant as the window shows it: in local time, in the short
    date and time formats of the Wine prefix's locale (English, United States)."""
    import datetime
    t = datetime.datetime.fromisoformat(iso).astimezone()
    return "%d/%d/%d %d:%02d:%02d %s" % (t.month, t.day, t.year, (t.hour + 11) % 12 + 1, t.minute, t.second,
                                        "AM" if t.hour < 12 else "PM")


def messages_file(folder, messages):
    """A --messages file of the phone simulator in the folder; its path."""
    path = os.path.join(folder, "messages.json")
    with open(path, "w", encoding="utf-8") as f:
        json.dump({"messages": messages}, f, ensure_ascii=False)
    return path


# Two received messages: one in two parts that the phone keeps in reverse
# order, with extension characters, and one in UCS-2 with an emoji in the
# phone's own memory. The texts as the program shows them.
RECEIVED = [
    {"sender": "+4917012345", "time": "2024-05-17T14:03:09+02:00", "parts": [2, 1],
     "text": "The first part of a long message that the phone keeps in two parts, in reverse order, "
             "with extension characters {like these} and the euro sign € that take two septets each!"},
    {"sender": "+447700900123", "time": "2024-05-18T09:15:00+00:00", "encoding": "ucs2", "storage": "ME",
     "text": "Привет! See you at 10 🙂"},
]
