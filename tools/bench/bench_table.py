"""The benchmark table: figures of the release build under Wine, driven from
outside (the window through winprobe and xdotool, the console tool through
its command line) against the phone simulator. Not a test: it prints one
table of medians with their minimum and maximum, and writes it to a file.
Run it through scripts/bench.sh, which builds and sets up what it needs.
"""
import argparse
import datetime
import json
import os
import platform
import re
import statistics
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
SYSTEM_TESTS = os.path.join(ROOT, "tests", "system")  # zandu.py and screen.py, which drive the program for the tests too
BUILD = os.environ.get("ZANDU_BUILD_DIR", os.path.join(ROOT, "build"))
WIN = os.path.join(BUILD, "windows")
os.environ.setdefault("ZANDU_BUILD", "windows")
os.environ.setdefault("ZANDU_WINE_RUN", os.path.join(WIN, "wine-run.sh"))
os.environ.setdefault("ZANDU_PROGRAM", os.path.join(WIN, "src", "ZanduSMS.exe"))
os.environ.setdefault("ZANDU_CLI", os.path.join(WIN, "tools", "cli", "zandusms-cli.exe"))
os.environ.setdefault("ZANDU_WINPROBE", os.path.join(WIN, "tests", "win", "winprobe.exe"))
os.environ.setdefault("ZANDU_PORTS_DIR", os.path.join(WIN, "ports"))
os.environ.setdefault("ZANDU_WINEPREFIX", os.environ.get("WINEPREFIX", os.path.join(WIN, "wineprefix")))
os.environ.setdefault("ZANDU_PHONESIM", os.path.join(BUILD, "bench", "host", "tools", "phonesim", "phonesim"))
sys.path.insert(0, SYSTEM_TESTS)

import zandu  # noqa: E402
from screen import move_mouse, window_rect  # noqa: E402
from zandu import Phone, Program, SavedInbox, SavedSettings, cpu_seconds, port_link, winprobe  # noqa: E402

SEND, RADIO_NUMBER, HISTORY, HISTORY_OK, RECEIVE_MESSAGES = 1006, 1008, 57665, 1025, 1097
CONVERSATIONS, CONVERSATIONS_OK = 1098, 1112
REGION_BENCH = os.environ.get("ZANDU_REGION_BENCH", os.path.join(WIN, "tools", "bench", "region_bench.exe"))
IMPORT_BENCH = os.environ.get("ZANDU_IMPORT_BENCH", os.path.join(BUILD, "bench", "host", "tools", "bench", "import_bench"))

BAUD_BYTES_PER_S = 960.0  # 9600 baud, 10 bits a byte
OPEN_PAUSE_S = 2.0        # the pause after a fresh open of the port
BURST_GAP_S = 0.05        # the silence that ends a read
POLL_S = 0.05             # how often the driver looks at the window while it waits
PHONE = "--baud", "9600"  # the paced phone of the send figures

ONE_PART = "Benchmark: the meeting moves to 10:30 in room 4. Please bring the figures."
THREE_PARTS = ("The quarterly figures are in. " * 14)[:400]  # 400 septets: 3 parts


def numbers(count):
    return ["01700%05d" % (i + 1) for i in range(count)]


SEND_CASES = [("1 part", [numbers(1)[0]], ONE_PART), ("3 parts", [numbers(1)[0]], THREE_PARTS),
              ("10 recipients", numbers(10), ONE_PART), ("100 recipients", numbers(100), ONE_PART)]


class Table:
    """Rows of figures: a name, the runs' values, a unit, and optionally the
    bound each run had."""

    def __init__(self):
        self.rows = []

    def section(self, title):
        self.rows.append((title,))

    def add(self, name, values, unit, bounds=None, note=""):
        self.rows.append((name, list(values), unit, bounds, note))
        print("  %s: %s %s%s" % (name, ", ".join(fmt(v, unit) for v in values), unit,
                                  "" if not bounds else "  (bounds %s)" % ", ".join("%.2f" % b for b in bounds)),
              flush=True)

    def markdown(self):
        out = ["| Figure | Median | Min | Max | Runs | Bound | Median / bound | Note |",
               "|---|---:|---:|---:|---:|---:|---:|---|"]
        for row in self.rows:
            if len(row) == 1:
                out.append("| **%s** | | | | | | | |" % row[0])
                continue
            name, values, unit, bounds, note = row
            if not values:
                out.append("| %s | - | - | - | 0 | | | %s |" % (name, note))
                continue
            cells = ["%s %s" % (fmt(v, unit), unit) for v in (statistics.median(values), min(values), max(values))]
            bound = ratio = ""
            if bounds:
                b = statistics.median(bounds)
                bound = "%s %s" % (fmt(b, unit), unit)
                ratio = "%.2f" % (statistics.median(values) / b)
            out.append("| %s | %s | %s | %s | %d | %s | %s | %s |" % (name, *cells, len(values), bound, ratio, note))
        return "\n".join(out)


def fmt(value, unit):
    if unit == "ms":
        return "%.1f" % value if value < 100 else "%.0f" % value
    if unit in ("s", "%"):
        return "%.3f" % value if value < 1 else "%.2f" % value
    return "%.0f" % value


# The protocol's bound ------------------------------------------------------

def wire_bytes(events):
    """Bytes written to the phone and answered by it, from the simulator's log:
    a command with CR LF (AT+CMGS=<n> and AT+CMGW=<n> with CR only), a PDU
    with its Ctrl-Z, every reply burst whole."""
    total = 0
    for e in events:
        if e["event"] == "command":
            total += len(e["text"].encode()) + (1 if e["text"].upper().startswith(("AT+CMGS=", "AT+CMGW=")) else 2)
        elif e["event"] in ("pdu", "abort"):
            total += len(e["pdu"]) + 1
        elif e["event"] == "reply":
            total += len(e["text"].encode())
    return total


def bound(events, opens=1):
    """The least time the exchange can take on a 9600-baud line."""
    bursts = sum(e.get("bursts", 1) for e in events if e["event"] == "reply")
    return wire_bytes(events) / BAUD_BYTES_PER_S + OPEN_PAUSE_S * opens + BURST_GAP_S * bursts


# Driving the window ----------------------------------------------------------

def window_send(program, recipients, text, timeout=600):
    """Sends through the window; (seconds from the Send click to the last
    recipient's "Message sent to ...", (time, text) of the statuses since)."""
    program.compose("; ".join(recipients), text)
    code, out = winprobe("press", program.hwnd, SEND)
    assert code == 0, "no Send button"
    clicked = float(out[0])
    last = "Message sent to %s at " % recipients[-1]

    # The statuses after the click, told by their time: the trail of a
    # log that is being written may count a line cut short differently.
    def since():
        return [(t, s) for t, s in program.timed_status_trail() if t is not None and t >= clicked]

    def done():
        new = since()
        failed = [s for _, s in new if s.startswith(("Failed", "Error", "Canceled"))]
        if failed:
            raise RuntimeError("the send failed: %r" % new[-5:])
        return [t for t, s in new if s.startswith(last)]
    ended = zandu.wait_for(done, timeout, "the window's last 'Message sent'", interval=POLL_S)[0]
    zandu.wait_for(lambda: program.enabled(SEND), 60, "the Send button to come back", interval=POLL_S)
    return ended - clicked, since()


def cli_send(recipients, text, timeout=600):
    """Sends through zandusms-cli; (seconds from its "Connecting..." line to its
    last line, seconds of the whole command)."""
    cmd = [os.environ["ZANDU_WINE_RUN"], os.environ["ZANDU_CLI"], "send", "--port", "COM5",
           "--to", "; ".join(recipients), "--text", text]
    started = time.monotonic()
    proc = subprocess.Popen(cmd, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
    lines, last = [], "Message sent to %s" % recipients[-1]
    # Up to the last line, not to the end of the output: a Wine service
    # started meanwhile would hold the pipe open.
    for raw in proc.stdout:
        lines.append((time.monotonic(), raw.decode("utf-8", "replace").rstrip("\r\n")))
        if lines[-1][1] == last or lines[-1][1].startswith(("Failed", "Error", "Canceled")):
            break
    code = proc.wait(timeout=timeout)
    ended = time.monotonic()
    if code != 0 or not lines or lines[-1][1] != last:
        raise RuntimeError("zandusms-cli send: exit %d, %r" % (code, lines[-3:]))
    first = next(t for t, s in lines if s == "Connecting...")
    return lines[-1][0] - first, ended - started


def wine_pid(name):
    """The Linux process of this prefix's program of that executable name."""
    prefix = os.environ["WINEPREFIX"].encode()
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            with open("/proc/%s/cmdline" % pid, "rb") as f:
                cmdline = f.read()
            with open("/proc/%s/environ" % pid, "rb") as f:
                environ = f.read().split(b"\0")
        except OSError:
            continue
        if name.encode() in cmdline and b"WINEPREFIX=" + prefix in environ:
            return int(pid)
    return None


def rss_mb(pid):
    with open("/proc/%d/status" % pid) as f:
        for line in f:
            if line.startswith("VmRSS:"):
                return int(line.split()[1]) / 1024.0
    return 0.0


# The measurements --------------------------------------------------------------

def measure_startup(table, runs):
    """Process start to the main window shown and its status "Ready"."""
    values, rss = [], []
    name = os.path.basename(os.environ["ZANDU_PROGRAM"])
    for _ in range(runs):
        with tempfile.TemporaryFile() as out:
            waiter = subprocess.Popen([os.environ["ZANDU_WINE_RUN"], os.environ["ZANDU_WINPROBE"], "shown", name,
                                       Program.TITLE, "#32770", "60000"], stdin=subprocess.DEVNULL, stdout=out,
                                      stderr=subprocess.DEVNULL)
            time.sleep(2)  # the probe is polling before the program starts
            with Program(timestamps=True) as program:
                assert waiter.wait(timeout=90) == 0, "the window was not shown"
                out.seek(0)
                shown = float(out.read().decode().split()[1])
                ready = zandu.wait_for(lambda: [t for t, s in program.timed_status_trail() if s == "Ready"], 60,
                                       "Ready", interval=POLL_S)[0]
                values.append(max(shown, ready) - program.started)
                time.sleep(2)
                rss.append(rss_mb(program.proc.pid))
    table.add("Start-up to the window shown with \"Ready\"", values, "s")
    return rss


def measure_sends(table, runs, cases=SEND_CASES):
    """Every send case through the window and the console tool, side by side."""
    rss_after_100 = []
    with Phone(port_link("COM5"), *PHONE) as phone, Program(timestamps=True) as program:
        program.wait_status("Ready")
        program.click(RADIO_NUMBER)
        for label, recipients, text in cases:
            window, cli_req, cli_all, wbounds, cbounds = [], [], [], [], []
            for _ in range(runs):
                mark = len(phone.events())
                seconds, _ = window_send(program, recipients, text)
                window.append(seconds)
                wbounds.append(bound(phone.events()[mark:]))
                if label == "100 recipients":
                    rss_after_100.append(rss_mb(program.proc.pid))
                mark = len(phone.events())
                request, whole = cli_send(recipients, text)
                cli_req.append(request)
                cli_all.append(whole)
                cbounds.append(bound(phone.events()[mark:]))
            table.add("%s, window (Send click to the last \"Message sent\")" % label, window, "s", wbounds)
            table.add("%s, zandusms-cli (\"Connecting...\" to its last line)" % label, cli_req, "s", cbounds)
            table.add("%s, zandusms-cli, whole command" % label, cli_all, "s", cbounds)
    return rss_after_100


def measure_idle(table, runs, seconds):
    """CPU of the program's process (and of the prefix's wineserver) while it
    idles after a send, the pointer resting on a control, then off the window."""
    on, off, server_on, server_off = [], [], [], []
    with Phone(port_link("COM5")) as _, Program(timestamps=True) as program:
        program.wait_status("Ready")
        program.click(RADIO_NUMBER)
        server = wine_pid("wineserver")
        left, top, width, height = window_rect(program.hwnd, SEND)
        for _ in range(runs):
            window_send(program, numbers(1), ONE_PART)
            for x, y, values, server_values in ((left + width // 2, top + height // 2, on, server_on),
                                                (1279, 1023, off, server_off)):
                move_mouse(x, y)
                time.sleep(1)
                cpu, scpu = cpu_seconds(program.proc.pid), cpu_seconds(server) if server else 0
                time.sleep(seconds)
                values.append(100.0 * (cpu_seconds(program.proc.pid) - cpu) / seconds)
                if server:
                    server_values.append(100.0 * (cpu_seconds(server) - scpu) / seconds)
    note = "CPU time in %d s of idling after a send, in %% of a core; target < 0.1 %%" % seconds
    table.add("Idle, pointer resting on the Send button", on, "%", note=note)
    table.add("Idle, pointer off the window", off, "%", note=note)
    if server_on:
        table.add("The prefix's wineserver meanwhile, pointer on the button", server_on, "%")
        table.add("The prefix's wineserver meanwhile, pointer off the window", server_off, "%")


def measure_receiving(table, runs, seconds):
    """The window listening: a message announced until the Inbox button counts
    it, beyond the wire's time at 9600 baud (the announcement, the read's
    commands and answers, a burst gap each); then the program's CPU while it
    listens and nothing comes."""
    shown, bounds = [], []
    at = [5 + 4 * i for i in range(runs)]
    message = {"sender": "+4917012345", "time": "2024-05-17T14:03:09+02:00", "text": ONE_PART}
    zandu.settings_set_dword("ReceiveMessages", 1)
    with tempfile.TemporaryDirectory() as tmp, zandu.SavedInbox():
        incoming = zandu.messages_file(tmp, [message])
        with Phone(port_link("COM5"), *PHONE, "--incoming-at", ",".join(map(str, at)), "--incoming", incoming) as phone, \
                Program(timestamps=True) as program:
            for count in range(1, runs + 1):
                line = "Inbox button: &Inbox (%d)\n" % count
                changed = zandu.wait_for(lambda: [t for t, text in program.timed_debug_strings() if text == line], 60,
                                         line.strip(), interval=POLL_S)[0]
                events = phone.events()
                announced = [e for e in events if e["event"] == "announce"][count - 1]
                exchange = [e for e in events if e["t"] >= announced["t"] and e["event"] != "announce"]
                wire = bound(exchange, opens=0) + (len(announced["text"]) + 4) / BAUD_BYTES_PER_S + BURST_GAP_S
                shown.append(changed - on_program_clock(program, exchange, changed, announced["t"]) - wire)
                bounds.append(wire)
            idle = []
            for _ in range(2):  # listening, then the box cleared: the window's own idle beside it
                time.sleep(2)
                cpu = cpu_seconds(program.proc.pid)
                time.sleep(seconds)
                idle.append(100.0 * (cpu_seconds(program.proc.pid) - cpu) / seconds)
                program.click(RECEIVE_MESSAGES)
    zandu.settings_delete_value("ReceiveMessages")
    table.add("Announced to shown in the Inbox button, beyond the wire", shown, "s", bounds,
              note="the wire's time (the bound) taken off; target < 1 s")
    note = "CPU time in %d s with nothing coming, in %% of a core" % seconds
    table.add("Idle while listening", idle[:1], "%", note=note + "; target < 0.1 %")
    table.add("Idle, the same window after Receive messages is cleared", idle[1:], "%", note=note)


def on_program_clock(program, exchange, before, ms):
    """A moment of the simulator's log (ms) on the program's clock: the two
    are set side by side at the command "AT+CMGR=<i>", which the program
    traces as written when the simulator logs it as read."""
    [command] = [e for e in exchange if e["event"] == "command" and e["text"].startswith("AT+CMGR=")]
    written = [t for t, text in program.timed_debug_strings()
               if text == "Transferred: '%s'\n" % command["text"] and t <= before][-1]
    return written - (command["t"] - ms) / 1000.0


def measure_region(table, runs):
    naive, by_runs, counts = [], [], ""
    for _ in range(runs):
        bitmap = "Z:" + os.path.join(ROOT, "skin", "zandu.bmp").replace("/", "\\")
        out = zandu.wine_run(REGION_BENCH, bitmap, "1", timeout=120).stdout
        pixels = re.search(r"pixel by pixel: +(\d+) rectangles combined +([\d.]+) ms", out)
        naive.append(float(pixels.group(2)))
        # The program's own way: the runs found and handed over in batches.
        run_count = re.search(r"runs in one call: +(\d+) rectangles", out).group(1)
        by_runs.append(float(re.search(r"runs in batches: .* +([\d.]+) ms", out).group(1)))
        counts = "%s rectangles from runs, %s from pixels" % (run_count, pixels.group(1))
        if "regions are equal" not in out:
            raise RuntimeError("the two regions differ:\n" + out)
    table.add("Region of zandu.bmp, one rectangle per pixel", naive, "ms", note=counts)
    table.add("Region of zandu.bmp, one rectangle per run", by_runs, "ms", note="the two regions are equal")


def measure_import(table, runs, sizes=("1", "16")):
    """The contact import's readers, natively (they are portable code): the
    seconds per MB of each costly shape of file at each size. Linear readers
    keep the figure flat from 1 MB to 16 MB."""
    figures = {}
    for _ in range(runs):
        out = subprocess.run([IMPORT_BENCH, *sizes], capture_output=True, text=True, check=True).stdout
        for line in out.splitlines()[1:]:
            shape, mb, _rows, _seconds, per_mb, _cpu, cpu_per_mb = line.rsplit(None, 6)
            figures.setdefault((shape.strip(), round(float(mb))), []).append((float(per_mb), float(cpu_per_mb)))
    for (shape, mb), values in figures.items():
        table.add("Import, %s, %d MB (seconds per MB)" % (shape, mb), [v for v, _ in values], "s",
                  note="processor time %.3f s per MB; target: 1 MB within 1 s, 16 MB within 10 s"
                  % statistics.median(c for _, c in values))


def measure_memory(table, rss):
    table.add("Working set (VmRSS) idle after start", rss.get("start", []), "MB")
    table.add("Working set (VmRSS) after a send to 100 recipients", rss.get("sent", []), "MB")


def history_records(count):
    elements = []
    for i in range(count):
        elements += [" Contact %d" % i, " +4917%07d" % i, " 17.05.2024 14:%02d:%02d" % (i // 60 % 60, i % 60),
                     " Benchmark history record %d: see you at the station at ten." % i]
    return elements


def delivery_reports(elements):
    """A delivered part in "Reports" for each record: its delivery key (number,
    time and the FNV-1a hash of the text), number, reference, time sent,
    state, status and the report's time."""
    parts = []
    for i in range(0, len(elements), 4):
        number, when, text = (e[1:] for e in elements[i + 1:i + 4])
        digest = 14695981039346656037
        for byte in text.encode("utf-8"):
            digest = ((digest ^ byte) * 1099511628211) % 2 ** 64
        parts.append("\t".join(["%s|%s|%016x" % (number, when, digest), number, str(i // 4 % 256), "1715954400",
                                 "1", "0", "2024-05-17T14:00:09+00:00"]))
    return parts


def open_dialog(program, runs, button=HISTORY, title="History", ok=HISTORY_OK):
    """Milliseconds from the click on the button (History...) to its dialog shown, each run."""
    opening = []
    for _ in range(runs):
        code, out = winprobe("open", program.hwnd, button, title, 120000, timeout=180)
        assert code == 0, "the %s dialog did not open" % title
        dialog, ms = out[0].split("\t")
        opening.append(float(ms))
        assert winprobe("click", dialog, ok)[0] == 0
        zandu.wait_for(lambda: not [w for w in zandu.top_level_windows(program.exe_name)
                                    if w[1] and w[3] == title], 60, "the %s dialog to close" % title,
                       interval=POLL_S)
    return opening


def measure_history(table, runs, sizes):
    """The History dialog's opening and the cost of a history record's append at
    each size: the interval between two recipients' "Message sent" (which
    holds one append) against the same with an empty history. At the largest
    size also the first opening after a start, and the opening with a
    delivery report for every record."""
    intervals = {}
    with Phone(port_link("COM5")):
        for size in [0] + sizes:
            zandu.settings_set_list("NewHistory", history_records(size)) if size else \
                zandu.settings_delete_value("NewHistory")
            with Program(timestamps=True) as program:
                program.wait_status("Ready")
                program.click(RADIO_NUMBER)
                opening = open_dialog(program, runs)
                if size:
                    table.add("History dialog, click to shown with its list, %d records" % size, opening, "ms")
                else:
                    table.add("History dialog, click to shown with its list, empty", opening, "ms")
                gaps = []
                for _ in range(runs):
                    pair = numbers(2)
                    _, trail = window_send(program, pair, "History append")
                    stamps = {s.split(" at ")[0]: t for t, s in trail}
                    gaps.append(stamps["Message sent to %s" % pair[1]] - stamps["Message sent to %s" % pair[0]])
                intervals[size] = gaps
        largest = history_records(sizes[-1])
        zandu.settings_set_list("NewHistory", largest)
        first = []
        for _ in range(runs):
            with Program() as program:
                program.wait_status("Ready")
                first += open_dialog(program, 1)
        table.add("History dialog, first opening after the start, %d records" % sizes[-1], first, "ms")
        zandu.settings_set_list("Reports", delivery_reports(largest))
        with Program() as program:
            program.wait_status("Ready")
            table.add("History dialog, click to shown with its list, %d records with their delivery reports"
                      % sizes[-1], open_dialog(program, runs), "ms")
        zandu.settings_delete_value("Reports")
    base = statistics.median(intervals[0])
    for size in sizes:
        table.add("History append at %d records (interval minus the empty history's)" % size,
                  [1000.0 * (g - base) for g in intervals[size]], "ms",
                  note="empty history's interval %.0f ms" % (1000 * base))


def conversation_stores(sent, received, correspondents=500):
    """NewHistory's elements for the sent messages (times as the prefix's
    locale writes them) and an inbox file's JSON for the received ones, to and
    from so many numbers, one in ten received new."""
    elements, messages = [], []
    for i in range(sent):
        elements += [" ", " +4917%07d" % (i % correspondents),
                     " 5/%d/2024 %d:%02d:%02d AM" % (1 + i // 3600 % 28, 1 + i // 60 % 60 % 11, i % 60, i % 59),
                     " Benchmark message %d: see you at the station at ten." % i]
    for i in range(received):
        when = "2024-05-%02dT10:%02d:%02d+00:00" % (1 + i // 3600 % 28, i // 60 % 60, i % 60)
        text = "Benchmark answer %d: fine, see you there." % i
        messages.append({"sender": "+4917%07d" % (i % correspondents), "time": when, "encoding": "gsm7", "text": text,
                         "parts": [{"part": 1, "key": "%016x" % i, "time": when, "text": text}], "new": i % 10 == 0})
    return elements, json.dumps({"format": "Zandu SMS inbox", "version": 1, "messages": messages})


def measure_conversations(table, runs, sent, received):
    """The Conversations window's opening, from the click to the window shown
    with its threads, over the History and the inbox file."""
    elements, inbox_json = conversation_stores(sent, received)
    zandu.settings_set_list("NewHistory", elements)
    with SavedInbox() as inbox, Phone(port_link("COM5")):
        with open(inbox.path, "w", encoding="utf-8") as f:
            f.write(inbox_json)
        with Program() as program:
            program.wait_status("Ready")
            opening = open_dialog(program, runs, CONVERSATIONS, "Conversations", CONVERSATIONS_OK)
    zandu.settings_delete_value("NewHistory")
    table.add("Conversations window, click to shown with its threads, %d sent and %d received" % (sent, received),
              opening, "ms")


# The table ------------------------------------------------------------------------

def machine():
    model = "?"
    with open("/proc/cpuinfo") as f:
        for line in f:
            if line.startswith("model name"):
                model = line.split(":", 1)[1].strip()
                break
    load = "%.2f %.2f %.2f" % os.getloadavg()
    wine = subprocess.run(["wine", "--version"], capture_output=True, text=True).stdout.strip()
    commit = subprocess.run(["git", "-C", ROOT, "describe", "--always", "--dirty"], capture_output=True,
                            text=True).stdout.strip()
    return model, os.cpu_count(), load, wine, commit


def run_steps(steps, only, table):
    for key in only.split(",") if only else steps:
        title, step = steps[key]
        print("== %s" % title, flush=True)
        table.section(title)
        step()


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--runs", type=int, default=3, help="runs of each measurement (default 3)")
    parser.add_argument("--idle", type=int, default=30, help="seconds of each idle measurement (default 30)")
    parser.add_argument("--out", default=os.path.join(BUILD, "bench", "bench.md"), help="the table's file")
    parser.add_argument("--smoke", action="store_true",
                        help="every measurement once, at its smallest, to see that each one's set-up works")
    parser.add_argument("--only", help="some of startup,region,send,memory,idle,receiving,history,import,"
                                           "conversations (default all)")
    args = parser.parse_args()

    started = time.monotonic()
    model, cores, load, wine, commit = machine()
    when = datetime.datetime.now().astimezone().strftime("%Y-%m-%d %H:%M %Z")
    table = Table()
    runs, least, idle, sizes, cases = args.runs, 5, args.idle, [100, 1000, 10000], SEND_CASES
    import_sizes, conversation_sizes = ("1", "16"), (10000, 5000)
    if args.smoke:
        runs, least, idle, sizes, cases, import_sizes = 1, 1, 1, [100], SEND_CASES[:1], ("1",)
        conversation_sizes = (100, 50)
    with SavedSettings():
        zandu.settings_set_string("Port", "COM5")
        zandu.settings_set_dword("AllowCheck", 0)
        for name in ("Numbers", "NewHistory", "Reports"):
            zandu.settings_delete_value(name)
        rss = {}
        run_steps({
            "startup": ("Start-up", lambda: rss.setdefault("start", measure_startup(table, max(runs, least)))),
            "region": ("Region building", lambda: measure_region(table, max(runs, least))),
            "send": ("Sending at 9600 baud", lambda: rss.setdefault("sent", measure_sends(table, runs, cases))),
            "memory": ("Working set", lambda: measure_memory(table, rss)),
            "idle": ("Idle CPU", lambda: measure_idle(table, runs, idle)),
            "receiving": ("Receiving", lambda: measure_receiving(table, runs, idle)),
            "history": ("History", lambda: measure_history(table, runs, sizes)),
            "import": ("Contact import (native)", lambda: measure_import(table, runs, import_sizes)),
            "conversations": ("Conversations", lambda: measure_conversations(table, runs, *conversation_sizes)),
        }, args.only, table)
    minutes = (time.monotonic() - started) / 60
    head = ("Machine: %s, %d cores, load average at start %s; %s; %s; commit %s; %d runs each (5 at least for "
            "the start-up and the regions); the whole run took %.1f min."
            % (model, cores, load, platform.system(), wine, commit, args.runs, minutes))
    text = "Benchmarks of %s\n\n%s\n\n%s\n" % (when, head, table.markdown())
    os.makedirs(os.path.dirname(os.path.abspath(args.out)), exist_ok=True)
    with open(args.out, "w", encoding="utf-8") as f:
        f.write(text)
    print("\n" + text + "\n(written to %s)" % args.out)


if __name__ == "__main__":
    main()
